#pragma once
#include "controls/Edit.h"
#include "data/CachedTable.h"

#include <QDate>
#include <QPointer>

// A box for a date typed as day/month/two-digit year through the mask "99/99/00": the slashes stay
// in the text and empty places show as "_". The day and month digits may be left out; the text is
// read as the workstation reads short dates.
class MaskEdit : public Edit {
    Q_OBJECT
public:
    explicit MaskEdit(QWidget *parent = nullptr);
    // The text with its empty places as blanks: "  /  /  " when nothing was typed.
    QString maskedText() const;
    // True when nothing but the separators is in the box.
    bool isBlank() const;
    // The typed date; a null date when the text is not a valid date.
    QDate date() const;
};

// The same box bound to a date column of the current row of a cached table. It shows the stored
// date; what the user types goes into the row when the box loses the focus and when the row is
// posted. A text that is not a date is kept in the box and refused when the row is posted, so a
// mistyped date is never replaced silently by the stored one.
class DBMaskEdit : public MaskEdit {
    Q_OBJECT
public:
    explicit DBMaskEdit(QWidget *parent = nullptr);
    DBMaskEdit(CachedTable *table, const QString &field, QWidget *parent = nullptr);

    // Binds the box to a column (the data module may come to life after the window).
    void bind(CachedTable *table, const QString &field);
    CachedTable *table() const { return m_table; }
    QString field() const { return m_field; }

    // Writes the typed date into the row being edited; raises when the text is not a date.
    void updateRecord();

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    bool editing() const;
    QString storedText() const;
    void refresh(bool force);

    QPointer<CachedTable> m_table;
    QString m_field;
    QList<QMetaObject::Connection> m_connections;
    bool m_refreshing = false;
};
