// Start-up over a Firebird server: the address of PRAXOLIN.INI takes the program to the server, the
// register opens on the central database there and the period table answers on the interface one.
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/Messages.h"
#include "register/RegisterPanel.h"
#include "tests/support/TestSuite.h"

#include <QtTest>

class TstStartupServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (TestSuite::testServer().isEmpty())
            QSKIP("FB_TEST_SERVER not set: run through scripts/run-tests.sh");
    }

    void registerOpensOnTheServer()
    {
        TestSuite suite({TestSuite::testServer(), QString()});
        suite.seedRegister();
        suite.writeLogon(QStringLiteral("ADMIN"));
        Messages::Recorder messages;
        Program program;
        QVERIFY(program.create({QStringLiteral("Beta & Cia")}));
        program.show();
        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.messages.join('\n')));
        QCOMPARE(program.dm->SQLConnection1.database(), TestSuite::testServer() + QLatin1Char(':') + suite.centralPath());
        QVERIFY(program.form->PainelConvenios->isVisible());
        QCOMPARE(program.form->cadastro->DBEditConvenio->text(), QStringLiteral("Beta & Cia"));

        // A change made here is on the server for every other workstation.
        program.dm->Convenios.edit();
        program.dm->Convenios.setValue(QStringLiteral("CIDADE"), QStringLiteral("Valinhos"));
        program.dm->Convenios.post();
        QCOMPARE(suite.scalar(QStringLiteral("select CIDADE from CONVENIO where CODIGOCONVENIO = 2")).toString(),
                 QStringLiteral("Valinhos"));
        program.dm2->Periodo.open();
        QCOMPARE(program.dm2->Periodo.recordCount(), 0);
        program.dm2->Periodo.close();
    }

    void unreachableServerIsReported()
    {
        TestSuite suite({QStringLiteral("127.0.0.1/1"), QString()});
        Messages::Recorder messages;
        Program program;
        QVERIFY(program.create({}));
        program.show();
        QVERIFY(program.form->isVisible());
        QVERIFY(!messages.messages.isEmpty());
        QVERIFY2(messages.messages.first().contains(QStringLiteral("127.0.0.1")) ||
                     messages.messages.first().contains(QStringLiteral("connect")),
                 qPrintable(messages.messages.first()));
    }
};

QTEST_MAIN(TstStartupServer)
#include "tst_startup_server.moc"
