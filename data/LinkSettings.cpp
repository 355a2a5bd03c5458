#include "data/LinkSettings.h"

#include "data/Connection.h"
#include "platform/SuitePaths.h"

#include <QFileInfo>
#include <QSettings>

LinkSettings LinkSettings::read(const QString &file)
{
    LinkSettings s;
    if (!QFileInfo::exists(file))
        return s;
    QSettings ini(file, QSettings::IniFormat);
    const QString compressao = ini.value(QStringLiteral("Rede/Compressao")).toString().trimmed().toLower();
    if (compressao == QLatin1String("nao") || compressao == QLatin1String("não") || compressao == QLatin1String("0"))
        s.compressao = false;
    bool ok = false;
    const int espera = ini.value(QStringLiteral("Rede/EsperaConexao")).toString().trimmed().toInt(&ok);
    if (ok && espera >= 0)
        s.esperaConexao = espera;
    return s;
}

QString LinkSettings::defaultFile() { return SuitePaths::suiteRoot() + QStringLiteral("/Convenios.ini"); }

void LinkSettings::applyTo(Connection &connection) const
{
    connection.setWireCompression(compressao);
    connection.setConnectTimeout(esperaConexao);
}
