// The scale suite of the set-up tool, built small: the shape every order has, and the convênios whose
// orders the benchmarks rely on holding exactly what they promise.
#include "data/SqlText.h"
#include "tests/support/TestSuite.h"
#include "tools/setup/ScaleData.h"

#include <QtTest>

class TstScaleData : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;

    static ScaleData::Options options()
    {
        ScaleData::Options o;
        o.convenios = 40;
        o.orders = 3000;
        o.movements = 2000;
        o.statementOrders = 25;
        o.settlementSizes = {30, 60};
        o.batch = 700;
        return o;
    }

    int count(TestSuite &s, const QString &sql, const QVariantList &params = {})
    {
        return s.central().query(sql, params).rows.value(0).value(0).toInt();
    }

private slots:
    void initTestCase()
    {
        suite = std::make_unique<TestSuite>();
        ScaleData::fill(suite->central(), suite->iface(), options());
    }

    void cleanupTestCase() { suite.reset(); }

    void everyOrderHasItsShape_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("expected");
        QTest::newRow("orders") << "select count(*) from PEDIDOS" << 3000;
        QTest::newRow("convênios") << "select count(*) from CONVENIO" << 40;
        QTest::newRow("movements") << "select count(*) from MOVCAIXA" << 2000;
        QTest::newRow("items or formulas, never both or neither")
            << "select count(*) from PEDIDOS p where "
               "iif(exists(select 1 from ITENS i where i.ESTACAO = p.ESTACAO and i.NPEDIDO = p.NPEDIDO), 1, 0) = "
               "iif(exists(select 1 from PEDIFORM f where f.ESTACAO = p.ESTACAO and f.NPEDIDO = p.NPEDIDO), 1, 0)"
            << 0;
        QTest::newRow("1 to 3 items")
            << "select count(*) from (select count(*) N from ITENS group by ESTACAO, NPEDIDO) where N not between 1 and 3"
            << 0;
        QTest::newRow("1 to 3 formulas, numbered from 1")
            << "select count(*) from (select count(*) N, max(NFORMULA) M from PEDIFORM group by ESTACAO, NPEDIDO) "
               "where N not between 1 and 3 or M <> N"
            << 0;
        QTest::newRow("2 to 6 components a formula")
            << "select count(*) from PEDIFORM f where (select count(*) from COMPEDID c where c.ESTACAO = f.ESTACAO and "
               "c.NPEDIDO = f.NPEDIDO and c.NFORMULA = f.NFORMULA) not between 2 and 6"
            << 0;
        QTest::newRow("one instalment row an order")
            << "select count(*) from PEDIDOS p where (select count(*) from PAGPEDID g where "
               "g.ESTACAO||g.NPEDIDO = p.ESTACAO||p.NPEDIDO) <> 1"
            << 0;
        QTest::newRow("one receivable account an order, as the settlement looks it up")
            << "select count(*) from PEDIDOS p where (select count(*) from CONTASPR c where c.NATUREZA = 'R' and "
               "(c.CODIGOPEDIDO = p.ESTACAO||p.NPEDIDO or c.CODIGOPEDIDO = p.ESTACAO||'.'||p.NPEDIDO)) <> 1"
            << 0;
        QTest::newRow("accounts coded both ways")
            << "select count(distinct iif(CODIGOPEDIDO containing '.', 1, 0)) from CONTASPR" << 2;
        QTest::newRow("2 or 3 instalments an account")
            << "select count(*) from (select count(*) N from PARCELAS group by CODIGOCPR) where N not between 2 and 3" << 0;
        QTest::newRow("no movement with a null or zero value")
            << "select count(*) from MOVCAIXA where VALOR is null or VALOR = 0" << 0;
        QTest::newRow("paid orders carry their payment")
            << "select count(*) from PEDIDOS where (DATAPAGAMENTO is null) <> (PAGO is null)" << 0;
    }

    void everyOrderHasItsShape()
    {
        QFETCH(QString, sql);
        QFETCH(int, expected);
        QCOMPARE(count(*suite, sql), expected);
    }

    // What the benchmarks open and settle: exactly the promised open orders in the period, nothing
    // of them posted to the cash register yet, and the stored period on the statement's month.
    void measuredConveniosHoldWhatTheyPromise()
    {
        const ScaleData::Options o = options();
        const ScaleData::Set extrato = ScaleData::statementSet(o);
        const QString listed = QStringLiteral(
            "select count(*) from PEDIDOS where TIPOPEDIDO = 'Pedido' and DATAPEDIDO >= ? and DATAPEDIDO <= ? and "
            "CONVENIO = ? and DATAPAGAMENTO is null");
        QCOMPARE(count(*suite, listed, {extrato.first, extrato.last, extrato.convenio}), 25);
        // Paid orders, budgets and orders of the month before, which the statement must leave out.
        QVERIFY(count(*suite, QStringLiteral("select count(*) from PEDIDOS where CONVENIO = ?"), {extrato.convenio}) > 25);
        const RowSet periodo = suite->iface().query(QStringLiteral("select DATAINICIAL, DATAFINAL from PERIODO"));
        QCOMPARE(periodo.rowCount(), 1);
        QCOMPARE(periodo.rows[0][0].toDate(), extrato.first);
        QCOMPARE(periodo.rows[0][1].toDate(), extrato.last);

        const QList<ScaleData::Set> sets = ScaleData::settlementSets(o);
        QCOMPARE(sets.size(), 2);
        for (const ScaleData::Set &s : sets) {
            QCOMPARE(count(*suite, listed, {s.first, s.last, s.convenio}), s.openOrders);
            QCOMPARE(count(*suite, QStringLiteral("select count(*) from PEDIDOS where CONVENIO = ?"), {s.convenio}),
                     s.openOrders);
            QCOMPARE(count(*suite,
                           QStringLiteral("select count(*) from MOVCAIXA m join PEDIDOS p on m.NPEDIDO = p.ESTACAO||p.NPEDIDO "
                                          "where p.CONVENIO = ?"),
                           {s.convenio}),
                     0);
        }
        QCOMPARE(count(*suite, QStringLiteral("select count(*) from CONVENIO where CONVENIO in (?, ?, ?)"),
                       {extrato.convenio, sets[0].convenio, sets[1].convenio}),
                 3);
    }

    void sameOptionsGiveTheSameRows()
    {
        TestSuite again;
        ScaleData::fill(again.central(), again.iface(), options());
        const QStringList sums = {
            QStringLiteral("select sum(VALORRESTANTE), sum(char_length(NOME)), sum(extract(day from DATAPEDIDO)), "
                           "sum(char_length(coalesce(CONVENIO, ''))) from PEDIDOS"),
            QStringLiteral("select sum(QDE), sum(char_length(COMPONENTE)) from COMPEDID"),
            QStringLiteral("select sum(VALOR), sum(char_length(coalesce(NPEDIDO, ''))) from MOVCAIXA"),
            QStringLiteral("select sum(VALORPARCELA), count(*) from PARCELAS"),
        };
        for (const QString &sql : sums)
            QCOMPARE(again.central().query(sql).rows.value(0), suite->central().query(sql).rows.value(0));
    }

    void tooFewOrdersForTheMeasuredConveniosIsRefused()
    {
        ScaleData::Options o = options();
        o.orders = ScaleData::setOrders(o);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ScaleData::validate(o));
    }
};

QTEST_MAIN(TstScaleData)
#include "tst_scaledata.moc"
