#pragma once
#include "data/ChavePedido.h"
#include "data/Decimal.h"
#include "settlement/Posting.h"
#include "settlement/Registro.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <stdexcept>

class CentralData;

// The engine behind every settlement command. A command describes which orders it settles and
// what it does around them (a Roteiro); the engine reads what it needs of all those orders at once,
// builds every statement of every order as the command would send it one by one, and sends them in
// groups, each group one call to the server, so that the number of calls does not grow with the
// number of orders. All of it runs in one transaction, run again when another workstation held the
// same rows. The settlement records itself (see Registro) in that same transaction.
namespace MotorQuitacao {

// One order of a settlement, as read before anything of it changes.
struct PedidoLido {
    ChavePedido pedido;          // as the list gives it
    bool encontrado = false;     // found in PEDIDOS by the reads made for all orders
    Decimal restante;            // VALORRESTANTE (0 when null)
    QString laboratorio;
    QDate data;                  // DATAPEDIDO and NOME, for the receipt
    QString nome;
    QVariant pagoAntes;          // PAGO and DATAPAGAMENTO before the settlement
    QVariant dataPagamentoAntes;
    QString conta;               // CODIGOCPR of its first receivable account; empty when none (or not read)
    bool jaLancado = false;      // a cash movement of the order existed before the settlement
    int movimento = -1;          // the code of the cash movement the settlement posts for it; -1 when none

    QString chave() const { return pedido.junta().left(30); }   // the order key in the cash register
    // The settlement posted a movement with a value for it (one of no value is cleared by the next).
    bool lancouValor() const { return movimento >= 0 && !restante.rescaled(2).isZero(); }
};

// Progress of a settlement, for the wait panel.
struct Progresso {
    std::function<void(int total)> inicio;   // the orders are listed: `total` of them
    std::function<void(int n)> passo;        // orders up to n (from 1) are being settled
    std::function<void(int n)> feito;        // orders up to n are settled; the record and the commit follow the last
};

// How a command runs.
struct Opcoes {
    // False where the central database lacks the record's tables (Registro::disponivel): the
    // settlement then runs exactly as without them and keeps no record.
    bool registra = true;
    // What the user confirmed: the settlement compares it with the orders it reads in its
    // transaction and, when they changed meanwhile, changes nothing and raises PreviaMudou.
    std::optional<Registro::Previa> confirmada;
};

// What a command does.
struct Roteiro {
    // Which orders: WHERE condition over PEDIDOS (unqualified columns) that selects them. The engine
    // reads the values of all of them with it, before `antes` runs.
    QString condicao;
    // Run first (the convênio settlement's update of the orders).
    QStringList antes;
    // The select that lists the orders in settling order; its row gives ESTACAO and NPEDIDO, or the
    // key ESTACAO||NPEDIDO in one column. Empty: the one order of `pedidoUnico`.
    QString lista;
    ChavePedido pedidoUnico;
    // How an order's instalments are closed: its PAGPEDID rows by key, each statement written to the
    // trace file before it runs (the convênio settlement), or the PARCELAS of its receivable account.
    enum class Parcelas { Pagamentos, Contas } parcelas = Parcelas::Contas;
    QString arquivoRastro;   // the trace file, for Pagamentos
    // Run between an order's instalments and its cash posting, outside the groups (the statement's
    // selected order writes itself back through its cache there). Only for a single order.
    std::function<void()> aposParcelas;
    // Statements that join an order's group after its own.
    std::function<QStringList(const PedidoLido &)> extrasDoPedido;
    // Run last (the statement's update of the period's orders).
    QStringList depois;
    // The record of the settlement: the command, the period it names, and PAGO as the command
    // leaves it ("'T'", or "PAGO" when it does not write it). The orders' values are copied before
    // `antes`, each order's instalments just before their update, and each posted movement noted.
    Registro::Comando comando = Registro::Comando::Convenio;
    QDate inicio, fim;
    QString pagoDepois = QStringLiteral("'T'");
    Opcoes opcoes;
};

// The orders of a confirmed settlement changed before it ran (another workstation): nothing was
// changed; `agora` is what the user would confirm now.
class PreviaMudou : public std::runtime_error {
public:
    explicit PreviaMudou(const Registro::Previa &agora)
        : std::runtime_error("the orders changed since the confirmation"), m_agora(agora)
    {
    }
    Registro::Previa agora() const { return m_agora; }

private:
    Registro::Previa m_agora;
};

// What a settlement did, as its record holds it (or would hold it, when it keeps none): the
// success line and the receipt are made from it.
struct Resultado {
    int codigo = 0;   // the record's number; 0 when no record was kept
    Registro::Quitacao quitacao;
    QList<Registro::PedidoQuitado> pedidos;
};

// Runs the settlement `r` paid on `pagamento`. Raises on any failure, after which nothing of it is
// in the database; the trace file then holds the instalment statement of the order that failed.
Resultado executa(CentralData &dm, const ContextoQuitacao &c, const QDate &pagamento, const Roteiro &r,
                             const Progresso &progresso = {});

// Statement texts of the reads made for all the orders of a settlement at once.
namespace Sql {
QString lePedidos(const QString &condicao, bool contas, bool lancamentos);
}

}
