#pragma once
#include "billing/window/EnvioEmailDialog.h"
#include "reports/ReportDocument.h"
#include "settlement/Posting.h"
#include "settlement/Registro.h"

class Connection;
class QWidget;

// The receipt of a settlement for the company: with the PIX charge of its total when the settings
// have the receiver, and by e-mail from the list of settlements.
namespace FaturamentoQuitacao {

// The receipt as the report layer lays it out, with its PIX charge (Comprovante::gera).
ReportDocument comprovanteComPix(Connection &central, const Registro::Quitacao &q);
PedidoDeEnvio pedidoDeEnvio(Connection &central, const Registro::Quitacao &q, const QString &usuario, const QString &estacao);
// Opens "Enviar por e-mail" on the receipt (PDF) of the settlement.
EnvioEmailDialog *enviaPorEmail(QWidget *parent, Connection &central, const Registro::Quitacao &q, const QString &usuario,
                                const QString &estacao);
// The settlements shown in the list as a spreadsheet where the user chooses (QuitacoesWindow::salvaPlanilha).
void salvaPlanilhaDaLista(QWidget *parent, const QList<Registro::Quitacao> &quitacoes);
// The same, as the list of settlements calls it (QuitacoesWindow::enviaPorEmail).
void enviaDaLista(QWidget *parent, Connection &central, const Registro::Quitacao &q, const ContextoQuitacao &quem);

}
