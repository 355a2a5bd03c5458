#pragma once
#include "data/Connection.h"
#include "reports/ReportDocument.h"
#include "reports/ReportProject.h"
#include "reports/ReportSettings.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class ReportStatusWindow;

// The report module: the report project (loaded from its file at the first run and kept), the
// named data connections the reports read, the report system's settings, and the run of a report
// to the preview, from which the user prints or saves.
class ReportModule : public QObject {
    Q_OBJECT
public:
    explicit ReportModule(const QString &projectFile, QObject *parent = nullptr);
    ~ReportModule() override;

    ReportSettings settings;

    QString projectFile() const { return m_projectFile; }
    bool projectLoaded() const { return m_project.has_value(); }
    // The project, loaded on first use. Raises when the file is missing (naming its full path) or
    // unreadable; a later call tries again.
    const ReportProject &project();

    // A named data connection: a function that returns its rows when a report reads them. Every
    // module has "rdsEmitente" (Emitente::comoLinhas), empty until the program gives the pharmacy.
    void addConnection(const QString &name, const std::function<RowSet()> &rows);
    RowSet rowsOf(const QString &connection) const;   // raises for an unknown name

    // Runs a report: selects it by name, produces its pages (the status window counting them) and
    // hands them to the preview. Returns false, doing nothing, when the project holds no report of
    // that name. Returns when the preview is closed.
    // `documentName`, when given, names the document (the file name the preview's Save proposes).
    bool execute(const QString &reportName, const QString &documentName = {});
    // Runs a report the program lays out itself (no project needed): `build` produces its pages,
    // telling each page's number to the status window, and the preview shows them.
    void run(const std::function<ReportDocument(const std::function<void(int)> &onPage)> &build);
    // Produces a report's pages without showing them; nullopt when there is no such report.
    std::optional<ReportDocument> generate(const QString &reportName);

    // Prints a produced report on a printer already set up, the status window counting the pages.
    void print(const ReportDocument &doc, QPrinter &printer);
    // Saves a produced report with a renderer: by its display name, or by the file's suffix when
    // none is given.
    void save(const ReportDocument &doc, const QString &path, const QString &rendererName = {});
    static QList<ReportRenderer> renderers();

    // The preview the run goes to. By default a modal window; tests put a function of their own.
    using PreviewRunner = std::function<void(ReportModule &, const ReportDocument &)>;
    void setPreviewRunner(const PreviewRunner &runner) { m_previewRunner = runner; }
    static void showPreview(ReportModule &module, const ReportDocument &doc);

signals:
    // Each text the status window shows ("Generating page 1", ...), and an empty text when it closes.
    void statusChanged(const QString &text);

private:
    struct StatusCloser {
        ReportModule *m;
        ~StatusCloser() { m->closeStatus(); }
    };
    void preview(const ReportDocument &doc);
    void status(const QString &pattern, int page);
    void closeStatus();

    QString m_projectFile;
    std::optional<ReportProject> m_project;
    QHash<QString, std::function<RowSet()>> m_connections;   // by lower-case name
    PreviewRunner m_previewRunner;
    std::unique_ptr<ReportStatusWindow> m_statusWindow;
    bool m_statusOpen = false;
};
