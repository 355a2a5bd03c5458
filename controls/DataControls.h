#pragma once
#include "data/CachedTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

// Controls bound to one column of the current row of a cached table. They show the row's value
// whenever the row or its values change; what the user types goes into the cached row (the table
// must be inserting or editing) when the control loses the focus or the user confirms it.

class DataLink {
public:
    DataLink(CachedTable *table, const QString &field) : m_table(table), m_field(field) {}
    CachedTable *table() const { return m_table; }
    QString field() const { return m_field; }
    bool active() const { return m_table && m_table->isOpen() && m_table->fieldIndex(m_field) >= 0; }
    bool editing() const
    {
        return m_table && (m_table->state() == CachedTable::State::Edit || m_table->state() == CachedTable::State::Insert);
    }
    QString currentText() const;   // display text of the current row's value
    int size() const { return m_table ? m_table->fieldSize(m_field) : 0; }

private:
    QPointer<CachedTable> m_table;
    QString m_field;
};

// A text or number box.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { Text, Integer, Decimal };
    DBEdit(CachedTable *table, const QString &field, QWidget *parent = nullptr, Kind kind = Kind::Text);
    DataLink &link() { return m_link; }
    void setMaxChars(int n) { m_maxChars = n; refresh(); }   // overrides the column's size
    // Writes the typed text into the cached row when it differs from the stored value.
    void updateRecord();

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    void refresh();
    DataLink m_link;
    Kind m_kind;
    int m_maxChars = 0;
    bool m_refreshing = false;
};

// A drop-down list that also accepts typed text.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    DBComboBox(CachedTable *table, const QString &field, QWidget *parent = nullptr);
    DataLink &link() { return m_link; }
    void updateRecord();

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    void refresh();
    DataLink m_link;
    bool m_refreshing = false;
};

// A multi-line box.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    DBMemo(CachedTable *table, const QString &field, QWidget *parent = nullptr);
    DataLink &link() { return m_link; }
    void updateRecord();

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    void refresh();
    DataLink m_link;
    bool m_refreshing = false;
};

// A label that shows a column of the current row.
class DBText : public QLabel {
    Q_OBJECT
public:
    DBText(CachedTable *table, const QString &field, QWidget *parent = nullptr);
    void refresh();

private:
    DataLink m_link;
};
