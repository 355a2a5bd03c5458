#include "data/ModuleSchema.h"

#include "data/SqlText.h"
#include "data/SuiteColumns.h"

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
        // A settlement's copies of the instalments, by row: the settlement looks each row up before
        // copying it (a row is copied once), and the reversal reads them all.
        central(QStringLiteral("IX_QUITACAO_PAGPEDID_LINHA"), QStringLiteral("QUITACAO_PAGPEDID"),
                {QStringLiteral("CODQUITACAO"), QStringLiteral("CHAVE_LINHA")}),
        central(QStringLiteral("IX_QUITACAO_PARCELAS_LINHA"), QStringLiteral("QUITACAO_PARCELAS"),
                {QStringLiteral("CODQUITACAO"), QStringLiteral("CHAVE_LINHA")}),
        // The check for a convênio's orders still open at the counter.
        {Database::Interface, QStringLiteral("IX_PEDIDOS_CONVENIO_DATA"), QStringLiteral("PEDIDOS"),
         {QStringLiteral("CONVENIO"), QStringLiteral("DATAPEDIDO")}, {}, false},
    };
    return list;
}

// The module's own tables are built by numbered steps, as a database's migrations are: version N
// is what steps 1 to N leave. Each statement of a step says how the catalogue shows it done, so a
// step that stopped part-way goes on from there and a second run does nothing. A step never
// touches the suite's tables; the suite gets only indexes (the list above).
//
// The record of the settlements (the suite's other programs ignore it): one row per settlement,
// with its reversal once reversed; per settled order its value, the movement posted for it and its
// PEDIDOS values as they were before; and the instalments of PAGPEDID and PARCELAS as they were
// before, so that a settlement can be proved and undone exactly. Settlements are numbered like the
// cash movements: the highest number plus one, taken again when another workstation stored it
// first. Text columns take the database's character set, as the suite's do.
namespace {

Statement createTable(const QString &table, const QString &columns)
{
    return {QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns), Done::TableExists, table, {}};
}
Statement addColumn(const QString &table, const QString &column, const QString &type)
{
    return {QStringLiteral("ALTER TABLE %1 ADD %2 %3").arg(table, column, type), Done::ColumnExists, table, column};
}
Statement dropConstraint(const QString &table, const QString &constraint)
{
    return {QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT %2").arg(table, constraint), Done::ConstraintAbsent, table,
            constraint};
}
// A statement that must run while `column` still exists (and that the step drops afterwards).
Statement whileColumn(const QString &sql, const QString &table, const QString &column)
{
    return {sql, Done::ColumnAbsent, table, column};
}

}

const QList<Step> &steps()
{
    static const QList<Step> list = {
        {1, QStringLiteral("o registro das quitações"),
         {createTable(QStringLiteral("QUITACOES"),
                      QStringLiteral("CODQUITACAO INTEGER NOT NULL, COMANDO VARCHAR(10) NOT NULL, DATAHORA TIMESTAMP NOT "
                                     "NULL, USUARIO VARCHAR(60), ESTACAO VARCHAR(2), CAIXA VARCHAR(20), SESSAO VARCHAR(20), "
                                     "FORMAPAG VARCHAR(40), CONVENIO VARCHAR(40), DATAINICIAL DATE, DATAFINAL DATE, "
                                     "DATAPAGAMENTO DATE, QTDEPEDIDOS INTEGER, VALORTOTAL NUMERIC(15,2), QTDEMOVIMENTOS "
                                     "INTEGER, ESTORNO_DATAHORA TIMESTAMP, ESTORNO_USUARIO VARCHAR(60), ESTORNO_ESTACAO "
                                     "VARCHAR(2), ESTORNO_MOTIVO VARCHAR(200), CONSTRAINT PK_QUITACOES PRIMARY KEY "
                                     "(CODQUITACAO)")),
          createTable(QStringLiteral("QUITACAO_PEDIDOS"),
                      QStringLiteral("CODQUITACAO INTEGER NOT NULL, ESTACAO VARCHAR(2) NOT NULL, NPEDIDO INTEGER NOT NULL, "
                                     "DATAPEDIDO DATE, NOME VARCHAR(40), VALOR NUMERIC(15,2), CODMOVCX INTEGER, "
                                     "CODMOVCX_ESTORNO INTEGER, PAGO_ANTES VARCHAR(1), DATAPAGAMENTO_ANTES DATE, PAGO "
                                     "VARCHAR(1), DATAPAGAMENTO DATE, CONSTRAINT PK_QUITACAO_PEDIDOS PRIMARY KEY "
                                     "(CODQUITACAO, ESTACAO, NPEDIDO)")),
          // Version 1 told an instalment from another by a number column that only one suite has;
          // step 2 replaces it.
          createTable(QStringLiteral("QUITACAO_PAGPEDID"),
                      QStringLiteral("CODQUITACAO INTEGER NOT NULL, ESTACAO VARCHAR(2) NOT NULL, NPEDIDO INTEGER NOT NULL, "
                                     "NPARCELA INTEGER NOT NULL, DATAPAGTO_ANTES DATE, VALORPAGO_ANTES NUMERIC(15,2), "
                                     "DATAPAGTO DATE, VALORPAGO NUMERIC(15,2), CONSTRAINT PK_QUITACAO_PAGPEDID PRIMARY KEY "
                                     "(CODQUITACAO, ESTACAO, NPEDIDO, NPARCELA)")),
          createTable(QStringLiteral("QUITACAO_PARCELAS"),
                      QStringLiteral("CODQUITACAO INTEGER NOT NULL, CODIGOCPR INTEGER NOT NULL, NPARCELA INTEGER NOT NULL, "
                                     "ESTACAO VARCHAR(2), NPEDIDO INTEGER, DATAPAGTO_ANTES DATE, VALORPAGO_ANTES "
                                     "NUMERIC(15,2), DATAPAGTO DATE, VALORPAGO NUMERIC(15,2), CONSTRAINT "
                                     "PK_QUITACAO_PARCELAS PRIMARY KEY (CODQUITACAO, CODIGOCPR, NPARCELA)"))}},
        // The copies of the instalments keep the database's own identity of the row (RDB$DB_KEY,
        // taken inside the settlement's transaction) with the values that prove it is still the same
        // row: the order key ESTACAO||NPEDIDO that the settlement's update names, or the account, and
        // the instalment's amount. A copy that version 1 wrote keeps its order and amount.
        {2, QStringLiteral("parcelas distinguidas pela identidade de linha do próprio banco"),
         {addColumn(QStringLiteral("QUITACAO_PAGPEDID"), QStringLiteral("CHAVE_LINHA"),
                    QStringLiteral("CHAR(8) CHARACTER SET OCTETS")),
          addColumn(QStringLiteral("QUITACAO_PAGPEDID"), QStringLiteral("PEDIDO"), QStringLiteral("VARCHAR(60)")),
          addColumn(QStringLiteral("QUITACAO_PAGPEDID"), QStringLiteral("VALOR"), QStringLiteral("NUMERIC(15,2)")),
          whileColumn(QStringLiteral("UPDATE QUITACAO_PAGPEDID SET PEDIDO = ESTACAO||NPEDIDO, VALOR = VALORPAGO WHERE "
                                     "PEDIDO IS NULL"),
                      QStringLiteral("QUITACAO_PAGPEDID"), QStringLiteral("NPARCELA")),
          dropConstraint(QStringLiteral("QUITACAO_PAGPEDID"), QStringLiteral("PK_QUITACAO_PAGPEDID")),
          whileColumn(QStringLiteral("ALTER TABLE QUITACAO_PAGPEDID DROP ESTACAO, DROP NPEDIDO, DROP NPARCELA"),
                      QStringLiteral("QUITACAO_PAGPEDID"), QStringLiteral("NPARCELA")),
          addColumn(QStringLiteral("QUITACAO_PARCELAS"), QStringLiteral("CHAVE_LINHA"),
                    QStringLiteral("CHAR(8) CHARACTER SET OCTETS")),
          addColumn(QStringLiteral("QUITACAO_PARCELAS"), QStringLiteral("VALORPARCELA"), QStringLiteral("NUMERIC(15,2)")),
          whileColumn(QStringLiteral("UPDATE QUITACAO_PARCELAS SET VALORPARCELA = VALORPAGO WHERE VALORPARCELA IS NULL"),
                      QStringLiteral("QUITACAO_PARCELAS"), QStringLiteral("NPARCELA")),
          dropConstraint(QStringLiteral("QUITACAO_PARCELAS"), QStringLiteral("PK_QUITACAO_PARCELAS")),
          // The account's code as the suite writes it, whatever its type there.
          whileColumn(QStringLiteral("ALTER TABLE QUITACAO_PARCELAS ALTER CODIGOCPR TYPE VARCHAR(20)"),
                      QStringLiteral("QUITACAO_PARCELAS"), QStringLiteral("NPARCELA")),
          whileColumn(QStringLiteral("ALTER TABLE QUITACAO_PARCELAS DROP NPARCELA"), QStringLiteral("QUITACAO_PARCELAS"),
                      QStringLiteral("NPARCELA"))}},
        // One row per convênio that has been settled or reversed: a settlement and a reversal of the
        // same convênio both update it first, so the second waits for the first to end and then
        // reads what it left.
        {3, QStringLiteral("uma quitação ou estorno de cada convênio por vez"),
         {createTable(QStringLiteral("QUITACAO_CONVENIOS"),
                      QStringLiteral("CONVENIO VARCHAR(40) NOT NULL, DATAHORA TIMESTAMP, ESTACAO VARCHAR(2), CONSTRAINT "
                                     "PK_QUITACAO_CONVENIOS PRIMARY KEY (CONVENIO)"))}},
        // The users who may authorise a reversal (kept by praxolin-setup --supervisor), and who
        // authorised each one.
        {4, QStringLiteral("estornos autorizados por um supervisor"),
         {createTable(QStringLiteral("CONVENIOS_SUPERVISORES"),
                      QStringLiteral("USUARIO VARCHAR(60) NOT NULL, DATAHORA TIMESTAMP, CONSTRAINT PK_CONVENIOS_SUPERVISORES "
                                     "PRIMARY KEY (USUARIO)")),
          addColumn(QStringLiteral("QUITACOES"), QStringLiteral("ESTORNO_AUTORIZADO"), QStringLiteral("VARCHAR(60)"))}},
        // Billing the company: the pharmacy's settings (mail server, PIX receiver; one row per
        // setting), each convênio's layout of the payroll deduction file, and the record of every
        // e-mail sent or tried.
        {5, QStringLiteral("configurações de faturamento, layouts do arquivo de desconto em folha e registro dos e-mails"),
         {createTable(QStringLiteral("CONVENIOS_FATURAMENTO"),
                      QStringLiteral("CHAVE VARCHAR(40) NOT NULL, VALOR VARCHAR(500), USUARIO VARCHAR(60), DATAHORA "
                                     "TIMESTAMP, CONSTRAINT PK_CONVENIOS_FATURAMENTO PRIMARY KEY (CHAVE)")),
          createTable(QStringLiteral("CONVENIOS_LAYOUT_FOLHA"),
                      QStringLiteral("CONVENIO VARCHAR(40) NOT NULL, FORMATO VARCHAR(10), SEPARADOR VARCHAR(1), COLUNAS "
                                     "VARCHAR(200), EVENTO VARCHAR(20), USUARIO VARCHAR(60), DATAHORA TIMESTAMP, "
                                     "CONSTRAINT PK_CONVENIOS_LAYOUT_FOLHA PRIMARY KEY (CONVENIO)")),
          createTable(QStringLiteral("CONVENIOS_ENVIOS"),
                      QStringLiteral("CODENVIO INTEGER NOT NULL, DATAHORA TIMESTAMP, USUARIO VARCHAR(60), ESTACAO "
                                     "VARCHAR(2), CONVENIO VARCHAR(40), DESTINATARIOS VARCHAR(400), ASSUNTO VARCHAR(200), "
                                     "ANEXOS VARCHAR(400), RESULTADO VARCHAR(10), ERRO VARCHAR(400), CONSTRAINT "
                                     "PK_CONVENIOS_ENVIOS PRIMARY KEY (CODENVIO)"))}},
    };
    return list;
}

int currentVersion() { return steps().last().version; }

const QString &versionTable()
{
    static const QString name = QStringLiteral("CONVENIOS_VERSAO");
    return name;
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

// The module's own tables (central database), the version table first.
QStringList moduleTables()
{
    QStringList out{versionTable()};
    for (const Step &step : steps())
        for (const Statement &st : step.statements)
            if (!out.contains(st.table.toUpper()))
                out << st.table.toUpper();
    return out;
}

QStringList tablesOf(Database database)
{
    QStringList out;
    if (database == Database::Central)
        out = moduleTables();
    for (const IndexNeed &i : indexes())
        if (i.database == database && !out.contains(i.table.toUpper()))
            out << i.table.toUpper();
    return out;
}

}

bool Catalog::isDone(const Statement &st) const
{
    const QString table = st.table.toUpper();
    const QString name = table + QLatin1Char('.') + st.name.toUpper();
    switch (st.done) {
    case Done::TableExists: return tables.contains(table);
    case Done::ColumnExists: return columns.contains(name);
    case Done::ColumnAbsent: return tables.contains(table) && !columns.contains(name);
    case Done::ConstraintAbsent: return tables.contains(table) && !constraints.contains(name);
    }
    return false;
}

namespace {
QString readVersionSql()
{
    // One call whether or not the table exists yet.
    return QStringLiteral("execute block returns (VERSAO integer) as begin VERSAO = 0; if (exists(select 1 from "
                          "RDB$RELATIONS where RDB$RELATION_NAME = '%1')) then execute statement 'select "
                          "coalesce(max(VERSAO), 0) from %1' into :VERSAO; suspend; end")
        .arg(versionTable());
}
}

int readVersion(Connection &connection)
{
    const RowSet rs = connection.query(readVersionSql());
    return rs.rows.isEmpty() ? 0 : rs.rows[0].value(0).toInt();
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
    // Columns: of the module's own tables (its steps), and of the suite's tables it uses (SuiteColumns).
    QStringList own;
    if (database == Database::Central) {
        own = moduleTables();
        for (const QString &t : SuiteColumns::central().keys())
            if (!own.contains(t))
                own << t;
    }
    // The tables with their indexes and segments (a table without indexes gives one row of nulls),
    // the indexes elsewhere whose names a needed one would take, and the columns and constraints of
    // the module's own tables. The first column says which.
    const QString columns = QStringLiteral(
        "i.RDB$INDEX_NAME, i.RDB$INDEX_TYPE, i.RDB$INDEX_INACTIVE, cast(i.RDB$EXPRESSION_SOURCE as varchar(1000)), "
        "s.RDB$FIELD_NAME, s.RDB$FIELD_POSITION");
    QString sql =
        QStringLiteral("select 'I', r.RDB$RELATION_NAME, %1 from RDB$RELATIONS r "
                       "left join RDB$INDICES i on i.RDB$RELATION_NAME = r.RDB$RELATION_NAME "
                       "left join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                       "where r.RDB$RELATION_NAME in (%2) "
                       "union all "
                       "select 'I', i.RDB$RELATION_NAME, %1 from RDB$INDICES i "
                       "left join RDB$INDEX_SEGMENTS s on s.RDB$INDEX_NAME = i.RDB$INDEX_NAME "
                       "where i.RDB$RELATION_NAME not in (%2) and (%3)")
            .arg(columns, inList(names), prefixes.isEmpty() ? QStringLiteral("1 = 0") : prefixes.join(QStringLiteral(" or ")));
    if (!own.isEmpty())
        sql += QStringLiteral(" union all select 'C', f.RDB$RELATION_NAME, f.RDB$FIELD_NAME, null, null, null, null, null "
                              "from RDB$RELATION_FIELDS f where f.RDB$RELATION_NAME in (%1) "
                              "union all select 'K', c.RDB$RELATION_NAME, c.RDB$CONSTRAINT_NAME, null, null, null, null, "
                              "null from RDB$RELATION_CONSTRAINTS c where c.RDB$RELATION_NAME in (%1)")
                   .arg(inList(own));
    const RowSet rows = connection.query(sql);

    QHash<QString, int> byName;
    QHash<QString, QList<std::pair<int, QString>>> segments;
    for (const QVector<QVariant> &row : rows.rows) {
        const QString kind = row[0].toString().trimmed();
        const QString table = row[1].toString().trimmed();
        if (kind == QLatin1String("C") || kind == QLatin1String("K")) {
            (kind == QLatin1String("C") ? catalog.columns : catalog.constraints)
                .insert(table + QLatin1Char('.') + row[2].toString().trimmed());
            continue;
        }
        if (names.contains(table))
            catalog.tables.insert(table);
        if (row[2].isNull())
            continue;
        const QString name = row[2].toString().trimmed();
        if (!byName.contains(name)) {
            ExistingIndex index;
            index.name = name;
            index.table = table;
            index.descending = row[3].toInt() == 1;
            index.active = row[4].toInt() == 0;
            index.expression = row[5].toString().trimmed();
            byName.insert(name, int(catalog.indexes.size()));
            catalog.indexes << index;
            catalog.indexNames.insert(name);
        }
        if (!row[6].isNull())
            segments[name] << std::pair{row[7].toInt(), row[6].toString().trimmed()};
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
    for (const Step &s : steps)
        out << QStringLiteral("passo %1 (%2)").arg(s.version).arg(s.description);
    for (const IndexNeed &i : indexes)
        out << i.name;
    return out;
}

Missing missing(const Catalog &catalog, Database database)
{
    Missing out;
    if (database == Database::Central)
        for (const Step &step : steps())
            if (std::any_of(step.statements.begin(), step.statements.end(),
                            [&](const Statement &st) { return !catalog.isDone(st); }))
                out.steps << step;
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

namespace {

// Runs the steps from the version found: the statements the catalogue does not show done, then
// the step's version noted. False when the database refused a statement (the result says which).
// Runs one statement; a refusal is noted as "<what>: <the database's text>".
bool runNoted(Connection &connection, UpgradeResult &result, const QString &sql, const QString &what)
{
    try {
        connection.execute(sql);
        return true;
    } catch (const DatabaseError &e) {
        result.problems << QStringLiteral("%1: %2").arg(what, e.message().simplified());
        return false;
    }
}

bool runSteps(Connection &connection, Catalog &catalog, UpgradeResult &result)
{
    auto run = [&](const QString &sql, const QString &what) { return runNoted(connection, result, sql, what); };
    if (!catalog.tables.contains(versionTable())) {
        if (!run(QStringLiteral("CREATE TABLE %1 (VERSAO INTEGER NOT NULL, DATAHORA TIMESTAMP, DESCRICAO VARCHAR(100), "
                                "CONSTRAINT PK_%1 PRIMARY KEY (VERSAO))")
                     .arg(versionTable()),
                 QStringLiteral("tabela %1 não acrescentada").arg(versionTable())))
            return false;
        result.done << QStringLiteral("tabela %1 acrescentada").arg(versionTable());
    }
    const int found = readVersion(connection);
    for (const Step &step : steps()) {
        bool ran = false;
        for (const Statement &st : step.statements) {
            if (catalog.isDone(st))
                continue;
            if (!run(st.sql, QStringLiteral("passo %1 interrompido em \"%2\"").arg(step.version).arg(st.sql)))
                return false;
            catalog = readCatalog(connection, Database::Central);
            ran = true;
        }
        if (step.version > found) {
            if (!run(QStringLiteral("UPDATE OR INSERT INTO %1 (VERSAO, DATAHORA, DESCRICAO) VALUES (%2, CURRENT_TIMESTAMP, "
                                    "'%3') MATCHING (VERSAO)")
                         .arg(versionTable())
                         .arg(step.version)
                         .arg(SqlText::quoted(step.description.left(100))),
                     QStringLiteral("versão %1 não anotada").arg(step.version)))
                return false;
            ran = true;
        }
        if (ran)
            result.done << QStringLiteral("passo %1 aplicado: %2").arg(step.version).arg(step.description);
    }
    return true;
}

}

UpgradeResult applySteps(Connection &connection)
{
    UpgradeResult result;
    Catalog catalog = readCatalog(connection, Database::Central);
    runSteps(connection, catalog, result);
    return result;
}

UpgradeResult upgrade(Connection &connection, Database database)
{
    UpgradeResult result;
    Catalog catalog = readCatalog(connection, database);
    // A statement the database refuses ends the run: what was done before stays, and the next run
    // goes on from there.
    if (database == Database::Central && !runSteps(connection, catalog, result))
        return result;
    const Missing todo = missing(catalog, database);
    auto create = [&](const QString &sql, const QString &what) {
        return runNoted(connection, result, sql, what + QStringLiteral(" não acrescentado"));
    };
    for (const IndexNeed &need : todo.indexes) {
        if (!catalog.tables.contains(need.table.toUpper())) {
            result.problems << QStringLiteral("tabela %1 não encontrada: índice %2 não acrescentado").arg(need.table, need.name);
            continue;
        }
        // An index added just before may already serve this one.
        if (std::any_of(catalog.indexes.begin(), catalog.indexes.end(), [&](const ExistingIndex &e) { return serves(e, need); }))
            continue;
        const QString name = freeName(catalog, need.name);
        if (!create(need.createSql(name), QStringLiteral("índice ") + name))
            return result;
        catalog.indexes << ExistingIndex{name.toUpper(), need.table.toUpper(), need.columns, need.expression, need.descending, true};
        catalog.indexNames.insert(name.toUpper());
        result.done << (name == need.name ? QStringLiteral("índice %1 acrescentado").arg(name)
                                          : QStringLiteral("índice %1 acrescentado (%2 é o nome de outro índice)").arg(name, need.name));
    }
    return result;
}

}
