// The money path without windows: cash-register posting, instalments of the receivable accounts and
// the convênio settlement, each read back from the database.
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/RoundTrips.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Rastro.h"
#include "settlement/Posting.h"
#include "tests/support/TestSuite.h"

#include <QtTest>

#include <cerrno>
#include <system_error>

using namespace QuitacaoConvenio;

class TstSettlement : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<CentralData> dm;
    std::unique_ptr<InterfaceData> dm2;
    const QDate di{2026, 11, 1};
    const QDate df{2026, 11, 30};
    const QDate pagamento{2026, 12, 5};

    ContextoQuitacao caixa(const QString &convenio = QStringLiteral("Beta & Cia"))
    {
        ContextoQuitacao c;
        c.convenioAtual = convenio;
        c.caixaAtual = QStringLiteral("3");
        c.sessaoCaixa = QStringLiteral("S12");
        c.formaPagCaixa = QStringLiteral("Convênio");
        c.agora = [] { return QDateTime(QDate(2026, 12, 5), QTime(14, 7, 9)); };
        return c;
    }

    void addOrder(const QString &est, int n, const QString &convenio, const QDate &date, const QString &restante,
                  const QString &tipo = QStringLiteral("Pedido"), const QString &lab = QStringLiteral("LAB1"))
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, PRECOFINAL, "
                           "VALORRESTANTE, LABORATORIO) values (?, ?, 'Cliente', ?, ?, ?, ?, ?, ?)"),
            {est, n, convenio, date, tipo, restante.isEmpty() ? QVariant() : QVariant(restante),
             restante.isEmpty() ? QVariant() : QVariant(restante), lab});
        suite->central().execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values (?, ?, 1, ?)"),
                                 {est, n, restante.isEmpty() ? QVariant() : QVariant(restante)});
    }

    void addAccount(int code, const QString &pedido, const QString &natureza, int parcelas)
    {
        suite->central().execute(QStringLiteral("insert into CONTASPR (CODIGOCPR, CODIGOPEDIDO, NATUREZA) values (?, ?, ?)"),
                                 {code, pedido, natureza});
        for (int p = 1; p <= parcelas; ++p)
            suite->central().execute(
                QStringLiteral("insert into PARCELAS (CODIGOCPR, NPARCELA, VALORPARCELA) values (?, ?, 10.00)"), {code, p});
    }

    // Three orders of "Beta & Cia" in November, and rows that must never be touched.
    void seedOrders()
    {
        addOrder(QStringLiteral("01"), 7, QStringLiteral("Beta & Cia"), QDate(2026, 11, 1), QStringLiteral("100.10"));
        addOrder(QStringLiteral("01"), 8, QStringLiteral("Beta & Cia"), QDate(2026, 11, 15), QStringLiteral("1234.5"));
        addOrder(QStringLiteral("02"), 3, QStringLiteral("Beta & Cia"), QDate(2026, 11, 30), QStringLiteral("0.40"));
        addOrder(QStringLiteral("01"), 9, QStringLiteral("Beta & Cia"), QDate(2026, 12, 1), QStringLiteral("50.00"));
        addOrder(QStringLiteral("01"), 10, QStringLiteral("Beta & Cia"), QDate(2026, 11, 10), QStringLiteral("60.00"),
                 QStringLiteral("Orcam"));
        addOrder(QStringLiteral("01"), 11, QStringLiteral("Alfa Ltda"), QDate(2026, 11, 10), QStringLiteral("70.00"));
        addAccount(100, QStringLiteral("017"), QStringLiteral("R"), 2);
        addAccount(101, QStringLiteral("01.8"), QStringLiteral("R"), 3);
        addAccount(102, QStringLiteral("01.8"), QStringLiteral("R"), 1);   // second account: left alone
        addAccount(103, QStringLiteral("023"), QStringLiteral("P"), 2);    // payable: left alone
    }

    QString snapshot()
    {
        QStringList out;
        for (const QString &sql : {QStringLiteral("select ESTACAO, NPEDIDO, PAGO, DATAPAGAMENTO from PEDIDOS order by 1, 2"),
                                   QStringLiteral("select ESTACAO, NPEDIDO, DATAPAGTO, VALORPAGO from PAGPEDID order by 1, 2"),
                                   QStringLiteral("select CODIGOCPR, NPARCELA, DATAPAGTO, VALORPAGO from PARCELAS order by 1, 2"),
                                   QStringLiteral("select CODMOVCX, NPEDIDO, VALOR from MOVCAIXA order by 1")}) {
            const RowSet rs = suite->central().query(sql);
            for (const auto &row : rs.rows) {
                QStringList cells;
                for (const QVariant &v : row)
                    cells << (v.isNull() ? QStringLiteral("null") : v.toString());
                out << cells.join('|');
            }
        }
        return out.join('\n');
    }

private slots:
    void init()
    {
        suite = std::make_unique<TestSuite>();
        suite->seedRegister();
        seedOrders();
        dm = std::make_unique<CentralData>(QString());
        dm2 = std::make_unique<InterfaceData>(QString(), QString());
        StatementLog::clear();
    }

    void cleanup()
    {
        dm2.reset();
        dm.reset();
        suite.reset();
        QLocale::setDefault(QLocale::c());
    }

    void postingWritesTheExactStatements()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));   // comma decimals must not leak
        LancaMovCaixa(*dm, QStringLiteral("01"), QStringLiteral("8"), caixa(QStringLiteral("Beta & Cia Comercial")));
        QCOMPARE(StatementLog::texts(),
                 (QStringList{
                     "delete from movcaixa where valor is null or valor = 0.00",
                     "Select VALORRESTANTE, LABORATORIO from Pedidos where ESTACAO = '01' and NPEDIDO = '8'",
                     "Select NPEDIDO, DATAMOV, VALOR from MOVCAIXA where NPEDIDO = '018'",
                     "Select Max(CODMOVCX) MAIORCOD from MOVCAIXA",
                     "INSERT INTO MOVCAIXA (CODMOVCX, CAIXA, SESSAO, DATAMOV, HORAMOV, VALOR, FORMAPAG, HISTORICO, "
                     "NPEDIDO, SINALQUITACAO, TIPOMOV, ENTRADASAIDA, NUMPARCELA, NUMDOCUMENTO, NUMMOVIMENTO, LABORATORIO, "
                     "VALORORIGINAL, DESCONTO) VALUES (1, '3', 'S12', '12/05/26', '14:07:09', 1234.50, 'Convênio', "
                     "'Convênio Beta & C', '018', 'Quitação', 'Venda', 'Entrada', 0, 0, 0, 'LAB1', 1234.50, 0.00)"}));
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("VALOR = 1234.50 and VALORORIGINAL = 1234.50")), 1);
    }

    void postingIsOncePerOrder()
    {
        suite->exec(QStringLiteral("insert into MOVCAIXA (CODMOVCX, NPEDIDO, VALOR) values (40, 'X1', 5.00)"));
        LancaMovCaixa(*dm, QStringLiteral("01"), QStringLiteral("7"), caixa());
        QCOMPARE(suite->scalar(QStringLiteral("select CODMOVCX from MOVCAIXA where NPEDIDO = '017'")).toInt(), 41);
        StatementLog::clear();
        LancaMovCaixa(*dm, QStringLiteral("01"), QStringLiteral("7"), caixa());
        // The second call still clears the zero movements, and stops at the duplicate test.
        const QStringList second = StatementLog::texts();
        QCOMPARE(second.size(), 3);
        QCOMPARE(second.first(), SqlPosting::apagaMovimentosZerados());
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("NPEDIDO = '017'")), 1);
    }

    void zeroMovementIsRemovedByTheNextPosting()
    {
        // An order missing from PEDIDOS still gets a movement, of 0.00 and without laboratory.
        LancaMovCaixa(*dm, QStringLiteral("09"), QStringLiteral("999"), caixa(QStringLiteral("Ana")));
        QCOMPARE(suite->scalar(QStringLiteral("select HISTORICO from MOVCAIXA where NPEDIDO = '09999'")).toString(),
                 QStringLiteral("Convênio Ana"));
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("VALOR = 0 and LABORATORIO = ''")), 1);
        LancaMovCaixa(*dm, QStringLiteral("01"), QStringLiteral("7"), caixa());
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("NPEDIDO = '09999'")), 0);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 1);
    }

    void hostileValuesAreStoredLiterally()
    {
        ContextoQuitacao c = caixa(QStringLiteral("D'Ouro'; delete from PEDIDOS; --"));
        c.caixaAtual = QStringLiteral("x' or '1'='1");
        c.formaPagCaixa = QStringLiteral("Cartão 'crédito'");
        suite->exec(QStringLiteral("update PEDIDOS set LABORATORIO = 'L''ab' where NPEDIDO = 7"));
        LancaMovCaixa(*dm, QStringLiteral("01"), QStringLiteral("7"), c);
        const RowSet rs = suite->central().query(
            QStringLiteral("select CAIXA, FORMAPAG, HISTORICO, LABORATORIO from MOVCAIXA where NPEDIDO = '017'"));
        QCOMPARE(rs.rowCount(), 1);
        QCOMPARE(rs.rows[0][0].toString(), QStringLiteral("x' or '1'='1"));
        QCOMPARE(rs.rows[0][1].toString(), QStringLiteral("Cartão 'crédito'"));
        QCOMPARE(rs.rows[0][2].toString(), QStringLiteral("Convênio D'Ouro';"));
        QCOMPARE(rs.rows[0][3].toString(), QStringLiteral("L'ab"));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS")), 6);
    }

    void instalments_data()
    {
        QTest::addColumn<QString>("npedido");
        QTest::addColumn<QString>("paid");   // CODIGOCPR:NPARCELA of the instalments paid afterwards
        QTest::newRow("code without the dot") << "7" << "100:1,100:2";
        QTest::newRow("code with the dot, first account only") << "8" << "101:1,101:2,101:3";
        QTest::newRow("no account") << "3" << "";
    }

    void instalments()
    {
        QFETCH(QString, npedido);
        QFETCH(QString, paid);
        QuitaParcelas(*dm, QStringLiteral("01"), npedido, pagamento);
        const RowSet rs = suite->central().query(QStringLiteral(
            "select CODIGOCPR, NPARCELA from PARCELAS where DATAPAGTO = '2026-12-05' and VALORPAGO = VALORPARCELA "
            "order by 1, 2"));
        QStringList got;
        for (const auto &row : rs.rows)
            got << row[0].toString() + ':' + row[1].toString();
        QCOMPARE(got.join(','), paid);
        QCOMPARE(StatementLog::texts().first(),
                 QStringLiteral("Select CodigoCPR, CodigoPedido, Natureza from CONTASPR where Natureza = 'R' and "
                                "(CodigoPedido = '01%1' OR CodigoPedido = '01.%1')")
                     .arg(npedido));
        if (!paid.isEmpty())
            QVERIFY(StatementLog::texts().contains(QStringLiteral(
                "Update PARCELAS set DataPagto = '12/05/26', ValorPago = ValorParcela where CodigoCPR = %1")
                                                       .arg(paid.left(3))));
    }

    void convenioSettlementWithTheCashRegister()
    {
        QList<int> passos;
        int total = -1;
        // A longer trace left by an earlier settlement: nothing of it may remain.
        QFile old(Rastro::arquivo());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
        old.close();
        QuitaConvenio(*dm, caixa(), di, df, pagamento,
                      {[&](int t) { total = t; }, [&](int n) { passos << n; }});
        QCOMPARE(total, 3);
        // The bar moves with each group of orders sent, and ends on the last order.
        QVERIFY(!passos.isEmpty() && std::is_sorted(passos.begin(), passos.end()));
        QCOMPARE(passos.last(), 3);
        // The settlement's own statements in their order, without those of its record.
        QStringList log;
        for (const QString &t : StatementLog::texts())
            if (!t.contains(QLatin1String("QUITACAO_")) && !t.contains(QLatin1String("QUITACOES")))
                log << t;
        // The orders are marked paid, then listed.
        const qsizetype marca = log.indexOf(QStringLiteral(
            "Update PEDIDOS set PAGO = 'T', DATAPAGAMENTO = '12/05/26' where CONVENIO = 'Beta & Cia' and CONVENIO IS NOT "
            "NULL and CONVENIO <> '' and DATAPEDIDO >= '11/01/26' and DATAPEDIDO <= '11/30/26' and TIPOPEDIDO = 'Pedido'"));
        const qsizetype lista = log.indexOf(QStringLiteral(
            "Select ESTACAO||NPEDIDO as PEDIDO from PEDIDOS WHERE CONVENIO = 'Beta & Cia'  and CONVENIO IS NOT NULL and "
            "CONVENIO <> ''  AND DATAPEDIDO BETWEEN '11/01/26' and '11/30/26' and TIPOPEDIDO = 'Pedido'"));
        QVERIFY(marca >= 0 && lista > marca);
        QVERIFY(log.contains(QStringLiteral(
            "Update PAGPEDID set DATAPAGTO = '12/05/26', VALORPAGO = VALOR where ESTACAO||NPEDIDO = '018'")));

        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T' and DATAPAGAMENTO = '2026-12-05'")), 3);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is null")), 3);
        QCOMPARE(suite->count(QStringLiteral("PAGPEDID"), QStringLiteral("DATAPAGTO = '2026-12-05' and VALORPAGO = VALOR")), 3);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 3);
        QCOMPARE(Decimal::fromVariant(suite->scalar(QStringLiteral("select sum(VALOR) from MOVCAIXA"))).toSqlText(),
                 QStringLiteral("1335.00"));

        // The trace file holds the last order's statement, CR LF ended.
        QFile trace(Rastro::arquivo());
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QString lastOrder = log.filter(QStringLiteral("Update PAGPEDID")).last();
        QCOMPARE(trace.readAll(), lastOrder.toLatin1() + "\r\n");

        // A second settlement of the same period moves the dates and posts nothing twice.
        QuitaConvenio(*dm, caixa(), di, df, QDate(2026, 12, 6));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-06'")), 3);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 3);
    }

    void traceFileFailureGivesTheSystemsReason()
    {
        // A trace file on a full disk: the device that is always full stands for it.
        const QString path = suite->path(QStringLiteral("QUITACONV.TXT"));
        QFile::remove(path);
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), path));
        Rastro rastro(path);
        try {
            rastro.grava(QStringLiteral("Update PAGPEDID set DATAPAGTO = '12/05/26'"));
            QFAIL("a full disk cannot take the trace");
        } catch (const std::runtime_error &e) {
            const QString message = QString::fromUtf8(e.what());
            QVERIFY2(message.contains(QString::fromStdString(std::generic_category().message(ENOSPC))), e.what());
            QVERIFY2(message.contains(QStringLiteral("QUITACONV.TXT")), e.what());
        }
    }

    void convenioSettlementWithoutTheCashRegisterPostsNothing()
    {
        ContextoQuitacao c = caixa();
        c.sessaoCaixa.clear();
        QuitaConvenio(*dm, c, di, df, pagamento);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), 3);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 0);
    }

    void failureHalfwayLeavesEveryTableAsBefore()
    {
        suite->exec(QStringLiteral("create exception FALHA 'falha no segundo pagamento'"));
        suite->exec(QStringLiteral("create trigger FALHA_PAGPEDID for PAGPEDID before update as begin "
                                   "if (new.NPEDIDO = 8) then exception FALHA; end"));
        const QString before = snapshot();
        try {
            QuitaConvenio(*dm, caixa(), di, df, pagamento);
            QFAIL("the settlement must fail");
        } catch (const DatabaseError &e) {
            QVERIFY(e.message().contains(QStringLiteral("falha no segundo pagamento")));
        }
        QCOMPARE(snapshot(), before);
        // The trace shows the statement that failed.
        QFile trace(Rastro::arquivo());
        QVERIFY(trace.open(QIODevice::ReadOnly));
        QVERIFY(trace.readAll().contains("'018'"));
    }

    void traceFileThatCannotBeWrittenChangesNothing()
    {
        QDir(suite->root()).mkdir(QStringLiteral("QUITACONV.TXT"));   // a folder where the file should go
        const QString before = snapshot();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, QuitaConvenio(*dm, caixa(), di, df, pagamento));
        QCOMPARE(snapshot(), before);
    }

    void emptyConvenioChangesNothing()
    {
        suite->exec(QStringLiteral("update PEDIDOS set CONVENIO = '' where NPEDIDO = 11"));
        const QString before = snapshot();
        QuitaConvenio(*dm, caixa(QString()), di, df, pagamento);
        QCOMPARE(snapshot(), before);
    }

    void roundTripsDoNotGrowWithTheOrders()
    {
        // Orders of "Alfa Ltda" in November: 2, then 300 more.
        auto settle = [&] {
            suite->exec(QStringLiteral("update PEDIDOS set DATAPAGAMENTO = null"));
            const quint64 before = RoundTrips::count();
            QuitaConvenio(*dm, caixa(QStringLiteral("Alfa Ltda")), di, df, pagamento);
            return RoundTrips::count() - before;
        };
        addOrder(QStringLiteral("03"), 1, QStringLiteral("Alfa Ltda"), QDate(2026, 11, 2), QStringLiteral("1.00"));
        const quint64 few = settle();
        for (int n = 2; n <= 301; ++n)
            addOrder(QStringLiteral("03"), n, QStringLiteral("Alfa Ltda"), QDate(2026, 11, 2), QStringLiteral("1.00"));
        const quint64 many = settle();
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 302);
        // A few more groups of statements and batches of rows, not a few calls per order.
        QVERIFY2(many <= few + 12, qPrintable(QStringLiteral("%1 calls for 2 orders, %2 for 302").arg(few).arg(many)));
    }

    void aCodeTakenMeanwhileIsTakenAgain()
    {
        // Another workstation stores the next code after the settlement has read the highest one.
        bool taken = false;
        QuitaConvenio(*dm, caixa(), di, df, pagamento,
                      {nullptr, [&](int) {
                           if (!taken) {
                               suite->exec(QStringLiteral("insert into MOVCAIXA (CODMOVCX, NPEDIDO, VALOR) values (1, 'X', 9.00)"));
                               taken = true;
                           }
                       }});
        QVERIFY(taken);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 4);
        QCOMPARE(suite->scalar(QStringLiteral("select count(distinct CODMOVCX) from MOVCAIXA")).toInt(), 4);
        QCOMPARE(suite->scalar(QStringLiteral("select list(CODMOVCX) from (select CODMOVCX from MOVCAIXA where "
                                              "NPEDIDO <> 'X' order by 1)")).toString(),
                 QStringLiteral("2,3,4"));
    }

    void openOrdersAtTheCounter_data()
    {
        QTest::addColumn<int>("abertos");
        QTest::addColumn<QString>("message");
        QTest::newRow("none") << 0 << "";
        QTest::newRow("one") << 1 << mensagemAbertos(Abertos::Um);
        QTest::newRow("two") << 2 << mensagemAbertos(Abertos::Varios);
    }

    void openOrdersAtTheCounter()
    {
        QFETCH(int, abertos);
        QFETCH(QString, message);
        for (int i = 0; i < abertos; ++i)
            suite->iface().execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO) "
                                                  "values ('01', ?, 'Beta & Cia', '2026-11-20', 'Pedido')"),
                                   {500 + i});
        suite->iface().execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO) "
                                              "values ('01', 600, 'Beta & Cia', '2026-11-20', 'Orcam')"));
        const Abertos a = verificaPedidosAbertos(*dm2, QStringLiteral("Beta & Cia"), QStringLiteral("11/01/26"),
                                                 QStringLiteral("11/30/26"), [](const QString &) {});
        QCOMPARE(mensagemAbertos(a), message);
        QVERIFY(StatementLog::texts().contains(QStringLiteral(
            "Select ESTACAO, NPEDIDO, VENDEDOR, CONVENIO, DATAPEDIDO from PEDIDOS WHERE CONVENIO = 'Beta & Cia' and "
            "DATAPEDIDO between '11/01/26' and '11/30/26' AND TIPOPEDIDO = 'Pedido'")));
    }

    void openOrderCheckThatFailsIsShownAndStillCounted()
    {
        QStringList avisos;
        // An empty period date does not convert: the select fails, then so does the count.
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 verificaPedidosAbertos(*dm2, QStringLiteral("Beta & Cia"), QString(), QStringLiteral("11/30/26"),
                                                        [&](const QString &aviso) { avisos << aviso; }));
        QCOMPARE(avisos.size(), 1);
        QVERIFY(avisos[0].startsWith(QStringLiteral("Erro tentando executar o seguinte comando: \rSelect ESTACAO")));
    }
};

QTEST_MAIN(TstSettlement)
#include "tst_settlement.moc"
