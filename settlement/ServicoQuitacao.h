#pragma once
#include "data/ChavePedido.h"
#include "data/Periodo.h"
#include "settlement/MotorQuitacao.h"

#include <QDate>
#include <QString>
#include <variant>

class CentralData;
class Connection;

// The settlement commands as values, and what can be done with one: see what it would settle, run
// it, reverse a settlement. Shows nothing; the windows confirm, wait and report around it.
namespace ServicoQuitacao {

// Every real order of the convênio in the period, paid or not (Quitar, from the register).
struct QuitaConvenio {
    QString convenio;
    Periodo periodo;
    QDate pagamento;
};
// One open order of the extrato, the one its list shows as current; the period is the extrato's.
struct QuitaPedido {
    QString convenio;
    ChavePedido pedido;
    Periodo periodo;
    QDate pagamento;
};
// Every open order of the extrato's period.
struct QuitaExtrato {
    QString convenio;
    Periodo periodo;
    QDate pagamento;
};
using Comando = std::variant<QuitaConvenio, QuitaPedido, QuitaExtrato>;

QString convenio(const Comando &comando);
Periodo periodo(const Comando &comando);
QDate pagamento(const Comando &comando);
// The WHERE condition over PEDIDOS of the orders the command settles.
QString condicao(const Comando &comando);

// What the command would settle now: the user confirms it.
Registro::Previa previa(Connection &central, const Comando &comando);

// Runs the command in one transaction; raises on any failure, after which nothing of it is in the
// database. A QuitaPedido settles the current order of the extrato's order cache (dm.PEDIDOS),
// which must be the order it names. `c` says who settles and where; its convênio is the command's.
MotorQuitacao::Resultado executa(CentralData &dm, ContextoQuitacao c, const Comando &comando,
                                 const MotorQuitacao::Opcoes &opcoes, const MotorQuitacao::Progresso &progresso = {});

}
