#include "app/VerificaEsquema.h"

#include "data/ModuleSchema.h"
#include "data/SuiteColumns.h"
#include "platform/ErrorReporter.h"

#include <QDir>

namespace {
// The set-up tool's command that deals with it, for this suite and server.
QString comandoDoSetup(const QString &opcao, const QString &suiteRoot, const QString &serverAddress)
{
    QString command =
        QStringLiteral("praxolin-setup --suite \"%1\" %2").arg(QDir::toNativeSeparators(suiteRoot), opcao);
    if (!serverAddress.trimmed().isEmpty())
        command += QStringLiteral(" --server ") + serverAddress.trimmed();
    return command;
}
}

QString mensagemEsquemaIncompleto(Connection &central, const QString &suiteRoot, const QString &serverAddress)
{
    using ModuleSchema::Database;
    const ModuleSchema::Missing missing = ModuleSchema::missing(ModuleSchema::readCatalog(central, Database::Central),
                                                                Database::Central);
    if (missing.isEmpty())
        return {};
    const QString command = comandoDoSetup(QStringLiteral("--upgrade"), suiteRoot, serverAddress);
    return QStringLiteral("O banco central não tem os índices e tabelas de que o módulo de convênios precisa: %1. "
                          "As operações ficam lentas até que sejam criados com: %2")
        .arg(missing.names().join(QStringLiteral(", ")), command);
}

QString mensagemColunasAusentes(Connection &central, const QString &suiteRoot, const QString &serverAddress)
{
    const QStringList ausentes = SuiteColumns::missing(central);
    if (ausentes.isEmpty())
        return {};
    const QString command = comandoDoSetup(QStringLiteral("--check"), suiteRoot, serverAddress);
    return QStringLiteral("O banco central não tem colunas que o módulo de convênios usa: %1. Os comandos que as usam "
                          "vão falhar; %2 diz quais.")
        .arg(ausentes.join(QStringLiteral(", ")), command);
}

void verificaEsquema(Connection &central, const QString &suiteRoot, const QString &serverAddress)
{
    // The check must never stand in the way: a database that cannot answer it has said so already.
    try {
        for (const QString &message : {mensagemEsquemaIncompleto(central, suiteRoot, serverAddress),
                                       mensagemColunasAusentes(central, suiteRoot, serverAddress)})
            if (!message.isEmpty())
                ErrorReporter::log(message);
    } catch (const std::exception &) {
    }
}
