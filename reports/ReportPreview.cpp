#include "reports/ReportPreview.h"

#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/SaveFile.h"
#include "reports/ReportOutput.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

ReportStatusWindow::ReportStatusWindow(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Report Status"));
    m_label = new QLabel(this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMinimumWidth(260);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(m_label);
}

void ReportStatusWindow::showText(const QString &text)
{
    m_label->setText(text);
    if (!isVisible())
        show();
    m_label->repaint();
}

QString ReportStatusWindow::text() const { return m_label->text(); }

// ---------------------------------------------------------------------------------------------

ReportPreviewDialog::ReportPreviewDialog(const ReportSettings &settings, const QList<ReportRenderer> &renderers,
                                         const Actions &actions, const ReportDocument &doc, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_renderers(renderers), m_actions(actions), m_doc(doc),
      m_previewPrinter(QPrinter::HighResolution)
{
    const ReportSettings &s = m_settings;
    setWindowTitle(s.previewTitle);
    setModal(s.previewModal);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
    if (s.previewMaximized)
        setWindowState(windowState() | Qt::WindowMaximized);

    m_previewPrinter.setFullPage(true);
    m_previewPrinter.setPageLayout(ReportOutput::pageLayout(m_doc));
    m_previewPrinter.setDocName(s.jobTitle);
    m_preview = new QPrintPreviewWidget(&m_previewPrinter, this);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &ReportPreviewDialog::paintPreview);
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this, &ReportPreviewDialog::updatePageLabel);

    auto *bar = new QToolBar(this);
    QStyle *st = style();
    m_print = bar->addAction(st->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&Imprimir..."), this,
                             &ReportPreviewDialog::printReport);
    m_print->setEnabled(s.allowPrinting);
    m_save = bar->addAction(st->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("&Salvar..."), this,
                            &ReportPreviewDialog::saveReport);
    bar->addAction(QStringLiteral("&Configurar página..."), this, &ReportPreviewDialog::pageSetup);
    bar->addSeparator();
    bar->addAction(st->standardIcon(QStyle::SP_MediaSkipBackward), QStringLiteral("Primeira página"), m_preview,
                   [this] { m_preview->setCurrentPage(1); });
    bar->addAction(st->standardIcon(QStyle::SP_MediaSeekBackward), QStringLiteral("Página anterior"), m_preview,
                   [this] { m_preview->setCurrentPage(m_preview->currentPage() - 1); });
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setMinimumWidth(110);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_pageLabel);
    bar->addAction(st->standardIcon(QStyle::SP_MediaSeekForward), QStringLiteral("Próxima página"), m_preview,
                   [this] { m_preview->setCurrentPage(m_preview->currentPage() + 1); });
    bar->addAction(st->standardIcon(QStyle::SP_MediaSkipForward), QStringLiteral("Última página"), m_preview,
                   [this] { m_preview->setCurrentPage(m_preview->pageCount()); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("&Ampliar"), m_preview, [this] { m_preview->zoomIn(); });
    bar->addAction(QStringLiteral("&Reduzir"), m_preview, [this] { m_preview->zoomOut(); });
    bar->addAction(QStringLiteral("100 %"), m_preview, [this] {
        m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
        m_preview->setZoomFactor(m_settings.previewZoomPercent / 100.0);
    });
    bar->addAction(QStringLiteral("&Largura da página"), m_preview, [this] { m_preview->fitToWidth(); });
    bar->addSeparator();
    bar->addAction(st->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Fechar"), this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_preview, 1);

    m_preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    m_preview->setZoomFactor(s.previewZoomPercent / 100.0);
    m_preview->updatePreview();
    updatePageLabel();
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

int ReportPreviewDialog::currentPage() const { return m_preview->currentPage(); }

void ReportPreviewDialog::paintPreview(QPrinter *printer)
{
    QPainter painter(printer);
    for (int i = 0; i < m_doc.pages.size(); ++i) {
        if (i > 0)
            printer->newPage();
        ReportOutput::paintPage(painter, m_doc, i, printer->logicalDpiX(), printer->logicalDpiY());
    }
}

void ReportPreviewDialog::updatePageLabel()
{
    m_pageLabel->setText(QStringLiteral("Página %1 de %2").arg(m_preview->currentPage()).arg(m_preview->pageCount()));
}

void ReportPreviewDialog::printReport()
{
    const ReportSettings &s = m_settings;
    if (!s.allowPrinting)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(s.jobTitle);
    printer.setFullPage(true);
    printer.setPageLayout(ReportOutput::pageLayout(m_doc));
    QPrintDialog output(&printer, this);
    output.setWindowTitle(s.outputDialogTitle);
    // Copies, collation, page range, printer or file; the printer's own set-up (duplex among it)
    // is behind the dialog's properties.
    output.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintShowPageSize);
    output.setMinMax(1, int(m_doc.pages.size()));
    if (output.exec() != QDialog::Accepted)
        return;
    ErrorReporter::guard([&] { m_actions.print(m_doc, printer); });
}

void ReportPreviewDialog::saveReport()
{
    QStringList filters;
    for (const ReportRenderer &r : m_renderers)
        filters << r.filter();
    QString chosen = filters.first();
    QString path = SaveFile::ask(this, QStringLiteral("Salvar relatório"), m_doc.name + QStringLiteral(".pdf"),
                                 filters.join(QStringLiteral(";;")), &chosen);
    if (path.isEmpty())
        return;
    for (const ReportRenderer &r : m_renderers)
        if (r.filter() == chosen && QFileInfo(path).suffix().isEmpty())
            path += r.pattern.mid(1);
    if (ErrorReporter::guard([&] { m_actions.save(m_doc, path, chosen); }))
        Messages::show(SaveFile::savedMessage(path));
}

void ReportPreviewDialog::pageSetup()
{
    QPageSetupDialog setup(&m_previewPrinter, this);
    if (setup.exec() == QDialog::Accepted)
        m_preview->updatePreview();
}
