// The statement window on fixture orders: what it lists and totals, its SQL texts, the detail
// panes, the period redefinition from the keyboard and the settlements from its list.
#include "session/Configuracao.h"
#include "session/Sessao.h"
#include "controls/DBGrid.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "reports/ReportModule.h"
#include "extrato/ExtratoDocument.h"
#include "extrato/ExtratoWindow.h"
#include "extrato/DetalhesDaLista.h"
#include "data/PedidosDoPeriodo.h"
#include "settlement/QuitacaoExtrato.h"
#include "settlement/windows/WaitPanel.h"
#include "tests/support/TestSuite.h"

#include <QHeaderView>
#include <QProcess>
#include <QtTest>

class TstExtrato : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<CentralData> dm;
    std::unique_ptr<InterfaceData> dm2;
    Sessao sessao;   // the run the statement belongs to
    std::unique_ptr<Messages::Recorder> messages;
    std::unique_ptr<ExtratoWindow> w;

    void addOrder(int n, const QString &convenio, const QDate &date, const QVariant &restante,
                  const QString &nome = QStringLiteral("Cliente"), const QString &tipo = QStringLiteral("Pedido"),
                  const QVariant &pago = {})
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, PRECOFINAL, "
                           "VALORRESTANTE, DATAPAGAMENTO, FORMAPAGAMENTO) values ('01', ?, ?, ?, ?, ?, 99.90, ?, ?, 'Convênio')"),
            {n, nome, convenio, date, tipo, restante, pago});
    }

    void setPeriod(const QDate &di, const QDate &df)
    {
        suite->iface().execute(QStringLiteral("delete from PERIODO"));
        suite->iface().execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values (?, ?)"), {di, df});
    }

    QPair<QDate, QDate> storedPeriod()
    {
        const RowSet rs = suite->iface().query(QStringLiteral("select DATAINICIAL, DATAFINAL from PERIODO"));
        return {rs.rows[0][0].toDate(), rs.rows[0][1].toDate()};
    }

    void open(const QString &convenio = QStringLiteral("Beta & Cia"))
    {
        sessao.central = dm.get();
        sessao.interfaceData = dm2.get();
        w = std::make_unique<ExtratoWindow>(sessao, convenio);
        w->show();
        QTRY_VERIFY(!w->Label6->text().startsWith(QStringLiteral("Pagamentos")));
    }

    // The order numbers a select gives, in its order.
    QStringList numbersOf(const QString &sql)
    {
        QStringList out;
        const RowSet rs = suite->central().query(sql);
        for (int r = 0; r < rs.rowCount(); ++r)
            out << rs.value(r, QStringLiteral("NPEDIDO")).toString();
        return out;
    }

    QStringList listedNumbers()
    {
        QStringList out;
        for (int r = 0; r < dm->PEDIDOS.recordCount(); ++r)
            out << dm->PEDIDOS.valueAt(r, QStringLiteral("NPEDIDO")).toString();
        return out;
    }

private slots:
    void init()
    {
        suite = std::make_unique<TestSuite>();
        suite->seedRegister();
        // November 2026 for "Beta & Cia": first and last day, a null remaining value, and rows that never show.
        addOrder(1, QStringLiteral("Beta & Cia"), QDate(2026, 11, 1), QStringLiteral("10.00"), QStringLiteral("Zélia"));
        addOrder(2, QStringLiteral("Beta & Cia"), QDate(2026, 11, 5), QStringLiteral("20.50"), QStringLiteral("Ana"));
        addOrder(3, QStringLiteral("Beta & Cia"), QDate(2026, 11, 9), QVariant(), QStringLiteral("Bruno"));
        addOrder(4, QStringLiteral("Beta & Cia"), QDate(2026, 11, 20), QStringLiteral("100.00"), QStringLiteral("Carla"));
        addOrder(5, QStringLiteral("Beta & Cia"), QDate(2026, 11, 30), QStringLiteral("1000.01"), QStringLiteral("Ana"));
        addOrder(6, QStringLiteral("Beta & Cia"), QDate(2026, 11, 10), QStringLiteral("7.00"), QStringLiteral("X"),
                 QStringLiteral("Orcam"));
        addOrder(7, QStringLiteral("Beta & Cia"), QDate(2026, 11, 10), QStringLiteral("7.00"), QStringLiteral("X"),
                 QStringLiteral("Pedido"), QDate(2026, 11, 11));
        addOrder(8, QStringLiteral("Alfa Ltda"), QDate(2026, 11, 10), QStringLiteral("7.00"));
        addOrder(9, QStringLiteral("Beta & Cia"), QDate(2026, 12, 1), QStringLiteral("7.00"));
        // Order 1: items and formulas (only the items show); order 2: formulas 1 and 12; order 3: nothing.
        Connection &c = suite->central();
        c.execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO, QDE, UNIDADE) values ('01', 1, 'P1', 'Dipirona', 2, 'CX')"));
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA) values ('01', 1, 1, 'Cápsula')"));
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA) values ('01', 2, 1, 'Creme')"));
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA) values ('01', 2, 12, 'Xarope')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG, QDEDIG, UNIDDIG) values ('01', 2, 1, 'A', 'Ureia', 10, '%')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG, QDEDIG, UNIDDIG) values ('01', 2, 12, 'B', 'Mel', 5, 'ml')"));
        setPeriod(QDate(2026, 11, 1), QDate(2026, 11, 30));
        dm = std::make_unique<CentralData>(QString());
        dm2 = std::make_unique<InterfaceData>(QString(), QString());
        messages = std::make_unique<Messages::Recorder>();
        StatementLog::clear();
    }

    void cleanup()
    {
        w.reset();
        messages.reset();
        dm2.reset();
        dm.reset();
        suite.reset();
        sessao = Sessao{};
    }

    void listsTheOpenOrdersOfThePeriod()
    {
        open();
        QCOMPARE(listedNumbers(), (QStringList{"1", "2", "3", "4", "5"}));
        QCOMPARE(w->Label8->text(), Decimal(113051, 2).toDisplayText(QLocale(), 2));   // the null value adds nothing
        QCOMPARE(w->windowTitle(), QStringLiteral("Extrato de pagamentos em aberto do convênio Beta & Cia de 01/11/26 a 30/11/26"));
        QCOMPARE(w->Label6->text(), QStringLiteral("Lista de pagamentos em aberto no período de 01/11/26 a 30/11/26"));
        QCOMPARE(w->Label1->text(), QStringLiteral("Beta & Cia"));
        QCOMPARE(w->MaskEdit1->text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yy")));
        QCOMPARE(w->LabelDi->text(), QStringLiteral("01/11/26"));
        // The list and the total are those of the statement's own selects, run as they stand.
        QCOMPARE(listedNumbers(), numbersOf(QuitacaoExtrato::Sql::pedidosDoPeriodo(
                                      CentralData::PedidosColumns, QuitacaoExtrato::Sql::Ordem::Abertura,
                                      QStringLiteral("Beta & Cia"), QStringLiteral("11/01/26"), QStringLiteral("11/30/26"))));
        const RowSet total = suite->central().query(QuitacaoExtrato::Sql::totalDoPeriodo(
            QStringLiteral("Beta & Cia"), QStringLiteral("11/01/26"), QStringLiteral("11/30/26")));
        QCOMPARE(w->Label8->text(), Decimal::fromVariant(total.rows[0][0]).toDisplayText(QLocale(), 2));
        // Both ends of the period are drawn in the info colour; a date outside in white.
        QVERIFY(w->dentroDoPeriodo(QDate(2026, 11, 1)));
        QVERIFY(w->dentroDoPeriodo(QDate(2026, 11, 30)));
        QVERIFY(!w->dentroDoPeriodo(QDate(2026, 12, 1)));
    }

    // The list says which amount is which: each order's price, what it still owes as the last
    // column, their sum in the box, and how many orders there are; the panes show prices; the
    // current order is filled.
    void amountsCountPricesAndTheCurrentOrder()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        const auto volta = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        suite->central().execute(QStringLiteral("update ITENS set VALFINAL = 1234.5 where NPEDIDO = 1"));
        suite->central().execute(QStringLiteral("update PEDIFORM set PRECOFORMULA = 80 where NPEDIDO = 2 and NFORMULA = 12"));
        open();
        const auto titulos = [](DBGrid *grid) {
            QStringList out;
            QHeaderView *h = grid->horizontalHeader();
            for (int v = 0; v < h->count(); ++v)
                if (!h->isSectionHidden(h->logicalIndex(v)))
                    out << grid->model()->headerData(h->logicalIndex(v), Qt::Horizontal).toString();
            return out;
        };
        QCOMPARE(titulos(w->DBGrid1).mid(4), (QStringList{"Forma de Pagamento", "Preço (R$)", "Em Aberto (R$)"}));
        QCOMPARE(w->Label7->text(), QStringLiteral("Total em Aberto (R$):"));
        QCOMPARE(w->Label8->text(), QStringLiteral("1.130,51"));
        QCOMPARE(w->LabelQuantidade->text(), QStringLiteral("5 pedidos na lista"));
        const int emAberto = dm->PEDIDOS.fieldIndex(QStringLiteral("VALORRESTANTE"));
        QCOMPARE(dm->PEDIDOS.displayText(4, emAberto), QStringLiteral("1.000,01"));

        QCOMPARE(titulos(w->DBGrid2).last(), QStringLiteral("Valor (R$)"));
        QCOMPARE(dm->ITENS.displayText(0, dm->ITENS.fieldIndex(QStringLiteral("VALFINAL"))), QStringLiteral("1.234,50"));
        dm->PEDIDOS.moveTo(1);
        QCOMPARE(titulos(w->DBGrid3).last(), QStringLiteral("Preço (R$)"));
        QCOMPARE(dm->PEDIFORM.displayText(1, dm->PEDIFORM.fieldIndex(QStringLiteral("PRECOFORMULA"))), QStringLiteral("80,00"));

        // The current order's row is drawn filled, the others in the list's own colour.
        QApplication::processEvents();
        const QImage lista = w->DBGrid1->viewport()->grab().toImage();
        const auto cor = [&](int row) {
            const QRect r = w->DBGrid1->visualRect(w->DBGrid1->model()->index(row, dm->PEDIDOS.fieldIndex(QStringLiteral("NOME"))));
            return lista.pixelColor(r.right() - 2, r.center().y());
        };
        QCOMPARE(cor(1), QColor(0, 0, 128));
        QVERIFY(cor(0) != QColor(0, 0, 128));
    }

    // By date as the database orders; by name as a Brazilian reader orders names, accents and case
    // aside ("Ângela" after "Ana" and before "Bruno"; the code page's bytes would put it last), then
    // by date; the button of the order in force shows an arrow.
    void sortButtons()
    {
        suite->central().execute(QStringLiteral("update PEDIDOS set NOME = 'Ângela' where NPEDIDO = 4"));
        suite->central().execute(QStringLiteral("update PEDIDOS set NOME = 'bruno' where NPEDIDO = 3"));
        open();
        QVERIFY(!w->BitBtn4->icon().isNull() && w->BitBtn3->icon().isNull());
        w->BitBtn3->click();
        QCOMPARE(listedNumbers(), (QStringList{"2", "5", "4", "3", "1"}));
        QVERIFY(w->BitBtn4->icon().isNull() && !w->BitBtn3->icon().isNull());
        QCOMPARE(dm->PEDIDOS.recNo(), 0);
        // A settlement of one order reads the list again: it stays in that order.
        dm->PEDIDOS.moveTo(2);
        w->MaskEdit1->setText(QStringLiteral("01/12/26"));
        w->Quitaropedidoselecionado1->trigger();
        QTRY_COMPARE(listedNumbers(), (QStringList{"2", "5", "3", "1"}));
        w->BitBtn4->click();
        QCOMPARE(listedNumbers(), (QStringList{"1", "2", "3", "5"}));
        QCOMPARE(listedNumbers(), numbersOf(QuitacaoExtrato::Sql::pedidosDoPeriodo(
                                      CentralData::PedidosColumns, QuitacaoExtrato::Sql::Ordem::PorData,
                                      QStringLiteral("Beta & Cia"), QStringLiteral("11/01/26"), QStringLiteral("11/30/26"))));
    }

    void noOpenOrdersSaysSoAndCloses()
    {
        open(QStringLiteral("Drogaria São José"));
        QCOMPARE(messages->messages, QStringList{QStringLiteral("Não há pagamentos em aberto para o convênio \"Drogaria "
                                                                "São José\"\rno período de 01/11/26 e 30/11/26.")});
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(StatementLog::textsContaining(QStringLiteral("SUM(VALORRESTANTE)")).isEmpty());
    }

    void detailPanes()
    {
        open();
        // Order 1 has items and formulas: only the items show.
        QCOMPARE(w->Label5->text(), QStringLiteral("Produtos de Revenda"));
        QVERIFY(w->DBGrid2->isVisible() && !w->DBGrid3->isVisible() && !w->DBGrid4->isVisible());

        dm->PEDIDOS.moveTo(1);   // order 2: formulas 1 and 12
        QCOMPARE(w->Label5->text(), QStringLiteral("Fórmulas Manipuladas"));
        QVERIFY(!w->DBGrid2->isVisible() && w->DBGrid3->isVisible() && w->DBGrid4->isVisible());
        QCOMPARE(dm->COMPEDID.text(QStringLiteral("COMPONENTEDIG")), QStringLiteral("Ureia"));
        dm->PEDIFORM.moveTo(1);   // formula 12 shows its own component
        QCOMPARE(dm->COMPEDID.recordCount(), 1);
        QCOMPARE(dm->COMPEDID.text(QStringLiteral("COMPONENTEDIG")), QStringLiteral("Mel"));

        dm->PEDIDOS.moveTo(2);   // order 3: neither items nor formulas
        QVERIFY(!w->Label5->isVisible() && !w->DBGrid2->isVisible() && !w->DBGrid3->isVisible() && !w->DBGrid4->isVisible());
        dm->PEDIDOS.moveTo(0);
        QVERIFY(w->Label5->isVisible());
    }

    // Every pane of every listed order shows the rows, in their order, that the order's own selects
    // give; the details are read with the list, so moving between orders reads nothing.
    void eachPaneShowsWhatTheOrdersOwnSelectsGive()
    {
        Connection &c = suite->central();
        // Rows stored out of their key's order and a formula without components.
        c.execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO, QDE, UNIDADE, VALFINAL) values ('01', 4, 'P9', 'Xampu', 1, 'FR', 12.5)"));
        c.execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO, QDE, UNIDADE) values ('01', 4, 'P2', 'Algodão', 3, 'PC')"));
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA, PRECOFORMULA) values ('01', 5, 3, 'Gel', 40)"));
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA) values ('01', 5, 2, 'Loção')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG) values ('01', 5, 2, 'Z', 'Zinco')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG) values ('01', 5, 2, 'C', 'Cânfora')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG) values ('01', 2, 12, 'A', 'Água')"));
        open();
        const auto doPrograma = [this] {
            int n = 0;
            for (const StatementLog::Entry &e : StatementLog::entries())
                n += e.connection == dm->SQLConnection1.name();
            return n;
        };
        const int lidas = doPrograma();

        // The given columns of each row, as text: of a pane, or of a select run here.
        const auto linhas = [](int quantas, const QStringList &colunas, const auto &valor) {
            QList<QStringList> out;
            for (int r = 0; r < quantas; ++r) {
                QStringList linha;
                for (const QString &col : colunas)
                    linha << valor(r, col).toString();
                out << linha;
            }
            return out;
        };
        const auto mostra = [&](const CachedTable &t, const QStringList &colunas) {
            return linhas(t.recordCount(), colunas, [&](int r, const QString &col) { return t.valueAt(r, col); });
        };
        const auto seleciona = [&](const QString &sql, const QStringList &colunas) {
            const RowSet rs = c.query(sql);
            return linhas(rs.rowCount(), colunas, [&](int r, const QString &col) { return rs.value(r, col); });
        };
        const QStringList itens{"DESCRICAO", "QDE", "UNIDADE", "VALFINAL"};
        const QStringList formulas{"NFORMULA", "FORMAFARMA", "QDEROTULOS", "QDECAPSULAS", "VOLUMETOTAL", "UNIDADE", "PRECOFORMULA"};
        const QStringList componentes{"COMPONENTEDIG", "QDEDIG", "UNIDDIG"};
        int comFormulas = 0;
        for (int r = 0; r < dm->PEDIDOS.recordCount(); ++r) {
            dm->PEDIDOS.moveTo(r);
            const QString pedido = QStringLiteral(" where ESTACAO = '01' and NPEDIDO = ") + dm->PEDIDOS.text(QStringLiteral("NPEDIDO"));
            const auto esperados = seleciona(QStringLiteral("Select ") + CentralData::ItensColumns + " from ITENS" + pedido, itens);
            QCOMPARE(mostra(dm->ITENS, itens), esperados);
            if (!esperados.isEmpty())
                continue;
            QCOMPARE(mostra(dm->PEDIFORM, formulas),
                     seleciona(QStringLiteral("Select ") + CentralData::PediformColumns + " from PEDIFORM" + pedido, formulas));
            for (int f = 0; f < dm->PEDIFORM.recordCount(); ++f, ++comFormulas) {
                dm->PEDIFORM.moveTo(f);
                QCOMPARE(mostra(dm->COMPEDID, componentes),
                         seleciona(QStringLiteral("Select ") + CentralData::CompedidColumns + " from COMPEDID" + pedido +
                                       " and NFORMULA = " + dm->PEDIFORM.text(QStringLiteral("NFORMULA")),
                                   componentes));
            }
        }
        QCOMPARE(comFormulas, 4);   // order 2's two formulas and order 5's two
        QCOMPARE(doPrograma(), lidas);
    }

    // The details of a list read at once or in pages give each order the rows of its own selects;
    // an order the list's filter no longer selects (paid since the list was read) is read by its key.
    void detailsOfTheListAtOnceOrInPages_data()
    {
        QTest::addColumn<int>("porLeitura");
        QTest::addColumn<int>("porPagina");
        QTest::newRow("at once") << 100 << 100;
        QTest::newRow("in pages of two") << 2 << 2;
    }

    void detailsOfTheListAtOnceOrInPages()
    {
        QFETCH(int, porLeitura);
        QFETCH(int, porPagina);
        Connection &c = suite->central();
        c.execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO) values ('01', 7, 'P7', 'Pago antes')"));
        c.execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO) values ('01', 5, 'P5', 'Último')"));
        DetalhesDaLista detalhes(c, porLeitura, porPagina);
        QList<DetalhesDaLista::Pedido> lista;
        for (int n : {1, 2, 7, 4, 5})
            lista.append({QStringLiteral("01"), n});
        detalhes.novaLista(PedidosDoPeriodo::abertos(QStringLiteral("Beta & Cia"), {QDate(2026, 11, 1), QDate(2026, 11, 30)}), lista);
        const auto descricoes = [](const RowSet &rs) {
            QStringList out;
            for (int r = 0; r < rs.rowCount(); ++r)
                out << rs.value(r, QStringLiteral("DESCRICAO")).toString();
            return out;
        };
        QCOMPARE(descricoes(detalhes.itens(4)), QStringList{QStringLiteral("Último")});
        QCOMPARE(descricoes(detalhes.itens(2)), QStringList{QStringLiteral("Pago antes")});
        QCOMPARE(descricoes(detalhes.itens(0)), QStringList{QStringLiteral("Dipirona")});
        QVERIFY(detalhes.itens(3).rows.isEmpty());
        const RowSet formulas = detalhes.formulas(1);
        QCOMPARE(formulas.rowCount(), 2);
        QCOMPARE(detalhes.componentes(1, formulas.value(0, QStringLiteral("NFORMULA"))).value(0, QStringLiteral("COMPONENTEDIG")).toString(),
                 QStringLiteral("Ureia"));
        QCOMPARE(detalhes.componentes(1, 12).value(0, QStringLiteral("COMPONENTEDIG")).toString(), QStringLiteral("Mel"));
        StatementLog::clear();
        for (int linha = 0; linha < lista.size(); ++linha)
            detalhes.itens(linha);
        QVERIFY(StatementLog::texts().isEmpty());   // everything was read once
    }

    // "Imprimir" hands the company a document of the statement: every open order of the list, in
    // the list's order, with its items or its formulas and each formula's own components.
    void statementDocument()
    {
        const QString longName = QStringLiteral("Maria Aparecida Gonçalves de Albuquerque");   // 40 characters
        const QString longItem = QStringLiteral("Dipirona monoidratada 500 mg comprimidos caixa com vinte unidades sortidas");
        suite->central().execute(QStringLiteral("update PEDIDOS set NOME = ?, MEDICO = 'Dr. Caio Sant''Anna' where NPEDIDO = 5"),
                                 {longName});
        suite->central().execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO, QDE, UNIDADE) "
                                                "values ('01', 4, 'P9', ?, 1.5, 'FR')"),
                                 {longItem.left(70)});
        suite->exec(QStringLiteral("update PEDIFORM set QDECAPSULAS = 60, VOLUMETOTAL = 30, UNIDADE = 'g' where NPEDIDO = 2 and NFORMULA = 1"));
        suite->exec(QStringLiteral("update ESTACOES set CNPJ = '12345678000190' where ESTACAO = '01'"));
        sessao.usuarioLogado = QStringLiteral("admin");
        open();
        w->BitBtn3->click();   // the list by name: 2, 3, 4, 5, 1

        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("extrato.pdf"));
        int runs = 0;
        ReportDocument printed;
        w->RM().setPreviewRunner([&](ReportModule &rm, const ReportDocument &doc) {
            ++runs;
            printed = doc;
            rm.save(doc, pdf, QStringLiteral("Adobe Acrobat (PDF)"));
        });
        QCOMPARE(w->BotImprimir->text(), QStringLiteral("&Imprimir"));
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w->DBGrid1, Qt::Key_I, Qt::AltModifier);   // the accelerator, from the list
        QTRY_COMPARE(runs, 1);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
        QCOMPARE(printed.pages.size(), 1);

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY2(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0, "pdftotext (poppler-utils) failed");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        const QString today = QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
        const QString label8 = Decimal(113051, 2).toDisplayText(QLocale(QLocale::Portuguese, QLocale::Brazil), 2);
        QCOMPARE(w->Label8->text(), Decimal(113051, 2).toDisplayText(QLocale(), 2));
        // In this order, each pattern after the one before.
        const QStringList inOrder = {
            QStringLiteral("Balcao 1"), QStringLiteral("CNPJ 12\\.345\\.678/0001-90"), QStringLiteral("Extrato do convênio"),
            QStringLiteral("Convênio: Beta & Cia"), QStringLiteral("Período: 01/11/2026 a 30/11/2026\\s+Emitido em ") + today,
            QStringLiteral("Data\\s+Pedido\\s+Cliente\\s+Médico\\s+Valor restante"),
            // order 2: formula 1 with its component, formula 12 with its own
            QStringLiteral("05/11/2026\\s+01-2\\s+Ana\\s+R\\$ 20,50"),
            QStringLiteral("Fórmula\\s+Forma farmacêutica\\s+Frascos\\s+Caps/Doses\\s+Volume\\s+Unidade"),
            QStringLiteral("1\\s+Creme\\s+60\\s+30,00\\s+g"), QStringLiteral("Componente\\s+Dose\\s+Unidade"),
            QStringLiteral("Ureia\\s+10\\s+%"), QStringLiteral("12\\s+Xarope"), QStringLiteral("Mel\\s+5\\s+ml"),
            // order 3: no remaining value, no details; order 4: a long item description
            QStringLiteral("09/11/2026\\s+01-3\\s+Bruno\\n"),
            QStringLiteral("20/11/2026\\s+01-4\\s+Carla\\s+R\\$ 100,00"), QStringLiteral("Produto\\s+Quantidade\\s+Unidade"),
            QStringLiteral("Dipirona monoidratada"), QStringLiteral("1,50\\s+FR"),
            // order 5: the long name wraps, nothing is cut
            QStringLiteral("30/11/2026\\s+01-5\\s+Maria Aparecida"), QStringLiteral("R\\$ 1\\.000,01"),
            // order 1: items and formulas, only the items
            QStringLiteral("01/11/2026\\s+01-1\\s+Zélia\\s+R\\$ 10,00"), QStringLiteral("Dipirona\\s+2,00\\s+CX"),
            QStringLiteral("Pedidos em aberto: 5\\s+Total em aberto:\\s+R\\$ ") + QRegularExpression::escape(label8),
            QStringLiteral("Página 1 de 1")};
        qsizetype from = 0;
        for (const QString &pattern : inOrder) {
            const auto m = QRegularExpression(pattern).match(text, from);
            QVERIFY2(m.hasMatch(), qPrintable(pattern + QStringLiteral("\n") + text.mid(from)));
            from = m.capturedEnd();
        }
        // Nothing is cut: every word of the long texts is there, no ellipsis anywhere; order 1's
        // formula and order 12's components are not shown with the wrong order.
        for (const QString &word : (longName + QLatin1Char(' ') + longItem.left(70)).split(QLatin1Char(' ')))
            QVERIFY2(text.contains(word), qPrintable(word));
        QVERIFY(!text.contains(QChar(0x2026)));
        QVERIFY(!text.contains(QStringLiteral("Cápsula")));
        QCOMPARE(text.count(QStringLiteral("Mel")), 1);
        QCOMPARE(text.count(QStringLiteral("Ureia")), 1);
    }

    // The document's details belong to each listed order by its whole key: station 02 numbers its
    // orders as 01 does. Orders settled by another workstation after the list was read stay in the
    // document with their details.
    void documentDetailsOfEachListedOrder()
    {
        Connection &c = suite->central();
        const QString pedido = QStringLiteral(
            "insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
            "values ('02', ?, 'Dora', ?, ?, 'Pedido', 3)");
        c.execute(pedido, {2, QStringLiteral("Alfa Ltda"), QDate(2026, 11, 5)});
        c.execute(pedido, {4, QStringLiteral("Beta & Cia"), QDate(2026, 11, 6)});
        const QString item = QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, ORDEM, DESCRICAO, QDE, UNIDADE) "
                                            "values ('02', ?, ?, ?, ?, 1, 'UN')");
        c.execute(item, {2, QStringLiteral("P7"), 1, QStringLiteral("Intrusa")});
        c.execute(item, {4, QStringLiteral("P8"), 1, QStringLiteral("Gaze")});
        c.execute(item, {4, QStringLiteral("P0"), 2, QStringLiteral("Algodão")});
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA) values ('02', 2, 12, 'Pomada')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG) "
                                 "values ('02', 2, 12, 'Z', 'Cânfora')"));
        open();
        c.execute(QStringLiteral("update PEDIDOS set DATAPAGAMENTO = '11/30/26' where ESTACAO = '01' and NPEDIDO in (1, 2)"));

        ExtratoDocument::Request request;
        request.convenio = QStringLiteral("Beta & Cia");
        request.filtroDaLista = PedidosDoPeriodo::abertos(request.convenio, {QDate(2026, 11, 1), QDate(2026, 11, 30)});
        const ExtratoData data = ExtratoDocument::load(dm->SQLConnection1, dm->PEDIDOS, request);
        QStringList orders;
        for (const StatementOrder &o : data.pedidos) {
            QStringList parts;
            for (const StatementItem &i : o.itens)
                parts << i.descricao;
            for (const StatementFormula &f : o.formulas) {
                QStringList components;
                for (const StatementComponent &k : f.componentes)
                    components << k.componente;
                parts << QStringLiteral("%1 %2 [%3]").arg(f.numero).arg(f.formaFarmaceutica, components.join(QLatin1Char(',')));
            }
            orders << o.estacao + QLatin1Char('-') + QString::number(o.numero) + QStringLiteral(": ") + parts.join(QStringLiteral("; "));
        }
        QCOMPARE(orders, QStringList({QStringLiteral("01-1: Dipirona; 1 Cápsula []"),
                                      QStringLiteral("01-2: 1 Creme [Ureia]; 12 Xarope [Mel]"),
                                      QStringLiteral("02-4: Gaze; Algodão"), QStringLiteral("01-3: "),
                                      QStringLiteral("01-4: "), QStringLiteral("01-5: ")}));
    }

    void periodRedefinitionWalk()
    {
        open();
        QWidget *grid = w->DBGrid1;
        grid->setFocus();
        QTest::keyRelease(grid, Qt::Key_Shift);   // the mode is on, the period not yet changed
        QVERIFY(w->Redefinindo);
        QCOMPARE(w->Label9->text(), ExtratoWindow::DicaFinalizando);
        QVERIFY(!w->dentroDoPeriodo(QDate(2026, 11, 5)));   // all rows white
        QCOMPARE(storedPeriod().second, QDate(2026, 11, 30));

        // A click on the second order, then Shift+Down three times.
        const QRect cell = w->DBGrid1->visualRect(dm->PEDIDOS.index(1, dm->PEDIDOS.fieldIndex(QStringLiteral("NOME"))));
        QTest::mouseClick(w->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(storedPeriod(), qMakePair(QDate(2026, 11, 5), QDate(2026, 11, 5)));
        QCOMPARE(w->Label9->text(), ExtratoWindow::DicaEstendendo);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyRelease(grid, Qt::Key_Shift);
        QCOMPARE(w->Label9->text(), ExtratoWindow::DicaFinalizando);
        QCOMPARE(storedPeriod(), qMakePair(QDate(2026, 11, 5), QDate(2026, 11, 30)));
        QCOMPARE(w->LabelDf->text(), QStringLiteral("30/11/26"));
        QCOMPARE(w->Label8->text(), Decimal(112051, 2).toDisplayText(QLocale(), 2));   // orders 2 to 5
        QCOMPARE(w->windowTitle(), QStringLiteral("Extrato de pagamentos em aberto do convênio Beta & Cia de 05/11/26 a 30/11/26"));

        // Moving up past the start gives an end before it: no order, a zero total.
        QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
        QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
        QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
        QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(storedPeriod().second, QDate(2026, 11, 1));
        QCOMPARE(w->Label8->text(), Decimal().toDisplayText(QLocale(), 2));

        QTest::keyClick(grid, Qt::Key_Escape);
        QVERIFY(!w->Redefinindo);
        QVERIFY(!w->Label9->isVisible());
        QVERIFY(w->isVisible());   // Esc ends the mode, not the window
        w->BitBtn1->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(storedPeriod(), qMakePair(QDate(2026, 11, 5), QDate(2026, 11, 1)));
        QVERIFY(!dm->PEDIDOS.isOpen() && !dm->ITENS.isOpen());
    }

    void clickWithTheModeOffChangesNothing()
    {
        open();
        const QRect cell = w->DBGrid1->visualRect(dm->PEDIDOS.index(3, 0));
        QTest::mouseClick(w->DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(dm->PEDIDOS.recNo(), 3);
        QCOMPARE(storedPeriod(), qMakePair(QDate(2026, 11, 1), QDate(2026, 11, 30)));
    }

    void apostropheInTheName()
    {
        suite->exec(QStringLiteral("update PEDIDOS set CONVENIO = 'Padaria D''Ouro' where NPEDIDO in (4, 5)"));
        open(QStringLiteral("Padaria D'Ouro"));
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('|')));
        QCOMPARE(listedNumbers(), (QStringList{"4", "5"}));
    }

    void emptyPeriodListsNothingWithoutCrashing()
    {
        suite->iface().execute(QStringLiteral("update PERIODO set DATAINICIAL = null"));
        open();
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY(messages->messages[0].startsWith(QStringLiteral("Não há pagamentos em aberto")));
        QTRY_VERIFY(!w->isVisible());
    }

    void settleTheSelectedOrder()
    {
        sessao.caixaAtual = QStringLiteral("2");
        sessao.sessaoCaixa = QStringLiteral("77");
        suite->exec(QStringLiteral("insert into CONTASPR (CODIGOCPR, CODIGOPEDIDO, NATUREZA) values (1, '01.4', 'R')"));
        suite->exec(QStringLiteral("insert into PARCELAS (CODIGOCPR, NPARCELA, VALORPARCELA) values (1, 1, 100.00)"));
        open();
        dm->PEDIDOS.moveTo(3);   // order 4
        w->MaskEdit1->setText(QStringLiteral("03/12/26"));
        w->Quitaropedidoselecionado1->trigger();
        // Asked first; the only message is the success with what was settled.
        QCOMPARE(messages->confirmations.size(), 1);
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].startsWith(QStringLiteral("Procedimento concluído com sucesso.\n")),
                 qPrintable(messages->messages.join('|')));
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("NPEDIDO = 4 and PAGO = 'T' and DATAPAGAMENTO = '2026-12-03'")), 1);
        QCOMPARE(suite->count(QStringLiteral("PARCELAS"), QStringLiteral("DATAPAGTO = '2026-12-03' and VALORPAGO = 100")), 1);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA"), QStringLiteral("NPEDIDO = '014' and VALOR = 100")), 1);
        QCOMPARE(listedNumbers(), (QStringList{"1", "2", "3", "5"}));
        QCOMPARE(w->Label8->text(), Decimal(103051, 2).toDisplayText(QLocale(), 2));
    }

    void settleTheWholePeriod()
    {
        sessao.caixaAtual = QStringLiteral("2");
        sessao.sessaoCaixa = QStringLiteral("77");
        open();
        w->MaskEdit1->setText(QStringLiteral("03/12/26"));
        w->QuitaroPERODOselecionado1->trigger();
        // Asked first; the only message is the success with what was settled.
        QCOMPARE(messages->confirmations.size(), 1);
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].startsWith(QStringLiteral("Procedimento concluído com sucesso.\n")),
                 qPrintable(messages->messages.join('|')));
        // The five real orders are paid; the budget and the other convênio keep their open state.
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-03'")), 5);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("NPEDIDO in (6, 8, 9) and DATAPAGAMENTO is null")), 3);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), 0);
        QCOMPARE(suite->count(QStringLiteral("MOVCAIXA")), 4);   // the null-value order's 0.00 movement is cleared
        QVERIFY(listedNumbers().isEmpty());
        QCOMPARE(w->Label8->text(), Decimal().toDisplayText(QLocale(), 2));
    }

    // While the period is settled the wait panel shows over the window, counting the orders, and
    // what could interrupt the settlement (the list, the date, the buttons, the close box) waits;
    // afterwards it is all back, the focus where it was.
    void settlingShowsTheWaitPanelAndLocksTheWindow()
    {
        open();
        w->MaskEdit1->setText(QStringLiteral("03/12/26"));
        w->DBGrid1->setFocus();
        QStringList seen;
        bool closedMeanwhile = true;
        connect(w->PainelAguarde, &WaitPanel::emCurso, this, [&](bool sim) {
            if (sim)
                closedMeanwhile = w->close();
        });
        connect(w->PainelAguarde->Gauge1, &QProgressBar::valueChanged, this, [&] {
            seen << QStringLiteral("%1|%2|%3")
                        .arg(w->PainelAguarde->isVisible())
                        .arg(w->PainelAguarde->Gauge1->text())
                        .arg(w->DBGrid1->isEnabled() || w->MaskEdit1->isEnabled() || w->BitBtn1->isEnabled() ||
                             w->BotImprimir->isEnabled() || w->PopupMenu1->isEnabled());
        });
        w->QuitaroPERODOselecionado1->trigger();
        QVERIFY2(messages->messages.value(0).startsWith(QStringLiteral("Procedimento concluído com sucesso.")),
                 qPrintable(messages->messages.join('|')));
        QVERIFY(!closedMeanwhile);
        QVERIFY(w->isVisible());
        QVERIFY2(!seen.isEmpty(), "the bar never moved");
        QVERIFY2(seen.last().startsWith(QStringLiteral("1|pedido 5 de 5")), qPrintable(seen.join('\n')));
        for (const QString &s : seen)
            QVERIFY2(s.endsWith(QStringLiteral("|0")), qPrintable(seen.join('\n')));
        QVERIFY(!w->PainelAguarde->isVisible());
        QVERIFY(w->DBGrid1->isEnabled() && w->MaskEdit1->isEnabled() && w->BitBtn1->isEnabled() && w->PopupMenu1->isEnabled());
        QVERIFY(w->DBGrid1->hasFocus() || !QApplication::focusWidget());
    }

    void settlementRules_data()
    {
        QTest::addColumn<QString>("cashOnly");
        QTest::addColumn<QString>("payment");
        QTest::addColumn<bool>("period");
        QTest::addColumn<QString>("message");
        QTest::newRow("cash only, single") << "SIM" << "03/12/26" << false
                                           << "A quitação dos pedidos dos convênios deve ser feita no Caixa.";
        QTest::newRow("cash only lower case, period") << "sim" << "03/12/26" << true
                                                      << "A quitação dos convênios deve ser feita no Caixa.";
        QTest::newRow("invalid payment date") << "" << "31/02/26" << true << "Data de Pagamento inválida!";
        QTest::newRow("empty payment date") << "N" << "  /  /  " << false << "Data de Pagamento inválida!";
    }

    void settlementRules()
    {
        QFETCH(QString, cashOnly);
        QFETCH(QString, payment);
        QFETCH(bool, period);
        QFETCH(QString, message);
        sessao.configuracao.QuitarSoNoCaixa = cashOnly;
        open();
        w->MaskEdit1->setText(payment);
        (period ? w->QuitaroPERODOselecionado1 : w->Quitaropedidoselecionado1)->trigger();
        QCOMPARE(messages->messages, QStringList{message});
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is not null")), 1);
        QCOMPARE(listedNumbers().size(), 5);
    }

    // Enter in the payment date keeps the extrato open: a good date moves on to the list, a bad
    // one is told and keeps the focus.
    void enterInThePaymentDate()
    {
        open();
        w->MaskEdit1->setFocus();
        w->MaskEdit1->setText(QStringLiteral("06/12/26"));
        QTest::keyClick(w->MaskEdit1, Qt::Key_Return);
        QVERIFY(w->isVisible());
        QVERIFY(w->DBGrid1->hasFocus());
        QVERIFY(messages->messages.isEmpty());
        QCOMPARE(w->MaskEdit1->text(), QStringLiteral("06/12/26"));

        w->MaskEdit1->setFocus();
        w->MaskEdit1->setText(QStringLiteral("31/02/26"));
        QTest::keyClick(w->MaskEdit1, Qt::Key_Return);
        QVERIFY(w->isVisible());
        QCOMPARE(messages->messages, QStringList{QStringLiteral("Data de Pagamento inválida!")});
        QVERIFY(w->MaskEdit1->hasFocus());
    }
};

QTEST_MAIN(TstExtrato)
#include "tst_extrato.moc"
