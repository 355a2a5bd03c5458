#pragma once
#include <QString>
#include <QStringList>
#include <functional>

// Starts a sibling program by command line and goes on without waiting for it, as the suite's
// programs do on Windows: the line is split at blanks (double quotes group), the first word is the
// program (or, unquoted, the shortest text up to a blank that names an existing file, so a folder
// with a blank in its name works), and the new process gets this program's current folder.
namespace ProcessStart {

QStringList splitCommandLine(const QString &commandLine);

// Returns false only when the operating system refused the start; callers of the suite ignore it.
bool start(const QString &commandLine);

// Test support: while set, start() hands the program and its arguments to the recorder instead.
void setRecorder(const std::function<void(const QString &program, const QStringList &args)> &recorder);

}
