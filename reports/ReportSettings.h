#pragma once
#include <QString>

// How the report system runs a report and what its dialogs are called.
struct ReportSettings {
    QString outputDialogTitle = QStringLiteral("Output Options");
    QString statusTitle = QStringLiteral("Report Status");
    QString previewTitle = QStringLiteral("Report Preview");
    QString statusGenerating = QStringLiteral("Generating page %p");   // %p: the page number
    QString statusPrinting = QStringLiteral("Printing page %p");
    QString jobTitle = QStringLiteral("ReportPrinter Report");
    bool showStatus = true;          // the status window while pages are produced and printed
    bool allowPrinting = true;       // printing from the preview
    bool previewModal = true;
    bool previewMaximized = true;
    int previewZoomPercent = 100;
    double unitsFactor = 2.54;       // centimetres per inch: measures are centimetres
    int printerScaleX = 100;         // per cent
    int printerScaleY = 100;
};

// A file renderer offered by the preview's Save.
struct ReportRenderer {
    enum Kind { Pdf, Rtf };
    Kind kind;
    QString displayName;
    QString pattern;
    QString filter() const { return displayName + QStringLiteral(" (") + pattern + QLatin1Char(')'); }
};
