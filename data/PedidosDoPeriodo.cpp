#include "data/PedidosDoPeriodo.h"

#include <QStringList>

namespace PedidosDoPeriodo {

namespace {

// `convenio` is the text compared with the order's CONVENIO: "?" with its value, or a column.
Condicao monta(const QString &convenio, const QVariantList &valorDoConvenio, const Periodo &periodo, Pagamento pagamento,
               const QString &alias)
{
    const QString a = alias.isEmpty() ? QString() : alias + QLatin1Char('.');
    Condicao c;
    QStringList partes{QStringLiteral("%1TIPOPEDIDO = 'Pedido'").arg(a)};
    if (periodo.inicio.isValid()) {
        partes << QStringLiteral("%1DATAPEDIDO >= ?").arg(a);
        c.valores << periodo.inicio;
    }
    if (periodo.fim.isValid()) {
        partes << QStringLiteral("%1DATAPEDIDO <= ?").arg(a);
        c.valores << periodo.fim;
    }
    partes << QStringLiteral("%1CONVENIO = %2").arg(a, convenio);
    c.valores << valorDoConvenio;
    if (pagamento == Pagamento::Abertos)
        partes << QStringLiteral("%1DATAPAGAMENTO IS NULL").arg(a);
    c.texto = partes.join(QStringLiteral(" and "));
    return c;
}

}

Condicao doConvenio(const QString &convenio, const Periodo &periodo, Pagamento pagamento, const QString &alias)
{
    return monta(QStringLiteral("?"), {convenio}, periodo, pagamento, alias);
}

Condicao deCadaConvenio(const QString &coluna, const Periodo &periodo, Pagamento pagamento, const QString &alias)
{
    return monta(coluna, {}, periodo, pagamento, alias);
}


SqlText::ComValores detalhes(const Condicao &filtro, const QString &tabela, const QString &colunas, const QString &ordem)
{
    return {QStringLiteral("select P.ESTACAO, P.NPEDIDO, ") + colunas +
                QStringLiteral(" from (select ESTACAO, NPEDIDO from PEDIDOS where ") + filtro.texto +
                QStringLiteral(") P left join ") + tabela +
                QStringLiteral(" D on D.ESTACAO = P.ESTACAO and D.NPEDIDO = P.NPEDIDO order by ") + ordem,
            filtro.valores};
}

}
