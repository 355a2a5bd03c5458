#include "billing/window/FaturamentoExtrato.h"

#include "billing/Planilha.h"
#include "billing/window/ConfiguracoesDialog.h"
#include "billing/window/ExtratoEmpresaDocumento.h"
#include "data/Connection.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "reports/ReportModule.h"
#include "reports/ExtratoReport.h"

#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QTemporaryDir>
#include <stdexcept>

namespace FaturamentoExtrato {

namespace {

RecebedorPix recebedor(const ContextoFaturamento &c)
{
    return ConfiguracoesDados::disponivel(*c.central) ? ConfiguracoesDados::le(*c.central).pix : RecebedorPix{};
}

QString periodo(const ContextoFaturamento &c)
{
    return c.inicio.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" a ") + c.fim.toString(QStringLiteral("dd/MM/yyyy"));
}

void gravaArquivo(const QString &caminho, const QByteArray &conteudo)
{
    QSaveFile f(caminho);
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size() || !f.commit())
        throw std::runtime_error(QStringLiteral("Não foi possível gravar %1: %2").arg(caminho, f.errorString()).toStdString());
}

bool vazio(const ExtratoEmpresa &e)
{
    if (!e.vazio())
        return false;
    Messages::show(QStringLiteral("Nenhum pedido em aberto no período."));
    return true;
}

}

QByteArray pdfDoExtrato(const ContextoFaturamento &c, const ExtratoEmpresa &e)
{
    return Faturamento::pdf(buildExtratoEmpresaReport(e, Faturamento::pixDoExtrato(recebedor(c), e)));
}

QByteArray planilhaDoExtrato(const ExtratoEmpresa &e)
{
    QTemporaryDir dir;
    const QString caminho = dir.filePath(QStringLiteral("extrato.xlsx"));
    Planilha::grava(caminho, Planilha::doExtratoEmpresa(e));
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Não foi possível ler %1.").arg(caminho).toStdString());
    return f.readAll();
}

LayoutFolha layoutDo(const ContextoFaturamento &c)
{
    return ConfiguracoesDados::disponivel(*c.central) ? DescontoFolha::le(*c.central, c.convenio) : LayoutFolha::padrao();
}

ArquivoFolha arquivoFolha(const ContextoFaturamento &c, const ExtratoEmpresa &e)
{
    ArquivoFolha a = DescontoFolha::gera(e, layoutDo(c), c.fim.month(), c.fim.year());
    if (!a.problemas.isEmpty())
        throw std::runtime_error(QStringLiteral("O arquivo de desconto em folha não foi gerado: %1. Ajuste as larguras "
                                                "do layout nas configurações de faturamento.")
                                     .arg(a.problemas.join(QStringLiteral("; ")))
                                     .toStdString());
    return a;
}

void mostraExtratoEmpresa(QWidget *, const ContextoFaturamento &c, ReportModule &rm)
{
    const ExtratoEmpresa e = Faturamento::extrato(c);
    if (vazio(e))
        return;
    QString falta;
    const QString pix = Faturamento::pixDoExtrato(recebedor(c), e, &falta);
    rm.run([&](const std::function<void(int)> &onPage) { return buildExtratoEmpresaReport(e, pix, onPage); });
}

void salvaPlanilha(QWidget *parent, const ContextoFaturamento &c)
{
    const ExtratoEmpresa e = Faturamento::extrato(c);
    if (vazio(e))
        return;
    const QString caminho = Faturamento::escolheArquivo(parent, QStringLiteral("Salvar planilha do extrato"),
                                                        Faturamento::nomeDoArquivo(QStringLiteral("extrato-empresa"), c,
                                                                                   QStringLiteral("xlsx")),
                                                        QStringLiteral("Planilha do Excel (*.xlsx)"));
    if (caminho.isEmpty())
        return;
    Planilha::grava(caminho, Planilha::doExtratoEmpresa(e));
}

void salvaArquivoFolha(QWidget *parent, const ContextoFaturamento &c)
{
    const ExtratoEmpresa e = Faturamento::extrato(c);
    if (vazio(e))
        return;
    const ArquivoFolha a = arquivoFolha(c, e);
    const QString caminho = Faturamento::escolheArquivo(parent, QStringLiteral("Salvar arquivo para desconto em folha"),
                                                        DescontoFolha::nomeDoArquivo(c.convenio, c.fim.month(), c.fim.year()),
                                                        QStringLiteral("Arquivo de texto (*.txt)"));
    if (caminho.isEmpty())
        return;
    gravaArquivo(caminho, a.conteudo);
    QString msg = QStringLiteral("Arquivo para desconto em folha gravado: %1 funcionários, total %2.")
                      .arg(a.linhas)
                      .arg(formatReais(a.total));
    if (!a.aviso().isEmpty())
        msg += QStringLiteral("\n\n") + a.aviso();
    Messages::show(msg);
}

PedidoDeEnvio pedidoDeEnvio(const ContextoFaturamento &c)
{
    const ExtratoEmpresa e = Faturamento::extrato(c);
    QString falta;
    const QString pix = Faturamento::pixDoExtrato(recebedor(c), e, &falta);
    PedidoDeEnvio p;
    p.convenio = c.convenio;
    p.usuario = c.nomeUsuario.isEmpty() ? c.usuario : c.nomeUsuario;
    p.estacao = c.estacao;
    p.para = Faturamento::emailDoConvenio(*c.central, c.convenio);
    p.assunto = QStringLiteral("Extrato do convênio %1 - %2").arg(c.convenio, periodo(c));
    p.corpo = QStringLiteral("Prezados,\n\nSegue em anexo o extrato dos pedidos em aberto do convênio %1 no período de %2, "
                             "por funcionário, no total de %3.\n")
                  .arg(c.convenio, periodo(c), formatReais(e.total()));
    if (!pix.isEmpty())
        p.corpo += QStringLiteral("\nPara pagar com PIX, use o código do extrato ou o PIX copia e cola:\n%1\n").arg(pix);
    p.corpo += QStringLiteral("\nAtenciosamente,\n%1\n").arg(e.farmacia);
    QStringList avisos;
    if (!falta.isEmpty())
        avisos << falta;
    if (!e.semMatricula.isEmpty()) {
        ArquivoFolha a;
        for (const Funcionario &f : e.semMatricula)
            a.semMatricula << f.nome;
        avisos << a.aviso();
    }
    p.aviso = avisos.join(QLatin1Char('\n'));
    p.anexos = {
        {QStringLiteral("Extrato para a empresa (PDF)"), Faturamento::nomeDoArquivo(QStringLiteral("extrato-empresa"), c, QStringLiteral("pdf")),
         true, [c] { return pdfDoExtrato(c, Faturamento::extrato(c)); }},
        {QStringLiteral("Planilha do extrato (.xlsx)"), Faturamento::nomeDoArquivo(QStringLiteral("extrato-empresa"), c, QStringLiteral("xlsx")),
         false, [c] { return planilhaDoExtrato(Faturamento::extrato(c)); }},
        {QStringLiteral("Arquivo para desconto em folha"), DescontoFolha::nomeDoArquivo(c.convenio, c.fim.month(), c.fim.year()),
         false, [c] { return arquivoFolha(c, Faturamento::extrato(c)).conteudo; }},
    };
    return p;
}

EnvioEmailDialog *enviaPorEmail(QWidget *parent, const ContextoFaturamento &c)
{
    auto *d = new EnvioEmailDialog(*c.central, pedidoDeEnvio(c), parent);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->open();
    return d;
}

void configuracoes(QWidget *parent, const ContextoFaturamento &c)
{
    ConfiguracoesDialog::abre(*c.central, c.convenio, c.nomeUsuario.isEmpty() ? c.usuario : c.nomeUsuario, parent);
}

Botoes acrescentaBotoes(QWidget *janela, const std::function<ContextoFaturamento()> &contexto,
                        const std::function<ReportModule &()> &rm, const QTableView *lista)
{
    Botoes b;
    b.email = new QPushButton(QStringLiteral("Enviar por e-&mail"), janela);
    b.email->setObjectName(QStringLiteral("BotEmail"));
    b.email->setAutoDefault(true);
    QObject::connect(b.email, &QPushButton::clicked, janela,
                     [janela, contexto] { ErrorReporter::guard([&] { enviaPorEmail(janela, contexto()); }); });
    b.empresa = new QPushButton(QStringLiteral("Para a empresa"), janela);
    b.empresa->setObjectName(QStringLiteral("BotEmpresa"));
    auto *menu = new QMenu(b.empresa);
    auto acao = [&](const QString &texto, std::function<void()> faz) {
        QAction *a = menu->addAction(texto);
        QObject::connect(a, &QAction::triggered, janela, [faz] { ErrorReporter::guard(faz); });
        return a;
    };
    acao(QStringLiteral("Extrato para a &empresa..."), [janela, contexto, rm] { mostraExtratoEmpresa(janela, contexto(), rm()); });
    acao(QStringLiteral("&Planilha do extrato (.xlsx)..."), [janela, contexto] { salvaPlanilha(janela, contexto()); });
    acao(QStringLiteral("Arquivo para &desconto em folha..."), [janela, contexto] { salvaArquivoFolha(janela, contexto()); });
    if (lista)
        acao(QStringLiteral("Planilha da &lista de pedidos (.xlsx)..."), [janela, contexto, lista] {
            Faturamento::salvaPlanilhaDaLista(janela, *lista, QStringLiteral("Extrato"),
                                 Faturamento::nomeDoArquivo(QStringLiteral("extrato"), contexto(), QStringLiteral("xlsx")));
        });
    acao(QStringLiteral("Enviar por e-&mail..."), [janela, contexto] { enviaPorEmail(janela, contexto()); });
    menu->addSeparator();
    acao(QStringLiteral("&Configurações de faturamento..."), [janela, contexto] { configuracoes(janela, contexto()); });
    b.empresa->setMenu(menu);
    return b;
}

}
