#include "data/ModuleSchema.h"

#include "data/SqlText.h"

#include <QHash>

#include <algorithm>

namespace ModuleSchema {

namespace {

IndexNeed central(const QString &name, const QString &table, const QStringList &columns, bool descending = false)
{
    return {Database::Central, name, table, columns, {}, descending};
}

IndexNeed centralComputed(const QString &name, const QString &table, const QString &expression)
{
    return {Database::Central, name, table, {}, expression, false};
}

// Firebird 3 names are at most 31 characters.
constexpr int kMaxName = 31;

}

const QList<IndexNeed> &indexes()
{
    static const QList<IndexNeed> list = {
        // The register in name order, the search by name, and the next convênio code.
        central(QStringLiteral("IX_CONVENIO_NOME"), QStringLiteral("CONVENIO"), {QStringLiteral("CONVENIO")}),
        central(QStringLiteral("IX_CONVENIO_CODIGO_DESC"), QStringLiteral("CONVENIO"), {QStringLiteral("CODIGOCONVENIO")},
                true),
        // The workstation of the logged-on user, looked up as upper(USUARIO).
        centralComputed(QStringLiteral("IX_ESTACOES_USUARIO"), QStringLiteral("ESTACOES"), QStringLiteral("upper(USUARIO)")),
        // The statement, the settlements and the totals select a convênio's orders of a period. With
        // the index statistics of a database that grew from empty, the optimizer would otherwise take
        // any index on the date and read every convênio's orders of the period.
        central(QStringLiteral("IX_PEDIDOS_CONVENIO_DATA"), QStringLiteral("PEDIDOS"),
                {QStringLiteral("CONVENIO"), QStringLiteral("DATAPEDIDO")}),
        // The settlement closes an order's instalments by ESTACAO||NPEDIDO.
        centralComputed(QStringLiteral("IX_PAGPEDID_PEDIDO"), QStringLiteral("PAGPEDID"), QStringLiteral("ESTACAO||NPEDIDO")),
        // The cash posting: the highest movement code, the order's existing movement, and the
        // removal of movements without a value before each posting.
        central(QStringLiteral("IX_MOVCAIXA_CODMOVCX_DESC"), QStringLiteral("MOVCAIXA"), {QStringLiteral("CODMOVCX")}, true),
        central(QStringLiteral("IX_MOVCAIXA_NPEDIDO"), QStringLiteral("MOVCAIXA"), {QStringLiteral("NPEDIDO")}),
        central(QStringLiteral("IX_MOVCAIXA_VALOR"), QStringLiteral("MOVCAIXA"), {QStringLiteral("VALOR")}),
        // The order's receivable account, found by its order code.
        central(QStringLiteral("IX_CONTASPR_PEDIDO"), QStringLiteral("CONTASPR"), {QStringLiteral("CODIGOPEDIDO")}),
        // The list of a convênio's settlements, and a settled order's later settlements.
        central(QStringLiteral("IX_QUITACOES_CONVENIO"), QStringLiteral("QUITACOES"), {QStringLiteral("CONVENIO")}),
        central(QStringLiteral("IX_QUITACAO_PEDIDOS_PEDIDO"), QStringLiteral("QUITACAO_PEDIDOS"),
                {QStringLiteral("ESTACAO"), QStringLiteral("NPEDIDO")}),
        // The check for a convênio's orders still open at the counter.
        {Database::Interface, QStringLiteral("IX_PEDIDOS_CONVENIO_DATA"), QStringLiteral("PEDIDOS"),
         {QStringLiteral("CONVENIO"), QStringLiteral("DATAPEDIDO")}, {}, false},
    };
    return list;
}

// The module's own tables, one entry each: { database, name, "CREATE TABLE name (...)" }. They
// are created before the indexes, so an index of this list may be on one of them.
//
// The record of the settlements (the suite's other programs ignore it): one row per settlement,
// with its reversal once reversed; per settled order its value, the movement posted for it and its
// PEDIDOS values as they were before; and the instalments of PAGPEDID and PARCELAS as they were
// before, so that a settlement can be proved and undone exactly. Settlements are numbered like the
// cash movements: the highest number plus one, taken again when another workstation stored it
// first. Text columns take the database's character set, as the suite's do.
const QList<TableNeed> &tables()
{
    static const QList<TableNeed> list = {
        {Database::Central, QStringLiteral("QUITACOES"),
         QStringLiteral("CREATE TABLE QUITACOES ("
                        "CODQUITACAO INTEGER NOT NULL, "
                        "COMANDO VARCHAR(10) NOT NULL, "
                        "DATAHORA TIMESTAMP NOT NULL, "
                        "USUARIO VARCHAR(60), "
                        "ESTACAO VARCHAR(2), "
                        "CAIXA VARCHAR(20), "
                        "SESSAO VARCHAR(20), "
                        "FORMAPAG VARCHAR(40), "
                        "CONVENIO VARCHAR(40), "
                        "DATAINICIAL DATE, "
                        "DATAFINAL DATE, "
                        "DATAPAGAMENTO DATE, "
                        "QTDEPEDIDOS INTEGER, "
                        "VALORTOTAL NUMERIC(15,2), "
                        "QTDEMOVIMENTOS INTEGER, "
                        "ESTORNO_DATAHORA TIMESTAMP, "
                        "ESTORNO_USUARIO VARCHAR(60), "
                        "ESTORNO_ESTACAO VARCHAR(2), "
                        "ESTORNO_MOTIVO VARCHAR(200), "
                        "CONSTRAINT PK_QUITACOES PRIMARY KEY (CODQUITACAO)"
                        ")")},
        {Database::Central, QStringLiteral("QUITACAO_PEDIDOS"),
         QStringLiteral("CREATE TABLE QUITACAO_PEDIDOS ("
                        "CODQUITACAO INTEGER NOT NULL, "
                        "ESTACAO VARCHAR(2) NOT NULL, "
                        "NPEDIDO INTEGER NOT NULL, "
                        "DATAPEDIDO DATE, "
                        "NOME VARCHAR(40), "
                        "VALOR NUMERIC(15,2), "
                        "CODMOVCX INTEGER, "
                        "CODMOVCX_ESTORNO INTEGER, "
                        "PAGO_ANTES VARCHAR(1), "
                        "DATAPAGAMENTO_ANTES DATE, "
                        "PAGO VARCHAR(1), "
                        "DATAPAGAMENTO DATE, "
                        "CONSTRAINT PK_QUITACAO_PEDIDOS PRIMARY KEY (CODQUITACAO, ESTACAO, NPEDIDO)"
                        ")")},
        {Database::Central, QStringLiteral("QUITACAO_PAGPEDID"),
         QStringLiteral("CREATE TABLE QUITACAO_PAGPEDID ("
                        "CODQUITACAO INTEGER NOT NULL, "
                        "ESTACAO VARCHAR(2) NOT NULL, "
                        "NPEDIDO INTEGER NOT NULL, "
                        "NPARCELA INTEGER NOT NULL, "
                        "DATAPAGTO_ANTES DATE, "
                        "VALORPAGO_ANTES NUMERIC(15,2), "
                        "DATAPAGTO DATE, "
                        "VALORPAGO NUMERIC(15,2), "
                        "CONSTRAINT PK_QUITACAO_PAGPEDID PRIMARY KEY (CODQUITACAO, ESTACAO, NPEDIDO, NPARCELA)"
                        ")")},
        {Database::Central, QStringLiteral("QUITACAO_PARCELAS"),
         QStringLiteral("CREATE TABLE QUITACAO_PARCELAS ("
                        "CODQUITACAO INTEGER NOT NULL, "
                        "CODIGOCPR INTEGER NOT NULL, "
                        "NPARCELA INTEGER NOT NULL, "
                        "ESTACAO VARCHAR(2), "
                        "NPEDIDO INTEGER, "
                        "DATAPAGTO_ANTES DATE, "
                        "VALORPAGO_ANTES NUMERIC(15,2), "
                        "DATAPAGTO DATE, "
                        "VALORPAGO NUMERIC(15,2), "
                        "CONSTRAINT PK_QUITACAO_PARCELAS PRIMARY KEY (CODQUITACAO, CODIGOCPR, NPARCELA)"
                        ")")},
    };
    return list;
}

QString IndexNeed::createSql(const QString &indexName) const
{
    const QString head = QStringLiteral("CREATE %1INDEX %2 ON %3 ")
                             .arg(descending ? QStringLiteral("DESCENDING ") : QString(), indexName, table);
    if (!expression.isEmpty())
        return head + QStringLiteral("COMPUTED BY (%1)").arg(expression);
    return head + QStringLiteral("(%1)").arg(columns.join(QStringLiteral(", ")));
}

QString IndexNeed::describe() const
{
    return QStringLiteral("%1 on %2 (%3)").arg(name, table, expression.isEmpty() ? columns.join(QStringLiteral(", ")) : expression);
}

QString normalizedExpression(const QString &expression)
{
    QString s;
    for (const QChar c : expression)
        if (!c.isSpace() && c != QLatin1Char('"'))
            s += c.toUpper();
    // Drops parentheses that enclose the whole expression: "((A||B))" is "A||B", "(A)||(B)" stays.
    auto enclosesAll = [](const QString &t) {
        if (t.size() < 2 || t.front() != QLatin1Char('(') || t.back() != QLatin1Char(')'))
            return false;
        int depth = 0;
        for (int i = 0; i < t.size(); ++i) {
            if (t[i] == QLatin1Char('('))
                ++depth;
            else if (t[i] == QLatin1Char(')') && --depth == 0 && i < t.size() - 1)
                return false;
        }
        return true;
    };
    while (enclosesAll(s))
        s = s.mid(1, s.size() - 2);
    return s;
}

bool serves(const ExistingIndex &index, const IndexNeed &need)
{
    if (!index.active || index.descending != need.descending ||
        index.table.compare(need.table, Qt::CaseInsensitive) != 0)
        return false;
    if (!need.expression.isEmpty())
        return normalizedExpression(index.expression) == normalizedExpression(need.expression);
    if (!index.expression.isEmpty() || index.columns.size() < need.columns.size())
        return false;
    for (int i = 0; i < need.columns.size(); ++i)
        if (index.columns[i].compare(need.columns[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

namespace {

QString inList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &n : names)
        quoted << QLatin1Char('\'') + SqlText::quoted(n.toUpper()) + QLatin1Char('\'');
    return quoted.join(QStringLiteral(", "));
}

QStringList tablesOf(Database database)
{
    QStringList out;
    for (const TableNeed &t : tables())
        if (t.database == database && !out.contains(t.name.toUpper()))
            out << t.name.toUpper();
    for (const IndexNeed &i : indexes())
        if (i.database == database && !out.contains(i.table.toUpper()))
            out << i.table.toUpper();
    return out;
}

}

Catalog readCatalog(Connection &connection, Database database)
{
    const QStringList names = tablesOf(database);
    QStringList prefixes;
    for (const IndexNeed &i : indexes())
        if (i.database == database)
            prefixes << QStringLiteral("i.RDB$INDEX_NAME starting with '%1'").arg(SqlText::quoted(i.name.toUpper()));
    Catalog catalog;
    if (names.isEmpty())
        return catalog;
    // The tables with their indexes and segments (a table without indexes gives one row of nulls),
    // and the indexes elsewhere whose names a needed one would take.
    const QString columns = QStringLiteral(
        "i.RDB$INDEX_NAME, i.RDB$INDEX_TYPE, i.RDB$INDEX_INACTIVE, cast(i.RDB$EXPRESSION_SOURCE as varchar(1000)), "
        "s.RDB$FIELD_NAME, s.RDB$FIELD_POSITION");
    const QString sql =
        QStringLiteral("select r.RDB$RELATION_NAME, %1 from RDB$RELATIONS r "
                       "left join RDB$INDICES i on i.RDB$RELATION_NAME = r.RDB$RELATION_NAME "
                       "left join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                       "where r.RDB$RELATION_NAME in (%2) "
                       "union all "
                       "select i.RDB$RELATION_NAME, %1 from RDB$INDICES i "
                       "left join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                       "where i.RDB$RELATION_NAME not in (%2) and (%3)")
            .arg(columns, inList(names), prefixes.isEmpty() ? QStringLiteral("1 = 0") : prefixes.join(QStringLiteral(" or ")));
    const RowSet rows = connection.query(sql);

    QHash<QString, int> byName;
    QHash<QString, QList<std::pair<int, QString>>> segments;
    for (const QVector<QVariant> &row : rows.rows) {
        const QString table = row[0].toString().trimmed();
        if (names.contains(table))
            catalog.tables.insert(table);
        if (row[1].isNull())
            continue;
        const QString name = row[1].toString().trimmed();
        if (!byName.contains(name)) {
            ExistingIndex index;
            index.name = name;
            index.table = table;
            index.descending = row[2].toInt() == 1;
            index.active = row[3].toInt() == 0;
            index.expression = row[4].toString().trimmed();
            byName.insert(name, int(catalog.indexes.size()));
            catalog.indexes << index;
            catalog.indexNames.insert(name);
        }
        if (!row[5].isNull())
            segments[name] << std::pair{row[6].toInt(), row[5].toString().trimmed()};
    }
    for (auto it = segments.begin(); it != segments.end(); ++it) {
        std::sort(it->begin(), it->end());
        ExistingIndex &index = catalog.indexes[byName.value(it.key())];
        for (const auto &segment : *it)
            index.columns << segment.second;
    }
    return catalog;
}

QStringList Missing::names() const
{
    QStringList out;
    for (const TableNeed &t : tables)
        out << t.name;
    for (const IndexNeed &i : indexes)
        out << i.name;
    return out;
}

Missing missing(const Catalog &catalog, Database database)
{
    Missing out;
    for (const TableNeed &t : tables())
        if (t.database == database && !catalog.tables.contains(t.name.toUpper()))
            out.tables << t;
    for (const IndexNeed &need : indexes()) {
        if (need.database != database)
            continue;
        const bool served = std::any_of(catalog.indexes.begin(), catalog.indexes.end(),
                                        [&](const ExistingIndex &e) { return serves(e, need); });
        if (!served)
            out.indexes << need;
    }
    return out;
}

namespace {

// The needed name, or, when another index already carries it, the first free "name_2", "name_3" ...
QString freeName(const Catalog &catalog, const QString &name)
{
    if (!catalog.indexNames.contains(name.toUpper()))
        return name;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral("_%1").arg(n);
        const QString candidate = name.left(kMaxName - int(suffix.size())) + suffix;
        if (!catalog.indexNames.contains(candidate.toUpper()))
            return candidate;
    }
}

}

UpgradeResult upgrade(Connection &connection, Database database)
{
    UpgradeResult result;
    Catalog catalog = readCatalog(connection, database);
    const Missing todo = missing(catalog, database);
    // A statement the database refuses ends the run: what was added before stays, and the next run
    // goes on from there.
    auto create = [&](const QString &sql, const QString &what) {
        try {
            connection.execute(sql);
            return true;
        } catch (const DatabaseError &e) {
            result.problems << QStringLiteral("%1 not added: %2").arg(what, e.message().simplified());
            return false;
        }
    };
    for (const TableNeed &t : todo.tables) {
        if (!create(t.ddl, QStringLiteral("table ") + t.name))
            return result;
        catalog.tables.insert(t.name.toUpper());
        result.done << QStringLiteral("table %1 added").arg(t.name);
    }
    for (const IndexNeed &need : todo.indexes) {
        if (!catalog.tables.contains(need.table.toUpper())) {
            result.problems << QStringLiteral("table %1 not found: index %2 not added").arg(need.table, need.name);
            continue;
        }
        // An index added just before may already serve this one.
        if (std::any_of(catalog.indexes.begin(), catalog.indexes.end(), [&](const ExistingIndex &e) { return serves(e, need); }))
            continue;
        const QString name = freeName(catalog, need.name);
        if (!create(need.createSql(name), QStringLiteral("index ") + name))
            return result;
        catalog.indexes << ExistingIndex{name.toUpper(), need.table.toUpper(), need.columns, need.expression, need.descending, true};
        catalog.indexNames.insert(name.toUpper());
        result.done << (name == need.name ? QStringLiteral("index %1 added").arg(name)
                                          : QStringLiteral("index %1 added (%2 names another index)").arg(name, need.name));
    }
    return result;
}

}
