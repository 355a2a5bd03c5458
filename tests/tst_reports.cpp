// The report layer on its own: the shipped project read back, values as reports show them, pages,
// project faults, printing with copies, the preview's settings and the RTF renderer. The data
// connections serve small fixed row sets.
#include "platform/Messages.h"
#include "reports/ReportLayout.h"
#include "reports/ReportModule.h"
#include "reports/ReportOutput.h"
#include "reports/ReportPreview.h"
#include "reports/ExtratoReport.h"
#include "tests/RtfReader.h"
#include "tools/setup/SuiteBuilder.h"

#include "tests/support/Widgets.h"
#include <QBuffer>
#include <QFontMetricsF>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

Field field(const QString &name, Field::Type type, int scale = 0) { return Field{name, type, 40, scale, true}; }

// Convênios named "Convênio 001" ... with amounts 1.00, 2.00, ... and due day 10, each with one
// open order of the period, of up to 30 days, still owing 0.10, 0.20, ...
RowSet convenios(int count)
{
    RowSet rs;
    rs.fields = {field(QStringLiteral("CONVENIO"), Field::Text), field(QStringLiteral("VALORAPAGAR"), Field::Numeric, 2),
                 field(QStringLiteral("VENCIMENTO"), Field::Integer), field(QStringLiteral("PEDIDOSABERTOS"), Field::Integer),
                 field(QStringLiteral("VALORABERTO"), Field::Numeric, 2)};
    for (const char *age : {"ATE30DIAS", "DE31A60DIAS", "DE61A90DIAS", "MAISDE90DIAS"})
        rs.fields << field(QString::fromLatin1(age), Field::Numeric, 2);
    const QVariant zero = QVariant::fromValue(Decimal(0, 2));
    for (int i = 1; i <= count; ++i)
        rs.rows << QVector<QVariant>{QStringLiteral("Convênio %1").arg(i, 3, 10, QLatin1Char('0')),
                                     QVariant::fromValue(Decimal(i * 100, 2)), 10, 1, QVariant::fromValue(Decimal(i * 10, 2)),
                                     QVariant::fromValue(Decimal(i * 10, 2)), zero, zero, zero};
    return rs;
}

// The chart printed under the closing: a small picture, and the day the ages are counted to.
RowSet graficoMeses()
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    RowSet rs;
    rs.fields = {field(QStringLiteral("IMAGEM"), Field::Blob), field(QStringLiteral("REFERENCIA"), Field::Date)};
    rs.rows << QVector<QVariant>{png, QDate(2026, 3, 31)};
    return rs;
}

RowSet periodo()
{
    RowSet rs;
    rs.fields = {field(QStringLiteral("DATAINICIAL"), Field::Date), field(QStringLiteral("DATAFINAL"), Field::Date)};
    rs.rows << QVector<QVariant>{QDate(2026, 3, 1), QDate(2026, 3, 31)};
    return rs;
}

QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TstReports : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<ReportModule> rm;
    RowSet list;

    QString projectPath() const { return dir.filePath(QStringLiteral("rptConvenio.rav")); }

    void writeProject(const QByteArray &text)
    {
        QFile f(projectPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

    ReportDocument closing(int rows)
    {
        list = convenios(rows);
        const auto doc = rm->generate(QStringLiteral("rptFechPeriodo"));
        if (!doc)
            qFatal("the shipped project has no rptFechPeriodo");
        return *doc;
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        writeProject(shippedConvenioProject());
        rm = std::make_unique<ReportModule>(projectPath());
        rm->settings.showStatus = false;
        rm->addConnection(QStringLiteral("rdsListarConvenio"), [this] { return list; });
        rm->addConnection(QStringLiteral("rdsPeriodo"), [] { return periodo(); });
        rm->addConnection(QStringLiteral("rdsGraficoMeses"), [] { return graficoMeses(); });
        list = convenios(3);
    }

    void cleanup()
    {
        rm.reset();
        QLocale::setDefault(QLocale::c());
    }

    void values_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        const QVariant amount = QVariant::fromValue(Decimal(123456789, 2));
        QTest::newRow("money, pt_BR") << amount << "#,##0.00" << "pt_BR" << "1.234.567,89";
        QTest::newRow("money, en_US") << amount << "#,##0.00" << "en_US" << "1,234,567.89";
        QTest::newRow("no grouping") << amount << "0.00" << "pt_BR" << "1234567,89";
        QTest::newRow("rounded to the pattern") << QVariant::fromValue(Decimal(12345, 3)) << "#,##0.00" << "pt_BR"
                                                << "12,35";
        QTest::newRow("negative") << QVariant::fromValue(Decimal(-150, 2)) << "#,##0.00" << "pt_BR" << "-1,50";
        QTest::newRow("stored scale without a pattern") << QVariant::fromValue(Decimal(150, 2)) << "" << "pt_BR" << "1,50";
        QTest::newRow("double") << QVariant(2.5) << "#,##0.00" << "pt_BR" << "2,50";
        QTest::newRow("whole number") << QVariant(10) << "" << "pt_BR" << "10";
        QTest::newRow("date") << QVariant(QDate(2026, 3, 1)) << "" << "pt_BR" << "01/03/26";
        QTest::newRow("date, four-digit year") << QVariant(QDate(2026, 3, 1)) << "dd/mm/yyyy" << "pt_BR" << "01/03/2026";
        QTest::newRow("null") << QVariant() << "#,##0.00" << "pt_BR" << "";
    }

    void values()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        QCOMPARE(formatReportValue(value, format, QLocale(locale)), shown);
    }

    void pagesRepeatTheHeaderAndNumberThemselves()
    {
        const ReportDocument doc = closing(120);
        QVERIFY(doc.pages.size() >= 3);
        const QStringList pages = doc.plainText().split(QStringLiteral("\n\f\n"));
        QCOMPARE(pages.size(), doc.pages.size());
        int listed = 0, totalsOn = 0;
        for (int p = 0; p < pages.size(); ++p) {
            QVERIFY(pages[p].startsWith(QStringLiteral("Fechamento de Convênios no Período\nPeríodo: 01/03/2026 a 31/03/2026\n")));
            QVERIFY(pages[p].contains(QStringLiteral("Convênio\tValor Total (R$)\tDia Vencimento\tPedidos\tEm Aberto (R$)\tAté 30 dias (R$)\t31 a 60 dias (R$)\t61 a 90 dias (R$)\tMais de 90 dias (R$)\n")));
            QVERIFY(pages[p].endsWith(QStringLiteral("Página %1 de %2").arg(p + 1).arg(pages.size())));
            totalsOn += pages[p].contains(QStringLiteral("Total a receber")) ? 1 : 0;
            listed += int(pages[p].count(QStringLiteral("\t10\t1\t")));
        }
        QCOMPARE(listed, 120);
        QCOMPARE(totalsOn, 1);
        // The totals of a label share one line, each under its column; the line to receive sums what is open.
        QVERIFY2(doc.plainText().contains(QStringLiteral("Convênio 120\t120,00\t10\t1\t12,00\t12,00\t0,00\t0,00\t0,00\n"
                                                      "Soma dos valores cadastrados\t7.260,00\n"
                                                      "Total a receber (em aberto)\t120\t726,00\t726,00\t0,00\t0,00\t0,00\n")),
                 qPrintable(doc.plainText()));
        // The chart once, on the last page, inside the printable area.
        for (const ReportPage &page : doc.pages)
            QCOMPARE(page.images.size(), &page == &doc.pages.last() ? 1 : 0);
        const QRectF chart = doc.pages.last().images[0].box;
        QVERIFY(chart.left() >= doc.margins.left() - 1e-9 && chart.right() <= doc.pageSize.width() - doc.margins.right() + 1e-9);
        QVERIFY(chart.bottom() <= doc.pageSize.height() - doc.margins.bottom() + 1e-9);
        // Nothing is drawn over the footer, and no text of the list (its titles, its totals) is cut.
        QFont font(doc.fontFamily);
        font.setStyleHint(QFont::SansSerif);
        for (const ReportPage &page : doc.pages)
            for (const PlacedText &t : page.texts) {
                QVERIFY(t.box.bottom() <= doc.pageSize.height() - doc.margins.bottom() + 1e-9);
                font.setPixelSize(int(std::lround(t.font.size * 300 / 72.0)));
                font.setBold(t.font.bold);
                QVERIFY2(QFontMetricsF(font).horizontalAdvance(t.text) <= t.box.width() / 2.54 * 300, qPrintable(t.text));
            }
    }

    void totalsThatDoNotFitGoToANewPage()
    {
        // As many rows as fill the first page exactly: the total moves to a second page of its own.
        const ReportDocument two = closing(100);
        const int perPage = int(two.plainText().split(QStringLiteral("\n\f\n")).first().count(QStringLiteral("\t10\t1\t")));
        const ReportDocument doc = closing(perPage);
        QCOMPARE(doc.pages.size(), 2);
        const QStringList pages = doc.plainText().split(QStringLiteral("\n\f\n"));
        QVERIFY(!pages[0].contains(QStringLiteral("Total a receber")));
        QVERIFY(pages[1].contains(QStringLiteral("Convênio\tValor Total (R$)\tDia Vencimento\tPedidos\tEm Aberto (R$)\tAté 30 dias (R$)\t31 a 60 dias (R$)\t61 a 90 dias (R$)\tMais de 90 dias (R$)\nSoma dos valores cadastrados\t")));
        QVERIFY(pages[1].endsWith(QStringLiteral("Página 2 de 2")));
    }

    // A statement that runs over several pages: every order once, in order, blocks moved whole to
    // the next page, every text inside the printable area and narrow enough for its box (wrapped,
    // never cut), the header and "Página n de m" on each page, the totals once at the end.
    void longStatementFlowsOverPages()
    {
        ExtratoData data;
        data.farmacia = QStringLiteral("Farmácia Central");
        data.cnpj = QStringLiteral("12345678000190");
        data.convenio = QStringLiteral("Transportadora Ébano");
        data.inicio = QDate(2026, 3, 1);
        data.fim = QDate(2026, 3, 31);
        data.emissao = QDateTime(QDate(2026, 4, 2), QTime(9, 5));
        for (int n = 1; n <= 90; ++n) {
            StatementOrder o;
            o.data = QDate(2026, 3, 1 + n % 31);
            o.estacao = QStringLiteral("01");
            o.numero = n;
            o.cliente = QStringLiteral("Cliente %1 Aparecida Gonçalves de Albuquerque").arg(n);
            o.medico = QStringLiteral("Dra. Célia Monteiro de Sant'Anna");
            o.restante = QVariant::fromValue(Decimal(n * 1001, 2));
            if (n % 2)
                o.itens << StatementItem{QStringLiteral("Produto %1 com uma descrição longa que não cabe em uma só linha").arg(n),
                                         QVariant::fromValue(Decimal(2, 0)), QStringLiteral("CX")};
            else
                o.formulas << StatementFormula{1, QStringLiteral("Cápsula"), 1, 60, QVariant::fromValue(Decimal(30, 0)),
                                               QStringLiteral("g"),
                                               {{QStringLiteral("Componente de nome comprido %1").arg(n), 12.5, QStringLiteral("mg")}}};
            data.pedidos << o;
        }
        const ReportDocument doc = buildExtratoReport(data);
        QVERIFY(doc.pages.size() > 3);
        const double top = doc.margins.top(), bottom = doc.pageSize.height() - doc.margins.bottom();
        const double right = doc.pageSize.width() - doc.margins.right();
        QFont font(doc.fontFamily);
        font.setStyleHint(QFont::SansSerif);
        const QStringList pages = doc.plainText().split(QStringLiteral("\n\f\n"));
        QCOMPARE(pages.size(), doc.pages.size());
        for (int p = 0; p < doc.pages.size(); ++p) {
            for (const PlacedText &t : doc.pages[p].texts) {
                QVERIFY2(t.box.top() >= top - 1e-6 && t.box.bottom() <= bottom + 1e-6, qPrintable(t.text));
                QVERIFY2(t.box.right() <= right + 1e-6, qPrintable(t.text));
                font.setPixelSize(int(std::lround(t.font.size * 300 / 72.0)));
                font.setBold(t.font.bold);
                QVERIFY2(QFontMetricsF(font).horizontalAdvance(t.text) <= t.box.width() / 2.54 * 300, qPrintable(t.text));
            }
            const QString &page = pages[p];
            QVERIFY(page.startsWith(QStringLiteral("Farmácia Central\nCNPJ 12.345.678/0001-90\nExtrato do convênio - uso interno da farmácia")));
            QVERIFY(page.contains(QStringLiteral("Período: 01/03/2026 a 31/03/2026\tEmitido em 02/04/2026 às 09:05")));
            QVERIFY(page.endsWith(QStringLiteral("Página %1 de %2").arg(p + 1).arg(doc.pages.size())));
            QCOMPARE(page.contains(QStringLiteral("Pedidos em aberto: 90")), p == doc.pages.size() - 1);
        }
        const QString text = doc.plainText();
        qsizetype from = 0;
        for (int n = 1; n <= 90; ++n) {
            const QString id = QStringLiteral("\t01-%1\t").arg(n);
            // Once, and again only right under the titles of a page its details go on to.
            for (qsizetype again = text.indexOf(id, text.indexOf(id) + 1); again >= 0; again = text.indexOf(id, again + 1)) {
                const qsizetype line = text.lastIndexOf(QLatin1Char('\n'), again);
                QVERIFY(text.left(line).endsWith(QStringLiteral("Data\tPedido\tCliente\tMédico\tValor restante")));
            }
            const qsizetype at = text.indexOf(id);
            QVERIFY(at > from);
            from = at;
            // The order's line and the titles of its details share a page.
            const qsizetype next = text.indexOf(QStringLiteral("\t01-%1\t").arg(n + 1));
            const QString block = text.mid(at, next < 0 ? -1 : next - at).section(QLatin1Char('\f'), 0, 0);
            QVERIFY2(block.contains(n % 2 ? QStringLiteral("Produto\tQuantidade") : QStringLiteral("Fórmula\tForma farmacêutica")),
                     qPrintable(id));
        }
        // 10,01 + 20,02 + ... + 900,90
        QVERIFY(text.contains(QStringLiteral("Total em aberto:\tR$ 40.990,95")));
    }

    void projectFaults_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("not JSON") << QByteArray("[report rptFechPeriodo]") << "at character";
        QTest::newRow("no reports") << QByteArray("{\"project\": \"x\"}") << "no list of reports";
        QTest::newRow("report without a name") << QByteArray("{\"reports\": [{}]}") << "report 1 has no name";
        QTest::newRow("unknown alignment")
            << QByteArray("{\"reports\": [{\"name\": \"r\", \"header\": [{\"text\": \"t\", \"align\": \"middle\"}]}]}")
            << "unknown alignment \"middle\"";
        QTest::newRow("total of no column")
            << QByteArray("{\"reports\": [{\"name\": \"r\", \"detail\": {\"connection\": \"c\", \"columns\": "
                          "[{\"field\": \"A\", \"width\": 2}]}, \"totals\": [{\"field\": \"B\"}]}]}")
            << "the total of \"B\" is not a column";
        QTest::newRow("column without a width")
            << QByteArray("{\"reports\": [{\"name\": \"r\", \"detail\": {\"connection\": \"c\", \"columns\": "
                          "[{\"field\": \"A\"}]}}]}")
            << "must be a number";
    }

    void projectFaults()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        writeProject(text);
        try {
            rm->execute(QStringLiteral("rptFechPeriodo"));
            QFAIL("the project was accepted");
        } catch (const std::exception &e) {
            const QString what = QString::fromUtf8(e.what());
            QVERIFY2(what.contains(message) && what.contains(projectPath()), qPrintable(what));
        }
        QVERIFY(!rm->projectLoaded());
    }

    void missingProjectNamesItsFullPath()
    {
        QVERIFY(QFile::remove(projectPath()));
        try {
            rm->execute(QStringLiteral("rptFechPeriodo"));
            QFAIL("no failure");
        } catch (const std::exception &e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Report project \"%1\" does not exist").arg(projectPath()));
        }
    }

    void unknownReportRunsNothing()
    {
        int previews = 0;
        QStringList status;
        rm->settings.showStatus = true;
        connect(rm.get(), &ReportModule::statusChanged, this, [&](const QString &s) { status << s; });
        rm->setPreviewRunner([&](ReportModule &, const ReportDocument &) { ++previews; });
        QVERIFY(!rm->execute(QStringLiteral("rptNaoExiste")));
        QCOMPARE(previews, 0);
        QVERIFY(status.isEmpty());

        QVERIFY(rm->execute(QStringLiteral("RPTFECHPERIODO")));   // names are not case-sensitive
        QCOMPARE(previews, 1);
        QCOMPARE(status, (QStringList{"Generating page 1", ""}));
    }

    void printingCopies_data()
    {
        QTest::addColumn<bool>("collate");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("collated") << true << QList<int>{1, 2, 1, 2};
        QTest::newRow("not collated") << false << QList<int>{1, 1, 2, 2};
    }

    void printingCopies()
    {
        QFETCH(bool, collate);
        QFETCH(QList<int>, order);
        const ReportDocument doc = closing(50);
        QCOMPARE(doc.pages.size(), 2);
        QStringList status;
        connect(rm.get(), &ReportModule::statusChanged, this, [&](const QString &s) { status << s; });

        // A printer that cannot make copies itself (a file) gets them from the report.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        printer.setCopyCount(2);
        printer.setCollateCopies(collate);
        rm->print(doc, printer);

        QCOMPARE(printer.docName(), QStringLiteral("ReportPrinter Report"));
        QStringList expected;
        for (int p : order)
            expected << QStringLiteral("Printing page %1").arg(p);
        QCOMPARE(status, expected << QString());
        const QStringList printed = pdfText(printer.outputFileName()).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), order.size());
        for (int i = 0; i < order.size(); ++i)
            QVERIFY2(printed[i].contains(QStringLiteral("Página %1 de 2").arg(order[i])), qPrintable(printed[i]));
    }

    void previewIsModalMaximizedAtActualSize()
    {
        rm->setPreviewRunner({});
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto *preview = modal<ReportPreviewDialog>();
            if (!preview)
                return;
            seen = true;
            QCOMPARE(preview->windowTitle(), QStringLiteral("Report Preview"));
            QVERIFY(preview->isModal());
            QVERIFY(preview->windowState() & Qt::WindowMaximized);
            QCOMPARE(preview->preview()->zoomMode(), QPrintPreviewWidget::CustomZoom);
            QCOMPARE(preview->preview()->zoomFactor(), 1.0);
            QCOMPARE(preview->preview()->pageCount(), 1);
            QVERIFY(preview->printAction()->isEnabled());
            preview->reject();
        });
        QTimer::singleShot(5000, this, [] {
            if (QWidget *w = QApplication::activeModalWidget())
                w->close();
        });
        QVERIFY(rm->execute(QStringLiteral("rptFechPeriodo")));
        QVERIFY(seen);
    }

    void rtfKeepsEveryCharacter()
    {
        list = convenios(1);
        list.rows[0][0] = QStringLiteral("Ação {A} \\ B € Ω");
        const ReportDocument doc = *rm->generate(QStringLiteral("rptFechPeriodo"));
        rm->save(doc, dir.filePath(QStringLiteral("out.rtf")));
        QFile f(dir.filePath(QStringLiteral("out.rtf")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray rtf = f.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
        QString error;
        const QString text = RtfReader::text(rtf, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(text.contains(QStringLiteral("Ação {A} \\ B € Ω\t1,00\t10\t")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Período: 01/03/2026 a 31/03/2026")));
        // The page numbers are the word processor's own fields.
        QVERIFY(rtf.contains("P\\'e1gina {\\field{\\*\\fldinst PAGE}"));
    }

    void savingPicksTheRenderer_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("renderer");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("PDF by suffix") << "a.pdf" << "" << QByteArray("%PDF");
        QTest::newRow("RTF by suffix") << "a.RTF" << "" << QByteArray("{\\rtf1");
        QTest::newRow("RTF by name") << "a.doc" << "Rich Text Format (RTF)" << QByteArray("{\\rtf1");
        QTest::newRow("PDF by filter") << "a" << "Adobe Acrobat (PDF) (*.pdf)" << QByteArray("%PDF");
    }

    void savingPicksTheRenderer()
    {
        QFETCH(QString, file);
        QFETCH(QString, renderer);
        QFETCH(QByteArray, start);
        const ReportDocument doc = closing(2);
        const QString path = dir.filePath(file);
        rm->save(doc, path, renderer);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(8).startsWith(start));
    }

    void newSuitesHoldTheProject()
    {
        QTemporaryDir root;
        SuiteBuilder::createEmptySuite(root.path(), SuiteBuilder::Options());
        const ReportProject project = ReportProject::load(root.filePath(QStringLiteral("RPT/rptConvenio.rav")));
        QCOMPARE(project.reportNames(), QStringList{QStringLiteral("rptFechPeriodo")});
    }

    void savingWhereNoFileCanBeWrittenFails()
    {
        const ReportDocument doc = closing(2);
        for (const QString &name : {QStringLiteral("a.pdf"), QStringLiteral("a.rtf"), QStringLiteral("a.txt")})
            QVERIFY_THROWS_EXCEPTION(std::exception, rm->save(doc, dir.filePath(QStringLiteral("no/such/folder/")) + name));
    }
};

QTEST_MAIN(TstReports)
#include "tst_reports.moc"
