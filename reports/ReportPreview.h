#pragma once
#include "reports/ReportDocument.h"
#include "reports/ReportSettings.h"

#include <QDialog>
#include <QPrinter>
#include <QWidget>
#include <functional>

class QAction;
class QLabel;
class QPrintPreviewWidget;

// The small window that tells which page is being produced or printed.
class ReportStatusWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportStatusWindow(QWidget *parent = nullptr);
    void showText(const QString &text);
    QString text() const;

private:
    QLabel *m_label;
};

// The preview of a produced report: modal, maximized, at the zoom of the settings, with the
// commands to print (through the output dialog) and to save as PDF or RTF.
class ReportPreviewDialog : public QDialog {
    Q_OBJECT
public:
    // What the preview's commands do with the document: print it, save it with a renderer.
    struct Actions {
        std::function<void(const ReportDocument &, QPrinter &)> print;
        std::function<void(const ReportDocument &, const QString &path, const QString &renderer)> save;
    };

    ReportPreviewDialog(const ReportSettings &settings, const QList<ReportRenderer> &renderers, const Actions &actions,
                        const ReportDocument &doc, QWidget *parent = nullptr);
    ~ReportPreviewDialog() override;

    QPrintPreviewWidget *preview() const { return m_preview; }
    QAction *printAction() const { return m_print; }
    QAction *saveAction() const { return m_save; }
    int currentPage() const;

public slots:
    // Shows the output dialog and prints what it was set to; cancelling prints nothing.
    void printReport();
    // Asks for a file and a renderer, then saves.
    void saveReport();
    void pageSetup();

private:
    void paintPreview(QPrinter *printer);
    void updatePageLabel();

    ReportSettings m_settings;
    QList<ReportRenderer> m_renderers;
    Actions m_actions;
    ReportDocument m_doc;
    QPrinter m_previewPrinter;
    QPrintPreviewWidget *m_preview = nullptr;
    QAction *m_print = nullptr;
    QAction *m_save = nullptr;
    QLabel *m_pageLabel = nullptr;
};
