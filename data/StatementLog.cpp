#include "data/StatementLog.h"

#include <QMutex>
#include <QMutexLocker>
#include <deque>

namespace {
// Workstations simulated on threads log through the same list.
QMutex g_mutex;
std::deque<StatementLog::Entry> g_entries;
int g_capacity = 200000;
}

namespace StatementLog {

void record(const QString &connection, const QString &sql, const QVariantList &params)
{
    QMutexLocker lock(&g_mutex);
    g_entries.push_back({connection, sql, params});
    while (int(g_entries.size()) > g_capacity)
        g_entries.pop_front();
}

QList<Entry> entries()
{
    QMutexLocker lock(&g_mutex);
    return QList<Entry>(g_entries.begin(), g_entries.end());
}

QStringList texts()
{
    QMutexLocker lock(&g_mutex);
    QStringList out;
    for (const Entry &e : g_entries)
        out << e.sql;
    return out;
}

QStringList textsContaining(const QString &part)
{
    QMutexLocker lock(&g_mutex);
    QStringList out;
    for (const Entry &e : g_entries)
        if (e.sql.contains(part))
            out << e.sql;
    return out;
}

void clear()
{
    QMutexLocker lock(&g_mutex);
    g_entries.clear();
}

void setCapacity(int entries)
{
    QMutexLocker lock(&g_mutex);
    g_capacity = std::max(1, entries);
}

}
