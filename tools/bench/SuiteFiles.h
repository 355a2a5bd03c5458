#pragma once
#include <QString>

// Work copies of a suite for the measurements: the scale suite stays as it was built; the program
// runs on a copy whose databases are put back from it before every run that changes them. A
// database file is only replaced once no attachment of this process holds it.
namespace SuiteFiles {

// Copies a file whole (in the kernel where it can), replacing the target.
void copyFile(const QString &from, const QString &to);

// Copies the suite's files (configuration, stored logon, report project, stand-ins, both databases).
void copySuite(const QString &from, const QString &to);

// Points the suite's configuration at a database server ("host/port").
void setServerAddress(const QString &suite, const QString &address);

// Puts both databases of `work` back as they are in `pristine`.
void restoreDatabases(const QString &pristine, const QString &work);

// True while a descriptor of this process has the file open.
bool openInProcess(const QString &path);

// Peak resident memory of this process (VmHWM), in megabytes; resetPeak() starts it anew.
double peakMegabytes();
void resetPeak();

}
