#pragma once
#include "data/Connection.h"

// A query object whose SQL text is set by the code that uses it: replace the text, open (all rows
// are fetched), read, close; or execute a statement that returns no rows.
class FreeQuery {
public:
    FreeQuery(Connection &connection, const QString &name, const QString &fixedText = {})
        : m_connection(connection), m_name(name), m_sql(fixedText)
    {
    }

    QString name() const { return m_name; }
    void setSql(const QString &sql) { m_sql = sql; }
    QString sql() const { return m_sql; }
    void clearSql() { m_sql.clear(); }

    void open()
    {
        if (m_open)
            return;
        m_rows = m_connection.query(m_sql);
        m_row = 0;
        m_open = true;
    }
    void close()
    {
        m_open = false;
        m_rows = RowSet();
        m_row = 0;
    }
    bool isOpen() const { return m_open; }
    void execute() { m_connection.execute(m_sql); }

    int rowCount() const { return m_rows.rowCount(); }
    bool isEmpty() const { return m_rows.rowCount() == 0; }
    void first() { m_row = 0; }
    void next() { ++m_row; }
    bool eof() const { return m_row >= m_rows.rowCount(); }
    int recNo() const { return m_row; }
    QVariant value(const QString &field) const { return m_rows.value(m_row, field); }
    QString text(const QString &field) const
    {
        const QVariant v = value(field);
        if (!v.isValid() || v.isNull())
            return {};
        if (v.metaType() == QMetaType::fromType<Decimal>())
            return v.value<Decimal>().toSqlText(v.value<Decimal>().scale());
        return v.toString();
    }
    const RowSet &rows() const { return m_rows; }

private:
    Connection &m_connection;
    QString m_name;
    QString m_sql;
    RowSet m_rows;
    int m_row = 0;
    bool m_open = false;
};
