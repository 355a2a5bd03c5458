// The documents the module prints, side by side: the statement, the company's statement, the
// closing report and the list of settlements open the same way (the pharmacy, its CNPJ, the title),
// count their pages, show four-digit years, keep their totals on one line, say "(continuação)" where
// a block goes on to the next page, and are saved under a name that says what and when, in the
// user's documents folder.
#include "billing/window/ExtratoEmpresaDocumento.h"
#include "platform/Messages.h"
#include "platform/SaveFile.h"
#include "reports/ExtratoReport.h"
#include "reports/ReportModule.h"
#include "reports/ReportOutput.h"
#include "reports/ReportPreview.h"
#include "settlement/windows/RelatorioQuitacoes.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QBuffer>
#include <QImage>
#include <QtTest>

Q_DECLARE_METATYPE(ReportDocument)

namespace {

const Emitente kFarmacia{QStringLiteral("Farmácia Central"), QStringLiteral("12345678000190")};
const QDateTime kEmissao(QDate(2026, 4, 2), QTime(9, 5));

Decimal reais(qint64 centavos) { return Decimal(centavos, 2); }

// A statement of `pedidos` orders, each with `itens` products.
ExtratoData extrato(int pedidos, int itens, const Decimal &valor = reais(1990))
{
    ExtratoData d;
    d.farmacia = kFarmacia.farmacia;
    d.cnpj = kFarmacia.cnpj;
    d.convenio = QStringLiteral("Transportadora Ébano");
    d.inicio = QDate(2026, 3, 1);
    d.fim = QDate(2026, 3, 31);
    d.emissao = kEmissao;
    for (int n = 1; n <= pedidos; ++n) {
        StatementOrder o{QDate(2026, 3, 1 + n % 28), QStringLiteral("01"), n, QStringLiteral("Cliente %1").arg(n),
                         QStringLiteral("Dr. Médico"), QVariant::fromValue(valor), {}, {}};
        for (int i = 1; i <= itens; ++i)
            o.itens << StatementItem{QStringLiteral("Produto %1").arg(i), QVariant::fromValue(Decimal(1, 0)), QStringLiteral("CX")};
        d.pedidos << o;
    }
    return d;
}

// A company statement of `funcionarios` employees with `pedidos` orders each.
ExtratoEmpresa extratoEmpresa(int funcionarios, int pedidos, const Decimal &valor = reais(1990))
{
    ExtratoEmpresa e;
    e.farmacia = kFarmacia.farmacia;
    e.cnpj = kFarmacia.cnpj;
    e.convenio = QStringLiteral("Transportadora Ébano");
    e.inicio = QDate(2026, 3, 1);
    e.fim = QDate(2026, 3, 31);
    e.emissao = kEmissao;
    for (int f = 1; f <= funcionarios; ++f) {
        Funcionario func{QString::number(1000 + f), QStringLiteral("Funcionária %1").arg(f), {}};
        for (int n = 1; n <= pedidos; ++n)
            func.pedidos << PedidoEmpresa{QDate(2026, 3, 1 + n % 28), QStringLiteral("01"), f * 1000 + n, valor};
        e.funcionarios << func;
    }
    return e;
}

QList<Registro::Quitacao> quitacoes(int quantas)
{
    QList<Registro::Quitacao> lista;
    for (int n = quantas; n >= 1; --n) {
        Registro::Quitacao q;
        q.codigo = n;
        q.comando = QStringLiteral("CONVENIO");
        q.dataHora = QDateTime(QDate(2026, 3, 31), QTime(17, 0));
        q.convenio = QStringLiteral("Transportadora Ébano");
        q.dataInicial = QDate(2026, 3, 1);
        q.dataFinal = QDate(2026, 3, 31);
        q.pagamento = QDate(2026, 4, 1);
        q.pedidos = 3;
        q.total = reais(10000 + n);
        q.usuario = QStringLiteral("MARIA");
        if (n % 5 == 0)
            q.estornoDataHora = QDateTime(QDate(2026, 4, 1), QTime(8, 0));
        lista << q;
    }
    return lista;
}

ReportDocument fechamento(int convenios)
{
    ReportModule rm(QStringLiteral(":/reports/rptConvenio.rav"));
    rm.addConnection(QStringLiteral("rdsEmitente"), [] { return kFarmacia.comoLinhas(); });
    rm.addConnection(QStringLiteral("rdsPeriodo"), [] {
        RowSet rs;
        rs.fields = {Field{QStringLiteral("DATAINICIAL"), Field::Date}, Field{QStringLiteral("DATAFINAL"), Field::Date}};
        rs.rows << QVector<QVariant>{QDate(2026, 3, 1), QDate(2026, 3, 31)};
        return rs;
    });
    rm.addConnection(QStringLiteral("rdsListarConvenio"), [convenios] {
        RowSet rs;
        for (const char *f : {"CONVENIO", "VALORAPAGAR", "VENCIMENTO", "PEDIDOSABERTOS", "VALORABERTO", "ATE30DIAS",
                              "DE31A60DIAS", "DE61A90DIAS", "MAISDE90DIAS"})
            rs.fields << Field{QString::fromLatin1(f)};
        for (int i = 1; i <= convenios; ++i)
            rs.rows << QVector<QVariant>{QStringLiteral("Convênio %1").arg(i), QVariant::fromValue(reais(i * 100)), 10, 1,
                                         QVariant::fromValue(reais(i * 10)), QVariant::fromValue(reais(i * 10)),
                                         QVariant::fromValue(reais(0)), QVariant::fromValue(reais(0)),
                                         QVariant::fromValue(reais(0))};
        return rs;
    });
    rm.addConnection(QStringLiteral("rdsGraficoMeses"), [] {
        QImage grafico(120, 40, QImage::Format_RGB32);
        grafico.fill(Qt::white);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        grafico.save(&buffer, "PNG");
        RowSet rs;
        rs.fields = {Field{QStringLiteral("IMAGEM"), Field::Blob}, Field{QStringLiteral("REFERENCIA"), Field::Date}};
        rs.rows << QVector<QVariant>{png, QDate(2026, 3, 31)};
        return rs;
    });
    rm.settings.showStatus = false;
    return *rm.generate(QStringLiteral("rptFechPeriodo"));
}

QStringList pages(const ReportDocument &doc) { return doc.plainText().split(QStringLiteral("\n\f\n")); }

// The page's lines from the first one after the column titles' rule on: what the page opens with.
QString afterTitles(const QString &page, const QString &titles)
{
    const qsizetype at = page.indexOf(titles);
    return at < 0 ? QString() : page.mid(at + titles.size() + 1);
}

} // namespace

class TstDocuments : public QObject {
    Q_OBJECT

    QTemporaryDir home;

private slots:
    void initTestCase()
    {
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    }

    void cleanup() { SaveFile::setChooser({}); }

    void everyDocumentOpensTheSameWay_data()
    {
        QTest::addColumn<ReportDocument>("doc");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("arquivo");
        QTest::newRow("statement") << buildExtratoReport(extrato(60, 2)) << "Extrato do convênio - uso interno da farmácia"
                                   << "extrato-Transportadora-Ébano-2026-03-01-a-2026-03-31";
        QTest::newRow("company statement") << buildExtratoEmpresaReport(extratoEmpresa(30, 4)) << "Extrato para a empresa"
                                           << "extrato-empresa-Transportadora-Ébano-2026-03-01-a-2026-03-31";
        QTest::newRow("closing report") << fechamento(150) << "Fechamento de Convênios no Período"
                                        << "fechamento-2026-03-01-a-2026-03-31";
        QTest::newRow("settlements") << RelatorioQuitacoes::gera(quitacoes(80), kFarmacia, {}, kEmissao)
                                     << "Quitações de convênios" << "quitacoes-todos-2026-04-02";
    }

    // The pharmacy, its CNPJ and the title open every page; "Página n de m" ends it; no date shows a
    // two-digit year; the file name says what and when.
    void everyDocumentOpensTheSameWay()
    {
        QFETCH(ReportDocument, doc);
        QFETCH(QString, titulo);
        QFETCH(QString, arquivo);
        const QStringList paginas = pages(doc);
        QVERIFY2(paginas.size() > 1, "the document should run over pages");
        static const QRegularExpression anoCurto(QStringLiteral("\\b\\d\\d/\\d\\d/\\d\\d(?!\\d)"));
        for (int p = 0; p < paginas.size(); ++p) {
            QVERIFY2(paginas[p].startsWith(QStringLiteral("Farmácia Central\nCNPJ 12.345.678/0001-90\n") + titulo + QLatin1Char('\n')),
                     qPrintable(paginas[p].left(200)));
            QVERIFY(paginas[p].endsWith(QStringLiteral("Página %1 de %2").arg(p + 1).arg(paginas.size())));
            QVERIFY2(!anoCurto.match(paginas[p]).hasMatch(), qPrintable(anoCurto.match(paginas[p]).captured()));
        }
        QCOMPARE(doc.name, arquivo);
    }

    void blockGoingOnToTheNextPageSaysSo_data()
    {
        QTest::addColumn<ReportDocument>("doc");
        QTest::addColumn<QString>("titulos");
        QTest::addColumn<QString>("continua");
        // One order of eighty products; one employee of eighty orders.
        QTest::newRow("statement") << buildExtratoReport(extrato(1, 80)) << "Data\tPedido\tCliente\tMédico\tValor restante"
                                   << "02/03/2026\t01-1\tCliente 1\tDr. Médico\n(continuação)";
        QTest::newRow("company statement") << buildExtratoEmpresaReport(extratoEmpresa(1, 80)) << "Data\tPedido\tValor"
                                           << "Matrícula 1001 - Funcionária 1 (continuação)\n";
    }

    // Each following page opens, under the column titles, with the line of the block that goes on;
    // its value is not repeated, so nothing is counted twice.
    void blockGoingOnToTheNextPageSaysSo()
    {
        QFETCH(ReportDocument, doc);
        QFETCH(QString, titulos);
        QFETCH(QString, continua);
        const QStringList paginas = pages(doc);
        QVERIFY(paginas.size() >= 2);
        QVERIFY(!paginas.first().contains(QStringLiteral("(continuação)")));
        for (int p = 1; p < paginas.size(); ++p) {
            const QString abre = afterTitles(paginas[p], titulos);
            QVERIFY2(abre.startsWith(continua), qPrintable(abre.left(200)));
        }
    }

    void totalsStayOnOneLine_data()
    {
        QTest::addColumn<ReportDocument>("doc");
        QTest::addColumn<QString>("total");
        const Decimal grande = reais(123456789012LL);
        QTest::newRow("statement") << buildExtratoReport(extrato(1, 1, grande)) << "R$ 1.234.567.890,12";
        QTest::newRow("company statement") << buildExtratoEmpresaReport(extratoEmpresa(1, 1, grande)) << "R$ 1.234.567.890,12";
        QList<Registro::Quitacao> uma = quitacoes(1);
        uma[0].total = grande;
        QTest::newRow("settlements") << RelatorioQuitacoes::gera(uma, kFarmacia, {}, kEmissao) << "R$ 1.234.567.890,12";
    }

    // A total too wide for the column it would sit in is drawn whole, on one line, in a box that
    // holds it.
    void totalsStayOnOneLine()
    {
        QFETCH(ReportDocument, doc);
        QFETCH(QString, total);
        const QList<PlacedText> &texts = doc.pages.last().texts;
        const auto it = std::find_if(texts.crbegin(), texts.crend(), [&](const PlacedText &t) { return t.text.contains(total); });
        QVERIFY2(it != texts.crend(), qPrintable(doc.plainText().right(300)));
        QCOMPARE(it->text, total);
        QVERIFY(ReportOutput::textWidth(doc, it->font, it->text) <= it->box.width() + 1e-6);
    }

    // Save proposes the document's name in the user's documents folder, saves there and says where.
    void savingProposesTheDocumentsFolderAndSaysWhere()
    {
        const ReportDocument doc = buildExtratoReport(extrato(2, 1));
        QString proposto;
        SaveFile::setChooser([&](const QString &path, const QString &, QString *) {
            proposto = path;
            return path;
        });
        Messages::Recorder messages;
        ReportPreviewDialog preview(ReportSettings(), ReportModule::renderers(),
                                    {{}, [](const ReportDocument &d, const QString &path, const QString &) {
                                         ReportOutput::writePdf(d, path);
                                     }},
                                    doc);
        preview.saveReport();
        const QString esperado = QDir(home.path()).filePath(QStringLiteral("Documents/extrato-Transportadora-Ébano-2026-03-01-a-2026-03-31.pdf"));
        QCOMPARE(proposto, esperado);
        QVERIFY(QFileInfo(esperado).size() > 0);
        QCOMPARE(messages.messages, QStringList{QStringLiteral("Arquivo salvo em %1.").arg(esperado)});
    }
};

QTEST_MAIN(TstDocuments)
#include "tst_documents.moc"
