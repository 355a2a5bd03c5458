#pragma once
#include "data/PedidosDoPeriodo.h"
#include "reports/ExtratoReport.h"

class CachedTable;
class Connection;

// The data of the statement document, read without any window: the orders of the statement's
// list (its rows, in its order), what each is made of, and the issuer from the logged-on user's
// workstation row (its work-area name and CNPJ).
namespace ExtratoDocument {

struct Request {
    QString convenio;
    QDate inicio, fim;        // the period the document names (the stored one)
    PedidosDoPeriodo::Condicao filtroDaLista;   // the filter the list was read with
    QString usuario;          // the logged-on user, whose workstation row names the issuer
    QDateTime emissao;
};

// Items, formulas and components come in one statement per table, joined to the orders the list's
// own filter selects (convênio, period, open, real orders), so each table is read through its key
// from the convênio's orders of the period. A listed order that filter no longer selects (settled
// elsewhere since the list was read) has its details read by its key.
ExtratoData load(Connection &connection, const CachedTable &pedidos, const Request &request);

QString sqlEmitente(const QString &usuario);

// The details of the orders the list's filter selects. Each row starts with the order's station and
// number and ends with a column that is null for an order without rows in that table.
SqlText::ComValores sqlItensDaLista(const PedidosDoPeriodo::Condicao &filtro);
SqlText::ComValores sqlFormulasDaLista(const PedidosDoPeriodo::Condicao &filtro);
SqlText::ComValores sqlComponentesDaLista(const PedidosDoPeriodo::Condicao &filtro);

// The same details of the given orders of one station, by their keys (at most 100 orders).
QString sqlItens(const QString &estacao, const QList<int> &numeros);
QString sqlFormulas(const QString &estacao, const QList<int> &numeros);
QString sqlComponentes(const QString &estacao, const QList<int> &numeros);

}
