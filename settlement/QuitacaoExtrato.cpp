#include "settlement/QuitacaoExtrato.h"

#include "data/CentralData.h"
#include "data/SqlText.h"
#include "settlement/MotorQuitacao.h"

using SqlText::quoted;

namespace QuitacaoExtrato {

namespace Sql {

namespace {
const QString cabecaAbertura = QStringLiteral("TIPOPEDIDO='Pedido' AND DATAPEDIDO >= '");
const QString cabecaLista = QStringLiteral("TIPOPEDIDO = 'Pedido' AND  DATAPEDIDO >= '");
const QString cabecaTotal = QStringLiteral("TIPOPEDIDO = 'Pedido' AND DATAPEDIDO >= '");

// "... DATAPEDIDO >= 'di' and DATAPEDIDO <= 'df' and CONVENIO = 'x' and DATAPAGAMENTO IS NULL", after
// the head each statement writes in its own way.
QString abertosDoPeriodo(const QString &cabeca, const QString &convenio, const QString &di, const QString &df)
{
    return cabeca + di + QStringLiteral("' and DATAPEDIDO <= '") + df + QStringLiteral("' and CONVENIO = '") +
           quoted(convenio) + QStringLiteral("' and DATAPAGAMENTO IS NULL");
}
}

QString pedidosDoPeriodo(const QString &colunas, Ordem ordem, const QString &convenio, const QString &di,
                         const QString &df)
{
    const QString &cabeca = ordem == Ordem::Abertura ? cabecaAbertura : cabecaLista;
    const QString ordenacao = ordem == Ordem::PorNome ? QStringLiteral(" order by NOME, DATAPEDIDO")
                                                      : QStringLiteral(" order by DATAPEDIDO");
    return QStringLiteral("Select ") + colunas + QStringLiteral(" from PEDIDOS where ") +
           abertosDoPeriodo(cabeca, convenio, di, df) + ordenacao;
}

QString totalDoPeriodo(const QString &convenio, const QString &di, const QString &df)
{
    return QStringLiteral("select SUM(VALORRESTANTE) TOTAL from PEDIDOS where ") +
           abertosDoPeriodo(cabecaTotal, convenio, di, df);
}

QString listaPedidos(const QString &convenio, const QString &di, const QString &df)
{
    return pedidosDoPeriodo(QStringLiteral("ESTACAO, NPEDIDO, DATAPEDIDO, DATAPAGAMENTO"), Ordem::PorData, convenio,
                            di, df);
}

QString condicaoDosAbertos(const QString &convenio, const QString &di, const QString &df)
{
    return abertosDoPeriodo(cabecaLista, convenio, di, df);
}

QString condicaoDoPedido(const QString &estacao, const QString &npedido)
{
    return QStringLiteral("ESTACAO = '") + quoted(estacao) + QStringLiteral("' and NPEDIDO = '") + quoted(npedido) +
           QLatin1Char('\'');
}

QString marcaPedidosPagos(const QString &convenio, const QString &pagamento, const QString &di, const QString &df)
{
    // Only real orders, the ones listed and settled, receive the payment date.
    return QStringLiteral("update PEDIDOS set DATAPAGAMENTO = '") + pagamento + QStringLiteral("' where DATAPEDIDO >= '") +
           di + QStringLiteral("' AND DATAPEDIDO <= '") + df + QStringLiteral("' and CONVENIO = '") + quoted(convenio) +
           QStringLiteral("' and DATAPAGAMENTO IS NULL and TIPOPEDIDO = 'Pedido'");
}

}

MotorQuitacao::Resultado QuitaPedidoSelecionado(CentralData &dm, const ContextoQuitacao &c, const QDate &di,
                                                const QDate &df, const QDate &pagamento, const MotorQuitacao::Opcoes &opcoes,
                                                const MotorQuitacao::Progresso &progresso)
{
    CachedTable &pedidos = dm.PEDIDOS;
    MotorQuitacao::Roteiro r;
    r.pedidoUnico = ChavePedido(pedidos.text(QStringLiteral("ESTACAO")), pedidos.value(QStringLiteral("NPEDIDO")));
    r.condicao = Sql::condicaoDoPedido(r.pedidoUnico.estacao(), r.pedidoUnico.numero());
    r.aposParcelas = [&] {
        pedidos.edit();
        pedidos.setValue(QStringLiteral("DATAPAGAMENTO"), pagamento);
        pedidos.setValue(QStringLiteral("PAGO"), QStringLiteral("T"));
        pedidos.post();   // written back by the order's key, and the list read again
    };
    r.comando = Registro::Comando::Pedido;
    r.inicio = di;
    r.fim = df;
    r.opcoes = opcoes;
    return MotorQuitacao::executa(dm, c, pagamento, r, progresso);
}

MotorQuitacao::Resultado QuitaPeriodo(CentralData &dm, const ContextoQuitacao &c, const QDate &di, const QDate &df,
                                      const QDate &pagamento, const MotorQuitacao::Opcoes &opcoes,
                                      const MotorQuitacao::Progresso &progresso)
{
    const QString inicio = SqlText::dateMDY(di);
    const QString fim = SqlText::dateMDY(df);
    MotorQuitacao::Roteiro r;
    r.condicao = Sql::condicaoDosAbertos(c.convenioAtual, inicio, fim);
    r.lista = Sql::listaPedidos(c.convenioAtual, inicio, fim);
    r.depois = {Sql::marcaPedidosPagos(c.convenioAtual, SqlText::dateMDY(pagamento), inicio, fim)};
    r.comando = Registro::Comando::Periodo;
    r.inicio = di;
    r.fim = df;
    r.pagoDepois = QStringLiteral("PAGO");   // the command writes the payment date only
    r.opcoes = opcoes;
    return MotorQuitacao::executa(dm, c, pagamento, r, progresso);
}

}
