// Start-up and the main window, driven offscreen on a fresh fixture suite: the command line, the
// stored logon, the lists, closing, the client-library and database-path rules.
#include "session/Configuracao.h"
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/LoginPanel.h"
#include "app/ProgramEntry.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/Messages.h"
#include "platform/ProcessStart.h"
#include "platform/UserName.h"
#include "register/RegisterPanel.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Widgets.h"

#include <QMessageBox>
#include <QProcess>
#include "data/CachedTable.h"

#include <QtTest>

class TstStartup : public QObject, ProgramFixture {
    Q_OBJECT

    QList<QPair<QString, QStringList>> started;

    FormConvenios &form() { return *program->form; }

    void start(const QStringList &args = {})
    {
        program = std::make_unique<Program>();
        QVERIFY(program->create(args));
        program->show();
    }

    QString current() { return program->dm->Convenios.text(QStringLiteral("CONVENIO")); }

private slots:
    void init()
    {
        setUpProgram();
        started.clear();
        ProcessStart::setRecorder([this](const QString &p, const QStringList &a) { started << qMakePair(p, a); });
    }

    void cleanup()
    {
        program.reset();   // closing may start a program: the recorder still takes it
        ProcessStart::setRecorder(nullptr);
        tearDownProgram();
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("navigatorEnabled");
        QTest::addColumn<int>("convenios");
        const QString notFound = QStringLiteral("Convênio \"Gama\" não encontrado.");
        QTest::newRow("none") << QStringList{} << "Alfa Ltda" << "" << true << 3;
        QTest::newRow("one found") << QStringList{"Drogaria São José"} << "Drogaria São José" << "" << true << 3;
        QTest::newRow("one not found") << QStringList{"Gama"} << "Alfa Ltda" << notFound << true << 3;
        QTest::newRow("two, second empty") << QStringList{"Gama", ""} << "Gama" << "" << true << 4;
        QTest::newRow("two, second given") << QStringList{"Beta & Cia", "3"} << "Beta & Cia" << "" << true << 3;
        QTest::newRow("four, cash register")
            << QStringList{"Beta & Cia", "3", "S12", "Dinheiro"} << "Beta & Cia" << "" << false << 3;
        QTest::newRow("four, not found") << QStringList{"Gama", "3", "S12", "Dinheiro"} << "Alfa Ltda" << notFound
                                         << false << 3;
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        QFETCH(bool, navigatorEnabled);
        QFETCH(int, convenios);
        start(args);
        QCOMPARE(current(), shown);
        QCOMPARE(messages->messages.value(0), message);
        QCOMPARE(form().DBNavigator6->isEnabled(), navigatorEnabled);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), convenios);
        if (convenios == 4) {
            // The new convênio got the next code and the category "Particular", and is stored.
            QCOMPARE(suite->scalar(QStringLiteral("select CODIGOCONVENIO from CONVENIO where CONVENIO = 'Gama'")).toInt(), 8);
            QCOMPARE(suite->scalar(QStringLiteral("select TIPO from CONVENIO where CONVENIO = 'Gama'")).toString(),
                     QStringLiteral("Particular"));
        }
        if (args.size() == 4) {
            QCOMPARE(program->sessao.caixaAtual, QStringLiteral("3"));
            QCOMPARE(program->sessao.sessaoCaixa, QStringLiteral("S12"));
            QCOMPARE(program->sessao.formaPagCaixa, QStringLiteral("Dinheiro"));
        }
    }

    void argumentsAreCutToTheirWidths()
    {
        const QString longName = QString(70, QLatin1Char('N'));
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (30, '%1')").arg(QString(40, 'N')));
        start({longName, QString(25, QLatin1Char('C')), QString(25, QLatin1Char('S')), QString(45, QLatin1Char('F'))});
        // Only the first 60 characters are looked up: a 60-character name cannot equal a stored one.
        QCOMPARE(messages->messages.value(0), QStringLiteral("Convênio \"%1\" não encontrado.").arg(QString(60, 'N')));
        QCOMPARE(program->sessao.caixaAtual.size(), 20);
        QCOMPARE(program->sessao.sessaoCaixa.size(), 20);
        QCOMPARE(program->sessao.formaPagCaixa.size(), 40);
    }

    void listsAreFilledFromTheDatabase()
    {
        start();
        RegisterPanel *r = form().cadastro;
        auto items = [](QComboBox *c) {
            QStringList out;
            for (int i = 0; i < c->count(); ++i)
                out << c->itemText(i);
            return out;
        };
        QCOMPARE(items(r->DBCBFormaPagto).size(), 3);
        QVERIFY(items(r->DBCBFormaPagto).contains(QStringLiteral("Cartão")));
        QCOMPARE(items(r->DBRotaConv).size(), 2);
        QCOMPARE(items(r->DBComboTipoConv),
                 (QStringList{"Desc Folha", "Drogaria", "Empresa", "Particular", "Funcionários"}));
        // The fields show the current convênio and are read-only until an insert or edit.
        QCOMPARE(r->DBEditConvenio->text(), QStringLiteral("Alfa Ltda"));
        QCOMPARE(r->DBEdit2->text(), QStringLiteral("1"));
        for (QWidget *w : r->campos())
            QVERIFY(!w->isEnabled());
    }

    void storedLogon_data()
    {
        QTest::addColumn<QString>("logonUser");   // empty: no LOGON.LLF
        QTest::addColumn<QByteArray>("line3");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("reported");
        QTest::newRow("absent") << "" << QByteArray() << false << false;
        QTest::newRow("accepted") << "ADMIN" << QByteArray() << true << false;
        QTest::newRow("plain name of another user") << "ADMIN/Maria" << QByteArray() << false << false;
        QTest::newRow("unknown user") << "PEDRO" << QByteArray() << false << false;
        QTest::newRow("line 3 not a date") << "ADMIN" << QByteArray("\x01\xff garbage") << false << true;
    }

    void storedLogon()
    {
        QFETCH(QString, logonUser);
        QFETCH(QByteArray, line3);
        QFETCH(bool, accepted);
        QFETCH(bool, reported);
        if (!logonUser.isEmpty())
            suite->writeLogon(logonUser.section('/', 0, 0), line3, {}, logonUser.section('/', 1, 1));
        start();
        QCOMPARE(form().PainelConvenios->isVisible(), accepted);
        QCOMPARE(form().pnlBotoes->isVisible(), accepted);
        QCOMPARE(form().PainelLogin->isVisible(), !accepted);
        QCOMPARE(form().windowTitle(), QStringLiteral(" QUB SISTEMAS  -  Cadastro  de  Convênios"));
        QCOMPARE(!messages->messages.isEmpty(), reported);
        if (!accepted) {
            QCOMPARE(form().PainelLogin->EditNome->text(), UserName::current());
            QCOMPARE(form().PainelLogin->geometry(), QRect(212, 178, 331, 130));
        }
    }

    void garbageLogonFileDoesNotCrash()
    {
        QByteArray junk(5000, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 37) % 256);
        suite->writeFile(QStringLiteral("LOGON.LLF"), junk);
        start();
        QVERIFY(form().PainelLogin->isVisible());
    }

    void closingStartsMirrorupAndDeletesTheMarker()
    {
        suite->writeFile(QStringLiteral("Mirrorup.exe"), "#!/bin/sh\n");
        suite->writeFile(QStringLiteral("Em_Uso.txt"), "x");
        suite->writeLogon(QStringLiteral("ADMIN"));
        start();
        form().BotSairConv->click();
        QVERIFY(!form().isVisible());
        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0].first, suite->path(QStringLiteral("Mirrorup.exe")));
        QCOMPARE(started[0].second, QStringList{QStringLiteral("CONVENIO")});
        QVERIFY(!QFile::exists(suite->path(QStringLiteral("Em_Uso.txt"))));
    }

    void closingWithoutMirrorupStartsNothing()
    {
        start();
        form().close();
        QVERIFY(started.isEmpty());
        QVERIFY(messages->messages.isEmpty());
    }

    void sairSavesThePendingConvenioAndTheCloseBoxDropsIt()
    {
        suite->writeLogon(QStringLiteral("ADMIN"));
        start();
        program->dm->Convenios.append();
        program->dm->Convenios.setValue(QStringLiteral("CONVENIO"), QStringLiteral("Novo pela Saída"));
        form().SairDoCadastro();
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO = 'Novo pela Saída'")), 1);
        program.reset();

        start();
        program->dm->Convenios.append();
        program->dm->Convenios.setValue(QStringLiteral("CONVENIO"), QStringLiteral("Perdido"));
        form().close();
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO = 'Perdido'")), 0);
    }

    // Leaving with a change the database refuses: the user is told why, and the window stays with
    // the change on the screen; once put right, leaving stores it.
    void leavingWithARefusedChangeSaysWhyAndStays()
    {
        suite->writeLogon(QStringLiteral("ADMIN"));
        suite->exec(QStringLiteral("create exception SEM_CIDADE 'cidade recusada'"));
        suite->exec(QStringLiteral("create trigger T_SEM_CIDADE for CONVENIO before update as begin if (new.CIDADE = "
                                   "'Atlantis') then exception SEM_CIDADE; end"));
        start();
        program->dm->Convenios.edit();
        program->dm->Convenios.setValue(QStringLiteral("CIDADE"), QStringLiteral("Atlantis"));
        QTest::keyClick(&form(), Qt::Key_Escape);
        QVERIFY(form().isVisible());
        QVERIFY2(!messages->messages.isEmpty() && messages->messages.last().contains(QStringLiteral("cidade recusada")),
                 qPrintable(messages->messages.join('\n')));
        QCOMPARE(program->dm->Convenios.state(), CachedTable::State::Edit);
        QCOMPARE(program->dm->Convenios.text(QStringLiteral("CIDADE")), QStringLiteral("Atlantis"));

        program->dm->Convenios.setValue(QStringLiteral("CIDADE"), QStringLiteral("Campinas do Sul"));
        QTest::keyClick(&form(), Qt::Key_Escape);
        QVERIFY(!form().isVisible());
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CIDADE = 'Campinas do Sul'")), 1);
    }

    void escapeIsTheCancelButton()
    {
        start();   // no stored logon: the login panel shows, Esc means "Cancela"
        QTest::keyClick(form().PainelLogin->EditNome, Qt::Key_Escape);
        QVERIFY(!form().isVisible());
        program.reset();

        suite->writeLogon(QStringLiteral("ADMIN"));
        start();   // logged on: Esc means "Sair"
        QTest::keyClick(form().cadastro, Qt::Key_Escape);
        QVERIFY(!form().isVisible());
    }

    void unreachableDatabaseIsReportedAndTheWindowStays()
    {
        suite->central().close();
        QFile::remove(suite->centralPath());
        start();
        QVERIFY(form().isVisible());
        QVERIFY(!messages->messages.isEmpty());
        QVERIFY2(messages->messages.first().contains(QStringLiteral("praxolin.bd")) ||
                     messages->messages.first().contains(QStringLiteral("I/O error")),
                 qPrintable(messages->messages.first()));
        QVERIFY(QFile::exists(suite->path(QStringLiteral("convenios-erros.log"))));
    }

    void unreachableDatabaseIsShownOnceAndTheUserCanLeave()
    {
        suite->central().close();
        QFile::remove(suite->centralPath());
        messages.reset();   // real message boxes, as the user gets them
        // The window manager's part: the box is answered and the focus goes back to the main window.
        QStringList shown;
        QTimer windowManager;
        connect(&windowManager, &QTimer::timeout, this, [&] {
            if (auto *box = modal<QMessageBox>()) {
                shown << box->text();
                box->accept();
                if (program && program->form)
                    QApplication::setActiveWindow(program->form.get());
            }
        });
        windowManager.start(20);
        start();
        QTest::qWait(1000);
        QCOMPARE(shown.size(), 1);
        QVERIFY(form().PainelLogin->isVisible());
        QTest::mouseClick(form().PainelLogin->BotCancSenha, Qt::LeftButton);
        QVERIFY(!form().isVisible());
        QCOMPARE(shown.size(), 1);
    }

    void serverAddressWithForeignBytes_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QString>("shown");
        QTest::newRow("NUL byte") << QByteArray("10.0.0.5\0lixo", 13) << "\"10.0.0.5\\x00lixo\"";
        QTest::newRow("bytes of no host") << QByteArray("\xff\xfe") << "ÿþ";
    }

    void serverAddressWithForeignBytes()
    {
        QFETCH(QByteArray, address);
        QFETCH(QString, shown);
        QFile ini(suite->path(QStringLiteral("PRAXOLIN.INI")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QByteArray text = ini.readAll();
        ini.close();
        const QByteArray key = "IP DO SERVIDOR CENTRAL.........................:";
        const qsizetype at = text.indexOf(key);
        QVERIFY(at >= 0);
        text.insert(at + key.size() + 1, address);
        suite->writeFile(QStringLiteral("PRAXOLIN.INI"), text);
        start();
        QVERIFY(!messages->messages.isEmpty());
        const QString first = messages->messages.first();
        QVERIFY2(first.contains(shown), qPrintable(first));
        QVERIFY2(!first.contains(QStringLiteral("Ã")), qPrintable(first));
        if (address.contains('\0'))
            QVERIFY2(first.contains(QStringLiteral("IP DO SERVIDOR CENTRAL")), qPrintable(first));
        // Shown once, however often the window asks the database again.
        QCOMPARE(messages->messages.count(first), 1);
    }

    void clientLibrary_data()
    {
        QTest::addColumn<QByteArray>("content");   // null: no file
        QTest::addColumn<QString>("library");
        QTest::newRow("absent") << QByteArray() << "gds32.dll";
        QTest::newRow("empty first line") << QByteArray("\r\nC:\\Outro\r\n") << "gds32.dll";
        QTest::newRow("folder") << QByteArray("C:\\Cliente\r\n") << "C:\\Cliente\\GDS32.DLL";
        QTest::newRow("folder with backslash") << QByteArray("C:\\Cliente\\\r\nlixo") << "C:\\Cliente\\GDS32.DLL";
        QTest::newRow("trailing blanks kept") << QByteArray("C:\\Cliente  \n") << "C:\\Cliente  \\GDS32.DLL";
        QTest::newRow("100 characters, no room for the backslash")
            << QByteArray(120, 'a') << QString(100, QLatin1Char('a')) + "GDS32.DLL";
    }

    void clientLibrary()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, library);
        if (!content.isNull())
            suite->writeFile(QStringLiteral("CaminhoGDS.txt"), content);
        CentralData dm{QString()};
        QCOMPARE(dm.SQLConnection1.clientLibrary(), library);
        InterfaceData dm2{QString(), QString()};
        QCOMPARE(dm2.SQLConnection1.clientLibrary(), library);
        QCOMPARE(dm2.SQLConnection2.clientLibrary(), QStringLiteral("gds32.dll"));
    }

    void databasePaths_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("central");
        QTest::addColumn<QString>("interfac");
        QTest::newRow("empty") << "" << ":C:\\praxolin\\dados\\praxolin.bd" << ":C:\\praxolin\\interfac\\praxolin.bd";
        QTest::newRow("server") << "10.0.0.5" << "10.0.0.5:C:\\praxolin\\dados\\praxolin.bd"
                                << "10.0.0.5:C:\\praxolin\\interfac\\praxolin.bd";
    }

    void databasePaths()
    {
        QFETCH(QString, address);
        QFETCH(QString, central);
        QFETCH(QString, interfac);
        CentralData dm(address);
        QCOMPARE(dm.databaseParameter(), central);
        InterfaceData dm2(address, QString());
        // The workstation code is empty at creation, so both connections use the shared database.
        QCOMPARE(dm2.databaseParameter1(), interfac);
        QCOMPARE(dm2.databaseParameter2(), interfac);
        if (address.isEmpty()) {
            QCOMPARE(dm.SQLConnection1.database(), suite->centralPath());
            QCOMPARE(dm2.SQLConnection1.database(), suite->interfacePath());
        } else {
            QCOMPARE(dm.SQLConnection1.database(), address + QLatin1Char(':') + suite->centralPath());
        }
    }

    void missingConfigurationEndsTheProcessWithCodeZero()
    {
        QFile::remove(suite->path(QStringLiteral("PRAXOLIN.INI")));
        // In-process: nothing past the main window is created.
        Program p;
        QVERIFY(!p.create({}));
        QVERIFY(!p.dm);
        QCOMPARE(messages->messages,
                 QStringList{"Arquivo PRAXOLIN.INI não encontrado. Execute o programa Initora.exe para criá-lo."});
        // The real program: exit code 0, no window left waiting.
        const QString exe = qEnvironmentVariable("CONVENIOS_BUILD_DIR") + QStringLiteral("/app/Convenios");
        if (!QFile::exists(exe))
            QSKIP("program not built beside the tests");
        QProcess proc;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PRAXOLIN_HOME"), suite->root());
        env.insert(QStringLiteral("CONVENIOS_MESSAGE_LOG"), suite->path(QStringLiteral("mensagens.txt")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        proc.setProcessEnvironment(env);
        proc.start(exe, {});
        QVERIFY(proc.waitForFinished(20000));
        QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc.exitCode(), 0);
        QFile log(suite->path(QStringLiteral("mensagens.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll()).startsWith(QStringLiteral("Arquivo PRAXOLIN.INI não encontrado.")));
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
