#pragma once
#include <QImage>
#include <QLineF>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// A report as produced from its definition and its data, ready for the preview, the printer and
// the file renderers. Every measure is in centimetres from the page's top left corner.

struct ReportFont {
    double size = 10;   // points
    bool bold = false;
};

// One piece of text placed on a page: drawn on one line inside its box, cut at the box's edge.
struct PlacedText {
    QRectF box;
    QString text;
    ReportFont font;
    Qt::Alignment align = Qt::AlignLeft;
};

// An image placed on a page (a QR code), scaled into its box without smoothing.
struct PlacedImage {
    QRectF box;
    QImage image;
};

struct ReportPage {
    QList<PlacedText> texts;
    QList<QLineF> rules;
    QList<PlacedImage> images;   // drawn by the painters (preview, printer, PDF); RTF leaves them out
};

// A line of text of the report's header or footer.
struct ReportTextLine {
    QString text;
    ReportFont font;
    Qt::Alignment align = Qt::AlignLeft;
};

struct ReportColumn {
    QString field;
    QString title;
    double width = 3;   // cm
    Qt::Alignment align = Qt::AlignLeft;
    QString format;
};

struct ReportDocument {
    QString name;
    QString title;
    QSizeF pageSize{21.0, 29.7};        // cm, as printed (landscape already applied)
    bool landscape = false;
    QMarginsF margins{2.0, 1.5, 1.5, 1.5};
    QString fontFamily = QStringLiteral("Arial");
    double fontSize = 10;

    // The content, as the file renderers that flow text (RTF) need it.
    QList<ReportTextLine> header;       // every page; fields already filled in
    QList<ReportColumn> columns;
    QList<QStringList> rows;            // formatted cells, one list per detail row
    QList<QStringList> totals;          // formatted cells of the total lines, label in the first
    ReportTextLine footer;              // every page; "{page}" and "{pages}" still in the text
    QList<ReportTextLine> closing;      // once, after the totals; fields already filled in
    ReportTextLine watermark;           // across every page, large and light; none when empty

    // The content laid out on pages.
    QList<ReportPage> pages;

    // Every text of every page, one line of the report per line, pages separated by a form feed.
    QString plainText() const;
};

// The footer's text for one page.
QString footerText(const QString &pattern, int page, int pages);

// A document's file name (without extension) from its parts ("extrato", the convênio, the period):
// joined by hyphens, with blanks and what a file name cannot hold made hyphens.
QString documentFileName(const QStringList &parts);
