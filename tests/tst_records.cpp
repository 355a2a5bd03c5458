// Settlements that can be checked, proved and undone, through the real windows: the confirmation
// before each command, the record each one writes beside the suite's tables, the receipt, and the
// reversal from the list of settlements.
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "settlement/windows/ContextoDaSessao.h"
#include "closing/PeriodDialog.h"
#include "controls/DBMaskEdit.h"
#include "controls/DBGrid.h"
#include "data/CentralData.h"
#include "data/ValorPorExtenso.h"
#include "data/InterfaceData.h"
#include "platform/Messages.h"
#include "reports/ReportModule.h"
#include "reports/ReportOutput.h"
#include "reports/ReportPreview.h"
#include "settlement/Autorizacao.h"
#include "settlement/windows/Comprovante.h"
#include "settlement/windows/Confirmacao.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Registro.h"
#include "settlement/Estorno.h"
#include "settlement/windows/QuitacoesWindow.h"
#include "settlement/windows/WaitPanel.h"
#include "billing/Configuracoes.h"
#include "extrato/ExtratoWindow.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/Widgets.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QScopeGuard>
#include <QtTest>
#include <QThread>
#include <atomic>
#include <thread>

class TstRecords : public QObject, ProgramFixture {
    Q_OBJECT

    const QStringList cashRegister{QStringLiteral("Beta & Cia"), QStringLiteral("4"), QStringLiteral("S7"),
                                   QStringLiteral("Dinheiro")};

    FormConvenios &form() { return *program->form; }

    void start(const QStringList &args)
    {
        suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create(args));
        program->show();
        program->sessao.estacaoAtual = QStringLiteral("01");
    }

    void order(int n, const QDate &date, const QVariant &restante, const QVariant &pago = {},
               const QString &convenio = QStringLiteral("Beta & Cia"), const QString &tipo = QStringLiteral("Pedido"))
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE, "
                           "PAGO, DATAPAGAMENTO, LABORATORIO) values ('01', ?, ?, ?, ?, ?, ?, ?, ?, 'LAB')"),
            {n, QStringLiteral("Cliente %1").arg(n), convenio, date, tipo, restante, pago.isNull() ? QVariant() : QVariant("T"),
             pago});
    }

    void instalment(int n, int parcela, const QString &valor, const QVariant &pagoEm = {})
    {
        suite->central().execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR, DATAPAGTO, VALORPAGO) "
                                                "values ('01', ?, ?, ?, ?, ?)"),
                                 {n, parcela, valor, pagoEm, pagoEm.isNull() ? QVariant() : QVariant(valor)});
    }

    void account(int code, const QString &pedido, const QList<QVariant> &paidOn)
    {
        suite->central().execute(QStringLiteral("insert into CONTASPR (CODIGOCPR, CODIGOPEDIDO, NATUREZA) values (?, ?, 'R')"),
                                 {code, pedido});
        for (int p = 0; p < paidOn.size(); ++p)
            suite->central().execute(
                QStringLiteral("insert into PARCELAS (CODIGOCPR, NPARCELA, VALORPARCELA, DATAPAGTO, VALORPAGO) values (?, ?, 12.50, ?, ?)"),
                {code, p + 1, paidOn[p], paidOn[p].isNull() ? QVariant() : QVariant("12.50")});
    }

    // What the settlements change and what must come back: every row of the three tables.
    QString tables()
    {
        QStringList out;
        for (const QString &sql :
             {QStringLiteral("select ESTACAO, NPEDIDO, PAGO, DATAPAGAMENTO, VALORRESTANTE from PEDIDOS order by 1, 2"),
              QStringLiteral("select ESTACAO, NPEDIDO, NPARCELA, DATAPAGTO, VALORPAGO, VALOR from PAGPEDID order by 1, 2, 3"),
              QStringLiteral("select CODIGOCPR, NPARCELA, DATAPAGTO, VALORPAGO, VALORPARCELA from PARCELAS order by 1, 2")})
            out << rows(sql);
        return out.join(QStringLiteral("\n--\n"));
    }

    QString rows(const QString &sql)
    {
        QStringList out;
        for (const auto &row : suite->central().query(sql).rows) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << (v.isNull() ? QStringLiteral("null") : v.toString());
            out << cells.join('|');
        }
        return out.join('\n');
    }

    void storePeriod(const QDate &di, const QDate &df)
    {
        suite->iface().execute(QStringLiteral("delete from PERIODO"));
        suite->iface().execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values (?, ?)"), {di, df});
    }

    void confirmPeriod(const QString &from, const QString &to, const QString &payment)
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
        type(d->EditDataPagamento, payment);
        d->BotTotaliza3->click();
    }

    // What a command of this run on `convenio` settles or reverses with.
    ContextoQuitacao contexto(const QString &convenio = QStringLiteral("Beta & Cia"))
    {
        return contextoDaSessao(program->sessao, convenio);
    }

    // The statement window of November with the payment date of 5 December.
    std::unique_ptr<ExtratoWindow> statement()
    {
        storePeriod(QDate(2026, 11, 1), QDate(2026, 11, 30));
        auto w = std::make_unique<ExtratoWindow>(program->sessao, QStringLiteral("Beta & Cia"));
        w->show();
        [&] { QTRY_VERIFY(w->Label6->text().startsWith(QStringLiteral("Lista"))); }();
        w->MaskEdit1->setText(QStringLiteral("05/12/26"));
        return w;
    }

    // Runs one of the three commands through its window, paying on 5 December.
    void settle(const QString &command)
    {
        if (command == QLatin1String("CONVENIO")) {
            form().BotQuitaConvenio->click();
            confirmPeriod(QStringLiteral("01/11/26"), QStringLiteral("30/11/26"), QStringLiteral("05/12/26"));
            return;
        }
        auto w = statement();
        if (command == QLatin1String("PEDIDO")) {
            program->dm->PEDIDOS.moveTo(1);   // order 2, the second of the list
            w->Quitaropedidoselecionado1->trigger();
        } else {
            w->QuitaroPERODOselecionado1->trigger();
        }
    }

    template <typename T>
    void onceShown(const std::function<void(T *)> &act) { ::onceShown<T>(this, act); }

    int lastSettlement() { return suite->scalar(QStringLiteral("select max(CODQUITACAO) from QUITACOES")).toInt(); }

    // Reverses a settlement from the register's list, typing the reason into the question.
    void reverseFromTheList(int codigo, const QString &reason)
    {
        int chosen = 0;
        onceShown<QuitacoesWindow>([&](QuitacoesWindow *w) {
            for (int r = 0; r < w->Lista->rowCount(); ++r)
                if (w->Lista->item(r, 0)->text().toInt() == codigo)
                    w->Lista->setCurrentCell(r, 0);
            chosen = w->atual() ? w->atual()->codigo : -1;
            onceShown<EstornoDialog>([&](EstornoDialog *d) {
                QTest::keyClicks(d->EditMotivo, reason);
                QTest::keyClicks(d->EditSenha, QStringLiteral("123"));   // ADMIN's, a supervisor
                QTest::keyClick(d->EditMotivo, Qt::Key_Return);
            });
            w->BotEstornar->click();
            QTest::keyClick(w->Lista, Qt::Key_Escape);
        });
        form().BotQuitacoes->click();
        QCOMPARE(chosen, codigo);
    }

private slots:
    void init()
    {
        setUpProgram();
        // November: order 1 with an instalment paid before and a receivable account coded "011" with
        // one of its two instalments paid; order 2 with its account coded "01.2"; order 3 paid before
        // (Quitar settles it again, the statement does not); rows that are never touched.
        order(1, QDate(2026, 11, 5), QStringLiteral("25.00"));
        order(2, QDate(2026, 11, 10), QStringLiteral("40.50"));
        order(3, QDate(2026, 11, 15), QStringLiteral("9.90"), QDate(2026, 11, 16));
        order(4, QDate(2026, 11, 12), QStringLiteral("7.00"), {}, QStringLiteral("Beta & Cia"), QStringLiteral("Orcam"));
        order(5, QDate(2026, 11, 12), QStringLiteral("8.00"), {}, QStringLiteral("Alfa Ltda"));
        order(6, QDate(2026, 12, 1), QStringLiteral("6.00"));
        instalment(1, 1, QStringLiteral("10.00"), QDate(2026, 10, 1));
        instalment(1, 2, QStringLiteral("15.00"));
        instalment(2, 1, QStringLiteral("40.50"));
        instalment(3, 1, QStringLiteral("9.90"), QDate(2026, 11, 16));
        account(100, QStringLiteral("011"), {QDate(2026, 10, 1), QVariant()});
        account(101, QStringLiteral("01.2"), {QVariant()});
        account(102, QStringLiteral("015"), {QVariant()});
        suite->exec(QStringLiteral("update ESTACOES set ROTULO1 = 'Farmácia Modelo', CNPJ = '12345678000190' where ESTACAO = '01'"));
    }

    void cleanup() { tearDownProgram(); }

    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("orders");        // settled, as ESTACAO/NPEDIDO
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("instalments");   // PAGPEDID rows recorded
        QTest::addColumn<QString>("accounts");      // PARCELAS rows recorded
        QTest::newRow("Quitar") << "CONVENIO" << "01/1,01/2,01/3" << "75.40" << "01/1/1,01/1/2,01/2/1,01/3/1" << "";
        QTest::newRow("single order of the statement") << "PEDIDO" << "01/2" << "40.50" << "" << "101/1";
        QTest::newRow("whole period of the statement") << "PERIODO" << "01/1,01/2" << "65.50" << "" << "100/1,100/2,101/1";
    }

    // Each command asks first, records itself with the values it changed, and a reversal puts every
    // row back and posts a counter-movement for each movement.
    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QString, orders);
        QFETCH(QString, total);
        QFETCH(QString, instalments);
        QFETCH(QString, accounts);
        start(cashRegister);
        const QString before = tables();

        // Cancelling the confirmation changes nothing.
        messages->answer = false;
        settle(command);
        QCOMPARE(messages->confirmations.size(), 1);
        const QString question = messages->confirmations.first();
        const int n = int(orders.split(',').size());
        for (const QString &part : {QStringLiteral("Convênio: Beta & Cia"), QStringLiteral("Período: 01/11/26 a 30/11/26"),
                                    QStringLiteral("Data de pagamento: 05/12/26"), QStringLiteral("Pedidos: %1,").arg(n),
                                    Decimal::parse(total)->toDisplayText(QLocale(), 2),
                                    QStringLiteral("Caixa: 4, sessão: S7, forma de pagamento: Dinheiro")})
            QVERIFY2(question.contains(part), qPrintable(question));
        QCOMPARE(tables(), before);
        QCOMPARE(suite->count(QStringLiteral("QUITACOES")), 0);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 0);

        messages->answer = true;
        messages->messages.clear();
        settle(command);
        const int codigo = lastSettlement();
        QVERIFY(codigo > 0);
        QVERIFY(messages->messages.last().startsWith(QStringLiteral("Procedimento concluído com sucesso.\n")));
        QVERIFY(messages->messages.last().contains(QStringLiteral("%1 movimentos de caixa lançados").arg(n)) || n == 1);

        // The header.
        const RowSet h = suite->central().query(QStringLiteral(
            "select COMANDO, USUARIO, ESTACAO, CAIXA, SESSAO, FORMAPAG, CONVENIO, DATAINICIAL, DATAFINAL, DATAPAGAMENTO, "
            "QTDEPEDIDOS, VALORTOTAL, QTDEMOVIMENTOS, ESTORNO_DATAHORA from QUITACOES"));
        QCOMPARE(h.rowCount(), 1);
        QCOMPARE(h.rows[0][0].toString(), command);
        QCOMPARE(h.rows[0][1].toString(), QStringLiteral("ADMIN"));
        QCOMPARE(h.rows[0][2].toString(), QStringLiteral("01"));
        QCOMPARE((QStringList{h.rows[0][3].toString(), h.rows[0][4].toString(), h.rows[0][5].toString(), h.rows[0][6].toString()}),
                 (QStringList{"4", "S7", "Dinheiro", "Beta & Cia"}));
        QCOMPARE(h.rows[0][7].toDate(), QDate(2026, 11, 1));
        QCOMPARE(h.rows[0][8].toDate(), QDate(2026, 11, 30));
        QCOMPARE(h.rows[0][9].toDate(), QDate(2026, 12, 5));
        QCOMPARE(h.rows[0][10].toInt(), n);
        QCOMPARE(Decimal::fromVariant(h.rows[0][11]).toSqlText(), total);
        QCOMPARE(h.rows[0][12].toInt(), n);
        QVERIFY(h.rows[0][13].isNull());

        // Per order: the value settled and the movement posted for it; the values before and after
        // as the tables had them.
        QCOMPARE(rows(QStringLiteral("select q.ESTACAO || '/' || q.NPEDIDO from QUITACAO_PEDIDOS q order by 1")).split('\n').join(','),
                 orders);
        QCOMPARE(suite->scalar(QStringLiteral(
                                   "select count(*) from QUITACAO_PEDIDOS q join MOVCAIXA m on m.CODMOVCX = q.CODMOVCX and "
                                   "m.NPEDIDO = q.ESTACAO || q.NPEDIDO and m.VALOR = q.VALOR join PEDIDOS p on p.ESTACAO = "
                                   "q.ESTACAO and p.NPEDIDO = q.NPEDIDO and p.VALORRESTANTE = q.VALOR and p.PAGO is not "
                                   "distinct from q.PAGO and p.DATAPAGAMENTO = q.DATAPAGAMENTO"))
                     .toInt(),
                 n);
        QCOMPARE(rows(QStringLiteral("select p.ESTACAO || '/' || p.NPEDIDO || '/' || p.NPARCELA from QUITACAO_PAGPEDID q join "
                                 "PAGPEDID p on p.RDB$DB_KEY = q.CHAVE_LINHA order by 1"))
                     .split('\n').join(','),
                 instalments);
        QCOMPARE(rows(QStringLiteral("select p.CODIGOCPR || '/' || p.NPARCELA from QUITACAO_PARCELAS q join PARCELAS p on "
                                 "p.RDB$DB_KEY = q.CHAVE_LINHA order by 1")).split('\n').join(','),
                 accounts);
        // Every recorded row holds what the table holds now, and what it held before the settlement.
        QCOMPARE(suite->scalar(QStringLiteral("select count(*) from QUITACAO_PAGPEDID q join PAGPEDID p on p.RDB$DB_KEY = "
                                              "q.CHAVE_LINHA and p.ESTACAO || p.NPEDIDO = q.PEDIDO and p.VALOR = q.VALOR and "
                                              "p.DATAPAGTO = q.DATAPAGTO and p.VALORPAGO = q.VALORPAGO"))
                     .toInt(),
                 suite->count(QStringLiteral("QUITACAO_PAGPEDID")));
        QCOMPARE(suite->scalar(QStringLiteral("select count(*) from QUITACAO_PARCELAS q join PARCELAS p on p.RDB$DB_KEY = "
                                              "q.CHAVE_LINHA and p.CODIGOCPR = q.CODIGOCPR and p.DATAPAGTO = q.DATAPAGTO and "
                                              "p.VALORPAGO = q.VALORPAGO"))
                     .toInt(),
                 suite->count(QStringLiteral("QUITACAO_PARCELAS")));
        const QString after = tables();
        QVERIFY(after != before);

        // The reversal from the register's list of settlements.
        const int movements = suite->count(QStringLiteral("MOVCAIXA"));
        reverseFromTheList(codigo, QStringLiteral("Data de pagamento errada"));
        QCOMPARE(messages->messages.last(), QStringLiteral("Quitação nº %1 estornada.").arg(codigo));
        QCOMPARE(tables(), before);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 2 * movements);
        QCOMPARE(suite->scalar(QStringLiteral(
                                   "select count(*) from MOVCAIXA e join MOVCAIXA m on m.NPEDIDO = e.NPEDIDO and m.VALOR = e.VALOR "
                                   "and m.VALORORIGINAL = e.VALORORIGINAL and m.FORMAPAG = e.FORMAPAG and m.SINALQUITACAO = "
                                   "'Quitação' and m.ENTRADASAIDA = 'Entrada' where e.SINALQUITACAO = 'Estorno' and e.TIPOMOV "
                                   "= 'Estorno' and e.ENTRADASAIDA = 'Saída' and e.VALOR > 0 and e.HISTORICO = 'Estorno "
                                   "quitação nº %1 Convênio Beta & C' and e.CAIXA = '4' and e.SESSAO = 'S7' and e.CODMOVCX > "
                                   "m.CODMOVCX")
                                   .arg(codigo))
                     .toInt(),
                 movements);
        const RowSet e = suite->central().query(
            QStringLiteral("select ESTORNO_USUARIO, ESTORNO_ESTACAO, ESTORNO_MOTIVO, ESTORNO_DATAHORA from QUITACOES"));
        QCOMPARE(e.rows[0][0].toString(), QStringLiteral("ADMIN"));
        QCOMPARE(e.rows[0][1].toString(), QStringLiteral("01"));
        QCOMPARE(e.rows[0][2].toString(), QStringLiteral("Data de pagamento errada"));
        QVERIFY(!e.rows[0][3].isNull());

        // Settled again, the orders are posted again: a posting and its reversal add up to nothing.
        settle(command);
        QCOMPARE(tables(), after);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 3 * movements);
    }

    void reversalRefused_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("message");
        QTest::newRow("order paid on another date") << "update PEDIDOS set DATAPAGAMENTO = '2026-12-09' where NPEDIDO = 2"
                                                    << "o pedido 2 da estação 01 foi alterado depois dela.";
        QTest::newRow("instalment changed") << "update PAGPEDID set VALORPAGO = 1 where NPEDIDO = 1 and NPARCELA = 2"
                                            << "os pagamentos do pedido 1 da estação 01 foram alterados depois dela.";
        QTest::newRow("movement deleted") << "delete from MOVCAIXA where NPEDIDO = '013'"
                                          << "o movimento de caixa 3 do pedido 3 da estação 01 foi alterado ou excluído depois dela.";
        QTest::newRow("settled again") << "" << "o pedido 1 da estação 01 foi quitado de novo depois dela, na quitação nº 2; "
                                                "estorne aquela primeiro.";
    }

    // Anything changed since the settlement: the reversal says which order and changes nothing.
    void reversalRefused()
    {
        QFETCH(QString, change);
        QFETCH(QString, message);
        start(cashRegister);
        settle(QStringLiteral("CONVENIO"));
        if (change.isEmpty())
            settle(QStringLiteral("CONVENIO"));
        else
            suite->exec(change);
        const QString before = tables();
        const QString movements = rows(QStringLiteral("select * from MOVCAIXA order by 1"));
        reverseFromTheList(1, QStringLiteral("engano"));
        QCOMPARE(messages->messages.last(), QStringLiteral("Esta quitação não pode ser estornada: ") + message);
        QCOMPARE(tables(), before);
        QCOMPARE(rows(QStringLiteral("select * from MOVCAIXA order by 1")), movements);
        QCOMPARE(suite->count(QStringLiteral("QUITACOES"), QStringLiteral("ESTORNO_DATAHORA is not null")), 0);
        if (change.isEmpty()) {
            // Reversed newest first, both go back.
            reverseFromTheList(2, QStringLiteral("engano"));
            reverseFromTheList(1, QStringLiteral("engano"));
            QCOMPARE(suite->count(QStringLiteral("QUITACOES"), QStringLiteral("ESTORNO_DATAHORA is not null")), 2);
            QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), 1);   // order 3, paid before
        }
    }

    void reversedOnlyOnce()
    {
        start(cashRegister);
        settle(QStringLiteral("PERIODO"));
        Estorno::estorna(*program->dm, 1, contexto(), QStringLiteral("primeiro"));
        const QString movements = rows(QStringLiteral("select * from MOVCAIXA order by 1"));
        try {
            Estorno::estorna(*program->dm, 1, contexto(), QStringLiteral("segundo"));
            QFAIL("a settlement is reversed once");
        } catch (const Estorno::Recusado &r) {
            QCOMPARE(r.mensagem(), Estorno::mensagemJaEstornada());
        }
        QCOMPARE(rows(QStringLiteral("select * from MOVCAIXA order by 1")), movements);
        QCOMPARE(suite->scalar(QStringLiteral("select ESTORNO_MOTIVO from QUITACOES")).toString(), QStringLiteral("primeiro"));
    }

    // Without the cash register nothing is posted, so nothing is counter-posted; the question says
    // nothing of a cash register.
    void outsideTheCashRegister()
    {
        start({QStringLiteral("Beta & Cia")});
        settle(QStringLiteral("PERIODO"));
        QVERIFY(!messages->confirmations.first().contains(QStringLiteral("Caixa")));
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 0);
        QCOMPARE(suite->count(QStringLiteral("QUITACAO_PEDIDOS"), QStringLiteral("CODMOVCX is null")), 2);
        Estorno::estorna(*program->dm, lastSettlement(), contexto(), QStringLiteral("teste"));
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 0);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is null")), 5);
    }

    // Enter confirms the real question, Esc cancels it.
    void confirmationKeys()
    {
        messages.reset();
        for (const auto &[key, expected] : {std::pair{Qt::Key_Return, true}, std::pair{Qt::Key_Escape, false}}) {
            onceShown<QMessageBox>([key](QMessageBox *box) { QTest::keyClick(box, key); });
            Confirmacao::Dados d;
            d.contexto.convenioAtual = QStringLiteral("Beta & Cia");
            QCOMPARE(Confirmacao::pergunta(d), expected);
        }
    }

    // The receipt as PDF: every part of it read back with pdftotext.
    void receipt()
    {
        start(cashRegister);
        settle(QStringLiteral("CONVENIO"));
        const ReportDocument doc = Comprovante::gera(program->dm->SQLConnection1, lastSettlement());
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("comprovante.pdf"));
        ReportModule(QString()).save(doc, pdf);
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY2(p.waitForFinished(30000) && p.exitCode() == 0, "pdftotext (poppler-utils) failed");
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        const QString stamp = suite->central()
                                  .query(QStringLiteral("select DATAHORA from QUITACOES"))
                                  .rows[0][0]
                                  .toDateTime()
                                  .toString(QStringLiteral("dd/MM/yyyy HH:mm"));
        for (const QString &part :
             {QStringLiteral("Farmácia Modelo CNPJ 12.345.678/0001-90 Comprovante de quitação nº 1"),
              QStringLiteral("Convênio: Beta & Cia"),
              QStringLiteral("Período: 01/11/2026 a 30/11/2026 Data de pagamento: 05/12/2026"),
              QStringLiteral("Lançado no caixa 4, sessão S7"), QStringLiteral("Quitado por ADMIN em ") + stamp + QStringLiteral(", estação 01"),
              QStringLiteral("05/11/2026 01 1 Cliente 1 ") + Decimal(2500, 2).toDisplayText(QLocale(), 2),
              QStringLiteral("15/11/2026 01 3 Cliente 3 ") + Decimal(990, 2).toDisplayText(QLocale(), 2),
              QStringLiteral("Total ") + Decimal(7540, 2).toDisplayText(QLocale(), 2),
              QStringLiteral("Forma de pagamento: Dinheiro"),
              // Order 3 was paid before: the drawer receives the other two.
              QStringLiteral("Recebemos de Beta & Cia a importância de R$ ") + Decimal(6550, 2).toDisplayText(QLocale(), 2),
              QStringLiteral("(sessenta e cinco reais e cinquenta centavos), pela quitação dos pedidos acima."),
              QStringLiteral("Dos pedidos acima, 1 (R$ ") + Decimal(990, 2).toDisplayText(QLocale(), 2) +
                  QStringLiteral(") já estava pago e só recebeu a nova data de pagamento."),
              QLocale(QLocale::Portuguese, QLocale::Brazil).toString(QDate::currentDate(), QStringLiteral("d 'de' MMMM 'de' yyyy")),
              QStringLiteral("______"), QStringLiteral("Recebedor: assinatura e carimbo da farmácia"),
              QStringLiteral("Pagador: assinatura e carimbo da empresa"), QStringLiteral("Página 1 de 1")})
            QVERIFY2(text.contains(part), qPrintable(part + QStringLiteral(" not in: ") + text));
        QVERIFY(!text.contains(QStringLiteral("ESTORNADA")));
        // Without billing settings: no PIX charge, and the place is not known.
        QVERIFY(!text.contains(QStringLiteral("PIX")));
        QVERIFY(!text.contains(QStringLiteral(", ") + QLocale(QLocale::Portuguese, QLocale::Brazil).toString(QDate::currentDate(), QStringLiteral("d 'de' MMMM"))));
        // The signature lines follow the table in the word processor's file as well.
        const QByteArray rtf = ReportOutput::toRtf(doc);
        QVERIFY(rtf.indexOf("Pagador: assinatura e carimbo da empresa") > rtf.lastIndexOf("\\row"));

        // Reversed, every page says that it is worth nothing, in the PDF as well.
        Estorno::estorna(*program->dm, 1, contexto(), QStringLiteral("engano"));
        const ReportDocument estornado = Comprovante::gera(program->dm->SQLConnection1, 1);
        QVERIFY(estornado.plainText().contains(QStringLiteral("ESTORNADA em")));
        const QStringList paginas = estornado.plainText().split(QLatin1Char('\f'));
        for (const QString &pagina : paginas)
            QVERIFY2(pagina.contains(QStringLiteral("ESTORNADA — SEM VALOR")), qPrintable(pagina));
        ReportModule(QString()).save(estornado, pdf);
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        const QString lido = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(lido.contains(QStringLiteral("ESTORNADA — SEM VALOR")), qPrintable(lido));
    }

    // The amount of a receipt in words, as Portuguese writes it.
    void amountInWords_data()
    {
        QTest::addColumn<qint64>("centavos");
        QTest::addColumn<QString>("words");
        QTest::newRow("zero") << qint64(0) << "zero reais";
        QTest::newRow("one cent") << qint64(1) << "um centavo";
        QTest::newRow("one real") << qint64(100) << "um real";
        QTest::newRow("receipt") << qint64(31425) << "trezentos e catorze reais e vinte e cinco centavos";
        QTest::newRow("cem") << qint64(10000) << "cem reais";
        QTest::newRow("cento e um") << qint64(10100) << "cento e um reais";
        QTest::newRow("mil") << qint64(100000) << "mil reais";
        QTest::newRow("mil e cem") << qint64(110000) << "mil e cem reais";
        QTest::newRow("mil duzentos e cinquenta") << qint64(125000) << "mil duzentos e cinquenta reais";
        QTest::newRow("dois mil e cinco") << qint64(200500) << "dois mil e cinco reais";
        QTest::newRow("milhão") << qint64(100000000) << "um milhão de reais";
        QTest::newRow("milhões e mil") << qint64(200100000) << "dois milhões e mil reais";
        QTest::newRow("negative") << qint64(-1050) << "dez reais e cinquenta centavos";
    }
    void amountInWords()
    {
        QFETCH(qint64, centavos);
        QFETCH(QString, words);
        QCOMPARE(valorPorExtenso(Decimal(centavos, 2)), words);
    }

    // The list shows the convênio's settlements newest first with their state; the receipt opens in
    // the preview from there, and from the success message.
    void listAndPreview()
    {
        start(cashRegister);
        settle(QStringLiteral("PEDIDO"));
        settle(QStringLiteral("PERIODO"));
        Estorno::estorna(*program->dm, 2, contexto(), QStringLiteral("engano"));
        QuitacoesWindow w(program->sessao, QStringLiteral("Beta & Cia"));
        QCOMPARE(w.Lista->rowCount(), 2);
        QCOMPARE(w.Lista->item(0, 0)->text(), QStringLiteral("2"));
        QVERIFY(w.Lista->item(0, 9)->text().startsWith(QStringLiteral("Estornada em")));
        QCOMPARE(w.Lista->item(1, 9)->text(), QStringLiteral("Ativa"));
        QVERIFY(!w.BotEstornar->isEnabled());
        w.Lista->setCurrentCell(1, 0);
        QVERIFY(w.BotEstornar->isEnabled());
        QString shown;
        const auto closePreview = [&](ReportPreviewDialog *preview) {
            shown = preview->windowTitle();
            preview->close();
        };
        onceShown<ReportPreviewDialog>(closePreview);
        w.BotComprovante->click();
        QCOMPARE(shown, QStringLiteral("Report Preview"));

        // From the success message of a settlement.
        messages->option = true;
        shown.clear();
        onceShown<ReportPreviewDialog>(closePreview);
        settle(QStringLiteral("CONVENIO"));
        QCOMPARE(shown, QStringLiteral("Report Preview"));
    }

    void withoutTheRecordsTablesEachCommandSettlesAndSaysSo_data() { commands_data(); }

    // A central database whose record is missing or of an older version: each command asks, settles
    // the same rows and says that no record was kept; its receipt still shows; the list of
    // settlements says what is missing.
    void withoutTheRecordsTablesEachCommandSettlesAndSaysSo()
    {
        QFETCH(QString, command);
        QFETCH(QString, orders);
        suite->exec(QStringLiteral("delete from CONVENIOS_VERSAO where VERSAO > 1"));
        start(cashRegister);
        const QString before = tables();
        messages->option = true;
        QString shown;
        onceShown<ReportPreviewDialog>([&](ReportPreviewDialog *preview) {
            shown = preview->windowTitle();
            preview->close();
        });
        settle(command);
        QCOMPARE(messages->confirmations.size(), 1);
        QVERIFY2(messages->messages.last().startsWith(QStringLiteral("Procedimento concluído com sucesso.\n%1 pedido")
                                                          .arg(orders.count(',') + 1)),
                 qPrintable(messages->messages.last()));
        QVERIFY2(messages->messages.last().contains(QStringLiteral("Nenhum registro desta quitação foi guardado")),
                 qPrintable(messages->messages.last()));
        QVERIFY(!messages->messages.last().contains(QStringLiteral("quitação nº")));
        QCOMPARE(shown, QStringLiteral("Report Preview"));
        QVERIFY(tables() != before);
        QCOMPARE(suite->count(QStringLiteral("QUITACOES")), 0);
        QCOMPARE(suite->count(QStringLiteral("QUITACAO_PEDIDOS")), 0);

        form().BotQuitacoes->click();
        QCOMPARE(messages->messages.last(), Registro::mensagemSemRegistro());
    }

    // The confirmation binds: when another workstation changes the orders between the question and
    // the run, nothing is settled and the question comes again with the new figures.
    void confirmationIsAskedAgainWhenTheOrdersChanged()
    {
        start(cashRegister);
        const QDate di(2026, 11, 1), df(2026, 11, 30), pagamento(2026, 12, 5);
        const QString condicao = QuitacaoConvenio::Sql::condicaoDoPeriodo(QStringLiteral("Beta & Cia"), QStringLiteral("11/01/26"),
                                                                        QStringLiteral("11/30/26"));
        int runs = 0;
        const auto feita = Confirmacao::confirmaEExecuta(
            {contexto(), di, df, pagamento, {}, {}, {}}, program->dm->SQLConnection1, condicao,
            [&](const MotorQuitacao::Opcoes &opcoes) {
                if (runs++ == 0) {   // after the first "yes"
                    order(7, QDate(2026, 11, 20), QStringLiteral("110.00"));
                    suite->exec(QStringLiteral("update PEDIDOS set VALORRESTANTE = 30 where NPEDIDO = 1"));
                }
                return QuitacaoConvenio::QuitaConvenio(*program->dm, contexto(), di, df, pagamento, {}, opcoes);
            });
        QVERIFY(feita.has_value());
        QCOMPARE(runs, 2);
        QCOMPARE(messages->confirmations.size(), 2);
        const auto reais = [](const char *v) { return QStringLiteral("R$ ") + Decimal::parse(QString::fromLatin1(v))->toDisplayText(QLocale(), 2); };
        QVERIFY2(messages->confirmations[0].contains(QStringLiteral("Pedidos: 3, valor restante total: ") + reais("75.40")),
                 qPrintable(messages->confirmations[0]));
        QVERIFY2(messages->confirmations[1].startsWith(QStringLiteral("Os pedidos mudaram depois da sua confirmação")),
                 qPrintable(messages->confirmations[1]));
        QVERIFY2(messages->confirmations[1].contains(QStringLiteral("Pedidos: 4, valor restante total: ") + reais("190.40")),
                 qPrintable(messages->confirmations[1]));
        QCOMPARE(feita->quitacao.pedidos, 4);
        QCOMPARE(feita->quitacao.total.toSqlText(), QStringLiteral("190.40"));
        QCOMPARE(suite->count(QStringLiteral("QUITACOES")), 1);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 4);
    }

    // Quitar dates again the orders of the period paid before: the question and the success line
    // say which and how much, apart from what is received now, and whether cash was posted.
    void ordersPaidBeforeAreToldApart()
    {
        // Every amount labelled and in reais, numbers as the workstation writes them.
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        const auto locale = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        start({});
        QVERIFY(program->dm->Convenios.locate(QStringLiteral("Beta & Cia")));
        settle(QStringLiteral("CONVENIO"));
        QCOMPARE(messages->confirmations.size(), 1);
        const QString pergunta = messages->confirmations[0];
        QVERIFY2(pergunta.contains(QStringLiteral("Pedidos: 3, valor restante total: R$ 75,40\n"
                                                  "Dos quais já pagos antes, que só recebem a nova data de pagamento: 1, "
                                                  "valor restante de R$ 9,90\nA receber agora: R$ 65,50")),
                 qPrintable(pergunta));
        QVERIFY2(messages->messages.last().contains(QStringLiteral(
                     "3 pedidos quitados, valor restante de R$ 75,40 (dos quais 1 já estava pago e só recebeu a nova "
                     "data: R$ 9,90; recebido agora: R$ 65,50), nenhum movimento de caixa lançado")),
                 qPrintable(messages->messages.last()));
        // The record tells the same.
        const Registro::Quitacao q = Registro::le(program->dm->SQLConnection1, lastSettlement());
        QCOMPARE(q.jaPagos, 1);
        QCOMPARE(q.totalJaPagos.toSqlText(), QStringLiteral("9.90"));
    }

    // A settlement of nothing is refused before the question.
    void settlementOfNothingIsRefusedBeforeTheQuestion()
    {
        start(cashRegister);
        form().BotQuitaConvenio->click();
        confirmPeriod(QStringLiteral("01/01/26"), QStringLiteral("31/01/26"), QStringLiteral("05/12/26"));
        QCOMPARE(messages->confirmations.size(), 0);
        QCOMPARE(messages->messages.last(), QStringLiteral("Nenhum pedido no período."));
        QCOMPARE(suite->count(QStringLiteral("QUITACOES")), 0);
    }

    // A settlement that posted cash is reversed at the cash register, whose session receives the
    // counter-movements; elsewhere the reversal is refused and changes nothing.
    void reversalOfPostedCashOnlyAtTheCashRegister()
    {
        start(cashRegister);
        settle(QStringLiteral("CONVENIO"));
        const int codigo = lastSettlement();
        const QString settled = tables();
        ContextoQuitacao balcao = contexto();
        balcao.caixaAtual.clear();
        balcao.sessaoCaixa.clear();
        QVERIFY_THROWS_EXCEPTION(Estorno::Recusado, Estorno::estorna(*program->dm, codigo, balcao, QStringLiteral("x")));
        try {
            Estorno::estorna(*program->dm, codigo, balcao, QStringLiteral("x"));
        } catch (const Estorno::Recusado &r) {
            QCOMPARE(r.mensagem(), Estorno::mensagemSoNoCaixa(3));
        }
        QCOMPARE(tables(), settled);
        QVERIFY(!Registro::le(program->dm->SQLConnection1, codigo).estornada());
    }

    // The reversal's question says what happens to these orders and movements, and where the cash goes.
    void reversalQuestionSaysWhatHappens_data()
    {
        QTest::addColumn<int>("jaPagos");
        QTest::addColumn<int>("movimentos");
        QTest::addColumn<bool>("noCaixa");
        QTest::addColumn<QString>("says");
        QTest::newRow("open again, cash to this session") << 0 << 3 << true
            << "Os pedidos voltam a ficar em aberto.\nOs 3 movimentos de caixa que ela lançou recebem um contramovimento de "
               "saída no caixa 4, sessão S7.";
        QTest::newRow("back to their payment, no cash") << 3 << 0 << false
            << "Os pedidos, já pagos antes dela, voltam à data de pagamento que tinham.\nEla não lançou movimentos de caixa.";
        QTest::newRow("some of each, cash elsewhere") << 1 << 1 << false
            << "2 pedidos voltam a ficar em aberto; 1, já pago antes dela, volta à data de pagamento que tinha.\nEsta "
               "quitação lançou 1 movimento de caixa: o estorno deve ser feito no Caixa, cuja sessão recebe os "
               "contramovimentos.";
    }

    void reversalQuestionSaysWhatHappens()
    {
        QFETCH(int, jaPagos);
        QFETCH(int, movimentos);
        QFETCH(bool, noCaixa);
        QFETCH(QString, says);
        Registro::Quitacao q;
        q.codigo = 5;
        q.convenio = QStringLiteral("Beta & Cia");
        q.pedidos = 3;
        q.jaPagos = jaPagos;
        q.movimentos = movimentos;
        ContextoQuitacao c;
        if (noCaixa) {
            c.caixaAtual = QStringLiteral("4");
            c.sessaoCaixa = QStringLiteral("S7");
        }
        const QString text = EstornoDialog::pergunta(q, c);
        QVERIFY2(text.endsWith(says), qPrintable(text));
        EstornoDialog d(q, c);
        QCOMPARE(d.EditMotivo->isEnabled(), movimentos == 0 || noCaixa);
    }

    // A reversal the database refuses part-way leaves nothing of it, and says so.
    void failedReversalSaysNothingWasReversed()
    {
        start(cashRegister);
        settle(QStringLiteral("CONVENIO"));
        const int codigo = lastSettlement();
        const QString settled = tables();
        const int movements = suite->count(QStringLiteral("MOVCAIXA"));
        suite->exec(QStringLiteral("create exception SEM_ESTORNO 'o caixa está fechado'"));
        suite->exec(QStringLiteral("create trigger T_SEM_ESTORNO for MOVCAIXA before insert as begin if (new.SINALQUITACAO = "
                                   "'Estorno') then exception SEM_ESTORNO; end"));
        reverseFromTheList(codigo, QStringLiteral("teste"));
        QVERIFY2(messages->messages.last().contains(QStringLiteral("o caixa está fechado")), qPrintable(messages->messages.last()));
        QVERIFY2(messages->messages.last().endsWith(QStringLiteral("Nada foi estornado: o estorno foi desfeito por inteiro.")),
                 qPrintable(messages->messages.last()));
        QCOMPARE(tables(), settled);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), movements);
        QVERIFY(!Registro::le(program->dm->SQLConnection1, codigo).estornada());
    }

    // Only a supervisor, with their password, authorises a reversal; the record keeps who asked and
    // who authorised.
    void reversalIsAuthorisedBySupervisorsOnly_data()
    {
        QTest::addColumn<QString>("supervisor");
        QTest::addColumn<QString>("senha");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("supervisor") << "admin" << "123" << "";
        QTest::newRow("wrong password") << "ADMIN" << "124" << "Senha incorreta. Tente novamente.";
        QTest::newRow("not a supervisor") << "MARIA" << "ABC"
                                          << "MARIA não é supervisor das quitações: o estorno precisa da senha de um "
                                             "supervisor (ADMIN).";
    }

    void reversalIsAuthorisedBySupervisorsOnly()
    {
        QFETCH(QString, supervisor);
        QFETCH(QString, senha);
        QFETCH(QString, refusal);
        start(cashRegister);
        settle(QStringLiteral("CONVENIO"));
        const int codigo = lastSettlement();
        ContextoQuitacao maria = contexto();
        maria.usuario = QStringLiteral("MARIA");
        const Registro::Quitacao q = Registro::le(program->dm->SQLConnection1, codigo);
        EstornoDialog d(q, maria);
        d.confere = [&](const QString &s, const QString &p) { return Autorizacao::confere(program->dm->SQLConnection1, s, p); };
        QCOMPARE(d.EditSupervisor->text(), QStringLiteral("MARIA"));   // who asks, to start with
        d.EditSupervisor->setText(supervisor);
        QTest::keyClicks(d.EditMotivo, QStringLiteral("valor errado"));
        QTest::keyClicks(d.EditSenha, senha);
        const int shown = int(messages->messages.size());
        d.BotEstornar->click();
        if (refusal.isEmpty()) {
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(d.supervisor(), QStringLiteral("ADMIN"));
            Estorno::estorna(*program->dm, codigo, maria, d.motivo(), {}, d.supervisor());
            const Registro::Quitacao estornada = Registro::le(program->dm->SQLConnection1, codigo);
            QCOMPARE(estornada.estornoUsuario, QStringLiteral("MARIA"));
            QCOMPARE(estornada.estornoAutorizado, QStringLiteral("ADMIN"));
            QVERIFY2(estornada.situacao().endsWith(QStringLiteral(" por MARIA, autorizada por ADMIN")), qPrintable(estornada.situacao()));
        } else {
            QCOMPARE(messages->messages.size(), shown + 1);
            QCOMPARE(messages->messages.last(), refusal);
            QVERIFY(d.result() != int(QDialog::Accepted));
            QVERIFY(d.EditSenha->text().isEmpty());
        }
    }

    // Each receipt proposes a file of its own; the issuer is found also when the run knew no
    // workstation (a stored logon), by the user who settled.
    void receiptNamesItsFileAndFindsTheIssuer()
    {
        start({});
        MotorQuitacao::Resultado feita;
        feita.quitacao.codigo = 12;
        feita.quitacao.convenio = QStringLiteral("Beta & Cia / Filial: Sul");
        feita.quitacao.usuario = QStringLiteral("ADMIN");
        QCOMPARE(Comprovante::nomeDoArquivo(feita.quitacao), QStringLiteral("comprovante-12-Beta-&-Cia-Filial-Sul"));
        feita.codigo = 0;   // no record: the header comes from what the settlement knows
        feita.quitacao.codigo = 0;
        feita.quitacao.dataHora = QDateTime(QDate(2026, 12, 5), QTime(14, 7, 9));
        QCOMPARE(Comprovante::nomeDoArquivo(feita.quitacao),
                 QStringLiteral("comprovante-20261205-140709-Beta-&-Cia-Filial-Sul"));
        const RowSet cabecalho = Comprovante::modulo(program->dm->SQLConnection1, feita)->rowsOf(QStringLiteral("rdsQuitacao"));
        QCOMPARE(cabecalho.value(0, QStringLiteral("FARMACIA")).toString(), QStringLiteral("Farmácia Modelo"));
        QCOMPARE(cabecalho.value(0, QStringLiteral("IDENTIFICACAO")).toString(), QStringLiteral("CNPJ 12.345.678/0001-90"));
        // The preview's Save proposes that name, in the user's documents folder, and says where it saved.
        QCOMPARE(cabecalho.value(0, QStringLiteral("ARQUIVO")).toString(), QStringLiteral("comprovante-20261205-140709-Beta-&-Cia-Filial-Sul"));
    }

    // With the module's billing settings holding a PIX receiver, the printed receipt carries the PIX
    // charge of its total and is dated in the settings' city; a reversed one charges nothing.
    void printedReceiptCarriesPixAndPlace()
    {
        start(cashRegister);
        settle(QStringLiteral("CONVENIO"));
        ConfiguracoesFaturamento c;
        c.pix = {QStringLiteral("12345678000190"), QStringLiteral("Farmacia Modelo"), QStringLiteral("Florianopolis")};
        ConfiguracoesDados::grava(suite->central(), c, QStringLiteral("ADMIN"));
        const QString hoje =
            QLocale(QLocale::Portuguese, QLocale::Brazil).toString(QDate::currentDate(), QStringLiteral("d 'de' MMMM 'de' yyyy"));

        QString previewed;
        onceShown<ReportPreviewDialog>([&](ReportPreviewDialog *preview) {
            previewed = preview->windowTitle();
            preview->close();
        });
        Comprovante::mostra(program->dm->SQLConnection1, lastSettlement());
        QCOMPARE(previewed, QStringLiteral("Report Preview"));
        const ReportDocument doc = Comprovante::gera(program->dm->SQLConnection1, lastSettlement());
        const QString text = doc.plainText();
        QVERIFY2(text.contains(QStringLiteral("Florianopolis, ") + hoje), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Pague com PIX: R$ 75,40")), qPrintable(text));
        QCOMPARE(doc.pages.last().images.size(), 1);
        const QString payload = text.section(QStringLiteral("PIX copia e cola:\n"), 1).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(payload.startsWith(QStringLiteral("000201")) && payload.contains(QStringLiteral("540575.40")), qPrintable(payload));

        Estorno::estorna(*program->dm, lastSettlement(), contexto(), QStringLiteral("engano"));
        const ReportDocument estornado = Comprovante::gera(program->dm->SQLConnection1, lastSettlement());
        QVERIFY(!estornado.plainText().contains(QStringLiteral("PIX")));
        QVERIFY(estornado.pages.last().images.isEmpty());
    }

    // A settlement or a reversal that finds the convênio claimed by another workstation says so
    // before it waits, then does its work once that one ended; one that finds it free says nothing.
    void waitingForTheConvenioIsSaid()
    {
        start(cashRegister);
        settle(QStringLiteral("PEDIDO"));
        const QString database = suite->central().database();
        // Another workstation holds the claim of "Beta & Cia" for a while, then commits.
        const auto outraEstacao = [&](std::atomic<bool> &segura) {
            return std::thread([&segura, database, c = contexto()] {
                Connection outra(QStringLiteral("outra"));
                outra.setDatabase(database);
                outra.begin();
                Registro::reivindica(outra, QStringLiteral("Beta & Cia"), c);
                segura = true;
                QThread::msleep(1500);
                outra.commit();
                outra.close();
            });
        };

        // The settlement engine, told through its context.
        int avisos = 0;
        ContextoQuitacao c = contexto();
        c.aguardandoConvenio = [&avisos] { ++avisos; };
        QuitacaoConvenio::QuitaConvenio(*program->dm, c, QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5));
        QCOMPARE(avisos, 0);
        std::atomic<bool> segura = false;
        std::thread t = outraEstacao(segura);
        QTRY_VERIFY(segura.load());
        QuitacaoConvenio::QuitaConvenio(*program->dm, c, QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5));
        t.join();
        QCOMPARE(avisos, 1);

        // The reversal from the list of settlements: its window says what it waits for.
        QuitacoesWindow w(program->sessao, QStringLiteral("Beta & Cia"));
        w.show();
        segura = false;
        t = outraEstacao(segura);
        QTRY_VERIFY(segura.load());
        onceShown<EstornoDialog>([&](EstornoDialog *d) {
            QTest::keyClicks(d->EditMotivo, QStringLiteral("engano"));
            QTest::keyClicks(d->EditSenha, QStringLiteral("123"));
            QTest::keyClick(d->EditMotivo, Qt::Key_Return);
        });
        w.Lista->setCurrentCell(0, 0);
        const int codigo = w.atual()->codigo;
        w.BotEstornar->click();
        t.join();
        QCOMPARE(w.LabelAguarde->text(), WaitPanel::TextoAguardandoConvenio);
        QVERIFY(w.LabelAguarde->isHidden());   // it went once the reversal ended
        QVERIFY(Registro::le(program->dm->SQLConnection1, codigo).estornada());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The list of settlements: one convênio's or all, between two days, a text looked for, and its
    // totals; caixa and sessão only where cash was posted; the reversal's details in columns.
    void listOfSettlementsFiltersAndTotals()
    {
        start(cashRegister);
        settle(QStringLiteral("CONVENIO"));   // Beta & Cia, with cash
        ContextoQuitacao semCaixa = contexto(QStringLiteral("Alfa Ltda"));
        semCaixa.convenioAtual = QStringLiteral("Alfa Ltda");
        semCaixa.caixaAtual.clear();
        semCaixa.sessaoCaixa.clear();
        const int alfa = QuitacaoConvenio::QuitaConvenio(*program->dm, semCaixa, QDate(2026, 11, 1), QDate(2026, 11, 30),
                                                         QDate(2026, 12, 5)).codigo;
        Estorno::estorna(*program->dm, alfa, semCaixa, QStringLiteral("engano"), {}, QStringLiteral("ADMIN"));

        QuitacoesWindow w(program->sessao, QStringLiteral("Beta & Cia"));
        QCOMPARE(w.Lista->rowCount(), 1);
        QVERIFY(!w.Lista->item(0, 7)->text().isEmpty());   // posted to the cash register
        w.CheckTodos->setChecked(true);
        QCOMPARE(w.Lista->rowCount(), 2);
        QCOMPARE(w.Lista->item(0, 10)->text(), QStringLiteral("Alfa Ltda"));
        QCOMPARE(w.Lista->item(0, 7)->text(), QString());   // nothing posted
        QCOMPARE(w.Lista->item(0, 12)->text(), QStringLiteral("ADMIN"));
        QCOMPARE(w.Lista->item(0, 14)->text(), QStringLiteral("engano"));
        QVERIFY(w.Lista->item(0, 9)->toolTip().contains(QStringLiteral("Motivo: engano")));
        const QLocale l;
        QCOMPARE(w.LabelTotais->text(), QStringLiteral("1 ativas, R$ %1; 1 estornadas, R$ %2")
                                            .arg(Decimal(7540, 2).toDisplayText(l, 2), Decimal(800, 2).toDisplayText(l, 2)));
        w.EditBusca->setText(QStringLiteral("alfa"));
        QVERIFY(w.Lista->isRowHidden(1) && !w.Lista->isRowHidden(0));
        // Imprimir prints the rows shown, with what chose them.
        ReportDocument impresso;
        w.RM().setPreviewRunner([&](ReportModule &, const ReportDocument &doc) { impresso = doc; });
        w.BotImprimir->click();
        const QString texto = impresso.plainText();
        QVERIFY2(texto.startsWith(QStringLiteral("Farmácia Modelo\nCNPJ 12.345.678/0001-90\nQuitações de convênios\n"
                                                 "Todos os convênios - contendo \"alfa\"")),
                 qPrintable(texto));
        QVERIFY(texto.contains(QStringLiteral("\tAlfa Ltda\t")));
        QVERIFY(!texto.contains(QStringLiteral("Beta & Cia")));
        QVERIFY2(texto.contains(QStringLiteral("1 quitação: 0 ativas, 1 estornada (R$ 8,00)\tTotal das ativas:\tR$ 0,00")),
                 qPrintable(texto));
        w.EditBusca->clear();
        w.EditDe->setDate(QDate::currentDate().addDays(1));   // none made from tomorrow on
        QCOMPARE(w.Lista->rowCount(), 0);
        w.EditDe->setDate(QuitacoesWindow::SemLimite);
        w.EditAte->setDate(QDate::currentDate());
        QCOMPARE(w.Lista->rowCount(), 2);
    }

    // What stops a settlement is said before the user confirms it.
    void unwritableTraceFileIsReportedBeforeTheConfirmation()
    {
        start(cashRegister);
        QDir(suite->root()).mkdir(QStringLiteral("QUITACONV.TXT"));   // a folder where the file goes
        const QString before = tables();
        settle(QStringLiteral("CONVENIO"));
        QCOMPARE(messages->confirmations.size(), 0);
        QVERIFY2(messages->messages.last().contains(QStringLiteral("QUITACONV.TXT")), qPrintable(messages->messages.join('\n')));
        QCOMPARE(tables(), before);
    }
};

QTEST_MAIN(TstRecords)
#include "tst_records.moc"
