// The program across a link that breaks (scripts/delay-proxy.py in front of the tests' server).
// Start-up against a server that accepts the connection and holds every packet: a small window says
// that the server is being reached, with Cancelar; Cancelar and the session's signals end the
// program at once, as its close box does (those runs are a process of their own, this test program
// started again in its "program" role, since ending is what they check).
#include "app/ConnectingWindow.h"
#include "app/FormConvenios.h"
#include "app/ProgramEntry.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "platform/Messages.h"
#include "register/RegisterPanel.h"
#include "tests/DelayProxy.h"
#include "tests/support/TestSuite.h"
#include "tools/setup/SuiteBuilder.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {
const char *const kProgramRole = "--program";
bool g_programRole = false;
bool g_clicksCancelar = false;

// The connecting window when it is on the screen.
ConnectingWindow *connectingWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *c = qobject_cast<ConnectingWindow *>(w); c && c->isVisible())
            return c;
    return nullptr;
}

// In the program's role: says on its standard error what the connecting window says once it shows,
// and presses its Cancelar when told to.
void watchTheConnectingWindow()
{
    if (!g_programRole)
        return;
    auto *watch = new QTimer(QCoreApplication::instance());
    watch->setInterval(50);
    QObject::connect(watch, &QTimer::timeout, [watch] {
        ConnectingWindow *w = connectingWindow();
        if (!w)
            return;
        watch->stop();
        std::fprintf(stderr, "window: %s\n", w->Mensagem->text().toUtf8().constData());
        std::fflush(stderr);
        // As a person would, a moment after the window appeared.
        if (g_clicksCancelar)
            QTimer::singleShot(300, w, [w] { QTest::mouseClick(w->BotCancelar, Qt::LeftButton); });
    });
    watch->start();
}
Q_COREAPP_STARTUP_FUNCTION(watchTheConnectingWindow)

// Counts the connecting windows shown while it lives.
class ShownWindows : public QObject {
public:
    ShownWindows() { qApp->installEventFilter(this); }
    ~ShownWindows() override { qApp->removeEventFilter(this); }
    int count = 0;
    QString text;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            if (auto *w = qobject_cast<ConnectingWindow *>(watched)) {
                ++count;
                text = w->Mensagem->text();
            }
        return false;
    }
};
}

class TstProgramLinkServer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<DelayProxy> proxy;

    // Beside the ports of the tests' shared server (+100 the benchmark, +101 the faults test, +102
    // the link test).
    static int proxyPort()
    {
        const int shared = TestSuite::testServer().section(QLatin1Char('/'), 1).toInt();
        return (shared > 0 ? shared : 3057) + 103;
    }

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

    // The program reaches the server through the proxy; a server that does not answer would be
    // waited for a minute, so whatever ends sooner did not wait for it.
    void init()
    {
        suite = std::make_unique<TestSuite>(TestSuite::Options{TestSuite::testServer(), QString()});
        suite->seedRegister();
        suite->writeLogon(QStringLiteral("ADMIN"));
        suite->writeFile(QStringLiteral("Em_Uso.txt"), "x");
        suite->writeFile(QStringLiteral("Convenios.ini"), "[Rede]\nEsperaConexao=60\n");
        proxy = std::make_unique<DelayProxy>();
        QVERIFY(proxy->start(TestSuite::testServer(), proxyPort()));
        SuiteBuilder::Options o;
        o.serverAddress = proxy->address();
        suite->writeIni(SuiteBuilder::iniText(o));
    }

    void cleanup()
    {
        proxy.reset();
        suite.reset();
    }

    // A server that answers: no window comes between the user and the register.
    void answeringServerShowsNoWindow()
    {
        Messages::Recorder messages;
        ShownWindows shown;
        Program program;
        QVERIFY(program.create({}));
        QVERIFY(program.show());
        QCOMPARE(shown.count, 0);
        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.messages.join('\n')));
        QVERIFY(program.form->PainelConvenios->isVisible());
    }

    // The window shows while the server holds its answers, and the start-up goes on when they come.
    void windowShowsUntilTheServerAnswers()
    {
        Messages::Recorder messages;
        ShownWindows shown;
        QVERIFY(proxy->command(QStringLiteral("hold")));
        bool seen = false;
        QTimer::singleShot(ConnectingWindow::EsperaMs + 600, this, [&] {
            seen = connectingWindow() != nullptr;
            QVERIFY(proxy->command(QStringLiteral("release")));
        });
        Program program;
        QVERIFY(program.create({}));
        QVERIFY(program.show());
        QVERIFY(seen);
        QCOMPARE(shown.text, QStringLiteral("Conectando ao servidor ") + proxy->address() + QStringLiteral("…"));
        QVERIFY(!connectingWindow());
        QVERIFY2(messages.messages.isEmpty(), qPrintable(messages.messages.join('\n')));
        QVERIFY(program.form->PainelConvenios->isVisible());
        QCOMPARE(program.form->cadastro->DBEditConvenio->text(), QStringLiteral("Alfa Ltda"));
    }

    // Cancelar on the window, or a signal of the session while the server is reached: the program
    // ends at once, with no message, and closes as its close box does (the in-use marker deleted).
    void givingUpEndsTheProgramAtOnce_data()
    {
        QTest::addColumn<int>("signal");   // 0: Cancelar
        QTest::newRow("Cancelar") << 0;
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void givingUpEndsTheProgramAtOnce()
    {
        QFETCH(int, signal);
        QVERIFY(proxy->command(QStringLiteral("hold")));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PRAXOLIN_HOME"), suite->root());
        env.insert(QStringLiteral("CONVENIOS_MESSAGE_LOG"), suite->path(QStringLiteral("mensagens.txt")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        QStringList args{QString::fromLatin1(kProgramRole)};
        if (signal == 0)
            args << QStringLiteral("--cancela");
        program.start(QCoreApplication::applicationFilePath(), args);
        QVERIFY(program.waitForStarted(10000));

        QByteArray said;
        QTRY_VERIFY2_WITH_TIMEOUT((said += program.readAllStandardError()).contains("window: ") ||
                                      program.state() != QProcess::Running,
                                  said.constData(), 20000);
        QVERIFY2(said.contains("window: Conectando ao servidor " + proxy->address().toUtf8() + "\xe2\x80\xa6"),
                 said.constData());
        if (signal != 0)
            ::kill(pid_t(program.processId()), signal);
        QVERIFY2(program.waitForFinished(10000), (said + program.readAllStandardError()).constData());
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                 (said + program.readAllStandardError()).constData());
        QVERIFY(!QFile::exists(suite->path(QStringLiteral("Em_Uso.txt"))));
        const QString shown = read(suite->path(QStringLiteral("mensagens.txt")));
        QVERIFY2(shown.isEmpty(), qPrintable(shown));
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], kProgramRole) == 0) {
        g_programRole = true;
        g_clicksCancelar = argc > 2 && qstrcmp(argv[2], "--cancela") == 0;
        return runProgram(1, argv);
    }
    QApplication app(argc, argv);
    TstProgramLinkServer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_program_link_server.moc"
