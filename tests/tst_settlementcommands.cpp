// The three settlement commands (the convênio settlement, the statement's selected order and its
// whole period), with and without the cash register, on one fixture that holds the cases a
// settlement must get right: accounts coded "017" and "01.8", a second and a payable account,
// instalments paid before, an order already posted, an earlier zero movement and orders whose
// remaining value is zero or missing, a highest movement code that a zero movement holds, orders of
// another convênio, outside the period, paid before and not real orders. Each case's resulting
// table contents, and the changing statements it sent, are compared with the stored expectation in
// tests/expected/settlement/ (CONVENIOS_WRITE_EXPECTED=1 writes them instead).
#include "data/CentralData.h"
#include "data/StatementLog.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/QuitacaoExtrato.h"
#include "tests/support/TestSuite.h"

#include <QtTest>

class TstSettlementCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<CentralData> dm;
    const QDate di{2026, 11, 1};
    const QDate df{2026, 11, 30};
    const QDate pagamento{2026, 12, 5};

    ContextoQuitacao contexto(bool noCaixa)
    {
        ContextoQuitacao c;
        c.convenioAtual = QStringLiteral("Beta & Cia");
        if (noCaixa) {
            c.caixaAtual = QStringLiteral("3");
            c.sessaoCaixa = QStringLiteral("S12");
        }
        c.formaPagCaixa = QStringLiteral("Convênio");
        c.agora = [] { return QDateTime(QDate(2026, 12, 5), QTime(14, 7, 9)); };
        return c;
    }

    void order(const QString &est, int n, const QString &convenio, const QString &date, const QVariant &restante,
               const QString &tipo = QStringLiteral("Pedido"), const QVariant &pagoEm = {})
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, PRECOFINAL, "
                           "VALORRESTANTE, LABORATORIO, PAGO, DATAPAGAMENTO) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {est, n, QStringLiteral("Cliente %1").arg(n), convenio, QDate::fromString(date, Qt::ISODate), tipo, restante,
             restante, QStringLiteral("LAB%1").arg(n), pagoEm.isValid() ? QVariant(QStringLiteral("T")) : QVariant(),
             pagoEm});
        for (int p = 1; p <= 2; ++p)
            suite->central().execute(
                QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values (?, ?, ?, ?)"),
                {est, n, p, restante});
    }

    void account(int code, const QString &pedido, const QString &natureza, int parcelas, bool pagas = false)
    {
        suite->central().execute(QStringLiteral("insert into CONTASPR (CODIGOCPR, CODIGOPEDIDO, NATUREZA) values (?, ?, ?)"),
                                 {code, pedido, natureza});
        for (int p = 1; p <= parcelas; ++p)
            suite->central().execute(
                QStringLiteral("insert into PARCELAS (CODIGOCPR, NPARCELA, VALORPARCELA, DATAPAGTO, VALORPAGO) "
                               "values (?, ?, ?, ?, ?)"),
                {code, p, QStringLiteral("%1.25").arg(10 * p), pagas ? QVariant(QDate(2026, 10, 2)) : QVariant(),
                 pagas ? QVariant(QStringLiteral("1.00")) : QVariant()});
    }

    void movement(int code, const QString &npedido, const QVariant &valor)
    {
        suite->central().execute(
            QStringLiteral("insert into MOVCAIXA (CODMOVCX, CAIXA, NPEDIDO, VALOR, HISTORICO) values (?, '1', ?, ?, 'balcão')"),
            {code, npedido, valor});
    }

    void seed()
    {
        const QString beta = QStringLiteral("Beta & Cia");
        order("01", 7, beta, "2026-11-01", "100.10");
        order("01", 8, beta, "2026-11-15", "1234.5");
        order("02", 3, beta, "2026-11-30", "0.40");
        order("01", 12, beta, "2026-11-03", "0.00");         // posted as 0.00, cleared by the next posting
        order("01", 13, beta, "2026-11-04", QVariant());     // no remaining value
        order("01", 14, beta, "2026-11-05", "33.33");        // already posted
        order("01", 15, beta, "2026-11-06", "44.00");        // posted before with 0.00: posted again
        order("01", 16, beta, "2026-11-20", "16.00", "Pedido", QDate(2026, 11, 21));   // paid before
        order("01", 9, beta, "2026-12-01", "50.00");         // after the period
        order("01", 10, beta, "2026-11-10", "60.00", "Orcam");   // not a real order
        order("01", 11, QStringLiteral("Alfa Ltda"), "2026-11-10", "70.00");
        order("02", 17, beta, "2026-11-29", "17.00");        // the last one the convênio settlement lists
        account(100, "017", "R", 2);
        account(101, "01.8", "R", 3, true);                    // paid before: paid again on the new date
        account(102, "01.8", "R", 1);                          // a second account: left alone
        account(103, "023", "P", 2);                           // payable: left alone
        account(104, "0113", "R", 1);
        account(105, "01.10", "R", 1);                         // of the budget: never reached
        movement(40, "0114", "33.33");
        movement(41, "0115", "0.00");
        movement(42, "X1", "5.00");
        movement(60, "X2", QVariant());                         // the highest code, with no value
    }

    QString tables()
    {
        QStringList out;
        for (const QString &sql :
             {QStringLiteral("select ESTACAO, NPEDIDO, PAGO, DATAPAGAMENTO, VALORRESTANTE from PEDIDOS order by 1, 2"),
              QStringLiteral("select ESTACAO, NPEDIDO, NPARCELA, VALOR, DATAPAGTO, VALORPAGO from PAGPEDID order by 1, 2, 3"),
              QStringLiteral("select CODIGOCPR, NPARCELA, VALORPARCELA, DATAPAGTO, VALORPAGO from PARCELAS order by 1, 2"),
              QStringLiteral("select CODIGOCPR, CODIGOPEDIDO, NATUREZA from CONTASPR order by 1"),
              QStringLiteral("select * from MOVCAIXA order by CODMOVCX")}) {
            out << sql;
            const RowSet rs = suite->central().query(sql);
            for (const auto &row : rs.rows) {
                QStringList cells;
                for (const QVariant &v : row)
                    cells << (v.isNull() ? QStringLiteral("null")
                                         : v.metaType() == QMetaType::fromType<Decimal>() ? v.value<Decimal>().toSqlText()
                                                                                          : v.toString());
                out << cells.join('|');
            }
        }
        return out.join('\n');
    }

    // The statements that change the suite's rows, in the order they were sent; their order within
    // a settlement may change only by grouping, so they are compared sorted. The settlement's record
    // in the module's own tables is checked on its own.
    QString changes()
    {
        QStringList out;
        for (const QString &sql : StatementLog::texts())
            if (!sql.startsWith(QStringLiteral("select"), Qt::CaseInsensitive) && !sql.contains(QLatin1String("QUITACOES")) &&
                !sql.contains(QLatin1String("QUITACAO_")))
                out << sql;
        out.sort();
        return out.join('\n');
    }

    void compareWithExpected(const QString &name, const QString &got)
    {
        const QString path = QString::fromLocal8Bit(qgetenv("CONVENIOS_SOURCE_DIR")) +
                             QStringLiteral("/tests/expected/settlement/") + name + QStringLiteral(".txt");
        QFile f(path);
        if (qEnvironmentVariableIsSet("CONVENIOS_WRITE_EXPECTED")) {
            QDir().mkpath(QFileInfo(path).path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(got.toUtf8() + '\n');
            return;
        }
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
        const QStringList expected = QString::fromUtf8(f.readAll()).trimmed().split('\n');
        const QStringList lines = got.split('\n');
        for (int i = 0; i < std::max(expected.size(), lines.size()); ++i)
            QCOMPARE(lines.value(i), expected.value(i));
    }

    // Opens the statement's order cache on the period and selects order `npedido`.
    void selectInTheStatement(int npedido)
    {
        CachedTable &pedidos = dm->PEDIDOS;
        pedidos.setCommandText(QuitacaoExtrato::Sql::pedidosDoPeriodo(
            CentralData::PedidosColumns, QuitacaoExtrato::Sql::Ordem::Abertura, QStringLiteral("Beta & Cia"),
            QStringLiteral("11/01/26"), QStringLiteral("11/30/26")));
        pedidos.open();
        for (int row = 0; row < pedidos.rowCount(); ++row)
            if (pedidos.valueAt(row, pedidos.fieldIndex(QStringLiteral("NPEDIDO"))).toInt() == npedido)
                pedidos.moveTo(row);
        QCOMPARE(pedidos.value(QStringLiteral("NPEDIDO")).toInt(), npedido);
    }

private slots:
    void init()
    {
        suite = std::make_unique<TestSuite>();
        seed();
        dm = std::make_unique<CentralData>(QString());
        StatementLog::clear();
    }

    void cleanup()
    {
        dm.reset();
        suite.reset();
    }

    void everyCommandEndsAsExpected_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("noCaixa");
        QTest::addColumn<int>("npedido");
        QTest::newRow("quitar-caixa") << "quitar" << true << 0;
        QTest::newRow("quitar") << "quitar" << false << 0;
        QTest::newRow("periodo-caixa") << "periodo" << true << 0;
        QTest::newRow("periodo") << "periodo" << false << 0;
        QTest::newRow("pedido-caixa-conta-com-ponto") << "pedido" << true << 8;
        QTest::newRow("pedido-caixa-sem-valor") << "pedido" << true << 13;
        QTest::newRow("pedido-caixa-ja-lancado") << "pedido" << true << 14;
        QTest::newRow("pedido") << "pedido" << false << 7;
    }

    void everyCommandEndsAsExpected()
    {
        QFETCH(QString, command);
        QFETCH(bool, noCaixa);
        QFETCH(int, npedido);
        if (command == QLatin1String("quitar")) {
            QuitacaoConvenio::QuitaConvenio(*dm, contexto(noCaixa), di, df, pagamento);
        } else if (command == QLatin1String("periodo")) {
            QuitacaoExtrato::QuitaPeriodo(*dm, contexto(noCaixa), di, df, pagamento);
        } else {
            selectInTheStatement(npedido);
            StatementLog::clear();
            QuitacaoExtrato::QuitaPedidoSelecionado(*dm, contexto(noCaixa), di, df, pagamento);
        }
        compareWithExpected(QString::fromLatin1(QTest::currentDataTag()), changes() + QStringLiteral("\n--\n") + tables());
    }
};

QTEST_MAIN(TstSettlementCommands)
#include "tst_settlementcommands.moc"
