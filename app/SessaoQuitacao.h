#pragma once
#include "app/Globais.h"
#include "settlement/Posting.h"

// The settlement context of this run: the convênio chosen in the main window, the cash register
// that started the program, the logged-on user and the workstation.
inline ContextoQuitacao contextoQuitacaoAtual()
{
    ContextoQuitacao c;
    c.convenioAtual = Globais::ConvenioAtual;
    c.caixaAtual = Globais::CaixaAtual;
    c.sessaoCaixa = Globais::SessaoCaixa;
    c.formaPagCaixa = Globais::FormaPagCaixa;
    c.usuario = Globais::NomeUsuario.isEmpty() ? Globais::UsuarioLogado : Globais::NomeUsuario;
    c.estacao = Globais::EstacaoAtual;
    return c;
}
