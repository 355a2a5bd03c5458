// The settlements on a suite that another pharmacy's programs made (see TestSuite::foreignCentralScript):
// before the upgrade they change exactly what they change on any suite and keep no record; after it
// they keep their record, and the reversal puts every instalment back, also where the suite's tables
// give no way to tell one instalment from another. Embedded, and on the tests' server when it runs.
#include "app/VerificaEsquema.h"
#include "data/CentralData.h"
#include "data/SuiteColumns.h"
#include "data/ModuleSchema.h"
#include "data/StatementLog.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Estorno.h"
#include "settlement/Registro.h"
#include "settlement/QuitacaoExtrato.h"
#include "tests/support/TestSuite.h"
#include "tools/setup/Compatibilidade.h"

#include <QtTest>

class TstForeignSuite : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<CentralData> dm;
    const QDate di{2026, 11, 1};
    const QDate df{2026, 11, 30};
    const QDate pagamento{2026, 12, 5};

    ContextoQuitacao contexto(bool noCaixa) const
    {
        ContextoQuitacao c;
        c.convenioAtual = QStringLiteral("Beta & Cia");
        if (noCaixa) {
            c.caixaAtual = QStringLiteral("3");
            c.sessaoCaixa = QStringLiteral("S12");
            c.formaPagCaixa = QStringLiteral("Dinheiro");
        }
        c.usuario = QStringLiteral("ADMIN");
        c.estacao = QStringLiteral("01");
        c.agora = [] { return QDateTime(QDate(2026, 12, 5), QTime(14, 7, 9)); };
        return c;
    }

    // The same cases on the tests' server when run as tst_foreignsuite_server.
    static QString server()
    {
        return qEnvironmentVariable("FOREIGN_ON_SERVER") == QLatin1String("1") ? TestSuite::testServer() : QString();
    }

    // Three orders of the convênio in November and one of another convênio. Order 1 has two
    // instalments of the same amount, one paid in October (so only the row's identity tells them
    // apart), and a receivable account whose two instalments share one number; order 2 has two
    // instalments alike without a number; order 3 two with the same number.
    void arrange()
    {
        Connection &c = suite->central();
        c.execute(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (2, 'Beta & Cia')"));
        const QString pedido = QStringLiteral(
            "insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE, LABORATORIO) "
            "values ('01', ?, ?, ?, ?, 'Pedido', ?, 'LAB')");
        c.execute(pedido, {1, QStringLiteral("Ana"), QStringLiteral("Beta & Cia"), QDate(2026, 11, 3), QStringLiteral("20.00")});
        c.execute(pedido, {2, QStringLiteral("Bia"), QStringLiteral("Beta & Cia"), QDate(2026, 11, 9), QStringLiteral("10.00")});
        c.execute(pedido, {3, QStringLiteral("Caio"), QStringLiteral("Beta & Cia"), QDate(2026, 11, 20), QStringLiteral("15.00")});
        c.execute(pedido, {4, QStringLiteral("Davi"), QStringLiteral("Alfa Ltda"), QDate(2026, 11, 20), QStringLiteral("9.00")});
        const QString parcela = QStringLiteral(
            "insert into PAGPEDID (ESTACAO, NPEDIDO, PARC, VALOR, DATAPAGTO, VALORPAGO) values ('01', ?, ?, ?, ?, ?)");
        c.execute(parcela, {1, 1, QStringLiteral("10.00"), QDate(2026, 10, 1), QStringLiteral("10.00")});
        c.execute(parcela, {1, 2, QStringLiteral("10.00"), QVariant(), QVariant()});
        c.execute(parcela, {2, QVariant(), QStringLiteral("5.00"), QVariant(), QVariant()});
        c.execute(parcela, {2, QVariant(), QStringLiteral("5.00"), QVariant(), QVariant()});
        c.execute(parcela, {3, 1, QStringLiteral("7.00"), QVariant(), QVariant()});
        c.execute(parcela, {3, 1, QStringLiteral("8.00"), QVariant(), QVariant()});
        c.execute(parcela, {4, 1, QStringLiteral("9.00"), QVariant(), QVariant()});
        c.execute(QStringLiteral("insert into CONTASPR (CODIGOCPR, CODIGOPEDIDO, NATUREZA) values (101, '011', 'R')"));
        const QString conta = QStringLiteral(
            "insert into PARCELAS (ID_PARCELA, CODIGOCPR, NUM_PARCELA, VALORPARCELA, DATAPAGTO, VALORPAGO) values (?, 101, "
            "'1', 10.00, ?, ?)");
        c.execute(conta, {1, QDate(2026, 10, 1), QStringLiteral("10.00")});
        c.execute(conta, {2, QVariant(), QVariant()});
    }

    // Every column the settlements change or that tells the rows apart, row by row.
    QString tables()
    {
        QStringList out;
        for (const QString &sql :
             {QStringLiteral("select ESTACAO, NPEDIDO, PAGO, DATAPAGAMENTO from PEDIDOS order by 1, 2"),
              QStringLiteral("select ESTACAO, NPEDIDO, PARC, VALOR, DATAPAGTO, VALORPAGO from PAGPEDID order by 1, 2, 3, 4, 5"),
              QStringLiteral("select ID_PARCELA, DATAPAGTO, VALORPAGO from PARCELAS order by 1")}) {
            for (const auto &row : suite->central().query(sql).rows) {
                QStringList cells;
                for (const QVariant &v : row)
                    cells << (v.isNull() ? QStringLiteral("null") : v.toString());
                out << cells.join('|');
            }
            out << QStringLiteral("--");
        }
        return out.join('\n');
    }

    void upgrade()
    {
        for (auto [connection, database] : {std::pair{&suite->central(), ModuleSchema::Database::Central},
                                            std::pair{&suite->iface(), ModuleSchema::Database::Interface}}) {
            const ModuleSchema::UpgradeResult r = ModuleSchema::upgrade(*connection, database);
            QVERIFY2(r.problems.isEmpty(), qPrintable(r.problems.join('\n')));
        }
    }

    enum Command { Convenio, Periodo, Pedido };

    MotorQuitacao::Resultado settle(Command command, bool noCaixa, bool registra)
    {
        switch (command) {
        case Convenio:
            return QuitacaoConvenio::QuitaConvenio(*dm, contexto(noCaixa), di, df, pagamento, {}, {registra, std::nullopt});
        case Periodo:
            return QuitacaoExtrato::QuitaPeriodo(*dm, contexto(noCaixa), di, df, pagamento, {registra, std::nullopt});
        case Pedido:
            // The statement's list, on its first order (order 1).
            dm->PEDIDOS.setCommandText(QuitacaoExtrato::Sql::pedidosDoPeriodo(
                CentralData::PedidosColumns, QuitacaoExtrato::Sql::Ordem::Abertura, QStringLiteral("Beta & Cia"),
                QStringLiteral("11/01/26"), QStringLiteral("11/30/26")));
            dm->PEDIDOS.open();
            dm->PEDIDOS.first();
            return QuitacaoExtrato::QuitaPedidoSelecionado(*dm, contexto(noCaixa), di, df, pagamento, {registra, std::nullopt});
        }
        return {};
    }

    // The statements that change the suite's rows, in order, without the record's own.
    static QStringList suiteChanges()
    {
        QStringList out;
        for (const QString &t : StatementLog::texts()) {
            const QString lower = t.trimmed().toLower();
            const bool changes = lower.startsWith(QLatin1String("update")) || lower.startsWith(QLatin1String("insert")) ||
                                 lower.startsWith(QLatin1String("delete"));
            if (changes && !t.contains(QLatin1String("QUITACAO")))
                out << t;
        }
        return out;
    }

private slots:
    void init()
    {
        TestSuite::Options o;
        o.foreign = true;
        o.serverAddress = server();
        suite = std::make_unique<TestSuite>(o);
        arrange();
        dm = std::make_unique<CentralData>(server());
        StatementLog::clear();
    }

    void cleanup()
    {
        dm.reset();
        suite.reset();
    }

    void settlementsBeforeAndAfterTheUpgradeChangeTheSameRows_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("noCaixa");
        QTest::newRow("Quitar") << int(Convenio) << false;
        QTest::newRow("Quitar, no caixa") << int(Convenio) << true;
        QTest::newRow("período do extrato") << int(Periodo) << false;
        QTest::newRow("período do extrato, no caixa") << int(Periodo) << true;
        QTest::newRow("pedido do extrato, no caixa") << int(Pedido) << true;
    }

    void settlementsBeforeAndAfterTheUpgradeChangeTheSameRows()
    {
        QFETCH(int, command);
        QFETCH(bool, noCaixa);
        const QString original = tables();
        QVERIFY(!Registro::disponivel(dm->SQLConnection1));

        // Before the upgrade: no record, and the success line says so.
        const MotorQuitacao::Resultado sem = settle(Command(command), noCaixa, false);
        QCOMPARE(sem.codigo, 0);
        const int pedidos = command == Pedido ? 1 : 3;
        QCOMPARE(sem.quitacao.pedidos, pedidos);
        QCOMPARE(sem.quitacao.total.toSqlText(), command == Pedido ? QStringLiteral("20.00") : QStringLiteral("45.00"));
        QCOMPARE(sem.quitacao.movimentos, noCaixa ? pedidos : 0);
        QCOMPARE(sem.pedidos.size(), pedidos);
        const QString settled = tables();
        QVERIFY(settled != original);
        const QStringList changes = suiteChanges();
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), noCaixa ? pedidos : 0);

        // The same settlement on the same rows after the upgrade: the same statements, the same rows,
        // and a record besides.
        dm.reset();
        cleanup();
        init();
        upgrade();
        QVERIFY(Registro::disponivel(dm->SQLConnection1));
        StatementLog::clear();
        const MotorQuitacao::Resultado com = settle(Command(command), noCaixa, true);
        QVERIFY(com.codigo > 0);
        QCOMPARE(tables(), settled);
        QCOMPARE(suiteChanges(), changes);
        QCOMPARE(com.quitacao.resumo(), sem.quitacao.resumo().chopped(1) + QStringLiteral(" (quitação nº %1).").arg(com.codigo));
        const Registro::Quitacao gravada = Registro::le(dm->SQLConnection1, com.codigo);
        QCOMPARE(gravada.pedidos, com.quitacao.pedidos);
        QCOMPARE(gravada.total, com.quitacao.total);
        QCOMPARE(gravada.movimentos, com.quitacao.movimentos);

        // And its reversal puts every row back as it was.
        Estorno::estorna(*dm, com.codigo, contexto(noCaixa), QStringLiteral("teste"));
        QCOMPARE(tables(), original);
    }

    // Where the row identities taken by the settlement no longer hold (a backup restored since, or
    // a record of the first version), the instalments are put back by their content where that is
    // exact; otherwise the reversal is refused, naming the order, and nothing changes.
    void reversalWithoutTheRowsIdentity_data()
    {
        QTest::addColumn<QString>("lose");       // which copies lose their identity
        QTest::addColumn<QString>("refusal");    // empty: the reversal restores everything
        QTest::newRow("identity kept") << QString() << QString();
        QTest::newRow("instalments alike") << QStringLiteral("PEDIDO in ('012', '013')") << QString();
        QTest::newRow("one paid before, one not")
            << QStringLiteral("PEDIDO = '011'")
            << QStringLiteral("Esta quitação não pode ser estornada: as parcelas do pedido 1 da estação 01 não podem mais "
                              "ser reconhecidas uma a uma (o banco foi restaurado de uma cópia depois da quitação?) e não "
                              "tinham todas os mesmos valores antes dela.");
        QTest::newRow("changed since") << QStringLiteral("PEDIDO = '013' and VALOR = 7") << QStringLiteral("changed");
    }

    void reversalWithoutTheRowsIdentity()
    {
        QFETCH(QString, lose);
        QFETCH(QString, refusal);
        upgrade();
        const QString original = tables();
        const int codigo = settle(Convenio, true, true).codigo;
        if (!lose.isEmpty())
            suite->exec(QStringLiteral("update QUITACAO_PAGPEDID set CHAVE_LINHA = null where ") + lose);
        if (refusal == QLatin1String("changed")) {
            suite->exec(QStringLiteral("update PAGPEDID set VALORPAGO = 1 where NPEDIDO = 3 and VALOR = 7"));
            refusal = QStringLiteral("Esta quitação não pode ser estornada: os pagamentos do pedido 3 da estação 01 foram "
                                     "alterados depois dela.");
        }
        const QString settled = tables();
        const int movimentos = suite->count(QStringLiteral("MOVCAIXA"));
        try {
            Estorno::estorna(*dm, codigo, contexto(true), QStringLiteral("teste"));
            QVERIFY2(refusal.isEmpty(), "the reversal ran");
            QCOMPARE(tables(), original);
            QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 2 * movimentos);
        } catch (const Estorno::Recusado &e) {
            QCOMPARE(e.mensagem(), refusal);
            QCOMPARE(tables(), settled);
            QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), movimentos);
            QVERIFY(!Registro::le(dm->SQLConnection1, codigo).estornada());
        }
    }

    // Every statement of the module is accepted by the foreign suite, before the upgrade (the suite's
    // own) and after it (the record's too).
    void everyStatementPreparesOnTheForeignSuite()
    {
        QCOMPARE(Compatibilidade::verifica(suite->central(), suite->iface()).size(), 0);
        upgrade();
        const QList<Compatibilidade::Falha> falhas = Compatibilidade::verifica(suite->central(), suite->iface());
        QStringList texto;
        for (const auto &f : falhas)
            texto << f.descricao + QStringLiteral(": ") + f.motivo;
        QVERIFY2(falhas.isEmpty(), qPrintable(texto.join('\n')));
    }

    // At start-up the catalogue shows the columns the module uses; one gone is named in the log.
    void startupNamesAColumnTheModuleUsesAndTheSuiteLacks()
    {
        QCOMPARE(SuiteColumns::missing(ModuleSchema::readCatalog(suite->central(), ModuleSchema::Database::Central).columns), QStringList());
        dm.reset();
        suite->exec(QStringLiteral("ALTER TABLE PAGPEDID DROP VALORPAGO"));
        QCOMPARE(SuiteColumns::missing(ModuleSchema::readCatalog(suite->central(), ModuleSchema::Database::Central).columns), QStringList{QStringLiteral("PAGPEDID.VALORPAGO")});
        const QString message = mensagemColunasAusentes(suite->central(), suite->root(), QString());
        QVERIFY2(message.contains(QStringLiteral("PAGPEDID.VALORPAGO")) && message.contains(QStringLiteral("--check")),
                 qPrintable(message));
    }

    // A record written by the module's first version (instalments told apart by a number column) is
    // carried over by the upgrade and can still be reversed.
    void recordOfTheFirstVersionIsCarriedOver()
    {
        Connection &c = suite->central();
        for (const ModuleSchema::Statement &st : ModuleSchema::steps().first().statements)
            c.execute(st.sql);
        c.execute(QStringLiteral("insert into QUITACOES (CODQUITACAO, COMANDO, DATAHORA, CONVENIO) values (1, 'CONVENIO', "
                                 "'2026-12-01 10:00:00', 'Beta & Cia')"));
        c.execute(QStringLiteral("insert into QUITACAO_PEDIDOS (CODQUITACAO, ESTACAO, NPEDIDO, VALOR, PAGO, DATAPAGAMENTO) "
                                 "values (1, '01', 2, 10.00, 'T', '2026-12-01')"));
        c.execute(QStringLiteral("insert into QUITACAO_PAGPEDID (CODQUITACAO, ESTACAO, NPEDIDO, NPARCELA, DATAPAGTO, "
                                 "VALORPAGO) values (1, '01', 2, 1, '2026-12-01', 5.00)"));
        c.execute(QStringLiteral("insert into QUITACAO_PAGPEDID (CODQUITACAO, ESTACAO, NPEDIDO, NPARCELA, DATAPAGTO, "
                                 "VALORPAGO) values (1, '01', 2, 2, '2026-12-01', 5.00)"));
        const QString original = tables();
        c.execute(QStringLiteral("update PEDIDOS set PAGO = 'T', DATAPAGAMENTO = '2026-12-01' where NPEDIDO = 2"));
        c.execute(QStringLiteral("update PAGPEDID set DATAPAGTO = '2026-12-01', VALORPAGO = VALOR where NPEDIDO = 2"));
        upgrade();
        QCOMPARE(ModuleSchema::readVersion(c), ModuleSchema::currentVersion());
        QCOMPARE(suite->scalar(QStringLiteral("select PEDIDO || ':' || VALOR from QUITACAO_PAGPEDID rows 1")).toString(),
                 QStringLiteral("012:5.00"));
        Estorno::estorna(*dm, 1, contexto(false), QStringLiteral("teste"));
        QCOMPARE(tables(), original);
    }
};

QTEST_MAIN(TstForeignSuite)
#include "tst_foreignsuite.moc"
