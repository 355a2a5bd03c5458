#pragma once
#include "data/Connection.h"
#include "tools/setup/SuiteBuilder.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// Demo rows for a fresh suite: categories, payment forms, routes, convênios, users and workstations,
// six months of orders with items, formulas and components, their instalments, receivable accounts,
// a few cash-register movements, and the interface database's period record and counter orders.
// The rows are drawn from a fixed seed; only the dates move with the day the suite is made.
//
// Demo logins (name / password as typed at the login panel):
//   ADMIN / 123   right to the module, workstation "01"
//   MARIA / abc   right to the module, workstation "02" (stored with the user name in lower case);
//                 the password is upper-cased before it is coded, so "ABC" works as well
//   JOAO  / 4321  no right to the module: "Usuário JOAO não autorizado"
//   PEDRO / 777   right to the module but no workstation: the workstation message, then the program closes
namespace DemoData {

struct Login {
    QString name;          // as typed; coded upper-cased into USUARIOS.USUARIO
    QString password;      // as typed; coded upper-cased into USUARIOS.SENHA
    bool hasRight;         // ACESSO grants this module
    QString workstation;   // ESTACOES.ESTACAO of the user's work area; empty when there is none
};
const QList<Login> &logins();

// The convênio that has orders still open at the counter (interface PEDIDOS) in the stored period,
// so that settling it is refused.
QString convenioWithCounterOrders();

// Inserts the demo rows, one transaction per database. `today` anchors the dates.
void fill(Connection &central, Connection &interfaceDb, const QDate &today);
inline void fill(Connection &central, Connection &interfaceDb) { fill(central, interfaceDb, QDate::currentDate()); }

// Stand-ins for the sibling programs Rebatex.exe and Mirrorup.exe in `root`: shell scripts that
// append a time-stamped line and then their arguments, one per line, to "<root>/<name>.log".
// Returns the paths written.
QStringList writeSiblingStandIns(const QString &root);

// What the set-up tool does: an empty suite at `root` (refused when one is there, unless
// options.overwrite), the demo rows unless `withRows` is false, and the sibling stand-ins.
void createSuite(const QString &root, const SuiteBuilder::Options &options, bool withRows);

}
