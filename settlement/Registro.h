#pragma once
#include "data/ChavePedido.h"
#include "data/Decimal.h"
#include "settlement/Posting.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <stdexcept>

class Connection;
class CentralData;

// The record of every settlement, kept in the module's own tables beside the suite's: who settled
// what and when, each settled order with its value and the cash movement posted for it, and the
// values that the settlement changed in PEDIDOS, PAGPEDID and PARCELAS as they were before. The
// record is written in the settlement's own transaction, so it exists exactly when the settlement
// does; from it a settlement is listed, printed as a receipt, and reversed.
namespace Registro {

// The three settlement commands.
enum class Comando { Convenio, Pedido, Periodo };
QString codigo(Comando comando);            // as stored: "CONVENIO", "PEDIDO", "PERIODO"
QString nome(const QString &codigoComando); // as shown: "Quitar", "Pedido do extrato", "Período do extrato"

// The number of orders a command is about to settle and their remaining value.
struct Previa {
    int pedidos = 0;
    Decimal total = Decimal(0, 2);
    // Of them, the orders paid before, which the settlement only dates again (Quitar's orders).
    int jaPagos = 0;
    Decimal totalJaPagos = Decimal(0, 2);
    friend bool operator==(const Previa &, const Previa &) = default;
};
// `condicao` selects the orders in PEDIDOS (the text after WHERE), as the command's own reads do.
Previa previa(Connection &connection, const QString &condicao);

// Statement texts of the record, one function per statement; values between apostrophes have their
// apostrophes doubled. `condicao` is the text after WHERE of the command's PEDIDOS statements.
namespace Sql {
QString proximoCodigo();
QString previa(const QString &condicao);
QString insereCabecalho(int codigo, Comando comando, const ContextoQuitacao &c, const QDate &di, const QDate &df,
                        const QDate &pagamento);
// Copies the orders that the settlement is about to change; `pagoDepois` is the SQL value PAGO has
// afterwards ("'T'", or "PAGO" when the command leaves it).
QString guardaPedidos(int codigo, const QString &condicao, const QString &pagoDepois, const QDate &pagamento);
// Copies the instalments of PAGPEDID that the updates "where ESTACAO||NPEDIDO = <pedido>" of these
// orders change: one statement for many orders, sent before the first of those updates.
QString guardaPagamentos(int codigo, const QStringList &pedidos, const QDate &pagamento);
// Copies the instalments of the receivable account that the order's PARCELAS update changes.
QString guardaParcelas(int codigo, const QString &codigoConta, const QString &estacao, const QString &npedido,
                       const QDate &pagamento);
// Notes the cash movements posted for these orders, one statement for many.
struct Movimento {
    ChavePedido pedido;
    int codmovcx = 0;
};
QString anotaMovimentos(int codigo, const QList<Movimento> &movimentos);
QString totaliza(int codigo);
QString reivindica(const QString &convenio, const ContextoQuitacao &c);
QString convenioReivindicado(const QString &convenio);
QString leResumo(int codigo);
QString lista(const QString &convenio);
// Of one convênio, or of all when `convenio` is empty, made between the two days (either may be
// null: no limit).
QString lista(const QString &convenio, const QDate &de, const QDate &ate);
QString pedidos(int codigo);
}

// True when the central database holds the record's tables at the version this program writes
// (one call). Without them a settlement runs all the same and keeps no record.
bool disponivel(Connection &connection);
// What the user reads where the record is missing: nothing was recorded, and the command that adds it.
QString mensagemSemRegistro();

// Claims the convênio for the transaction under way: a settlement and a reversal of the same
// convênio on other workstations wait here until this transaction ends, and then read what it left.
void reivindica(Connection &connection, const QString &convenio, const ContextoQuitacao &c);
// True when another workstation's settlement or reversal holds the convênio now (its claim not yet
// committed); looked at without waiting.
bool convenioOcupado(Connection &connection, const QString &convenio);

// Takes the next settlement number and writes the settlement's header, inside the settlement's
// transaction (the number of another workstation's settlement stored meanwhile is skipped).
// The settlement then runs the statements of Sql in its own groups.
int abre(Connection &connection, Comando comando, const ContextoQuitacao &c, const QDate &di, const QDate &df,
         const QDate &pagamento);

// One recorded settlement as the list and the receipt show it.
struct Quitacao {
    int codigo = 0;
    QString comando;
    QDateTime dataHora;
    QString usuario, estacao, caixa, sessao, formaPag, convenio;
    QDate dataInicial, dataFinal, pagamento;
    int pedidos = 0;
    Decimal total = Decimal(0, 2);
    int movimentos = 0;
    int jaPagos = 0;                          // orders that were paid before and got the new date
    Decimal totalJaPagos = Decimal(0, 2);
    QDateTime estornoDataHora;
    QString estornoUsuario, estornoEstacao, estornoMotivo, estornoAutorizado;

    bool estornada() const { return estornoDataHora.isValid(); }
    // What the drawer received: the orders paid before only took the new date.
    Decimal recebido() const { return (total - totalJaPagos).rescaled(2); }
    QString situacao() const;   // "Ativa" or "Estornada em dd/mm/yy hh:mm por USUARIO"
    // The line the success message adds: what was settled.
    QString resumo() const;
};

Quitacao le(Connection &connection, int codigo);
QList<Quitacao> lista(Connection &connection, const QString &convenio, const QDate &de = {},
                      const QDate &ate = {});   // newest first; all convênios when `convenio` is empty

// The orders of a settlement: date, station, number, customer name, value, in date order.
struct PedidoQuitado {
    QDate data;
    QString estacao;
    int npedido = 0;
    QString nome;
    Decimal valor = Decimal(0, 2);
    int codmovcx = 0;
};
QList<PedidoQuitado> pedidos(Connection &connection, int codigo);

}
