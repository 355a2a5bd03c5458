#pragma once
#include "data/ChavePedido.h"
#include "settlement/Posting.h"
#include "settlement/MotorQuitacao.h"

#include <QDate>
#include <QString>
#include <functional>

class CentralData;
class InterfaceData;

// Settling a convênio for a period: every order of the period marked paid on the payment date,
// the instalments of each order closed, and each order posted to the cash register when it started
// the module. All of it in one transaction.
namespace QuitacaoConvenio {

namespace Sql {
QString pedidosAbertos(const QString &convenio, const QString &di, const QString &df);
QString contaPedidosAbertos(const QString &convenio, const QString &di, const QString &df);
QString marcaPedidosPagos(const QString &convenio, const QString &pagamento, const QString &di, const QString &df);
QString condicaoDoPeriodo(const QString &convenio, const QString &di, const QString &df);   // after its WHERE
QString listaPedidos(const QString &convenio, const QString &di, const QString &df);
}

enum class Abertos { Nenhum, Um, Varios };

// An order still open at a counter, as the check reads it from the interface database.
struct PedidoAberto {
    ChavePedido pedido;
    QString vendedor;
    QDate data;
};

// Counts the convênio's orders of the period still open in the shared interface database. A
// failing select is told to `avisa` as "Erro tentando executar o seguinte comando: " and the
// statement; the count still decides, and its own failure is raised. Dates are "mm/dd/yy". The
// orders the select read go to `quais`, when given.
Abertos verificaPedidosAbertos(InterfaceData &dm2, const QString &convenio, const QString &di, const QString &df,
                               const std::function<void(const QString &)> &avisa, QList<PedidoAberto> *quais = nullptr);
// The refusal (empty for Nenhum); with the orders read, it names each and its counter and says what
// to do.
QString mensagemAbertos(Abertos abertos, const QList<PedidoAberto> &quais = {});

using MotorQuitacao::Progresso;

// Runs the settlement of `convenio` between `di` and `df` (inclusive) paid on `pagamento`. The trace
// file holds the last order's instalment statement, written before the group of statements holding
// it is sent. Raises on any failure, after which nothing of the settlement is in the database and
// the trace file holds the instalment statement of the order that failed. Returns what it settled;
// `opcoes` say whether it keeps a record and what the user confirmed.
MotorQuitacao::Resultado QuitaConvenio(CentralData &dm, const ContextoQuitacao &c, const QDate &di, const QDate &df,
                                       const QDate &pagamento, const Progresso &progresso = {}, const MotorQuitacao::Opcoes &opcoes = {});

}
