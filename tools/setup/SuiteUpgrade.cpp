#include "tools/setup/SuiteUpgrade.h"

#include "data/CentralData.h"
#include "data/Connection.h"
#include "data/ModuleSchema.h"
#include "settlement/Autorizacao.h"
#include "settlement/Registro.h"
#include "tools/setup/Compatibilidade.h"

namespace SuiteUpgrade {

Report run(const QString &serverAddress)
{
    struct Target {
        ModuleSchema::Database database;
        QString label;
        QString windowsPath;
    };
    const Target targets[] = {
        {ModuleSchema::Database::Central, QStringLiteral("banco central"), QStringLiteral("C:\\praxolin\\dados\\praxolin.bd")},
        {ModuleSchema::Database::Interface, QStringLiteral("banco de interface"),
         QStringLiteral("C:\\praxolin\\interfac\\praxolin.bd")},
    };
    Report report;
    bool anything = false;
    for (const Target &t : targets) {
        const QString database = connectionStringFor(serverAddress, t.windowsPath);
        Connection connection(QStringLiteral("upgrade"));
        connection.setDatabase(database);
        ModuleSchema::UpgradeResult r;
        try {
            r = ModuleSchema::upgrade(connection, t.database);
        } catch (const DatabaseError &e) {
            throw std::runtime_error(
                QStringLiteral("não foi possível ler o %1 %2: %3").arg(t.label, database, e.message().simplified()).toStdString());
        }
        connection.close();
        if (r.done.isEmpty() && r.problems.isEmpty())
            continue;
        anything = true;
        report.lines << QStringLiteral("%1 %2:").arg(t.label, database);
        for (const QString &line : r.done + r.problems)
            report.lines << QStringLiteral("  ") + line;
        report.complete = report.complete && r.problems.isEmpty();
    }
    if (!anything)
        report.lines << QStringLiteral("nada a fazer");
    const Report verificacao = check(serverAddress);
    report.lines << verificacao.lines;
    report.complete = report.complete && verificacao.complete;
    return report;
}

Report check(const QString &serverAddress)
{
    auto abre = [&](Connection &c, const QString &windowsPath) {
        const QString database = connectionStringFor(serverAddress, windowsPath);
        c.setDatabase(database);
        try {
            c.open();
        } catch (const DatabaseError &e) {
            throw std::runtime_error(
                QStringLiteral("não foi possível abrir %1: %2").arg(database, e.message().simplified()).toStdString());
        }
    };
    Connection central(QStringLiteral("check-central"));
    Connection interface(QStringLiteral("check-interface"));
    abre(central, QStringLiteral("C:\\praxolin\\dados\\praxolin.bd"));
    abre(interface, QStringLiteral("C:\\praxolin\\interfac\\praxolin.bd"));
    const QList<Compatibilidade::Falha> falhas = Compatibilidade::verifica(central, interface);
    Report report;
    report.lines = Compatibilidade::relatorio(falhas, Registro::disponivel(central));
    report.complete = falhas.isEmpty();
    central.close();
    interface.close();
    return report;
}

}

namespace SuiteUpgrade {

Report supervisor(const QString &serverAddress, const QString &usuario)
{
    Connection central(QStringLiteral("supervisor"));
    central.setDatabase(connectionStringFor(serverAddress, QStringLiteral("C:\\praxolin\\dados\\praxolin.bd")));
    if (!Registro::disponivel(central))
        throw std::runtime_error("o banco central não tem as tabelas do módulo: rode --upgrade antes");
    Autorizacao::acrescenta(central, usuario);
    Report report;
    report.lines << QStringLiteral("supervisor %1 acrescentado; supervisores: %2")
                        .arg(usuario.trimmed().toUpper(), Autorizacao::supervisores(central).join(QStringLiteral(", ")));
    central.close();
    return report;
}

}
