// billing-bench: the figures of billing the company, on data made in memory (no suite needed).
//
//   billing-bench [--runs N]
//
// One line per figure: the median of N runs in milliseconds, the target, and a note. The e-mail
// figure sends to a local SMTP server (tests/support/smtp-server.py, python3-aiosmtpd) started for
// the run, from a thread of its own as the program does, and notes the longest pause of the
// window's event loop meanwhile.

#include "billing/DescontoFolha.h"
#include "billing/Email.h"
#include "billing/ExtratoEmpresa.h"
#include "billing/Pix.h"
#include "billing/Planilha.h"
#include "billing/window/ExtratoEmpresaDocumento.h"
#include "billing/window/Faturamento.h"
#include "data/Connection.h"
#include "tools/setup/SuiteBuilder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

template <typename Work>
double measure(int runs, Work work)
{
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms << t.nsecsElapsed() / 1e6;
    }
    return median(ms);
}

void print(const QString &name, double ms, double target, const QString &note = {})
{
    std::printf("%-60s %10.2f ms  target <= %6.0f ms  %s  %s\n", qPrintable(name), ms, target,
                ms <= target ? "ok  " : "OVER", qPrintable(note));
    std::fflush(stdout);
}

// `employees` employees with `orders` orders in all, dates over November 2026.
ExtratoEmpresa statement(int employees, int orders)
{
    ExtratoEmpresa e;
    e.farmacia = QStringLiteral("Farmácia Central de Manipulação");
    e.cnpj = QStringLiteral("12345678000190");
    e.convenio = QStringLiteral("Construtora Horizonte Ltda");
    e.inicio = QDate(2026, 11, 1);
    e.fim = QDate(2026, 11, 30);
    e.emissao = QDateTime::currentDateTime();
    for (int f = 0; f < employees; ++f)
        e.funcionarios << Funcionario{QString::number(100000 + f), QStringLiteral("Funcionário Número %1 da Silva").arg(f), {}};
    for (int p = 0; p < orders; ++p)
        e.funcionarios[p % employees].pedidos << PedidoEmpresa{QDate(2026, 11, 1 + p % 30), QStringLiteral("01"), p + 1,
                                                               Decimal(1000 + (p * 37) % 90000, 2)};
    return e;
}

// A fresh embedded suite whose convênio has `orders` open orders of `employees` employees in
// November 2026, and the issuer's workstation.
void fillSuite(Connection &c, int employees, int orders)
{
    c.execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO, CNPJ) values ('01', 'Farmácia Central', "
                             "'ADMIN', '12345678000190')"));
    QStringList inserts;
    for (int p = 0; p < orders; ++p)
        inserts << QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, MATRICULA, NOME, MEDICO, CONVENIO, DATAPEDIDO, "
                                  "TIPOPEDIDO, VALORRESTANTE) values ('01', %1, '%2', 'Funcionário %3 da Silva', 'Dr. X', "
                                  "'Construtora Horizonte Ltda', '11/%4/26', 'Pedido', %5.%6)")
                       .arg(p + 1)
                       .arg(100000 + p % employees)
                       .arg(p % employees)
                       .arg(1 + p % 30, 2, 10, QLatin1Char('0'))
                       .arg(10 + p % 900)
                       .arg(p % 100, 2, 10, QLatin1Char('0'));
    for (qsizetype i = 0; i < inserts.size(); i += 200)
        c.executeGrouped(inserts.mid(i, 200));
}

QString pixOf(const ExtratoEmpresa &e)
{
    return Pix::payload({QStringLiteral("12345678000190"), e.farmacia, QStringLiteral("Florianópolis"), e.total(),
                         Faturamento::txidDoExtrato(e)});
}

}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs per figure (median)."),
                                        QStringLiteral("N"), QStringLiteral("5"));
    parser.addOption(runsOption);
    parser.addHelpOption();
    parser.process(app);
    const int runs = std::max(1, parser.value(runsOption).toInt());
    QTemporaryDir dir;

    {
        // As the program does it: the orders read from an embedded suite, laid out, written to PDF.
        const QString root = dir.filePath(QStringLiteral("suite"));
        SuiteBuilder::createEmptySuite(root, SuiteBuilder::Options{});
        Connection c(QStringLiteral("bench"));
        c.setDatabase(SuiteBuilder::centralDatabasePath(root));
        c.open();
        fillSuite(c, 120, 500);
        ContextoFaturamento ctx{&c, QStringLiteral("Construtora Horizonte Ltda"), QDate(2026, 11, 1), QDate(2026, 11, 30),
                                QStringLiteral("admin"), QStringLiteral("ADMIN"), QStringLiteral("01")};
        int pages = 0, orders = 0;
        qint64 bytes = 0;
        const double ms = measure(runs, [&] {
            const ExtratoEmpresa e = Faturamento::extrato(ctx);
            orders = e.quantidadePedidos();
            const ReportDocument doc = buildExtratoEmpresaReport(e, pixOf(e));
            pages = int(doc.pages.size());
            bytes = Faturamento::pdf(doc).size();
        });
        print(QStringLiteral("company statement, 500 orders read, with PIX QR, to PDF"), ms, 300,
              QStringLiteral("%1 orders, %2 pages, %3 KB, embedded suite").arg(orders).arg(pages).arg(bytes / 1024));
        c.close();
    }
    {
        const ExtratoEmpresa e = statement(120, 500);
        int pages = 0;
        qint64 bytes = 0;
        const double ms = measure(runs, [&] {
            const ReportDocument doc = buildExtratoEmpresaReport(e, pixOf(e));
            pages = int(doc.pages.size());
            bytes = Faturamento::pdf(doc).size();
        });
        print(QStringLiteral("company statement, 500 orders in memory, with PIX QR, to PDF"), ms, 300,
              QStringLiteral("%1 pages, %2 KB").arg(pages).arg(bytes / 1024));
    }
    {
        const ExtratoEmpresa e = statement(4000, 20000);
        const QList<Planilha::Tabela> tabelas = Planilha::doExtratoEmpresa(e);
        const int rows = int(tabelas[0].linhas.size());
        const QString xlsx = dir.filePath(QStringLiteral("extrato.xlsx"));
        const double ms = measure(runs, [&] { Planilha::grava(xlsx, Planilha::doExtratoEmpresa(e)); });
        print(QStringLiteral("spreadsheet, 20000 orders"), ms, 1000,
              QStringLiteral("%1 rows on the orders' sheet, %2 KB").arg(rows).arg(QFileInfo(xlsx).size() / 1024));
    }
    {
        const ExtratoEmpresa e = statement(5000, 15000);
        const LayoutFolha fixo = LayoutFolha::padrao();
        LayoutFolha separado = fixo;
        separado.formato = LayoutFolha::Formato::Separado;
        int lines = 0;
        const double ms = measure(runs, [&] { lines = DescontoFolha::gera(e, fixo, 11, 2026).linhas; });
        print(QStringLiteral("payroll file, 5000 employees, fixed width"), ms, 200, QStringLiteral("%1 lines").arg(lines));
        const double ms2 = measure(runs, [&] { lines = DescontoFolha::gera(e, separado, 11, 2026).linhas; });
        print(QStringLiteral("payroll file, 5000 employees, separated"), ms2, 200, QStringLiteral("%1 lines").arg(lines));
    }
    {
        // About 100 pages: 2,800 orders of 700 employees.
        const ExtratoEmpresa e = statement(700, 2800);
        const ReportDocument doc = buildExtratoEmpresaReport(e, pixOf(e));
        const QByteArray pdf = Faturamento::pdf(doc);
        QProcess server;
        server.setProgram(QStringLiteral("/usr/bin/python3"));
        server.setArguments({QStringLiteral(CONVENIOS_SOURCE_DIR "/tests/support/smtp-server.py"), dir.path()});
        server.start();
        int port = 0;
        if (server.waitForReadyRead(20000)) {
            const QByteArray line = server.readLine().trimmed();
            if (line.startsWith("READY "))
                port = line.mid(6).toInt();
        }
        if (port == 0) {
            std::printf("e-mail: the local SMTP server did not start (python3-aiosmtpd)\n");
        } else {
            ServidorEmail s;
            s.servidor = QStringLiteral("127.0.0.1");
            s.porta = port;
            s.seguranca = ServidorEmail::Seguranca::Nenhuma;
            s.remetente = QStringLiteral("faturamento@farmacia.com.br");
            Mensagem m;
            m.remetente = s.remetente;
            m.destinatarios = {QStringLiteral("rh@empresa.com.br")};
            m.assunto = QStringLiteral("Extrato do convênio");
            m.corpo = QStringLiteral("Segue o extrato.");
            m.anexos = {{QStringLiteral("extrato.pdf"), QStringLiteral("application/pdf"), pdf}};
            double longestPause = 0;
            bool ok = true;
            const double ms = measure(runs, [&] {
                QElapsedTimer gap;
                gap.start();
                QTimer tick;
                QObject::connect(&tick, &QTimer::timeout, [&] {
                    longestPause = std::max(longestPause, gap.nsecsElapsed() / 1e6);
                    gap.restart();
                });
                tick.start(5);
                ResultadoEnvio r;
                QThread *t = QThread::create([&] { r = Smtp::envia(s, m); });
                QEventLoop loop;
                QObject::connect(t, &QThread::finished, &loop, &QEventLoop::quit);
                t->start();
                loop.exec();
                delete t;
                ok = ok && r.ok();
            });
            print(QStringLiteral("e-mail of a %1-page PDF to the local server").arg(doc.pages.size()), ms, 2000,
                  QStringLiteral("%1 KB attached, %2; longest pause of the event loop %3 ms")
                      .arg(pdf.size() / 1024)
                      .arg(ok ? QStringLiteral("received") : QStringLiteral("FAILED"))
                      .arg(longestPause, 0, 'f', 1));
            server.terminate();
            server.waitForFinished(5000);
        }
    }
    return 0;
}
