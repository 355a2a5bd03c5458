// Billing from the statement window: the clerk sends the company its statement, the payroll file
// and the spreadsheet by e-mail to a real SMTP server on 127.0.0.1; the company's document holds no
// clinical detail and its PIX code scans back to the statement's total; the settings are a
// supervisor's.

#include "app/FormConvenios.h"
#include "app/ProgramEntry.h"
#include "billing/Configuracoes.h"
#include "billing/DescontoFolha.h"
#include "billing/Pix.h"
#include "billing/window/ConfiguracoesDialog.h"
#include "billing/window/EnvioEmailDialog.h"
#include "billing/window/FaturamentoExtrato.h"
#include "billing/window/FaturamentoQuitacao.h"
#include "closing/ClosingPanel.h"
#include "closing/PeriodDialog.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "extrato/ExtratoWindow.h"
#include "platform/Messages.h"
#include "reports/ReportModule.h"
#include "session/Sessao.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/windows/QuitacoesWindow.h"
#include "tests/support/LocalSmtp.h"
#include "tests/support/TestSuite.h"
#include "tests/support/Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class TstBillingWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    Sessao sessao;
    std::unique_ptr<CentralData> dm;
    std::unique_ptr<InterfaceData> dm2;
    std::unique_ptr<Messages::Recorder> messages;
    std::unique_ptr<ExtratoWindow> w;

    // What the company must never see: every product, formula, component and doctor of the fixture.
    const QStringList clinicos = {QStringLiteral("Dipirona Sódica"), QStringLiteral("Cápsula gelatinosa"),
                                  QStringLiteral("Fórmula Emagrecedora"), QStringLiteral("Sibutramina"),
                                  QStringLiteral("Fluoxetina"), QStringLiteral("Sant'Anna"), QStringLiteral("Dra. Olga"),
                                  QStringLiteral("Paciente Oculto"), QStringLiteral("CRM")};

    void addOrder(int n, const QVariant &matricula, const QString &nome, const QDate &data, const QString &restante,
                  const QString &medico)
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, MATRICULA, NOME, MEDICO, CRM, PACIENTE, CONVENIO, "
                           "DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) values ('01', ?, ?, ?, ?, 'CRM 12345', 'Paciente Oculto', "
                           "'Beta & Cia', ?, 'Pedido', ?)"),
            {n, matricula, nome, medico, data, restante});
    }

    void configura(int porta)
    {
        ConfiguracoesFaturamento c;
        c.email.servidor = QStringLiteral("127.0.0.1");
        c.email.porta = porta;
        c.email.seguranca = ServidorEmail::Seguranca::Nenhuma;
        c.email.remetente = QStringLiteral("faturamento@farmacia.com.br");
        c.email.nomeRemetente = QStringLiteral("Farmácia Central");
        c.pix = {QStringLiteral("12345678000190"), QStringLiteral("Farmácia Central"), QStringLiteral("Florianópolis")};
        ConfiguracoesDados::grava(suite->central(), c, QStringLiteral("ADMIN"));
    }

    void open()
    {
        sessao.central = dm.get();
        sessao.interfaceData = dm2.get();
        w = std::make_unique<ExtratoWindow>(sessao, QStringLiteral("Beta & Cia"));
        w->show();
        QTRY_VERIFY(!w->Label6->text().startsWith(QStringLiteral("Pagamentos")));
    }

    EnvioEmailDialog *dialogoDeEnvio()
    {
        w->BotEmail->click();
        return widget<EnvioEmailDialog>(w.get());
    }

    static QString textoDoPdf(const QByteArray &pdf, QTemporaryDir &dir)
    {
        const QString caminho = dir.filePath(QStringLiteral("doc.pdf"));
        QFile f(caminho);
        f.open(QIODevice::WriteOnly);
        f.write(pdf);
        f.close();
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), caminho, QStringLiteral("-")});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The PDF's first page as an image, read by a scanner.
    static QString pixDoPdf(const QByteArray &pdf, QTemporaryDir &dir, int pagina)
    {
        const QString caminho = dir.filePath(QStringLiteral("pix.pdf"));
        QFile f(caminho);
        f.open(QIODevice::WriteOnly);
        f.write(pdf);
        f.close();
        QProcess ppm;
        ppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                                               QStringLiteral("-f"), QString::number(pagina), QStringLiteral("-singlefile"),
                                               caminho, dir.filePath(QStringLiteral("pagina"))});
        ppm.waitForFinished(60000);
        QProcess zbar;
        zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), dir.filePath(QStringLiteral("pagina.png"))});
        zbar.waitForFinished(60000);
        return QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
    }

private slots:
    void init()
    {
        sessao = Sessao{};
        sessao.usuarioLogado = QStringLiteral("admin");
        sessao.nomeUsuario = QStringLiteral("ADMIN");
        sessao.estacaoAtual = QStringLiteral("01");
        suite = std::make_unique<TestSuite>();
        suite->seedRegister();
        suite->exec(QStringLiteral("update CONVENIO set E_MAIL = 'rh@beta.com.br' where CONVENIO = 'Beta & Cia'"));
        suite->exec(QStringLiteral("update ESTACOES set CNPJ = '12345678000190' where ESTACAO = '01'"));
        addOrder(1, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 5), QStringLiteral("20.50"),
                 QStringLiteral("Dr. Caio Sant'Anna"));
        addOrder(2, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 20), QStringLiteral("100.00"),
                 QStringLiteral("Dra. Olga"));
        addOrder(3, QStringLiteral("77"), QStringLiteral("Bruno Lima"), QDate(2026, 11, 9), QStringLiteral("13.00"),
                 QStringLiteral("Dra. Olga"));
        addOrder(4, QVariant(), QStringLiteral("Carla"), QDate(2026, 11, 10), QStringLiteral("10.00"),
                 QStringLiteral("Dr. Caio Sant'Anna"));
        Connection &c = suite->central();
        c.execute(QStringLiteral("insert into ITENS (ESTACAO, NPEDIDO, CODPROD, DESCRICAO, QDE, UNIDADE) values ('01', 1, 'P1', "
                                 "'Dipirona Sódica', 2, 'CX')"));
        c.execute(QStringLiteral("insert into PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA, NOMEFORMULA) values ('01', 2, 1, "
                                 "'Cápsula gelatinosa', 'Fórmula Emagrecedora')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG, QDEDIG, UNIDDIG) "
                                 "values ('01', 2, 1, 'A', 'Sibutramina', 10, 'mg')"));
        c.execute(QStringLiteral("insert into COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, COMPONENTEDIG, QDEDIG, UNIDDIG) "
                                 "values ('01', 2, 1, 'B', 'Fluoxetina', 20, 'mg')"));
        suite->iface().execute(QStringLiteral("delete from PERIODO"));
        suite->iface().execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values (?, ?)"),
                               {QDate(2026, 11, 1), QDate(2026, 11, 30)});
        dm = std::make_unique<CentralData>(QString());
        dm2 = std::make_unique<InterfaceData>(QString(), QString());
        messages = std::make_unique<Messages::Recorder>();
    }

    void cleanup()
    {
        w.reset();
        messages.reset();
        dm2.reset();
        dm.reset();
        suite.reset();
        sessao = Sessao{};
        QuitacoesWindow::enviaPorEmail = nullptr;
        QuitacoesWindow::salvaPlanilha = nullptr;
    }

    // The clerk sends the statement (PDF), the payroll file and the spreadsheet; the server receives
    // each, the sending is recorded and shown, and the window answers while it goes.
    void clerkSendsStatementPayrollFileAndSpreadsheet()
    {
        LocalSmtp smtp({QStringLiteral("--delay"), QStringLiteral("1")});
        QVERIFY(smtp.port() > 0);
        configura(smtp.port());
        open();
        EnvioEmailDialog *d = dialogoDeEnvio();
        if (!d)
            return;
        QCOMPARE(d->EditPara->text(), QStringLiteral("rh@beta.com.br"));
        QCOMPARE(d->EditAssunto->text(), QStringLiteral("Extrato do convênio Beta & Cia - 01/11/2026 a 30/11/2026"));
        QVERIFY(d->EditCorpo->toPlainText().contains(QStringLiteral("R$ 143,50")));
        QVERIFY2(d->LabelAviso->text().contains(QStringLiteral("Carla")), qPrintable(d->LabelAviso->text()));
        QCOMPARE(d->CheckAnexos.size(), 3);
        QVERIFY(d->CheckAnexos[0]->isChecked());
        for (QCheckBox *c : d->CheckAnexos)
            c->setChecked(true);
        d->EditAssunto->setText(QStringLiteral("Extrato de novembro - conferência"));

        int ticks = 0;
        QTimer relogio;
        connect(&relogio, &QTimer::timeout, [&] { ++ticks; });
        relogio.start(50);
        QSignalSpy terminou(d, &EnvioEmailDialog::terminou);
        d->BotEnviar->click();
        QVERIFY(d->enviando());
        QTRY_COMPARE_WITH_TIMEOUT(terminou.size(), 1, 30000);
        QVERIFY2(ticks >= 10, "the window's event loop stopped while sending");
        QCOMPARE(terminou[0][0].toBool(), true);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
        QVERIFY2(d->LabelSituacao->text() == QStringLiteral("E-mail enviado para rh@beta.com.br."),
                 qPrintable(d->LabelSituacao->text()));
        QCOMPARE(d->ListaEnvios->rowCount(), 1);

        QCOMPARE(smtp.count(), 1);
        QCOMPARE(smtp.recipients(1), QStringList{QStringLiteral("rh@beta.com.br")});
        const QJsonObject m = smtp.decoded(1);
        QCOMPARE(m[QStringLiteral("subject")].toString(), QStringLiteral("Extrato de novembro - conferência"));
        QCOMPARE(LocalSmtp::attachmentName(m, 0), QStringLiteral("extrato-empresa-Beta & Cia-011126-301126.pdf"));
        QCOMPARE(LocalSmtp::attachmentName(m, 1), QStringLiteral("extrato-empresa-Beta & Cia-011126-301126.xlsx"));
        QCOMPARE(LocalSmtp::attachmentName(m, 2), QStringLiteral("folha-Beta & Cia-112026.txt"));

        QTemporaryDir dir;
        const QByteArray pdf = LocalSmtp::attachment(m, 0);
        const QString texto = textoDoPdf(pdf, dir);
        for (const QString &esperado : {QStringLiteral("Balcao 1"), QStringLiteral("CNPJ 12.345.678/0001-90"), QStringLiteral("Extrato para a empresa"),
                                        QStringLiteral("Convênio: Beta & Cia"), QStringLiteral("Período: 01/11/2026 a 30/11/2026"),
                                        QStringLiteral("Matrícula 0042 - Ana Souza"), QStringLiteral("R$ 120,50"),
                                        QStringLiteral("Pedidos sem matrícula"), QStringLiteral("Página 1 de 1")})
            QVERIFY2(texto.contains(esperado), qPrintable(esperado + QStringLiteral("\n") + texto));
        for (const QString &proibido : clinicos)
            QVERIFY2(!texto.contains(proibido, Qt::CaseInsensitive), qPrintable(proibido));

        const QString pix = pixDoPdf(pdf, dir, 1);
        const QList<Pix::Campo> campos = Pix::campos(pix);
        QCOMPARE(Pix::valorDe(campos, QStringLiteral("54")), QStringLiteral("143.50"));
        QCOMPARE(Pix::valorDe(campos, QStringLiteral("59")), QStringLiteral("Farmacia Central"));
        QCOMPARE(Pix::valorDe(campos, QStringLiteral("63")), Pix::crc16(pix.left(pix.size() - 4).toLatin1()));
        const QRegularExpression espaco(QStringLiteral("\\s"));
        QVERIFY2(QString(texto).remove(espaco).contains(QString(pix).remove(espaco)), "the copia e cola text is printed");

        QVERIFY(LocalSmtp::attachment(m, 1).startsWith("PK"));
        QCOMPARE(LocalSmtp::attachment(m, 2),
                 QByteArray("0000000042Ana Souza                                   112026000000120.50\r\n"
                            "0000000077Bruno Lima                                  112026000000013.00\r\n"));

        const RowSet envio = suite->central().query(QStringLiteral("select USUARIO, ESTACAO, CONVENIO, DESTINATARIOS, ASSUNTO, "
                                                                   "ANEXOS, RESULTADO from CONVENIOS_ENVIOS"));
        QCOMPARE(envio.rowCount(), 1);
        QStringList valores;
        for (const QVariant &v : envio.rows[0])
            valores << v.toString().trimmed();
        QCOMPARE(valores, (QStringList{"ADMIN", "01", "Beta & Cia", "rh@beta.com.br", "Extrato de novembro - conferência",
                                       "extrato-empresa-Beta & Cia-011126-301126.pdf, extrato-empresa-Beta & Cia-011126-301126.xlsx, "
                                       "folha-Beta & Cia-112026.txt",
                                       "ENVIADO"}));
    }

    // A server that cannot be reached: named, recorded, and what was typed stays for another try.
    void failureIsNamedAndNothingIsLost()
    {
        const int porta = 1;   // nothing listens there
        configura(porta);
        open();
        EnvioEmailDialog *d = dialogoDeEnvio();
        if (!d)
            return;
        d->EditCorpo->setPlainText(QStringLiteral("Texto que não se perde"));
        QSignalSpy terminou(d, &EnvioEmailDialog::terminou);
        d->BotEnviar->click();
        QTRY_COMPARE_WITH_TIMEOUT(terminou.size(), 1, 30000);
        QCOMPARE(terminou[0][0].toBool(), false);
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].startsWith(QStringLiteral("O servidor de e-mail não pôde ser alcançado (127.0.0.1, porta")),
                 qPrintable(messages->messages[0]));
        QCOMPARE(d->EditCorpo->toPlainText(), QStringLiteral("Texto que não se perde"));
        QVERIFY(d->isVisible() && d->BotEnviar->isEnabled());
        QCOMPARE(suite->scalar(QStringLiteral("select RESULTADO from CONVENIOS_ENVIOS")).toString().trimmed(), QStringLiteral("FALHOU"));
        QCOMPARE(d->ListaEnvios->rowCount(), 1);
        QVERIFY(d->ListaEnvios->item(0, 3)->text().startsWith(QStringLiteral("Falhou: O servidor de e-mail não pôde ser alcançado")));

        // Without a server in the settings, the clerk is told who sets it.
        ConfiguracoesDados::grava(suite->central(), ConfiguracoesFaturamento(), QStringLiteral("ADMIN"));
        d->BotEnviar->click();
        QCOMPARE(messages->messages.size(), 2);
        QVERIFY2(messages->messages[1].contains(QStringLiteral("supervisor")), qPrintable(messages->messages[1]));
    }

    // The company document from the window's menu, over several pages: "Página n de m" on each, the
    // header on each, no clinical detail anywhere.
    void companyDocumentOverSeveralPages()
    {
        for (int n = 10; n < 90; ++n)
            addOrder(n, QString::number(1000 + n % 7), QStringLiteral("Funcionário %1").arg(n % 7), QDate(2026, 11, 1 + n % 28),
                     QStringLiteral("1.00"), QStringLiteral("Dra. Olga"));
        configura(25);
        open();
        ReportDocument printed;
        w->RM().setPreviewRunner([&](ReportModule &, const ReportDocument &doc) { printed = doc; });
        QMenu *menu = w->BotEmpresa->menu();
        QVERIFY(menu);
        menu->actions()[0]->trigger();
        QVERIFY(printed.pages.size() >= 2);
        const QStringList paginas = printed.plainText().split(QLatin1Char('\f'));
        for (int p = 0; p < paginas.size(); ++p) {
            QVERIFY2(paginas[p].trimmed().startsWith(QStringLiteral("Balcao 1\nCNPJ 12.345.678/0001-90\nExtrato para a empresa\nConvênio: Beta & Cia")), qPrintable(paginas[p].left(300)));
            QVERIFY(paginas[p].contains(QStringLiteral("Página %1 de %2").arg(p + 1).arg(paginas.size())));
            // Each page's orders start under their employee's name.
            const QString corpo = paginas[p].section(QStringLiteral("Data\tPedido\tValor\n"), 1);
            QVERIFY2(corpo.startsWith(QStringLiteral("Matrícula ")), qPrintable(corpo.left(200)));
            for (const QString &proibido : clinicos)
                QVERIFY2(!paginas[p].contains(proibido, Qt::CaseInsensitive), qPrintable(proibido));
        }
        QVERIFY(printed.plainText().contains(QStringLiteral(" (continuação)")));
        QVERIFY(printed.pages.last().images.size() == 1);
        QVERIFY(paginas.last().contains(QStringLiteral("Total:\tR$ 223,50")));
    }

    // The window's list of orders as a spreadsheet: its columns as shown, dates as dates, amounts as numbers.
    void listOfOrdersAsASpreadsheet()
    {
        open();
        QTemporaryDir dir;
        const QString xlsx = dir.filePath(QStringLiteral("lista.xlsx"));
        QString proposto;
        Faturamento::setEscolheArquivo([&](QWidget *, const QString &, const QString &p, const QString &) {
            proposto = p;
            return xlsx;
        });
        const auto guarda = qScopeGuard([] { Faturamento::setEscolheArquivo({}); });
        const QList<QAction *> acoes = w->BotEmpresa->menu()->actions();
        const auto acao = std::find_if(acoes.begin(), acoes.end(),
                                       [](QAction *a) { return a->text().startsWith(QStringLiteral("Planilha da &lista")); });
        QVERIFY(acao != acoes.end());
        (*acao)->trigger();
        QCOMPARE(proposto, QStringLiteral("extrato-Beta & Cia-011126-301126.xlsx"));
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                                 "print(z.read('xl/worksheets/sheet1.xml').decode()); print('@@@'); "
                                 "print(z.read('xl/sharedStrings.xml').decode())"),
                  xlsx});
        QVERIFY(py.waitForFinished(30000) && py.exitCode() == 0);
        const QStringList partes = QString::fromUtf8(py.readAllStandardOutput()).split(QStringLiteral("@@@"));
        const QString folha = partes[0];
        QString titulos = partes[1];
        titulos.remove(QRegularExpression(QStringLiteral("<[^>]+>")));
        QVERIFY2(titulos.trimmed().startsWith(QStringLiteral("DataEst.N.PedidoNomeForma de PagamentoPreço (R$)Em Aberto (R$)")), qPrintable(titulos));
        const int dia = int(QDate(1899, 12, 30).daysTo(QDate(2026, 11, 5)));
        QVERIFY2(folha.contains(QStringLiteral("<v>%1</v>").arg(dia)), qPrintable(folha.left(2000)));
        QCOMPARE(folha.count(QStringLiteral("<row ")), 5);   // the titles and four orders
    }

    // The closing list as a spreadsheet: each convênio with its amounts as numbers.
    void closingListAsASpreadsheet()
    {
        dm.reset();
        dm2.reset();
        suite->writeLogon(QStringLiteral("ADMIN"));
        Program program;
        QVERIFY(program.create({QStringLiteral("Beta & Cia")}));
        program.show();
        QTest::mouseClick(program.form->BotTotalizaDeb, Qt::LeftButton);
        QTest::mouseClick(program.form->PainelPeriodo3->BotTotaliza3, Qt::LeftButton);
        ClosingPanel &fechamento = *program.form->Painel_Total_Debito;
        QVERIFY(fechamento.isVisible());
        QTemporaryDir dir;
        const QString xlsx = dir.filePath(QStringLiteral("fechamento.xlsx"));
        Faturamento::setEscolheArquivo([&](QWidget *, const QString &, const QString &, const QString &) { return xlsx; });
        const auto guarda = qScopeGuard([] { Faturamento::setEscolheArquivo({}); });
        fechamento.BotPlanilha->click();
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                                 "print(z.read('xl/worksheets/sheet1.xml').decode()); print('@@@'); "
                                 "print(z.read('xl/sharedStrings.xml').decode())"),
                  xlsx});
        QVERIFY(py.waitForFinished(30000) && py.exitCode() == 0);
        const QStringList partes = QString::fromUtf8(py.readAllStandardOutput()).split(QStringLiteral("@@@"));
        QString textos = partes[1];
        textos.remove(QRegularExpression(QStringLiteral("<[^>]+>")));
        QVERIFY2(textos.trimmed().startsWith(QStringLiteral("ConvênioValor Total (R$)Dia VencimentoPedidos em AbertoValor em Aberto (R$)"
                                                                "Até 30 dias (R$)31 a 60 dias (R$)61 a 90 dias (R$)Mais de 90 dias (R$)")),
                 qPrintable(textos));
        const int convenios = suite->scalar(QStringLiteral("select count(*) from CONVENIO")).toInt();
        QCOMPARE(partes[0].count(QStringLiteral("<row ")), convenios + 1);
        // Beta & Cia owes 143.50 in November; no value is written as text.
        QVERIFY(!textos.contains(QStringLiteral("143")));
    }

    // From the list of settlements, the settlement's receipt goes to the company with the PIX code
    // of what it settled, and the settlements shown are saved as a spreadsheet.
    void listOfSettlementsSendsTheReceiptAndSavesASpreadsheet()
    {
        LocalSmtp smtp;
        configura(smtp.port());
        ContextoQuitacao quem;
        quem.convenioAtual = QStringLiteral("Beta & Cia");
        quem.usuario = QStringLiteral("ADMIN");
        quem.estacao = QStringLiteral("01");
        const int codigo = QuitacaoConvenio::QuitaConvenio(*dm, quem, QDate(2026, 11, 1), QDate(2026, 11, 30),
                                                           QDate(2026, 12, 5)).codigo;
        QVERIFY(codigo > 0);
        sessao.central = dm.get();
        sessao.interfaceData = dm2.get();
        QuitacoesWindow::enviaPorEmail = &FaturamentoQuitacao::enviaDaLista;
        QuitacoesWindow lista(sessao, QStringLiteral("Beta & Cia"));
        lista.show();
        QVERIFY(lista.BotEmail->isVisible());
        lista.Lista->setCurrentCell(0, 0);
        lista.BotEmail->click();
        auto *d = widget<EnvioEmailDialog>(&lista);
        if (!d)
            return;
        QCOMPARE(d->EditPara->text(), QStringLiteral("rh@beta.com.br"));
        QCOMPARE(d->EditAssunto->text(), QStringLiteral("Comprovante de quitação nº %1 - convênio Beta & Cia").arg(codigo));
        QSignalSpy terminou(d, &EnvioEmailDialog::terminou);
        d->BotEnviar->click();
        QTRY_COMPARE_WITH_TIMEOUT(terminou.size(), 1, 30000);
        QVERIFY2(terminou[0][0].toBool(), qPrintable(messages->messages.join('\n')));

        const QJsonObject m = smtp.decoded(1);
        QCOMPARE(m[QStringLiteral("attachments")].toArray().size(), 1);
        QVERIFY(LocalSmtp::attachmentName(m, 0).startsWith(QStringLiteral("comprovante-%1-").arg(codigo)));
        QTemporaryDir dir;
        const QByteArray pdf = LocalSmtp::attachment(m, 0);
        QVERIFY(textoDoPdf(pdf, dir).contains(QStringLiteral("Comprovante de quitação")));
        const QString pix = pixDoPdf(pdf, dir, 1);
        QCOMPARE(Pix::valorDe(Pix::campos(pix), QStringLiteral("54")), QStringLiteral("143.50"));
        QCOMPARE(Pix::valorDe(Pix::campos(Pix::valorDe(Pix::campos(pix), QStringLiteral("62"))), QStringLiteral("05")),
                 QStringLiteral("QUIT%1").arg(codigo));

        // The settlements shown, as a spreadsheet: the number and amount as numbers, the days as dates.
        QTemporaryDir planilhas;
        const QString xlsx = planilhas.filePath(QStringLiteral("quitacoes.xlsx"));
        Faturamento::setEscolheArquivo([&](QWidget *, const QString &, const QString &, const QString &) { return xlsx; });
        const auto guarda = qScopeGuard([] { Faturamento::setEscolheArquivo({}); });
        QuitacoesWindow::salvaPlanilha = &FaturamentoQuitacao::salvaPlanilhaDaLista;
        QuitacoesWindow outra(sessao, QStringLiteral("Beta & Cia"));
        QVERIFY(outra.BotPlanilha->isVisibleTo(&outra));
        outra.BotPlanilha->click();
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                                 "print(z.read('xl/worksheets/sheet1.xml').decode())"),
                  xlsx});
        QVERIFY(py.waitForFinished(30000) && py.exitCode() == 0);
        const QString folha = QString::fromUtf8(py.readAllStandardOutput());
        QVERIFY2(QRegularExpression(QStringLiteral("<c r=\"A2\" s=\"\\d+\"><v>%1</v></c>").arg(codigo)).match(folha).hasMatch(),
                 qPrintable(folha));
        QVERIFY(QRegularExpression(QStringLiteral("<c r=\"I2\" s=\"\\d+\"><v>143.5</v></c>")).match(folha).hasMatch());
        const int dia = int(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 5)));
        QVERIFY(QRegularExpression(QStringLiteral("<c r=\"G2\" s=\"\\d+\"><v>%1</v></c>").arg(dia)).match(folha).hasMatch());
    }

    // The settings are a supervisor's: another user's name or a wrong password opens nothing.
    void settingsReservedToSupervisors()
    {
        SupervisorDialog pergunta(suite->central(), QStringLiteral("MARIA"));
        pergunta.EditSenha->setText(QStringLiteral("abc"));
        pergunta.accept();
        QCOMPARE(pergunta.result(), int(QDialog::Rejected));
        QVERIFY2(messages->messages.last().contains(QStringLiteral("não é supervisor")), qPrintable(messages->messages.last()));
        pergunta.EditSupervisor->setText(QStringLiteral("admin"));
        pergunta.EditSenha->setText(QStringLiteral("errada"));
        pergunta.accept();
        QCOMPARE(pergunta.result(), int(QDialog::Rejected));
        pergunta.EditSenha->setText(QStringLiteral("123"));
        pergunta.accept();
        QCOMPARE(pergunta.result(), int(QDialog::Accepted));

        ConfiguracoesDialog janela(suite->central(), QStringLiteral("Beta & Cia"), pergunta.supervisor());
        janela.EditServidor->setText(QStringLiteral("smtp.farmacia.com.br"));
        janela.EditRemetente->setText(QStringLiteral("faturamento@farmacia.com.br"));
        janela.EditPixChave->setText(QStringLiteral("12345678000190"));
        janela.EditColunas->setText(QStringLiteral("MATRICULA:8,VALOR:10"));
        janela.EditEvento->setText(QStringLiteral("0450"));
        janela.BotGravar->click();
        QCOMPARE(janela.result(), int(QDialog::Accepted));
        QCOMPARE(ConfiguracoesDados::le(suite->central()).email.servidor, QStringLiteral("smtp.farmacia.com.br"));
        const LayoutFolha l = DescontoFolha::le(suite->central(), QStringLiteral("Beta & Cia"));
        QCOMPARE(l.colunasTexto(), QStringLiteral("MATRICULA:8,VALOR:10"));
        QCOMPARE(l.evento, QStringLiteral("0450"));
        QCOMPARE(suite->scalar(QStringLiteral("select USUARIO from CONVENIOS_FATURAMENTO where CHAVE = 'PIX_CHAVE'")).toString().trimmed(),
                 QStringLiteral("admin"));
    }
};

QTEST_MAIN(TstBillingWindow)
#include "tst_billingwindow.moc"
