#pragma once
#include "data/Connection.h"
#include "data/Decimal.h"
#include "data/SqlText.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <array>

// The live figures of the closing list: for each convênio, its open orders of a period and what
// is still owed for them, counted and summed as the statement counts and totals them (real orders,
// dated inside the period, not yet paid), and that amount split by the age of the orders.
struct OpenOrders {
    int count = 0;
    Decimal remaining{0, 2};   // an order without remaining value adds nothing
    // By age on the reference day: up to 30 days, 31 to 60, 61 to 90, over 90 (an order without
    // date counts as the oldest). The four add up to `remaining`.
    std::array<Decimal, 4> byAge{Decimal(0, 2), Decimal(0, 2), Decimal(0, 2), Decimal(0, 2)};
};

// One month of a convênio's real orders: what is still open and what was settled of them.
struct MonthFigures {
    Decimal open{0, 2};
    Decimal settled{0, 2};
};

// The twelve months up to a reference day, oldest first; each month's figures by convênio name.
struct YearOfMonths {
    QList<QDate> months;   // the first day of each month
    QHash<QString, QList<MonthFigures>> byConvenio;
    // The months of one convênio, or of every convênio when the name is null.
    QList<MonthFigures> of(const QString &convenio) const;
};

namespace ClosingFigures {

inline const QString CountField = QStringLiteral("PEDIDOSABERTOS");
inline const QString RemainingField = QStringLiteral("VALORABERTO");
// The amount open by age, in the order of OpenOrders::byAge.
inline const std::array<QString, 4> AgeFields{QStringLiteral("ATE30DIAS"), QStringLiteral("DE31A60DIAS"),
                                              QStringLiteral("DE61A90DIAS"), QStringLiteral("MAISDE90DIAS")};

// One grouped statement over every registered convênio's orders of the period; it reaches each
// convênio's orders through the (CONVENIO, DATAPEDIDO) index. A null date leaves that end open.
// The ages are counted in days up to `reference`.
SqlText::ComValores sqlOpenOrders(const QDate &from, const QDate &to, const QDate &reference);

// The figures by convênio name (exact, as the orders carry it).
QHash<QString, OpenOrders> openOrdersByConvenio(Connection &connection, const QDate &from, const QDate &to,
                                                const QDate &reference);

// The convênio list with the figures appended as PEDIDOSABERTOS (integer), VALORABERTO and the four
// ages (decimal 15.2), zero for a convênio without open orders.
RowSet withFigures(const RowSet &convenios, const QHash<QString, OpenOrders> &figures);

// The figures of one convênio as the list's columns show them.
QVariant countOf(const QHash<QString, OpenOrders> &figures, const QString &convenio);
QVariant remainingOf(const QHash<QString, OpenOrders> &figures, const QString &convenio);
QVariant ageOf(const QHash<QString, OpenOrders> &figures, const QString &convenio, int age);

// One grouped statement: the real orders of the twelve months that end with the month of
// `reference`, summed by convênio and month, open and settled apart; of one convênio (through the
// (CONVENIO, DATAPEDIDO) index), or of every registered convênio when `convenio` is null.
QString sqlMonths(const QDate &reference, const QString &convenio = QString());
YearOfMonths monthsByConvenio(Connection &connection, const QDate &reference, const QString &convenio = QString());

}
