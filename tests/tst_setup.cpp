// The set-up tool's demo suite: it is not replaced by accident, its users can log on as documented,
// its money adds up, its text survives the trip through the database, and the scenarios the demo
// relies on (a convênio held back by counter orders, one that can be settled) hold on any day.
#include "data/CodificaSenha.h"
#include "data/Connection.h"
#include "platform/WinText.h"
#include "tools/setup/DemoData.h"
#include "tools/setup/SuiteBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Suite {
    QTemporaryDir dir;
    QDate today;
    std::unique_ptr<Connection> central;
    std::unique_ptr<Connection> iface;

    QString root() const { return dir.path(); }
    void connect()
    {
        central = std::make_unique<Connection>(QStringLiteral("check-central"));
        central->setDatabase(SuiteBuilder::centralDatabasePath(root()));
        iface = std::make_unique<Connection>(QStringLiteral("check-interface"));
        iface->setDatabase(SuiteBuilder::interfaceDatabasePath(root()));
    }
    void disconnect()
    {
        central.reset();
        iface.reset();
    }
};

int countOf(Connection &c, const QString &sql, const QVariantList &params = {})
{
    return c.query(sql, params).rows.value(0).value(0).toInt();
}

QString key(const QVariant &estacao, const QVariant &npedido) { return estacao.toString() + QString::number(npedido.toInt()); }

} // namespace

class TstSetup : public QObject {
    Q_OBJECT

    // Made by the tool's own path, today.
    Suite demo;
    // Filled as if the suite were made on the first day of a month, when the month so far is one day.
    Suite firstOfMonth;

    Suite &suiteFor(const QString &name) { return name == QLatin1String("today") ? demo : firstOfMonth; }

    void addSuiteRows()
    {
        QTest::addColumn<QString>("suite");
        QTest::newRow("made today") << QStringLiteral("today");
        QTest::newRow("made on the 1st") << QStringLiteral("first");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(demo.dir.isValid() && firstOfMonth.dir.isValid());
        demo.today = QDate::currentDate();
        DemoData::createSuite(demo.root(), SuiteBuilder::Options{}, true);
        demo.connect();

        firstOfMonth.today = QDate(2025, 3, 1);
        SuiteBuilder::createEmptySuite(firstOfMonth.root(), SuiteBuilder::Options{});
        firstOfMonth.connect();
        DemoData::fill(*firstOfMonth.central, *firstOfMonth.iface, firstOfMonth.today);
    }

    void refusesToReplaceAnExistingSuite()
    {
        QFile ini(demo.root() + QStringLiteral("/PRAXOLIN.INI"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray iniBefore = ini.readAll();
        ini.close();
        const int orders = countOf(*demo.central, QStringLiteral("select count(*) from PEDIDOS"));
        QVERIFY(orders > 0);
        demo.disconnect();

        for (bool withRows : {true, false}) {
            QString message;
            try {
                DemoData::createSuite(demo.root(), SuiteBuilder::Options{}, withRows);
            } catch (const std::exception &e) {
                message = QString::fromLocal8Bit(e.what());
            }
            QVERIFY2(message.contains(QLatin1String("--force")), qPrintable(message));
        }

        demo.connect();
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), iniBefore);
        QCOMPARE(countOf(*demo.central, QStringLiteral("select count(*) from PEDIDOS")), orders);
        QCOMPARE(countOf(*demo.central, QStringLiteral("select count(*) from USUARIOS")), int(DemoData::logins().size()));
        QCOMPARE(countOf(*demo.iface, QStringLiteral("select count(*) from PERIODO")), 1);
    }

    void documentedLoginsWork_data()
    {
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<bool>("hasRight");
        QTest::addColumn<QStringList>("workstations");
        QTest::newRow("ADMIN") << "ADMIN" << "123" << true << QStringList{QStringLiteral("01")};
        QTest::newRow("maria typed in lower case") << "maria" << "ABC" << true << QStringList{QStringLiteral("02")};
        QTest::newRow("JOAO without the right") << "JOAO" << "4321" << false << QStringList{};
        QTest::newRow("PEDRO without a workstation") << "PEDRO" << "777" << true << QStringList{};
    }

    void documentedLoginsWork()
    {
        QFETCH(QString, typedName);
        QFETCH(QString, typedPassword);
        QFETCH(bool, hasRight);
        QFETCH(QStringList, workstations);
        const QString name = WinText::upperAscii(typedName);
        const ushort initial = name.at(0).unicode();

        // The login looks the user up by the coded name and compares the coded password.
        const RowSet user = demo.central->query(
            QStringLiteral("select SENHA, ACESSO from USUARIOS where USUARIO = ?"), {CodificaSenha(name)});
        QCOMPARE(user.rowCount(), 1);
        QCOMPARE(user.value(0, QStringLiteral("SENHA")).toString(), CodificaSenha(WinText::upperAscii(typedPassword)));

        // The right to the module (15th character minus 16) and the stored-logon test (7th minus 8).
        const QString acesso = user.value(0, QStringLiteral("ACESSO")).toString();
        QVERIFY(acesso.size() >= 15);
        QCOMPARE(ushort((acesso.at(14).unicode() - 16) & 0xFF) == initial, hasRight);
        QCOMPARE(ushort((acesso.at(6).unicode() - 8) & 0xFF) == initial, hasRight);

        // The workstation check compares the stored owner upper-cased.
        QStringList found;
        const RowSet ws = demo.central->query(
            QStringLiteral("select ESTACAO from ESTACOES where upper(USUARIO) = ? order by ESTACAO"), {name});
        for (const auto &row : ws.rows)
            found << row.value(0).toString();
        QCOMPARE(found, workstations);

        // What the tool prints agrees with the data.
        bool listed = false;
        for (const DemoData::Login &l : DemoData::logins()) {
            if (l.name != name)
                continue;
            listed = true;
            QCOMPARE(WinText::upperAscii(l.password), WinText::upperAscii(typedPassword));
            QCOMPARE(l.hasRight, hasRight);
            QCOMPARE(l.workstation, workstations.value(0));
        }
        QVERIFY(listed);
    }

    void instalmentsAddUpToTheRemainingValue_data() { addSuiteRows(); }

    void instalmentsAddUpToTheRemainingValue()
    {
        QFETCH(QString, suite);
        Connection &db = *suiteFor(suite).central;

        struct Sum {
            Decimal total;
            int count = 0;
            bool allOpen = true;
            bool allPaidInFull = true;
        };
        QHash<QString, Sum> byOrder;
        const RowSet parcelas = db.query(QStringLiteral("select ESTACAO, NPEDIDO, VALOR, DATAPAGTO, VALORPAGO from PAGPEDID"));
        for (const auto &r : parcelas.rows) {
            Sum &s = byOrder[key(r[0], r[1])];
            s.total = s.total + Decimal::fromVariant(r[2]);
            ++s.count;
            s.allOpen = s.allOpen && r[3].isNull() && r[4].isNull();
            s.allPaidInFull = s.allPaidInFull && !r[3].isNull() && !r[4].isNull() &&
                              Decimal::fromVariant(r[4]) == Decimal::fromVariant(r[2]);
        }

        const RowSet pedidos = db.query(QStringLiteral(
            "select ESTACAO, NPEDIDO, TIPOPEDIDO, VALORRESTANTE, DATAPAGAMENTO, PAGO from PEDIDOS"));
        QHash<QString, Decimal> restante;
        for (const auto &r : pedidos.rows) {
            const QString k = key(r[0], r[1]);
            const bool real = r[2].toString() == QLatin1String("Pedido");
            const bool open = r[4].isNull();
            QCOMPARE(r[5].toString(), open ? QStringLiteral("F") : QStringLiteral("T"));
            if (!real || r[3].isNull()) {
                QVERIFY2(!byOrder.contains(k), qPrintable(k));
                continue;
            }
            restante.insert(k, Decimal::fromVariant(r[3]));
            QVERIFY2(byOrder.contains(k), qPrintable(k));
            const Sum s = byOrder.take(k);
            QVERIFY(s.count >= 1 && s.count <= 3);
            QVERIFY2(s.total == Decimal::fromVariant(r[3]),
                     qPrintable(k + QLatin1Char(' ') + s.total.toSqlText() + QStringLiteral(" <> ") +
                                Decimal::fromVariant(r[3]).toSqlText()));
            QVERIFY2(open ? s.allOpen : s.allPaidInFull, qPrintable(k));
        }
        QVERIFY2(byOrder.isEmpty(), "instalments of orders that do not exist");

        // A receivable account is found by the order code with or without a dot, and its instalments
        // add up to what the order still owes.
        const RowSet contas = db.query(QStringLiteral(
            "select c.CODIGOPEDIDO, sum(p.VALORPARCELA), count(*) from CONTASPR c join PARCELAS p on p.CODIGOCPR = c.CODIGOCPR "
            "where c.NATUREZA = 'R' group by c.CODIGOCPR, c.CODIGOPEDIDO"));
        QVERIFY(contas.rowCount() > 0);
        for (const auto &r : contas.rows) {
            const QString k = r[0].toString().remove(QLatin1Char('.'));
            QVERIFY2(restante.contains(k), qPrintable(r[0].toString()));
            QCOMPARE(Decimal::fromVariant(r[1]).toSqlText(), restante.value(k).toSqlText());
            QVERIFY(r[2].toInt() >= 2 && r[2].toInt() <= 3);
        }
    }

    void textReadsBackExactly()
    {
        Connection &db = *demo.central;
        const QStringList names = {QStringLiteral("Padaria D'Ouro"), QStringLiteral("Associação dos Servidores Públicos"),
                                   QStringLiteral("Clínica Saúde & Vida"), QStringLiteral("Transportadora Ébano"),
                                   QStringLiteral("Hospital Nossa Senhora da Conceição")};
        for (const QString &name : names) {
            // Found by its exact name, and stored as Windows-1252 bytes, as the suite's other programs read it.
            const RowSet rs = db.query(
                QStringLiteral("select CONVENIO, cast(CONVENIO as varchar(40) character set octets) from CONVENIO "
                               "where CONVENIO = ?"),
                {name});
            QCOMPARE(rs.rowCount(), 1);
            QCOMPARE(rs.rows[0][0].toString(), name);
            QCOMPARE(rs.rows[0][1].toByteArray(), WinText::encode(name));
        }
        QCOMPARE(db.query(QStringLiteral("select CATEGORIACONV from CATECONV where CODCATECONV = 5")).rows[0][0].toString(),
                 QStringLiteral("Funcionários"));
        const RowSet emails = db.query(QStringLiteral("select E_MAIL from CONVENIO"));
        for (const auto &r : emails.rows)
            QCOMPARE(r[0].toString(), r[0].toString().toLower());

        // Orders reach their convênio by the exact name, in both databases.
        QCOMPARE(countOf(db, QStringLiteral("select count(*) from PEDIDOS p where p.CONVENIO is not null and not exists "
                                            "(select 1 from CONVENIO c where c.CONVENIO = p.CONVENIO)")),
                 0);
        QVERIFY(countOf(db, QStringLiteral("select count(*) from PEDIDOS where CONVENIO = ?"), {QStringLiteral("Padaria D'Ouro")}) > 0);
        const RowSet counter = demo.iface->query(QStringLiteral("select distinct CONVENIO from PEDIDOS"));
        for (const auto &r : counter.rows)
            QCOMPARE(countOf(db, QStringLiteral("select count(*) from CONVENIO where CONVENIO = ?"), {r[0]}), 1);
    }

    void periodScenariosHold_data() { addSuiteRows(); }

    void periodScenariosHold()
    {
        QFETCH(QString, suite);
        Suite &s = suiteFor(suite);
        const QDate first(s.today.year(), s.today.month(), 1);
        const QDate last = first.addMonths(1).addDays(-1);

        const RowSet periodo = s.iface->query(QStringLiteral("select DATAINICIAL, DATAFINAL from PERIODO"));
        QCOMPARE(periodo.rowCount(), 1);
        QCOMPARE(periodo.rows[0][0].toDate(), first);
        QCOMPARE(periodo.rows[0][1].toDate(), last);

        // Six months of orders up to the day the suite was made, none in the future.
        const RowSet span = s.central->query(QStringLiteral("select min(DATAPEDIDO), max(DATAPEDIDO) from PEDIDOS"));
        QVERIFY(span.rows[0][0].toDate() >= s.today.addMonths(-6));
        QVERIFY(span.rows[0][1].toDate() <= s.today);

        const QString openInPeriod = QStringLiteral(
            "select count(*) from PEDIDOS where CONVENIO = ? and DATAPEDIDO between ? and ? and TIPOPEDIDO = 'Pedido'");
        const QString blocked = DemoData::convenioWithCounterOrders();
        // The held-back convênio: open orders in the central database and at the counter.
        QVERIFY(countOf(*s.central, openInPeriod + QStringLiteral(" and DATAPAGAMENTO is null"), {blocked, first, last}) > 0);
        QVERIFY(countOf(*s.iface, openInPeriod, {blocked, first, last}) >= 1);
        // The convênio with the apostrophe can be settled: open orders, and only a budget at the counter.
        const QString padaria = QStringLiteral("Padaria D'Ouro");
        QVERIFY(countOf(*s.central, openInPeriod + QStringLiteral(" and DATAPAGAMENTO is null"), {padaria, first, last}) > 0);
        QCOMPARE(countOf(*s.iface, openInPeriod, {padaria, first, last}), 0);

        // Counter orders are not in the central database yet.
        const RowSet counter = s.iface->query(QStringLiteral("select ESTACAO, NPEDIDO from PEDIDOS"));
        for (const auto &r : counter.rows)
            QCOMPARE(countOf(*s.central, QStringLiteral("select count(*) from PEDIDOS where ESTACAO = ? and NPEDIDO = ?"),
                             {r[0], r[1]}),
                     0);
    }

    void standInsRecordTheirArguments()
    {
#ifdef Q_OS_WIN
        QSKIP("the stand-ins are shell scripts");
#endif
        const QStringList args = {QStringLiteral("Padaria"), QStringLiteral("D'Ouro"), QStringLiteral("two  blanks"),
                                  QStringLiteral("$HOME"), QStringLiteral("-n")};
        for (const QString &program : {QStringLiteral("Rebatex"), QStringLiteral("Mirrorup")}) {
            const QString exe = demo.root() + QLatin1Char('/') + program + QStringLiteral(".exe");
            QVERIFY(QFileInfo(exe).isExecutable());
            for (int run = 0; run < 2; ++run)
                QCOMPARE(QProcess::execute(exe, args), 0);
            QFile log(demo.root() + QLatin1Char('/') + program + QStringLiteral(".log"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
            QCOMPARE(lines.takeLast(), QString());
            QCOMPARE(lines.size(), 2 * (1 + args.size()));
            for (int run = 0; run < 2; ++run) {
                const QStringList block = lines.mid(run * (1 + args.size()), 1 + args.size());
                QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ")).match(block[0]).hasMatch(),
                         qPrintable(block[0]));
                QCOMPARE(block.mid(1), args);
            }
        }
    }

    // Last: it empties the first-of-month suite.
    void forceReplacesTheSuite()
    {
        firstOfMonth.disconnect();
        SuiteBuilder::Options o;
        o.overwrite = true;
        o.quitarSoNoCaixa = QStringLiteral("SIM");
        DemoData::createSuite(firstOfMonth.root(), o, false);
        firstOfMonth.connect();
        for (const QString &table : {QStringLiteral("USUARIOS"), QStringLiteral("CONVENIO"), QStringLiteral("PEDIDOS"),
                                     QStringLiteral("PAGPEDID"), QStringLiteral("CONTASPR")})
            QCOMPARE(countOf(*firstOfMonth.central, QStringLiteral("select count(*) from ") + table), 0);
        QCOMPARE(countOf(*firstOfMonth.iface, QStringLiteral("select count(*) from PERIODO")), 0);
        QFile ini(firstOfMonth.root() + QStringLiteral("/PRAXOLIN.INI"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(WinText::decode(ini.readAll())
                    .contains(SuiteBuilder::iniLine(QStringLiteral("PERMITIR QUITAR CONVENIOS APENAS NO CAIXA......:"),
                                                    QStringLiteral("SIM"))));
    }

    void cleanupTestCase()
    {
        demo.disconnect();
        firstOfMonth.disconnect();
    }
};

QTEST_GUILESS_MAIN(TstSetup)
#include "tst_setup.moc"
