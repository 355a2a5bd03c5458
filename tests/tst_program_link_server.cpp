// The program across a link that breaks (scripts/delay-proxy.py in front of the tests' server).
// Start-up against a server that accepts the connection and holds every packet: a small window says
// that the server is being reached, with Cancelar; Cancelar and the session's signals end the
// program at once, as its close box does (those runs are a process of their own, this test program
// started again in its "program" role, since ending is what they check). And a change of the
// register whose commit loses its answer or never arrives: nothing typed is lost, and nothing stored
// is reported as lost.
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
#include <QWindow>
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
        // As a person would, a moment after the window appeared, the click reaching the window
        // before its button.
        if (g_clicksCancelar)
            QTimer::singleShot(300, w, [w] {
                QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                                  w->BotCancelar->mapTo(w, w->BotCancelar->rect().center()));
            });
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

    // The link breaks while a change of the register commits: its answer lost after the server
    // committed, or the commit itself lost. The program reads the row back by its key: stored, it
    // says so and the register shows it stored (leaving with Esc then closes the program); not
    // stored, it says why and keeps what was typed on the screen, to be saved once the link is back.
    void registerChangeWhoseCommitBreaks_data()
    {
        QTest::addColumn<QString>("breakage");
        QTest::addColumn<bool>("committed");
        QTest::addColumn<bool>("novo");   // a new convênio, or a change of "Alfa Ltda"
        QTest::addColumn<bool>("leaving");   // posted by Esc on the way out, or by F10
        QTest::newRow("change, answer lost") << "lose-answers" << true << false << false;
        QTest::newRow("change, commit lost") << "lose-requests" << false << false << false;
        QTest::newRow("new, answer lost") << "lose-answers" << true << true << false;
        QTest::newRow("new, commit lost") << "lose-requests" << false << true << false;
        QTest::newRow("leaving, answer lost") << "lose-answers" << true << false << true;
        QTest::newRow("leaving, commit lost") << "lose-requests" << false << false << true;
    }

    void registerChangeWhoseCommitBreaks()
    {
        QFETCH(QString, breakage);
        QFETCH(bool, committed);
        QFETCH(bool, novo);
        QFETCH(bool, leaving);
        Messages::Recorder messages;
        Program program;
        QVERIFY(program.create({}));
        QVERIFY(program.show());
        FormConvenios &form = *program.form;
        RegisterPanel &reg = *form.cadastro;
        CachedTable &convenios = program.dm->Convenios;
        const auto type = [](QWidget *box, const QString &text) {
            box->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box, text);
        };
        QTest::mouseClick(form.DBNavigator6->button(novo ? DBNavigator::Insert : DBNavigator::Edit), Qt::LeftButton);
        if (novo)
            type(reg.DBEditConvenio, QStringLiteral("Gama Ltda"));
        type(reg.DBEditCidConv, QStringLiteral("Valinhos"));
        auto broken = std::make_shared<bool>(false);
        program.dm->SQLConnection1.setBeforeCommit([this, breakage, broken] {
            if (!*broken)
                QVERIFY(proxy->command(breakage));
            *broken = true;
        });
        QTest::keyClick(reg.DBEditCidConv, leaving ? Qt::Key_Escape : Qt::Key_F10);
        QVERIFY(*broken);

        const QString stored = novo ? QStringLiteral("CONVENIO = 'Gama Ltda' and CIDADE = 'Valinhos'")
                                    : QStringLiteral("CODIGOCONVENIO = 1 and CIDADE = 'Valinhos'");
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), stored), committed ? 1 : 0);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), novo && committed ? 4 : 3);
        QCOMPARE(messages.messages.size(), 1);
        if (committed) {
            QCOMPARE(messages.messages[0], RegisterPanel::MensagemGravadoAposQueda);
            QCOMPARE(form.isVisible(), !leaving);
            if (!leaving) {
                QCOMPARE(convenios.state(), CachedTable::State::Browse);
                QVERIFY(!convenios.hasPendingUpdates());
                QCOMPARE(reg.DBEditCidConv->text(), QStringLiteral("Valinhos"));
            }
            return;
        }
        QVERIFY2(messages.messages[0].contains(QStringLiteral("A conexão com o servidor")) &&
                     messages.messages[0].endsWith(RegisterPanel::MensagemNaoGravado),
                 qPrintable(messages.messages[0]));
        QVERIFY(form.isVisible());
        QCOMPARE(convenios.state(), novo ? CachedTable::State::Insert : CachedTable::State::Edit);
        QCOMPARE(reg.DBEditCidConv->text(), QStringLiteral("Valinhos"));
        // Saved again over the new link, the change is stored once.
        QTest::keyClick(reg.DBEditCidConv, Qt::Key_F10);
        QCOMPARE(messages.messages.size(), 1);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), stored), 1);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), novo ? 4 : 3);
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
