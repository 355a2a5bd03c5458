#pragma once
#include <optional>
#include <utility>
#include "controls/Edit.h"
#include "data/CachedTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

// Controls bound to one column of the current row of a cached table. They show the row's value
// whenever the row moves, the table changes state or their own column changes; a change of another
// column leaves what the user is typing in place. They accept typing only while the table is
// inserting or editing; what the user types goes into the cached row when the control loses the
// focus, when the user confirms it and before the row is posted.
//
// Each control signals entered() when the user moves into it and exited() when the user moves out
// of it, after its text went into the row. A focus change caused by another window becoming active
// or by a popup is neither: the control is still the one the user is in.

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
    // True when a dataChanged(topLeft, bottomRight) of the table touches this column of the current row.
    bool covers(const QModelIndex &topLeft, const QModelIndex &bottomRight) const;

private:
    QPointer<CachedTable> m_table;
    QString m_field;
};

// A text or number box. A text box takes at most its column's size in typed characters (or the
// limit of setMaxChars); a longer stored value is still shown and kept whole. A number box takes
// only the characters of its kind.
class DBEdit : public Edit {
    Q_OBJECT
public:
    enum class Kind { Text, Integer, Decimal };
    DBEdit(CachedTable *table, const QString &field, QWidget *parent = nullptr, Kind kind = Kind::Text);
    DataLink &link() { return m_link; }
    Kind kind() const { return m_kind; }
    void setMaxChars(int n) { m_maxChars = n; refresh(); }   // overrides the column's size
    int maxChars() const;                                     // 0: no limit
    // A box that never accepts typing, whatever the table's state.
    void setAlwaysReadOnly(bool on) { m_alwaysReadOnly = on; refresh(); }
    // A number box that takes only values between `minimo` and `maximo` (a percentage: 0 and 100);
    // anything else is refused when written into the row, with a message that says the range.
    void setFaixa(double minimo, double maximo);
    // Writes the typed text into the cached row when it differs from the stored value.
    void updateRecord();

protected:
    void focusOutEvent(QFocusEvent *e) override;
    // In a decimal box the keypad's decimal key types the locale's separator, and so does a point
    // while the text has no separator yet (under pt_BR "1.5" is read as 1,5).
    void keyPressEvent(QKeyEvent *e) override;

private:
    void refresh();
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    DataLink m_link;
    Kind m_kind;
    int m_maxChars = 0;
    int m_shownLength = 0;   // length of the value last shown: a stored value may exceed the limit
    bool m_alwaysReadOnly = false;
    bool m_refreshing = false;
    std::optional<std::pair<double, double>> m_faixa;
    friend class TypedLengthValidator;
};

// A drop-down list that also accepts typed text. Filling or clearing its list leaves the text in
// the box as it was: the list offers values, the box shows the row's.
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    DBComboBox(CachedTable *table, const QString &field, QWidget *parent = nullptr);
    DataLink &link() { return m_link; }
    void updateRecord();

signals:
    void entered();
    void exited();

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void refresh();
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    DataLink m_link;
    bool m_refreshing = false;
    FocusTracker m_focus;
    int m_listChanging = 0;          // inside a change of the list's items
    QString m_textBeforeListChange;  // what the box showed before it
};

// A multi-line box. Tab moves the focus on rather than typing a tab.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    DBMemo(CachedTable *table, const QString &field, QWidget *parent = nullptr);
    DataLink &link() { return m_link; }
    void updateRecord();

signals:
    void entered();
    void exited();

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void refresh();
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    DataLink m_link;
    bool m_refreshing = false;
    FocusTracker m_focus;
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
