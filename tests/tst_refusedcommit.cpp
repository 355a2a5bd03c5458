// A commit that the database refuses, and a scope that gives up inside another: nothing of that
// transaction is stored, the failure reaches the user, and the next command of the same connection
// is stored on its own. The refusal comes from a commit trigger of the database, as a suite's own
// rule would refuse it; what is stored is read from a second connection.
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "register/RegisterPanel.h"
#include "settlement/QuitacaoConvenio.h"
#include "extrato/ExtratoWindow.h"
#include "tests/support/ProgramFixture.h"

#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using Nav = DBNavigator::Button;

namespace {
const QString refused = QStringLiteral("Nenhum pedido foi quitado");
}

class TstRefusedCommit : public QObject, ProgramFixture {
    Q_OBJECT

    int stored(const QString &table, const QString &where) { return suite->count(table, where); }

    // Commits are refused while a paid order carries the payment date 01/01/31, or a convênio the
    // city "RECUSA".
    void refuseCommitsOnACondition()
    {
        suite->exec(QStringLiteral("create exception RECUSADO 'commit recusado pela regra da farmácia'"));
        suite->exec(QStringLiteral(
            "create trigger RECUSA_COMMIT on transaction commit as begin "
            "if (exists(select 1 from PEDIDOS where DATAPAGAMENTO = '2031-01-01') or "
            "exists(select 1 from CONVENIO where CIDADE = 'RECUSA')) then exception RECUSADO; end"));
    }

    void addOrders()
    {
        for (int n = 1; n <= 3; ++n) {
            suite->exec(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, "
                                       "VALORRESTANTE) values ('01', %1, 'Cliente', 'Beta & Cia', '2026-11-%2', "
                                       "'Pedido', 25.00)")
                            .arg(n)
                            .arg(n * 5, 2, 10, QLatin1Char('0')));
            suite->exec(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', %1, 1, 25.00)")
                            .arg(n));
        }
        suite->execInterface(QStringLiteral("delete from PERIODO"));
        suite->execInterface(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2026-11-01', '2026-11-30')"));
    }

    QStringList listed(CentralData &dm)
    {
        QStringList out;
        for (int r = 0; r < dm.PEDIDOS.recordCount(); ++r)
            out << dm.PEDIDOS.valueAt(r, QStringLiteral("NPEDIDO")).toString();
        return out;
    }

private slots:
    void init()
    {
        setUpProgram();
        refuseCommitsOnACondition();
    }
    void cleanup() { tearDownProgram(); }

    void scopes_data()
    {
        QTest::addColumn<bool>("innerGivesUp");
        QTest::addColumn<bool>("commitRefused");
        QTest::newRow("a scope inside gives up") << true << false;
        QTest::newRow("the database refuses the commit") << false << true;
    }

    // Rows 1 and 3 are written by the outer scope and row 2 by a scope inside it: either failure
    // keeps all three out, and row 4, written next on the same connection, is stored.
    void scopes()
    {
        QFETCH(bool, innerGivesUp);
        QFETCH(bool, commitRefused);
        Connection c(QStringLiteral("work"));
        c.setDatabase(suite->centralPath());
        auto insert = [&](int code, const QString &city = QStringLiteral("Campinas")) {
            c.execute(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO, CIDADE) values (?, ?, ?)"),
                      {100 + code, QStringLiteral("Linha %1").arg(code), city});
        };
        {
            Transaction outer(c);
            insert(1);
            {
                Transaction inner(c);
                insert(2);
                if (!innerGivesUp)
                    inner.commit();
            }
            insert(3, commitRefused ? QStringLiteral("RECUSA") : QStringLiteral("Campinas"));
            QVERIFY_THROWS_EXCEPTION(DatabaseError, outer.commit());
            QVERIFY(!c.inTransaction());
        }
        QCOMPARE(stored(QStringLiteral("CONVENIO"), QStringLiteral("CODIGOCONVENIO > 100")), 0);
        {
            Transaction next(c);
            insert(4);
            next.commit();
        }
        QCOMPARE(stored(QStringLiteral("CONVENIO"), QStringLiteral("CODIGOCONVENIO > 100")), 1);
        insert(5);   // outside any scope: committed on its own
        QCOMPARE(stored(QStringLiteral("CONVENIO"), QStringLiteral("CODIGOCONVENIO > 100")), 2);
    }

    void convenioSettlementRefusedThenStored()
    {
        addOrders();
        CentralData dm{QString()};
        ContextoQuitacao caixa;
        caixa.caixaAtual = QStringLiteral("4");
        caixa.sessaoCaixa = QStringLiteral("S7");
        caixa.formaPagCaixa = QStringLiteral("Dinheiro");
        caixa.convenioAtual = QStringLiteral("Beta & Cia");
        const QDate di(2026, 11, 1), df(2026, 11, 30);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, QuitacaoConvenio::QuitaConvenio(dm, caixa, di, df, QDate(2031, 1, 1)));
        QCOMPARE(stored(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is not null")), 0);
        QCOMPARE(stored(QStringLiteral("MOVCAIXA"), {}), 0);
        QuitacaoConvenio::QuitaConvenio(dm, caixa, di, df, QDate(2026, 12, 5));
        QCOMPARE(stored(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-05'")), 3);
        QCOMPARE(stored(QStringLiteral("PAGPEDID"), QStringLiteral("VALORPAGO = 25")), 3);
        QCOMPARE(stored(QStringLiteral("MOVCAIXA"), {}), 3);
    }

    void statementSettlementsRefusedThenStored_data()
    {
        QTest::addColumn<bool>("wholePeriod");
        QTest::newRow("the selected order") << false;
        QTest::newRow("the whole period") << true;
    }

    // The list keeps the orders the refused settlement did not pay, the user is told that nothing was
    // settled, and the next settlement from the same window is stored.
    void statementSettlementsRefusedThenStored()
    {
        QFETCH(bool, wholePeriod);
        addOrders();
        CentralData dm{QString()};
        InterfaceData dm2{QString(), QString()};
        Sessao sessao;
        sessao.central = &dm;
        sessao.interfaceData = &dm2;
        ExtratoWindow w(sessao, QStringLiteral("Beta & Cia"));
        w.show();
        QTRY_COMPARE(listed(dm).size(), 3);
        QAction *command = wholePeriod ? w.QuitaroPERODOselecionado1 : w.Quitaropedidoselecionado1;

        dm.PEDIDOS.moveTo(1);
        w.MaskEdit1->setText(QStringLiteral("01/01/31"));
        command->trigger();
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].contains(QStringLiteral("commit recusado")), qPrintable(messages->messages[0]));
        QVERIFY(messages->messages[0].contains(refused));
        QCOMPARE(listed(dm), (QStringList{"1", "2", "3"}));
        QCOMPARE(stored(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO is not null")), 0);

        dm.PEDIDOS.moveTo(1);
        w.MaskEdit1->setText(QStringLiteral("05/12/26"));
        command->trigger();
        QCOMPARE(messages->messages.size(), 2);   // the refusal, then the success of the second try
        QVERIFY2(messages->messages[1].startsWith(QStringLiteral("Procedimento concluído com sucesso.")),
                 qPrintable(messages->messages[1]));
        QCOMPARE(listed(dm), wholePeriod ? QStringList{} : (QStringList{"1", "3"}));
        QCOMPARE(stored(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-05'")), wholePeriod ? 3 : 1);
    }

    // A refused write-back keeps the change on the screen, being edited; the row changed again is stored.
    void registerWriteBackRefusedThenStored()
    {
        suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create({}));
        program->show();
        FormConvenios &form = *program->form;
        RegisterPanel &reg = *form.cadastro;
        QTest::mouseClick(form.DBNavigator6->button(Nav::Edit), Qt::LeftButton);
        reg.DBEditCidConv->setFocus();
        reg.DBEditCidConv->selectAll();
        QTest::keyClicks(reg.DBEditCidConv, QStringLiteral("RECUSA"));
        QTest::mouseClick(form.DBNavigator6->button(Nav::Post), Qt::LeftButton);
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY2(messages->messages[0].contains(QStringLiteral("commit recusado")), qPrintable(messages->messages[0]));
        QCOMPARE(stored(QStringLiteral("CONVENIO"), QStringLiteral("CIDADE = 'RECUSA'")), 0);

        QCOMPARE(program->dm->Convenios.text(QStringLiteral("CIDADE")), QStringLiteral("RECUSA"));   // still there
        QCOMPARE(program->dm->Convenios.state(), CachedTable::State::Edit);

        QTest::mouseClick(form.DBNavigator6->button(Nav::Edit), Qt::LeftButton);
        reg.DBEditCidConv->setFocus();
        reg.DBEditCidConv->selectAll();
        QTest::keyClicks(reg.DBEditCidConv, QStringLiteral("Sorocaba"));
        QTest::mouseClick(form.DBNavigator6->button(Nav::Post), Qt::LeftButton);
        QCOMPARE(messages->messages.size(), 1);
        QCOMPARE(stored(QStringLiteral("CONVENIO"), QStringLiteral("CIDADE = 'Sorocaba' and CODIGOCONVENIO = 1")), 1);
    }
};

QTEST_MAIN(TstRefusedCommit)
#include "tst_refusedcommit.moc"
