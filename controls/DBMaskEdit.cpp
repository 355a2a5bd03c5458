#include "controls/DBMaskEdit.h"

#include "data/SqlText.h"
#include "platform/ErrorReporter.h"

#include <QFocusEvent>

MaskEdit::MaskEdit(QWidget *parent) : Edit(parent)
{
    // Qt's "0" is an optional digit and "9" a required one: day and month may stay blank, the two
    // year digits are asked for.
    setInputMask(QStringLiteral("00/00/99;_"));
    setMaxLength(8);
}

QString MaskEdit::maskedText() const
{
    QString shown = displayText();
    shown.replace(QLatin1Char('_'), QLatin1Char(' '));
    return shown;
}

bool MaskEdit::isBlank() const { return maskedText().remove(QLatin1Char('/')).trimmed().isEmpty(); }

QDate MaskEdit::date() const
{
    // Blanks left in optional places ("1 /3 /26") are not part of the date.
    return SqlText::parseDMY(maskedText().remove(QLatin1Char(' ')));
}

// ---------------------------------------------------------------------------------------------

DBMaskEdit::DBMaskEdit(QWidget *parent) : MaskEdit(parent) {}

DBMaskEdit::DBMaskEdit(CachedTable *table, const QString &field, QWidget *parent) : MaskEdit(parent)
{
    bind(table, field);
}

void DBMaskEdit::bind(CachedTable *table, const QString &field)
{
    for (const auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    if (m_table)
        m_table->removeRecordUpdaters(this);
    m_table = table;
    m_field = field;
    if (table) {
        // A move or a reload shows the stored value; a change of another column of the same row
        // keeps what the user is typing here.
        m_connections << connect(table, &CachedTable::currentChanged, this, [this] { refresh(true); });
        m_connections << connect(table, &CachedTable::stateChanged, this, [this] { refresh(true); });
        m_connections << connect(table, &QAbstractItemModel::modelReset, this, [this] { refresh(true); });
        m_connections << connect(table, &CachedTable::recordChanged, this, [this] { refresh(false); });
        table->addRecordUpdater(this, [this] { updateRecord(); });
    }
    refresh(true);
}

bool DBMaskEdit::editing() const
{
    return m_table && (m_table->state() == CachedTable::State::Edit || m_table->state() == CachedTable::State::Insert);
}

QString DBMaskEdit::storedText() const
{
    if (!m_table || !m_table->isOpen() || m_table->recNo() < 0 || m_table->fieldIndex(m_field) < 0)
        return {};
    return SqlText::dateDMY(m_table->value(m_field).toDate());
}

void DBMaskEdit::refresh(bool force)
{
    if (m_refreshing || (!force && isModified() && editing()))
        return;
    m_refreshing = true;
    setText(storedText());
    setModified(false);
    m_refreshing = false;
}

void DBMaskEdit::updateRecord()
{
    // Only what the user typed is written: a box that shows the stored value leaves the row alone,
    // whoever else edits and posts it.
    if (!editing() || m_refreshing || !isModified())
        return;
    const QDate stored = m_table->value(m_field).toDate();
    if (isBlank()) {
        if (stored.isValid())
            m_table->setValue(m_field, QVariant());
        setModified(false);
        return;
    }
    const QDate typed = date();
    if (!typed.isValid())
        throw DatabaseError(QStringLiteral("'%1' não é uma data válida.").arg(maskedText()));
    if (typed != stored)
        m_table->setValue(m_field, typed);
    setModified(false);
}

void DBMaskEdit::focusOutEvent(QFocusEvent *e)
{
    // A date that does not convert stays in the box until the row is posted, which refuses it.
    if (editing() && isModified() && (isBlank() || date().isValid()))
        ErrorReporter::guard([this] { updateRecord(); });
    MaskEdit::focusOutEvent(e);
}
