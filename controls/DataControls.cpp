#include "controls/DataControls.h"

#include "platform/ErrorReporter.h"

#include <QFocusEvent>
#include <QIntValidator>
#include <QLineEdit>
#include <QRegularExpressionValidator>

QString DataLink::currentText() const
{
    if (!active() || m_table->recNo() < 0)
        return {};
    const int col = m_table->fieldIndex(m_field);
    return m_table->displayText(m_table->recNo(), col);
}

// ---------------------------------------------------------------------------------------------

DBEdit::DBEdit(CachedTable *table, const QString &field, QWidget *parent, Kind kind)
    : QLineEdit(parent), m_link(table, field), m_kind(kind)
{
    if (kind == Kind::Integer)
        setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+]?[0-9]*")), this));
    else if (kind == Kind::Decimal)
        setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+]?[0-9]*[.,]?[0-9]*")), this));
    connect(table, &CachedTable::recordChanged, this, &DBEdit::refresh);
    connect(table, &CachedTable::stateChanged, this, &DBEdit::refresh);
    connect(table, &CachedTable::updateRecordRequested, this, [this] { updateRecord(); });
    connect(table, &QAbstractItemModel::modelReset, this, &DBEdit::refresh);
    connect(this, &QLineEdit::returnPressed, this, [this] { ErrorReporter::guard([this] { updateRecord(); }); });
    refresh();
}

void DBEdit::refresh()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    const int size = m_maxChars > 0 ? m_maxChars : m_link.size();
    if (m_kind == Kind::Text && size > 0)
        setMaxLength(size);
    setText(m_link.currentText());
    m_refreshing = false;
}

void DBEdit::updateRecord()
{
    if (!m_link.editing())
        return;
    QString typed = text();
    if (typed == m_link.currentText())
        return;
    if (m_kind == Kind::Decimal)
        typed.replace(QLatin1Char(','), QLatin1Char('.'));
    m_link.table()->setValue(m_link.field(), typed.isEmpty() ? QVariant() : QVariant(typed));
}

void DBEdit::focusOutEvent(QFocusEvent *e)
{
    ErrorReporter::guard([this] { updateRecord(); });
    QLineEdit::focusOutEvent(e);
}

// ---------------------------------------------------------------------------------------------

DBComboBox::DBComboBox(CachedTable *table, const QString &field, QWidget *parent)
    : QComboBox(parent), m_link(table, field)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(table, &CachedTable::recordChanged, this, &DBComboBox::refresh);
    connect(table, &CachedTable::stateChanged, this, &DBComboBox::refresh);
    connect(table, &CachedTable::updateRecordRequested, this, [this] { updateRecord(); });
    connect(table, &QAbstractItemModel::modelReset, this, &DBComboBox::refresh);
    connect(this, &QComboBox::activated, this, [this] { ErrorReporter::guard([this] { updateRecord(); }); });
    refresh();
}

void DBComboBox::refresh()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    if (lineEdit() && m_link.size() > 0)
        lineEdit()->setMaxLength(std::max(m_link.size(), 255));
    setEditText(m_link.currentText());
    m_refreshing = false;
}

void DBComboBox::updateRecord()
{
    if (!m_link.editing())
        return;
    const QString typed = currentText();
    if (typed == m_link.currentText())
        return;
    m_link.table()->setValue(m_link.field(), typed.isEmpty() ? QVariant() : QVariant(typed));
}

void DBComboBox::focusOutEvent(QFocusEvent *e)
{
    ErrorReporter::guard([this] { updateRecord(); });
    QComboBox::focusOutEvent(e);
}

// ---------------------------------------------------------------------------------------------

DBMemo::DBMemo(CachedTable *table, const QString &field, QWidget *parent) : QPlainTextEdit(parent), m_link(table, field)
{
    connect(table, &CachedTable::recordChanged, this, &DBMemo::refresh);
    connect(table, &CachedTable::stateChanged, this, &DBMemo::refresh);
    connect(table, &CachedTable::updateRecordRequested, this, [this] { updateRecord(); });
    connect(table, &QAbstractItemModel::modelReset, this, &DBMemo::refresh);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        const int size = m_link.size();
        if (size > 0 && toPlainText().size() > size) {
            QString t = toPlainText().left(size);
            setPlainText(t);
            moveCursor(QTextCursor::End);
        }
    });
    refresh();
}

void DBMemo::refresh()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    setPlainText(m_link.currentText());
    m_refreshing = false;
}

void DBMemo::updateRecord()
{
    if (!m_link.editing())
        return;
    const QString typed = toPlainText();
    if (typed == m_link.currentText())
        return;
    m_link.table()->setValue(m_link.field(), typed.isEmpty() ? QVariant() : QVariant(typed));
}

void DBMemo::focusOutEvent(QFocusEvent *e)
{
    ErrorReporter::guard([this] { updateRecord(); });
    QPlainTextEdit::focusOutEvent(e);
}

// ---------------------------------------------------------------------------------------------

DBText::DBText(CachedTable *table, const QString &field, QWidget *parent) : QLabel(parent), m_link(table, field)
{
    connect(table, &CachedTable::recordChanged, this, &DBText::refresh);
    connect(table, &QAbstractItemModel::modelReset, this, &DBText::refresh);
    refresh();
}

void DBText::refresh() { setText(m_link.currentText()); }
