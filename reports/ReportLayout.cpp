#include "reports/ReportLayout.h"

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QRegularExpression>
#include <stdexcept>

namespace {

constexpr double kCellPadding = 0.1;   // cm inside each column
constexpr double kRuleGap = 0.15;      // cm around a rule

bool isNull(const QVariant &v) { return !v.isValid() || v.isNull(); }

QString fieldNotFound(const QString &field, const QString &connection)
{
    return QStringLiteral("Field '%1' not found in data connection '%2'").arg(field, connection);
}

// Fills "{connection.FIELD}" and "{connection.FIELD:format}" with the connection's first row, and
// "{date}" with today's date; "{page}" and "{pages}" are left for the page.
QString fillFields(const QString &text, const std::function<RowSet(const QString &)> &rowsOf)
{
    static const QRegularExpression re(QStringLiteral("\\{([A-Za-z0-9_]+)(?:\\.([A-Za-z0-9_]+))?(?::([^}]*))?\\}"));
    QString out;
    qsizetype last = 0;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        out += text.mid(last, m.capturedStart() - last);
        last = m.capturedEnd();
        const QString first = m.captured(1), field = m.captured(2), format = m.captured(3);
        if (field.isEmpty()) {
            if (first == QLatin1String("date"))
                out += formatReportValue(QDate::currentDate(), format);
            else
                out += m.captured(0);   // {page}, {pages} and unknown words stay as written
            continue;
        }
        const RowSet rows = rowsOf(first);
        if (rows.indexOf(field) < 0 && !rows.fields.isEmpty())
            throw std::runtime_error(fieldNotFound(field, first).toStdString());
        out += rows.rows.isEmpty() ? QString() : formatReportValue(rows.value(0, field), format);
    }
    out += text.mid(last);
    return out;
}

class Pager {
public:
    Pager(ReportDocument &doc, const std::function<void(int)> &onPage) : m_doc(doc), m_onPage(onPage)
    {
        m_left = doc.margins.left();
        m_width = doc.pageSize.width() - doc.margins.left() - doc.margins.right();
        m_tableWidth = 0;
        for (const ReportColumn &c : doc.columns)
            m_tableWidth += c.width;
        const double footerHeight = doc.footer.text.isEmpty() ? 0 : reportLineHeight(doc.footer.font.size) + kRuleGap;
        m_bottom = doc.pageSize.height() - doc.margins.bottom() - footerHeight;
    }

    void newPage()
    {
        m_doc.pages.append(ReportPage());
        if (m_onPage)
            m_onPage(int(m_doc.pages.size()));
        m_y = m_doc.margins.top();
        for (const ReportTextLine &l : m_doc.header)
            textLine(l);
        if (!m_doc.columns.isEmpty()) {
            m_y += kRuleGap;
            QStringList titles;
            for (const ReportColumn &c : m_doc.columns)
                titles << c.title;
            tableLine(titles, ReportFont{m_doc.fontSize, true});
            rule();
        }
    }

    // Starts a new page unless `height` more centimetres fit on this one.
    void room(double height)
    {
        if (m_doc.pages.isEmpty() || m_y + height > m_bottom + 1e-9)
            newPage();
    }

    void textLine(const ReportTextLine &l)
    {
        const double h = reportLineHeight(l.font.size);
        page().texts << PlacedText{QRectF(m_left, m_y, m_width, h), l.text, l.font, l.align};
        m_y += h;
    }

    // A line of the table. With `spill` (the totals), a text may run over the empty cells beside
    // it, towards the side it is not aligned to, so that a figure is never cut.
    void tableLine(const QStringList &cells, const ReportFont &font, bool spill = false)
    {
        const double h = reportLineHeight(font.size);
        QList<double> starts;
        double x = m_left;
        for (const ReportColumn &col : std::as_const(m_doc.columns)) {
            starts << x;
            x += col.width;
        }
        starts << x;
        const auto filled = [&cells](int c) { return !cells.value(c).isEmpty(); };
        for (int c = 0; c < m_doc.columns.size(); ++c) {
            const ReportColumn &col = m_doc.columns[c];
            if (!filled(c))
                continue;
            int first = c, last = c;
            if (spill && (col.align & Qt::AlignRight))
                while (first > 0 && !filled(first - 1))
                    --first;
            else if (spill)
                while (last + 1 < m_doc.columns.size() && !filled(last + 1))
                    ++last;
            // Titles sit over their columns with the columns' own alignment.
            const QRectF box(starts[first] + kCellPadding, m_y,
                             std::max(0.0, starts[last + 1] - starts[first] - 2 * kCellPadding), h);
            page().texts << PlacedText{box, cells.value(c), font, col.align};
        }
        m_y += h;
    }

    void skip(double height) { m_y += height; }

    void rule()
    {
        m_y += kRuleGap / 2;
        page().rules << QLineF(m_left, m_y, m_left + m_tableWidth, m_y);
        m_y += kRuleGap / 2;
    }

    // An image as wide as its proportions give at that height, at most the page's width.
    void picture(const QImage &image, double height)
    {
        double width = height * image.width() / std::max(1, image.height());
        if (width > m_width) {
            height *= m_width / width;
            width = m_width;
        }
        page().images << PlacedImage{QRectF(m_left + (m_width - width) / 2, m_y, width, height), image};
        m_y += height;
    }

    double rowHeight() const { return reportLineHeight(m_doc.fontSize); }

    void footers()
    {
        if (m_doc.footer.text.isEmpty())
            return;
        const double h = reportLineHeight(m_doc.footer.font.size);
        const double top = m_doc.pageSize.height() - m_doc.margins.bottom() - h;
        const int count = int(m_doc.pages.size());
        for (int p = 0; p < count; ++p) {
            m_doc.pages[p].texts << PlacedText{QRectF(m_left, top, m_width, h),
                                               footerText(m_doc.footer.text, p + 1, count), m_doc.footer.font,
                                               m_doc.footer.align};
        }
        // The header may show page numbers as well.
        for (int p = 0; p < count; ++p)
            for (PlacedText &t : m_doc.pages[p].texts)
                t.text = footerText(t.text, p + 1, count);
    }

private:
    ReportPage &page() { return m_doc.pages.last(); }

    ReportDocument &m_doc;
    const std::function<void(int)> &m_onPage;
    double m_left = 0, m_width = 0, m_tableWidth = 0, m_bottom = 0, m_y = 0;
};

} // namespace

double reportLineHeight(double pointSize) { return pointSize * 1.45 / 72.0 * 2.54; }

QString footerText(const QString &pattern, int page, int pages)
{
    QString s = pattern;
    s.replace(QLatin1String("{pages}"), QString::number(pages));
    s.replace(QLatin1String("{page}"), QString::number(page));
    return s;
}

QString documentFileName(const QStringList &parts)
{
    // What a file name cannot hold, and blanks, become hyphens.
    static const QRegularExpression forbidden(QStringLiteral("[\\\\/:*?\"<>|\\s]+"));
    QStringList out;
    for (const QString &p : parts) {
        QString part = p.trimmed();
        part.replace(forbidden, QStringLiteral("-"));
        if (!part.isEmpty())
            out << part;
    }
    return out.join(QLatin1Char('-'));
}

QString formatReportValue(const QVariant &value, const QString &format, const QLocale &locale)
{
    if (isNull(value))
        return {};
    const int type = value.metaType().id();
    if (type == QMetaType::QDate || type == QMetaType::QDateTime) {
        const QDate d = type == QMetaType::QDate ? value.toDate() : value.toDateTime().date();
        QString pattern = format.isEmpty() ? QStringLiteral("dd/mm/yy") : format;
        pattern.replace(QLatin1Char('m'), QLatin1Char('M'));
        return d.toString(pattern);
    }
    if (type == QMetaType::QTime)
        return value.toTime().toString(QStringLiteral("HH:mm"));
    const bool number = value.metaType() == QMetaType::fromType<Decimal>() || type == QMetaType::Double ||
                        type == QMetaType::Float;
    if (number || (!format.isEmpty() && (type == QMetaType::Int || type == QMetaType::LongLong))) {
        const Decimal d = Decimal::fromVariant(value);
        if (format.isEmpty()) {
            QString s = d.toSqlText(d.scale());
            return s.replace(QLatin1Char('.'), locale.decimalPoint());
        }
        const qsizetype point = format.indexOf(QLatin1Char('.'));
        const int places = point < 0 ? 0 : int(format.size() - point - 1);
        QString s = d.toDisplayText(locale, places);
        if (!format.contains(QLatin1Char(',')))
            s.remove(locale.groupSeparator());
        return s;
    }
    return value.toString();
}

ReportDocument buildReport(const ReportDefinition &def, const std::function<RowSet(const QString &)> &rowsOf,
                           const std::function<void(int)> &onPage)
{
    ReportDocument doc;
    doc.name = def.fileName.isEmpty() ? def.name : documentFileName({fillFields(def.fileName, rowsOf)});
    doc.title = def.title;
    doc.landscape = def.landscape;
    doc.pageSize = def.landscape ? def.pageSize.transposed() : def.pageSize;
    doc.margins = def.margins;
    doc.fontFamily = def.fontFamily;
    doc.fontSize = def.fontSize;
    doc.columns = def.columns;
    doc.footer = def.footer;
    doc.watermark = def.watermark;
    doc.watermark.text = fillFields(def.watermark.text, rowsOf).trimmed();
    for (ReportTextLine l : def.header) {
        const bool blank = l.text.trimmed().isEmpty();
        l.text = fillFields(l.text, rowsOf);
        // A line whose fields are all empty takes no room (a blank line of the layout does).
        if (blank || !l.text.trimmed().isEmpty())
            doc.header << l;
    }
    for (ReportTextLine l : def.closing) {
        l.text = fillFields(l.text, rowsOf);
        doc.closing << l;
    }

    // Detail lines and totals.
    if (!def.detailConnection.isEmpty()) {
        const RowSet rows = rowsOf(def.detailConnection);
        for (const ReportColumn &c : def.columns)
            if (rows.indexOf(c.field) < 0)
                throw std::runtime_error(fieldNotFound(c.field, def.detailConnection).toStdString());
        QList<Decimal> sums(def.totals.size(), Decimal(0, 2));
        for (int r = 0; r < rows.rowCount(); ++r) {
            QStringList cells;
            for (const ReportColumn &c : def.columns)
                cells << formatReportValue(rows.value(r, c.field), c.format);
            doc.rows << cells;
            for (int t = 0; t < def.totals.size(); ++t) {
                const QVariant v = rows.value(r, def.totals[t].field);
                if (!isNull(v))
                    sums[t] = sums[t] + Decimal::fromVariant(v);
            }
        }
        // Totals with the same label share one line, each under its own column.
        QStringList labels;
        for (int t = 0; t < def.totals.size(); ++t) {
            qsizetype line = labels.indexOf(def.totals[t].label);
            if (line < 0) {
                line = labels.size();
                labels << def.totals[t].label;
                QStringList fresh(def.columns.size());
                fresh[0] = def.totals[t].label;
                doc.totals << fresh;
            }
            QStringList &cells = doc.totals[line];
            for (int c = 0; c < def.columns.size(); ++c)
                if (def.columns[c].field.compare(def.totals[t].field, Qt::CaseInsensitive) == 0) {
                    const QString format = def.totals[t].format.isEmpty() ? def.columns[c].format : def.totals[t].format;
                    cells[c] = c == 0 ? def.totals[t].label + QLatin1Char(' ') + formatReportValue(QVariant::fromValue(sums[t]), format)
                                      : formatReportValue(QVariant::fromValue(sums[t]), format);
                }
        }
    }

    // Pages.
    Pager pager(doc, onPage);
    pager.newPage();
    for (const QStringList &cells : std::as_const(doc.rows)) {
        pager.room(pager.rowHeight());
        pager.tableLine(cells, ReportFont{doc.fontSize, false});
    }
    if (!doc.totals.isEmpty()) {
        pager.room(kRuleGap + doc.totals.size() * pager.rowHeight());
        pager.rule();
        for (const QStringList &cells : std::as_const(doc.totals))
            pager.tableLine(cells, ReportFont{doc.fontSize, true}, true);
    }
    if (!doc.closing.isEmpty()) {
        // The closing lines stay together, on the last page.
        double height = 0;
        for (const ReportTextLine &l : std::as_const(doc.closing))
            height += reportLineHeight(l.font.size);
        pager.room(height);
        for (const ReportTextLine &l : std::as_const(doc.closing))
            pager.textLine(l);
    }
    if (!def.picture.connection.isEmpty()) {
        const RowSet rows = rowsOf(def.picture.connection);
        if (rows.indexOf(def.picture.field) < 0)
            throw std::runtime_error(fieldNotFound(def.picture.field, def.picture.connection).toStdString());
        const QImage image = rows.rows.isEmpty() ? QImage() : QImage::fromData(rows.value(0, def.picture.field).toByteArray());
        if (!image.isNull()) {
            pager.room(kRuleGap + def.picture.height);
            pager.skip(kRuleGap);
            pager.picture(image, def.picture.height);
        }
    }
    pager.footers();
    return doc;
}

QString ReportDocument::plainText() const
{
    QStringList pagesText;
    for (const ReportPage &p : pages) {
        // Texts on the same line (same top) joined left to right.
        QList<PlacedText> texts = p.texts;
        std::stable_sort(texts.begin(), texts.end(), [](const PlacedText &a, const PlacedText &b) {
            if (!qFuzzyCompare(1.0 + a.box.top(), 1.0 + b.box.top()))
                return a.box.top() < b.box.top();
            return a.box.left() < b.box.left();
        });
        QStringList lines;
        double top = -1;
        for (const PlacedText &t : texts) {
            if (lines.isEmpty() || !qFuzzyCompare(1.0 + t.box.top(), 1.0 + top))
                lines << t.text;
            else
                lines.last() += QLatin1Char('\t') + t.text;
            top = t.box.top();
        }
        if (!watermark.text.isEmpty())
            lines.prepend(watermark.text);
        pagesText << lines.join(QLatin1Char('\n'));
    }
    return pagesText.join(QStringLiteral("\n\f\n"));
}
