#pragma once
#include <QMap>
#include <QString>
#include <QStringList>

class Connection;

// The columns of the suite's central tables that this module reads or writes, and nothing else:
// the cached tables' column lists and the columns the settlements, the cash posting and the
// accounts use. Everything else of a suite table is the suite's, and may not be there.
namespace SuiteColumns {

QMap<QString, QStringList> central();   // table -> columns, upper case

// The columns of that list missing from the database ("PAGPEDID.VALORPAGO"), from one query of
// its catalogue. A table missing whole is named as "TABLE.*".
QStringList missing(Connection &connection);

}
