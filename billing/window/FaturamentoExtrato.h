#pragma once
#include "billing/DescontoFolha.h"
#include "billing/window/EnvioEmailDialog.h"
#include "billing/window/Faturamento.h"

class ReportModule;
class QPushButton;
class QTableView;
class QWidget;

// What the statement window offers the company: its statement as a document, as a spreadsheet, the
// payroll deduction file, and all of them by e-mail; and the billing settings.
namespace FaturamentoExtrato {

// Previews the company statement (print, PDF, RTF from there).
void mostraExtratoEmpresa(QWidget *parent, const ContextoFaturamento &c, ReportModule &rm);
// Saves the company statement as a spreadsheet where the user chooses.
void salvaPlanilha(QWidget *parent, const ContextoFaturamento &c);
// Saves the payroll deduction file where the user chooses; the orders left out are named.
void salvaArquivoFolha(QWidget *parent, const ContextoFaturamento &c);
// Opens "Enviar por e-mail" on the company statement (PDF), with the spreadsheet and the payroll
// file as optional attachments. The dialog closes itself; it is returned for whoever watches it.
EnvioEmailDialog *enviaPorEmail(QWidget *parent, const ContextoFaturamento &c);
void configuracoes(QWidget *parent, const ContextoFaturamento &c);

// The window's two buttons: "Enviar por e-mail", and "Para a empresa" with the menu of the commands
// above. `contexto` is asked at each command (the period may have changed); `rm` is the window's
// report module.
struct Botoes {
    QPushButton *email;
    QPushButton *empresa;
};
// `lista`, when given, is the window's list of orders, offered as a spreadsheet too.
Botoes acrescentaBotoes(QWidget *janela, const std::function<ContextoFaturamento()> &contexto,
                        const std::function<ReportModule &()> &rm, const QTableView *lista = nullptr);

// The pieces, for the dialog and the tests.
PedidoDeEnvio pedidoDeEnvio(const ContextoFaturamento &c);
LayoutFolha layoutDo(const ContextoFaturamento &c);
ArquivoFolha arquivoFolha(const ContextoFaturamento &c, const ExtratoEmpresa &e);
QByteArray pdfDoExtrato(const ContextoFaturamento &c, const ExtratoEmpresa &e);
QByteArray planilhaDoExtrato(const ExtratoEmpresa &e);

}
