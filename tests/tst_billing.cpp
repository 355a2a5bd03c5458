// Billing the company without windows: its statement per employee, the payroll deduction file, the
// spreadsheet, the settings and the record of sendings, on fixture orders.

#include "billing/Configuracoes.h"
#include "billing/DescontoFolha.h"
#include "billing/Envios.h"
#include "billing/ExtratoEmpresa.h"
#include "billing/Planilha.h"
#include "data/StatementLog.h"
#include "platform/WinText.h"
#include "tests/support/TestSuite.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

class TstBilling : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;

    void addOrder(const QString &estacao, int n, const QVariant &matricula, const QString &nome, const QDate &data,
                  const QVariant &restante, const QString &convenio = QStringLiteral("Beta & Cia"),
                  const QString &tipo = QStringLiteral("Pedido"), const QVariant &pago = {})
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, MATRICULA, NOME, MEDICO, PACIENTE, CONVENIO, DATAPEDIDO, "
                           "TIPOPEDIDO, VALORRESTANTE, DATAPAGAMENTO) values (?, ?, ?, ?, 'Dr. Caio Sant''Anna', "
                           "'Paciente Oculto', ?, ?, ?, ?, ?)"),
            {estacao, n, matricula, nome, convenio, data, tipo, restante, pago});
    }

    ExtratoEmpresa extrato()
    {
        return ExtratoEmpresaDados::le(suite->central(), QStringLiteral("Beta & Cia"), QDate(2026, 11, 1), QDate(2026, 11, 30));
    }

    static QString resumo(const QList<Funcionario> &lista)
    {
        QStringList out;
        for (const Funcionario &f : lista) {
            QStringList pedidos;
            for (const PedidoEmpresa &p : f.pedidos)
                pedidos << p.data.toString(QStringLiteral("dd/MM")) + QLatin1Char(' ') + p.numeroTexto() + QLatin1Char(' ') +
                               p.valor.toSqlText(2);
            out << QStringLiteral("%1|%2|%3|%4").arg(f.matricula, f.nome, pedidos.join(QLatin1Char(',')), f.subtotal().toSqlText(2));
        }
        return out.join(QLatin1Char('\n'));
    }

private slots:
    void init()
    {
        suite = std::make_unique<TestSuite>();
        suite->seedRegister();
        addOrder(QStringLiteral("01"), 1, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 5), QStringLiteral("20.50"));
        addOrder(QStringLiteral("01"), 2, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 20), QStringLiteral("100.00"));
        addOrder(QStringLiteral("02"), 1, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 21), QStringLiteral("3.00"));
        addOrder(QStringLiteral("01"), 3, QStringLiteral("7"), QStringLiteral("Zélia; Lima"), QDate(2026, 11, 9), QVariant());
        addOrder(QStringLiteral("01"), 4, QVariant(), QStringLiteral("Carla"), QDate(2026, 11, 10), QStringLiteral("15.00"));
        addOrder(QStringLiteral("01"), 5, QStringLiteral("   "), QStringLiteral("Carla"), QDate(2026, 11, 12), QStringLiteral("5.00"));
        // Never in the statement: a budget, a paid order, another convênio's, another month's.
        addOrder(QStringLiteral("01"), 6, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 6), QStringLiteral("9.00"),
                 QStringLiteral("Beta & Cia"), QStringLiteral("Orcam"));
        addOrder(QStringLiteral("01"), 7, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 7), QStringLiteral("9.00"),
                 QStringLiteral("Beta & Cia"), QStringLiteral("Pedido"), QDate(2026, 11, 8));
        addOrder(QStringLiteral("01"), 8, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 11, 7), QStringLiteral("9.00"),
                 QStringLiteral("Alfa Ltda"));
        addOrder(QStringLiteral("01"), 9, QStringLiteral("0042"), QStringLiteral("Ana Souza"), QDate(2026, 12, 1), QStringLiteral("9.00"));
        StatementLog::clear();
    }

    void cleanup() { suite.reset(); }

    // Per employee by name; the orders without matrícula apart, told apart by name; the null value adds nothing.
    void companyStatementPerEmployee()
    {
        const ExtratoEmpresa e = extrato();
        QCOMPARE(resumo(e.funcionarios),
                 QStringLiteral("0042|Ana Souza|05/11 01-1 20.50,20/11 01-2 100.00,21/11 02-1 3.00|123.50\n"
                                "7|Zélia; Lima|09/11 01-3 0.00|0.00"));
        QCOMPARE(resumo(e.semMatricula), QStringLiteral("|Carla|10/11 01-4 15.00,12/11 01-5 5.00|20.00"));
        QCOMPARE(e.total(), Decimal(14350, 2));
        QCOMPARE(e.quantidadePedidos(), 6);
        // One statement, and nothing clinical in it.
        const QStringList textos = StatementLog::texts();
        QCOMPARE(textos.size(), 1);
        for (const char *proibido : {"MEDICO", "PACIENTE", "ITENS", "PEDIFORM", "COMPEDID", "CRM"})
            QVERIFY2(!textos[0].contains(QLatin1String(proibido)), qPrintable(textos[0]));
    }

    void payrollFileLayouts_data()
    {
        QTest::addColumn<QString>("formato");
        QTest::addColumn<QString>("colunas");
        QTest::addColumn<QByteArray>("esperado");
        QTest::newRow("preset, fixed width")
            << "FIXO" << LayoutFolha::padrao().colunasTexto()
            << QByteArray("0000000042Ana Souza                               0123112026000000123.50\r\n"
                          "0000000007Z\xE9lia; Lima                             0123112026000000000.00\r\n");
        QTest::newRow("separated, another order")
            << "SEPARADO" << "VALOR:0,MATRICULA:0,NOME:0,MES:0,EVENTO:0"
            << QByteArray("123.50;0042;Ana Souza;112026;123\r\n0.00;7;Z\xE9lia  Lima;112026;123\r\n");
    }
    // The layout as the convênio keeps it in the module's table; the orders without matrícula named.
    void payrollFileLayouts()
    {
        QFETCH(QString, formato);
        QFETCH(QString, colunas);
        QFETCH(QByteArray, esperado);
        QCOMPARE(DescontoFolha::le(suite->central(), QStringLiteral("Beta & Cia")), LayoutFolha::padrao());
        LayoutFolha l;
        l.formato = formato == QLatin1String("FIXO") ? LayoutFolha::Formato::LarguraFixa : LayoutFolha::Formato::Separado;
        l.colunas = LayoutFolha::colunasDe(colunas);
        l.evento = QStringLiteral("123");
        DescontoFolha::grava(suite->central(), QStringLiteral("Beta & Cia"), l, QStringLiteral("ADMIN"));
        const LayoutFolha lido = DescontoFolha::le(suite->central(), QStringLiteral("Beta & Cia"));
        QCOMPARE(lido, l);

        const ArquivoFolha a = DescontoFolha::gera(extrato(), lido, 11, 2026);
        QCOMPARE(a.conteudo, esperado);
        QCOMPARE(a.linhas, 2);
        QCOMPARE(a.total, Decimal(12350, 2));
        QVERIFY(a.problemas.isEmpty());
        QCOMPARE(a.semMatricula, QStringList{QStringLiteral("Carla (pedidos 01-4, 01-5)")});
        QVERIFY(a.aviso().contains(QStringLiteral("Carla (pedidos 01-4, 01-5)")));
    }

    // A number wider than its field is never cut: the file is refused, naming it.
    void payrollFileRefusesANumberThatDoesNotFit()
    {
        LayoutFolha l = LayoutFolha::padrao();
        l.colunas = LayoutFolha::colunasDe(QStringLiteral("MATRICULA:3,VALOR:5"));
        const ArquivoFolha a = DescontoFolha::gera(extrato(), l, 11, 2026);
        QCOMPARE(a.problemas.size(), 2);
        QVERIFY2(a.problemas[0].contains(QStringLiteral("0042")), qPrintable(a.problemas[0]));
        QVERIFY2(a.problemas[1].contains(QStringLiteral("123.50")), qPrintable(a.problemas[1]));
        QVERIFY(LayoutFolha::colunasDe(QStringLiteral("MATRICULA:10,SALARIO:5")).isEmpty());
    }

    // Dates as dates, amounts as numbers in reais, a bold header, frozen panes, fitted widths.
    void spreadsheetOfTheCompanyStatement()
    {
        QTemporaryDir dir;
        const QString xlsx = dir.filePath(QStringLiteral("extrato.xlsx"));
        Planilha::grava(xlsx, Planilha::doExtratoEmpresa(extrato()));
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n"
                                 "for n in ['xl/workbook.xml', 'xl/worksheets/sheet1.xml', 'xl/styles.xml', 'xl/sharedStrings.xml']:\n"
                                 "    print(z.read(n).decode()); print('@@@')"),
                  xlsx});
        QVERIFY(py.waitForFinished(30000) && py.exitCode() == 0);
        const QStringList partes = QString::fromUtf8(py.readAllStandardOutput()).split(QStringLiteral("@@@"));
        const QString &livro = partes[0], &folha = partes[1], &estilos = partes[2], &textos = partes[3];
        QVERIFY(livro.contains(QStringLiteral("name=\"Pedidos\"")));
        QVERIFY(livro.contains(QStringLiteral("name=\"Por funcionário\"")));
        QVERIFY2(folha.contains(QStringLiteral("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>")),
                 qPrintable(folha));
        QVERIFY(folha.contains(QStringLiteral("<col min=\"2\" max=\"2\" width=\"")));
        // Row 2: Ana's first order; its date an Excel day number, its value a number.
        const int dia = int(QDate(1899, 12, 30).daysTo(QDate(2026, 11, 5)));
        const QRegularExpression data(QStringLiteral("<c r=\"C2\" s=\"(\\d+)\"><v>%1</v></c>").arg(dia));
        QVERIFY2(data.match(folha).hasMatch(), qPrintable(folha.left(3000)));
        QVERIFY(QRegularExpression(QStringLiteral("<c r=\"E2\" s=\"\\d+\"><v>20.5</v></c>")).match(folha).hasMatch());
        QVERIFY(estilos.contains(QStringLiteral("formatCode=\"dd/mm/yyyy\"")));
        QVERIFY(estilos.contains(QStringLiteral("formatCode=\"&quot;R$&quot; #,##0.00\"")));
        QVERIFY(estilos.contains(QStringLiteral("<b/>")));
        for (const QString &t : {QStringLiteral("Matrícula"), QStringLiteral("Subtotal de Ana Souza"), QStringLiteral("(sem matrícula)")})
            QVERIFY2(textos.contains(t), qPrintable(t));
    }

    void settingsAndTheRecordOfSendings()
    {
        Connection &c = suite->central();
        QVERIFY(ConfiguracoesDados::disponivel(c));
        ConfiguracoesFaturamento cfg;
        cfg.email = {QStringLiteral("smtp.farmacia.com.br"), 465, ServidorEmail::Seguranca::Tls, QStringLiteral("user"),
                     QStringLiteral("s3nh@'çã"), QStringLiteral("faturamento@farmacia.com.br"), QStringLiteral("Farmácia D'Ouro")};
        cfg.pix = {QStringLiteral("12345678000190"), QStringLiteral("Farmácia D'Ouro"), QStringLiteral("São José")};
        ConfiguracoesDados::grava(c, cfg, QStringLiteral("ADMIN"));
        const ConfiguracoesFaturamento lido = ConfiguracoesDados::le(c);
        QCOMPARE(lido.email.url(), QStringLiteral("smtps://smtp.farmacia.com.br:465"));
        QCOMPARE(lido.email.senha, cfg.email.senha);
        QCOMPARE(lido.email.nomeRemetente, cfg.email.nomeRemetente);
        QCOMPARE(lido.pix.cidade, cfg.pix.cidade);
        QVERIFY(!suite->scalar(QStringLiteral("select VALOR from CONVENIOS_FATURAMENTO where CHAVE = 'SMTP_SENHA'"))
                     .toString()
                     .contains(QStringLiteral("s3nh")));

        Envios::Envio e{0, {}, QStringLiteral("ADMIN"), QStringLiteral("01"), QStringLiteral("Beta & Cia"),
                        QStringLiteral("rh@beta.com.br"), QStringLiteral("Extrato"), QStringLiteral("a.pdf"), true, {}};
        QCOMPARE(Envios::registra(c, e), 1);
        e.enviado = false;
        e.erro = QStringLiteral("O servidor de e-mail não pôde ser alcançado.");
        QCOMPARE(Envios::registra(c, e), 2);
        const QList<Envios::Envio> lista = Envios::lista(c, QStringLiteral("Beta & Cia"));
        QCOMPARE(lista.size(), 2);
        QCOMPARE(lista[0].codigo, 2);
        QVERIFY(!lista[0].enviado);
        QCOMPARE(lista[0].erro, e.erro);
        QVERIFY(lista[1].enviado && lista[1].dataHora.isValid());
        QVERIFY(Envios::lista(c, QStringLiteral("Alfa Ltda")).isEmpty());

        // A suite not upgraded yet: billing says so instead of failing.
        TestSuite::Options velha;
        velha.foreign = true;
        TestSuite antiga(velha);
        QVERIFY(!ConfiguracoesDados::disponivel(antiga.central()));
        QVERIFY(ConfiguracoesDados::mensagemSemTabelas().contains(QStringLiteral("--upgrade")));
    }
};

QTEST_MAIN(TstBilling)
#include "tst_billing.moc"
