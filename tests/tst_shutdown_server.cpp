// A session that ends the program while a settlement is under way. The program runs in a process of
// its own (this test program started again in its "program" role, a scripted user settling a
// convênio); the test holds a lock on one of the orders, so the settlement is waiting on the server
// when the signal comes. The program must end at once, with nothing of the settlement stored.
#include "app/FormConvenios.h"
#include "app/ProgramEntry.h"
#include "closing/PeriodDialog.h"
#include "controls/DBMaskEdit.h"
#include "tests/support/TestSuite.h"

#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {
const char *const kProgramRole = "--settling-program";

// The scripted user: Quitar on the register's convênio for November 2026, paid on 5 December.
int runSettlingProgram(int argc, char **argv)
{
    return runProgram(argc - 1, argv + 1, [](Program &program) {
        FormConvenios &form = *program.form;
        form.BotQuitaConvenio->click();
        PeriodDialog *d = form.PainelPeriodo3;
        auto type = [](QLineEdit *box, const QString &digits) {
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, digits);
        };
        type(d->DBEdit16, QStringLiteral("011126"));
        type(d->DBEdit84, QStringLiteral("301126"));
        type(d->EditDataPagamento, QStringLiteral("051226"));
        std::fputs("settling\n", stderr);
        std::fflush(stderr);
        d->BotTotaliza3->click();
    });
}
}

class TstShutdownServer : public QObject {
    Q_OBJECT

    static QString read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private slots:
    void initTestCase()
    {
        if (TestSuite::testServer().isEmpty())
            QSKIP("FB_TEST_SERVER not set: run through scripts/run-tests.sh");
    }

    void signalDuringASettlementRollsItBackAndCloses_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalDuringASettlementRollsItBackAndCloses()
    {
        QFETCH(int, signal);
        TestSuite suite({TestSuite::testServer(), QString()});
        suite.seedRegister();
        for (int n = 1; n <= 3; ++n) {
            suite.central().execute(
                QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                               "values ('01', ?, 'Cliente', 'Alfa Ltda', ?, 'Pedido', 25.00)"),
                {n, QDate(2026, 11, n * 5)});
            suite.central().execute(
                QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, 25.00)"), {n});
        }
        suite.writeLogon(QStringLiteral("ADMIN"));
        suite.writeFile(QStringLiteral("Em_Uso.txt"), "x");
        const QString before = suite.settlementSnapshot();

        // Another workstation holds order 2: the settlement waits for it.
        Connection other(QStringLiteral("other"));
        other.setDatabase(suite.central().database());
        other.begin();
        other.execute(QStringLiteral("update PEDIDOS set NOME = 'Outro' where NPEDIDO = 2"));

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PRAXOLIN_HOME"), suite.root());
        env.insert(QStringLiteral("CONVENIOS_MESSAGE_LOG"), suite.path(QStringLiteral("mensagens.txt")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kProgramRole)});
        QVERIFY(program.waitForStarted(10000));
        QByteArray said;
        QTRY_VERIFY2_WITH_TIMEOUT((said += program.readAllStandardError()).contains("settling") ||
                                      program.state() != QProcess::Running,
                                  said.constData(), 20000);
        QCOMPARE(program.state(), QProcess::Running);
        QTest::qWait(1500);   // the settlement is now waiting for the lock
        QCOMPARE(program.state(), QProcess::Running);

        ::kill(pid_t(program.processId()), signal);
        // The settlement does not wait for the other workstation: it ends while the lock is held.
        const bool ended = program.waitForFinished(15000);
        other.rollback();
        other.close();
        QVERIFY(ended);
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                 (said + program.readAllStandardError()).constData());
        QVERIFY(!QFile::exists(suite.path(QStringLiteral("Em_Uso.txt"))));
        // Only the question the settlement asked before it began (answered by the script): no error.
        const QString shown = read(suite.path(QStringLiteral("mensagens.txt")));
        QVERIFY2(shown.startsWith(QStringLiteral("Confirma a quitação?")) && shown.count(QStringLiteral("Confirma")) == 1 &&
                     !shown.contains(QStringLiteral("Procedimento")) && !shown.contains(QStringLiteral("rro")),
                 qPrintable(shown));
        suite.central().close();
        QCOMPARE(suite.settlementSnapshot(), before);
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], kProgramRole) == 0)
        return runSettlingProgram(argc, argv);
    QApplication app(argc, argv);
    TstShutdownServer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shutdown_server.moc"
