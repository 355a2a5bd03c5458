#pragma once
#include <QString>

class CentralData;
struct Sessao;

// What the workstation check changes besides its result and the message it shows.
struct EfeitosEstacao {
    QString legenda;       // the main window's new caption; empty when no workstation was found
};

// Looks up the work area of the session's usuarioLogado in ESTACOES (first matching row, user compared
// in upper case). Sets its estacaoAtual (first two characters of ESTACAO) and returns the
// work-area name, or shows why and returns empty when the user has no workstation. Leaves
// DM.Estacoes closed.
//
// The workstation is not marked as in use in the database: the suite's other programs keep that
// mark, and this module would never clear it.
QString VerificaEstacao(CentralData &dm, Sessao &sessao, EfeitosEstacao &efeitos);

// The message for a user without a workstation, lines broken by single carriage returns.
QString mensagemSemEstacao(const QString &usuario);
// The text of the workstation select for a user.
QString selectEstacoesDoUsuario(const QString &usuario);
