#pragma once
#include "data/Periodo.h"
#include "data/SqlText.h"

#include <QString>

// "The real orders of a convênio in a period": the condition the module's own reads select with,
// written once, with parameters. The settlement's statements keep their own literal texts
// (QuitacaoConvenio::Sql, QuitacaoExtrato::Sql): the trace file and the suite know them as they are.
namespace PedidosDoPeriodo {

// The text follows WHERE, AND or ON; its values go with it.
using Condicao = SqlText::ComValores;

// Which orders of the period: those still open (no payment date), or every one, paid or not.
enum class Pagamento { Abertos, Todos };

// "TIPOPEDIDO = 'Pedido' and DATAPEDIDO >= ? and DATAPEDIDO <= ? and CONVENIO = ? and
// DATAPAGAMENTO IS NULL", each column after "alias." when an alias is given. A period without one
// of its ends leaves that side open.
Condicao doConvenio(const QString &convenio, const Periodo &periodo, Pagamento pagamento, const QString &alias = {});

// The same for the convênio of each row of a joined table: `coluna` names it ("C.CONVENIO") in
// place of a value.
Condicao deCadaConvenio(const QString &coluna, const Periodo &periodo, Pagamento pagamento, const QString &alias = {});

// The convênio's open orders of the period, as the extrato lists them.
inline Condicao abertos(const QString &convenio, const Periodo &periodo, const QString &alias = {})
{
    return doConvenio(convenio, periodo, Pagamento::Abertos, alias);
}


// The rows of a detail table (ITENS, PEDIFORM, COMPEDID as D) of every order `filtro` selects, as
// "select P.ESTACAO, P.NPEDIDO, <colunas> from (the orders) P left join <tabela> D ... order by
// <ordem>": the orders come first and reach the table through its key (an outer join keeps that
// order of reading, where an inner join lets the optimizer walk the whole table), and an order
// without rows there comes back once, its D columns null.
SqlText::ComValores detalhes(const Condicao &filtro, const QString &tabela, const QString &colunas, const QString &ordem);

}
