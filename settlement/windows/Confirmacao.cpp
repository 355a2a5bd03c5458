#include "settlement/windows/Confirmacao.h"

#include "data/SqlText.h"
#include "platform/ErrorReporter.h"
#include "platform/Failure.h"
#include "platform/Messages.h"
#include "settlement/Atomic.h"
#include "settlement/windows/WaitPanel.h"
#include "data/CentralData.h"

#include <QScopeGuard>
#include "settlement/windows/Comprovante.h"

#include <QLocale>

namespace Confirmacao {

QString texto(const Dados &d)
{
    QStringList linhas;
    if (!d.aviso.isEmpty())
        linhas << d.aviso << QString();
    linhas << (d.pedido.isEmpty() ? QStringLiteral("Confirma a quitação?") : QStringLiteral("Confirma a quitação do pedido ") + d.pedido + QLatin1Char('?'));
    linhas << QString();
    linhas << QStringLiteral("Convênio: ") + d.contexto.convenioAtual;
    linhas << QStringLiteral("Período: ") + SqlText::dateDMY(d.di) + QStringLiteral(" a ") + SqlText::dateDMY(d.df);
    linhas << QStringLiteral("Data de pagamento: ") + SqlText::dateDMY(d.pagamento);
    const QLocale locale;
    linhas << QStringLiteral("Pedidos: ") + locale.toString(d.previa.pedidos) +
                  QStringLiteral(", valor restante total: R$ ") + d.previa.total.toDisplayText(locale, 2);
    if (d.previa.jaPagos > 0) {
        linhas << QStringLiteral("Dos quais já pagos antes, que só recebem a nova data de pagamento: ") +
                      locale.toString(d.previa.jaPagos) + QStringLiteral(", valor restante de R$ ") +
                      d.previa.totalJaPagos.toDisplayText(locale, 2);
        linhas << QStringLiteral("A receber agora: R$ ") +
                      (d.previa.total - d.previa.totalJaPagos).rescaled(2).toDisplayText(locale, 2);
    }
    if (d.contexto.rodandoNoCaixa())
        linhas << QStringLiteral("Caixa: ") + d.contexto.caixaAtual + QStringLiteral(", sessão: ") +
                      d.contexto.sessaoCaixa + QStringLiteral(", forma de pagamento: ") + d.contexto.formaPagCaixa;
    return linhas.join(QLatin1Char('\n'));
}

bool pergunta(const Dados &dados) { return Messages::confirm(texto(dados)); }

std::optional<MotorQuitacao::Resultado>
confirmaEExecuta(Dados dados, Connection &central, const QString &condicao,
                 const std::function<MotorQuitacao::Resultado(const MotorQuitacao::Opcoes &)> &executa)
{
    MotorQuitacao::Opcoes opcoes;
    opcoes.registra = Registro::disponivel(central);
    dados.previa = Registro::previa(central, condicao);
    for (;;) {
        if (dados.previa.pedidos == 0) {
            Messages::show(QStringLiteral("Nenhum pedido no período."));
            return std::nullopt;
        }
        if (!pergunta(dados))
            return std::nullopt;
        opcoes.confirmada = dados.previa;
        try {
            return executa(opcoes);
        } catch (const MotorQuitacao::PreviaMudou &mudou) {
            dados.previa = mudou.agora();
            dados.aviso = QStringLiteral("Os pedidos mudaram depois da sua confirmação (outra estação os alterou) e "
                                         "nada foi quitado. Confira os novos valores.");
        }
    }
}

Dados dadosDe(const ContextoQuitacao &contexto, const ServicoQuitacao::Comando &comando)
{
    Dados d;
    d.contexto = contexto;
    d.contexto.convenioAtual = ServicoQuitacao::convenio(comando);
    const Periodo periodo = ServicoQuitacao::periodo(comando);
    d.di = periodo.inicio;
    d.df = periodo.fim;
    d.pagamento = ServicoQuitacao::pagamento(comando);
    if (const auto *p = std::get_if<ServicoQuitacao::QuitaPedido>(&comando))
        d.pedido = p->pedido.texto();
    return d;
}

bool quita(CentralData &dm, const ContextoQuitacao &contexto, const ServicoQuitacao::Comando &comando,
           const Reacoes &reacoes)
{
    Connection &central = dm.SQLConnection1;
    const auto executa = [&](const MotorQuitacao::Opcoes &opcoes) {
        if (reacoes.antes)
            reacoes.antes();
        MotorQuitacao::Progresso progresso;
        if (reacoes.painel) {
            reacoes.painel->mostra();
            progresso.inicio = [&](int total) { reacoes.painel->inicia(total); };
            progresso.passo = [&](int n) { reacoes.painel->avanca(n); };
            progresso.feito = [&](int n) { reacoes.painel->conclui(n); };
        }
        const auto esconde = qScopeGuard([&] {
            if (reacoes.painel)
                reacoes.painel->esconde();
        });
        ContextoQuitacao c = contexto;
        EsperaPeloConvenio espera(reacoes.painel);
        c.aguardandoConvenio = [&espera] { espera.aguarda(); };
        if (espera.acompanhaSozinha())
            c.reivindicando = [&espera](bool enviada) { espera.acompanhaReivindicacao(enviada); };
        return ServicoQuitacao::executa(dm, c, comando, opcoes, progresso);
    };
    std::optional<MotorQuitacao::Resultado> feita;
    try {
        feita = confirmaEExecuta(dadosDe(contexto, comando), central, ServicoQuitacao::condicao(comando), executa);
    } catch (...) {
        QString mensagem = Atomic::mensagemDeFalha(std::current_exception());
        // One message: the failure first, and after it why the window may show stale figures.
        if (reacoes.aposFalha) {
            try {
                reacoes.aposFalha();
            } catch (...) {
                mensagem += QStringLiteral("\n\nA janela não pôde ser atualizada: ") +
                            Failure::messageOf(std::current_exception());
            }
        }
        ErrorReporter::report(mensagem);
        return false;
    }
    if (!feita)
        return false;
    if (reacoes.aposQuitar)
        reacoes.aposQuitar();
    concluido(central, *feita);
    return true;
}

QString sucesso(const MotorQuitacao::Resultado &feita)
{
    QString s = QStringLiteral("Procedimento concluído com sucesso.\n") + feita.quitacao.resumo();
    if (feita.codigo == 0)
        s += QStringLiteral("\nNenhum registro desta quitação foi guardado: o banco central não tem as tabelas do "
                            "registro das quitações. Elas são acrescentadas por praxolin-setup --suite <pasta da suíte> "
                            "--upgrade.");
    return s;
}

void concluido(Connection &central, const MotorQuitacao::Resultado &feita)
{
    if (Messages::showWithOption(sucesso(feita), QStringLiteral("&Comprovante")))
        Comprovante::mostra(central, feita);
}

}
