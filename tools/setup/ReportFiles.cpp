#include "tools/setup/ReportFiles.h"

#include "reports/ReportProject.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace SuiteBuilder {

QString writeReportProject(const QString &root)
{
    QDir dir(root);
    if (!dir.mkpath(QStringLiteral("RPT")))
        throw std::runtime_error(QStringLiteral("Não foi possível criar %1/RPT").arg(root).toStdString());
    QFile f(dir.filePath(QStringLiteral("RPT/rptConvenio.rav")));
    const QByteArray text = shippedConvenioProject();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size())
        throw std::runtime_error(QStringLiteral("Não foi possível gravar %1").arg(f.fileName()).toStdString());
    return f.fileName();
}

}
