#include "data/PedidosDoPeriodo.h"

namespace PedidosDoPeriodo {

Condicao abertos(const QString &convenio, const Periodo &periodo, const QString &alias)
{
    const QString a = alias.isEmpty() ? QString() : alias + QLatin1Char('.');
    return {QStringLiteral("%1TIPOPEDIDO = 'Pedido' and %1DATAPEDIDO >= ? and %1DATAPEDIDO <= ? and %1CONVENIO = ? and "
                           "%1DATAPAGAMENTO IS NULL")
                .arg(a),
            {periodo.inicio, periodo.fim, convenio}};
}

}
