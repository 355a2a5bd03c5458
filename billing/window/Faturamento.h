#pragma once
#include "billing/Configuracoes.h"
#include "billing/ExtratoEmpresa.h"
#include "reports/ReportDocument.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <functional>

class Connection;
class QTableView;
class QWidget;

// What billing works on: a convênio's open orders of a period, for the logged-on user of a workstation.
struct ContextoFaturamento {
    Connection *central = nullptr;
    QString convenio;
    QDate inicio, fim;
    QString usuario;       // as logged on (names the issuer through the user's workstation)
    QString nomeUsuario;   // as people read it, for the record of sendings
    QString estacao;
};

namespace Faturamento {

// The company statement with its issuer and the moment of issue.
ExtratoEmpresa extrato(const ContextoFaturamento &c);
QString sqlEmitente(const QString &usuario);

// The PIX charge of a statement: its total, the txid naming the convênio and the period. Empty, with
// `falta` saying why, when the settings lack the receiver.
QString pixDoExtrato(const RecebedorPix &recebedor, const ExtratoEmpresa &e, QString *falta = nullptr);
QString txidDoExtrato(const ExtratoEmpresa &e);

// The PDF of a produced report, in memory.
QByteArray pdf(const ReportDocument &doc);

// The convênio's e-mail as the register keeps it.
QString emailDoConvenio(Connection &central, const QString &convenio);
QString sqlEmailDoConvenio(const QString &convenio);

// "extrato-empresa-<convênio>-<ddmmaa>-<ddmmaa>.pdf" and the like, without characters a file name cannot hold.
QString nomeDoArquivo(const QString &prefixo, const ContextoFaturamento &c, const QString &extensao);

// Saves what a list shows (its visible columns in their order and its visible rows, dates as dates,
// amounts as numbers) as a spreadsheet where the user chooses; `proposto` is the file name offered.
void salvaPlanilhaDaLista(QWidget *parent, const QTableView &lista, const QString &aba, const QString &proposto);

// Where a file is saved: by default a save dialog; tests put a function of their own. Empty: cancelled.
using EscolheArquivo = std::function<QString(QWidget *parent, const QString &titulo, const QString &proposto,
                                             const QString &filtro)>;
void setEscolheArquivo(const EscolheArquivo &f);
QString escolheArquivo(QWidget *parent, const QString &titulo, const QString &proposto, const QString &filtro);

}
