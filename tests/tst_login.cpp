// The login panel, the workstation check and the "Desc./Classe" start, driven offscreen against
// fixture users whose names and passwords are coded as the suite stores them.
#include "data/CodificaSenha.h"
#include "session/Configuracao.h"
#include "session/Estacao.h"
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/LoginPanel.h"
#include "app/ProgramEntry.h"
#include "app/ProgramasIrmaos.h"
#include "data/CentralData.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "platform/UserName.h"
#include "register/RegisterPanel.h"
#include "tests/support/ProgramFixture.h"

#include <QtTest>

class TstLogin : public QObject, ProgramFixture {
    Q_OBJECT


    FormConvenios &form() { return *program->form; }
    LoginPanel &panel() { return *program->form->PainelLogin; }

    void start()
    {
        program = std::make_unique<Program>();
        QVERIFY(program->create({}));
        program->show();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        QVERIFY(panel().isVisible());
    }

    void type(const QString &name, const QString &password)
    {
        panel().EditNome->setFocus();
        panel().EditNome->selectAll();
        QTest::keyClicks(panel().EditNome, name);
        QTest::keyClick(panel().EditNome, Qt::Key_Return);   // on to the password box
        panel().EditSenhaU->clear();
        QTest::keyClicks(panel().EditSenhaU, password);
    }

    void addUser(const QString &name, const QString &password, const QString &rights)
    {
        suite->central().execute(QStringLiteral("insert into USUARIOS (USUARIO, SENHA, ACESSO) values (?, ?, ?)"),
                                 {CodificaSenha(name), CodificaSenha(password), rights});
    }

    static QString rightsFor(QChar initial)
    {
        QString a(20, QLatin1Char('X'));
        a[6] = QChar(initial.unicode() + 8);
        a[14] = QChar(initial.unicode() + 16);
        return a;
    }

private slots:
    void init()
    {
        setUpProgram();
    }

    void cleanup() { tearDownProgram(); }

    void theLoginAsksWithTheSystemUserName()
    {
        start();
        QCOMPARE(panel().EditNome->text(), UserName::current());
        QCOMPARE(panel().EditSenhaU->echoMode(), QLineEdit::Password);
        QVERIFY(panel().EditNome->hasFocus());
        QVERIFY(!form().pnlBotoes->isVisible());
        QVERIFY(!form().PainelConvenios->isVisible());
    }

    void attempts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");   // empty: logged on
        QTest::addColumn<QString>("focus");     // the box that gets the focus after a failure
        QTest::newRow("lower-case name") << "admin" << "123" << "" << "";
        QTest::newRow("password letters in lower case") << "Maria" << "abc" << "" << "";
        QTest::newRow("wrong password") << "ADMIN" << "124" << "Senha incorreta. Tente novamente." << "EditSenhaU";
        QTest::newRow("unknown user") << "PEDRO" << "1" << "Usuário PEDRO não autorizado" << "EditNome";
        QTest::newRow("right off by one") << "JOAO" << "1" << "Usuário JOAO não autorizado" << "EditNome";
        QTest::newRow("apostrophe") << "D'AVILA" << "1" << "Usuário D'AVILA não autorizado" << "EditNome";
        QTest::newRow("70 characters") << QString(70, 'A') << "1"
                                       << QStringLiteral("Usuário %1 não autorizado").arg(QString(70, 'A')) << "EditNome";
        QTest::newRow("password of 32 characters") << "ADMIN" << QString(32, '1') << "Senha incorreta. Tente novamente."
                                                   << "EditSenhaU";
        QTest::newRow("password 123 plus 32 more") << "ADMIN" << QStringLiteral("123") + QString(32, 'x')
                                                   << "Senha incorreta. Tente novamente." << "EditSenhaU";
    }

    void attempts()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        start();
        type(name, password);
        QTest::keyClick(panel().EditSenhaU, Qt::Key_Return);
        QVERIFY(!program->dm->Usuarios.isOpen());
        if (message.isEmpty()) {
            QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('|')));
            QVERIFY(!panel().isVisible());
            QVERIFY(form().PainelConvenios->isVisible());
            QVERIFY(form().pnlBotoes->isVisible());
            QCOMPARE(program->sessao.usuarioLogado, name.toUpper());
            QVERIFY(!program->sessao.acessoUsuario.isEmpty());
            QCOMPARE(panel().EditSenhaU->text(), QString());
        } else {
            QCOMPARE(messages->messages, QStringList{message});
            QVERIFY(panel().isVisible());
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
            QCOMPARE(panel().EditSenhaU->text(), password);   // the boxes stay as typed
        }
    }

    void enterAfterTheLoginStaysOnTheRegister()
    {
        start();
        type(QStringLiteral("ADMIN"), QStringLiteral("123"));
        QTest::keyClick(panel().EditSenhaU, Qt::Key_Return);
        QVERIFY(form().PainelConvenios->isVisible());
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY2(focus->isVisible() && form().cadastro->isAncestorOf(focus), qPrintable(focus->objectName()));
        // Enter where the user now is must not log in again.
        QTest::keyClick(focus, Qt::Key_Return);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('|')));
    }

    void emptyNameNeverTouchesTheDatabase()
    {
        start();
        panel().EditNome->clear();
        StatementLog::clear();
        panel().BotOkSenha->click();
        QCOMPARE(messages->messages, QStringList{"Não foi informado o Nome do Usuário."});
        QVERIFY(StatementLog::texts().isEmpty());
        QVERIFY(panel().EditNome->hasFocus());
    }

    void emptyPasswordMatchesOnlyAnEmptyStoredPassword()
    {
        addUser(QStringLiteral("ANA"), QString(), rightsFor('A'));
        suite->exec(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('05', 'Balcao', 'ANA')"));
        start();
        type(QStringLiteral("ADMIN"), QString());
        panel().BotOkSenha->click();
        QCOMPARE(messages->messages, QStringList{"Senha incorreta. Tente novamente."});
        messages->messages.clear();
        type(QStringLiteral("ANA"), QString());
        panel().BotOkSenha->click();
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('|')));
        QCOMPARE(program->sessao.estacaoAtual, QStringLiteral("05"));
    }

    void nameIsUpperCasedWhenTheBoxIsLeft()
    {
        start();
        panel().EditNome->setFocus();
        panel().EditNome->setText(QStringLiteral("joão d'avila"));
        QTest::keyClick(panel().EditNome, Qt::Key_Tab);
        QCOMPARE(panel().EditNome->text(), QStringLiteral("JOãO D'AVILA"));
    }

    void enterInTheNameBoxOnlyMovesOn()
    {
        start();
        panel().EditNome->setText(QStringLiteral("ADMIN"));
        panel().EditNome->setFocus();
        QTest::keyClick(panel().EditNome, Qt::Key_Return);
        QVERIFY(panel().EditSenhaU->hasFocus());
        QVERIFY(messages->messages.isEmpty());
        QVERIFY(panel().isVisible());
    }

    void workstation_data()
    {
        QTest::addColumn<QString>("rows");      // ESTACAO:USUARIO pairs for user PAULO
        QTest::addColumn<QString>("estacao");
        QTest::newRow("three characters") << "123:paulo" << "12";
        QTest::newRow("two rows, the first returned") << "07:PAULO,08:Paulo" << "07";
    }

    void workstation()
    {
        QFETCH(QString, rows);
        QFETCH(QString, estacao);
        addUser(QStringLiteral("PAULO"), QStringLiteral("9"), rightsFor('P'));
        for (const QString &row : rows.split(','))
            suite->central().execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values (?, 'Area', ?)"),
                                     {row.section(':', 0, 0), row.section(':', 1, 1)});
        start();
        type(QStringLiteral("paulo"), QStringLiteral("9"));
        QTest::keyClick(panel().EditSenhaU, Qt::Key_Return);
        QCOMPARE(program->sessao.estacaoAtual, estacao);
        QCOMPARE(form().windowTitle(),
                 QStringLiteral("  CAD. DE CONVENIOS  -  Usuário: \"PAULO\"   Estação: ") + estacao);
        QVERIFY(!program->dm->Estacoes.isOpen());
        QVERIFY(StatementLog::texts().contains(selectEstacoesDoUsuario(QStringLiteral("PAULO"))));
        QVERIFY(StatementLog::texts().contains(
            QStringLiteral("Select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, CAMINHOOM, "
                           "CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, ROTULO4, ROTULO5, "
                           "ROTULO6, USUARIO, CNPJ from ESTACOES where upper(USUARIO) = 'PAULO'")));
    }

    void noWorkstationTellsWhyAndCloses()
    {
        addUser(QStringLiteral("PEDRO"), QStringLiteral("7"), rightsFor('P'));
        start();
        type(QStringLiteral("pedro"), QStringLiteral("7"));
        QTest::keyClick(panel().EditSenhaU, Qt::Key_Return);
        const QString cr(QChar(13));
        QCOMPARE(messages->messages.size(), 2);
        QCOMPARE(messages->messages[0],
                 QStringLiteral("Não foi possível selecionar uma área de trabalho para o usuário \"PEDRO\". ") + cr + cr +
                     QStringLiteral("Causas prováveis: ") + cr + cr +
                     QStringLiteral("  1) Na tabela \"Estacoes.db\" não foi incluída uma estação para o usuário \"PEDRO\".") +
                     cr +
                     QStringLiteral("     Obs: Criar também a área de trabalho física (pasta C:\\Praxolin\\InterfacXX) para "
                                    "este usuário.") +
                     cr + QStringLiteral("  --> Favor contactar o suporte técnico da QUB SISTEMAS <--"));
        QCOMPARE(messages->messages[1], QStringLiteral("Não foi identificada uma área de trabalho para o usuáro PEDRO"));
        QVERIFY(!form().isVisible());
        QVERIFY(program->sessao.estacaoAtual.isEmpty());
    }

    void apostropheInTheUserNameDoesNotBreakTheWorkstationSelect()
    {
        addUser(QStringLiteral("D'AVILA"), QStringLiteral("1"), rightsFor('D'));
        suite->exec(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('09', 'Area', 'd''avila')"));
        start();
        type(QStringLiteral("d'avila"), QStringLiteral("1"));
        QTest::keyClick(panel().EditSenhaU, Qt::Key_Return);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('|')));
        QCOMPARE(program->sessao.estacaoAtual, QStringLiteral("09"));
    }

    void escapeCancelsTheLoginAndThenMeansSair()
    {
        start();
        QTest::keyClick(panel().EditSenhaU, Qt::Key_Escape);
        QVERIFY(!form().isVisible());
        program.reset();

        start();
        type(QStringLiteral("ADMIN"), QStringLiteral("123"));
        QTest::keyClick(panel().EditSenhaU, Qt::Key_Return);
        QVERIFY(form().isVisible());
        QTest::keyClick(form().cadastro, Qt::Key_Escape);
        QVERIFY(!form().isVisible());
    }

    void cancelaEndsTheProgram()
    {
        start();
        panel().BotCancSenha->click();
        QVERIFY(!form().isVisible());
        QVERIFY(!panel().isVisible());
    }

    void descClasseStartsRebatexOnTheCurrentConvenio_data()
    {
        QTest::addColumn<QString>("folder");   // the program's folder within the suite; empty: the suite's
        QTest::newRow("suite folder") << "";
        QTest::newRow("folder with blanks") << "Programas da Farmácia";
    }

    void descClasseStartsRebatexOnTheCurrentConvenio()
    {
        QFETCH(QString, folder);
        const QString rebatex = suite->path(folder.isEmpty() ? QStringLiteral("Rebatex.exe") : folder + "/Rebatex.exe");
        // A stand-in for the discount program that records the arguments it receives.
        const QString received = suite->path(QStringLiteral("rebatex-args.txt"));
        suite->writeFile(QFileInfo(rebatex).absoluteFilePath().mid(suite->root().size() + 1),
                         QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '%1'; done\n").arg(received).toUtf8());
        QFile::setPermissions(rebatex, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create({QStringLiteral("Drogaria São José")}));
        program->show();
        if (!folder.isEmpty())
            program->sessao.configuracao.PastaPrograma = QFileInfo(rebatex).absolutePath() + QLatin1Char('/');
        form().BitBtn1->click();
        auto arguments = [&] {
            QFile f(received);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(arguments(), QStringLiteral("Drogaria\nSão\nJosé\n"), 10000);
        QVERIFY(messages->messages.isEmpty());
    }

    void descClasseWithoutRebatexSaysSo()
    {
        suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create({}));
        program->show();
        form().BitBtn1->click();
        QCOMPARE(messages->messages,
                 QStringList{"Atenção: \"Rebatex.exe\" não encontrado, favor entrar em contato com a QUB Sistemas"});
    }

    void rebatexCommandLine_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("convenio");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << "C:\\PRAXOLIN\\" << "Alfa Ltda" << "C:\\PRAXOLIN\\Rebatex.exe Alfa Ltda";
        QTest::newRow("empty register") << "C:\\PRAXOLIN\\" << "" << "C:\\PRAXOLIN\\Rebatex.exe ";
        QTest::newRow("cut to 255") << QStringLiteral("C:\\") + QString(230, 'p') + "\\" << QString(40, 'n')
                                    << (QStringLiteral("C:\\") + QString(230, 'p') + "\\Rebatex.exe " + QString(40, 'n')).left(255);
    }

    void rebatexCommandLine()
    {
        QFETCH(QString, folder);
        QFETCH(QString, convenio);
        QFETCH(QString, line);
        QCOMPARE(ProgramasIrmaos::linhaRebatex(folder, convenio), line);
        QVERIFY(ProgramasIrmaos::linhaRebatex(folder, convenio).size() <= 255);
    }
};

QTEST_MAIN(TstLogin)
#include "tst_login.moc"
