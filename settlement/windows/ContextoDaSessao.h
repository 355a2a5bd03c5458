#pragma once
#include "session/Sessao.h"
#include "settlement/Posting.h"

// The settlement context of a command run in this session on `convenio`: the cash register that
// started the program, the user and the workstation.
inline ContextoQuitacao contextoDaSessao(const Sessao &sessao, const QString &convenio)
{
    ContextoQuitacao c;
    c.convenioAtual = convenio;
    c.caixaAtual = sessao.caixaAtual;
    c.sessaoCaixa = sessao.sessaoCaixa;
    c.formaPagCaixa = sessao.formaPagCaixa;
    c.usuario = sessao.usuario();
    c.estacao = sessao.estacaoAtual;
    return c;
}
