// The program as a process: ended by the session's signals, started a second time on the same
// computer, started with arguments that look like the toolkit's options. Each case runs the built
// program on a fresh suite with the embedded engine.
#include "tests/support/TestSuite.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

class TstShutdown : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    QList<QProcess *> running;

    QString exe() const { return qEnvironmentVariable("CONVENIOS_BUILD_DIR") + QStringLiteral("/app/Convenios"); }
    QString messageLog() const { return suite->path(QStringLiteral("mensagens.txt")); }
    QString mirrorupLog() const { return suite->path(QStringLiteral("mirrorup.txt")); }
    QString marker() const { return suite->path(QStringLiteral("Em_Uso.txt")); }

    static QString read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // The signals the program takes as its own are blocked in it once it is ready for them.
    static bool signalsTaken(qint64 pid)
    {
        const QString status = read(QStringLiteral("/proc/%1/status").arg(pid));
        const qsizetype at = status.indexOf(QStringLiteral("SigBlk:"));
        if (at < 0)
            return false;
        const quint64 blocked = status.mid(at + 7).section(QLatin1Char('\n'), 0, 0).trimmed().toULongLong(nullptr, 16);
        const quint64 wanted = (1ull << (SIGTERM - 1)) | (1ull << (SIGINT - 1)) | (1ull << (SIGHUP - 1));
        return (blocked & wanted) == wanted;
    }

    // Starts the program on the suite and waits until its window is up.
    QProcess *start(const QStringList &args = {})
    {
        auto *p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PRAXOLIN_HOME"), suite->root());
        env.insert(QStringLiteral("CONVENIOS_MESSAGE_LOG"), messageLog());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p->setProcessEnvironment(env);
        p->start(exe(), args);
        running << p;
        if (!p->waitForStarted(10000))
            return p;
        QElapsedTimer t;
        t.start();
        // Ready for the signals, and holding the module's place on this computer.
        while ((!signalsTaken(p->processId()) || !QFile::exists(suite->path(QStringLiteral("Convenios.lck")))) &&
               t.elapsed() < 20000 && p->state() == QProcess::Running)
            QTest::qWait(20);
        // The window still has to show and read the register.
        QTest::qWait(1000);
        return p;
    }

    // True once the program has ended (it may have ended before this is asked).
    static bool ends(QProcess *p) { return p->state() == QProcess::NotRunning || p->waitForFinished(10000); }

    // Ended by itself with code 0; otherwise what it wrote to its error output says why.
    static bool endedCleanly(QProcess *p)
    {
        const bool clean = p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
        if (!clean)
            qWarning("program ended with %d:\n%s", p->exitCode(), p->readAllStandardError().constData());
        return clean;
    }

private slots:
    void initTestCase()
    {
        if (!QFile::exists(exe()))
            QSKIP("program not built beside the tests");
    }

    void init()
    {
        suite = std::make_unique<TestSuite>();
        suite->seedRegister();
        suite->central().close();
        suite->iface().close();
        suite->writeLogon(QStringLiteral("ADMIN"));
        suite->writeFile(QStringLiteral("Em_Uso.txt"), "x");
        // The refresh program's stand-in records that it was started, and with what.
        suite->writeFile(QStringLiteral("Mirrorup.exe"),
                         QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(mirrorupLog()).toUtf8());
        QFile::setPermissions(suite->path(QStringLiteral("Mirrorup.exe")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void cleanup()
    {
        for (QProcess *p : std::as_const(running)) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
        running.clear();
        suite.reset();
    }

    void signalClosesTheProgramAsItsCloseBox_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalClosesTheProgramAsItsCloseBox()
    {
        QFETCH(int, signal);
        QProcess *p = start();
        QCOMPARE(p->state(), QProcess::Running);
        QVERIFY(QFile::exists(marker()));
        ::kill(pid_t(p->processId()), signal);
        QVERIFY(ends(p));
        QVERIFY(endedCleanly(p));
        QVERIFY(!QFile::exists(marker()));
        QTRY_COMPARE_WITH_TIMEOUT(read(mirrorupLog()), QStringLiteral("CONVENIO\n"), 5000);
        QCOMPARE(read(messageLog()), QString());
        // The database is whole and free for the next start.
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), 3);
    }

    void secondInstanceSaysSoAndLeavesTheFirstAlone()
    {
        QProcess *first = start();
        QCOMPARE(first->state(), QProcess::Running);
        QProcess *second = start();
        QVERIFY(ends(second));
        QVERIFY(endedCleanly(second));
        QCOMPARE(read(messageLog()), QStringLiteral("O Cadastro de Convênios já está aberto neste computador.\n"));
        QVERIFY(QFile::exists(marker()));
        QCOMPARE(read(mirrorupLog()), QString());
        QCOMPARE(first->state(), QProcess::Running);

        // The first one ends as usual, and a new start finds the module free.
        ::kill(pid_t(first->processId()), SIGTERM);
        QVERIFY(ends(first));
        QVERIFY(!QFile::exists(marker()));
        QFile::remove(messageLog());
        QProcess *third = start();
        QCOMPARE(third->state(), QProcess::Running);
        QCOMPARE(read(messageLog()), QString());
        ::kill(pid_t(third->processId()), SIGTERM);
        QVERIFY(ends(third));
    }

    void argumentsThatLookLikeToolkitOptionsAreTheModules_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("looked");
        QTest::newRow("-reverse") << QStringList{"-reverse"} << "-reverse";
        QTest::newRow("-style x") << QStringList{"-style", "x"} << "-style";
        QTest::newRow("-platform xcb") << QStringList{"-platform", "xcb"} << "-platform";
    }

    void argumentsThatLookLikeToolkitOptionsAreTheModules()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, looked);
        QProcess *p = start(args);
        QCOMPARE(p->state(), QProcess::Running);
        QTRY_COMPARE_WITH_TIMEOUT(read(messageLog()), QStringLiteral("Convênio \"%1\" não encontrado.\n").arg(looked), 5000);
        ::kill(pid_t(p->processId()), SIGTERM);
        QVERIFY(ends(p));
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), 3);
    }
};

QTEST_MAIN(TstShutdown)
#include "tst_shutdown.moc"
