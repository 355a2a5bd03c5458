// Two workstations reversing the same settlement at the same moment on a Firebird server: one
// reverses it, the other is told it was reversed already, and the rows are put back once.
#include "data/CentralData.h"
#include "settlement/ConvenioSettlement.h"
#include "settlement/Estorno.h"
#include "tests/support/TestSuite.h"

#include <QtTest>
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
        QCOMPARE(Decimal::fromVariant(suite->scalar(QStringLiteral("select sum(VALOR) from MOVCAIXA"))).toSqlText(),
                 QStringLiteral("0.00"));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO is not null or DATAPAGAMENTO is not null")), 0);
        QCOMPARE(suite->count(QStringLiteral("PAGPEDID"), QStringLiteral("DATAPAGTO is not null or VALORPAGO is not null")), 0);
    }
};

QTEST_MAIN(TstRecordsServer)
#include "tst_records_server.moc"
