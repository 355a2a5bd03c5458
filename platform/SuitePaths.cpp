#include "platform/SuitePaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString g_testRoot;

// Finds an existing entry of `dir` whose name equals `name` ignoring case; keeps `name` otherwise.
QString matchEntry(const QString &dir, const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return name;
    QDir d(dir);
    if (QFileInfo::exists(d.filePath(name)))
        return name;
    const QStringList entries = d.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return name;
}
}

namespace SuitePaths {

QString suiteRoot()
{
    if (!g_testRoot.isEmpty())
        return g_testRoot;
    const QString env = qEnvironmentVariable("PRAXOLIN_HOME");
    if (!env.isEmpty())
        return QDir::cleanPath(env);
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void setSuiteRootForTests(const QString &root) { g_testRoot = root; }

QString map(const QString &windowsPath)
{
#ifdef Q_OS_WIN
    return windowsPath;
#else
    QString p = windowsPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QString prefix = QStringLiteral("c:/praxolin");
    if (!p.startsWith(prefix, Qt::CaseInsensitive))
        return p;
    QString rest = p.mid(prefix.size());
    QString result = suiteRoot();
    const QStringList parts = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        result = result + QLatin1Char('/') + matchEntry(result, part);
    return result;
#endif
}

QString mapDatabasePath(const QString &windowsPath) { return map(windowsPath); }

QString mapForServer(const QString &windowsPath)
{
#ifdef Q_OS_WIN
    return windowsPath;
#else
    const QString serverRoot = qEnvironmentVariable("PRAXOLIN_SERVER_HOME");
    if (serverRoot.isEmpty())
        return map(windowsPath);
    const QString previous = g_testRoot;
    g_testRoot = QDir::cleanPath(serverRoot);
    const QString mapped = map(windowsPath);
    g_testRoot = previous;
    return mapped;
#endif
}

QString programFolder()
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QLatin1Char('\\');
#else
    return suiteRoot() + QLatin1Char('/');
#endif
}

}
