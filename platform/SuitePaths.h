#pragma once
#include <QString>

// The suite's files live at fixed Windows paths under "c:\praxolin". On Windows they stay as written;
// elsewhere "c:\praxolin\X\Y" becomes "<suite root>/X/Y", each folder and file matched without regard
// to case. The suite root is the program's folder unless PRAXOLIN_HOME names another.
namespace SuitePaths {

QString suiteRoot();
void setSuiteRootForTests(const QString &root);   // empty restores the default

// Maps a fixed suite path ("c:\praxolin\LOGON.LLF") to a path on this machine.
QString map(const QString &windowsPath);

// Maps a database path as the server sees it. A local (embedded) database is mapped like any
// suite file; a server keeps its own layout, so the Windows path is only turned into the server's
// suite root form when the server runs elsewhere than on Windows.
QString mapDatabasePath(const QString &windowsPath);
// The same path as a Firebird server sees it: unchanged on Windows; elsewhere under the server's
// suite root, PRAXOLIN_SERVER_HOME when set, else this machine's suite root.
QString mapForServer(const QString &windowsPath);

// The program's own folder with a trailing separator, as the suite's programs see it.
QString programFolder();

}
