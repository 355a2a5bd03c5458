// The convênio register and its search, driven offscreen through the real main window: navigator
// clicks, typing, Enter, focus changes; the database is read afterwards through a separate
// connection.
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "register/RegisterPanel.h"
#include "register/SearchPanels.h"
#include "tests/support/ProgramFixture.h"

#include <QHeaderView>
#include <QWindow>
#include <QScopeGuard>
#include <QtTest>

#include <cmath>

using Nav = DBNavigator::Button;

class TstRegister : public QObject, ProgramFixture {
    Q_OBJECT


    FormConvenios &form() { return *program->form; }
    RegisterPanel &reg() { return *program->form->cadastro; }
    SearchNamePanel &namePanel() { return *program->form->PainelPesqNomeConv; }
    SearchListPanel &listPanel() { return *program->form->PainelPesqConv; }
    CachedTable &convenios() { return program->dm->Convenios; }
    QString current() { return convenios().text(QStringLiteral("CONVENIO")); }

    // The program started on the seeded register with the stored logon, its window active.
    void start()
    {
        suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create({}));
        program->show();
        form().activateWindow();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        QVERIFY(form().PainelConvenios->isVisible());
    }

    void click(Nav button) { QTest::mouseClick(form().DBNavigator6->button(button), Qt::LeftButton); }
    void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Puts the focus into a control as a click on it would.
    void enter(QWidget *w)
    {
        w->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }
    QWidget *focused() { return QApplication::focusWidget(); }
    // Types into the focused control, key by key (accented letters as the keys that give them).
    void type(const QString &text)
    {
        for (const QChar ch : text) {
            if (ch.unicode() < 128) {
                QTest::keyClick(focused(), ch.toLatin1());
            } else {
                const auto key = Qt::Key(ch.toUpper().unicode());
                QTest::sendKeyEvent(QTest::Press, focused(), key, QString(ch), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, focused(), key, QString(ch), Qt::NoModifier);
            }
        }
    }
    void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(focused(), key, mods); }
    void replaceText(const QString &text)
    {
        press(Qt::Key_A, Qt::ControlModifier);
        type(text);
    }

    // Another window of the program takes the focus and gives it back, as when a message box closes.
    void reactivate()
    {
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QTRY_VERIFY(other.isActiveWindow());
        QApplication::setActiveWindow(&form());
        QTRY_VERIFY(form().isActiveWindow());
    }

    bool fieldsEnabled()
    {
        bool any = false;
        for (QWidget *w : reg().campos())
            any = any || w->isEnabled();
        return any;
    }

    bool commandButtonsEnabled()
    {
        for (QPushButton *b : {form().BotSairConv, form().BitBtn2, form().BotQuitaConvenio, form().BotTotalizaDeb,
                               form().BotPesqConvenio})
            if (!b->isEnabled())
                return false;
        return true;
    }

    QVariant stored(const QString &column, int code)
    {
        return suite->scalar(QStringLiteral("select %1 from CONVENIO where CODIGOCONVENIO = %2").arg(column).arg(code));
    }

    // Types a name into the search's name box and confirms with Enter twice: once to go on to
    // "&Localizar", once to press it.
    void search(const QString &name)
    {
        QVERIFY(namePanel().EditPesqConv->hasFocus());
        replaceText(name);
        press(Qt::Key_Return);
        QVERIFY(namePanel().BotPesqConvi->hasFocus());
        press(Qt::Key_Return);
    }

private slots:
    void init()
    {
        setUpProgram();
    }

    void cleanup() { tearDownProgram(); }

    // -----------------------------------------------------------------------------------------
    // Adding, changing, removing

    void newConvenioGetsTheNextFreeCode_data()
    {
        QTest::addColumn<bool>("emptyTable");
        QTest::addColumn<int>("storedElsewhere");   // a code stored by another workstation after the start; 0: none
        QTest::addColumn<int>("code");
        QTest::newRow("empty table") << true << 0 << 1;
        QTest::newRow("codes 1, 2 and 7") << false << 0 << 8;
        QTest::newRow("code 20 stored by another workstation") << false << 20 << 21;
    }

    void newConvenioGetsTheNextFreeCode()
    {
        QFETCH(bool, emptyTable);
        QFETCH(int, storedElsewhere);
        QFETCH(int, code);
        if (emptyTable)
            suite->exec(QStringLiteral("delete from CONVENIO"));
        start();
        if (storedElsewhere)
            suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (%1, 'Outra Estação')")
                            .arg(storedElsewhere));
        QVERIFY(!fieldsEnabled());
        StatementLog::clear();

        click(Nav::Insert);
        QCOMPARE(convenios().state(), CachedTable::State::Insert);
        QVERIFY(StatementLog::texts().contains(
            QStringLiteral("Select First 1 CodigoConvenio from Convenio order by CodigoConvenio DESC")));
        QCOMPARE(reg().DBEdit2->text(), QString::number(code));
        QVERIFY(reg().DBEditConvenio->hasFocus());
        for (QWidget *w : reg().campos())
            QVERIFY(w->isEnabled());

        // A name with an apostrophe is stored like any other.
        type(QStringLiteral("Farmácia D'Ávila"));
        click(Nav::Post);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
        QCOMPARE(stored(QStringLiteral("CONVENIO"), code).toString(), QStringLiteral("Farmácia D'Ávila"));
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(current(), QStringLiteral("Farmácia D'Ávila"));
        QVERIFY(!fieldsEnabled());
    }

    // A new convênio with the name of another is refused: orders are linked by name, so the closing
    // totals would count each other's orders.
    void nameOfAnotherConvenioIsRefused()
    {
        start();
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (50, 'Gama Outra Estação')"));
        for (const QString &nome : {QStringLiteral("Beta & Cia"), QStringLiteral("Gama Outra Estação")}) {
            click(Nav::Insert);
            type(nome);
            click(Nav::Post);
            QCOMPARE(messages->messages.last(), RegisterPanel::MensagemNomeRepetido);
            QCOMPARE(convenios().state(), CachedTable::State::Insert);
            QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO = '%1'").arg(nome)), 1);
            click(Nav::Cancel);
        }
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), 4);
    }

    void codeTakenByAnotherWorkstationBeforeThePost()
    {
        start();
        click(Nav::Insert);
        QCOMPARE(reg().DBEdit2->text(), QStringLiteral("8"));
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (8, 'Outra Estação')"));
        type(QStringLiteral("Gama"));
        click(Nav::Post);

        // The database's refusal reaches the user; the typed convênio is being inserted again, not
        // left in the register as if it were stored.
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].contains(QStringLiteral("PK_CONVENIO")), qPrintable(messages->messages[0]));
        QVERIFY2(messages->messages[0].endsWith(QStringLiteral("continua na tela para ser corrigido e gravado, ou cancelado.")),
                 qPrintable(messages->messages[0]));
        QCOMPARE(stored(QStringLiteral("CONVENIO"), 8).toString(), QStringLiteral("Outra Estação"));
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO = 'Gama'")), 0);
        QCOMPARE(convenios().state(), CachedTable::State::Insert);
        QCOMPARE(reg().DBEditConvenio->text(), QStringLiteral("Gama"));
        QVERIFY(!convenios().hasPendingUpdates());

        // Cancelled, it leaves nothing behind: the next insert takes the next free code and is stored.
        click(Nav::Cancel);
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        click(Nav::Insert);
        QCOMPARE(reg().DBEdit2->text(), QStringLiteral("9"));
        type(QStringLiteral("Gama"));
        click(Nav::Post);
        QCOMPARE(messages->messages.size(), 1);
        QCOMPARE(stored(QStringLiteral("CONVENIO"), 9).toString(), QStringLiteral("Gama"));
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
    }

    void codeAlreadyInTheRegisterIsRefusedAndTheRowStaysPending()
    {
        start();
        // Another workstation removed code 7 and stored code 6: the next code, 7, is still in this
        // register's rows.
        suite->exec(QStringLiteral("delete from CONVENIO where CODIGOCONVENIO = 7"));
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (6, 'Seis')"));
        click(Nav::Insert);
        QCOMPARE(reg().DBEdit2->text(), QStringLiteral("7"));
        type(QStringLiteral("Gama"));
        click(Nav::Post);

        QCOMPARE(messages->messages, QStringList{QStringLiteral("Já existe um convênio com este Código.")});
        QCOMPARE(convenios().state(), CachedTable::State::Insert);
        QCOMPARE(reg().DBEditConvenio->text(), QStringLiteral("Gama"));
        reactivate();   // the message box closed
        QVERIFY(!fieldsEnabled());
        QCOMPARE(convenios().state(), CachedTable::State::Insert);

        click(Nav::Post);   // refused again, nothing written
        QCOMPARE(messages->messages.size(), 2);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO = 'Gama'")), 0);
        click(Nav::Cancel);
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(convenios().recordCount(), 3);
    }

    void activationDisablesTheFieldsAndThePendingEditStillPosts()
    {
        start();
        // The lists are filled after the register shows its first row: the boxes keep the row's values.
        QCOMPARE(reg().DBComboTipoConv->currentText(), QStringLiteral("Empresa"));
        click(Nav::Edit);
        enter(reg().DBComboTipoConv);
        replaceText(QStringLiteral("Particular"));
        enter(reg().DBEditCidConv);
        replaceText(QStringLiteral("Sorocaba"));
        reactivate();   // also fills the category list again
        QVERIFY(!fieldsEnabled());
        QCOMPARE(convenios().state(), CachedTable::State::Edit);
        QCOMPARE(reg().DBComboTipoConv->currentText(), QStringLiteral("Particular"));

        click(Nav::Post);
        QCOMPARE(stored(QStringLiteral("CIDADE"), 1).toString(), QStringLiteral("Sorocaba"));
        QCOMPARE(stored(QStringLiteral("TIPO"), 1).toString(), QStringLiteral("Particular"));
        QVERIFY(messages->messages.isEmpty());
    }

    // Under pt_BR a point typed where a decimal is expected, and the keypad's decimal key, give the
    // comma; a percentage outside 0 to 100 is refused and the edit stays.
    void decimalsUnderBrazilianPortuguese_data()
    {
        QTest::addColumn<QString>("typed");   // "K" stands for the keypad's decimal key
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");  // empty: refused
        QTest::newRow("comma") << "1,5" << "1,5" << "1.50";
        QTest::newRow("point") << "1.5" << "1,5" << "1.50";
        QTest::newRow("keypad") << "2K5" << "2,5" << "2.50";
        QTest::newRow("second point ignored") << "1.5.2" << "1,52" << "1.52";
        QTest::newRow("hundred") << "100" << "100" << "100.00";
        QTest::newRow("above a hundred") << "150" << "150" << "";
    }
    void decimalsUnderBrazilianPortuguese()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        start();
        const QVariant old = stored.isEmpty() ? this->stored(QStringLiteral("ACRESCPERC"), 1) : QVariant();
        click(Nav::Edit);
        enter(reg().DBEdit1);
        press(Qt::Key_A, Qt::ControlModifier);
        for (const QChar ch : typed) {
            if (ch == QLatin1Char('K'))
                QTest::keyClick(focused(), Qt::Key_Period, Qt::KeypadModifier);
            else
                QTest::keyClick(focused(), ch.toLatin1());
        }
        QCOMPARE(reg().DBEdit1->text(), shown);
        click(Nav::Post);
        if (stored.isEmpty()) {
            QCOMPARE(messages->messages.size(), 1);
            QVERIFY2(messages->messages[0].contains(QStringLiteral("deve estar entre 0 e 100")), qPrintable(messages->messages[0]));
            QCOMPARE(convenios().state(), CachedTable::State::Edit);
            QCOMPARE(this->stored(QStringLiteral("ACRESCPERC"), 1), old);
        } else {
            QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
            QCOMPARE(Decimal::fromVariant(this->stored(QStringLiteral("ACRESCPERC"), 1)).toSqlText(), stored);
        }
    }

    // Browse mode keeps the fields disabled, and their data readable: at least 4.5:1 against the box.
    void browseModeIsReadable()
    {
        start();
        const auto luminancia = [](const QColor &c) {
            const auto canal = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * canal(c.redF()) + 0.7152 * canal(c.greenF()) + 0.0722 * canal(c.blueF());
        };
        const auto contraste = [&](const QColor &a, const QColor &b) {
            const double la = luminancia(a), lb = luminancia(b);
            return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
        };
        QVERIFY(!reg().campos().isEmpty());
        for (QWidget *campo : reg().campos()) {
            QVERIFY(!campo->isEnabled());
            const QPalette &p = campo->palette();
            const double c = contraste(p.color(QPalette::Disabled, QPalette::Text), p.color(QPalette::Disabled, QPalette::Base));
            QVERIFY2(c >= 4.5, qPrintable(QStringLiteral("%1: %2:1").arg(campo->objectName()).arg(c)));
        }
    }

    // Tab and Enter never reach a command the window does not show: Enter or Space there would run
    // it (Sair ends the program).
    void theFocusNeverLandsOnACommandOutOfSight()
    {
        start();
        enter(reg().DBEdit2);
        for (int i = 0; i < 40; ++i) {
            press(i % 2 ? Qt::Key_Tab : Qt::Key_Return);
            QWidget *f = focused();
            QVERIFY(f);
            const QRect onForm(f->mapTo(&form(), QPoint(0, 0)), f->size());
            const auto *b = qobject_cast<QAbstractButton *>(f);
            QVERIFY2(form().rect().contains(onForm),
                     qPrintable(QStringLiteral("%1 %2 at %3,%4").arg(f->objectName(), b ? b->text() : QString())
                                    .arg(onForm.x()).arg(onForm.y())));
        }
        QVERIFY(form().isVisible());
        // Its Alt key still runs a command of the column.
        QCOMPARE(form().BotSairConv->focusPolicy(), Qt::NoFocus);
    }

    void returningFromAnotherApplicationKeepsTheEdit()
    {
        start();
        click(Nav::Edit);
        enter(reg().DBEditCidConv);
        replaceText(QStringLiteral("Sorocaba"));
        // Another application takes the focus (a window that is none of the program's) and the
        // user comes back.
        QWindow other;
        other.show();
        other.requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), &other);
        QApplication::setActiveWindow(nullptr);
        form().activateWindow();
        QApplication::setActiveWindow(&form());
        QTRY_VERIFY(form().isActiveWindow());
        QVERIFY(fieldsEnabled());
        QCOMPARE(convenios().state(), CachedTable::State::Edit);
        enter(reg().DBEditBairroConv);
        replaceText(QStringLiteral("Centro"));
        click(Nav::Post);
        QCOMPARE(stored(QStringLiteral("CIDADE"), 1).toString(), QStringLiteral("Sorocaba"));
        QCOMPARE(stored(QStringLiteral("BAIRRO"), 1).toString(), QStringLiteral("Centro"));
        QVERIFY(messages->messages.isEmpty());

        // A window of the program still counts as the program's own activation.
        click(Nav::Edit);
        reactivate();
        QVERIFY(!fieldsEnabled());
        click(Nav::Cancel);
    }

    void textOutsideTheCodePageIsRefusedBeforeItIsKept()
    {
        start();
        click(Nav::Insert);
        QCOMPARE(reg().DBEdit2->text(), QStringLiteral("8"));
        type(QStringLiteral("Ωmega"));
        click(Nav::Post);
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].contains(QStringLiteral("Windows-1252")), qPrintable(messages->messages[0]));
        // Still being typed, nothing waiting to be written: the user corrects it or gives it up.
        QCOMPARE(convenios().state(), CachedTable::State::Insert);
        QVERIFY(!convenios().hasPendingUpdates());
        click(Nav::Cancel);
        QCOMPARE(convenios().recordCount(), 3);

        // The next convênio gets the same free code and is stored.
        click(Nav::Insert);
        QCOMPARE(reg().DBEdit2->text(), QStringLiteral("8"));
        type(QStringLiteral("Omega"));
        click(Nav::Post);
        QCOMPARE(messages->messages.size(), 1);
        QCOMPARE(stored(QStringLiteral("CONVENIO"), 8).toString(), QStringLiteral("Omega"));
        QVERIFY(!convenios().hasPendingUpdates());
    }

    void movingAwayPostsAChangedRowAndDropsAnUntouchedOne_data()
    {
        QTest::addColumn<bool>("inserting");
        QTest::addColumn<QString>("typed");   // into the name box (inserting) or the city box (editing)
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("city");    // of code 1 afterwards
        QTest::newRow("new row left untouched") << true << "" << 3 << "Campinas";
        QTest::newRow("new row with a name") << true << "Gama" << 4 << "Campinas";
        QTest::newRow("stored row changed") << false << "Sorocaba" << 3 << "Sorocaba";
        QTest::newRow("stored row unchanged") << false << "" << 3 << "Campinas";
    }

    void movingAwayPostsAChangedRowAndDropsAnUntouchedOne()
    {
        QFETCH(bool, inserting);
        QFETCH(QString, typed);
        QFETCH(int, count);
        QFETCH(QString, city);
        start();
        click(Nav::Next);   // on "Beta & Cia"
        click(Nav::Prior);  // back on "Alfa Ltda"
        click(inserting ? Nav::Insert : Nav::Edit);
        if (!typed.isEmpty()) {
            if (!inserting)
                enter(reg().DBEditCidConv);
            replaceText(typed);
        }
        StatementLog::clear();
        click(Nav::Next);
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), count);
        QCOMPARE(stored(QStringLiteral("CIDADE"), 1).toString(), city);
        QCOMPARE(convenios().recordCount(), count);
        if (typed.isEmpty())
            QVERIFY(StatementLog::textsContaining(QStringLiteral("CONVENIO (")).isEmpty());
        QVERIFY(messages->messages.isEmpty());
    }

    // The delete question names the convênio and says how many orders carry its name (counted in
    // the database, whatever their state), in the workstation's locale.
    void deleteNamesTheConvenioAndItsOrders_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("orders");
        QTest::addColumn<QString>("said");
        QTest::newRow("confirmed, no orders") << true << 0 << "Ele não tem pedidos.";
        QTest::newRow("refused, one order") << false << 1 << "Ele tem 1 pedido, que continua gravado com o nome deste convênio.";
        QTest::newRow("confirmed, two orders")
            << true << 2 << "Ele tem 2 pedidos, que continuam gravados com o nome deste convênio.";
    }

    void deleteNamesTheConvenioAndItsOrders()
    {
        QFETCH(bool, answer);
        QFETCH(int, orders);
        QFETCH(QString, said);
        for (int n = 1; n <= orders; ++n)
            suite->exec(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, PAGO) "
                                       "values ('01', %1, 'Beta & Cia', '2026-03-02', 'Pedido', %2)")
                            .arg(n)
                            .arg(n == 2 ? QStringLiteral("'T'") : QStringLiteral("null")));
        // another convênio's order is not counted
        suite->exec(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO) "
                                   "values ('01', 90, 'Alfa Ltda', '2026-03-02', 'Pedido')"));
        start();
        click(Nav::Next);
        QCOMPARE(current(), QStringLiteral("Beta & Cia"));
        messages->answer = answer;
        click(Nav::Delete);
        QCOMPARE(messages->confirmations, QStringList{QStringLiteral("Excluir o convênio \"Beta & Cia\"?\n\n") + said});
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CODIGOCONVENIO = 2")), answer ? 0 : 1);
        QCOMPARE(convenios().recordCount(), answer ? 2 : 3);
        QCOMPARE(current(), answer ? QStringLiteral("Drogaria São José") : QStringLiteral("Beta & Cia"));
    }

    // -----------------------------------------------------------------------------------------
    // The name-change guard

    void storedNameCannotBeChanged_data()
    {
        QTest::addColumn<bool>("leaveTheBox");   // else: post while still in the name box
        QTest::newRow("name box left") << true;
        QTest::newRow("posted from the name box") << false;
    }

    void storedNameCannotBeChanged()
    {
        QFETCH(bool, leaveTheBox);
        start();
        click(Nav::Edit);
        enter(reg().DBEditCidConv);
        replaceText(QStringLiteral("Sorocaba"));
        enter(reg().DBEditConvenio);
        press(Qt::Key_End);
        type(QStringLiteral(" S.A."));
        if (leaveTheBox)
            press(Qt::Key_Tab);
        else
            click(Nav::Post);

        // The whole edit is dropped, not only the name.
        QCOMPARE(messages->messages, QStringList{RegisterPanel::MensagemNomeChave});
        QVERIFY(!RegisterPanel::MensagemNomeChave.endsWith(QLatin1Char('.')));
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(reg().DBEditConvenio->text(), QStringLiteral("Alfa Ltda"));
        QCOMPARE(reg().DBEditCidConv->text(), QStringLiteral("Campinas"));
        QCOMPARE(stored(QStringLiteral("CONVENIO"), 1).toString(), QStringLiteral("Alfa Ltda"));
        QCOMPARE(stored(QStringLiteral("CIDADE"), 1).toString(), QStringLiteral("Campinas"));
        QVERIFY(!fieldsEnabled());

        // Leaving the box with the name as it was passes.
        click(Nav::Edit);
        enter(reg().DBEditConvenio);
        press(Qt::Key_Tab);
        click(Nav::Post);
        QCOMPARE(messages->messages.size(), 1);
    }

    void newNameTypedTwiceIsGuarded()
    {
        start();
        click(Nav::Insert);
        type(QStringLiteral("Gama"));
        press(Qt::Key_Tab);   // the first name passes
        QVERIFY(messages->messages.isEmpty());
        enter(reg().DBEditConvenio);
        press(Qt::Key_End);
        type(QStringLiteral("2"));
        press(Qt::Key_Tab);
        QCOMPARE(messages->messages, QStringList{RegisterPanel::MensagemNomeChave});
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(convenios().recordCount(), 3);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), 3);
        QCOMPARE(current(), QStringLiteral("Alfa Ltda"));
    }

    // -----------------------------------------------------------------------------------------
    // Fields

    void emailBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("leaveTheBox");
        QTest::addColumn<QString>("result");   // shown after leaving, and stored
        QTest::newRow("capitals, box left") << "FULANO.SILVA@ÉMPRESA.COM.BR" << true << "fulano.silva@Émpresa.com.br";
        QTest::newRow("capitals, posted from the box") << "VENDAS@ALFA.COM" << false << "vendas@alfa.com";
        QTest::newRow("31st character refused")
            << "abcdefghij@klmnopqrstu.vwxyz.com.br" << true << "abcdefghij@klmnopqrstu.vwxyz.c";
    }

    void emailBox()
    {
        QFETCH(QString, typed);
        QFETCH(bool, leaveTheBox);
        QFETCH(QString, result);
        start();
        click(Nav::Edit);
        enter(reg().DBEditEMail);
        type(typed);
        if (leaveTheBox) {
            press(Qt::Key_Tab);
            QCOMPARE(reg().DBEditEMail->text(), result);
        }
        click(Nav::Post);
        QCOMPARE(stored(QStringLiteral("E_MAIL"), 1).toString(), result);
    }

    void longerStoredEmailIsKeptWhole()
    {
        // The column holds 60 characters; only typing is limited to 30.
        const QString address = QStringLiteral("compras.departamento.central@alfaltda.com.br");
        suite->exec(QStringLiteral("update CONVENIO set E_MAIL = '%1' where CODIGOCONVENIO = 1").arg(address));
        start();
        QCOMPARE(reg().DBEditEMail->text(), address);
        click(Nav::Edit);
        enter(reg().DBEditEMail);
        press(Qt::Key_End);
        type(QStringLiteral("x"));
        QCOMPARE(reg().DBEditEMail->text(), address);
        enter(reg().DBEditCidConv);
        replaceText(QStringLiteral("Sorocaba"));
        click(Nav::Post);
        QCOMPARE(stored(QStringLiteral("E_MAIL"), 1).toString(), address);
        QCOMPARE(stored(QStringLiteral("CIDADE"), 1).toString(), QStringLiteral("Sorocaba"));
    }

    void enterMovesToTheNextControl_data()
    {
        QTest::addColumn<int>("field");   // index in the tab order; -1: the code box
        QTest::newRow("DBEdit2 (code)") << -1;
        const char *names[] = {"DBEditConvenio", "DBComboTipoConv", "DBEdit106",        "DBEditEnderConv",
                               "DBEditBairroConv", "DBEditCidConv", "DBEditEstConv",    "DBEditCEPConv",
                               "DBEditFoneConv", "DBEditContatoConv", "DBEditObservacao", "DBCBFormaPagto",
                               "DBEditDescConv", "DBEdit1",         "DBRotaConv",       "DBEditVencConv",
                               "DBComboBox1 (stays)", "DBEditEMail"};
        for (int i = 0; i < 18; ++i)
            QTest::newRow(names[i]) << i;
    }

    void enterMovesToTheNextControl()
    {
        QFETCH(int, field);
        start();
        click(Nav::Insert);
        const QList<QWidget *> &campos = reg().campos();
        QWidget *w = field < 0 ? static_cast<QWidget *>(reg().DBEdit2) : campos[field];
        enter(w);
        if (w == reg().DBEditObservacao)
            type(QStringLiteral("linha"));
        press(Qt::Key_Return);
        if (w == reg().DBComboBox1)
            QVERIFY(w->hasFocus());
        else if (field == campos.size() - 1)
            QVERIFY(!campos.contains(focused()) && !w->hasFocus());
        else
            QVERIFY2(campos[field + 1]->hasFocus(), focused() ? focused()->metaObject()->className() : "none");
        if (w == reg().DBEditObservacao)
            QCOMPARE(reg().DBEditObservacao->toPlainText(), QStringLiteral("linha"));
    }

    void remarksBoxIsTallWhileFocused()
    {
        start();
        click(Nav::Edit);
        QCOMPARE(reg().DBEditObservacao->height(), 21);
        enter(reg().DBEditObservacao);
        QCOMPARE(reg().DBEditObservacao->height(), 200);
        press(Qt::Key_Tab);
        QVERIFY(reg().DBCBFormaPagto->hasFocus());
        QCOMPARE(reg().DBEditObservacao->height(), 21);
    }

    void categoryIsCutToTenCharacters_data()
    {
        QTest::addColumn<bool>("fromTheList");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("chosen from the list") << true << "" << "Funcionári";
        QTest::newRow("typed") << false << "Cooperativa" << "Cooperativ";
    }

    void categoryIsCutToTenCharacters()
    {
        QFETCH(bool, fromTheList);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        start();
        click(Nav::Edit);
        enter(reg().DBComboTipoConv);
        if (fromTheList) {
            for (int i = 0; i < reg().DBComboTipoConv->count(); ++i)
                press(Qt::Key_Down);   // down to "Funcionários", the last category
        } else {
            replaceText(typed);
        }
        press(Qt::Key_Tab);
        click(Nav::Post);
        QCOMPARE(stored(QStringLiteral("TIPO"), 1).toString(), result);
    }

    void focusedBoxKeepsItsTextWhenAnotherColumnChanges()
    {
        start();
        click(Nav::Edit);
        enter(reg().DBEditCidConv);
        replaceText(QStringLiteral("Sorocaba"));
        convenios().setValue(QStringLiteral("CONTATO"), QStringLiteral("Maria"));
        QCOMPARE(reg().DBEditCidConv->text(), QStringLiteral("Sorocaba"));
        QCOMPARE(reg().DBEditContatoConv->text(), QStringLiteral("Maria"));
        click(Nav::Post);
        QCOMPARE(stored(QStringLiteral("CIDADE"), 1).toString(), QStringLiteral("Sorocaba"));
        QCOMPARE(stored(QStringLiteral("CONTATO"), 1).toString(), QStringLiteral("Maria"));
    }

    // -----------------------------------------------------------------------------------------
    // Search

    void searchByName_data()
    {
        QTest::addColumn<bool>("unnamedStored");   // a convênio without a name is stored
        QTest::addColumn<QString>("startOn");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("list");
        QTest::addColumn<QString>("shown");
        const QString alfa = QStringLiteral("Alfa Ltda"), drogaria = QStringLiteral("Drogaria São José");
        QTest::newRow("exact name") << false << alfa << "Beta & Cia" << false << "Beta & Cia";
        QTest::newRow("exact name with an apostrophe") << false << alfa << "D'Ávila Farma" << false << "D'Ávila Farma";
        QTest::newRow("other letter case") << false << alfa << "BETA & CIA" << true << "Beta & Cia";
        // the typed text carries into the list's filter, which lists only Beta: it is chosen
        QTest::newRow("other letter case, after every name") << false << alfa << "beta & cia" << true << "Beta & Cia";
        QTest::newRow("first letters") << false << alfa << "Dr" << true << drogaria;
        QTest::newRow("between two names") << false << alfa << "Bz" << true << "D'Ávila Farma";
        QTest::newRow("empty box") << false << drogaria << "" << true << alfa;
        QTest::newRow("empty box, unnamed convênio stored") << true << drogaria << "" << false << "";
    }

    void searchByName()
    {
        QFETCH(bool, unnamedStored);
        QFETCH(QString, startOn);
        QFETCH(QString, typed);
        QFETCH(bool, list);
        QFETCH(QString, shown);
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (9, 'D''Ávila Farma')"));
        if (unnamedStored)
            suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO) values (30)"));
        start();
        QVERIFY(convenios().locate(startOn));

        click(form().BotPesqConvenio);
        QVERIFY(namePanel().isVisible());
        QCOMPARE(namePanel().geometry(), QRect(108, 147, 336, 134));
        QVERIFY(!commandButtonsEnabled());
        search(typed);

        QVERIFY(!namePanel().isVisible());
        QCOMPARE(listPanel().isVisible(), list);
        QCOMPARE(current(), shown);
        QCOMPARE(commandButtonsEnabled(), !list);
        if (!list)
            return;
        QCOMPARE(listPanel().geometry(), QRect(8, 5, 769, 452));
        QVERIFY(listPanel().GradePesqConvenio->hasFocus());
        // The grid's current row is the register's.
        QCOMPARE(listPanel().GradePesqConvenio->currentIndex().row(), convenios().recNo());
    }

    void listPanelShowsItsColumns()
    {
        start();
        click(form().btnPesquisar);
        search(QStringLiteral("C"));
        DBGrid *grid = listPanel().GradePesqConvenio;
        const QList<QPair<QString, QPair<QString, int>>> columns = {
            {"CONVENIO", {"Descrição", 327}}, {"CONTATO", {"CONTATO", 0}},
            {"REFERENCIA", {"Referência", 64}}, {"ROTA", {"ROTA", 64}}, {"CODIGOCONVENIO", {"Código", 64}}};
        int visible = 0;
        for (int c = 0; c < convenios().columnCount(); ++c)
            visible += grid->isColumnHidden(c) ? 0 : 1;
        QCOMPARE(visible, 5);
        for (int i = 0; i < columns.size(); ++i) {
            const int logical = convenios().fieldIndex(columns[i].first);
            QCOMPARE(grid->horizontalHeader()->visualIndex(logical), i);
            QCOMPARE(convenios().headerData(logical, Qt::Horizontal).toString(), columns[i].second.first);
            if (columns[i].second.second)
                QCOMPARE(grid->columnWidth(logical), columns[i].second.second);
        }
        QVERIFY(grid->verticalHeader()->isVisible());
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(listPanel().Label403->text(), QStringLiteral("Tecle                para confirmar ou                para cancelar."));
        // The two buttons lie over the line's gaps.
        QVERIFY(listPanel().Label403->geometry().contains(listPanel().BotEnterPesqConv->geometry().center()));
        QVERIFY(listPanel().BotEnterPesqConv->geometry().right() < listPanel().BotEscPesqConv->geometry().left());
    }

    void leavingTheList_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Enter key") << "Enter key" << "Drogaria São José";
        QTest::newRow("Esc key") << "Esc key" << "Beta & Cia";
        QTest::newRow("Enter button") << "Enter button" << "Drogaria São José";
        QTest::newRow("Esc button") << "Esc button" << "Drogaria São José";
    }

    void leavingTheList()
    {
        QFETCH(QString, how);
        QFETCH(QString, shown);
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (9, 'D''Ávila Farma')"));
        start();
        click(Nav::Next);   // "Beta & Cia" is current when the search starts
        click(form().btnPesquisar);
        QCOMPARE(namePanel().geometry(), QRect(211, 89, 345, 145));
        search(QStringLiteral("D"));
        QCOMPARE(current(), QStringLiteral("D'Ávila Farma"));
        press(Qt::Key_Down);
        QCOMPARE(current(), QStringLiteral("Drogaria São José"));

        if (how == QLatin1String("Enter key"))
            press(Qt::Key_Return);
        else if (how == QLatin1String("Esc key"))
            press(Qt::Key_Escape);
        else
            click(how.startsWith(QLatin1String("Enter")) ? listPanel().BotEnterPesqConv : listPanel().BotEscPesqConv);
        QVERIFY(!listPanel().isVisible());
        QVERIFY(commandButtonsEnabled());
        QVERIFY(form().isVisible());
        QCOMPARE(current(), shown);
    }

    void escKeepsTheListWhenThePreviousConvenioIsGone()
    {
        start();
        click(Nav::Insert);   // a new row, never stored: its name is empty
        click(form().btnPesquisar);
        search(QStringLiteral("Zz"));
        // The untouched new row was dropped by the lookup; the list stands on the last name.
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(convenios().recordCount(), 3);
        QCOMPARE(current(), QStringLiteral("Drogaria São José"));
        press(Qt::Key_Escape);
        QVERIFY(listPanel().isVisible());
        QVERIFY(!commandButtonsEnabled());
        press(Qt::Key_Return);
        QVERIFY(!listPanel().isVisible());
        QVERIFY(commandButtonsEnabled());
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), 3);
    }

    void searchStoresThePendingChangeFirst_data()
    {
        QTest::addColumn<bool>("inserting");
        QTest::newRow("changed convênio") << false;
        QTest::newRow("new convênio") << true;
    }

    void searchStoresThePendingChangeFirst()
    {
        QFETCH(bool, inserting);
        start();   // on "Alfa Ltda", where a new row is inserted
        click(inserting ? Nav::Insert : Nav::Edit);
        if (!inserting)
            enter(reg().DBEditCidConv);
        replaceText(inserting ? QStringLiteral("Gama") : QStringLiteral("Sorocaba"));
        click(form().BotPesqConvenio);
        search(QStringLiteral("Beta & Cia"));
        QVERIFY(!listPanel().isVisible());
        QCOMPARE(current(), QStringLiteral("Beta & Cia"));
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        if (inserting)
            QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO = 'Gama'")), 1);
        else
            QCOMPARE(stored(QStringLiteral("CIDADE"), 1).toString(), QStringLiteral("Sorocaba"));
    }

    void secondSearchShowsTheFirstTextAndLeavingTheBoxGoesToLocalizar()
    {
        start();
        click(form().BotPesqConvenio);
        search(QStringLiteral("Beta & Cia"));
        QVERIFY(!namePanel().isVisible());

        click(form().btnPesquisar);
        QCOMPARE(namePanel().EditPesqConv->text(), QStringLiteral("Beta & Cia"));
        QVERIFY(namePanel().EditPesqConv->hasFocus());
        press(Qt::Key_Backtab);
        QVERIFY(namePanel().BotPesqConvi->hasFocus());
        press(Qt::Key_Return);
        QVERIFY(!namePanel().isVisible());
        QCOMPARE(current(), QStringLiteral("Beta & Cia"));
    }

    // The name panel is left without searching by Esc, wherever its focus is, or by "Cancelar":
    // the register stays where it was, the commands come back, the typed text stays for next time.
    void namePanelCancels_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc in the name box") << "Esc in the box";
        QTest::newRow("Esc on Localizar") << "Esc on Localizar";
        QTest::newRow("Cancelar") << "Cancelar";
    }

    void namePanelCancels()
    {
        QFETCH(QString, how);
        start();
        click(Nav::Next);
        click(form().BotPesqConvenio);
        replaceText(QStringLiteral("Drogaria São José"));
        if (how == QLatin1String("Cancelar")) {
            click(namePanel().BotCancPesqConv);
        } else {
            if (how == QLatin1String("Esc on Localizar"))
                press(Qt::Key_Return);
            press(Qt::Key_Escape);
        }
        QVERIFY(!namePanel().isVisible());
        QVERIFY(!listPanel().isVisible());
        QVERIFY(commandButtonsEnabled());
        QVERIFY(form().isVisible());   // Esc did not reach Sair
        QCOMPARE(current(), QStringLiteral("Beta & Cia"));
        if (QWidget *w = focused())
            QVERIFY(w->isVisible());
        click(form().btnPesquisar);
        QCOMPARE(namePanel().EditPesqConv->text(), QStringLiteral("Drogaria São José"));
    }

    // What was typed in the name panel narrows the list that opens, and stays in its filter box to
    // be refined; a text no convênio holds opens the whole list at the nearest name. The code the
    // filter also finds is shown in the list.
    void typedNameCarriesIntoTheFilter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("shown");
        const QString joao = QStringLiteral("Drogaria São João"), jose = QStringLiteral("Drogaria São José");
        QTest::newRow("first letters") << "Drog" << "Drog" << QStringList{jose, joao} << jose;
        QTest::newRow("inside the names") << "sao" << "sao" << QStringList{jose, joao} << joao;   // the nearest, after every name
        QTest::newRow("nearest not listed") << "Alfa Ltda " << "Alfa Ltda " << QStringList{QStringLiteral("Alfa Ltda")}
                                            << "Alfa Ltda";
        QTest::newRow("code") << "12" << "12" << QStringList{joao} << joao;
        QTest::newRow("nothing holds it") << "Bz" << ""
                                          << QStringList{QStringLiteral("Alfa Ltda"), QStringLiteral("Beta & Cia"), jose, joao}
                                          << jose;
    }

    void typedNameCarriesIntoTheFilter()
    {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QStringList, listed);
        QFETCH(QString, shown);
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (12, 'Drogaria São João')"));
        start();
        click(form().btnPesquisar);
        search(typed);
        QVERIFY(listPanel().isVisible());
        QCOMPARE(listPanel().EditFiltroConv->text(), filter);
        DBGrid *grid = listPanel().GradePesqConvenio;
        QStringList names;
        for (int r = 0; r < convenios().recordCount(); ++r)
            if (!grid->isRowHidden(r))
                names << convenios().valueAt(r, QStringLiteral("CONVENIO")).toString();
        QCOMPARE(names, listed);
        QCOMPARE(current(), shown);
        QVERIFY(grid->hasFocus());
        const int codigo = convenios().fieldIndex(QStringLiteral("CODIGOCONVENIO"));
        QVERIFY(!grid->isColumnHidden(codigo));
        QCOMPARE(grid->model()->data(grid->model()->index(convenios().recNo(), codigo)).toString(),
                 convenios().text(QStringLiteral("CODIGOCONVENIO")));
    }

    // The filter box of the list: what is typed, case and accents aside, anywhere in the name, the
    // code or the reference; letters typed in the list go to the box; Enter chooses the row shown.
    void filterNarrowsTheList_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("listed");
        const QString joao = QStringLiteral("Drogaria São João"), jose = QStringLiteral("Drogaria São José");
        QTest::newRow("accents and case ignored") << "sao joao" << QStringList{joao};
        QTest::newRow("upper case, part of the name") << "DROGARIA" << QStringList{jose, joao};
        QTest::newRow("accented letter typed plain") << "ebano" << QStringList{QStringLiteral("Transportadora Ébano")};
        QTest::newRow("inside the name") << "& c" << QStringList{QStringLiteral("Beta & Cia")};
        QTest::newRow("code") << "12" << QStringList{joao};
        QTest::newRow("reference") << "sul" << QStringList{QStringLiteral("Alfa Ltda"), jose};
        QTest::newRow("nothing found") << "xyz" << QStringList{};
    }

    void filterNarrowsTheList()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, listed);
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO, REFERENCIA) values (12, 'Drogaria São João', 'CENTRO')"));
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (30, 'Transportadora Ébano')"));
        suite->exec(QStringLiteral("update CONVENIO set REFERENCIA = 'Sul' where CODIGOCONVENIO = 1"));
        suite->exec(QStringLiteral("update CONVENIO set REFERENCIA = 'REDE SUL' where CODIGOCONVENIO = 7"));
        start();
        click(form().BotPesqConvenio);
        search(QStringLiteral("Zz"));   // the list, on the last name
        DBGrid *grid = listPanel().GradePesqConvenio;
        QVERIFY(grid->hasFocus());
        type(typed);
        QCOMPARE(listPanel().EditFiltroConv->text(), typed);
        QVERIFY(listPanel().EditFiltroConv->hasFocus());

        QStringList shown;
        for (int r = 0; r < convenios().recordCount(); ++r)
            if (!grid->isRowHidden(r))
                shown << convenios().valueAt(r, QStringLiteral("CONVENIO")).toString();
        QCOMPARE(shown, listed);
        QCOMPARE(listPanel().LabelNenhum->isVisible(), listed.isEmpty());

        press(Qt::Key_Return);
        if (listed.isEmpty()) {
            // Nothing to choose: the list stays; Esc goes back to the convênio of before.
            QVERIFY(listPanel().isVisible());
            press(Qt::Key_Escape);
            QCOMPARE(current(), QStringLiteral("Alfa Ltda"));
        } else {
            QCOMPARE(current(), listed.first());
        }
        QVERIFY(!listPanel().isVisible());
        QVERIFY(commandButtonsEnabled());
    }

    void filterBoxMovesOverTheListedRows()
    {
        suite->exec(QStringLiteral("update CONVENIO set REFERENCIA = 'Sul' where CODIGOCONVENIO = 1"));
        suite->exec(QStringLiteral("update CONVENIO set REFERENCIA = 'REDE SUL' where CODIGOCONVENIO = 7"));
        start();
        click(form().BotPesqConvenio);
        search(QStringLiteral("B"));
        QCOMPARE(current(), QStringLiteral("Beta & Cia"));
        QCOMPARE(listPanel().EditFiltroConv->text(), QStringLiteral("B"));
        enter(listPanel().EditFiltroConv);
        replaceText(QStringLiteral("sul"));   // Beta is no longer listed: the first listed row is chosen
        QCOMPARE(current(), QStringLiteral("Alfa Ltda"));
        press(Qt::Key_Down);            // over the hidden Beta
        QCOMPARE(current(), QStringLiteral("Drogaria São José"));
        QCOMPARE(listPanel().GradePesqConvenio->currentIndex().row(), convenios().recNo());
        // Clearing the box lists everything again, still on the chosen row.
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Backspace);
        for (int r = 0; r < convenios().recordCount(); ++r)
            QVERIFY(!listPanel().GradePesqConvenio->isRowHidden(r));
        QCOMPARE(current(), QStringLiteral("Drogaria São José"));

        // A new search starts with what is typed then, not with the old filter.
        press(Qt::Key_Return);
        click(form().BotPesqConvenio);
        search(QStringLiteral("Z"));
        QVERIFY(listPanel().EditFiltroConv->text().isEmpty());
        QVERIFY(!listPanel().LabelNenhum->isVisible());
    }

    void ctrlDeleteInTheList_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("confirmed") << true;
        QTest::newRow("refused") << false;
    }

    void ctrlDeleteInTheList()
    {
        QFETCH(bool, answer);
        start();
        click(form().BotPesqConvenio);
        search(QStringLiteral("B"));
        QCOMPARE(current(), QStringLiteral("Beta & Cia"));
        messages->answer = answer;
        press(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(messages->confirmations,
                 QStringList{QStringLiteral("Excluir o convênio \"Beta & Cia\"?\n\nEle não tem pedidos.")});
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CODIGOCONVENIO = 2")), answer ? 0 : 1);
        QCOMPARE(convenios().recordCount(), answer ? 2 : 3);
        QVERIFY(listPanel().isVisible());
        QCOMPARE(listPanel().GradePesqConvenio->currentIndex().row(), convenios().recNo());
    }
};

QTEST_MAIN(TstRegister)
#include "tst_register.moc"
