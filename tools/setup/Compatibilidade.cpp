#include "tools/setup/Compatibilidade.h"

#include "closing/ClosingFigures.h"
#include "data/CentralData.h"
#include "data/Connection.h"
#include "data/PedidosDoPeriodo.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Estorno.h"
#include "settlement/Posting.h"
#include "settlement/Registro.h"
#include "settlement/MotorQuitacao.h"
#include "settlement/QuitacaoExtrato.h"
#include "extrato/ExtratoDocument.h"

#include <QRegularExpression>

namespace Compatibilidade {

namespace {

using ModuleSchema::Database;

// Sample values: a name with an apostrophe, a period, an order and an account.
const QString kConvenio = QStringLiteral("Padaria D'Ouro");
const QString kDi = QStringLiteral("11/01/26");
const QString kDf = QStringLiteral("11/30/26");
const QDate kPagamento(2026, 12, 5);
const QString kPedido = QStringLiteral(" where ESTACAO = '01' and NPEDIDO = 7");

const Periodo kPeriodo{QDate(2026, 11, 1), QDate(2026, 11, 30)};

Comando comValores(const QString &descricao, const SqlText::ComValores &sql)
{
    return {descricao, Database::Central, sql.texto, sql.valores};
}

ContextoQuitacao contexto()
{
    ContextoQuitacao c;
    c.convenioAtual = kConvenio;
    c.caixaAtual = QStringLiteral("1");
    c.sessaoCaixa = QStringLiteral("S1");
    c.formaPagCaixa = QStringLiteral("Dinheiro");
    c.usuario = QStringLiteral("ADMIN");
    c.estacao = QStringLiteral("01");
    return c;
}

QList<Comando> daSuite()
{
    const ContextoQuitacao c = contexto();
    const QString cond = QuitacaoConvenio::Sql::condicaoDoPeriodo(kConvenio, kDi, kDf);
    const PedidosDoPeriodo::Condicao lista = PedidosDoPeriodo::abertos(kConvenio, kPeriodo);
    using QuitacaoExtrato::Sql::Ordem;
    return {
        {QStringLiteral("cadastro de convênios"), Database::Central, CentralData::ConveniosCommand},
        {QStringLiteral("usuários (login)"), Database::Central, CentralData::UsuariosCommand},
        {QStringLiteral("estações"), Database::Central, CentralData::EstacoesCommand},
        {QStringLiteral("período gravado"), Database::Interface,
         QStringLiteral("select DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO, NPEDIDO, NFORMULA, "
                        "VALORTOTAL, VALORTOTAL2 from PERIODO")},
        {QStringLiteral("pedidos abertos no balcão"), Database::Interface,
         QuitacaoConvenio::Sql::pedidosAbertos(kConvenio, kDi, kDf)},
        {QStringLiteral("contagem dos pedidos abertos no balcão"), Database::Interface,
         QuitacaoConvenio::Sql::contaPedidosAbertos(kConvenio, kDi, kDf)},
        {QStringLiteral("lista do extrato"), Database::Central,
         QuitacaoExtrato::Sql::pedidosDoPeriodo(CentralData::PedidosColumns, Ordem::PorNome, kConvenio, kDi, kDf)},
        {QStringLiteral("total do extrato"), Database::Central, QuitacaoExtrato::Sql::totalDoPeriodo(kConvenio, kDi, kDf)},
        {QStringLiteral("itens do pedido"), Database::Central,
         QStringLiteral("Select ") + CentralData::ItensColumns + QStringLiteral(" from ITENS") + kPedido},
        {QStringLiteral("fórmulas do pedido"), Database::Central,
         QStringLiteral("Select ") + CentralData::PediformColumns + QStringLiteral(" from PEDIFORM") + kPedido},
        {QStringLiteral("componentes da fórmula"), Database::Central,
         QStringLiteral("Select ") + CentralData::CompedidColumns + QStringLiteral(" from COMPEDID") + kPedido +
             QStringLiteral(" and NFORMULA = 1")},
        {QStringLiteral("extrato impresso: emitente"), Database::Central, ExtratoDocument::sqlEmitente(QStringLiteral("ADMIN"))},
        comValores(QStringLiteral("extrato impresso: itens"), ExtratoDocument::sqlItensDaLista(lista)),
        comValores(QStringLiteral("extrato impresso: fórmulas"), ExtratoDocument::sqlFormulasDaLista(lista)),
        comValores(QStringLiteral("extrato impresso: componentes"), ExtratoDocument::sqlComponentesDaLista(lista)),
        comValores(QStringLiteral("lista de fechamento"),
                   ClosingFigures::sqlOpenOrders(kPeriodo.inicio, kPeriodo.fim, QDate(2026, 12, 5))),
        {QStringLiteral("lista de fechamento: gráfico dos meses"), Database::Central, ClosingFigures::sqlMonths(QDate(2026, 12, 5))},
        {QStringLiteral("lista de fechamento: gráfico de um convênio"), Database::Central,
         ClosingFigures::sqlMonths(QDate(2026, 12, 5), kConvenio)},
        {QStringLiteral("Quitar: pedidos marcados pagos"), Database::Central,
         QuitacaoConvenio::Sql::marcaPedidosPagos(kConvenio, QStringLiteral("12/05/26"), kDi, kDf)},
        {QStringLiteral("Quitar: lista dos pedidos"), Database::Central, QuitacaoConvenio::Sql::listaPedidos(kConvenio, kDi, kDf)},
        {QStringLiteral("Quitar: parcelas do pedido"), Database::Central,
         SqlPosting::quitaPagamentos(QStringLiteral("12/05/26"), QStringLiteral("017"))},
        {QStringLiteral("quitação: pedidos lidos de uma vez"), Database::Central, MotorQuitacao::Sql::lePedidos(cond, true, true)},
        {QStringLiteral("quitação: prévia"), Database::Central, Registro::Sql::previa(cond)},
        {QStringLiteral("extrato: pedidos do período quitados"), Database::Central,
         QuitacaoExtrato::Sql::marcaPedidosPagos(kConvenio, QStringLiteral("12/05/26"), kDi, kDf)},
        {QStringLiteral("extrato: lista dos pedidos do período"), Database::Central,
         QuitacaoExtrato::Sql::listaPedidos(kConvenio, kDi, kDf)},
        {QStringLiteral("conta a receber do pedido"), Database::Central, SqlPosting::contaDoPedido(QStringLiteral("01"), QStringLiteral("7"))},
        {QStringLiteral("parcelas da conta"), Database::Central, SqlPosting::quitaParcelas(kPagamento, QStringLiteral("101"))},
        {QStringLiteral("caixa: movimentos sem valor"), Database::Central, SqlPosting::apagaMovimentosZerados()},
        {QStringLiteral("caixa: valor do pedido"), Database::Central, SqlPosting::lePedido(QStringLiteral("01"), QStringLiteral("7"))},
        {QStringLiteral("caixa: movimento do pedido"), Database::Central, SqlPosting::procuraMovimento(QStringLiteral("017"))},
        {QStringLiteral("caixa: maior código"), Database::Central, SqlPosting::maiorCodigo()},
        {QStringLiteral("caixa: lançamento"), Database::Central,
         SqlPosting::insereMovimento(1, c, QDateTime(kPagamento, QTime(10, 0)), QStringLiteral("1.00"), QStringLiteral("017"),
                                     QStringLiteral("LAB"))},
    };
}

QList<Comando> doRegistro()
{
    const ContextoQuitacao c = contexto();
    const QString cond = QuitacaoConvenio::Sql::condicaoDoPeriodo(kConvenio, kDi, kDf);
    const auto &pag = Estorno::Sql::Copias::pagamentos();
    const auto &par = Estorno::Sql::Copias::parcelas();
    QList<Comando> out = {
        {QStringLiteral("registro: reserva do convênio"), Database::Central, Registro::Sql::reivindica(kConvenio, c)},
        {QStringLiteral("registro: número"), Database::Central, Registro::Sql::proximoCodigo()},
        {QStringLiteral("registro: cabeçalho"), Database::Central,
         Registro::Sql::insereCabecalho(1, Registro::Comando::Convenio, c, QDate(2026, 11, 1), QDate(2026, 11, 30), kPagamento)},
        {QStringLiteral("registro: pedidos"), Database::Central, Registro::Sql::guardaPedidos(1, cond, QStringLiteral("'T'"), kPagamento)},
        {QStringLiteral("registro: parcelas dos pedidos"), Database::Central,
         Registro::Sql::guardaPagamentos(1, {QStringLiteral("017")}, kPagamento)},
        {QStringLiteral("registro: parcelas da conta"), Database::Central,
         Registro::Sql::guardaParcelas(1, QStringLiteral("101"), QStringLiteral("01"), QStringLiteral("7"), kPagamento)},
        {QStringLiteral("registro: movimentos"), Database::Central,
         Registro::Sql::anotaMovimentos(1, {Registro::Sql::Movimento{ChavePedido(QStringLiteral("01"), 7), 1}})},
        {QStringLiteral("registro: totais"), Database::Central, Registro::Sql::totaliza(1)},
        {QStringLiteral("lista das quitações"), Database::Central, Registro::Sql::lista(kConvenio)},
        {QStringLiteral("comprovante: pedidos"), Database::Central, Registro::Sql::pedidos(1)},
        {QStringLiteral("estorno: marca"), Database::Central, Estorno::Sql::marca(1, c, QStringLiteral("motivo"))},
        {QStringLiteral("estorno: quitações posteriores"), Database::Central, Estorno::Sql::quitadoDeNovo(1)},
        {QStringLiteral("estorno: pedidos alterados"), Database::Central, Estorno::Sql::pedidoAlterado(1)},
        {QStringLiteral("estorno: movimentos alterados"), Database::Central, Estorno::Sql::movimentoAlterado(1)},
        {QStringLiteral("estorno: pedidos restaurados"), Database::Central, Estorno::Sql::restauraPedidos(1)},
        {QStringLiteral("estorno: contramovimentos"), Database::Central, Estorno::Sql::contraMovimentos(1, c)},
    };
    for (const auto *t : {&pag, &par}) {
        out << Comando{QStringLiteral("estorno: %1 conferidas").arg(t->tabela), Database::Central, Estorno::Sql::copiasComAtuais(*t, 1)};
        out << Comando{QStringLiteral("estorno: %1 pelo conteúdo").arg(t->tabela), Database::Central,
                       Estorno::Sql::atuaisDosDonos(*t, {QStringLiteral("017")})};
        out << Comando{QStringLiteral("estorno: %1 restauradas").arg(t->tabela), Database::Central,
                       Estorno::Sql::restauraPelaIdentidade(*t, 1)};
        out << Comando{QStringLiteral("estorno: %1 restauradas pelo conteúdo").arg(t->tabela), Database::Central,
                       Estorno::Sql::restauraPeloConteudo(*t, QStringLiteral("017"), QStringLiteral("1.00"), QDate(2026, 1, 1),
                                                          QStringLiteral("1.00"))};
    }
    return out;
}

// "Column unknown / -P.NPARCELA" as "coluna desconhecida P.NPARCELA"; other failures as the
// database says them.
QString motivo(const QString &mensagem)
{
    static const QRegularExpression coluna(QStringLiteral("Column unknown\\s*-\\s*([^\\s]+)"));
    static const QRegularExpression tabela(QStringLiteral("Table unknown\\s*-\\s*([^\\s]+)"));
    if (const auto m = coluna.match(mensagem); m.hasMatch())
        return QStringLiteral("coluna desconhecida ") + m.captured(1);
    if (const auto m = tabela.match(mensagem); m.hasMatch())
        return QStringLiteral("tabela desconhecida ") + m.captured(1);
    return mensagem.simplified();
}

}

QList<Comando> comandos(bool comRegistro) { return comRegistro ? daSuite() + doRegistro() : daSuite(); }

QList<Falha> verifica(Connection &central, Connection &interface)
{
    QList<Falha> falhas;
    const bool comRegistro = Registro::disponivel(central);
    for (const Comando &c : comandos(comRegistro)) {
        Connection &db = c.banco == Database::Central ? central : interface;
        // Prepared only, inside a transaction that is rolled back: nothing of it runs.
        Transaction tx(db);
        try {
            db.plan(c.sql, c.valores);
        } catch (const DatabaseError &e) {
            falhas << Falha{c.descricao, motivo(e.message())};
        }
    }
    return falhas;
}

QStringList relatorio(const QList<Falha> &falhas, bool comRegistro)
{
    QStringList out;
    for (const Falha &f : falhas)
        out << QStringLiteral("falharia: %1: %2").arg(f.descricao, f.motivo);
    const int n = int(comandos(comRegistro).size());
    if (falhas.isEmpty())
        out << QStringLiteral("verificação: os %1 comandos do módulo são aceitos pelos bancos da suíte").arg(n);
    else
        out << QStringLiteral("verificação: %1 de %2 comandos do módulo falhariam nestes bancos").arg(falhas.size()).arg(n);
    if (!comRegistro)
        out << QStringLiteral("o registro das quitações ainda não está no banco central (--upgrade o acrescenta); "
                              "as quitações funcionam sem ele");
    return out;
}

}
