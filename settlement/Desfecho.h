#pragma once
#include "data/ChavePedido.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <stdexcept>

class Connection;

// Whether a settlement or a reversal is in the database when the link broke while it was being
// committed: the server either committed it before its answer was lost, or rolls it back once it
// sees the link gone. Nothing is guessed: the data are read again on a new link, waiting for that
// transaction to end, and the answer is what they show.
namespace Desfecho {

enum class Estado { Gravado, NaoGravado, Incerto };

// The settlement numbered `codigo` in the record: its header exists exactly when it committed.
Estado daQuitacao(Connection &db, int codigo);

// Without the record: what the orders show. Each order of the settlement as it was read before it
// ran, and the cash movement posted for it (-1 when none).
struct Pedido {
    ChavePedido pedido;
    QVariant dataPagamentoAntes;
    int movimento = -1;
};
// Gravado when the orders carry the payment date (orders that had it already prove nothing; a
// movement posted for one of them does), NaoGravado when none that lacked it has it.
Estado dosPedidos(Connection &db, const QList<Pedido> &pedidos, const QDate &pagamento);

// The reversal of settlement `codigo` asked by `usuario` at `estacao` for `motivo`.
Estado doEstorno(Connection &db, int codigo, const QString &usuario, const QString &estacao, const QString &motivo);

// The link stayed down or the transaction did not end in time: nobody can tell yet. The message
// says so and where to look before trying again; it never says that nothing was done.
class Incerto : public std::runtime_error {
public:
    explicit Incerto(const QString &mensagem) : std::runtime_error(mensagem.toStdString()), m_mensagem(mensagem) {}
    QString mensagem() const { return m_mensagem; }

private:
    QString m_mensagem;
};

QString mensagemQuitacaoIncerta(bool comRegistro);
QString mensagemEstornoIncerto();
// What the failure says when the outcome is known to be nothing.
QString motivoNaoGravada();

// Runs `le` until it answers: a few attempts while the link is still down, each read waiting for
// the lost transaction to end. Incerto when none answered.
Estado apura(const std::function<Estado()> &le);

namespace Sql {
QString cabecalho(int codigo);
QString pedidos(const QList<Pedido> &pedidos);   // ESTACAO, NPEDIDO, DATAPAGAMENTO of these orders
QString movimentos(const QList<int> &codigos);
QString estorno(int codigo);
}

}
