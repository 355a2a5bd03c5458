#include "tests/support/TestSuite.h"

#include "platform/SuitePaths.h"
#include "platform/WinText.h"
#include "tools/setup/SuiteBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// The template suite of this test program, built on first use.
QString templateRoot()
{
    static QTemporaryDir dir;
    static bool built = false;
    if (!built) {
        SuiteBuilder::Options o;
        o.overwrite = true;
        SuiteBuilder::createEmptySuite(dir.path(), o);
        built = true;
    }
    return dir.path();
}

void copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw std::runtime_error(QStringLiteral("cannot copy %1").arg(from).toStdString());
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
}
}

TestSuite::TestSuite() : TestSuite(Options{}) {}

TestSuite::TestSuite(const Options &options)
{
    const QString tpl = templateRoot();
    QDir(root()).mkpath(QStringLiteral("dados"));
    QDir(root()).mkpath(QStringLiteral("interfac"));
    QDir(root()).mkpath(QStringLiteral("RPT"));
    copyFile(SuiteBuilder::centralDatabasePath(tpl), centralPath());
    copyFile(SuiteBuilder::interfaceDatabasePath(tpl), interfacePath());
    SuiteBuilder::Options o;
    o.serverAddress = options.serverAddress;
    o.quitarSoNoCaixa = options.quitarSoNoCaixa;
    writeIni(SuiteBuilder::iniText(o));
    SuitePaths::setSuiteRootForTests(root());
}

TestSuite::~TestSuite()
{
    if (m_central)
        m_central->close();
    if (m_iface)
        m_iface->close();
    SuitePaths::setSuiteRootForTests(QString());
}

QString TestSuite::root() const { return m_dir.path(); }
QString TestSuite::path(const QString &relative) const { return root() + QLatin1Char('/') + relative; }
QString TestSuite::centralPath() const { return SuiteBuilder::centralDatabasePath(root()); }
QString TestSuite::interfacePath() const { return SuiteBuilder::interfaceDatabasePath(root()); }

Connection &TestSuite::central()
{
    if (!m_central) {
        m_central = std::make_unique<Connection>(QStringLiteral("test-central"));
        m_central->setDatabase(centralPath());
    }
    return *m_central;
}

Connection &TestSuite::iface()
{
    if (!m_iface) {
        m_iface = std::make_unique<Connection>(QStringLiteral("test-interface"));
        m_iface->setDatabase(interfacePath());
    }
    return *m_iface;
}

void TestSuite::exec(const QString &sql) { central().execute(sql); }
void TestSuite::execInterface(const QString &sql) { iface().execute(sql); }

QVariant TestSuite::scalar(const QString &sql)
{
    const RowSet rs = central().query(sql);
    return rs.rows.isEmpty() ? QVariant() : rs.rows.first().value(0);
}

int TestSuite::count(const QString &table, const QString &where)
{
    QString sql = QStringLiteral("select count(*) from ") + table;
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where;
    return scalar(sql).toInt();
}

void TestSuite::writeFile(const QString &relative, const QByteArray &content)
{
    QFile f(path(relative));
    QDir().mkpath(QFileInfo(f).absolutePath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test file");
    f.write(content);
}

void TestSuite::writeIni(const QString &text) { writeFile(QStringLiteral("PRAXOLIN.INI"), WinText::encode(text)); }
