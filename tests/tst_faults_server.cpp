// Faults around a settlement: the server stopped in the middle of it, a trace file that cannot be
// written. The program reports the failure, stays up, the database holds none of the settlement, and
// the next command works once the server is back. This test starts a private server of its own, so
// stopping it disturbs no other test.
#include "data/CentralData.h"
#include "settlement/QuitacaoConvenio.h"
#include "tests/support/TestSuite.h"

#include <QProcess>
#include <QtTest>

using namespace QuitacaoConvenio;

class TstFaultsServer : public QObject {
    Q_OBJECT

    QString script;
    QTemporaryDir serverDir;
    // Next to the port of the tests' shared server (the benchmark takes the one 100 above it), so
    // that test runs side by side on one machine, each with its own FB_TEST_PORT, never stop each
    // other's private server.
    static QString privatePort()
    {
        const int shared = TestSuite::testServer().section(QLatin1Char('/'), 1).toInt();
        return QString::number((shared > 0 ? shared : 3057) + 101);
    }
    const QString port = privatePort();
    QString address() const { return QStringLiteral("127.0.0.1/") + port; }

    bool server(const QString &command)
    {
        QProcess p;
        p.start(QStringLiteral("bash"), {script, command, serverDir.path(), port});
        const bool ok = p.waitForFinished(60000) && p.exitCode() == 0;
        if (!ok)
            qWarning("%s: %s", qPrintable(command), p.readAllStandardError().constData());
        return ok;
    }

    void seed(TestSuite &suite)
    {
        Connection &c = suite.central();
        for (int n = 1; n <= 5; ++n) {
            c.execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                                     "values ('01', ?, 'Beta & Cia', '2026-11-10', 'Pedido', 12.30)"),
                      {n});
            c.execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, 12.30)"), {n});
        }
    }

    ContextoQuitacao caixa()
    {
        ContextoQuitacao c;
        c.convenioAtual = QStringLiteral("Beta & Cia");
        c.caixaAtual = QStringLiteral("1");
        c.sessaoCaixa = QStringLiteral("9");
        return c;
    }

private slots:
    void initTestCase()
    {
        script = qEnvironmentVariable("CONVENIOS_SOURCE_DIR") + QStringLiteral("/scripts/fbserver.sh");
        if (!QFile::exists(script) || !QFile::exists(QStringLiteral("/usr/sbin/firebird")))
            QSKIP("the Firebird server or its start script is not available");
        QVERIFY(server(QStringLiteral("start")));
    }

    void cleanupTestCase()
    {
        if (!script.isEmpty())
            server(QStringLiteral("stop"));
    }

    void serverStoppedInTheMiddleOfASettlement()
    {
        TestSuite suite({address(), QString()});
        seed(suite);
        const QString before = suite.settlementSnapshot();
        suite.central().close();

        CentralData dm(address());
        bool stopped = false;
        try {
            QuitaConvenio(dm, caixa(), QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5),
                          {nullptr, [&](int) {
                               // The orders are marked paid: the server stops before their
                               // instalments are sent.
                               if (!stopped) {
                                   stopped = true;
                                   QVERIFY(server(QStringLiteral("stop")));
                               }
                           }});
            QFAIL("the settlement cannot end without its server");
        } catch (const DatabaseError &e) {
            QVERIFY2(!e.message().isEmpty(), "the database's own text is reported");
        }
        QVERIFY(stopped);

        QVERIFY(server(QStringLiteral("start")));
        QCOMPARE(suite.settlementSnapshot(), before);

        // The same program goes on: its connection attaches again by itself.
        QuitaConvenio(dm, caixa(), QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5));
        QCOMPARE(suite.count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), 5);
        QCOMPARE(suite.count(QStringLiteral("MOVCAIXA")), 5);
    }

    void traceFileThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("disk full") << "/dev/full";
        QTest::newRow("read-only file") << "/proc/version";
    }

    void traceFileThatCannotBeWritten()
    {
        QFETCH(QString, target);
        TestSuite suite({address(), QString()});
        seed(suite);
        const QString before = suite.settlementSnapshot();
        QVERIFY(QFile::link(target, suite.path(QStringLiteral("QUITACONV.TXT"))));
        CentralData dm(address());
        try {
            QuitaConvenio(dm, caixa(), QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5));
            QFAIL("a trace that cannot be written stops the settlement");
        } catch (const std::runtime_error &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("QUITACONV.TXT")), e.what());
        }
        QCOMPARE(suite.settlementSnapshot(), before);
    }
};

QTEST_MAIN(TstFaultsServer)
#include "tst_faults_server.moc"
