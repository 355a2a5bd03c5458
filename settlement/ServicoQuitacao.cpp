#include "settlement/ServicoQuitacao.h"

#include "data/CentralData.h"
#include "data/SqlText.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/QuitacaoExtrato.h"
#include "settlement/Registro.h"

#include <stdexcept>

namespace ServicoQuitacao {

namespace {

template <typename... F> struct Casos : F... {
    using F::operator()...;
};

// The order the extrato's cache shows as current is the one the command names: the command never
// settles another row than the one the user confirmed.
void confereAtual(CentralData &dm, const QuitaPedido &p)
{
    const CachedTable &pedidos = dm.PEDIDOS;
    const bool mesmo = pedidos.isOpen() && pedidos.recNo() >= 0 &&
                       ChavePedido(pedidos.text(QStringLiteral("ESTACAO")), pedidos.value(QStringLiteral("NPEDIDO"))) == p.pedido;
    if (!mesmo)
        throw std::runtime_error(
            (QStringLiteral("O pedido ") + p.pedido.texto() + QStringLiteral(" não é mais o pedido atual do extrato.")).toStdString());
}

}

QString convenio(const Comando &comando)
{
    return std::visit([](const auto &c) { return c.convenio; }, comando);
}

Periodo periodo(const Comando &comando)
{
    return std::visit([](const auto &c) { return c.periodo; }, comando);
}

QDate pagamento(const Comando &comando)
{
    return std::visit([](const auto &c) { return c.pagamento; }, comando);
}

QString condicao(const Comando &comando)
{
    return std::visit(Casos{
                          [](const QuitaConvenio &c) {
                              return QuitacaoConvenio::Sql::condicaoDoPeriodo(c.convenio, c.periodo.inicioSql(),
                                                                              c.periodo.fimSql());
                          },
                          [](const QuitaPedido &c) {
                              return QuitacaoExtrato::Sql::condicaoDoPedido(c.pedido.estacao(), c.pedido.numero());
                          },
                          [](const QuitaExtrato &c) {
                              return QuitacaoExtrato::Sql::condicaoDosAbertos(c.convenio, c.periodo.inicioSql(),
                                                                              c.periodo.fimSql());
                          },
                      },
                      comando);
}

Registro::Previa previa(Connection &central, const Comando &comando) { return Registro::previa(central, condicao(comando)); }

MotorQuitacao::Resultado executa(CentralData &dm, ContextoQuitacao c, const Comando &comando,
                                 const MotorQuitacao::Opcoes &opcoes, const MotorQuitacao::Progresso &progresso)
{
    c.convenioAtual = convenio(comando);
    return std::visit(
        Casos{
            [&](const QuitaConvenio &q) {
                return QuitacaoConvenio::QuitaConvenio(dm, c, q.periodo.inicio, q.periodo.fim, q.pagamento, progresso, opcoes);
            },
            [&](const QuitaPedido &q) {
                confereAtual(dm, q);
                return QuitacaoExtrato::QuitaPedidoSelecionado(dm, c, q.periodo.inicio, q.periodo.fim, q.pagamento, opcoes,
                                                               progresso);
            },
            [&](const QuitaExtrato &q) {
                return QuitacaoExtrato::QuitaPeriodo(dm, c, q.periodo.inicio, q.periodo.fim, q.pagamento, opcoes, progresso);
            },
        },
        comando);
}

}
