// Two workstations on a Firebird server: reversing the same settlement at the same moment (one
// reverses it, the other is told it was reversed already, and the rows are put back once), and one
// reversing a convênio's settlement while the other settles that convênio again (they take turns,
// and every success is true).
#include "data/CentralData.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Estorno.h"
#include "tests/support/TestSuite.h"

#include <QtTest>
#include <atomic>
#include <functional>
#include <latch>
#include <mutex>
#include <thread>

class TstRecordsServer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;

    ContextoQuitacao caixa(const QString &numero)
    {
        ContextoQuitacao c;
        c.convenioAtual = QStringLiteral("Beta & Cia");
        c.caixaAtual = numero;
        c.sessaoCaixa = QStringLiteral("S") + numero;
        c.formaPagCaixa = QStringLiteral("Convênio");
        c.usuario = QStringLiteral("CAIXA") + numero;
        c.estacao = QStringLiteral("0") + numero;
        return c;
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

    void twoReversalsAtOnce()
    {
        Connection &c = suite->central();
        for (int n = 1; n <= 40; ++n) {
            c.execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                                     "values ('01', ?, 'Beta & Cia', ?, 'Pedido', ?)"),
                      {n, QDate(2026, 11, 1 + n % 30), QStringLiteral("%1.25").arg(n)});
            c.execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, ?)"),
                      {n, QStringLiteral("%1.25").arg(n)});
        }
        int codigo = 0;
        {
            CentralData dm(TestSuite::testServer());
            codigo = QuitacaoConvenio::QuitaConvenio(dm, caixa(QStringLiteral("1")), QDate(2026, 11, 1),
                                                     QDate(2026, 11, 30), QDate(2026, 12, 5)).codigo;
        }
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 40);

        // A third connection holds the settlement's row, so both reversals are under way and waiting
        // when it lets go.
        Connection holder(QStringLiteral("holder"));
        holder.setDatabase(TestSuite::testServer() + QLatin1Char(':') + suite->centralPath());
        holder.begin();
        holder.execute(QStringLiteral("update QUITACOES set ESTORNO_MOTIVO = ESTORNO_MOTIVO where CODQUITACAO = %1").arg(codigo));

        std::latch ready(2);
        std::mutex m;
        QStringList done, refused, failed;
        std::vector<std::thread> threads;
        for (const QString &numero : {QStringLiteral("2"), QStringLiteral("3")}) {
            threads.emplace_back([&, numero] {
                try {
                    CentralData dm(TestSuite::testServer());
                    dm.SQLConnection1.open();
                    ready.arrive_and_wait();
                    Estorno::estorna(dm, codigo, caixa(numero), QStringLiteral("motivo ") + numero);
                    std::lock_guard<std::mutex> lock(m);
                    done << numero;
                } catch (const Estorno::Recusado &r) {
                    std::lock_guard<std::mutex> lock(m);
                    refused << r.mensagem();
                } catch (const std::exception &e) {
                    std::lock_guard<std::mutex> lock(m);
                    failed << QString::fromUtf8(e.what());
                }
            });
        }
        ready.wait();
        QThread::msleep(500);
        holder.rollback();
        for (auto &t : threads)
            t.join();

        QVERIFY2(failed.isEmpty(), qPrintable(failed.join('\n')));
        QCOMPARE(done.size(), 1);
        QCOMPARE(refused, QStringList{Estorno::mensagemJaEstornada()});
        QCOMPARE(suite->scalar(QStringLiteral("select ESTORNO_MOTIVO from QUITACOES")).toString(),
                 QStringLiteral("motivo ") + done.first());
        // Every movement undone once, in the session of the workstation that reversed.
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("SINALQUITACAO = 'Estorno'")), 40);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("SINALQUITACAO = 'Estorno' and CAIXA = '%1'").arg(done.first())), 40);
        QCOMPARE(Decimal::fromVariant(suite->scalar(QStringLiteral(
                                          "select sum(case when ENTRADASAIDA = 'Saída' then -VALOR else VALOR end) from MOVCAIXA")))
                     .toSqlText(),
                 QStringLiteral("0.00"));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO is not null or DATAPAGAMENTO is not null")), 0);
        QCOMPARE(suite->count(QStringLiteral("PAGPEDID"), QStringLiteral("DATAPAGTO is not null or VALORPAGO is not null")), 0);
    }

    void reversalAndSettlementOfTheSameConvenio_data()
    {
        QTest::addColumn<int>("reversalDelay");
        QTest::addColumn<int>("settlementDelay");
        QTest::newRow("together") << 0 << 0;
        QTest::newRow("reversal first") << 0 << 30;
        QTest::newRow("settlement first") << 30 << 0;
        QTest::newRow("settlement a little later") << 0 << 120;
        QTest::newRow("reversal a little later") << 120 << 0;
    }

    void reversalAndSettlementOfTheSameConvenio()
    {
        QFETCH(int, reversalDelay);
        QFETCH(int, settlementDelay);
        Connection &c = suite->central();
        const int orders = 300;
        for (int n = 1; n <= orders; ++n) {
            c.execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                                     "values ('01', ?, 'Beta & Cia', ?, 'Pedido', 2.50)"),
                      {n, QDate(2026, 11, 1 + n % 30)});
            c.execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, 2.50)"), {n});
        }
        const QDate di(2026, 11, 1), df(2026, 11, 30);
        {
            CentralData dm(TestSuite::testServer());
            QCOMPARE(QuitacaoConvenio::QuitaConvenio(dm, caixa(QStringLiteral("1")), di, df, QDate(2026, 12, 5)).codigo, 1);
        }

        std::latch ready(3);
        std::mutex m;
        QStringList failed;
        QString refusal;
        int segunda = 0;
        auto workstation = [&](int delay, const std::function<void(CentralData &)> &work) {
            return std::thread([&, delay, work] {
                try {
                    CentralData dm(TestSuite::testServer());
                    dm.SQLConnection1.open();
                    ready.arrive_and_wait();
                    QThread::msleep(delay);
                    work(dm);
                } catch (const Estorno::Recusado &r) {
                    std::lock_guard<std::mutex> lock(m);
                    refusal = r.mensagem();
                } catch (const std::exception &e) {
                    std::lock_guard<std::mutex> lock(m);
                    failed << QString::fromUtf8(e.what());
                }
            });
        };
        std::thread a = workstation(reversalDelay, [&](CentralData &dm) {
            Estorno::estorna(dm, 1, caixa(QStringLiteral("2")), QStringLiteral("estorno"));
        });
        std::thread b = workstation(settlementDelay, [&](CentralData &dm) {
            segunda = QuitacaoConvenio::QuitaConvenio(dm, caixa(QStringLiteral("3")), di, df, QDate(2026, 12, 6)).codigo;
        });
        ready.arrive_and_wait();
        a.join();
        b.join();
        QVERIFY2(failed.isEmpty(), qPrintable(failed.join('\n')));
        QCOMPARE(segunda, 2);
        const bool reversedFirst = refusal.isEmpty();
        if (!reversedFirst)
            QVERIFY2(refusal.contains(QStringLiteral("foi quitado de novo depois dela, na quitação nº 2")), qPrintable(refusal));
        // The second settlement is true: every order paid on its date, and it can be reversed, which
        // puts back what was there before it.
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-06'")), orders);
        QCOMPARE(suite->count(QStringLiteral("PAGPEDID"), QStringLiteral("DATAPAGTO = '2026-12-06'")), orders);
        {
            CentralData dm(TestSuite::testServer());
            Estorno::estorna(dm, 2, caixa(QStringLiteral("3")), QStringLiteral("conferência"));
        }
        const QString before = reversedFirst ? QStringLiteral("DATAPAGAMENTO is null") : QStringLiteral("DATAPAGAMENTO = '2026-12-05'");
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), before), orders);
    }

    // The settlement comes while the reversal has checked and not yet written: it waits for the
    // reversal to end instead of being overwritten by it.
    void settlementBetweenTheReversalsChecksAndItsWrites()
    {
        Connection &c = suite->central();
        for (int n = 1; n <= 20; ++n) {
            c.execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                                     "values ('01', ?, 'Beta & Cia', '2026-11-10', 'Pedido', 2.50)"),
                      {n});
            c.execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, 2.50)"), {n});
        }
        const QDate di(2026, 11, 1), df(2026, 11, 30);
        CentralData a(TestSuite::testServer());
        QuitacaoConvenio::QuitaConvenio(a, caixa(QStringLiteral("1")), di, df, QDate(2026, 12, 5));
        std::atomic<bool> settled = false;
        QString failure;
        std::thread b;
        Estorno::estorna(a, 1, caixa(QStringLiteral("2")), QStringLiteral("estorno"), [&] {
            b = std::thread([&] {
                try {
                    CentralData dm(TestSuite::testServer());
                    QuitacaoConvenio::QuitaConvenio(dm, caixa(QStringLiteral("3")), di, df, QDate(2026, 12, 6));
                    settled = true;
                } catch (const std::exception &e) {
                    failure = QString::fromUtf8(e.what());
                }
            });
            for (int i = 0; i < 30 && !settled; ++i)
                QThread::msleep(50);
        });
        b.join();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(settled);
        // The second settlement holds: every order paid on its date, and it can be reversed.
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-06'")), 20);
        Estorno::estorna(a, 2, caixa(QStringLiteral("3")), QStringLiteral("conferência"));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is null")), 20);
    }
};

QTEST_MAIN(TstRecordsServer)
#include "tst_records_server.moc"
