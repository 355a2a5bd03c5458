#include "session/Estacao.h"

#include "session/Sessao.h"
#include "data/CentralData.h"
#include "data/SqlText.h"
#include "platform/Messages.h"
#include "platform/WinText.h"

QString selectEstacoesDoUsuario(const QString &usuario)
{
    return QStringLiteral("Select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, CAMINHOOM, "
                          "CAMINHOECF, CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, ROTULO4, ROTULO5, "
                          "ROTULO6, USUARIO, CNPJ from ESTACOES where upper(USUARIO) = '") +
           SqlText::quoted(WinText::upperAscii(usuario)) + QLatin1Char('\'');
}

QString mensagemSemEstacao(const QString &usuario)
{
    const QChar cr(13);
    const QChar q('"');
    return QStringLiteral("Não foi possível selecionar uma área de trabalho para o usuário ") + q + usuario + q +
           QStringLiteral(". ") + cr + cr + QStringLiteral("Causas prováveis: ") + cr + cr +
           QStringLiteral("  1) Na tabela ") + q + QStringLiteral("Estacoes.db") + q +
           QStringLiteral(" não foi incluída uma estação para o usuário ") + q + usuario + q + QStringLiteral(".") + cr +
           QStringLiteral("     Obs: Criar também a área de trabalho física (pasta C:\\Praxolin\\InterfacXX) para este "
                          "usuário.") +
           cr + QStringLiteral("  --> Favor contactar o suporte técnico da QUB SISTEMAS <--");
}

QString VerificaEstacao(CentralData &dm, Sessao &sessao, EfeitosEstacao &efeitos)
{
    sessao.estacaoAtual.clear();
    efeitos = {};
    QString resultado;
    CachedTable &estacoes = dm.Estacoes;
    estacoes.close();
    estacoes.setCommandText(selectEstacoesDoUsuario(sessao.usuarioLogado));
    struct Fecha {
        CachedTable &t;
        ~Fecha() { t.close(); }
    } fecha{estacoes};
    estacoes.open();
    const QString usuarioDaLinha =
        estacoes.isEmpty() ? QString() : WinText::upperAscii(estacoes.valueAt(0, QStringLiteral("USUARIO")).toString());
    if (estacoes.isEmpty() || usuarioDaLinha != WinText::upperAscii(sessao.usuarioLogado)) {
        Messages::show(mensagemSemEstacao(sessao.usuarioLogado));
        return {};
    }
    sessao.estacaoAtual = estacoes.valueAt(0, QStringLiteral("ESTACAO")).toString().left(2);
    resultado = estacoes.valueAt(0, QStringLiteral("DATBASNAM")).toString();
    efeitos.legenda = QStringLiteral("  CAD. DE CONVENIOS  -  Usuário: \"") + sessao.usuarioLogado +
                      QStringLiteral("\"   Estação: ") + sessao.estacaoAtual;
    return resultado;
}
