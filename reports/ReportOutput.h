#pragma once
#include "reports/ReportDocument.h"

#include <QByteArray>
#include <QPageLayout>
#include <functional>

class QPainter;
class QPrinter;

// Output of a produced report: drawing its pages on any paint device, printing, and the two file
// renderers (PDF and RTF).
namespace ReportOutput {

// The report's paper with no margins: the report places everything itself.
QPageLayout pageLayout(const ReportDocument &doc);

// A text broken into lines that each fit `widthCm` in that font, at word boundaries where it can
// (a word wider than the width is broken inside). An empty text gives one empty line.
QStringList wrapText(const ReportDocument &doc, const ReportFont &font, const QString &text, double widthCm);

// The width in centimetres that a text needs to stay on one line in that font.
double textWidth(const ReportDocument &doc, const ReportFont &font, const QString &text);

// Draws one page (0-based) on a painter whose device has the given resolution (dots per inch).
void paintPage(QPainter &painter, const ReportDocument &doc, int page, double dpiX, double dpiY);

// Prints on a printer that has been set up (by the output dialog or by the caller): the chosen page
// range and, when the printer cannot make copies itself, the copies in the chosen order.
// `onPage` is told the number of each page as it is printed.
void print(const ReportDocument &doc, QPrinter &printer, const std::function<void(int)> &onPage = {});

// The file renderers. Both raise when the file cannot be written.
void writePdf(const ReportDocument &doc, const QString &path);
QByteArray toRtf(const ReportDocument &doc);
void writeRtf(const ReportDocument &doc, const QString &path);

}
