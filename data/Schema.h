#pragma once
#include "data/Connection.h"

#include <QStringList>

// The shipped definitions of the suite's central and interface databases.
namespace Schema {

// Splits a script into statements at ';' outside quotes and comments; "SET TERM x ;" changes the
// terminator for procedural blocks, as isql does.
QStringList splitStatements(const QString &script);
void apply(Connection &connection, const QString &script);

QString centralScript();
QString interfaceScript();

// Creates the database file of the connection and builds the suite's tables in it, then this
// module's own indexes and tables (data/ModuleSchema.h).
void createCentral(Connection &connection);
void createInterface(Connection &connection);

}
