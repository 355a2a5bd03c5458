#include "reports/ReportOutput.h"

#include "platform/WinText.h"

#include <QFile>
#include <QFontMetricsF>
#include <QHash>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <cmath>
#include <stdexcept>

namespace ReportOutput {

namespace {

constexpr double kCmPerInch = 2.54;

QFont fontFor(const ReportDocument &doc, const ReportFont &f, double dpiY)
{
    QFont font(doc.fontFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, int(std::lround(f.size * dpiY / 72.0))));
    font.setBold(f.bold);
    return font;
}

[[noreturn]] void cannotWrite(const QString &path, const QString &why)
{
    throw std::runtime_error(QStringLiteral("Não foi possível gravar %1: %2").arg(path, why).toStdString());
}

} // namespace

QStringList wrapText(const ReportDocument &doc, const ReportFont &f, const QString &text, double widthCm)
{
    // Measured at the PDF's resolution, with a little room left so that another device's rounding
    // never makes a line wider than its box (where drawing would cut it).
    constexpr double kDpi = 300;
    const QFont font = fontFor(doc, f, kDpi);
    const double width = widthCm / kCmPerInch * kDpi * 0.96;
    struct Metrics {
        QString family;
        double size;
        bool bold;
        QFontMetricsF metrics;
    };
    thread_local QList<Metrics> cache;
    const QFontMetricsF *fm = nullptr;
    for (const Metrics &m : std::as_const(cache))
        if (m.family == doc.fontFamily && m.size == f.size && m.bold == f.bold)
            fm = &m.metrics;
    if (!fm) {
        cache.append(Metrics{doc.fontFamily, f.size, f.bold, QFontMetricsF(font)});
        fm = &cache.last().metrics;
    }
    if (double(text.size()) * fm->maxWidth() <= width || fm->horizontalAdvance(text) <= width)
        return {text};
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.isEmpty() ? QStringList{text} : lines;
}

double textWidth(const ReportDocument &doc, const ReportFont &f, const QString &text)
{
    // The width that wrapText keeps on one line, measured the same way.
    constexpr double kDpi = 300;
    const QFontMetricsF fm(fontFor(doc, f, kDpi));
    return fm.horizontalAdvance(text) / 0.96 / kDpi * kCmPerInch + 0.01;
}

QPageLayout pageLayout(const ReportDocument &doc)
{
    const QSizeF portrait = doc.landscape ? doc.pageSize.transposed() : doc.pageSize;
    const QPageSize size(QSizeF(portrait.width() * 10.0, portrait.height() * 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::FuzzyMatch);
    return QPageLayout(size, doc.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Millimeter);
}

// The watermark across the middle of the page, under the content, in a light red that leaves the
// content readable. Level, not slanted, so that a PDF reader finds it as one line of text.
void paintWatermark(QPainter &painter, const ReportDocument &doc, double width, double height, double dpiY)
{
    if (doc.watermark.text.isEmpty())
        return;
    painter.save();
    QFont font = fontFor(doc, doc.watermark.font, dpiY);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(200, 0, 0, 70));
    painter.drawText(QRectF(0, height / 4, width, height / 2), Qt::AlignCenter | Qt::TextWordWrap, doc.watermark.text);
    painter.restore();
}

void paintPage(QPainter &painter, const ReportDocument &doc, int page, double dpiX, double dpiY)
{
    if (page < 0 || page >= doc.pages.size())
        return;
    auto x = [dpiX](double cm) { return cm / kCmPerInch * dpiX; };
    auto y = [dpiY](double cm) { return cm / kCmPerInch * dpiY; };
    const ReportPage &p = doc.pages[page];
    painter.save();
    paintWatermark(painter, doc, x(doc.pageSize.width()), y(doc.pageSize.height()), dpiY);
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, y(0.02)));
    painter.setPen(pen);
    for (const QLineF &l : p.rules)
        painter.drawLine(QLineF(x(l.x1()), y(l.y1()), x(l.x2()), y(l.y2())));
    for (const PlacedImage &i : p.images)
        painter.drawImage(QRectF(x(i.box.left()), y(i.box.top()), x(i.box.width()), y(i.box.height())), i.image);
    // A page has a few fonts and many texts: each font and its metrics are made once.
    struct Face {
        QFont font;
        QFontMetricsF metrics;
    };
    QHash<QPair<double, bool>, Face> faces;
    for (const PlacedText &t : p.texts) {
        const QPair<double, bool> key(t.font.size, t.font.bold);
        auto face = faces.constFind(key);
        if (face == faces.constEnd()) {
            const QFont font = fontFor(doc, t.font, dpiY);
            face = faces.insert(key, Face{font, QFontMetricsF(font, painter.device())});
        }
        painter.setFont(face->font);
        const QRectF box(x(t.box.left()), y(t.box.top()), x(t.box.width()), y(t.box.height()));
        // A text wider than its box is cut with an ellipsis, so that it never runs into the next column.
        // Laying the text out to find that is skipped when even its widest characters would fit.
        const bool fits = double(t.text.size()) * face->metrics.maxWidth() <= box.width();
        const QString text = fits ? t.text : face->metrics.elidedText(t.text, Qt::ElideRight, box.width());
        painter.drawText(box, int(t.align | Qt::AlignVCenter) | Qt::TextSingleLine, text);
    }
    painter.restore();
}

void print(const ReportDocument &doc, QPrinter &printer, const std::function<void(int)> &onPage)
{
    printer.setFullPage(true);
    printer.setPageLayout(pageLayout(doc));
    const int count = int(doc.pages.size());
    int from = 1, to = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(count, printer.toPage() > 0 ? printer.toPage() : count);
    }
    if (from > to)
        return;
    // A printer that makes the copies itself gets the pages once.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QList<int> order;
    if (printer.collateCopies()) {
        for (int c = 0; c < copies; ++c)
            for (int p = from; p <= to; ++p)
                order << p;
    } else {
        for (int p = from; p <= to; ++p)
            for (int c = 0; c < copies; ++c)
                order << p;
    }
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error(QStringLiteral("A impressora não pôde ser iniciada").toStdString());
    for (int i = 0; i < order.size(); ++i) {
        if (i > 0)
            printer.newPage();
        if (onPage)
            onPage(order[i]);
        paintPage(painter, doc, order[i] - 1, printer.logicalDpiX(), printer.logicalDpiY());
    }
    painter.end();
}

void writePdf(const ReportDocument &doc, const QString &path)
{
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
            cannotWrite(path, probe.errorString());
    }
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageLayout(pageLayout(doc));
    writer.setTitle(doc.title);
    writer.setCreator(QStringLiteral("Cadastro de Convênios"));
    QPainter painter;
    if (!painter.begin(&writer))
        cannotWrite(path, QStringLiteral("o PDF não pôde ser iniciado"));
    for (int i = 0; i < doc.pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        paintPage(painter, doc, i, writer.resolution(), writer.resolution());
    }
    painter.end();
}

// ---------------------------------------------------------------------------------------------
// RTF

namespace {

int twips(double cm) { return int(std::lround(cm * 1440.0 / kCmPerInch)); }

// Text in RTF: the three special characters escaped, Windows-1252 characters as \'hh, the rest
// as \uN with "?" for readers that do not know Unicode.
QByteArray rtfText(const QString &text)
{
    QByteArray out;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u >= 0x20 && u < 0x7f) {
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (WinText::representable(QString(ch))) {
            out += "\\'" + WinText::encode(QString(ch)).toHex();
        } else {
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return out;
}

QByteArray rtfAlign(Qt::Alignment a)
{
    if (a & Qt::AlignRight)
        return "\\qr";
    if (a & Qt::AlignHCenter)
        return "\\qc";
    return "\\ql";
}

// A line of the header or footer; "{page}" and "{pages}" become the word processor's own fields.
QByteArray rtfLine(const ReportTextLine &l)
{
    QByteArray text = rtfText(l.text);
    text.replace("\\{page\\}", "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}");
    text.replace("\\{pages\\}", "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}");
    return "\\pard\\plain\\f0\\fs" + QByteArray::number(int(std::lround(l.font.size * 2))) + rtfAlign(l.align) +
           (l.font.bold ? "\\b " : " ") + text + "\\par\n";
}

QByteArray rtfRow(const ReportDocument &doc, const QStringList &cells, bool bold, const QByteArray &rowFlags,
                  const QByteArray &cellBorders)
{
    QByteArray out = "\\trowd\\trgaph" + QByteArray::number(twips(0.1)) + "\\trleft0" + rowFlags;
    double right = 0;
    for (const ReportColumn &c : doc.columns) {
        right += c.width;
        out += cellBorders + "\\cellx" + QByteArray::number(twips(right));
    }
    out += '\n';
    for (int c = 0; c < doc.columns.size(); ++c) {
        out += "\\pard\\intbl\\plain\\f0\\fs" + QByteArray::number(int(std::lround(doc.fontSize * 2))) +
               rtfAlign(doc.columns[c].align) + (bold ? "\\b " : " ") + rtfText(cells.value(c)) + "\\cell\n";
    }
    out += "\\row\n";
    return out;
}

} // namespace

QByteArray toRtf(const ReportDocument &doc)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n";
    out += "{\\fonttbl{\\f0\\fswiss\\fcharset0 " + rtfText(doc.fontFamily) + ";}}\n";
    out += "{\\info{\\title " + rtfText(doc.title) + "}}\n";
    const QSizeF paper = doc.pageSize;
    out += "\\paperw" + QByteArray::number(twips(paper.width())) + "\\paperh" + QByteArray::number(twips(paper.height()));
    out += "\\margl" + QByteArray::number(twips(doc.margins.left())) + "\\margr" +
           QByteArray::number(twips(doc.margins.right())) + "\\margt" + QByteArray::number(twips(doc.margins.top())) +
           "\\margb" + QByteArray::number(twips(doc.margins.bottom()));
    if (doc.landscape)
        out += "\\landscape";
    out += "\\headery" + QByteArray::number(twips(doc.margins.top() / 2)) + "\\footery" +
           QByteArray::number(twips(doc.margins.bottom() / 2)) + "\n";

    // The header and footer lines repeat on every page of the word processor's own pagination; so
    // does the watermark, as the header's first line.
    if (!doc.header.isEmpty() || !doc.watermark.text.isEmpty()) {
        out += "{\\header\n";
        if (!doc.watermark.text.isEmpty())
            out += rtfLine(doc.watermark);
        for (const ReportTextLine &l : doc.header)
            out += rtfLine(l);
        out += "}\n";
    }
    if (!doc.footer.text.isEmpty())
        out += "{\\footer\n" + rtfLine(doc.footer) + "}\n";

    if (!doc.columns.isEmpty()) {
        QStringList titles;
        for (const ReportColumn &c : doc.columns)
            titles << c.title;
        // The title row repeats at the top of every page.
        out += rtfRow(doc, titles, true, "\\trhdr", "\\clbrdrb\\brdrs\\brdrw10");
        for (const QStringList &cells : doc.rows)
            out += rtfRow(doc, cells, false, QByteArray(), QByteArray());
        for (int t = 0; t < doc.totals.size(); ++t)
            out += rtfRow(doc, doc.totals[t], true, QByteArray(), t == 0 ? "\\clbrdrt\\brdrs\\brdrw10" : QByteArray());
    }
    for (const ReportTextLine &l : doc.closing)
        out += rtfLine(l);
    out += "\\pard\\plain\\par\n}\n";
    return out;
}

void writeRtf(const ReportDocument &doc, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        cannotWrite(path, f.errorString());
    const QByteArray rtf = toRtf(doc);
    if (f.write(rtf) != rtf.size() || !f.flush())
        cannotWrite(path, f.errorString());
}

}
