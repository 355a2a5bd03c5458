// Installing into a suite the old programs made: databases without a character set, only the
// suite's keys and a few indexes of its own under its own names. The upgrade adds what the
// module's queries need and nothing else, every query then has an index, a second run finds
// nothing to do, and the program's start-up notes in the error log what is missing.
#include "session/Estacao.h"
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "app/VerificaEsquema.h"
#include "closing/ClosingFigures.h"
#include "data/CentralData.h"
#include "data/ModuleSchema.h"
#include "tools/setup/Compatibilidade.h"
#include "data/SqlText.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/ProcessStart.h"
#include "platform/SuitePaths.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Posting.h"
#include "extrato/ExtratoDocument.h"
#include "tests/support/TestSuite.h"
#include "tools/setup/ScaleData.h"
#include "tools/setup/SuiteBuilder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using ModuleSchema::Database;

Q_DECLARE_METATYPE(ModuleSchema::ExistingIndex)
Q_DECLARE_METATYPE(ModuleSchema::IndexNeed)

namespace {

ScaleData::Options tinyPharmacy()
{
    ScaleData::Options o;
    o.convenios = 12;
    o.orders = 400;
    o.movements = 300;
    o.statementOrders = 10;
    o.settlementSizes = {20};
    o.batch = 400;
    return o;
}

// Every row of every table the module touches, in key order: what must not change.
QString contents(Connection &c)
{
    static const QStringList tables = {
        QStringLiteral("CONVENIO order by 1"), QStringLiteral("USUARIOS order by 1"), QStringLiteral("ESTACOES order by 1"),
        QStringLiteral("PEDIDOS order by 1, 2"), QStringLiteral("PAGPEDID order by 1, 2, 3"),
        QStringLiteral("MOVCAIXA order by 1"), QStringLiteral("CONTASPR order by 1"), QStringLiteral("PARCELAS order by 1, 2"),
        QStringLiteral("ITENS order by 1, 2, 3"), QStringLiteral("COMPEDID order by 1, 2, 3, 4")};
    QString out;
    for (const QString &t : tables) {
        const RowSet rs = c.query(QStringLiteral("select * from ") + t);
        out += t + QLatin1Char('\n');
        for (const auto &row : rs.rows) {
            for (const QVariant &v : row)
                out += v.toString() + QLatin1Char('|');
            out += QLatin1Char('\n');
        }
    }
    return out;
}

bool isModuleTable(const QString &table)
{
    if (table == ModuleSchema::versionTable())
        return true;
    for (const ModuleSchema::Step &step : ModuleSchema::steps())
        for (const ModuleSchema::Statement &st : step.statements)
            if (st.table == table)
                return true;
    return false;
}

// The definition of every index of the suite's tables but those the upgrade adds, as "NAME TABLE
// type inactive statistics segments".
QStringList otherIndexes(Connection &c, const QStringList &added)
{
    const RowSet rs = c.query(QStringLiteral(
        "select i.RDB$INDEX_NAME, i.RDB$RELATION_NAME, i.RDB$INDEX_TYPE, i.RDB$INDEX_INACTIVE, i.RDB$STATISTICS, "
        "(select list(trim(s.RDB$FIELD_NAME)) from RDB$INDEX_SEGMENTS s where s.RDB$INDEX_NAME = i.RDB$INDEX_NAME) "
        "from RDB$INDICES i where coalesce(i.RDB$SYSTEM_FLAG, 0) = 0 order by 1"));
    QStringList out;
    for (const auto &row : rs.rows) {
        if (added.contains(row[0].toString().trimmed()) || isModuleTable(row[1].toString().trimmed()))
            continue;
        QStringList parts;
        for (const QVariant &v : row)
            parts << v.toString().trimmed();
        out << parts.join(QLatin1Char(' '));
    }
    return out;
}

QString setupTool() { return qEnvironmentVariable("CONVENIOS_BUILD_DIR") + QStringLiteral("/tools/setup/praxolin-setup"); }

} // namespace

class TstUpgrade : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString root() const { return dir.path(); }

    std::unique_ptr<Connection> central, iface;
    void connect()
    {
        central = std::make_unique<Connection>(QStringLiteral("check-central"));
        central->setDatabase(SuiteBuilder::centralDatabasePath(root()));
        iface = std::make_unique<Connection>(QStringLiteral("check-interface"));
        iface->setDatabase(SuiteBuilder::interfaceDatabasePath(root()));
    }
    void disconnect()
    {
        central.reset();
        iface.reset();
    }

    // praxolin-setup --suite ROOT --upgrade: its output and exit code.
    std::pair<QString, int> runUpgrade(const QStringList &mode = {QStringLiteral("--upgrade")})
    {
        disconnect();
        QProcess p;
        p.start(setupTool(), QStringList{QStringLiteral("--suite"), root()} + mode);
        if (!p.waitForFinished(300000))
            return {QStringLiteral("timed out"), -1};
        connect();
        return {QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()), p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1};
    }

    // The module's statements as it sends them, with values of the tiny pharmacy.
    struct Statement {
        QString name;
        QString sql;
        QVariantList values;
        Statement(const QString &n, const QString &s) : name(n), sql(s) {}
        Statement(const QString &n, const SqlText::ComValores &s) : name(n), sql(s.texto), values(s.valores) {}
    };

    QList<Statement> centralStatements()
    {
        using namespace QuitacaoConvenio::Sql;
        const ScaleData::Set s = ScaleData::settlementSets(tinyPharmacy()).first();
        const QString di = SqlText::dateMDY(s.first), df = SqlText::dateMDY(s.last);
        const RowSet order = central->query(QStringLiteral("select first 1 ESTACAO, NPEDIDO from PEDIDOS where CONVENIO = ?"),
                                            {s.convenio});
        const QString est = order.rows[0][0].toString(), np = order.rows[0][1].toString();
        const QString pedido = est + np;
        const ScaleData::Set extrato = ScaleData::statementSet(tinyPharmacy());
        const PedidosDoPeriodo::Condicao lista = PedidosDoPeriodo::abertos(extrato.convenio, {extrato.first, extrato.last});
        CentralData dm{QString()};
        return {
            {QStringLiteral("closing list's open orders"), ClosingFigures::sqlOpenOrders(s.first, s.last, s.last)},
            {QStringLiteral("closing chart's months"), ClosingFigures::sqlMonths(s.last)},
            {QStringLiteral("closing chart's months of a convênio"), ClosingFigures::sqlMonths(s.last, s.convenio)},
            {QStringLiteral("statement document's items"), ExtratoDocument::sqlItensDaLista(lista)},
            {QStringLiteral("statement document's formulas"), ExtratoDocument::sqlFormulasDaLista(lista)},
            {QStringLiteral("statement document's components"), ExtratoDocument::sqlComponentesDaLista(lista)},
            {QStringLiteral("listed order's items"), ExtratoDocument::sqlItens(est, {np.toInt(), np.toInt() + 1})},
            {QStringLiteral("listed order's formulas"), ExtratoDocument::sqlFormulas(est, {np.toInt(), np.toInt() + 1})},
            {QStringLiteral("listed order's components"),
             ExtratoDocument::sqlComponentes(est, {np.toInt(), np.toInt() + 1})},
            {QStringLiteral("orders of the period"), pedidosAbertos(s.convenio, di, df)},
            {QStringLiteral("orders counted"), contaPedidosAbertos(s.convenio, di, df)},
            {QStringLiteral("orders marked paid"), marcaPedidosPagos(s.convenio, df, di, df)},
            {QStringLiteral("orders listed"), listaPedidos(s.convenio, di, df)},
            {QStringLiteral("instalments closed"), SqlPosting::quitaPagamentos(df, pedido)},
            {QStringLiteral("movements without value removed"), SqlPosting::apagaMovimentosZerados()},
            {QStringLiteral("order read"), SqlPosting::lePedido(est, np)},
            {QStringLiteral("order's movement"), SqlPosting::procuraMovimento(pedido)},
            {QStringLiteral("highest movement code"), SqlPosting::maiorCodigo()},
            {QStringLiteral("order's account"), SqlPosting::contaDoPedido(est, np)},
            {QStringLiteral("account's instalments closed"), SqlPosting::quitaParcelas(s.last, QStringLiteral("7"))},
            {QStringLiteral("register"), CentralData::ConveniosCommand},
            {QStringLiteral("next convênio code"), dm.SQLQuery2.sql()},
            {QStringLiteral("user's workstation"), selectEstacoesDoUsuario(QStringLiteral("ADMIN"))},
        };
    }

    // The module's statements whose plan reads a large table without an index. The explained plan
    // names each table beside its alias, so a joined table read whole is caught too.
    QStringList scanning()
    {
        static const QRegularExpression natural(QStringLiteral(
            "Table \"(PEDIDOS|PAGPEDID|MOVCAIXA|CONTASPR|PARCELAS|ITENS|PEDIFORM|COMPEDID)\"[^\\n]* Full Scan"));
        QStringList out;
        for (const Statement &st : centralStatements()) {
            const QString plan = central->plan(st.sql, st.values, Connection::PlanForm::Explained);
            if (natural.match(plan).hasMatch())
                out << st.name + QStringLiteral(": ") + plan;
        }
        const ScaleData::Set s = ScaleData::settlementSets(tinyPharmacy()).first();
        const QString counter = iface->plan(QuitacaoConvenio::Sql::contaPedidosAbertos(
                                                s.convenio, SqlText::dateMDY(s.first), SqlText::dateMDY(s.last)),
                                            {}, Connection::PlanForm::Explained);
        if (natural.match(counter).hasMatch())
            out << QStringLiteral("orders open at the counter: ") + counter;
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        SuiteBuilder::Options suite;
        suite.oldStyle = true;
        suite.overwrite = true;
        ScaleData::createSuite(root(), suite, tinyPharmacy());
        SuitePaths::setSuiteRootForTests(root());
        connect();
    }

    void cleanupTestCase()
    {
        disconnect();
        SuitePaths::setSuiteRootForTests(QString());
    }

    // The slots below run in order on the one old-style suite: before, the upgrade, after.

    void oldStyleSuiteIsWhatTheOldProgramsMade()
    {
        QCOMPARE(central->query(QStringLiteral("select RDB$CHARACTER_SET_NAME from RDB$DATABASE")).rows[0][0].toString().trimmed(),
                 QStringLiteral("NONE"));
        // Text is stored as Windows-1252 bytes: "ç" is the one byte E7.
        const RowSet rs = central->query(QStringLiteral(
            "select first 1 octet_length(CONVENIO), char_length(CONVENIO) from CONVENIO where CONVENIO like 'Quita%'"));
        QCOMPARE(rs.rows[0][0].toInt(), rs.rows[0][1].toInt());
        QCOMPARE(central->query(QStringLiteral("select count(*) from CONVENIO where CONVENIO = 'Quitação 20 Pedidos'")).rows[0][0].toInt(), 1);
        QVERIFY(!scanning().isEmpty());
    }

    void startupLogsWhatIsMissingWithoutStoppingTheUser()
    {
        QFile::remove(ErrorReporter::logFilePath());
        Messages::Recorder messages;
        ProcessStart::setRecorder([](const QString &, const QStringList &) {});
        {
            Program program;
            QVERIFY(program.create({}));
            program.show();
            QVERIFY(program.form->isVisible());
        }
        ProcessStart::setRecorder(nullptr);
        QCOMPARE(messages.messages, QStringList());
        QFile log(ErrorReporter::logFilePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        for (const char *name : {"IX_PEDIDOS_CONVENIO_DATA", "IX_PAGPEDID_PEDIDO", "IX_MOVCAIXA_VALOR",
                                    "IX_MOVCAIXA_CODMOVCX_DESC"})
            QVERIFY2(lines[0].contains(QLatin1String(name)), qPrintable(lines[0]));
        // Served by the suite's own indexes under other names.
        for (const char *name : {"IX_CONVENIO_NOME", "IX_MOVCAIXA_NPEDIDO", "IX_CONTASPR_PEDIDO"})
            QVERIFY2(!lines[0].contains(QLatin1String(name)), qPrintable(lines[0]));
        QVERIFY2(lines[0].contains(QStringLiteral("praxolin-setup --suite \"%1\" --upgrade").arg(QDir::toNativeSeparators(root()))),
                 qPrintable(lines[0]));
    }

    void upgradeAddsOnlyWhatIsMissingAndChangesNoRow()
    {
        // An index of the suite that already carries one of the module's names, on something else.
        central->execute(QStringLiteral("CREATE INDEX IX_MOVCAIXA_VALOR ON PARCELAS (VALORPAGO)"));
        const QString rowsBefore = contents(*central);
        const QStringList added = {"IX_CONVENIO_CODIGO_DESC", "IX_ESTACOES_USUARIO", "IX_PEDIDOS_CONVENIO_DATA",
                                   "IX_PAGPEDID_PEDIDO", "IX_MOVCAIXA_CODMOVCX_DESC", "IX_MOVCAIXA_VALOR_2"};
        const QStringList indexesBefore = otherIndexes(*central, added);

        const auto [first, code] = runUpgrade();
        QVERIFY2(code == 0, qPrintable(first));
        const QString checked = QStringLiteral("verificação: os %1 comandos do módulo são aceitos pelos bancos da suíte")
                                    .arg(Compatibilidade::comandos(true).size());
        const QString dbCentral = SuiteBuilder::centralDatabasePath(root());
        const QString dbInterface = SuiteBuilder::interfaceDatabasePath(root());
        QCOMPARE(first.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({QStringLiteral("banco central %1:").arg(dbCentral),
                              QStringLiteral("  tabela CONVENIOS_VERSAO acrescentada"),
                              QStringLiteral("  passo 1 aplicado: o registro das quitações"),
                              QStringLiteral("  passo 2 aplicado: parcelas distinguidas pela identidade de linha do próprio banco"),
                              QStringLiteral("  passo 3 aplicado: uma quitação ou estorno de cada convênio por vez"),
                              QStringLiteral("  passo 4 aplicado: estornos autorizados por um supervisor"),
                              QStringLiteral("  passo 5 aplicado: configurações de faturamento, layouts do arquivo de desconto em folha e registro dos e-mails"),
                              QStringLiteral("  índice IX_CONVENIO_CODIGO_DESC acrescentado"),
                              QStringLiteral("  índice IX_ESTACOES_USUARIO acrescentado"),
                              QStringLiteral("  índice IX_PEDIDOS_CONVENIO_DATA acrescentado"),
                              QStringLiteral("  índice IX_PAGPEDID_PEDIDO acrescentado"),
                              QStringLiteral("  índice IX_MOVCAIXA_CODMOVCX_DESC acrescentado"),
                              QStringLiteral("  índice IX_MOVCAIXA_VALOR_2 acrescentado (IX_MOVCAIXA_VALOR é o nome de outro índice)"),
                              QStringLiteral("  índice IX_QUITACOES_CONVENIO acrescentado"),
                              QStringLiteral("  índice IX_QUITACAO_PEDIDOS_PEDIDO acrescentado"),
                              QStringLiteral("  índice IX_QUITACAO_PAGPEDID_LINHA acrescentado"),
                              QStringLiteral("  índice IX_QUITACAO_PARCELAS_LINHA acrescentado"),
                              QStringLiteral("banco de interface %1:").arg(dbInterface),
                              QStringLiteral("  índice IX_PEDIDOS_CONVENIO_DATA acrescentado"),
                              checked}));
        QCOMPARE(contents(*central), rowsBefore);
        QCOMPARE(otherIndexes(*central, added), indexesBefore);

        const auto [second, code2] = runUpgrade();
        QCOMPARE(code2, 0);
        QCOMPARE(second, QStringLiteral("nada a fazer\n") + checked + QLatin1Char('\n'));
        QCOMPARE(contents(*central), rowsBefore);
    }

    void everyQueryOfTheModuleHasAnIndexAfterTheUpgrade()
    {
        QCOMPARE(scanning(), QStringList());
        // and the start-up finds nothing more to note
        QCOMPARE(mensagemEsquemaIncompleto(*central, root(), QString()), QString());
    }

    // A user of the suite named as a supervisor; a name the suite does not know is refused.
    // The set-up tool says what it did, and what is wrong with its command line, in Portuguese.
    void setupToolSpeaksPortuguese()
    {
        QTemporaryDir dir;
        const auto run = [](const QStringList &args) {
            QProcess p;
            p.start(setupTool(), args);
            p.waitForFinished(300000);
            return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        };
        const QString criada = run({QStringLiteral("--suite"), dir.filePath(QStringLiteral("nova")), QStringLiteral("--empty")});
        for (const char *linha : {"Suíte criada em ", "servidor: (embutido, arquivos locais), quitação só no Caixa: (não definido)",
                                  "  banco central\n", "  banco de interface\n", "Sem dados de demonstração (--empty)."})
            QVERIFY2(criada.contains(QString::fromUtf8(linha)), qPrintable(criada));
        const QString denovo = run({QStringLiteral("--suite"), dir.filePath(QStringLiteral("nova")), QStringLiteral("--empty")});
        QVERIFY2(denovo.contains(QStringLiteral("Já existe uma suíte em ")), qPrintable(denovo));
        const QString semPasta = run({});
        QVERIFY2(semPasta.contains(QStringLiteral("--suite DIR é obrigatório.")) && semPasta.contains(QStringLiteral("Uso: ")),
                 qPrintable(semPasta));
    }

    void supervisorIsOneOfTheSuitesUsers()
    {
        const auto [added, code] = runUpgrade({QStringLiteral("--supervisor"), QStringLiteral("admin")});
        QCOMPARE(code, 0);
        QCOMPARE(added, QStringLiteral("supervisor ADMIN acrescentado; supervisores: ADMIN\n"));
        const auto [refused, code2] = runUpgrade({QStringLiteral("--supervisor"), QStringLiteral("NINGUEM")});
        QCOMPARE(code2, 1);
        QVERIFY2(refused.contains(QStringLiteral("a suíte não tem o usuário NINGUEM")), qPrintable(refused));
    }

    // A column the module uses, gone from the suite (last: the suite is not whole afterwards).
    void checkNamesTheColumnThatWouldFail()
    {
        central->execute(QStringLiteral("ALTER TABLE PAGPEDID DROP VALORPAGO"));
        const auto [out, code] = runUpgrade({QStringLiteral("--check")});
        QCOMPARE(code, 1);
        QVERIFY2(out.contains(QStringLiteral("falharia: Quitar: parcelas do pedido: coluna desconhecida VALORPAGO")), qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("comandos do módulo falhariam nestes bancos")), qPrintable(out));
    }

    // A suite the set-up tool makes has all of it: the new suite and the upgrade come from one list.
    void newSuiteHasNothingToUpgrade()
    {
        TestSuite fresh;
        for (auto [connection, database] : {std::pair{&fresh.central(), Database::Central},
                                            std::pair{&fresh.iface(), Database::Interface}}) {
            const ModuleSchema::UpgradeResult r = ModuleSchema::upgrade(*connection, database);
            QCOMPARE(r.done, QStringList());
            QCOMPARE(r.problems, QStringList());
        }
    }

    void tableMissingFromTheSuiteIsReportedNotInvented()
    {
        QTemporaryDir other;
        Connection c(QStringLiteral("partial"));
        c.setDatabase(other.path() + QStringLiteral("/partial.bd"));
        c.createDatabase(8192, QStringLiteral("NONE"));
        c.execute(QStringLiteral("CREATE TABLE MOVCAIXA (CODMOVCX INTEGER NOT NULL PRIMARY KEY, NPEDIDO VARCHAR(30), "
                                 "VALOR NUMERIC(15,2))"));
        const ModuleSchema::UpgradeResult r = ModuleSchema::upgrade(c, Database::Central);
        // The module's own tables are its to create; the suite's are not.
        QCOMPARE(r.done, QStringList({QStringLiteral("tabela CONVENIOS_VERSAO acrescentada"),
                                      QStringLiteral("passo 1 aplicado: o registro das quitações"),
                                      QStringLiteral("passo 2 aplicado: parcelas distinguidas pela identidade de linha do próprio banco"),
                                      QStringLiteral("passo 3 aplicado: uma quitação ou estorno de cada convênio por vez"),
                                      QStringLiteral("passo 4 aplicado: estornos autorizados por um supervisor"),
                                      QStringLiteral("passo 5 aplicado: configurações de faturamento, layouts do arquivo de desconto em folha e registro dos e-mails"),
                                      QStringLiteral("índice IX_MOVCAIXA_CODMOVCX_DESC acrescentado"),
                                      QStringLiteral("índice IX_MOVCAIXA_NPEDIDO acrescentado"),
                                      QStringLiteral("índice IX_MOVCAIXA_VALOR acrescentado"),
                                      QStringLiteral("índice IX_QUITACOES_CONVENIO acrescentado"),
                                      QStringLiteral("índice IX_QUITACAO_PEDIDOS_PEDIDO acrescentado"),
                                      QStringLiteral("índice IX_QUITACAO_PAGPEDID_LINHA acrescentado"),
                                      QStringLiteral("índice IX_QUITACAO_PARCELAS_LINHA acrescentado")}));
        QVERIFY(r.problems.contains(QStringLiteral("tabela PEDIDOS não encontrada: índice IX_PEDIDOS_CONVENIO_DATA não acrescentado")));
        QCOMPARE(c.query(QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'PEDIDOS'")).rows[0][0].toInt(), 0);
        c.close();
    }

    void indexOfTheSuiteServesWhenTableDirectionAndLeadingColumnsMatch_data()
    {
        QTest::addColumn<ModuleSchema::ExistingIndex>("existing");
        QTest::addColumn<ModuleSchema::IndexNeed>("need");
        QTest::addColumn<bool>("serves");
        using ModuleSchema::ExistingIndex;
        using ModuleSchema::IndexNeed;
        const IndexNeed pair{Database::Central, "IX_P", "PEDIDOS", {"CONVENIO", "DATAPEDIDO"}, {}, false};
        const IndexNeed desc{Database::Central, "IX_D", "MOVCAIXA", {"CODMOVCX"}, {}, true};
        const IndexNeed computed{Database::Central, "IX_C", "PAGPEDID", {}, "ESTACAO||NPEDIDO", false};
        QTest::newRow("same columns") << ExistingIndex{"A", "PEDIDOS", {"CONVENIO", "DATAPEDIDO"}, {}, false, true} << pair << true;
        QTest::newRow("more columns after them") << ExistingIndex{"A", "PEDIDOS", {"CONVENIO", "DATAPEDIDO", "NOME"}, {}, false, true} << pair << true;
        QTest::newRow("only the first") << ExistingIndex{"A", "PEDIDOS", {"CONVENIO"}, {}, false, true} << pair << false;
        QTest::newRow("other order") << ExistingIndex{"A", "PEDIDOS", {"DATAPEDIDO", "CONVENIO"}, {}, false, true} << pair << false;
        QTest::newRow("other table") << ExistingIndex{"A", "PEDIDOS2", {"CONVENIO", "DATAPEDIDO"}, {}, false, true} << pair << false;
        QTest::newRow("inactive") << ExistingIndex{"A", "PEDIDOS", {"CONVENIO", "DATAPEDIDO"}, {}, false, false} << pair << false;
        QTest::newRow("ascending for descending") << ExistingIndex{"PK", "MOVCAIXA", {"CODMOVCX"}, {}, false, true} << desc << false;
        QTest::newRow("descending") << ExistingIndex{"B", "MOVCAIXA", {"CODMOVCX"}, {}, true, true} << desc << true;
        QTest::newRow("expression spelt otherwise") << ExistingIndex{"C", "PAGPEDID", {}, "( estacao || \"NPEDIDO\" )", false, true} << computed << true;
        QTest::newRow("other expression") << ExistingIndex{"C", "PAGPEDID", {}, "(NPEDIDO||ESTACAO)", false, true} << computed << false;
        QTest::newRow("columns for an expression") << ExistingIndex{"C", "PAGPEDID", {"ESTACAO", "NPEDIDO"}, {}, false, true} << computed << false;
    }

    void indexOfTheSuiteServesWhenTableDirectionAndLeadingColumnsMatch()
    {
        QFETCH(ModuleSchema::ExistingIndex, existing);
        QFETCH(ModuleSchema::IndexNeed, need);
        QFETCH(bool, serves);
        QCOMPARE(ModuleSchema::serves(existing, need), serves);
    }
};

QTEST_MAIN(TstUpgrade)
#include "tst_upgrade.moc"
