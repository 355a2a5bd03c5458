#pragma once
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The columns of the suite's central tables that this module reads or writes, and nothing else:
// the cached tables' column lists and the columns the settlements, the cash posting and the
// accounts use. Everything else of a suite table is the suite's, and may not be there.
namespace SuiteColumns {

QMap<QString, QStringList> central();   // table -> columns, upper case

// The columns of that list missing from the database ("PAGPEDID.VALORPAGO"), from the
// catalogue the start-up reads once (ModuleSchema::readCatalog). A table missing whole is named as
// "TABLE.*".
QStringList missing(const QSet<QString> &presentColumns);

}
