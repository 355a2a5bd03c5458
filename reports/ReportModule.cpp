#include "reports/ReportModule.h"

#include "reports/ReportLayout.h"
#include "reports/ReportOutput.h"
#include "reports/ReportPreview.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <stdexcept>

ReportModule::ReportModule(const QString &projectFile, QObject *parent) : QObject(parent), m_projectFile(projectFile)
{
    // Until the program names the pharmacy, its lines in a header print nothing.
    addConnection(QStringLiteral("rdsEmitente"), [] { return RowSet(); });
}

ReportModule::~ReportModule() = default;

const ReportProject &ReportModule::project()
{
    if (!m_project)
        m_project = ReportProject::load(m_projectFile);
    return *m_project;
}

void ReportModule::addConnection(const QString &name, const std::function<RowSet()> &rows)
{
    m_connections.insert(name.toLower(), rows);
}

RowSet ReportModule::rowsOf(const QString &connection) const
{
    const auto it = m_connections.constFind(connection.toLower());
    if (it == m_connections.constEnd() || !*it)
        throw std::runtime_error(QStringLiteral("Data connection '%1' not found").arg(connection).toStdString());
    return (*it)();
}

std::optional<ReportDocument> ReportModule::generate(const QString &reportName)
{
    const ReportDefinition *definition = project().find(reportName);
    if (!definition)
        return std::nullopt;
    StatusCloser closer{this};
    return buildReport(
        *definition, [this](const QString &name) { return rowsOf(name); },
        [this](int page) { status(settings.statusGenerating, page); });
}

bool ReportModule::execute(const QString &reportName, const QString &documentName)
{
    std::optional<ReportDocument> doc = generate(reportName);
    if (!doc)
        return false;
    if (!documentName.isEmpty())
        doc->name = documentName;
    preview(*doc);
    return true;
}

void ReportModule::run(const std::function<ReportDocument(const std::function<void(int)> &)> &build)
{
    ReportDocument doc;
    {
        StatusCloser closer{this};
        doc = build([this](int page) { status(settings.statusGenerating, page); });
    }
    preview(doc);
}

void ReportModule::preview(const ReportDocument &doc)
{
    if (m_previewRunner)
        m_previewRunner(*this, doc);
    else
        showPreview(*this, doc);
}

void ReportModule::showPreview(ReportModule &module, const ReportDocument &doc)
{
    ReportPreviewDialog::Actions actions;
    actions.print = [&module](const ReportDocument &d, QPrinter &printer) { module.print(d, printer); };
    actions.save = [&module](const ReportDocument &d, const QString &path, const QString &renderer) {
        module.save(d, path, renderer);
    };
    ReportPreviewDialog preview(module.settings, renderers(), actions, doc, QApplication::activeWindow());
    preview.exec();
}

void ReportModule::print(const ReportDocument &doc, QPrinter &printer)
{
    StatusCloser closer{this};
    printer.setDocName(settings.jobTitle);
    ReportOutput::print(doc, printer, [this](int page) { status(settings.statusPrinting, page); });
}

QList<ReportRenderer> ReportModule::renderers()
{
    return {{ReportRenderer::Pdf, QStringLiteral("Adobe Acrobat (PDF)"), QStringLiteral("*.pdf")},
            {ReportRenderer::Rtf, QStringLiteral("Rich Text Format (RTF)"), QStringLiteral("*.rtf")}};
}

void ReportModule::save(const ReportDocument &doc, const QString &path, const QString &rendererName)
{
    std::optional<ReportRenderer::Kind> kind;
    const QString suffix = QStringLiteral("*.") + QFileInfo(path).suffix().toLower();
    for (const ReportRenderer &r : renderers())
        if ((!rendererName.isEmpty() && (r.displayName == rendererName || r.filter() == rendererName)) ||
            (rendererName.isEmpty() && r.pattern == suffix))
            kind = r.kind;
    if (!kind)
        throw std::runtime_error(QStringLiteral("No renderer for %1").arg(path).toStdString());
    if (*kind == ReportRenderer::Pdf)
        ReportOutput::writePdf(doc, path);
    else
        ReportOutput::writeRtf(doc, path);
}

void ReportModule::status(const QString &pattern, int page)
{
    QString text = pattern;
    text.replace(QLatin1String("%p"), QString::number(page));
    m_statusOpen = true;
    if (settings.showStatus) {
        if (!m_statusWindow)
            m_statusWindow = std::make_unique<ReportStatusWindow>();
        m_statusWindow->setWindowTitle(settings.statusTitle);
        m_statusWindow->showText(text);
    }
    emit statusChanged(text);
}

void ReportModule::closeStatus()
{
    if (!m_statusOpen)
        return;
    m_statusOpen = false;
    if (m_statusWindow)
        m_statusWindow->hide();
    emit statusChanged(QString());
}
