#pragma once
#include "data/Connection.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What this module needs in the suite's databases beyond the suite's own tables and keys: the
// indexes its queries rely on and the tables it adds. One list serves both a new suite (the set-up
// tool creates everything after the suite's tables) and an existing one (the upgrade creates only
// what is missing), so the two cannot drift apart.
//
// An index the suite already has serves as well, whatever its name: an active index of the same
// table, in the same direction, whose leading columns are the needed ones (or whose expression is
// the needed one).
namespace ModuleSchema {

enum class Database { Central, Interface };

struct IndexNeed {
    Database database;
    QString name;          // the name the module gives it when it creates it
    QString table;
    QStringList columns;   // empty for an expression index
    QString expression;    // "ESTACAO||NPEDIDO" for an index computed by that expression
    bool descending = false;

    QString createSql(const QString &indexName) const;
    QString describe() const;   // "IX_X on T (A, B)"
};

// A statement of a step, with how the catalogue shows it done: it runs only when not.
enum class Done { TableExists, ColumnExists, ColumnAbsent, ConstraintAbsent };
struct Statement {
    QString sql;
    Done done;
    QString table;
    QString name;   // the column or constraint the test is about
};

// A numbered step of the module's own tables (central database).
struct Step {
    int version;
    QString description;
    QList<Statement> statements;
};

const QList<IndexNeed> &indexes();
const QList<Step> &steps();
int currentVersion();
// The table holding the versions reached, one row per step applied.
const QString &versionTable();
// The version of the module's tables in the database (0 when it has none), in one call.
int readVersion(Connection &connection);

// An index as the database's catalogue describes it.
struct ExistingIndex {
    QString name;
    QString table;
    QStringList columns;
    QString expression;    // as stored, empty for a column index
    bool descending = false;
    bool active = true;
};

// The part of a database's catalogue the needs concern, and the columns of the suite's tables
// that the module uses (data/SuiteColumns.h), read with one query.
struct Catalog {
    QSet<QString> tables;         // those of the needs (the index tables and the module's tables) that exist
    QList<ExistingIndex> indexes; // every index of those tables, and any index carrying a needed name
    QSet<QString> indexNames;
    QSet<QString> columns;        // "TABLE.COLUMN" of the module's tables and of the suite's it uses
    QSet<QString> constraints;    // "TABLE.CONSTRAINT" of the module's tables

    bool isDone(const Statement &statement) const;
};

Catalog readCatalog(Connection &connection, Database database);

bool serves(const ExistingIndex &index, const IndexNeed &need);
// Two expressions alike but for spaces, case, double quotes and enclosing parentheses.
QString normalizedExpression(const QString &expression);

struct Missing {
    QList<Step> steps;            // those with a statement still to run
    QList<IndexNeed> indexes;
    bool isEmpty() const { return steps.isEmpty() && indexes.isEmpty(); }
    QStringList names() const;   // steps first, then indexes
};

Missing missing(const Catalog &catalog, Database database);

// Runs the steps still to run, then creates the missing indexes, each statement committed on its
// own, and returns one line per thing done ("step 2 applied: ...", "index IX_X added") and one per thing that could not be done (an index whose
// table is not in the database; a statement the database refused, which ends the run). Never
// alters or drops anything; what was created stays, and running it again goes on from there.
// Raises when the catalogue cannot be read (the database cannot be opened).
struct UpgradeResult {
    QStringList done;
    QStringList problems;
};
UpgradeResult upgrade(Connection &connection, Database database);
// The steps alone, none of the indexes.
UpgradeResult applySteps(Connection &connection);

}
