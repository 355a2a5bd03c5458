// The data layer against a real embedded database: write-back, lookups, refresh, transactions,
// Windows-1252 text and exact money.
#include "data/CachedTable.h"
#include "data/CentralData.h"
#include "data/StatementLog.h"
#include "tests/support/TestSuite.h"

#include <QtTest>

class TstCachedTable : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<Connection> conn;
    std::unique_ptr<CachedTable> conv;

    void addConvenio(int code, const QString &name, const QString &city = QStringLiteral("Campinas"))
    {
        suite->central().execute(
            QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO, CIDADE, VALORAPAGAR) values (?, ?, ?, 10.50)"),
            {code, name, city});
    }

private slots:
    void init()
    {
        suite = std::make_unique<TestSuite>();
        addConvenio(1, QStringLiteral("Alfa"));
        addConvenio(2, QStringLiteral("Beta"));
        addConvenio(7, QStringLiteral("Delta"));
        conn = std::make_unique<Connection>(QStringLiteral("QUBDADOS"));
        conn->setDatabase(suite->centralPath());
        conv = std::make_unique<CachedTable>(*conn, QStringLiteral("Convenios"), CentralData::ConveniosCommand,
                                             QStringList{QStringLiteral("CODIGOCONVENIO")});
        conv->afterPost = [this] { conv->writeBack(0); };
        conv->afterDelete = [this] { conv->writeBack(0); };
        conv->open();
        StatementLog::clear();
    }

    void cleanup()
    {
        conv.reset();
        conn.reset();
        suite.reset();
    }

    // A bound control that cannot put its value into the row stops the post, and the caller is told:
    // the refusal travels as an ordinary exception, and a control that is gone is not called.
    void controlRefusingItsValueStopsThePost()
    {
        QVERIFY(conv->locate(QStringLiteral("Beta")));
        auto control = std::make_unique<QObject>();
        conv->addRecordUpdater(control.get(), [this] { conv->setValue(QStringLiteral("CODIGOCONVENIO"), QStringLiteral("x")); });
        conv->edit();
        conv->setValue(QStringLiteral("CIDADE"), QStringLiteral("Sumaré"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, conv->post());
        QCOMPARE(conv->state(), CachedTable::State::Edit);
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CIDADE = 'Sumaré'")), 0);
        control.reset();
        conv->post();
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CIDADE = 'Sumaré'")), 1);
    }

    void updatesOnlyChangedColumnsByKey()
    {
        QVERIFY(conv->locate(QStringLiteral("Beta")));
        // Another workstation changes a column this one does not touch: its change must survive.
        suite->exec(QStringLiteral("update CONVENIO set ENDERECO = 'Rua Nova' where CODIGOCONVENIO = 2"));
        conv->edit();
        conv->setValue(QStringLiteral("CIDADE"), QStringLiteral("Sumaré"));
        conv->post();

        const QStringList updates = StatementLog::textsContaining(QStringLiteral("UPDATE"));
        QCOMPARE(updates, QStringList{QStringLiteral("UPDATE CONVENIO SET CIDADE = ? WHERE CODIGOCONVENIO = ?")});
        QCOMPARE(suite->scalar(QStringLiteral("select CIDADE from CONVENIO where CODIGOCONVENIO = 2")).toString(),
                 QStringLiteral("Sumaré"));
        QCOMPARE(suite->scalar(QStringLiteral("select ENDERECO from CONVENIO where CODIGOCONVENIO = 2")).toString(),
                 QStringLiteral("Rua Nova"));
        QVERIFY(!conv->hasPendingUpdates());
        QCOMPARE(conv->text(QStringLiteral("CONVENIO")), QStringLiteral("Beta"));
    }

    void insertAndDeleteAreWrittenBack()
    {
        conv->append();
        conv->setValue(QStringLiteral("CODIGOCONVENIO"), 8);
        conv->setValue(QStringLiteral("CONVENIO"), QStringLiteral("Gama"));
        conv->post();
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CONVENIO = 'Gama'")), 1);
        // The new row stands at its place in name order and stays current.
        QCOMPARE(conv->text(QStringLiteral("CONVENIO")), QStringLiteral("Gama"));
        QCOMPARE(conv->recNo(), 3);

        QVERIFY(conv->locate(QStringLiteral("Alfa")));
        conv->remove();
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CODIGOCONVENIO = 1")), 0);
        QCOMPARE(conv->recordCount(), 3);
        QVERIFY(StatementLog::texts().contains(QStringLiteral("DELETE FROM CONVENIO WHERE CODIGOCONVENIO = ?")));
    }

    void failingWriteBackKeepsTheChangePending()
    {
        suite->exec(QStringLiteral("create exception NAO_PODE 'Alteracao recusada'"));
        suite->exec(QStringLiteral("create trigger RECUSA for CONVENIO before update as begin "
                                   "if (new.CIDADE = 'Recusada') then exception NAO_PODE; end"));
        QVERIFY(conv->locate(QStringLiteral("Alfa")));
        conv->edit();
        conv->setValue(QStringLiteral("CIDADE"), QStringLiteral("Recusada"));
        try {
            conv->post();
            QFAIL("the refused write-back must raise");
        } catch (const DatabaseError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("Alteracao recusada")), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("Must apply updates before refreshing data")));
        }
        QVERIFY(conv->hasPendingUpdates());
        QCOMPARE(conv->text(QStringLiteral("CIDADE")), QStringLiteral("Recusada"));
        QCOMPARE(suite->scalar(QStringLiteral("select CIDADE from CONVENIO where CODIGOCONVENIO = 1")).toString(),
                 QStringLiteral("Campinas"));
        try {
            conv->refresh();
            QFAIL("refresh over a pending change must be refused");
        } catch (const DatabaseError &e) {
            QCOMPARE(e.message(), QStringLiteral("Must apply updates before refreshing data"));
        }
        // The pending change goes with the next write-back once the database accepts it.
        suite->exec(QStringLiteral("drop trigger RECUSA"));
        conv->writeBack(0);
        QCOMPARE(suite->scalar(QStringLiteral("select CIDADE from CONVENIO where CODIGOCONVENIO = 1")).toString(),
                 QStringLiteral("Recusada"));
    }

    void failedBatchRollsBackEveryStatement()
    {
        // Two changes in one batch; the second row is gone from the database, so its update finds nothing.
        conv->afterPost = nullptr;
        QVERIFY(conv->locate(QStringLiteral("Alfa")));
        conv->edit();
        conv->setValue(QStringLiteral("CIDADE"), QStringLiteral("Jundiaí"));
        conv->post();
        QVERIFY(conv->locate(QStringLiteral("Delta")));
        conv->edit();
        conv->setValue(QStringLiteral("CIDADE"), QStringLiteral("Itu"));
        conv->post();
        suite->exec(QStringLiteral("delete from CONVENIO where CODIGOCONVENIO = 7"));
        QCOMPARE(conv->applyUpdates(0), 1);
        QCOMPARE(suite->scalar(QStringLiteral("select CIDADE from CONVENIO where CODIGOCONVENIO = 1")).toString(),
                 QStringLiteral("Campinas"));
        QVERIFY(conv->hasPendingUpdates());
        // Closing discards what was never written.
        conv->close();
        conv->open();
        QVERIFY(!conv->hasPendingUpdates());
        QVERIFY(conv->locate(QStringLiteral("Alfa")));
        QCOMPARE(conv->text(QStringLiteral("CIDADE")), QStringLiteral("Campinas"));
    }

    void refreshKeepsTheOrdinalPosition()
    {
        QVERIFY(conv->locate(QStringLiteral("Beta")));
        QCOMPARE(conv->recNo(), 1);
        addConvenio(20, QStringLiteral("Aaron"));   // sorts before Beta
        conv->refresh();
        QCOMPARE(conv->recNo(), 1);
        QCOMPARE(conv->text(QStringLiteral("CONVENIO")), QStringLiteral("Alfa"));
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("exactFound");
        QTest::addColumn<QString>("nearest");
        QTest::newRow("exact") << "Beta" << true << "Beta";
        QTest::newRow("other case") << "beta" << false << "Delta";   // lower case sorts after every capital
        QTest::newRow("first letters") << "Be" << false << "Beta";
        QTest::newRow("between") << "C" << false << "Delta";
        QTest::newRow("past the end") << "Zeta" << false << "Delta";
        QTest::newRow("empty") << "" << false << "Alfa";
    }

    void lookups()
    {
        QFETCH(QString, key);
        QFETCH(bool, exactFound);
        QFETCH(QString, nearest);
        QVERIFY(conv->locate(QStringLiteral("Delta")));
        QCOMPARE(conv->locate(key), exactFound);
        if (!exactFound)
            QCOMPARE(conv->text(QStringLiteral("CONVENIO")), QStringLiteral("Delta"));   // stays put
        conv->locateNearest(key);
        QCOMPARE(conv->text(QStringLiteral("CONVENIO")), nearest);
    }

    void textIsStoredAsWindows1252()
    {
        conv->append();
        conv->setValue(QStringLiteral("CODIGOCONVENIO"), 9);
        conv->setValue(QStringLiteral("CONVENIO"), QStringLiteral("Açaí São João €"));
        conv->post();
        const QVariant bytes = suite->scalar(QStringLiteral(
            "select cast(CONVENIO as varchar(40) character set octets) from CONVENIO where CODIGOCONVENIO = 9"));
        QCOMPARE(bytes.toByteArray(), QByteArray("A\xE7\x61\xED S\xE3o Jo\xE3o \x80"));
        conv->close();
        conv->open();
        QVERIFY(conv->locate(QStringLiteral("Açaí São João €")));
    }

    void textIsCutToTheColumnSize()
    {
        conv->edit();
        conv->setValue(QStringLiteral("ESTADO"), QStringLiteral("SPX"));
        QCOMPARE(conv->text(QStringLiteral("ESTADO")), QStringLiteral("SP"));
        conv->cancel();
    }

    void moneyIsExact()
    {
        suite->exec(QStringLiteral("update CONVENIO set VALORAPAGAR = 0.10 where CODIGOCONVENIO = 1"));
        suite->exec(QStringLiteral("update CONVENIO set VALORAPAGAR = 0.20 where CODIGOCONVENIO = 2"));
        suite->exec(QStringLiteral("update CONVENIO set VALORAPAGAR = 1234.5 where CODIGOCONVENIO = 7"));
        const QVariant sum = suite->scalar(
            QStringLiteral("select sum(VALORAPAGAR) from CONVENIO where CODIGOCONVENIO in (1, 2)"));
        QCOMPARE(Decimal::fromVariant(sum).toSqlText(), QStringLiteral("0.30"));
        conv->refresh();
        QVERIFY(conv->locate(QStringLiteral("Delta")));
        const Decimal d = Decimal::fromVariant(conv->value(QStringLiteral("VALORAPAGAR")));
        QCOMPARE(d.toSqlText(), QStringLiteral("1234.50"));
        QCOMPARE(d.toDisplayText(QLocale(QLocale::Portuguese, QLocale::Brazil)), QStringLiteral("1.234,50"));
    }

    void transactionScopeRollsBackUnlessCommitted()
    {
        {
            Transaction tx(*conn);
            conn->execute(QStringLiteral("update CONVENIO set CIDADE = 'X' where CODIGOCONVENIO = 1"));
            conn->execute(QStringLiteral("update CONVENIO set CIDADE = 'Y' where CODIGOCONVENIO = 2"));
        }
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CIDADE in ('X', 'Y')")), 0);
        {
            Transaction tx(*conn);
            conn->execute(QStringLiteral("update CONVENIO set CIDADE = 'X' where CODIGOCONVENIO = 1"));
            tx.commit();
        }
        QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CIDADE = 'X'")), 1);
    }

    // Each logged statement carries the time it took, and a time arriving after its entry was
    // dropped from a full log lands on no other entry.
    void statementLogTimesEachStatement()
    {
        conv->refresh();
        conn->execute(QStringLiteral("update CONVENIO set CIDADE = 'X' where CODIGOCONVENIO = 1"));
        const auto logged = StatementLog::entries();
        QCOMPARE(logged.size(), 2);
        for (const auto &e : logged)
            QVERIFY2(e.ms >= 0, qPrintable(e.sql));

        const int capacity = StatementLog::capacity();
        StatementLog::setCapacity(2);
        StatementLog::clear();
        const quint64 first = StatementLog::record(QStringLiteral("t"), QStringLiteral("um"));
        StatementLog::record(QStringLiteral("t"), QStringLiteral("dois"));
        const quint64 third = StatementLog::record(QStringLiteral("t"), QStringLiteral("tres"));
        StatementLog::finished(first, 5);
        StatementLog::finished(third, 7);
        const auto kept = StatementLog::entries();
        StatementLog::setCapacity(capacity);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept[0].ms, -1.0);
        QCOMPARE(kept[1].sql, QStringLiteral("tres"));
        QCOMPARE(kept[1].ms, 7.0);
    }

    void movingWhileEditingPostsOrCancels()
    {
        QVERIFY(conv->locate(QStringLiteral("Alfa")));
        conv->edit();
        conv->next();   // unchanged: cancelled
        QCOMPARE(conv->state(), CachedTable::State::Browse);
        QCOMPARE(conv->text(QStringLiteral("CONVENIO")), QStringLiteral("Beta"));
        conv->edit();
        conv->setValue(QStringLiteral("CIDADE"), QStringLiteral("Limeira"));
        conv->prior();   // changed: posted and written back
        QCOMPARE(suite->scalar(QStringLiteral("select CIDADE from CONVENIO where CODIGOCONVENIO = 2")).toString(),
                 QStringLiteral("Limeira"));
    }
};

QTEST_MAIN(TstCachedTable)
#include "tst_cachedtable.moc"
