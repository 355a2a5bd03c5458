// Several workstations on one Firebird server: settlements at the same moment, convênios inserted
// at the same moment, the shared period record. Each workstation is the program's own data modules
// on connections of their own (settlements run on threads, so they truly overlap).
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "session/Sessao.h"
#include "platform/Messages.h"
#include "settlement/QuitacaoConvenio.h"
#include "extrato/ExtratoWindow.h"
#include "tests/support/TestSuite.h"

#include <QtTest>
#include <latch>
#include <thread>

using namespace QuitacaoConvenio;

class TstWorkstationsServer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    const QDate di{2026, 11, 1};
    const QDate df{2026, 11, 30};

    // `count` orders of the convênio in November with one instalment and a receivable account each.
    void seedOrders(const QString &convenio, const QString &estacao, int count)
    {
        Connection &c = suite->central();
        Transaction tx(c);
        for (int n = 1; n <= count; ++n) {
            const QString valor = QStringLiteral("%1.%2").arg(10 + n).arg(n % 100, 2, 10, QLatin1Char('0'));
            c.execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                                     "values (?, ?, ?, ?, 'Pedido', ?)"),
                      {estacao, n, convenio, QDate(2026, 11, 1 + n % 30), valor});
            c.execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values (?, ?, 1, ?)"),
                      {estacao, n, valor});
            const int code = estacao.toInt() * 10000 + n;
            c.execute(QStringLiteral("insert into CONTASPR (CODIGOCPR, CODIGOPEDIDO, NATUREZA) values (?, ?, 'R')"),
                      {code, estacao + QString::number(n)});
            c.execute(QStringLiteral("insert into PARCELAS (CODIGOCPR, NPARCELA, VALORPARCELA) values (?, 1, ?)"),
                      {code, valor});
        }
        tx.commit();
    }

    ContextoQuitacao caixa(const QString &convenio, const QString &numero)
    {
        ContextoQuitacao c;
        c.convenioAtual = convenio;
        c.caixaAtual = numero;
        c.sessaoCaixa = QStringLiteral("S") + numero;
        c.formaPagCaixa = QStringLiteral("Convênio");
        return c;
    }

    // Runs the settlements on threads that start together; returns the failures' texts.
    QStringList settleTogether(const QList<ContextoQuitacao> &contexts)
    {
        std::latch start(qsizetype(contexts.size()));
        QStringList failures;
        std::mutex m;
        std::vector<std::thread> threads;
        for (const ContextoQuitacao &ctx : contexts) {
            threads.emplace_back([&, ctx] {
                try {
                    CentralData dm(TestSuite::testServer());
                    dm.SQLConnection1.open();
                    start.arrive_and_wait();
                    QuitaConvenio(dm, ctx, di, df, QDate(2026, 12, 5));
                } catch (const std::exception &e) {
                    std::lock_guard<std::mutex> lock(m);
                    failures << QString::fromUtf8(e.what());
                }
            });
        }
        for (auto &t : threads)
            t.join();
        return failures;
    }

    void checkOneMovementPerOrder(const QString &convenio, int orders)
    {
        const QString where = QStringLiteral("CONVENIO = '%1'").arg(convenio);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), where + QStringLiteral(" and PAGO = 'T' and DATAPAGAMENTO = '2026-12-05'")),
                 orders);
        QCOMPARE(suite->scalar(QStringLiteral("select count(*) from PEDIDOS p where %1 and (select count(*) from MOVCAIXA m "
                                              "where m.NPEDIDO = p.ESTACAO || p.NPEDIDO) <> 1")
                                   .arg(where))
                     .toInt(),
                 0);
        QCOMPARE(suite->scalar(QStringLiteral("select count(*) from PEDIDOS p join PAGPEDID g on g.ESTACAO = p.ESTACAO and "
                                              "g.NPEDIDO = p.NPEDIDO where %1 and (g.DATAPAGTO is null or g.VALORPAGO <> g.VALOR)")
                                   .arg(where))
                     .toInt(),
                 0);
        // The amounts posted are the orders' remaining values.
        QCOMPARE(Decimal::fromVariant(suite->scalar(
                     QStringLiteral("select sum(m.VALOR) from MOVCAIXA m join PEDIDOS p on m.NPEDIDO = p.ESTACAO || p.NPEDIDO where %1").arg(where))),
                 Decimal::fromVariant(suite->scalar(QStringLiteral("select sum(VALORRESTANTE) from PEDIDOS where %1").arg(where))));
    }

private slots:
    void initTestCase()
    {
        if (TestSuite::testServer().isEmpty())
            QSKIP("FB_TEST_SERVER not set: run through scripts/run-tests.sh");
    }

    void init()
    {
        suite = std::make_unique<TestSuite>(TestSuite::Options{TestSuite::testServer(), QString()});
        suite->seedRegister();
    }

    void cleanup() { suite.reset(); }

    void twoConveniosAtTheSameMoment()
    {
        seedOrders(QStringLiteral("Alfa Ltda"), QStringLiteral("01"), 60);
        seedOrders(QStringLiteral("Beta & Cia"), QStringLiteral("02"), 60);
        const QStringList failures =
            settleTogether({caixa(QStringLiteral("Alfa Ltda"), QStringLiteral("1")), caixa(QStringLiteral("Beta & Cia"), QStringLiteral("2"))});
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
        checkOneMovementPerOrder(QStringLiteral("Alfa Ltda"), 60);
        checkOneMovementPerOrder(QStringLiteral("Beta & Cia"), 60);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 120);
        QCOMPARE(suite->scalar(QStringLiteral("select count(distinct CODMOVCX) from MOVCAIXA")).toInt(), 120);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("CAIXA = '1'")), 60);
    }

    void theSameConvenioAtTheSameMoment()
    {
        seedOrders(QStringLiteral("Beta & Cia"), QStringLiteral("02"), 60);
        const QStringList failures =
            settleTogether({caixa(QStringLiteral("Beta & Cia"), QStringLiteral("1")), caixa(QStringLiteral("Beta & Cia"), QStringLiteral("2"))});
        // The second waits for the first and then finds every order posted; at worst it fails cleanly.
        for (const QString &f : failures)
            QVERIFY2(f.contains(QStringLiteral("deadlock")) || f.contains(QStringLiteral("conflict")), qPrintable(f));
        checkOneMovementPerOrder(QStringLiteral("Beta & Cia"), 60);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 60);
    }

    void statementAndItsSettlementsOnTheServer()
    {
        seedOrders(QStringLiteral("Beta & Cia"), QStringLiteral("02"), 8);
        suite->iface().execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2026-11-01', '2026-11-30')"));
        CentralData dm(TestSuite::testServer());
        InterfaceData dm2(TestSuite::testServer(), QString());
        Messages::Recorder messages;
        Sessao sessao;
        sessao.central = &dm;
        sessao.interfaceData = &dm2;
        sessao.caixaAtual = QStringLiteral("5");
        sessao.sessaoCaixa = QStringLiteral("S5");
        ExtratoWindow w(sessao, QStringLiteral("Beta & Cia"));
        w.show();
        QTRY_VERIFY(w.Label6->text().startsWith(QStringLiteral("Lista")));
        QCOMPARE(dm.PEDIDOS.recordCount(), 8);
        w.MaskEdit1->setText(QStringLiteral("06/12/26"));
        w.Quitaropedidoselecionado1->trigger();   // the first order alone
        QCOMPARE(dm.PEDIDOS.recordCount(), 7);
        w.QuitaroPERODOselecionado1->trigger();   // then the rest of the period
        QCOMPARE(messages.messages.filter(QStringLiteral("Procedimento concluído com sucesso.")).size(), 2);
        QCOMPARE(messages.messages.size(), 2);
        QCOMPARE(dm.PEDIDOS.recordCount(), 0);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-06'")), 8);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), 1);
        QCOMPARE(suite->count(QStringLiteral("PARCELAS"), QStringLiteral("DATAPAGTO = '2026-12-06'")), 8);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("CAIXA = '5'")), 8);
    }

    void convenioInsertedAtTheSameMoment()
    {
        CentralData a(TestSuite::testServer());
        CentralData b(TestSuite::testServer());
        a.Convenios.open();
        b.Convenios.open();
        // Both read the highest code before either stores its row, as two users at two counters do.
        auto nextCode = [](CentralData &dm) {
            dm.SQLQuery2.close();
            dm.SQLQuery2.open();
            const int code = dm.SQLQuery2.value(QStringLiteral("CODIGOCONVENIO")).toInt() + 1;
            dm.SQLQuery2.close();
            return code;
        };
        const int codeA = nextCode(a), codeB = nextCode(b);
        QCOMPARE(codeA, codeB);
        a.Convenios.append();
        a.Convenios.setValue(QStringLiteral("CODIGOCONVENIO"), codeA);
        a.Convenios.setValue(QStringLiteral("CONVENIO"), QStringLiteral("Novo A"));
        b.Convenios.append();
        b.Convenios.setValue(QStringLiteral("CODIGOCONVENIO"), codeB);
        b.Convenios.setValue(QStringLiteral("CONVENIO"), QStringLiteral("Novo B"));
        a.Convenios.post();
        try {
            b.Convenios.post();
            QFAIL("the second row with the same code must be refused");
        } catch (const DatabaseError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("PRIMARY or UNIQUE KEY")), qPrintable(e.message()));
        }
        // The second user was told; the row typed is still there, pending, and goes in with a new code.
        QVERIFY(b.Convenios.hasPendingUpdates());
        QCOMPARE(b.Convenios.text(QStringLiteral("CONVENIO")), QStringLiteral("Novo B"));
        b.Convenios.edit();
        b.Convenios.setValue(QStringLiteral("CODIGOCONVENIO"), nextCode(b));
        b.Convenios.post();
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO in ('Novo A', 'Novo B')")), 2);
        QCOMPARE(suite->scalar(QStringLiteral("select count(distinct CODIGOCONVENIO) from CONVENIO")).toInt(),
                 suite->count(QStringLiteral("CONVENIO")));
    }

    void periodRecordOfTwoWorkstations()
    {
        InterfaceData a(TestSuite::testServer(), QString());
        InterfaceData b(TestSuite::testServer(), QString());
        auto store = [](InterfaceData &dm, const QDate &from, const QDate &to) {
            dm.Periodo.open();
            if (dm.Periodo.isEmpty())
                dm.Periodo.append();
            else
                dm.Periodo.edit();
            dm.Periodo.setValue(QStringLiteral("DATAINICIAL"), from);
            dm.Periodo.setValue(QStringLiteral("DATAFINAL"), to);
            dm.Periodo.post();
            dm.Periodo.close();
        };
        // One after the other: the last period entered is the one every workstation reads next.
        store(a, QDate(2026, 10, 1), QDate(2026, 10, 31));
        store(b, QDate(2026, 11, 1), QDate(2026, 11, 30));
        QCOMPARE(suite->iface().query(QStringLiteral("select count(*) from PERIODO")).rows[0][0].toInt(), 1);
        a.Periodo.open();
        QCOMPARE(a.Periodo.value(QStringLiteral("DATAINICIAL")).toDate(), QDate(2026, 11, 1));

        // At once: both read the record, one stores first; the other's change stays pending, not lost silently.
        a.Periodo.edit();
        a.Periodo.setValue(QStringLiteral("DATAFINAL"), QDate(2026, 11, 15));
        store(b, QDate(2026, 12, 1), QDate(2026, 12, 31));
        try {
            a.Periodo.post();
            QFAIL("a record changed by another workstation must not be overwritten silently");
        } catch (const DatabaseError &e) {
            QVERIFY(e.message().contains(QStringLiteral("Must apply updates before refreshing data")));
        }
        QVERIFY(a.Periodo.hasPendingUpdates());
        const RowSet stored = suite->iface().query(QStringLiteral("select DATAINICIAL, DATAFINAL from PERIODO"));
        QCOMPARE(stored.rowCount(), 1);
        QCOMPARE(stored.rows[0][1].toDate(), QDate(2026, 12, 31));
    }
};

QTEST_MAIN(TstWorkstationsServer)
#include "tst_workstations_server.moc"
