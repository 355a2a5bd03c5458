#include "billing/window/FaturamentoQuitacao.h"

#include "billing/Planilha.h"
#include "billing/window/Faturamento.h"
#include "reports/ExtratoReport.h"
#include "settlement/windows/Comprovante.h"


namespace FaturamentoQuitacao {

ReportDocument comprovanteComPix(Connection &central, const Registro::Quitacao &q) { return Comprovante::gera(central, q.codigo); }

PedidoDeEnvio pedidoDeEnvio(Connection &central, const Registro::Quitacao &q, const QString &usuario, const QString &estacao)
{
    PedidoDeEnvio p;
    p.convenio = q.convenio;
    p.usuario = usuario;
    p.estacao = estacao;
    p.para = Faturamento::emailDoConvenio(central, q.convenio);
    const QString periodo = q.dataInicial.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" a ") +
                            q.dataFinal.toString(QStringLiteral("dd/MM/yyyy"));
    p.assunto = QStringLiteral("Comprovante de quitação nº %1 - convênio %2").arg(q.codigo).arg(q.convenio);
    p.corpo = QStringLiteral("Prezados,\n\nSegue em anexo o comprovante da quitação nº %1 do convênio %2, período de %3, "
                             "%4 pedidos no total de %5.\n\nAtenciosamente,\n")
                  .arg(q.codigo)
                  .arg(q.convenio, periodo)
                  .arg(q.pedidos)
                  .arg(formatReais(q.total));
    if (q.estornada())
        p.aviso = QStringLiteral("Esta quitação foi estornada.");
    p.anexos = {{QStringLiteral("Comprovante de quitação (PDF)"), Comprovante::nomeDoArquivo(q) + QStringLiteral(".pdf"), true,
                 [&central, q] { return Faturamento::pdf(comprovanteComPix(central, q)); }}};
    return p;
}

EnvioEmailDialog *enviaPorEmail(QWidget *parent, Connection &central, const Registro::Quitacao &q, const QString &usuario,
                                const QString &estacao)
{
    auto *d = new EnvioEmailDialog(central, pedidoDeEnvio(central, q, usuario, estacao), parent);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->open();
    return d;
}

void enviaDaLista(QWidget *parent, Connection &central, const Registro::Quitacao &q, const ContextoQuitacao &quem)
{
    enviaPorEmail(parent, central, q, quem.usuario, quem.estacao);
}

void salvaPlanilhaDaLista(QWidget *parent, const QList<Registro::Quitacao> &quitacoes)
{
    if (quitacoes.isEmpty())
        return;
    // Named after the convênio (or "todos" when the list holds several) and the day it was made.
    bool umSo = true;
    for (const Registro::Quitacao &q : quitacoes)
        umSo = umSo && q.convenio == quitacoes.first().convenio;
    const QString nome = documentFileName({QStringLiteral("quitacoes"), umSo ? quitacoes.first().convenio : QStringLiteral("todos"),
                                           QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))});
    const QString caminho = Faturamento::escolheArquivo(parent, QStringLiteral("Salvar planilha das quitações"),
                                                        nome + QStringLiteral(".xlsx"),
                                                        QStringLiteral("Planilha do Excel (*.xlsx)"));
    if (caminho.isEmpty())
        return;
    using Planilha::Tipo;
    Planilha::Tabela t{QStringLiteral("Quitações"),
                       {{QStringLiteral("Nº"), Tipo::Inteiro}, {QStringLiteral("Data e hora"), Tipo::DataHora},
                        {QStringLiteral("Comando")}, {QStringLiteral("Convênio")}, {QStringLiteral("Início"), Tipo::Data},
                        {QStringLiteral("Fim"), Tipo::Data}, {QStringLiteral("Pagamento"), Tipo::Data},
                        {QStringLiteral("Pedidos"), Tipo::Inteiro}, {QStringLiteral("Total"), Tipo::Valor},
                        {QStringLiteral("Caixa")}, {QStringLiteral("Sessão")}, {QStringLiteral("Usuário")},
                        {QStringLiteral("Estação")}, {QStringLiteral("Situação")}, {QStringLiteral("Estornada por")},
                        {QStringLiteral("Autorizada por")}, {QStringLiteral("Motivo do estorno")}},
                       {}};
    for (const Registro::Quitacao &q : quitacoes)
        t.linhas << Planilha::Linha{{q.codigo, q.dataHora, Registro::nome(q.comando), q.convenio, q.dataInicial, q.dataFinal,
                                     q.pagamento, q.pedidos, QVariant::fromValue(q.total), q.movimentos ? q.caixa : QString(),
                                     q.movimentos ? q.sessao : QString(), q.usuario, q.estacao,
                                     q.estornada() ? QStringLiteral("Estornada") : QStringLiteral("Ativa"), q.estornoUsuario,
                                     q.estornoAutorizado, q.estornoMotivo}};
    Planilha::grava(caminho, {t});
}

}
