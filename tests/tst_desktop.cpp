// The windows as a Windows workstation's user expects them, through the real main window and the
// real statement window: Qt's own texts in Portuguese, numbers in the workstation's locale, whole
// text selected on entering a box, one command at a time, the statement's panes and sort buttons,
// the settlement's progress text, the status line and the navigator's keys.
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/LoginPanel.h"
#include "closing/ClosingPanel.h"
#include "closing/PeriodDialog.h"
#include "controls/DBGrid.h"
#include "controls/DBMaskEdit.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/QtTranslations.h"
#include "register/RegisterPanel.h"
#include "register/SearchPanels.h"
#include "settlement/windows/WaitPanel.h"
#include "extrato/ExtratoWindow.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Widgets.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QProgressBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QtTest>

using Nav = DBNavigator::Button;

class TstDesktop : public QObject, ProgramFixture {
    Q_OBJECT

    FormConvenios &form() { return *program->form; }
    CachedTable &convenios() { return program->dm->Convenios; }
    QWidget *focused() { return QApplication::focusWidget(); }

    // The program on the seeded register, its window active; with `logon` the stored logon of ADMIN.
    void start(const QStringList &args = {}, bool logon = true)
    {
        if (logon)
            suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create(args));
        program->show();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
    }

    void setPeriod(const QDate &di, const QDate &df)
    {
        suite->iface().execute(QStringLiteral("delete from PERIODO"));
        suite->iface().execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values (?, ?)"), {di, df});
    }

    void addOrder(int n, const QDate &date, const QString &nome)
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, PRECOFINAL, "
                           "VALORRESTANTE, FORMAPAGAMENTO) values ('01', ?, ?, 'Beta & Cia', ?, 'Pedido', 13200.75, 13200.75, "
                           "'Convênio')"),
            {n, nome, date});
    }

    // Orders 1 (items), 2 (formulas with components) and 3 (nothing) of "Beta & Cia" in March 2026.
    void seedOrders()
    {
        addOrder(1, QDate(2026, 3, 2), QStringLiteral("Zélia"));
        addOrder(2, QDate(2026, 3, 5), QStringLiteral("Ana"));
        addOrder(3, QDate(2026, 3, 9), QStringLiteral("Bruno"));
        Connection &c = suite->central();
        c.execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO, QDE, UNIDADE) values ('01', 1, 'P1', 'Dipirona', 1200, 'CX')"));
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA, QDEROTULOS, QDECAPSULAS, "
                                 "VOLUMETOTAL, UNIDADE) values ('01', 2, 1, 'Cápsula gelatinosa', 2, 120, 1500.5, 'ml')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG, QDEDIG, UNIDDIG) "
                                 "values ('01', 2, 1, 'A', 'Ureia', 10, '%')"));
        setPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
    }

    // The statement of "Beta & Cia" for the stored period, loaded.
    std::unique_ptr<ExtratoWindow> openStatement()
    {
        auto w = std::make_unique<ExtratoWindow>(program->sessao, QStringLiteral("Beta & Cia"));
        w->show();
        if (!QTest::qWaitFor([&] { return w->Label6->text().startsWith(QStringLiteral("Lista")); }))
            qWarning("the statement did not load");
        return w;
    }

private slots:
    void initTestCase() { QVERIFY2(QtTranslations::install(), "Qt's pt_BR translations (qt6-translations-l10n) are missing"); }

    void init() { setUpProgram(); }

    void cleanup()
    {
        tearDownProgram();
        QLocale::setDefault(QLocale::c());
    }

    // -----------------------------------------------------------------------------------------
    // Portuguese and the locale

    void deleteConfirmationInPortuguese()
    {
        start();
        messages.reset();   // the real message box this time
        QString text, ok, cancel;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(modal<QMessageBox>());
            auto *box = modal<QMessageBox>();
            text = box->text();
            ok = box->button(QMessageBox::Ok)->text();
            cancel = box->button(QMessageBox::Cancel)->text();
            box->button(QMessageBox::Cancel)->click();
        });
        form().DBNavigator6->click(Nav::Delete);
        QCOMPARE(text, QStringLiteral("Excluir o convênio \"Alfa Ltda\"?\n\nEle não tem pedidos."));
        QCOMPARE(cancel.remove(QLatin1Char('&')), QStringLiteral("Cancelar"));
        QVERIFY(!ok.isEmpty());
        QCOMPARE(suite->count(QStringLiteral("CONVENIO")), 3);   // cancelled: nothing removed
    }

    void numbersFollowTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("total");
        QTest::newRow("Brazilian") << "pt_BR" << "5,5" << "5,50" << "13.200,75" << "39.602,25";
        QTest::newRow("C") << "C" << "5.5" << "5.50" << "13,200.75" << "39,602.25";
    }

    void numbersFollowTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, price);
        QFETCH(QString, total);
        QLocale::setDefault(QLocale(locale));
        seedOrders();
        start({QStringLiteral("Beta & Cia")});
        RegisterPanel &reg = *form().cadastro;
        form().DBNavigator6->click(Nav::Edit);
        reg.DBEditDescConv->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(reg.DBEditDescConv, typed);
        form().DBNavigator6->click(Nav::Post);
        QCOMPARE(Decimal::fromVariant(suite->scalar(QStringLiteral("select DESCONTO from CONVENIO where CODIGOCONVENIO = 2"))),
                 Decimal(550, 2));
        QCOMPARE(reg.DBEditDescConv->text(), shown);

        const auto w = openStatement();
        QCOMPARE(w->Label8->text(), total);
        QCOMPARE(program->dm->PEDIDOS.displayText(0, program->dm->PEDIDOS.fieldIndex(QStringLiteral("PRECOFINAL"))), price);
    }

    // -----------------------------------------------------------------------------------------
    // Entering a box selects its text

    void periodDialogDatesAreReplacedByTyping()
    {
        setPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        start();
        form().BotTotalizaDeb->click();
        PeriodDialog *d = form().PainelPeriodo3;
        QTRY_COMPARE(focused(), d->DBEdit16);
        QTest::keyClicks(focused(), QStringLiteral("150326"));
        QCOMPARE(d->DBEdit16->text(), QStringLiteral("15/03/26"));
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), d->DBEdit84);
        QTest::keyClicks(focused(), QStringLiteral("200326"));
        QCOMPARE(d->DBEdit84->text(), QStringLiteral("20/03/26"));
        // A click places the cursor: nothing is selected.
        QTest::mouseClick(d->DBEdit16, Qt::LeftButton, {}, QPoint(4, d->DBEdit16->height() / 2));
        QCOMPARE(focused(), d->DBEdit16);
        QVERIFY(!d->DBEdit16->hasSelectedText());
    }

    void invalidPaymentDateIsSelectedForRetyping()
    {
        setPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        start();
        form().BotQuitaConvenio->click();
        PeriodDialog *d = form().PainelPeriodo3;
        d->EditDataPagamento->setFocus(Qt::MouseFocusReason);
        d->EditDataPagamento->setText(QStringLiteral("31/02/26"));
        d->BotTotaliza3->setFocus(Qt::TabFocusReason);
        QTest::keyClick(d->BotTotaliza3, Qt::Key_Return);
        QCOMPARE(messages->messages, QStringList{QStringLiteral("Data de Pagamento inválida!")});
        QCOMPARE(focused(), d->EditDataPagamento);
        QCOMPARE(d->EditDataPagamento->selectedText(), QStringLiteral("31/02/26"));
        QTest::keyClicks(focused(), QStringLiteral("280226"));
        QCOMPARE(d->EditDataPagamento->text(), QStringLiteral("28/02/26"));
    }

    void loginBoxesAreReplacedByTyping()
    {
        start({}, false);
        LoginPanel *p = form().PainelLogin;
        QVERIFY(p->isVisible());
        QTRY_COMPARE(focused(), p->EditNome);
        QVERIFY(!p->EditNome->text().isEmpty());   // the workstation's user name
        QTest::keyClicks(focused(), QStringLiteral("maria"));
        QCOMPARE(p->EditNome->text(), QStringLiteral("maria"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(focused(), p->EditSenhaU);
        QTest::keyClicks(focused(), QStringLiteral("xyz"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(messages->messages, QStringList{QStringLiteral("Senha incorreta. Tente novamente.")});
        QCOMPARE(focused(), p->EditSenhaU);
        QTest::keyClicks(focused(), QStringLiteral("abc"));   // replaces the wrong password
        QTest::keyClick(focused(), Qt::Key_Return);
        QVERIFY(!p->isVisible());
        QCOMPARE(program->sessao.usuarioLogado, QStringLiteral("MARIA"));
        // The status line shows who works where.
        QVERIFY(form().BarraDeStatus->isVisible());
        QCOMPARE(form().BarraDeStatus->text(), QStringLiteral("Usuário: MARIA     Estação: 02 - Caixa"));
    }

    // -----------------------------------------------------------------------------------------
    // One command at a time

    void speedButtonsFollowTheCommandColumn()
    {
        setPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        start();
        FormConvenios &f = form();
        const auto speedButtonsEnabled = [&] {
            return f.btnPesquisar->isEnabled() + f.btnExtrato->isEnabled() + f.btnQuitar->isEnabled();
        };
        QCOMPARE(speedButtonsEnabled(), 3);

        f.btnPesquisar->click();   // the search's name panel
        QVERIFY(f.PainelPesqNomeConv->isVisible());
        QCOMPARE(speedButtonsEnabled(), 0);
        QVERIFY(f.btnSair->isEnabled());
        QTest::keyClicks(focused(), QStringLiteral("Alfa Ltda"));
        f.PainelPesqNomeConv->BotPesqConvi->click();
        QVERIFY(!f.PainelPesqNomeConv->isVisible());
        QCOMPARE(speedButtonsEnabled(), 3);

        f.btnExtrato->click();   // the period dialog, then the closing list
        QCOMPARE(speedButtonsEnabled(), 0);
        f.PainelPeriodo3->BotCancTotConv->click();
        QCOMPARE(speedButtonsEnabled(), 3);
        f.BotTotalizaDeb->click();
        f.PainelPeriodo3->BotTotaliza3->click();
        QVERIFY(f.Painel_Total_Debito->isVisible());
        QCOMPARE(speedButtonsEnabled(), 0);
        f.Painel_Total_Debito->BitBtn3->click();
        QCOMPARE(speedButtonsEnabled(), 3);
    }

    // -----------------------------------------------------------------------------------------
    // Status line and navigator keys

    void statusLineShowsTheCashRegister()
    {
        start({QStringLiteral("Beta & Cia"), QStringLiteral("4"), QStringLiteral("S7"), QStringLiteral("Dinheiro")});
        QVERIFY(form().BarraDeStatus->isVisible());
        QCOMPARE(form().BarraDeStatus->text(),
                 QStringLiteral("Usuário: ADMIN     Caixa: 4     Sessão: S7     Forma de pagamento: Dinheiro"));
        QVERIFY(form().BarraDeStatus->geometry().top() >= form().PainelConvenios->geometry().bottom());
    }

    void navigatorKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("convenio");   // current afterwards, from "Beta & Cia"
        QTest::addColumn<int>("state");
        const int browse = int(CachedTable::State::Browse);
        QTest::newRow("Page Down: next") << int(Qt::Key_PageDown) << 0 << "Drogaria São José" << browse;
        QTest::newRow("Page Up: prior") << int(Qt::Key_PageUp) << 0 << "Alfa Ltda" << browse;
        QTest::newRow("Ctrl+End: last") << int(Qt::Key_End) << int(Qt::ControlModifier) << "Drogaria São José" << browse;
        QTest::newRow("Ctrl+Home: first") << int(Qt::Key_Home) << int(Qt::ControlModifier) << "Alfa Ltda" << browse;
        QTest::newRow("F2: edit") << int(Qt::Key_F2) << 0 << "Beta & Cia" << int(CachedTable::State::Edit);
        QTest::newRow("Insert: add") << int(Qt::Key_Insert) << 0 << "" << int(CachedTable::State::Insert);
        QTest::newRow("Home alone: nothing") << int(Qt::Key_Home) << 0 << "Beta & Cia" << browse;
    }

    void navigatorKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, convenio);
        QFETCH(int, state);
        start({QStringLiteral("Beta & Cia")});
        QTest::keyClick(&form(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(int(convenios().state()), state);
        QCOMPARE(convenios().text(QStringLiteral("CONVENIO")), convenio);
    }

    void navigatorKeysPostAndStayOffWhilePanelsAreOpen()
    {
        start({QStringLiteral("Beta & Cia")});
        QTest::keyClick(&form(), Qt::Key_F2);
        convenios().setValue(QStringLiteral("CIDADE"), QStringLiteral("Sorocaba"));
        QTest::keyClick(&form(), Qt::Key_F10);
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(suite->scalar(QStringLiteral("select CIDADE from CONVENIO where CODIGOCONVENIO = 2")).toString(),
                 QStringLiteral("Sorocaba"));

        form().BotTotalizaDeb->click();   // the period dialog over the register
        QTest::keyClick(&form(), Qt::Key_PageDown);
        QCOMPARE(convenios().text(QStringLiteral("CONVENIO")), QStringLiteral("Beta & Cia"));
    }

    void navigatorKeysDoNothingForTheCashRegister()
    {
        start({QStringLiteral("Beta & Cia"), QStringLiteral("4"), QStringLiteral("S7"), QStringLiteral("Dinheiro")});
        QTest::keyClick(&form(), Qt::Key_PageDown);
        QTest::keyClick(&form(), Qt::Key_Insert);
        QCOMPARE(convenios().state(), CachedTable::State::Browse);
        QCOMPARE(convenios().text(QStringLiteral("CONVENIO")), QStringLiteral("Beta & Cia"));
    }

    // -----------------------------------------------------------------------------------------
    // The statement window

    void panesFollowTheListAfterEachSettlement()
    {
        seedOrders();
        start({QStringLiteral("Beta & Cia")});
        auto statement = openStatement();
        ExtratoWindow &w = *statement;
        QVERIFY(w.DBGrid2->isVisible());   // order 1: its items

        struct Step {
            int current;          // the order the list shows afterwards; 0: none
            bool items, formulas;
        };
        for (const Step &step : {Step{2, false, true}, Step{3, false, false}, Step{0, false, false}}) {
            w.Quitaropedidoselecionado1->trigger();
            QCOMPARE(messages->messages.size(), 1);
            QVERIFY2(messages->messages[0].startsWith(QStringLiteral("Procedimento concluído com sucesso.")),
                     qPrintable(messages->messages.join('|')));
            messages->messages.clear();
            const QString shown = step.current ? program->dm->PEDIDOS.value(QStringLiteral("NPEDIDO")).toString() : QString();
            QCOMPARE(shown, step.current ? QString::number(step.current) : QString());
            QCOMPARE(w.DBGrid2->isVisible(), step.items);
            QCOMPARE(w.DBGrid3->isVisible(), step.formulas);
            QCOMPARE(w.DBGrid4->isVisible(), step.formulas);
            QCOMPARE(w.Label5->isVisible(), step.items || step.formulas);
            if (step.formulas)
                QCOMPARE(program->dm->PEDIFORM.value(QStringLiteral("NPEDIDO")).toString(), QString::number(step.current));
        }
    }

    void sortButtonsSitOverTheirTitlesInEveryStatement()
    {
        seedOrders();
        start({QStringLiteral("Beta & Cia")});
        for (int statement = 1; statement <= 2; ++statement) {
            auto opened = openStatement();
            ExtratoWindow &w = *opened;
            QHeaderView *h = w.DBGrid1->horizontalHeader();
            for (const auto &[button, field] : {std::pair{w.BitBtn4, QStringLiteral("DATAPEDIDO")},
                                                std::pair{w.BitBtn3, QStringLiteral("NOME")}}) {
                const int col = program->dm->PEDIDOS.fieldIndex(field);
                const QRect title(h->viewport()->mapTo(&w, QPoint(h->sectionViewportPosition(col), 0)),
                                  QSize(h->sectionSize(col), h->height()));
                QVERIFY2(button->isVisible(), qPrintable(QStringLiteral("statement %1: %2").arg(statement).arg(button->text())));
                QCOMPARE(button->geometry(), title);
            }
            w.BitBtn1->click();
        }
    }

    void panesShowWholeTitlesAndValuesUnscrolled()
    {
        seedOrders();
        start({QStringLiteral("Beta & Cia")});
        auto statement = openStatement();
        ExtratoWindow &w = *statement;
        const auto check = [&](DBGrid *grid) {
            QHeaderView *h = grid->horizontalHeader();
            QCOMPARE(grid->horizontalScrollBar()->value(), 0);
            QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);   // every column in view
            for (int c = 0; c < h->count(); ++c) {
                if (grid->isColumnHidden(c))
                    continue;
                const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(h->sectionSize(c) >= h->sectionSizeHint(c), qPrintable(title));
                const Field::Type type = grid->table()->fields().at(c).type;
                if (type != Field::Text && type != Field::FixedText)
                    QVERIFY2(h->sectionSize(c) >= static_cast<QAbstractItemView *>(grid)->sizeHintForColumn(c), qPrintable(title));
            }
        };
        check(w.DBGrid1);
        check(w.DBGrid2);
        w.DBGrid1->setFocus();
        QTest::keyClick(w.DBGrid1, Qt::Key_Down);   // order 2: formulas and components
        QVERIFY(w.DBGrid3->isVisible());
        check(w.DBGrid3);
        check(w.DBGrid4);
    }

    // The window opens where the user left it the run before (the user's own settings, apart for
    // each test); while the command column lies beyond the edge, the line above the status names
    // the keys of its commands.
    void windowRemembersItsPlaceAndNamesTheKeysOfTheColumn()
    {
        start();
        FormConvenios *f = &form();
        QCOMPARE(f->size(), QSize(806, 600));
        QLabel *teclas = f->TeclasDaColuna;
        QVERIFY(teclas->isVisible());
        for (const char *tecla : {"Alt+Z Totalizar", "Alt+D Desc./Classe", "Alt+U Quitações", "Alt+S Sair", "Alt+X Extrato"})
            QVERIFY2(teclas->text().contains(QString::fromUtf8(tecla)), qPrintable(teclas->text()));
        QVERIFY(teclas->geometry().top() >= f->PainelConvenios->geometry().bottom());
        QVERIFY(teclas->geometry().bottom() < f->BarraDeStatus->geometry().top());
        QVERIFY(teclas->geometry().width() == f->width());

        f->resize(1100, 650);   // the whole column in sight: no line of keys
        QVERIFY(!teclas->isVisible());
        QCOMPARE(f->PainelConvenios->geometry().bottom() + 1, f->BarraDeStatus->geometry().top());
        f->resize(806, 600);
        QVERIFY(teclas->isVisible());

        f->setGeometry(20, 30, 700, 500);
        const QRect deixada = f->geometry();
        f->BotSairConv->click();
        QVERIFY(!f->isVisible());
        program.reset();
        start();
        QCOMPARE(form().size(), QSize(700, 500));
        QVERIFY2((form().geometry().topLeft() - deixada.topLeft()).manhattanLength() <= 4,   // the frame aside
                 qPrintable(QStringLiteral("%1,%2").arg(form().x()).arg(form().y())));
        QVERIFY(form().TeclasDaColuna->isVisible());
    }

    // The wait panel shows its bar at once, counts the orders settled in the workstation's numbers
    // with the time left, and keeps its last step for what follows the last order.
    void waitPanelCountsOrdersAndTimeLeft()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        QWidget host;
        host.resize(700, 400);
        WaitPanel panel(&host);
        host.show();
        panel.mostra();
        QVERIFY(panel.Gauge1->isVisible());
        QCOMPARE(panel.Gauge1->text(), QStringLiteral("Lendo os pedidos..."));
        panel.inicia(20000);
        QCOMPARE(panel.Gauge1->text(), QStringLiteral("pedido 0 de 20.000  ·  0%"));
        QTest::qWait(60);   // the bar is repainted 20 times a second at most
        panel.conclui(1000);
        QVERIFY2(panel.Gauge1->text().startsWith(QStringLiteral("pedido 1.000 de 20.000  ·  4%  ·  fa")),
                 qPrintable(panel.Gauge1->text()));
        panel.conclui(20000);
        QCOMPARE(panel.Gauge1->text(), QStringLiteral("pedido 20.000 de 20.000  ·  99%  ·  gravando a quitação..."));
        QVERIFY(panel.Gauge1->value() < panel.Gauge1->maximum());
    }

    void timeLeft_data()
    {
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("said");
        QTest::newRow("seconds") << qint64(2000) << 100 << 1100 << "faltam cerca de 20 s";
        QTest::newRow("minutes") << qint64(60000) << 1 << 3 << "faltam cerca de 2 min 0 s";
        QTest::newRow("rounded") << qint64(1000) << 2 << 5 << "faltam cerca de 2 s";   // 1.5 s
        QTest::newRow("almost done") << qint64(10) << 1 << 2 << "falta menos de 1 s";
    }

    void timeLeft()
    {
        QFETCH(qint64, elapsed);
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(QString, said);
        QCOMPARE(WaitPanel::tempoRestante(elapsed, done, total), said);
    }

    // Through the real Quitar: from the panel's first showing the bar is there, it never shows 100 %
    // while the settlement runs, and the button bar's Sair, the navigator and the close box wait.
    void quitarShowsProgressAndLocksWhatWouldInterruptIt()
    {
        for (int n = 1; n <= 3; ++n)
            addOrder(n, QDate(2026, 3, n), QStringLiteral("Cliente"));
        setPeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        start({QStringLiteral("Beta & Cia")});
        FormConvenios &f = form();
        WaitPanel *panel = f.PainelAguarde;
        QStringList seen;
        bool closedMeanwhile = false;
        const auto look = [&] {
            seen << QStringLiteral("%1|%2|%3|%4")
                        .arg(panel->Gauge1->isVisibleTo(panel))
                        .arg(panel->Gauge1->text())
                        .arg(f.btnSair->isEnabled() || f.DBNavigator6->isEnabled())
                        .arg(panel->Gauge1->value() == panel->Gauge1->maximum());
        };
        connect(panel, &WaitPanel::emCurso, this, [&](bool sim) {
            if (sim)
                closedMeanwhile = !f.close();   // the close box waits
        });
        connect(panel->Gauge1, &QProgressBar::valueChanged, this, look);
        QVERIFY(f.btnSair->isEnabled() && f.DBNavigator6->isEnabled());
        f.BotQuitaConvenio->click();
        PeriodDialog *d = f.PainelPeriodo3;
        d->EditDataPagamento->setFocus();
        d->EditDataPagamento->selectAll();
        QTest::keyClicks(d->EditDataPagamento, QStringLiteral("050426"));
        d->BotTotaliza3->click();
        QVERIFY2(messages->messages.value(0).startsWith(QStringLiteral("Procedimento concluído com sucesso.")),
                 qPrintable(messages->messages.join('|')));
        QVERIFY(closedMeanwhile);
        QVERIFY(f.isVisible());
        QVERIFY2(seen.size() >= 2, qPrintable(seen.join('\n')));
        QCOMPARE(seen.first(), QStringLiteral("1|Lendo os pedidos...|0|0"));
        QVERIFY2(seen.last().startsWith(QStringLiteral("1|pedido 3 de 3")), qPrintable(seen.last()));
        for (const QString &s : seen)
            QVERIFY2(s.endsWith(QStringLiteral("|0|0")), qPrintable(seen.join('\n')));
        // Afterwards everything is back.
        QVERIFY(!panel->isVisible());
        QVERIFY(f.btnSair->isEnabled() && f.DBNavigator6->isEnabled());
    }

    // Qt's own dialogs speak Portuguese: the file dialog of "Salvar" among them.
    void fileDialogInPortuguese()
    {
        QFileDialog dialog(nullptr, QStringLiteral("Salvar"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        auto *buttons = widget<QDialogButtonBox>(&dialog);
        if (!buttons)
            return;
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Cancelar"));
        QCOMPARE(buttons->button(QDialogButtonBox::Save)->text().remove(QLatin1Char('&')), QStringLiteral("Salvar"));
    }

    void waitPanelPercentageIsReadable_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("empty") << 0;
        QTest::newRow("half") << 50;
        QTest::newRow("full") << 100;
    }

    // The percentage is drawn in the middle of the bar, in a colour that stands out from what lies
    // under it at every position.
    void waitPanelPercentageIsReadable()
    {
        QFETCH(int, position);
        QWidget host;
        host.resize(700, 400);
        WaitPanel panel(&host);
        host.show();
        panel.mostra();
        panel.inicia(100);
        panel.Gauge1->setValue(position);
        const QImage bar = panel.Gauge1->grab().toImage();
        const auto luma = [](QRgb c) { return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000; };
        int contrasting = 0;
        for (int x = bar.width() / 2 - 20; x < bar.width() / 2 + 20; ++x) {
            const int under = luma(bar.pixel(x, 3));
            for (int y = 4; y < bar.height() - 4; ++y)
                contrasting += std::abs(luma(bar.pixel(x, y)) - under) > 110;
        }
        QVERIFY2(contrasting >= 10, qPrintable(QString::number(contrasting)));
    }
};

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"
