#pragma once
#include "data/Periodo.h"

#include <QString>
#include <QVariantList>

// "The real orders of a convênio in a period, still open": the condition the module's own reads
// select with, written once, with parameters. The settlement's statements keep their own literal
// texts (QuitacaoConvenio::Sql, QuitacaoExtrato::Sql): the trace file and the suite know them as
// they are.
namespace PedidosDoPeriodo {

struct Condicao {
    QString texto;          // to follow WHERE or AND
    QVariantList valores;   // one for each "?" of the text, in order
};

// "TIPOPEDIDO = 'Pedido' and DATAPEDIDO >= ? and DATAPEDIDO <= ? and CONVENIO = ? and
// DATAPAGAMENTO IS NULL", each column after "alias." when an alias is given.
Condicao abertos(const QString &convenio, const Periodo &periodo, const QString &alias = {});

}
