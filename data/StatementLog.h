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
    double ms = -1;   // how long the program took over it (prepared to last row read); -1 until known
};

// Returns the entry's sequence number, for finished().
quint64 record(const QString &connection, const QString &sql, const QVariantList &params = {});
void finished(quint64 sequence, double ms);
QList<Entry> entries();
QStringList texts();                              // just the SQL texts
QStringList textsContaining(const QString &part);
void clear();
void setCapacity(int entries);                    // oldest entries are dropped past it (default 20000)
int capacity();

}
