#pragma once
#include "data/Connection.h"
#include "reports/ReportDocument.h"

#include <QString>

// Who issues a document: the pharmacy of a workstation (the first label of its row, as the labels
// the suite prints carry it, or the work area's name when that label is empty) and its CNPJ. Every
// document opens the same way: the pharmacy's name, its CNPJ, then the document's title.
struct Emitente {
    QString farmacia;
    QString cnpj;   // as stored

    // "CNPJ 12.345.678/0001-90"; empty when none is stored.
    QString linhaCnpj() const;
    // The header lines that open every document: the pharmacy (when known), its CNPJ (when known)
    // and `titulo`.
    QList<ReportTextLine> cabecalho(const QString &titulo) const;
    // The same as a report's data connection (fields FARMACIA and CNPJ, the latter as linhaCnpj()).
    RowSet comoLinhas() const;

    // The workstation's row, or, with no workstation, the first row of the user's.
    static QString sql(const QString &estacao, const QString &usuario);
    static Emitente le(Connection &central, const QString &estacao, const QString &usuario);
};

// A CNPJ of 14 digits as "12.345.678/0001-90"; anything else as it is.
QString formatCnpj(const QString &cnpj);
