#include "settlement/StatementSettlement.h"

#include "data/CentralData.h"
#include "data/SqlText.h"
#include "settlement/Atomic.h"

using SqlText::quoted;

namespace QuitacaoExtrato {

namespace Sql {

namespace {
// " DATAPEDIDO >= 'di' and DATAPEDIDO <= 'df' and CONVENIO = 'x' and DATAPAGAMENTO IS NULL", after
// the head each statement writes in its own way.
QString abertosDoPeriodo(const QString &cabeca, const QString &convenio, const QString &di, const QString &df)
{
    return cabeca + di + QStringLiteral("' and DATAPEDIDO <= '") + df + QStringLiteral("' and CONVENIO = '") +
           quoted(convenio) + QStringLiteral("' and DATAPAGAMENTO IS NULL");
}

const QString cabecaAbertura = QStringLiteral(" from PEDIDOS where TIPOPEDIDO='Pedido' AND DATAPEDIDO >= '");
const QString cabecaLista = QStringLiteral(" from PEDIDOS where TIPOPEDIDO = 'Pedido' AND  DATAPEDIDO >= '");
}

QString pedidosDoPeriodo(const QString &colunas, Ordem ordem, const QString &convenio, const QString &di,
                         const QString &df)
{
    const QString &cabeca = ordem == Ordem::Abertura ? cabecaAbertura : cabecaLista;
    const QString ordenacao = ordem == Ordem::PorNome ? QStringLiteral(" order by NOME, DATAPEDIDO")
                                                      : QStringLiteral(" order by DATAPEDIDO");
    return QStringLiteral("Select ") + colunas + abertosDoPeriodo(cabeca, convenio, di, df) + ordenacao;
}

QString totalDoPeriodo(const QString &convenio, const QString &di, const QString &df)
{
    return QStringLiteral("select SUM(VALORRESTANTE) TOTAL") +
           abertosDoPeriodo(QStringLiteral(" from PEDIDOS where TIPOPEDIDO = 'Pedido' AND DATAPEDIDO >= '"), convenio,
                            di, df);
}

QString listaPedidos(const QString &convenio, const QString &di, const QString &df)
{
    return pedidosDoPeriodo(QStringLiteral("ESTACAO, NPEDIDO, DATAPEDIDO, DATAPAGAMENTO"), Ordem::PorData, convenio,
                            di, df);
}

QString marcaPedidosPagos(const QString &convenio, const QString &pagamento, const QString &di, const QString &df)
{
    // Only real orders, the ones listed and settled, receive the payment date.
    return QStringLiteral("update PEDIDOS set DATAPAGAMENTO = '") + pagamento + QStringLiteral("' where DATAPEDIDO >= '") +
           di + QStringLiteral("' AND DATAPEDIDO <= '") + df + QStringLiteral("' and CONVENIO = '") + quoted(convenio) +
           QStringLiteral("' and DATAPAGAMENTO IS NULL and TIPOPEDIDO = 'Pedido'");
}

}

void QuitaPedidoSelecionado(CentralData &dm, const ContextoQuitacao &c, const QDate &pagamento)
{
    CachedTable &pedidos = dm.PEDIDOS;
    const QString estacao = pedidos.text(QStringLiteral("ESTACAO"));
    const QString numero = SqlText::number(pedidos.value(QStringLiteral("NPEDIDO")));
    Atomic::run(dm.SQLConnection1, [&] {
        QuitaParcelas(dm, estacao, numero, pagamento);
        pedidos.edit();
        pedidos.setValue(QStringLiteral("DATAPAGAMENTO"), pagamento);
        pedidos.setValue(QStringLiteral("PAGO"), QStringLiteral("T"));
        pedidos.post();   // written back by the order's key, and the list read again
        if (c.rodandoNoCaixa())
            LancaMovCaixa(dm, estacao, numero, c);
    }, 1);
}

void QuitaPeriodo(CentralData &dm, const ContextoQuitacao &c, const QString &di, const QString &df,
                  const QDate &pagamento)
{
    Atomic::run(dm.SQLConnection1, [&] {
        FreeQuery &q1 = dm.SQLQuery1;
        q1.close();
        q1.clearSql();
        q1.setSql(Sql::listaPedidos(c.convenioAtual, di, df));
        q1.open();
        const RowSet lista = q1.rows();
        q1.close();
        for (const auto &row : lista.rows) {
            const QString estacao = row.value(0).toString();
            const QString numero = SqlText::number(row.value(1));
            QuitaParcelas(dm, estacao, numero, pagamento);
            if (c.rodandoNoCaixa())
                LancaMovCaixa(dm, estacao, numero, c);
        }
        dm.SQLConnection1.execute(Sql::marcaPedidosPagos(c.convenioAtual, SqlText::dateMDY(pagamento), di, df));
    });
}

}
