#include "data/CachedTable.h"

#include "data/SqlText.h"
#include "platform/Failure.h"
#include "platform/WinText.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QThread>
#include <QTime>

namespace {

bool isNull(const QVariant &v) { return !v.isValid() || v.isNull(); }

bool isNumeric(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return v.metaType() == QMetaType::fromType<Decimal>();
    }
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (isNull(a) || isNull(b))
        return isNull(a) == isNull(b);
    return compareValues(a, b) == 0 && a.metaType() == b.metaType();
}

// Formats a Decimal with a Delphi-style pattern such as "#,##0.00" or "###,###,##0.00".
QString formatDecimal(const Decimal &d, const QString &pattern)
{
    const int point = pattern.indexOf(QLatin1Char('.'));
    const int places = point < 0 ? 0 : int(pattern.size() - point - 1);
    const bool grouped = pattern.contains(QLatin1Char(','));
    QString s = d.toDisplayText(QLocale(), places);
    if (!grouped)
        s.remove(QLocale().groupSeparator());
    return s;
}

} // namespace

int compareValues(const QVariant &a, const QVariant &b)
{
    const bool na = isNull(a), nb = isNull(b);
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    if (isNumeric(a) && isNumeric(b)) {
        const Decimal da = Decimal::fromVariant(a), db = Decimal::fromVariant(b);
        return da == db ? 0 : (da < db ? -1 : 1);
    }
    if (a.metaType().id() == QMetaType::QDate && b.metaType().id() == QMetaType::QDate)
        return a.toDate() == b.toDate() ? 0 : (a.toDate() < b.toDate() ? -1 : 1);
    if (a.metaType().id() == QMetaType::QTime && b.metaType().id() == QMetaType::QTime)
        return a.toTime() == b.toTime() ? 0 : (a.toTime() < b.toTime() ? -1 : 1);
    if (a.metaType().id() == QMetaType::QDateTime && b.metaType().id() == QMetaType::QDateTime)
        return a.toDateTime() == b.toDateTime() ? 0 : (a.toDateTime() < b.toDateTime() ? -1 : 1);
    return WinText::compare(a.toString(), b.toString());
}

CachedTable::CachedTable(Connection &connection, const QString &name, const QString &commandText,
                         const QStringList &keyColumns, WhereMode where, QObject *parent)
    : QAbstractTableModel(parent), m_connection(connection), m_name(name), m_commandText(commandText),
      m_keyColumns(keyColumns), m_where(where)
{
}

QString CachedTable::tableName() const
{
    static const QRegularExpression re(QStringLiteral("\\bfrom\\s+([A-Za-z0-9_$]+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(m_commandText);
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}

QStringList CachedTable::lookupKey() const
{
    static const QRegularExpression re(QStringLiteral("\\border\\s+by\\s+(.*)$"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(m_commandText);
    if (!m.hasMatch())
        return {};
    QStringList cols;
    for (QString part : m.captured(1).split(QLatin1Char(','))) {
        part = part.trimmed();
        cols << part.section(QLatin1Char(' '), 0, 0).trimmed();
    }
    return cols;
}

QList<QPair<int, bool>> CachedTable::orderColumns() const
{
    static const QRegularExpression re(QStringLiteral("\\border\\s+by\\s+(.*)$"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
    QList<QPair<int, bool>> out;
    const auto m = re.match(m_commandText);
    if (!m.hasMatch())
        return out;
    for (QString part : m.captured(1).split(QLatin1Char(','))) {
        part = part.trimmed();
        const int idx = dataFieldIndex(part.section(QLatin1Char(' '), 0, 0));
        if (idx >= 0)
            out << qMakePair(idx, part.contains(QLatin1String("desc"), Qt::CaseInsensitive));
    }
    return out;
}

int CachedTable::compareRows(const QVector<QVariant> &a, const QVector<QVariant> &b,
                             const QList<QPair<int, bool>> &order) const
{
    for (const auto &[col, desc] : order) {
        const int c = compareValues(a[col], b[col]);
        if (c != 0)
            return desc ? -c : c;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Opening, closing, refreshing

void CachedTable::load(const RowSet &rs)
{
    // A closed table opened again on the same columns (a detail table following its master) only
    // gains rows: the views keep their columns' layout instead of building it again on a reset.
    const bool sameColumns = m_rows.isEmpty() && !m_fields.isEmpty() && m_fields == rs.fields;
    if (sameColumns && !rs.rows.isEmpty())
        beginInsertRows({}, 0, int(rs.rows.size()) - 1);
    else if (!sameColumns)
        beginResetModel();
    m_fields = rs.fields;
    m_rows.clear();
    m_rows.reserve(rs.rows.size());
    for (const auto &values : rs.rows)
        m_rows.append(Row{values, {}, Row::Unchanged});
    if (m_rowOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), [this](const Row &a, const Row &b) { return m_rowOrder(a.values, b.values); });
    m_deleted.clear();
    if (sameColumns && !rs.rows.isEmpty())
        endInsertRows();
    else if (!sameColumns)
        endResetModel();
}

void CachedTable::open()
{
    if (isOpen())
        return;
    openWith(m_connection.query(m_commandText, m_params, m_prepare));
}

void CachedTable::openWith(const RowSet &rs)
{
    if (isOpen())
        return;
    load(rs);
    m_buffer.clear();
    m_modified = false;
    m_insertRow = -1;
    setState(State::Browse);
    setCurrent(m_rows.isEmpty() ? -1 : 0);
    m_bof = true;
    m_eof = m_rows.isEmpty();
    if (afterOpen)
        afterOpen();
    if (!m_rows.isEmpty() && afterScroll)
        afterScroll();
}

void CachedTable::close()
{
    if (!isOpen())
        return;
    if (beforeClose)
        beforeClose();
    // The columns stay: only the rows go.
    const bool hadRows = !m_rows.isEmpty();
    if (hadRows)
        beginRemoveRows({}, 0, int(m_rows.size()) - 1);
    m_rows.clear();
    m_deleted.clear();
    m_buffer.clear();
    m_modified = false;
    m_insertRow = -1;
    if (hadRows)
        endRemoveRows();
    m_current = -1;
    setState(State::Inactive);
    emit currentChanged(-1);
}

void CachedTable::refresh()
{
    if (!isOpen())
        return;
    checkBrowseMode();
    if (hasPendingUpdates())
        throw DatabaseError(QStringLiteral("Must apply updates before refreshing data"));
    const int position = m_current;
    const RowSet rs = m_connection.query(m_commandText, m_params, m_prepare);
    load(rs);
    setCurrent(m_rows.isEmpty() ? -1 : std::clamp(position, 0, int(m_rows.size()) - 1));
}

// ---------------------------------------------------------------------------------------------
// Moving

void CachedTable::setCurrent(int row, bool notify)
{
    m_current = row;
    if (notify) {
        emit currentChanged(row);
        emit recordChanged();
    }
}

void CachedTable::changeCurrent(int row)
{
    if (!isOpen())
        throw DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    checkBrowseMode();
    if (m_rows.isEmpty()) {
        m_bof = m_eof = true;
        return;
    }
    row = std::clamp(row, 0, int(m_rows.size()) - 1);
    if (row == m_current)
        return;
    if (beforeScroll)
        beforeScroll();
    setCurrent(row);
    if (afterScroll)
        afterScroll();
}

void CachedTable::first()
{
    changeCurrent(0);
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void CachedTable::last()
{
    changeCurrent(int(m_rows.size()) - 1);
    m_eof = true;
    m_bof = m_rows.isEmpty();
}

void CachedTable::next()
{
    const int before = m_current;
    if (m_current + 1 >= m_rows.size()) {
        checkBrowseMode();
        m_eof = true;
        return;
    }
    changeCurrent(before + 1);
    m_bof = false;
    m_eof = false;
}

void CachedTable::prior()
{
    if (m_current <= 0) {
        checkBrowseMode();
        m_bof = true;
        return;
    }
    changeCurrent(m_current - 1);
    m_bof = false;
    m_eof = false;
}

void CachedTable::moveTo(int row)
{
    changeCurrent(row);
    m_bof = m_eof = false;
}

// ---------------------------------------------------------------------------------------------
// Editing

void CachedTable::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged();
}

void CachedTable::checkBrowseMode()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        updateRecordFromControls();
        if (m_modified)
            post();
        else
            cancel();
    }
}

void CachedTable::beginNewRow(int position)
{
    checkBrowseMode();
    if (beforeInsert)
        beforeInsert();
    if (beforeScroll)
        beforeScroll();
    position = std::clamp(position, 0, int(m_rows.size()));
    beginInsertRows({}, position, position);
    Row row;
    row.values = QVector<QVariant>(m_fields.size());
    row.status = Row::Inserted;
    m_rows.insert(position, row);
    endInsertRows();
    m_insertRow = position;
    m_buffer = row.values;
    m_modified = false;
    m_bof = m_eof = false;
    setState(State::Insert);
    setCurrent(position);
    if (afterInsert)
        afterInsert();
    if (afterScroll)
        afterScroll();
}

void CachedTable::insert()
{
    if (!isOpen())
        throw DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    beginNewRow(m_current < 0 ? 0 : m_current);
}

void CachedTable::append()
{
    if (!isOpen())
        throw DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    beginNewRow(int(m_rows.size()));
}

void CachedTable::edit()
{
    if (!isOpen())
        throw DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_rows.isEmpty()) {
        insert();
        return;
    }
    if (beforeEdit)
        beforeEdit();
    m_buffer = m_rows[m_current].values;
    m_modified = false;
    setState(State::Edit);
    if (afterEdit)
        afterEdit();
}

void CachedTable::cancel()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    if (beforeCancel)
        beforeCancel();
    if (m_state == State::Insert && m_insertRow >= 0) {
        beginRemoveRows({}, m_insertRow, m_insertRow);
        m_rows.removeAt(m_insertRow);
        endRemoveRows();
        m_insertRow = -1;
        m_current = m_rows.isEmpty() ? -1 : std::min(m_current, int(m_rows.size()) - 1);
    }
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
    setCurrent(m_current);
    if (afterCancel)
        afterCancel();
}

void CachedTable::checkKeyUnique(int row) const
{
    QList<int> keys;
    for (const QString &k : m_keyColumns) {
        const int i = dataFieldIndex(k);
        if (i >= 0)
            keys << i;
    }
    if (keys.isEmpty())
        return;
    for (int r = 0; r < m_rows.size(); ++r) {
        if (r == row)
            continue;
        bool same = true;
        for (int k : keys)
            if (compareValues(m_rows[r].values[k], m_buffer[k]) != 0 || isNull(m_buffer[k])) {
                same = false;
                break;
            }
        if (same)
            throw DatabaseError(QStringLiteral("Key violation."));
    }
}

int CachedTable::sortedPosition(int row) const
{
    const QList<QPair<int, bool>> order = orderColumns();
    if (order.isEmpty())
        return row;
    const QVector<QVariant> &values = m_rows[row].values;
    int pos = 0;
    for (int r = 0; r < m_rows.size(); ++r) {
        if (r == row)
            continue;
        if (compareRows(m_rows[r].values, values, order) <= 0)
            ++pos;
    }
    return pos;
}

void CachedTable::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    updateRecordFromControls();
    try {
        if (beforePost)
            beforePost();
        for (int i = 0; i < m_fields.size(); ++i)
            if (!m_fields[i].nullable && isNull(m_buffer[i]))
                throw DatabaseError(QStringLiteral("O campo '%1' precisa de um valor.").arg(m_fields[i].name));
        // Text the database would refuse is refused here, before the row enters the cache: a row
        // left pending by a failed write-back would hold its key and block the next one.
        for (const QVariant &v : std::as_const(m_buffer))
            if (v.metaType().id() == QMetaType::QString && !WinText::representable(v.toString()))
                throw unrepresentableText(v.toString());
        checkKeyUnique(m_current);
    } catch (const SilentAbort &) {
        throw;
    } catch (...) {
        if (onPostError && onPostError(std::current_exception()))
            throw SilentAbort();
        throw;
    }
    Row &row = m_rows[m_current];
    if (m_state == State::Edit) {
        bool changed = false;
        for (int i = 0; i < m_fields.size(); ++i)
            if (!sameValue(row.values[i], m_buffer[i]))
                changed = true;
        if (changed && row.status == Row::Unchanged) {
            row.original = row.values;
            row.status = Row::Modified;
        }
    }
    row.values = m_buffer;
    m_buffer.clear();
    m_modified = false;
    m_insertRow = -1;
    const int target = sortedPosition(m_current);
    if (target != m_current) {
        beginMoveRows({}, m_current, m_current, {}, target > m_current ? target + 1 : target);
        m_rows.move(m_current, target);
        endMoveRows();
        m_current = target;
    }
    // Browse first: a listener reading the row's values must find the row, not the emptied buffer.
    setState(State::Browse);
    emit dataChanged(index(m_current, 0), index(m_current, std::max(0, int(m_fields.size()) - 1)));
    setCurrent(m_current);
    if (afterPost)
        afterPost();
}

void CachedTable::remove()
{
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_rows.isEmpty() || m_current < 0)
        throw DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (beforeDelete)
        beforeDelete();
    if (m_state == State::Edit) {
        m_buffer.clear();
        m_modified = false;
        setState(State::Browse);
    }
    const Row row = m_rows[m_current];
    if (row.status != Row::Inserted)
        m_deleted << (row.status == Row::Modified ? row.original : row.values);
    beginRemoveRows({}, m_current, m_current);
    m_rows.removeAt(m_current);
    endRemoveRows();
    setCurrent(m_rows.isEmpty() ? -1 : std::min(m_current, int(m_rows.size()) - 1));
    if (afterDelete)
        afterDelete();
    if (afterScroll && !m_rows.isEmpty())
        afterScroll();
}

// ---------------------------------------------------------------------------------------------
// Values

int CachedTable::dataFieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int CachedTable::fieldIndex(const QString &name) const
{
    const int i = dataFieldIndex(name);
    if (i >= 0)
        return i;
    for (int c = 0; c < m_calculated.size(); ++c)
        if (m_calculated[c].field.name.compare(name, Qt::CaseInsensitive) == 0)
            return int(m_fields.size()) + c;
    return -1;
}

const Field &CachedTable::column(int index) const
{
    return index < m_fields.size() ? m_fields[index] : m_calculated[index - m_fields.size()].field;
}

void CachedTable::addCalculatedField(const Field &field, const std::function<QVariant(int)> &value)
{
    beginResetModel();
    // A field of the same name is replaced (a second window over the same table).
    m_calculated.removeIf([&field](const Calculated &c) { return c.field.name.compare(field.name, Qt::CaseInsensitive) == 0; });
    m_calculated.append(Calculated{field, value});
    endResetModel();
}

void CachedTable::calculatedFieldsChanged()
{
    if (!m_calculated.isEmpty() && !m_rows.isEmpty())
        emit dataChanged(index(0, int(m_fields.size())), index(int(m_rows.size()) - 1, columnCount() - 1));
}

int CachedTable::fieldSize(const QString &name) const
{
    const int i = dataFieldIndex(name);
    return i < 0 ? 0 : m_fields[i].size;
}

QVariant CachedTable::value(const QString &field) const
{
    const int i = fieldIndex(field);
    if (i < 0)
        throw DatabaseError(QStringLiteral("%1: Field '%2' not found").arg(m_name, field));
    if (i >= m_fields.size())
        return valueAt(m_current, i);
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer[i];
    if (m_current < 0)
        return {};
    return m_rows[m_current].values[i];
}

QString CachedTable::text(const QString &field) const
{
    const QVariant v = value(field);
    if (isNull(v))
        return {};
    if (v.metaType() == QMetaType::fromType<Decimal>())
        return v.value<Decimal>().toSqlText(v.value<Decimal>().scale());
    if (v.metaType().id() == QMetaType::QDate)
        return SqlText::dateDMY(v.toDate());
    return v.toString();
}

QVariant CachedTable::valueAt(int row, const QString &field) const { return valueAt(row, fieldIndex(field)); }

QVariant CachedTable::valueAt(int row, int column) const
{
    if (column < 0 || column >= columnCount() || row < 0 || row >= m_rows.size())
        return {};
    if (column >= m_fields.size())
        return m_calculated[column - m_fields.size()].value(row);
    if (row == m_current && (m_state == State::Edit || m_state == State::Insert))
        return m_buffer[column];
    return m_rows[row].values[column];
}

void CachedTable::setValue(const QString &field, const QVariant &input)
{
    if (m_state != State::Edit && m_state != State::Insert)
        throw DatabaseError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_name));
    const int i = dataFieldIndex(field);
    if (i < 0)
        throw DatabaseError(QStringLiteral("%1: Field '%2' not found").arg(m_name, field));
    const Field &f = m_fields[i];
    QVariant v = input;
    if (!isNull(v)) {
        switch (f.type) {
        case Field::Text:
        case Field::FixedText:
            v = v.toString().left(f.size);
            if (v.toString().isEmpty())
                v = QVariant();
            break;
        case Field::Numeric:
            v = QVariant::fromValue(Decimal::fromVariant(v).rescaled(f.scale));
            break;
        case Field::Integer:
            if (v.metaType().id() == QMetaType::QString) {
                bool ok = false;
                const int n = v.toString().trimmed().toInt(&ok);
                if (!ok && !v.toString().trimmed().isEmpty())
                    throw DatabaseError(QStringLiteral("'%1' não é um número inteiro válido.").arg(v.toString()));
                v = v.toString().trimmed().isEmpty() ? QVariant() : QVariant(n);
            } else {
                v = QVariant(v.toInt());
            }
            break;
        case Field::Date:
            if (v.metaType().id() == QMetaType::QString) {
                const QDate d = SqlText::parseDMY(v.toString());
                if (!d.isValid())
                    throw DatabaseError(QStringLiteral("'%1' não é uma data válida.").arg(v.toString()));
                v = d;
            }
            break;
        default:
            break;
        }
    }
    m_buffer[i] = v;
    m_modified = true;
    emit dataChanged(index(m_current, i), index(m_current, i));
    emit recordChanged();
}

// ---------------------------------------------------------------------------------------------
// Lookups

bool CachedTable::locate(const QVariant &key)
{
    checkBrowseMode();
    const QStringList keys = lookupKey();
    const int col = keys.isEmpty() ? -1 : dataFieldIndex(keys.first());
    if (col < 0)
        return false;
    for (int r = 0; r < m_rows.size(); ++r) {
        const QVariant &v = m_rows[r].values[col];
        if (!isNull(v) && !isNull(key) && compareValues(v, key) == 0) {
            moveTo(r);
            return true;
        }
        if (isNull(v) && (isNull(key) || key.toString().isEmpty())) {
            moveTo(r);
            return true;
        }
    }
    return false;
}

void CachedTable::locateNearest(const QVariant &key)
{
    checkBrowseMode();
    const QStringList keys = lookupKey();
    const int col = keys.isEmpty() ? -1 : dataFieldIndex(keys.first());
    if (col < 0 || m_rows.isEmpty())
        return;
    for (int r = 0; r < m_rows.size(); ++r) {
        if (compareValues(m_rows[r].values[col], key) >= 0) {
            moveTo(r);
            return;
        }
    }
    moveTo(int(m_rows.size()) - 1);
}

// ---------------------------------------------------------------------------------------------
// Write-back

bool CachedTable::hasPendingUpdates() const
{
    if (!m_deleted.isEmpty())
        return true;
    for (const Row &r : m_rows)
        if (r.status != Row::Unchanged && !(r.status == Row::Inserted && m_state == State::Insert))
            return true;
    return false;
}

namespace {

// A condition on a row of the table: the rows that match it, and whether one must exist.
struct Conferencia {
    QString where;
    QVariantList params;
    bool existe = true;
};

// One statement of a write-back, and how its effect is recognised when the commit's answer is lost:
// the row as the statement leaves it, and the row as it was.
struct Pendente {
    QString sql;
    QVariantList params;
    bool mustAffect;
    int row;       // index in m_rows, or -1 for a deletion
    int deleted;   // index in m_deleted
    Conferencia gravado;
    Conferencia antes;
};

// Columns with their values: "A = ? AND B IS NULL". Blobs are left out (the database does not
// compare them with "=").
QString condicao(const QList<Field> &fields, const QVector<QVariant> &values, const QList<int> &cols, QVariantList &params)
{
    QStringList parts;
    for (int i : cols) {
        if (fields[i].type == Field::Blob)
            continue;
        if (isNull(values[i])) {
            parts << fields[i].name + QStringLiteral(" IS NULL");
        } else {
            parts << fields[i].name + QStringLiteral(" = ?");
            params << values[i];
        }
    }
    return parts.join(QStringLiteral(" AND "));
}

Conferencia conferencia(const QList<Field> &fields, const QVector<QVariant> &values, const QList<int> &identidade,
                        const QList<int> &colunas, bool existe)
{
    Conferencia c;
    c.existe = existe;
    QStringList parts{condicao(fields, values, identidade, c.params)};
    if (!colunas.isEmpty())
        parts << condicao(fields, values, colunas, c.params);
    parts.removeAll(QString());
    c.where = parts.join(QStringLiteral(" AND "));
    return c;
}

enum class Desfecho { Gravado, NaoGravado, Incerto };

// Whether a write-back whose commit lost its answer is in the database: each row read again by its
// key on a new link, waiting for the broken link's transaction to end. Gravado when every row is
// as written, NaoGravado when every row is as it was; anything else, or no answer after a few
// attempts, cannot tell.
Desfecho desfechoDoCommit(Connection &db, const QString &table, const QList<Pendente> &work)
{
    constexpr int esperaSegundos = 5;
    constexpr int tentativas = 3;
    const auto confere = [&](const Conferencia &c) {
        const QString sql = QStringLiteral("select count(*) from ") + table +
                            (c.where.isEmpty() ? QString() : QStringLiteral(" where ") + c.where);
        return (db.queryAfterWriters(sql, esperaSegundos, c.params).rows.value(0).value(0).toInt() > 0) == c.existe;
    };
    for (int tentativa = 1; tentativa <= tentativas; ++tentativa) {
        try {
            int gravados = 0, intactos = 0;
            for (const Pendente &p : work) {
                if (confere(p.gravado))
                    ++gravados;
                else if (confere(p.antes))
                    ++intactos;
            }
            if (gravados == work.size())
                return Desfecho::Gravado;
            return intactos == work.size() ? Desfecho::NaoGravado : Desfecho::Incerto;
        } catch (const DatabaseError &) {
            // The link is still down, or the lost transaction has not ended yet.
        }
        if (tentativa < tentativas)
            QThread::sleep(1);
    }
    return Desfecho::Incerto;
}

}

int CachedTable::applyUpdates(int maxErrors)
{
    checkBrowseMode();
    m_lastCommit = Commit::Answered;
    const QString table = tableName();
    QList<int> keyIdx;
    for (const QString &k : m_keyColumns)
        if (dataFieldIndex(k) >= 0)
            keyIdx << dataFieldIndex(k);
    QList<int> allIdx;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].type != Field::Blob)
            allIdx << i;
    // How a statement finds its row; a row is read back by its key, or by all its columns without one.
    const QList<int> whereIdx = m_where == WhereMode::KeyOnly ? keyIdx : allIdx;
    const QList<int> identidade = keyIdx.isEmpty() ? allIdx : keyIdx;
    auto whereClause = [&](const QVector<QVariant> &orig, QVariantList &params) {
        return condicao(m_fields, orig, whereIdx, params);
    };

    QList<Pendente> work;
    for (int d = 0; d < m_deleted.size(); ++d) {
        QVariantList params;
        const QString where = whereClause(m_deleted[d], params);
        work << Pendente{QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, where), params, true, -1, d,
                         conferencia(m_fields, m_deleted[d], identidade, {}, false),
                         conferencia(m_fields, m_deleted[d], identidade, {}, true)};
    }
    for (int r = 0; r < m_rows.size(); ++r) {
        const Row &row = m_rows[r];
        if (row.status == Row::Modified) {
            QStringList sets;
            QVariantList params;
            QList<int> changed;
            for (int i = 0; i < m_fields.size(); ++i)
                if (!sameValue(row.values[i], row.original[i])) {
                    sets << m_fields[i].name + QStringLiteral(" = ?");
                    params << row.values[i];
                    changed << i;
                }
            if (sets.isEmpty())
                continue;
            const QString where = whereClause(row.original, params);
            work << Pendente{QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, sets.join(QStringLiteral(", ")), where),
                             params, true, r, -1,
                             conferencia(m_fields, row.values, identidade, changed, true),
                             conferencia(m_fields, row.original, identidade, changed, true)};
        } else if (row.status == Row::Inserted && !(m_state == State::Insert && r == m_insertRow)) {
            QStringList cols, marks;
            QVariantList params;
            QList<int> filled;
            for (int i = 0; i < m_fields.size(); ++i)
                if (!isNull(row.values[i])) {
                    cols << m_fields[i].name;
                    marks << QStringLiteral("?");
                    params << row.values[i];
                    filled << i;
                }
            // A row appended with every column left empty is stored as such.
            const QString insert = cols.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                        .arg(table, cols.join(QStringLiteral(", ")),
                                                             marks.join(QStringLiteral(", ")));
            work << Pendente{insert, params, false, r, -1,
                             conferencia(m_fields, row.values, identidade, filled, true),
                             conferencia(m_fields, row.values, identidade, {}, false)};
        }
    }
    if (work.isEmpty())
        return 0;

    m_lastApplyError.clear();
    int errors = 0;
    QList<int> doneRows, doneDeleted;
    Transaction tx(m_connection);
    for (const Pendente &p : work) {
        try {
            const int n = m_connection.execute(p.sql, p.params);
            if (p.mustAffect && n == 0)
                throw DatabaseError(QStringLiteral("Record not found or changed by another user"));
            if (p.row >= 0)
                doneRows << p.row;
            else
                doneDeleted << p.deleted;
        } catch (const DatabaseError &e) {
            ++errors;
            if (m_lastApplyError.isEmpty())
                m_lastApplyError = e.message();
            if (maxErrors >= 0 && errors > maxErrors)
                return errors;   // the scope rolls the whole batch back; every change stays pending
        }
    }
    try {
        tx.commit();
    } catch (const CommitOutcomeUnknown &perdido) {
        // The server may have committed before its answer was lost: the rows say whether it did.
        // Until they do, every change stays pending.
        switch (desfechoDoCommit(m_connection, table, work)) {
        case Desfecho::Gravado:
            m_lastCommit = Commit::FoundWritten;
            break;
        case Desfecho::NaoGravado:
            throw DatabaseError(perdido.message(), perdido.gdsCode(), true);
        case Desfecho::Incerto:
            throw;
        }
    }
    for (int r : doneRows) {
        m_rows[r].status = Row::Unchanged;
        m_rows[r].original.clear();
    }
    std::sort(doneDeleted.begin(), doneDeleted.end(), std::greater<int>());
    for (int d : doneDeleted)
        m_deleted.removeAt(d);
    return errors;
}

void CachedTable::writeBack(int maxErrors)
{
    const int errors = applyUpdates(maxErrors);
    if (errors > 0) {
        // The cache cannot be re-read over a pending change; the user sees why the write failed.
        throw DatabaseError(m_lastApplyError + QStringLiteral("\n\nMust apply updates before refreshing data"));
    }
    refresh();
}

void CachedTable::addRecordUpdater(QObject *owner, const std::function<void()> &update)
{
    m_recordUpdaters.append({QPointer<QObject>(owner), update});
}

void CachedTable::removeRecordUpdaters(QObject *owner)
{
    m_recordUpdaters.removeIf([owner](const auto &u) { return u.first.isNull() || u.first.data() == owner; });
}

void CachedTable::updateRecordFromControls()
{
    m_recordUpdaters.removeIf([](const auto &u) { return u.first.isNull(); });
    const auto updaters = m_recordUpdaters;   // an updater may bind or unbind controls
    for (const auto &[owner, update] : updaters)
        if (!owner.isNull())
            update();
}

bool CachedTable::resumeEditing()
{
    if (m_state != State::Browse || m_current < 0 || m_current >= m_rows.size())
        return false;
    Row &row = m_rows[m_current];
    if (row.status == Row::Inserted) {
        m_buffer = row.values;
        m_insertRow = m_current;
        m_modified = true;
        setState(State::Insert);
    } else if (row.status == Row::Modified) {
        m_buffer = row.values;
        row.values = row.original;
        row.original.clear();
        row.status = Row::Unchanged;
        m_modified = true;
        setState(State::Edit);
    } else {
        return false;
    }
    emit dataChanged(index(m_current, 0), index(m_current, std::max(0, int(m_fields.size()) - 1)));
    setCurrent(m_current);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Model

void CachedTable::setDisplayFormat(const QString &field, const QString &format) { m_formats[field.toUpper()] = format; }

void CachedTable::setTitle(const QString &field, const QString &title) { m_titles[field.toUpper()] = title; }

QString CachedTable::formatValue(const QVariant &v, int column) const
{
    if (isNull(v))
        return {};
    const QString format = m_formats.value(this->column(column).name.toUpper());
    if (v.metaType() == QMetaType::fromType<Decimal>()) {
        const Decimal d = v.value<Decimal>();
        if (!format.isEmpty())
            return formatDecimal(d, format);
        QString s = d.toSqlText(d.scale());
        return s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    }
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(format.isEmpty() ? QStringLiteral("dd/MM/yy") : format);
    if (v.metaType().id() == QMetaType::QTime)
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    if (v.metaType().id() == QMetaType::Double) {
        if (!format.isEmpty())
            return formatDecimal(Decimal::fromVariant(v), format);
        return QLocale().toString(v.toDouble(), 'g', 15);
    }
    return v.toString();
}

QString CachedTable::displayText(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= columnCount())
        return {};
    return formatValue(valueAt(row, column), column);
}

int CachedTable::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int CachedTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size() + m_calculated.size());
}

QVariant CachedTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return displayText(index.row(), index.column());
    if (role == Qt::EditRole)
        return valueAt(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const Field::Type t = column(index.column()).type;
        if (t == Field::Numeric || t == Field::Integer || t == Field::BigInt || t == Field::Double)
            return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant CachedTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return (section == m_current) ? QStringLiteral("\u25B6") : QString();
    if (section < 0 || section >= columnCount())
        return {};
    const QString name = column(section).name;
    return m_titles.value(name.toUpper(), name);
}
