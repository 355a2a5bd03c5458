#pragma once
#include "reports/ReportDocument.h"

#include <QDateTime>
#include <QImage>
#include <functional>

// A cell of a row that the program lays out: its width in centimetres, its text (wrapped inside
// the width), its alignment.
struct FlowCell {
    double width;
    QString text;
    Qt::Alignment align = Qt::AlignLeft;
};

// Lays the documents the program writes itself out on pages, the same way for all of them. Every
// page opens with the document's header lines (wrapped), the moment of issue at the right of the
// last one, a rule, the column titles and a rule, then whatever a block that goes on from the page
// before repeats ("(continuação)"); rows keep to the page or move to the next one whole; the foot
// of every page says "Página n de m".
class PageFlow {
public:
    // `doc` holds the header lines, the columns and the footer; the pages are added to it.
    PageFlow(ReportDocument &doc, const QDateTime &emissao, const std::function<void(int)> &onPage = {});

    double width() const { return m_width; }

    // The column titles of every page, from `indent` on; by default the document's columns.
    void setTitles(double indent, const QList<FlowCell> &titles);
    // What a new page repeats under the titles while a block goes on; cleared with nullptr.
    void setContinuation(std::function<void()> repeat) { m_continuation = std::move(repeat); }

    // Starts a page unless `height` more centimetres fit on this one.
    void room(double height);
    // A row of cells from `indent` on, as high as its tallest cell; with `keepWithNext` more
    // centimetres on the same page, else it opens the next one.
    void row(double indent, const QList<FlowCell> &cells, const ReportFont &font, double keepWithNext = 0);
    // A totals line under a rule: `label` and `value` at the right, never wrapped nor cut (the
    // summary at the left gives up the room they need), `summary` at the left.
    void totals(const QString &summary, const QString &label, const QString &value, const ReportFont &font);
    void rule(double indent = 0);
    void gap(double height = kGap);
    // An image at the left (a QR code, `side` centimetres square) with bold titles and a small
    // text beside it, kept together.
    void imageBlock(const QImage &image, double side, const QStringList &titles, const QString &text);

    // Writes "Página n de m" (the document's footer) at the foot of every page. Call once, at the end.
    void finish();

    static constexpr double kGap = 0.12;       // cm between blocks and around rules
    static constexpr double kPadding = 0.08;   // cm inside each cell

private:
    ReportPage &page() { return m_doc.pages.last(); }
    void newPage();
    void placeRow(double indent, const QList<FlowCell> &cells, const QList<QStringList> &lines, const ReportFont &font);

    ReportDocument &m_doc;
    QDateTime m_emissao;
    std::function<void(int)> m_onPage;
    std::function<void()> m_continuation;
    double m_titlesIndent = 0;
    QList<FlowCell> m_titles;
    double m_left = 0, m_width = 0, m_bottom = 0, m_y = 0;
    bool m_repeating = false;
};

// Adds an image block (as PageFlow::imageBlock) under the last text of a produced document's last
// page, or on a page of its own when it does not fit there; "Página n de m" is counted again.
void appendImageBlock(ReportDocument &doc, const QImage &image, double side, const QStringList &titles,
                      const QString &text);
