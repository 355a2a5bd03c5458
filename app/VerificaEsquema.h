#pragma once
#include "data/ModuleSchema.h"

#include <QString>

class Connection;

// The start-up check that the central database has the indexes and tables this module needs and
// the suite's columns it uses, from one query of the catalogue. What is missing goes to the suite's
// error log, a line naming it and the command that deals with it; the user is not stopped.
QString mensagemEsquemaIncompleto(Connection &central, const QString &suiteRoot, const QString &serverAddress);
QString mensagemEsquemaIncompleto(const ModuleSchema::Catalog &catalogo, const QString &suiteRoot,
                                  const QString &serverAddress);
// The columns of the suite's tables that the module uses and the database lacks, with the command
// that names the statements that would fail.
QString mensagemColunasAusentes(Connection &central, const QString &suiteRoot, const QString &serverAddress);
QString mensagemColunasAusentes(const ModuleSchema::Catalog &catalogo, const QString &suiteRoot,
                                const QString &serverAddress);
void verificaEsquema(Connection &central, const QString &suiteRoot, const QString &serverAddress);
