#include "data/StatementLog.h"

#include <QMutex>
#include <QMutexLocker>
#include <deque>

namespace {
// Workstations simulated on threads log through the same list.
QMutex g_mutex;
std::deque<StatementLog::Entry> g_entries;
// The log lives as long as the program: a large settlement sends six statements an order, and
// 200,000 kept texts held some 100 MB. The latest 20,000 are what a test reads back.
int g_capacity = 20000;
quint64 g_first = 0;   // sequence number of g_entries.front()
quint64 g_next = 0;

void dropOldest()
{
    while (int(g_entries.size()) > g_capacity) {
        g_entries.pop_front();
        ++g_first;
    }
}
}

namespace StatementLog {

quint64 record(const QString &connection, const QString &sql, const QVariantList &params)
{
    QMutexLocker lock(&g_mutex);
    g_entries.push_back({connection, sql, params});
    dropOldest();
    return g_next++;
}

void finished(quint64 sequence, double ms)
{
    QMutexLocker lock(&g_mutex);
    if (sequence >= g_first && sequence - g_first < g_entries.size())
        g_entries[sequence - g_first].ms = ms;
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
    g_first = g_next;
}

void setCapacity(int entries)
{
    QMutexLocker lock(&g_mutex);
    g_capacity = std::max(1, entries);
    dropOldest();
}

int capacity()
{
    QMutexLocker lock(&g_mutex);
    return g_capacity;
}

}
