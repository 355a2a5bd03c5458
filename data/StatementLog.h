#pragma once
#include <QString>
#include <QStringList>
#include <QVariantList>

// Every SQL text sent to a database, in order, with the connection that sent it. Tests read it to
// compare statement texts to the character.
namespace StatementLog {

struct Entry {
    QString connection;
    QString sql;
    QVariantList params;
};

void record(const QString &connection, const QString &sql, const QVariantList &params = {});
QList<Entry> entries();
QStringList texts();                              // just the SQL texts
QStringList textsContaining(const QString &part);
void clear();
void setCapacity(int entries);                    // oldest entries are dropped past it (default 20000)
int capacity();

}
