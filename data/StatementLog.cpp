#include "data/StatementLog.h"

#include <deque>

namespace {
std::deque<StatementLog::Entry> g_entries;
int g_capacity = 200000;
}

namespace StatementLog {

void record(const QString &connection, const QString &sql, const QVariantList &params)
{
    g_entries.push_back({connection, sql, params});
    while (int(g_entries.size()) > g_capacity)
        g_entries.pop_front();
}

QList<Entry> entries() { return QList<Entry>(g_entries.begin(), g_entries.end()); }

QStringList texts()
{
    QStringList out;
    for (const Entry &e : g_entries)
        out << e.sql;
    return out;
}

QStringList textsContaining(const QString &part)
{
    QStringList out;
    for (const Entry &e : g_entries)
        if (e.sql.contains(part))
            out << e.sql;
    return out;
}

void clear() { g_entries.clear(); }

void setCapacity(int entries) { g_capacity = std::max(1, entries); }

}
