#pragma once
#include "data/ModuleSchema.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Connection;

// Whether the suite's databases take every statement the module sends: each one is prepared on
// them (nothing runs, so nothing changes) and each that the database refuses is reported in
// Portuguese with the table or column at fault.
namespace Compatibilidade {

struct Comando {
    QString descricao;   // what sends it, in Portuguese
    ModuleSchema::Database banco;
    QString sql;
    QVariantList valores;   // one for each "?" of the text
};

// The module's statements, with sample values; those of the settlement record only when
// `comRegistro` (the record's tables are there).
QList<Comando> comandos(bool comRegistro);

struct Falha {
    QString descricao;
    QString motivo;   // "coluna desconhecida PAGPEDID.NPARCELA", or the database's text
};
// Prepares every statement; an empty list means the suite takes them all.
QList<Falha> verifica(Connection &central, Connection &interface);

// The report's lines, in Portuguese.
QStringList relatorio(const QList<Falha> &falhas, bool comRegistro);

}
