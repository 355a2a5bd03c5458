#pragma once
#include "session/Configuracao.h"

#include <QString>

class CentralData;
class InterfaceData;

// The values of one run of the program: who logged on and where, the cash register that started
// it, the suite's configuration and the two data modules. The program owns it and passes it by
// reference to the windows that need it; nothing else holds the run's state.
struct Sessao {
    // From the command line of the cash register.
    QString caixaAtual;      // 20
    QString sessaoCaixa;     // 20
    QString formaPagCaixa;   // 40

    // From the logon.
    QString usuarioLogado;   // 60
    QString acessoUsuario;   // 50
    QString estacaoAtual;    // 2
    // The user's name as people read it, for the module's own records: usuarioLogado holds the
    // coded key of USUARIOS when the stored logon was accepted.
    QString nomeUsuario;

    TConfiguracao configuracao;

    CentralData *central = nullptr;
    InterfaceData *interfaceData = nullptr;

    // True when the module runs on behalf of the cash register.
    bool rodandoNoCaixa() const { return !caixaAtual.isEmpty() && !sessaoCaixa.isEmpty(); }
    // Who acts, as the module's records name them.
    QString usuario() const { return nomeUsuario.isEmpty() ? usuarioLogado : nomeUsuario; }
};
