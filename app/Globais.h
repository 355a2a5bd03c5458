#pragma once
#include <QString>

// Program-wide values, set once and read by the windows and the settlement.
namespace Globais {

// Command-line values.
inline QString CaixaAtual;      // 20
inline QString SessaoCaixa;     // 20
inline QString FormaPagCaixa;   // 40

// Logon values.
inline QString UsuarioLogado;   // 60
inline QString AcessoUsuario;   // 50
inline QString EstacaoAtual;    // 2
// The user's name as people read it, for the module's own records: UsuarioLogado holds the coded
// key of USUARIOS when the stored logon was accepted.
inline QString NomeUsuario;

// The convênio the period dialog was confirmed on (40).
inline QString ConvenioAtual;

// True when the module runs on behalf of the cash register.
inline bool rodandoNoCaixa() { return !CaixaAtual.isEmpty() && !SessaoCaixa.isEmpty(); }

inline void limpa()
{
    CaixaAtual.clear();
    SessaoCaixa.clear();
    FormaPagCaixa.clear();
    UsuarioLogado.clear();
    AcessoUsuario.clear();
    EstacaoAtual.clear();
    NomeUsuario.clear();
    ConvenioAtual.clear();
}

}
