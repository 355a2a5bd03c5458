#pragma once
#include "settlement/Posting.h"
#include "settlement/Registro.h"
#include "settlement/MotorQuitacao.h"
#include "settlement/ServicoQuitacao.h"

class CentralData;
class Connection;
class WaitPanel;

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

// What the user is shown before a settlement command writes anything, and after it succeeded.
namespace Confirmacao {

struct Dados {
    ContextoQuitacao contexto;    // the convênio and, in cash-register mode, caixa, sessão and payment form
    QDate di, df, pagamento;
    Registro::Previa previa;      // the orders about to be settled and their remaining value
    QString pedido;               // the single order, "7 da estação 01"; empty for a whole period
    QString aviso;                // said first, when the question is asked again
};

// "Confirma a quitação?" followed by the convênio, the period, the payment date, the orders and
// their total and, in cash-register mode, the caixa, the sessão and the payment form.
QString texto(const Dados &dados);
// Asks; Enter confirms, Esc cancels. True when confirmed.
bool pergunta(const Dados &dados);

// The flow of every settlement command: what `condicao` selects is read and shown, a settlement of
// nothing is refused before asking ("Nenhum pedido no período."), and once confirmed `executa` runs
// with what was confirmed and whether the record is kept. When the orders changed between the
// question and the run, nothing was settled and the question is asked again with the new figures.
// Returns nothing when the user cancelled; failures of `executa` reach the caller.
std::optional<MotorQuitacao::Resultado>
confirmaEExecuta(Dados dados, Connection &central, const QString &condicao,
                 const std::function<MotorQuitacao::Resultado(const MotorQuitacao::Opcoes &)> &executa);

// What the confirmation shows of a command run by `contexto`.
Dados dadosDe(const ContextoQuitacao &contexto, const ServicoQuitacao::Comando &comando);

// What a window does around a settlement command: checks made once the user confirmed (a failure
// stops the command), the wait panel shown while it runs, then after a failure (nothing was
// settled; the window shows the database again before the failure is reported) or after a success
// (before the success message).
struct Reacoes {
    std::function<void()> antes;
    WaitPanel *painel = nullptr;
    std::function<void()> aposFalha;
    std::function<void()> aposQuitar;
};

// A settlement command as the user meets it, the same from every window: confirmaEExecuta, then
// either the failure reported under "Nada foi quitado" or the success message with its receipt.
// True when something was settled.
bool quita(CentralData &dm, const ContextoQuitacao &contexto, const ServicoQuitacao::Comando &comando,
           const Reacoes &reacoes = {});

// "Procedimento concluído com sucesso." and a line with what was settled; when no record was
// kept, a line that says so and names the upgrade that adds it.
QString sucesso(const MotorQuitacao::Resultado &feita);
// Shows the success message; from it the user may open the receipt.
void concluido(Connection &central, const MotorQuitacao::Resultado &feita);

}
