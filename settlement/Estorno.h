#pragma once
#include "settlement/Posting.h"

#include <QString>
#include <stdexcept>

class CentralData;
class Connection;

// Reversing a recorded settlement (estorno), in one transaction: the orders, their instalments and
// the receivable accounts' instalments get back exactly the values they had before the settlement;
// every cash movement it posted gets a counter-movement of the opposite sign ("Estorno"), nothing
// is deleted; and the settlement records who reversed it, when, where and why.
namespace Estorno {

// The reversal was refused; the message says why (which order changed, or that it was reversed
// already). Nothing was changed.
class Recusado : public std::runtime_error {
public:
    explicit Recusado(const QString &mensagem) : std::runtime_error(mensagem.toStdString()), m_mensagem(mensagem) {}
    QString mensagem() const { return m_mensagem; }

private:
    QString m_mensagem;
};

QString mensagemJaEstornada();

namespace Sql {
QString marca(int codigo, const ContextoQuitacao &c, const QString &motivo);
QString quitadoDeNovo(int codigo);
QString pedidoAlterado(int codigo);
QString pagamentoAlterado(int codigo);
QString parcelaAlterada(int codigo);
QString movimentoAlterado(int codigo);
QString restauraPedidos(int codigo);
QString restauraPagamentos(int codigo);
QString restauraParcelas(int codigo);
QString contraMovimentos(int codigo, const ContextoQuitacao &c);
}

// Reverses settlement `codigo` for the user, workstation and cash register of `c`. Raises Recusado
// when it was reversed already (also by another workstation at the same moment) or when anything it
// changed has changed since; raises the database's error on any other failure. Either way nothing
// of the reversal is in the database.
void estorna(CentralData &dm, int codigo, const ContextoQuitacao &c, const QString &motivo);

}
