#pragma once
#include <QString>
#include <QStringList>

// Brings the databases of an existing suite up to what this module needs (data/ModuleSchema.h):
// the missing indexes and tables are created, nothing else is touched, and a second run finds
// nothing to do.
namespace SuiteUpgrade {

struct Report {
    QStringList lines;      // what was done, database by database, or "nothing to do"
    bool complete = true;   // false when something could not be added (the lines say what and why)
};

// The suite's databases as the program opens them: on `serverAddress` when given, else the local
// files through the embedded engine, both under the current suite root. Raises when a database
// cannot be opened or refuses a statement; what was added before stays.
Report run(const QString &serverAddress);

// Prepares every statement of the module on the suite's databases (nothing runs) and reports, in
// Portuguese, each that would fail, naming the table or column at fault. The upgrade ends with it.
Report check(const QString &serverAddress);

// Names a user of the suite as a supervisor who may authorise reversals. Raises when the suite has no
// such user or lacks the module's tables (run the upgrade first).
Report supervisor(const QString &serverAddress, const QString &usuario);

}
