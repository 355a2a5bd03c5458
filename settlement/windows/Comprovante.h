#pragma once
#include "reports/ReportDocument.h"
#include "settlement/MotorQuitacao.h"

#include <memory>

class Connection;
class ReportModule;

// The receipt of a recorded settlement, "Comprovante de quitação": the pharmacy and its CNPJ, the
// convênio, the period and payment date, each order with its value, the total, the cash register
// when the orders were posted, who settled, when and where, the place and date, the lines for both
// signatures and, when the module's billing settings hold a PIX receiver, the PIX charge of its
// total (not on a reversed one). Its layout ships inside the program and goes through the report
// layer (preview, printer, PDF, RTF).
namespace Comprovante {

extern const QString Relatorio;   // "rptComprovanteQuitacao"

// A report module whose connections read settlement `codigo` of the central database.
std::unique_ptr<ReportModule> modulo(Connection &central, int codigo);
// The receipt laid out on pages, as the preview shows it (with the PIX charge).
ReportDocument gera(Connection &central, int codigo);
// The txid of the settlement's PIX charge, naming it by its number.
QString txidDaQuitacao(const Registro::Quitacao &q);
// The receipt of a settlement just made: from its record, or, when it kept none, from what the
// settlement itself knows.
std::unique_ptr<ReportModule> modulo(Connection &central, const MotorQuitacao::Resultado &feita);
// The file name the preview's Save proposes: "comprovante-<nº>-<convênio>", each settlement its
// own (a settlement without a record is named by its date and time).
QString nomeDoArquivo(const Registro::Quitacao &quitacao);
// Runs the receipt to the preview, from which the user prints or saves it.
void mostra(Connection &central, int codigo);
void mostra(Connection &central, const MotorQuitacao::Resultado &feita);

}
