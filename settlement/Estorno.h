#pragma once
#include "settlement/Posting.h"

#include <QString>
#include <functional>
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
// A settlement that posted cash movements is reversed only at the cash register.
QString mensagemSoNoCaixa(int movimentos);

namespace Sql {
QString marca(int codigo, const ContextoQuitacao &c, const QString &motivo, const QString &autorizadoPor = {});
QString quitadoDeNovo(int codigo);
QString pedidoAlterado(int codigo);
QString movimentoAlterado(int codigo);
QString restauraPedidos(int codigo);
QString contraMovimentos(int codigo, const ContextoQuitacao &c);

// How the record's copies of one of the suite's instalment tables meet its rows: each copy holds
// the row's identity in the database (RDB$DB_KEY) and its owner, the order key ESTACAO||NPEDIDO
// that the settlement's update names or the receivable account, with the instalment's amount.
struct Copias {
    QString copias;         // QUITACAO_PAGPEDID
    QString tabela;         // PAGPEDID
    QString dono;           // the copy's column naming the owner: PEDIDO
    QString donoNaTabela;   // the same owner in the suite's table: ESTACAO||NPEDIDO
    QString valor;          // the instalment's amount, the same name in both: VALOR
    QString pedido;         // the copy's order key ESTACAO||NPEDIDO, for the messages
    static const Copias &pagamentos();
    static const Copias &parcelas();
};
QString copiasComAtuais(const Copias &t, int codigo);
QString atuaisDosDonos(const Copias &t, const QStringList &donos);
QString restauraPelaIdentidade(const Copias &t, int codigo);
QString restauraPeloConteudo(const Copias &t, const QString &dono, const QVariant &valor, const QVariant &data,
                             const QVariant &pago);
}

// Reverses settlement `codigo` (under the claim on its convênio, see Registro::reivindica) for the user, workstation and cash register of `c`. Raises Recusado
// when it was reversed already (also by another workstation at the same moment) or when anything it
// changed has changed since; raises the database's error on any other failure. Either way nothing
// of the reversal is in the database.
// `verificada`, when given, runs once the checks passed and before anything is put back (tests hold
// the reversal there).
// `autorizadoPor`: the supervisor who authorised it, kept in the record beside who asked.
void estorna(CentralData &dm, int codigo, const ContextoQuitacao &c, const QString &motivo,
             const std::function<void()> &verificada = {}, const QString &autorizadoPor = {});

}
