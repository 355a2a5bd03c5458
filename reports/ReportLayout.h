#pragma once
#include "data/Connection.h"
#include "reports/ReportDocument.h"
#include "reports/ReportProject.h"

#include <QLocale>
#include <functional>

// Produces a report from its definition: fills the header's fields from the data connections,
// turns the detail connection's rows into formatted lines, adds the totals and lays everything out
// on pages.
//
// `rowsOf` returns the rows of a named data connection (raising when there is no such connection);
// `onPage` is told the number of each page as it is started.
ReportDocument buildReport(const ReportDefinition &definition, const std::function<RowSet(const QString &)> &rowsOf,
                           const std::function<void(int)> &onPage = {});

// A value as a report shows it. Numbers follow patterns such as "#,##0.00" (grouping when the
// pattern has a comma, as many decimals as it has after the point) with the workstation's
// separators; dates follow "dd/mm/yy" (the default) or "dd/mm/yyyy".
QString formatReportValue(const QVariant &value, const QString &format, const QLocale &locale = QLocale());

// Height of a line of text of that size, in centimetres.
double reportLineHeight(double pointSize);
