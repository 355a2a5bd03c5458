#pragma once
#include "data/Connection.h"
#include "tools/setup/SuiteBuilder.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

// A suite the size of a large compounding pharmacy, for measuring the module: by default 2,000
// convênios, 1,000,000 orders over three years (half of them with 1 to 3 resale items, half with 1 to
// 3 formulas of 2 to 6 components), for each order its instalment row in PAGPEDID and a receivable
// account with 2 or 3 instalments, and 1,000,000 cash-register movements.
//
// The rows are generated inside the database (one EXECUTE BLOCK per batch of orders, a transaction
// per batch) from a fixed hash of the order's number, so the same options always give the same rows.
// Most orders older than the last three months are paid; the rest are open.
//
// Besides the ordinary convênios the suite holds a few whose orders are known exactly, for the
// measurements (see sets()):
//   - the statement convênio: `statementOrders` open orders in one month (the month two months
//     before the last day), plus paid orders and budgets of that month and open orders of the month
//     before, which the statement must not list;
//   - one settlement convênio per entry of `settlementSizes`, each with exactly that many open
//     orders in the last full month before the last day, and nothing else.
// The stored period record is the statement convênio's month; the stored logon is ADMIN (password
// 123, workstation 01), so the program opens on the register without asking.
namespace ScaleData {

struct Options {
    int convenios = 2000;
    int orders = 1000000;
    int movements = 1000000;
    int statementOrders = 500;
    QList<int> settlementSizes = {1000, 5000, 20000};
    QDate lastDay = QDate(2025, 12, 31);   // the orders span the three years that end here
    int batch = 20000;                     // orders per EXECUTE BLOCK and transaction
};
// The same rows in databases made the way the suite's old programs made them (see
// SuiteBuilder::Options::oldStyle) come from createSuite with suiteOptions.oldStyle set.

// A convênio whose open orders the measurements use, and the period that holds them.
struct Set {
    QString convenio;
    QDate first;
    QDate last;
    int openOrders = 0;
};

// The statement convênio and the settlement convênios (in the order of settlementSizes).
Set statementSet(const Options &options);
QList<Set> settlementSets(const Options &options);
// The orders of all the sets (listed or not), which the ordinary orders leave room for.
int setOrders(const Options &options);

// Raises when the options cannot be met (too few orders or convênios for the sets).
void validate(const Options &options);

using Progress = std::function<void(const QString &)>;

// Fills the empty databases of a suite. `progress` is told what is being written.
void fill(Connection &central, Connection &interfaceDb, const Options &options, const Progress &progress = {});

// What the set-up tool does with --scale: an empty suite at `root` (refused when one is there,
// unless suiteOptions.overwrite), the rows above, the stored logon and the sibling stand-ins.
void createSuite(const QString &root, const SuiteBuilder::Options &suiteOptions, const Options &options,
                 const Progress &progress = {});

}
