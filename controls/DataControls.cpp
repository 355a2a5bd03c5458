#include "controls/DataControls.h"

#include "platform/ErrorReporter.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <stdexcept>
#include <QIntValidator>
#include <QLocale>
#include <QLineEdit>
#include <QRegularExpressionValidator>

QString DataLink::currentText() const
{
    if (!active() || m_table->recNo() < 0)
        return {};
    const int col = m_table->fieldIndex(m_field);
    return m_table->displayText(m_table->recNo(), col);
}

bool DataLink::covers(const QModelIndex &topLeft, const QModelIndex &bottomRight) const
{
    if (!active())
        return false;
    const int row = m_table->recNo();
    const int col = m_table->fieldIndex(m_field);
    return row >= topLeft.row() && row <= bottomRight.row() && col >= topLeft.column() && col <= bottomRight.column();
}

// ---------------------------------------------------------------------------------------------

// Limits what the user types to the box's size, the way an edit control's text limit does: the
// characters that do not fit are dropped from the insertion. A longer value shown by the program
// stays whole and may be edited, but not lengthened.
class TypedLengthValidator : public QValidator {
public:
    explicit TypedLengthValidator(DBEdit *edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString &input, int &pos) const override
    {
        const int limit = m_edit->maxChars();
        if (limit <= 0)
            return Acceptable;
        const int allowed = std::max(limit, m_edit->m_shownLength);
        if (input.size() > allowed) {
            const int excess = int(input.size()) - allowed;
            const int from = std::clamp(pos - excess, 0, allowed);
            input.remove(from, excess);
            pos = from;
        }
        return Acceptable;
    }

private:
    DBEdit *m_edit;
};

DBEdit::DBEdit(CachedTable *table, const QString &field, QWidget *parent, Kind kind)
    : Edit(parent), m_link(table, field), m_kind(kind)
{
    if (kind == Kind::Integer)
        setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+]?[0-9]*")), this));
    else if (kind == Kind::Decimal)   // the workstation's decimal separator, as the box shows the value
        setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[-+]?[0-9]*") + QRegularExpression::escape(QLocale().decimalPoint()) +
                               QStringLiteral("?[0-9]*")),
            this));
    else
        setValidator(new TypedLengthValidator(this));
    connect(table, &CachedTable::currentChanged, this, &DBEdit::refresh);
    connect(table, &CachedTable::stateChanged, this, &DBEdit::refresh);
    connect(table, &QAbstractItemModel::dataChanged, this, &DBEdit::onDataChanged);
    table->addRecordUpdater(this, [this] { updateRecord(); });
    connect(table, &QAbstractItemModel::modelReset, this, &DBEdit::refresh);
    connect(this, &QLineEdit::returnPressed, this, [this] { ErrorReporter::guard([this] { updateRecord(); }); });
    refresh();
}

int DBEdit::maxChars() const
{
    if (m_maxChars > 0)
        return m_maxChars;
    return m_kind == Kind::Text ? m_link.size() : 0;
}

void DBEdit::refresh()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    const QString shown = m_link.currentText();
    m_shownLength = int(shown.size());
    setText(shown);
    setReadOnly(m_alwaysReadOnly || !m_link.editing());
    m_refreshing = false;
}

void DBEdit::onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (m_link.covers(topLeft, bottomRight))
        refresh();
}

void DBEdit::updateRecord()
{
    if (!m_link.editing() || m_alwaysReadOnly)
        return;
    QString typed = text();
    if (typed == m_link.currentText())
        return;
    if (m_kind == Kind::Decimal)
        typed.replace(QLocale().decimalPoint(), QStringLiteral("."));
    if (m_faixa && !typed.isEmpty()) {
        bool ok = false;
        const double valor = typed.toDouble(&ok);
        if (!ok || valor < m_faixa->first || valor > m_faixa->second) {
            const QLocale local;
            throw std::runtime_error(QStringLiteral("O valor %1 não é válido: deve estar entre %2 e %3.")
                                         .arg(text(), local.toString(m_faixa->first), local.toString(m_faixa->second))
                                         .toStdString());
        }
    }
    m_link.table()->setValue(m_link.field(), typed.isEmpty() ? QVariant() : QVariant(typed));
}

void DBEdit::setFaixa(double minimo, double maximo) { m_faixa = std::make_pair(minimo, maximo); }

void DBEdit::keyPressEvent(QKeyEvent *e)
{
    if (m_kind == Kind::Decimal && !isReadOnly()) {
        const QString separador = QLocale().decimalPoint();
        const bool tecladoNumerico =
            (e->modifiers() & Qt::KeypadModifier) && (e->key() == Qt::Key_Period || e->key() == Qt::Key_Comma);
        const bool ponto = e->text() == QLatin1String(".") && separador != QLatin1String(".") && !text().contains(separador);
        if (tecladoNumerico || ponto) {
            if (!text().contains(separador) || hasSelectedText())
                insert(separador);
            return;
        }
    }
    Edit::keyPressEvent(e);
}

void DBEdit::focusOutEvent(QFocusEvent *e)
{
    ErrorReporter::guard([this] { updateRecord(); });
    Edit::focusOutEvent(e);
}

// ---------------------------------------------------------------------------------------------

DBComboBox::DBComboBox(CachedTable *table, const QString &field, QWidget *parent)
    : QComboBox(parent), m_link(table, field)
{
    setLineEdit(new Edit(this));   // editable, with the text selected on entering
    setInsertPolicy(QComboBox::NoInsert);
    // A list that is cleared and filled again would otherwise put its first item in the box, and the
    // next post would store it. These run after the combo box's own handlers of its list model.
    auto listChanges = [this] {
        if (m_listChanging++ == 0)
            m_textBeforeListChange = currentText();
    };
    auto listChanged = [this] {
        if (m_listChanging > 0 && --m_listChanging == 0 && currentText() != m_textBeforeListChange)
            setEditText(m_textBeforeListChange);
    };
    QAbstractItemModel *items = model();
    connect(items, &QAbstractItemModel::rowsAboutToBeInserted, this, listChanges);
    connect(items, &QAbstractItemModel::rowsInserted, this, listChanged);
    connect(items, &QAbstractItemModel::rowsAboutToBeRemoved, this, listChanges);
    connect(items, &QAbstractItemModel::rowsRemoved, this, listChanged);
    connect(items, &QAbstractItemModel::modelAboutToBeReset, this, listChanges);
    connect(items, &QAbstractItemModel::modelReset, this, listChanged);
    connect(table, &CachedTable::currentChanged, this, &DBComboBox::refresh);
    connect(table, &CachedTable::stateChanged, this, &DBComboBox::refresh);
    connect(table, &QAbstractItemModel::dataChanged, this, &DBComboBox::onDataChanged);
    table->addRecordUpdater(this, [this] { updateRecord(); });
    connect(table, &QAbstractItemModel::modelReset, this, &DBComboBox::refresh);
    connect(this, &QComboBox::activated, this, [this] {
        // A choice made while the row is not being edited is not taken.
        if (!m_link.editing())
            refresh();
        else
            ErrorReporter::guard([this] { updateRecord(); });
    });
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
    if (lineEdit())
        lineEdit()->setReadOnly(!m_link.editing());
    m_refreshing = false;
}

void DBComboBox::onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (m_link.covers(topLeft, bottomRight))
        refresh();
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

void DBComboBox::focusInEvent(QFocusEvent *e)
{
    QComboBox::focusInEvent(e);
    if (m_focus.enters(e))
        emit entered();
}

void DBComboBox::focusOutEvent(QFocusEvent *e)
{
    ErrorReporter::guard([this] { updateRecord(); });
    QComboBox::focusOutEvent(e);
    if (m_focus.leaves(e))
        emit exited();
}

// ---------------------------------------------------------------------------------------------

DBMemo::DBMemo(CachedTable *table, const QString &field, QWidget *parent) : QPlainTextEdit(parent), m_link(table, field)
{
    setTabChangesFocus(true);
    connect(table, &CachedTable::currentChanged, this, &DBMemo::refresh);
    connect(table, &CachedTable::stateChanged, this, &DBMemo::refresh);
    connect(table, &QAbstractItemModel::dataChanged, this, &DBMemo::onDataChanged);
    table->addRecordUpdater(this, [this] { updateRecord(); });
    connect(table, &QAbstractItemModel::modelReset, this, &DBMemo::refresh);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        const int size = m_link.size();
        if (!m_refreshing && size > 0 && toPlainText().size() > size) {
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
    setReadOnly(!m_link.editing());
    m_refreshing = false;
}

void DBMemo::onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    if (m_link.covers(topLeft, bottomRight))
        refresh();
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

void DBMemo::focusInEvent(QFocusEvent *e)
{
    QPlainTextEdit::focusInEvent(e);
    if (m_focus.enters(e))
        emit entered();
}

void DBMemo::focusOutEvent(QFocusEvent *e)
{
    ErrorReporter::guard([this] { updateRecord(); });
    QPlainTextEdit::focusOutEvent(e);
    if (m_focus.leaves(e))
        emit exited();
}

// ---------------------------------------------------------------------------------------------

DBText::DBText(CachedTable *table, const QString &field, QWidget *parent) : QLabel(parent), m_link(table, field)
{
    connect(table, &CachedTable::recordChanged, this, &DBText::refresh);
    connect(table, &QAbstractItemModel::modelReset, this, &DBText::refresh);
    refresh();
}

void DBText::refresh() { setText(m_link.currentText()); }
