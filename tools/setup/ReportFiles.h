#pragma once
#include <QString>

namespace SuiteBuilder {

// Writes the module's report project into the suite's RPT folder ("RPT/rptConvenio.rav"), replacing
// any older copy. Returns the path written.
QString writeReportProject(const QString &root);

}
