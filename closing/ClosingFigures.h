#pragma once
#include "data/Connection.h"
#include "data/Decimal.h"

#include <QDate>
#include <QHash>
#include <QString>

// The live figures of the closing list: for each convênio, its open orders of a period and what
// is still owed for them, counted and summed as the statement counts and totals them (real orders,
// dated inside the period, not yet paid).
struct OpenOrders {
    int count = 0;
    Decimal remaining{0, 2};   // an order without remaining value adds nothing
};

namespace ClosingFigures {

inline const QString CountField = QStringLiteral("PEDIDOSABERTOS");
inline const QString RemainingField = QStringLiteral("VALORABERTO");

// One grouped statement over every registered convênio's orders of the period; it reaches each
// convênio's orders through the (CONVENIO, DATAPEDIDO) index. A null date leaves that end open.
QString sqlOpenOrders(const QDate &from, const QDate &to);

// The figures by convênio name (exact, as the orders carry it).
QHash<QString, OpenOrders> openOrdersByConvenio(Connection &connection, const QDate &from, const QDate &to);

// The convênio list with the two figures appended as PEDIDOSABERTOS (integer) and VALORABERTO
// (decimal 15.2), zero for a convênio without open orders.
RowSet withFigures(const RowSet &convenios, const QHash<QString, OpenOrders> &figures);

// The two figures of one convênio as the list's columns show them.
QVariant countOf(const QHash<QString, OpenOrders> &figures, const QString &convenio);
QVariant remainingOf(const QHash<QString, OpenOrders> &figures, const QString &convenio);

}
