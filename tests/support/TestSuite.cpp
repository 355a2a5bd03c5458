#include "tests/support/TestSuite.h"

#include "data/CodificaSenha.h"
#include "platform/SuitePaths.h"
#include "platform/WinText.h"
#include "data/Schema.h"
#include "tools/setup/SuiteBuilder.h"

#include <QRegularExpression>
#include <QSettings>

#include <functional>

#include <QDir>
#include <QFile>
#include <QDate>
#include <QFileInfo>
#include <QTime>

namespace {
// A template suite of this test program, built on first use; `replace`, when given, makes its
// databases anew.
QString buildTemplate(QTemporaryDir &dir, const std::function<void(const QString &root)> &replace = {})
{
    SuiteBuilder::Options o;
    o.overwrite = true;
    SuiteBuilder::createEmptySuite(dir.path(), o);
    if (replace)
        replace(dir.path());
    return dir.path();
}

QString templateRoot()
{
    static QTemporaryDir dir;
    static const QString root = buildTemplate(dir);
    return root;
}

// The template of a foreign suite.
QString foreignTemplateRoot()
{
    static QTemporaryDir dir;
    static const QString root = buildTemplate(dir, [](const QString &root) {
        for (const auto &[path, script] : {std::pair{SuiteBuilder::centralDatabasePath(root), TestSuite::foreignCentralScript()},
                                           std::pair{SuiteBuilder::interfaceDatabasePath(root),
                                                     TestSuite::foreignInterfaceScript()}}) {
            QFile::remove(path);
            Connection c(QStringLiteral("foreign-template"));
            c.setDatabase(path);
            c.createDatabase(8192, QStringLiteral("NONE"));
            Schema::apply(c, script);
            c.close();
        }
    });
    return root;
}

// Every table gains a first column that no program of this module knows.
QString withUnknownColumns(QString script)
{
    static const QRegularExpression create(QStringLiteral("CREATE TABLE (\\w+) \\("));
    return script.replace(create, QStringLiteral("CREATE TABLE \\1 (\n  LEGADO_\\1 VARCHAR(10) DEFAULT 'legado',"));
}

void replaceOnce(QString &script, const QString &from, const QString &to)
{
    if (!script.contains(from))
        throw std::runtime_error(QStringLiteral("foreign schema: \"%1\" not in the shipped script").arg(from).toStdString());
    script.replace(from, to);
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

QString TestSuite::foreignCentralScript()
{
    QString script = Schema::centralScript();
    replaceOnce(script, QStringLiteral("  NPARCELA INTEGER NOT NULL,\n  FORMAPAGTO"), QStringLiteral("  PARC SMALLINT,\n  FORMAPAGTO"));
    replaceOnce(script, QStringLiteral(",\n  CONSTRAINT PK_PAGPEDID PRIMARY KEY (ESTACAO, NPEDIDO, NPARCELA)"), QString());
    replaceOnce(script, QStringLiteral("  NPARCELA INTEGER NOT NULL,\n  VENCIMENTO"),
                QStringLiteral("  ID_PARCELA INTEGER NOT NULL,\n  NUM_PARCELA VARCHAR(3),\n  VENCIMENTO"));
    replaceOnce(script, QStringLiteral("CONSTRAINT PK_PARCELAS PRIMARY KEY (CODIGOCPR, NPARCELA)"),
                QStringLiteral("CONSTRAINT PK_PARCELAS PRIMARY KEY (ID_PARCELA)"));
    return withUnknownColumns(script);
}

QString TestSuite::foreignInterfaceScript() { return withUnknownColumns(Schema::interfaceScript()); }

TestSuite::TestSuite(const Options &options)
{
    const QString tpl = options.foreign ? foreignTemplateRoot() : templateRoot();
    QDir(root()).mkpath(QStringLiteral("dados"));
    QDir(root()).mkpath(QStringLiteral("interfac"));
    QDir(root()).mkpath(QStringLiteral("RPT"));
    copyFile(SuiteBuilder::centralDatabasePath(tpl), centralPath());
    copyFile(SuiteBuilder::interfaceDatabasePath(tpl), interfacePath());
    m_server = options.serverAddress;
    SuiteBuilder::Options o;
    o.serverAddress = options.serverAddress;
    o.quitarSoNoCaixa = options.quitarSoNoCaixa;
    writeIni(SuiteBuilder::iniText(o));
    SuitePaths::setSuiteRootForTests(root());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_userSettings.path());
}

TestSuite::~TestSuite()
{
    if (m_central)
        m_central->close();
    if (m_iface)
        m_iface->close();
    SuitePaths::setSuiteRootForTests(QString());
}

QString TestSuite::testServer() { return qEnvironmentVariable("FB_TEST_SERVER"); }

QString TestSuite::root() const { return m_dir.path(); }
QString TestSuite::path(const QString &relative) const { return root() + QLatin1Char('/') + relative; }
QString TestSuite::centralPath() const { return SuiteBuilder::centralDatabasePath(root()); }
QString TestSuite::interfacePath() const { return SuiteBuilder::interfaceDatabasePath(root()); }

Connection &TestSuite::central()
{
    if (!m_central) {
        m_central = std::make_unique<Connection>(QStringLiteral("test-central"));
        m_central->setDatabase(m_server.isEmpty() ? centralPath() : m_server + QLatin1Char(':') + centralPath());
    }
    return *m_central;
}

Connection &TestSuite::iface()
{
    if (!m_iface) {
        m_iface = std::make_unique<Connection>(QStringLiteral("test-interface"));
        m_iface->setDatabase(m_server.isEmpty() ? interfacePath() : m_server + QLatin1Char(':') + interfacePath());
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

QString TestSuite::settlementSnapshot()
{
    QStringList out;
    for (const QString &sql : {QStringLiteral("select NPEDIDO, PAGO, DATAPAGAMENTO from PEDIDOS order by 1"),
                               QStringLiteral("select NPEDIDO, DATAPAGTO, VALORPAGO from PAGPEDID order by 1"),
                               QStringLiteral("select CODMOVCX, NPEDIDO, VALOR from MOVCAIXA order by 1")})
        for (const auto &row : central().query(sql).rows) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << v.toString();
            out << cells.join('|');
        }
    return out.join('\n');
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

namespace {
// Rights text whose 7th character is initial + 8 and 15th initial + 16, as the suite grants the module.
QString rightsFor(QChar initial, bool granted)
{
    QString a = QStringLiteral("XXXXXXXXXXXXXXXXXXXX");
    a[6] = QChar(initial.unicode() + 8);
    a[14] = QChar(initial.unicode() + (granted ? 16 : 17));
    return a;
}
}

void TestSuite::seedRegister()
{
    Connection &c = central();
    const QStringList categorias = {QStringLiteral("Desc Folha"), QStringLiteral("Drogaria"), QStringLiteral("Empresa"),
                                    QStringLiteral("Particular"), QStringLiteral("Funcionários")};
    for (int i = 0; i < categorias.size(); ++i)
        c.execute(QStringLiteral("insert into CATECONV (CODCATECONV, CATEGORIACONV) values (?, ?)"), {i + 1, categorias[i]});
    for (const QString &f : {QStringLiteral("Dinheiro"), QStringLiteral("Cartão"), QStringLiteral("Convênio")})
        c.execute(QStringLiteral("insert into FORMAPAG (FORMAPAGTO, CODFORMA) values (?, ?)"), {f, f.left(2).toUpper()});
    for (const QString &r : {QStringLiteral("Centro"), QStringLiteral("Zona Norte")})
        c.execute(QStringLiteral("insert into ROTAS (ROTA, MOTOQUEIRO) values (?, 'Zé')"), {r});
    const QList<QPair<int, QString>> convenios = {{1, QStringLiteral("Alfa Ltda")}, {2, QStringLiteral("Beta & Cia")},
                                                  {7, QStringLiteral("Drogaria São José")}};
    for (const auto &[code, name] : convenios)
        c.execute(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO, TIPO, CIDADE, VENCIMENTO, VALORAPAGAR) "
                                 "values (?, ?, 'Empresa', 'Campinas', 10, 100.00)"),
                  {code, name});
    struct U { QString name, pass; bool granted; };
    for (const U &u : {U{QStringLiteral("ADMIN"), QStringLiteral("123"), true}, U{QStringLiteral("MARIA"), QStringLiteral("ABC"), true},
                       U{QStringLiteral("JOAO"), QStringLiteral("1"), false}})
        c.execute(QStringLiteral("insert into USUARIOS (USUARIO, SENHA, ACESSO) values (?, ?, ?)"),
                  {CodificaSenha(u.name), CodificaSenha(u.pass), rightsFor(u.name[0], u.granted)});
    c.execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('01', 'Balcao 1', 'ADMIN')"));
    // ADMIN authorises reversals, where the module's tables are there.
    if (c.query(QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = 'CONVENIOS_SUPERVISORES'"))
            .rows[0][0]
            .toInt() > 0)
        c.execute(QStringLiteral("insert into CONVENIOS_SUPERVISORES (USUARIO) values ('ADMIN')"));
    c.execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values ('02', 'Caixa', 'maria')"));
}

void TestSuite::writeLogon(const QString &plainName, const QByteArray &line3, const QByteArray &line4,
                           const QString &line2)
{
    QByteArray text = WinText::encode(CodificaSenha(plainName)) + "\r\n" +
                      WinText::encode(line2.isEmpty() ? plainName : line2) + "\r\n";
    text += (line3.isNull() ? QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")).toLatin1() : line3) + "\r\n";
    text += (line4.isNull() ? QTime::currentTime().toString(QStringLiteral("HH:mm:ss")).toLatin1() : line4) + "\r\n";
    writeFile(QStringLiteral("LOGON.LLF"), text);
}
