#pragma once
#include <QString>

class Connection;

// The start-up check that the central database has the indexes and tables this module needs and
// the suite's columns it uses: a query of the catalogue for each. What is missing goes to the suite's error log as one line naming it
// and the command that adds it; the user is not stopped.
QString mensagemEsquemaIncompleto(Connection &central, const QString &suiteRoot, const QString &serverAddress);
// The columns of the suite's tables that the module uses and the database lacks (one query of its
// catalogue), with the command that names the statements that would fail.
QString mensagemColunasAusentes(Connection &central, const QString &suiteRoot, const QString &serverAddress);
void verificaEsquema(Connection &central, const QString &suiteRoot, const QString &serverAddress);
