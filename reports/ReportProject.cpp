#include "reports/ReportProject.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &source, const QString &what)
{
    throw std::runtime_error(QStringLiteral("Report project %1: %2").arg(source, what).toStdString());
}

struct Reader {
    QString source;
    double unit = 1.0;   // centimetres per unit of the file

    double measure(const QJsonValue &v, const QString &where) const
    {
        if (!v.isDouble() || v.toDouble() < 0)
            fail(source, QStringLiteral("%1 must be a number not below zero").arg(where));
        return v.toDouble() * unit;
    }

    Qt::Alignment align(const QJsonValue &v, const QString &where) const
    {
        const QString a = v.toString(QStringLiteral("left")).toLower();
        if (a == QLatin1String("left"))
            return Qt::AlignLeft;
        if (a == QLatin1String("right"))
            return Qt::AlignRight;
        if (a == QLatin1String("center"))
            return Qt::AlignHCenter;
        fail(source, QStringLiteral("%1: unknown alignment \"%2\"").arg(where, v.toString()));
    }

    ReportTextLine line(const QJsonValue &v, const ReportDefinition &r, const QString &where) const
    {
        if (!v.isObject())
            fail(source, QStringLiteral("%1 must be an object").arg(where));
        const QJsonObject o = v.toObject();
        ReportTextLine l;
        l.text = o.value(QLatin1String("text")).toString();
        l.font.size = o.value(QLatin1String("size")).toDouble(r.fontSize);
        l.font.bold = o.value(QLatin1String("bold")).toBool(false);
        l.align = align(o.value(QLatin1String("align")), where);
        return l;
    }

    QSizeF pageSize(const QJsonValue &v, const QString &where) const
    {
        if (v.isArray()) {
            const QJsonArray a = v.toArray();
            if (a.size() != 2)
                fail(source, QStringLiteral("%1: a page size is [width, height]").arg(where));
            return {measure(a[0], where), measure(a[1], where)};
        }
        const QString s = v.toString(QStringLiteral("A4")).toUpper();
        if (s == QLatin1String("A4"))
            return {21.0, 29.7};
        if (s == QLatin1String("LETTER"))
            return {21.59, 27.94};
        if (s == QLatin1String("LEGAL"))
            return {21.59, 35.56};
        fail(source, QStringLiteral("%1: unknown page size \"%2\"").arg(where, v.toString()));
    }

    ReportDefinition report(const QJsonValue &v, int index) const
    {
        const QString where = QStringLiteral("report %1").arg(index + 1);
        if (!v.isObject())
            fail(source, QStringLiteral("%1 must be an object").arg(where));
        const QJsonObject o = v.toObject();
        ReportDefinition r;
        r.name = o.value(QLatin1String("name")).toString();
        if (r.name.isEmpty())
            fail(source, QStringLiteral("%1 has no name").arg(where));
        const QString in = QStringLiteral("report \"%1\"").arg(r.name);
        r.title = o.value(QLatin1String("title")).toString(r.name);
        r.fileName = o.value(QLatin1String("file")).toString();

        const QJsonObject font = o.value(QLatin1String("font")).toObject();
        r.fontFamily = font.value(QLatin1String("family")).toString(r.fontFamily);
        r.fontSize = font.value(QLatin1String("size")).toDouble(r.fontSize);

        const QJsonObject page = o.value(QLatin1String("page")).toObject();
        r.pageSize = pageSize(page.value(QLatin1String("size")), in);
        const QString orientation = page.value(QLatin1String("orientation")).toString(QStringLiteral("portrait"));
        if (orientation != QLatin1String("portrait") && orientation != QLatin1String("landscape"))
            fail(source, QStringLiteral("%1: unknown orientation \"%2\"").arg(in, orientation));
        r.landscape = orientation == QLatin1String("landscape");
        if (page.contains(QLatin1String("margins"))) {
            const QJsonArray m = page.value(QLatin1String("margins")).toArray();
            if (m.size() != 4)
                fail(source, QStringLiteral("%1: margins are [left, top, right, bottom]").arg(in));
            r.margins = QMarginsF(measure(m[0], in), measure(m[1], in), measure(m[2], in), measure(m[3], in));
        }

        for (const QJsonValue &h : o.value(QLatin1String("header")).toArray())
            r.header << line(h, r, in + QStringLiteral(" header"));
        for (const QJsonValue &h : o.value(QLatin1String("closing")).toArray())
            r.closing << line(h, r, in + QStringLiteral(" closing"));
        if (o.contains(QLatin1String("picture"))) {
            const QJsonObject pic = o.value(QLatin1String("picture")).toObject();
            r.picture.connection = pic.value(QLatin1String("connection")).toString();
            r.picture.field = pic.value(QLatin1String("field")).toString();
            if (r.picture.connection.isEmpty() || r.picture.field.isEmpty())
                fail(source, QStringLiteral("%1: the picture names no data connection and field").arg(in));
            r.picture.height = measure(pic.value(QLatin1String("height")), in + QStringLiteral(" picture"));
        }
        if (o.contains(QLatin1String("footer")))
            r.footer = line(o.value(QLatin1String("footer")), r, in + QStringLiteral(" footer"));
        if (o.contains(QLatin1String("watermark")))
            r.watermark = line(o.value(QLatin1String("watermark")), r, in + QStringLiteral(" watermark"));

        const QJsonObject detail = o.value(QLatin1String("detail")).toObject();
        r.detailConnection = detail.value(QLatin1String("connection")).toString();
        for (const QJsonValue &c : detail.value(QLatin1String("columns")).toArray()) {
            const QJsonObject co = c.toObject();
            ReportColumn col;
            col.field = co.value(QLatin1String("field")).toString();
            if (col.field.isEmpty())
                fail(source, QStringLiteral("%1: a column has no field").arg(in));
            col.title = co.value(QLatin1String("title")).toString(col.field);
            col.width = measure(co.value(QLatin1String("width")), in + QStringLiteral(" column ") + col.field);
            col.align = align(co.value(QLatin1String("align")), in + QStringLiteral(" column ") + col.field);
            col.format = co.value(QLatin1String("format")).toString();
            r.columns << col;
        }
        if (!r.columns.isEmpty() && r.detailConnection.isEmpty())
            fail(source, QStringLiteral("%1: the detail names no data connection").arg(in));

        for (const QJsonValue &t : o.value(QLatin1String("totals")).toArray()) {
            const QJsonObject to = t.toObject();
            ReportDefinition::Total total{to.value(QLatin1String("field")).toString(),
                                          to.value(QLatin1String("label")).toString(QStringLiteral("Total")),
                                          to.value(QLatin1String("format")).toString()};
            bool isColumn = false;
            for (const ReportColumn &c : r.columns)
                isColumn = isColumn || c.field.compare(total.field, Qt::CaseInsensitive) == 0;
            if (!isColumn)
                fail(source, QStringLiteral("%1: the total of \"%2\" is not a column").arg(in, total.field));
            r.totals << total;
        }
        return r;
    }
};

} // namespace

ReportProject ReportProject::load(const QString &path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    QFile f(full);
    if (!f.exists())
        throw std::runtime_error(QStringLiteral("Report project \"%1\" does not exist").arg(full).toStdString());
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Report project \"%1\" cannot be read: %2").arg(full, f.errorString()).toStdString());
    ReportProject p = parse(f.readAll(), full);
    p.m_path = full;
    return p;
}

ReportProject ReportProject::parse(const QByteArray &text, const QString &source)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        fail(source, QStringLiteral("%1 at character %2").arg(error.errorString()).arg(error.offset));
    if (!doc.isObject())
        fail(source, QStringLiteral("the file is not a report project"));
    const QJsonObject o = doc.object();
    if (!o.value(QLatin1String("reports")).isArray())
        fail(source, QStringLiteral("the file holds no list of reports"));

    Reader reader{source};
    const QString units = o.value(QLatin1String("units")).toString(QStringLiteral("cm"));
    if (units == QLatin1String("in"))
        reader.unit = 2.54;
    else if (units != QLatin1String("cm"))
        fail(source, QStringLiteral("unknown units \"%1\"").arg(units));

    ReportProject p;
    p.m_name = o.value(QLatin1String("project")).toString();
    p.m_path = source;
    const QJsonArray reports = o.value(QLatin1String("reports")).toArray();
    for (int i = 0; i < reports.size(); ++i)
        p.m_reports << reader.report(reports[i], i);
    return p;
}

QStringList ReportProject::reportNames() const
{
    QStringList out;
    for (const ReportDefinition &r : m_reports)
        out << r.name;
    return out;
}

const ReportDefinition *ReportProject::find(const QString &reportName) const
{
    for (const ReportDefinition &r : m_reports)
        if (r.name.compare(reportName, Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

QByteArray shippedConvenioProject()
{
    QFile f(QStringLiteral(":/reports/rptConvenio.rav"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("The shipped report project is missing from the program");
    return f.readAll();
}
