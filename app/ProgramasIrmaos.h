#pragma once
#include <QString>

// The suite's sibling programs that this module starts by command line, without waiting for them.
namespace ProgramasIrmaos {

// "<program folder>Rebatex.exe <convênio>", cut to 255 characters.
QString linhaRebatex(const QString &pastaPrograma, const QString &convenio);

// "Desc./Classe": starts the discount-per-class program on the convênio, or says it is missing.
void abreRebatex(const QString &pastaPrograma, const QString &convenio);

}
