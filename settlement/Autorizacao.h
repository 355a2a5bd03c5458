#pragma once
#include <QString>
#include <QStringList>

class Connection;

// Who may authorise a reversal: the users of the suite named as supervisors in the module's own
// table, each proving it with the password the suite keeps for them (coded as the login codes it).
namespace Autorizacao {

QStringList supervisores(Connection &central);
// Empty when `usuario` is a supervisor and `senha` is theirs; otherwise what the user is told.
QString confere(Connection &central, const QString &usuario, const QString &senha);
// Names a user of the suite as a supervisor (the set-up tool). Raises when the suite has no such user.
void acrescenta(Connection &central, const QString &usuario);

QString mensagemSemSupervisores();

}
