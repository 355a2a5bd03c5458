#pragma once
#include "settlement/Posting.h"
#include "settlement/MotorQuitacao.h"

#include <QDate>
#include <QString>

class CentralData;

// Settling from a convênio's statement: the order selected in its list, or every open order of the
// period. Settling an order pays the instalments of its receivable account, marks it paid and posts
// it to the cash register when the register started the module; each command in one transaction.
namespace QuitacaoExtrato {

// Statement texts of the statement and its settlements. `di` and `df` are "mm/dd/yy". Every value
// placed between apostrophes has its apostrophes doubled.
namespace Sql {
// The open orders of the convênio in the period, as the list opens, and sorted by its two buttons.
enum class Ordem { Abertura, PorData, PorNome };
QString pedidosDoPeriodo(const QString &colunas, Ordem ordem, const QString &convenio, const QString &di,
                         const QString &df);
QString totalDoPeriodo(const QString &convenio, const QString &di, const QString &df);
// The orders the whole-period settlement goes through (and their condition, after WHERE), and its
// closing update.
QString condicaoDosAbertos(const QString &convenio, const QString &di, const QString &df);
QString listaPedidos(const QString &convenio, const QString &di, const QString &df);
QString marcaPedidosPagos(const QString &convenio, const QString &pagamento, const QString &di, const QString &df);
// One order, by its key.
QString condicaoDoPedido(const QString &estacao, const QString &npedido);
}

// Settles the current order of the statement's order cache (dm.PEDIDOS): its instalments, its
// payment date and paid flag written back by the order's key (the cache is read again, so the order
// leaves the list), and its cash movement. After a failure nothing is written; the cache is then
// for its owner to read again. `di` and `df` are the statement's period, for the record. Each
// command returns what it settled; `opcoes` say whether it keeps a record and what the user
// confirmed, `progresso` is told of the orders as they are settled.
MotorQuitacao::Resultado QuitaPedidoSelecionado(CentralData &dm, const ContextoQuitacao &c, const QDate &di,
                                                const QDate &df, const QDate &pagamento, const MotorQuitacao::Opcoes &opcoes = {},
                                                const MotorQuitacao::Progresso &progresso = {});

// Settles every open real order of c.convenioAtual between `di` and `df` in date order:
// instalments and cash movements order by order, then the orders' payment date.
MotorQuitacao::Resultado QuitaPeriodo(CentralData &dm, const ContextoQuitacao &c, const QDate &di, const QDate &df,
                                      const QDate &pagamento, const MotorQuitacao::Opcoes &opcoes = {},
                                      const MotorQuitacao::Progresso &progresso = {});

}
