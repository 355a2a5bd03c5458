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

QString mensagemEsquemaIncompleto(const ModuleSchema::Catalog &catalogo, const QString &suiteRoot,
                                  const QString &serverAddress)
{
    const ModuleSchema::Missing missing = ModuleSchema::missing(catalogo, ModuleSchema::Database::Central);
    if (missing.isEmpty())
        return {};
    const QString command = comandoDoSetup(QStringLiteral("--upgrade"), suiteRoot, serverAddress);
    return QStringLiteral("O banco central não tem os índices e tabelas de que o módulo de convênios precisa: %1. "
                          "As operações ficam lentas até que sejam criados com: %2")
        .arg(missing.names().join(QStringLiteral(", ")), command);
}

QString mensagemColunasAusentes(const ModuleSchema::Catalog &catalogo, const QString &suiteRoot,
                                const QString &serverAddress)
{
    const QStringList ausentes = SuiteColumns::missing(catalogo.columns);
    if (ausentes.isEmpty())
        return {};
    const QString command = comandoDoSetup(QStringLiteral("--check"), suiteRoot, serverAddress);
    return QStringLiteral("O banco central não tem colunas que o módulo de convênios usa: %1. Os comandos que as usam "
                          "vão falhar; %2 diz quais.")
        .arg(ausentes.join(QStringLiteral(", ")), command);
}

QString mensagemEsquemaIncompleto(Connection &central, const QString &suiteRoot, const QString &serverAddress)
{
    return mensagemEsquemaIncompleto(ModuleSchema::readCatalog(central, ModuleSchema::Database::Central), suiteRoot,
                                     serverAddress);
}

QString mensagemColunasAusentes(Connection &central, const QString &suiteRoot, const QString &serverAddress)
{
    return mensagemColunasAusentes(ModuleSchema::readCatalog(central, ModuleSchema::Database::Central), suiteRoot,
                                   serverAddress);
}

void verificaEsquema(Connection &central, const QString &suiteRoot, const QString &serverAddress)
{
    // The check must never stand in the way: a database that cannot answer it has said so already.
    // One query of the catalogue serves both lines.
    try {
        const ModuleSchema::Catalog catalogo = ModuleSchema::readCatalog(central, ModuleSchema::Database::Central);
        for (const QString &message : {mensagemEsquemaIncompleto(catalogo, suiteRoot, serverAddress),
                                       mensagemColunasAusentes(catalogo, suiteRoot, serverAddress)})
            if (!message.isEmpty())
                ErrorReporter::log(message);
    } catch (const std::exception &) {
    }
}
