#pragma once
#include "reports/Emitente.h"
#include "reports/ReportDocument.h"
#include "settlement/Registro.h"

#include <QDateTime>
#include <functional>

// The list of settlements as a document, landscape A4: the pharmacy and its CNPJ, which
// settlements (the convênio or all, the days), one line per settlement with its state, and the
// count and total of the active and of the reversed ones.
namespace RelatorioQuitacoes {

struct Filtro {
    QString convenio;   // empty: every convênio
    QDate de, ate;      // invalid: no limit
    QString busca;      // the text the rows were kept by, if any
};

ReportDocument gera(const QList<Registro::Quitacao> &quitacoes, const Emitente &emitente, const Filtro &filtro,
                    const QDateTime &emissao, const std::function<void(int)> &onPage = {});

}
