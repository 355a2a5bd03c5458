#pragma once
#include "reports/StatementReport.h"

class CachedTable;
class Connection;

// The data of the statement document, read without any window: the orders of the statement's
// list (its rows, in its order), what each is made of, and the issuer from the logged-on user's
// workstation row (its work-area name and CNPJ).
namespace StatementDocument {

struct Request {
    QString convenio;
    QDate inicio, fim;
    QString usuario;          // the logged-on user, whose workstation row names the issuer
    QDateTime emissao;
};

// Items, formulas and components of the listed orders come in one statement per table and station
// (at most 1,000 orders each), not one per order.
StatementData load(Connection &connection, const CachedTable &pedidos, const Request &request);

QString sqlEmitente(const QString &usuario);
QString sqlItens(const QString &estacao, const QList<int> &numeros);
QString sqlFormulas(const QString &estacao, const QList<int> &numeros);
QString sqlComponentes(const QString &estacao, const QList<int> &numeros);

}
