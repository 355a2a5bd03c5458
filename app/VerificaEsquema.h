#pragma once
#include <QString>

class Connection;

// The start-up check that the central database has the indexes and tables this module needs:
// one query of the catalogue. What is missing goes to the suite's error log as one line naming it
// and the command that adds it; the user is not stopped.
QString mensagemEsquemaIncompleto(Connection &central, const QString &suiteRoot, const QString &serverAddress);
void verificaEsquema(Connection &central, const QString &suiteRoot, const QString &serverAddress);
