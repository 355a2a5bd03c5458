#pragma once
#include "data/StatementLog.h"

#include <QHash>
#include <QList>
#include <QString>

// The database's own floor for a program operation: the very statements the operation sent (as the
// statement log recorded them), run straight through Firebird's client interface with nothing
// around them: one attachment and one transaction per database, each statement prepared, executed
// and its rows fetched (blobs read), no conversion of values, committed at the end.
class Floor {
public:
    Floor() = default;
    ~Floor();
    Floor(const Floor &) = delete;
    Floor &operator=(const Floor &) = delete;

    // Where the statements of a program connection go (its name in the statement log → database).
    void route(const QString &connection, const QString &database);

    // Runs the statements and returns the milliseconds taken. With `attach`, the databases are
    // attached inside the timing (as the program's start-up attaches); otherwise they are attached
    // beforehand and the timing starts at the first statement.
    // `each`, when given, receives the milliseconds of every statement.
    double run(const QList<StatementLog::Entry> &statements, bool attach = false, QList<double> *each = nullptr);

    // Lets every database go, so its file can be replaced.
    void detach();

private:
    struct Impl;
    Impl *impl();
    QHash<QString, QString> m_routes;
    Impl *m_impl = nullptr;
};
