// The roads of a settlement and of a statement through the real main window: Quitar with the period
// dialog, the open-order check, the wait panel and the success message; Extrato opening the
// statement window modally and giving the buttons back when it closes.
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "closing/PeriodDialog.h"
#include "controls/DBMaskEdit.h"
#include "data/CentralData.h"
#include "platform/Messages.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/windows/WaitPanel.h"
#include "extrato/ExtratoWindow.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Widgets.h"

#include <QPushButton>
#include <QtTest>

class TstFlows : public QObject, ProgramFixture {
    Q_OBJECT


    FormConvenios &form() { return *program->form; }

    void start(const QStringList &args)
    {
        suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create(args));
        program->show();
    }

    // Types the period (and the payment date) into the open dialog and confirms it.
    void confirmPeriod(const QString &from, const QString &to, const QString &payment = {})
    {
        PeriodDialog *d = form().PainelPeriodo3;
        QVERIFY(d->isVisible());
        auto type = [](QLineEdit *box, const QString &date) {
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, QString(date).remove(QLatin1Char('/')));
        };
        type(d->DBEdit16, from);
        type(d->DBEdit84, to);
        if (!payment.isNull())
            type(d->EditDataPagamento, payment);
        d->BotTotaliza3->click();
    }

    bool commandsEnabled()
    {
        return form().BotSairConv->isEnabled() && form().BitBtn2->isEnabled() && form().BotQuitaConvenio->isEnabled() &&
               form().BotTotalizaDeb->isEnabled() && form().BotPesqConvenio->isEnabled();
    }

private slots:
    void init()
    {
        setUpProgram();
        for (int n = 1; n <= 3; ++n) {
            suite->central().execute(
                QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                               "values ('01', ?, 'Cliente', 'Beta & Cia', ?, 'Pedido', 25.00)"),
                {n, QDate(2026, 11, n * 5)});
            suite->central().execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, 25.00)"),
                                     {n});
        }
    }

    void cleanup() { tearDownProgram(); }

    void quitarFromTheCashRegister()
    {
        start({QStringLiteral("Beta & Cia"), QStringLiteral("4"), QStringLiteral("S7"), QStringLiteral("Dinheiro")});
        form().BotQuitaConvenio->click();
        QVERIFY(!commandsEnabled());
        confirmPeriod(QStringLiteral("01/11/26"), QStringLiteral("30/11/26"), QStringLiteral("05/12/26"));
        QCOMPARE(messages->messages.size(), 1);
        QCOMPARE(messages->messages[0].section('\n', 0, 0), QStringLiteral("Procedimento concluído com sucesso."));
        QCOMPARE(messages->confirmations.size(), 1);
        QCOMPARE(form().PainelPeriodo3->escolha().convenio, QStringLiteral("Beta & Cia"));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T' and DATAPAGAMENTO = '2026-12-05'")), 3);
        QCOMPARE(suite->count(QStringLiteral("PAGPEDID"), QStringLiteral("VALORPAGO = 25")), 3);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("CAIXA = '4' and SESSAO = 'S7' and FORMAPAG = 'Dinheiro'")), 3);
        QVERIFY(!form().PainelAguarde->isVisible());
        QVERIFY(commandsEnabled());
    }

    // The refusal keeps the Part's sentence, then names each order with its counter and seller and
    // says what to do.
    void quitarRefusedWhileOrdersAreOpenAtTheCounter_data()
    {
        QTest::addColumn<int>("abertos");
        QTest::addColumn<QString>("message");
        QTest::newRow("one") << 1
                             << QuitacaoConvenio::mensagemAbertos(QuitacaoConvenio::Abertos::Um) +
                                    QStringLiteral("\n\nAberto no balcão:\n  Pedido 1 da estação 02, vendedor ANA, de 20/11/26"
                                                   "\n\nConclua ou cancele este pedido na estação em que está aberto e quite "
                                                   "de novo.");
        QTest::newRow("two") << 2
                             << QuitacaoConvenio::mensagemAbertos(QuitacaoConvenio::Abertos::Varios) +
                                    QStringLiteral("\n\nAbertos no balcão:\n  Pedido 1 da estação 02, vendedor ANA, de 20/11/26"
                                                   "\n  Pedido 2 da estação 02, de 20/11/26\n\nConclua ou cancele estes "
                                                   "pedidos nas estações em que estão abertos e quite de novo.");
    }

    void quitarRefusedWhileOrdersAreOpenAtTheCounter()
    {
        QFETCH(int, abertos);
        QFETCH(QString, message);
        for (int n = 1; n <= abertos; ++n)
            suite->iface().execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, VENDEDOR, CONVENIO, DATAPEDIDO, "
                                                  "TIPOPEDIDO) values ('02', ?, ?, 'Beta & Cia', '2026-11-20', 'Pedido')"),
                                   {n, n == 1 ? QVariant(QStringLiteral("ANA")) : QVariant()});
        start({QStringLiteral("Beta & Cia")});
        form().BotQuitaConvenio->click();
        confirmPeriod(QStringLiteral("01/11/26"), QStringLiteral("30/11/26"), QStringLiteral("05/12/26"));
        QCOMPARE(messages->messages.join('|'), message);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is not null")), 0);
        // The period entered stays stored.
        const RowSet p = suite->iface().query(QStringLiteral("select DATAINICIAL, DATAFINAL from PERIODO"));
        QCOMPARE(p.rows[0][0].toDate(), QDate(2026, 11, 1));
        QVERIFY(commandsEnabled());
    }

    void quitarThatFailsHidesThePanelAndChangesNothing()
    {
        suite->exec(QStringLiteral("create exception FALHA 'falha no pagamento'"));
        suite->exec(QStringLiteral("create trigger FALHA_PAGPEDID for PAGPEDID before update as begin "
                                   "if (new.NPEDIDO = 2) then exception FALHA; end"));
        start({QStringLiteral("Beta & Cia"), QStringLiteral("4"), QStringLiteral("S7"), QStringLiteral("Dinheiro")});
        form().BotQuitaConvenio->click();
        confirmPeriod(QStringLiteral("01/11/26"), QStringLiteral("30/11/26"), QStringLiteral("05/12/26"));
        QCOMPARE(messages->messages.size(), 1);
        // The database's refusal explained in Portuguese, its own text beneath.
        const QString falha = messages->messages[0];
        QVERIFY2(falha.startsWith(QStringLiteral("O banco de dados recusou a operação por uma regra própria.\n\n"
                                                 "Texto original do banco de dados:\n")),
                 qPrintable(falha));
        QVERIFY(falha.contains(QStringLiteral("falha no pagamento")));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is not null")), 0);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 0);
        QVERIFY(!form().PainelAguarde->isVisible());
        QVERIFY(commandsEnabled());
    }

    void quitarWithoutTheInterfaceDatabaseReportsOnlyItsCause()
    {
        start({QStringLiteral("Beta & Cia")});
        suite->iface().close();
        QVERIFY(QFile::remove(suite->interfacePath()));
        form().BotQuitaConvenio->click();
        QCOMPARE(messages->messages.size(), 1);
        const QString cause = messages->messages[0];
        confirmPeriod(QStringLiteral("01/11/26"), QStringLiteral("30/11/26"), QStringLiteral("05/12/26"));
        // Confirming meets the same cause again, and nothing else.
        for (const QString &m : std::as_const(messages->messages))
            QCOMPARE(m, cause);
        QVERIFY(form().PainelPeriodo3->isVisible());
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is not null")), 0);
        form().PainelPeriodo3->BotCancTotConv->click();
        QVERIFY(commandsEnabled());
    }

    void extratoOpensTheStatementModally()
    {
        start({QStringLiteral("Beta & Cia")});
        int listed = -1;
        bool buttonsWhileOpen = true;
        // The statement runs its own modal loop: look at it from inside and close it.
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(modal<ExtratoWindow>());
            auto *w = modal<ExtratoWindow>();
            QTRY_VERIFY(w->Label6->text().startsWith(QStringLiteral("Lista")));
            listed = program->dm->PEDIDOS.recordCount();
            buttonsWhileOpen = commandsEnabled();
            w->BitBtn1->click();
        });
        form().BitBtn2->click();
        confirmPeriod(QStringLiteral("01/11/26"), QStringLiteral("30/11/26"));
        QCOMPARE(listed, 3);
        QVERIFY(!buttonsWhileOpen);
        QVERIFY(commandsEnabled());
        QVERIFY(!program->dm->PEDIDOS.isOpen());
        QVERIFY(messages->messages.isEmpty());
    }
};

QTEST_MAIN(TstFlows)
#include "tst_flows.moc"
