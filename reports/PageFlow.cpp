#include "reports/PageFlow.h"

#include "reports/ReportLayout.h"
#include "reports/ReportOutput.h"

#include <QRegularExpression>

namespace {

const ReportFont kTitleFont{10, true}, kSmallFont{7.5, false};

// The texts of an image block, as placed beside the image.
struct ImageTexts {
    QStringList titles;
    QStringList lines;
    double height;
};

ImageTexts imageTexts(const ReportDocument &doc, double width, double side, const QStringList &titles, const QString &text)
{
    ImageTexts t{titles, ReportOutput::wrapText(doc, kSmallFont, text, width - side - 0.5), 0};
    t.height = std::max(side, titles.size() * reportLineHeight(kTitleFont.size) + t.lines.size() * reportLineHeight(kSmallFont.size));
    return t;
}

void placeImage(ReportPage &page, double x, double y, const QImage &image, double side, const ImageTexts &t, double width)
{
    page.images << PlacedImage{QRectF(x, y, side, side), image};
    const double tx = x + side + 0.5, tw = width - side - 0.5;
    for (const QString &title : t.titles) {
        page.texts << PlacedText{QRectF(tx, y, tw, reportLineHeight(kTitleFont.size)), title, kTitleFont, Qt::AlignLeft};
        y += reportLineHeight(kTitleFont.size);
    }
    for (const QString &line : t.lines) {
        page.texts << PlacedText{QRectF(tx, y, tw, reportLineHeight(kSmallFont.size)), line, kSmallFont, Qt::AlignLeft};
        y += reportLineHeight(kSmallFont.size);
    }
}

const QRegularExpression &footerPattern()
{
    static const QRegularExpression re(QStringLiteral("^Página \\d+ de \\d+$"));
    return re;
}

void placeFooters(ReportDocument &doc)
{
    if (doc.footer.text.isEmpty())
        return;
    const double h = reportLineHeight(doc.footer.font.size);
    const QRectF box(doc.margins.left(), doc.pageSize.height() - doc.margins.bottom() - h,
                     doc.pageSize.width() - doc.margins.left() - doc.margins.right(), h);
    const int count = int(doc.pages.size());
    for (int p = 0; p < count; ++p)
        doc.pages[p].texts << PlacedText{box, footerText(doc.footer.text, p + 1, count), doc.footer.font, doc.footer.align};
}

} // namespace

PageFlow::PageFlow(ReportDocument &doc, const QDateTime &emissao, const std::function<void(int)> &onPage)
    : m_doc(doc), m_emissao(emissao), m_onPage(onPage)
{
    m_left = doc.margins.left();
    m_width = doc.pageSize.width() - doc.margins.left() - doc.margins.right();
    m_bottom = doc.pageSize.height() - doc.margins.bottom() - reportLineHeight(doc.footer.font.size) - kGap;
    for (const ReportColumn &c : doc.columns)
        m_titles << FlowCell{c.width, c.title, c.align};
}

void PageFlow::setTitles(double indent, const QList<FlowCell> &titles)
{
    m_titlesIndent = indent;
    m_titles = titles;
}

void PageFlow::room(double height)
{
    if (m_doc.pages.isEmpty() || m_y + height > m_bottom + 1e-9)
        newPage();
}

void PageFlow::newPage()
{
    m_doc.pages.append(ReportPage());
    if (m_onPage)
        m_onPage(int(m_doc.pages.size()));
    m_y = m_doc.margins.top();
    for (const ReportTextLine &l : std::as_const(m_doc.header)) {
        const double h = reportLineHeight(l.font.size);
        for (const QString &text : ReportOutput::wrapText(m_doc, l.font, l.text, m_width)) {
            page().texts << PlacedText{QRectF(m_left, m_y, m_width, h), text, l.font, l.align};
            m_y += h;
        }
    }
    if (m_emissao.isValid() && !m_doc.header.isEmpty()) {
        // The moment of issue on the header's last line, at the right.
        const double h = reportLineHeight(m_doc.header.last().font.size);
        page().texts << PlacedText{QRectF(m_left, m_y - h, m_width, h),
                                   QStringLiteral("Emitido em ") + m_emissao.toString(QStringLiteral("dd/MM/yyyy")) +
                                       QStringLiteral(" às ") + m_emissao.toString(QStringLiteral("HH:mm")),
                                   ReportFont{8, false}, Qt::AlignRight};
    }
    rule();
    if (!m_titles.isEmpty()) {
        const ReportFont bold{m_doc.fontSize, true};
        QList<QStringList> lines;
        for (const FlowCell &c : std::as_const(m_titles))
            lines << ReportOutput::wrapText(m_doc, bold, c.text, c.width - 2 * kPadding);
        placeRow(m_titlesIndent, m_titles, lines, bold);
        rule();
    }
    // A block that goes on from the page before says so first; what it repeats never opens a page.
    if (m_continuation && !m_repeating) {
        m_repeating = true;
        m_continuation();
        m_repeating = false;
    }
}

void PageFlow::row(double indent, const QList<FlowCell> &cells, const ReportFont &font, double keepWithNext)
{
    QList<QStringList> lines;
    int tallest = 1;
    for (const FlowCell &c : cells) {
        lines << ReportOutput::wrapText(m_doc, font, c.text, c.width - 2 * kPadding);
        tallest = std::max(tallest, int(lines.last().size()));
    }
    if (!m_repeating)
        room(tallest * reportLineHeight(font.size) + keepWithNext);
    placeRow(indent, cells, lines, font);
}

void PageFlow::placeRow(double indent, const QList<FlowCell> &cells, const QList<QStringList> &lines, const ReportFont &font)
{
    const double h = reportLineHeight(font.size);
    int tallest = 1;
    double x = m_left + indent;
    for (int i = 0; i < cells.size(); ++i) {
        for (int l = 0; l < lines[i].size(); ++l)
            if (!lines[i][l].isEmpty())
                page().texts << PlacedText{QRectF(x + kPadding, m_y + l * h, cells[i].width - 2 * kPadding, h), lines[i][l],
                                           font, cells[i].align};
        tallest = std::max(tallest, int(lines[i].size()));
        x += cells[i].width;
    }
    m_y += tallest * h;
}

void PageFlow::totals(const QString &summary, const QString &label, const QString &value, const ReportFont &font)
{
    // The figure and its label take what they need, from the right; the summary gets the rest and
    // may wrap.
    const double valueWidth = ReportOutput::textWidth(m_doc, font, value) + 2 * kPadding;
    const double labelWidth = ReportOutput::textWidth(m_doc, font, label) + 2 * kPadding;
    const double summaryWidth = std::max(2.0, m_width - valueWidth - labelWidth);
    const QList<FlowCell> cells{{summaryWidth, summary}, {labelWidth, label, Qt::AlignRight}, {valueWidth, value, Qt::AlignRight}};
    const QList<QStringList> lines{ReportOutput::wrapText(m_doc, font, summary, summaryWidth - 2 * kPadding), {label}, {value}};
    room(kGap + lines.first().size() * reportLineHeight(font.size));
    rule();
    placeRow(m_width - summaryWidth - labelWidth - valueWidth, cells, lines, font);
}

void PageFlow::rule(double indent)
{
    m_y += kGap / 2;
    page().rules << QLineF(m_left + indent, m_y, m_left + m_width, m_y);
    m_y += kGap / 2;
}

void PageFlow::gap(double height) { m_y += height; }

void PageFlow::imageBlock(const QImage &image, double side, const QStringList &titles, const QString &text)
{
    const ImageTexts t = imageTexts(m_doc, m_width, side, titles, text);
    room(t.height + kGap);
    gap();
    placeImage(page(), m_left, m_y, image, side, t, m_width);
    m_y += t.height;
}

void PageFlow::finish() { placeFooters(m_doc); }

void appendImageBlock(ReportDocument &doc, const QImage &image, double side, const QStringList &titles, const QString &text)
{
    if (image.isNull() || doc.pages.isEmpty())
        return;
    const double width = doc.pageSize.width() - doc.margins.left() - doc.margins.right();
    const double bottom = doc.pageSize.height() - doc.margins.bottom() - reportLineHeight(doc.footer.font.size) - PageFlow::kGap;
    const ImageTexts t = imageTexts(doc, width, side, titles, text);

    double y = doc.margins.top();
    for (const PlacedText &p : std::as_const(doc.pages.last().texts))
        if (!footerPattern().match(p.text).hasMatch())
            y = std::max(y, p.box.bottom());
    for (const QLineF &l : std::as_const(doc.pages.last().rules))
        y = std::max(y, std::max(l.y1(), l.y2()));
    y += 0.5;
    if (y + t.height > bottom) {
        doc.pages.append(ReportPage());
        y = doc.margins.top();
    }
    placeImage(doc.pages.last(), doc.margins.left(), y, image, side, t, width);

    // The footers again, with the new number of pages.
    for (ReportPage &p : doc.pages)
        p.texts.removeIf([](const PlacedText &pt) { return footerPattern().match(pt.text).hasMatch(); });
    placeFooters(doc);
}
