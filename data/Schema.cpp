#include "data/Schema.h"

#include "data/ModuleSchema.h"

#include <QFile>

namespace Schema {

QStringList splitStatements(const QString &script)
{
    QStringList out;
    QString current;
    QString terminator = QStringLiteral(";");
    int i = 0;
    const int n = int(script.size());
    auto flush = [&] {
        const QString s = current.trimmed();
        if (!s.isEmpty())
            out << s;
        current.clear();
    };
    while (i < n) {
        const QChar c = script[i];
        if (c == QLatin1Char('-') && i + 1 < n && script[i + 1] == QLatin1Char('-')) {
            while (i < n && script[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && script[i + 1] == QLatin1Char('*')) {
            const int end = script.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const int start = i++;
            while (i < n && script[i] != c)
                ++i;
            current += script.mid(start, i - start + 1);
            ++i;
            continue;
        }
        if (script.mid(i, terminator.size()) == terminator) {
            const QString stmt = current.trimmed();
            if (stmt.startsWith(QLatin1String("SET TERM"), Qt::CaseInsensitive)) {
                terminator = stmt.mid(8).trimmed();
                current.clear();
            } else {
                flush();
            }
            i += int(terminator.size() == 0 ? 1 : script.mid(i).startsWith(terminator) ? terminator.size() : 1);
            continue;
        }
        current += c;
        ++i;
    }
    flush();
    return out;
}

void apply(Connection &connection, const QString &script)
{
    for (const QString &statement : splitStatements(script))
        connection.execute(statement);
}

static QString readResource(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Script %1 not found").arg(name).toStdString());
    return QString::fromUtf8(f.readAll());
}

QString centralScript() { return readResource(QStringLiteral(":/schema/central.sql")); }
QString interfaceScript() { return readResource(QStringLiteral(":/schema/interface.sql")); }

namespace {
void addModuleObjects(Connection &connection, ModuleSchema::Database database)
{
    const ModuleSchema::UpgradeResult r = ModuleSchema::upgrade(connection, database);
    if (!r.problems.isEmpty())
        throw std::runtime_error(r.problems.join(QStringLiteral("; ")).toStdString());
}
}

void createCentral(Connection &connection)
{
    connection.createDatabase();
    apply(connection, centralScript());
    addModuleObjects(connection, ModuleSchema::Database::Central);
}

void createInterface(Connection &connection)
{
    connection.createDatabase();
    apply(connection, interfaceScript());
    addModuleObjects(connection, ModuleSchema::Database::Interface);
}

}
