#pragma once
#include "reports/ReportDocument.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

// One report of a report project: its page, its header and footer lines, the data connection whose
// rows make the detail lines, the columns, and the totals (see reports/README.md).
struct ReportDefinition {
    QString name;
    QString title;
    QString fileName;              // the name the save dialog proposes, fields filled in; the name when empty
    QSizeF pageSize{21.0, 29.7};   // cm, portrait
    bool landscape = false;
    QMarginsF margins{2.0, 1.5, 1.5, 1.5};
    QString fontFamily = QStringLiteral("Arial");
    double fontSize = 10;
    QList<ReportTextLine> header;
    QString detailConnection;
    QList<ReportColumn> columns;
    struct Total {
        QString field;
        QString label;
        QString format;
    };
    QList<Total> totals;
    QList<ReportTextLine> closing;
    // A picture printed once after the closing lines, whole on the last page: the image in a
    // field of a data connection's first row (PNG bytes), at this height and its own proportions.
    struct Picture {
        QString connection;
        QString field;
        double height = 0;   // cm
    };
    Picture picture;
    ReportTextLine footer;
    ReportTextLine watermark;   // across every page when its filled text is not empty
};

// A report project file: the reports of a program, selected by name.
class ReportProject {
public:
    // Reads a project file. Raises when it does not exist (naming its full path) or does not read
    // as a project.
    static ReportProject load(const QString &path);
    // Reads a project from its text; `source` names it in error messages.
    static ReportProject parse(const QByteArray &text, const QString &source);

    QString name() const { return m_name; }
    QString path() const { return m_path; }
    QStringList reportNames() const;
    // The report of that name (case-insensitive), or nullptr.
    const ReportDefinition *find(const QString &reportName) const;

private:
    QString m_name;
    QString m_path;
    QList<ReportDefinition> m_reports;
};

// The project file the convênio module ships ("rptConvenio.rav"), as stored in the program.
QByteArray shippedConvenioProject();
