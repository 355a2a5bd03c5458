// Hostile text in every place where text reaches SQL: each string is stored, found or refused
// literally, and no statement does anything its text was not written to do.
#include "session/Estacao.h"
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/Messages.h"
#include "platform/WinText.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Posting.h"
#include "extrato/ExtratoWindow.h"
#include "tests/support/TestSuite.h"

#include <QtTest>

using namespace QuitacaoConvenio;

namespace {
// The strings tried everywhere. `refused` marks those the suite's code page cannot hold.
void hostileStrings()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("refused");
    QTest::newRow("apostrophe") << QStringLiteral("D'Ávila") << false;
    QTest::newRow("always true") << QStringLiteral("x' or '1'='1") << false;
    QTest::newRow("second statement") << QStringLiteral("'; delete from PEDIDOS; --") << false;
    QTest::newRow("200 characters") << QString(200, QLatin1Char('A')) << false;
    QTest::newRow("control characters") << QStringLiteral("a\tb\nc\x01\x1b") << false;
    QTest::newRow("Windows-1252 accents") << QStringLiteral("ÁÉÍÓÚ çãõ € ‰") << false;
    QTest::newRow("outside Windows-1252") << QStringLiteral("中文 \u20BD") << true;
}
}

class TstHostile : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<CentralData> dm;
    std::unique_ptr<InterfaceData> dm2;
    std::unique_ptr<Messages::Recorder> messages;

    int pedidos() { return suite->count(QStringLiteral("PEDIDOS")); }

    void addOrder(int n, const QString &convenio, const QString &lab = QStringLiteral("LAB"))
    {
        suite->central().execute(
            QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE, LABORATORIO) "
                           "values ('01', ?, ?, '2026-11-10', 'Pedido', 5.00, ?)"),
            {n, convenio, lab});
    }

private slots:
    void init()
    {
        suite = std::make_unique<TestSuite>();
        suite->seedRegister();
        addOrder(1, QStringLiteral("Alfa Ltda"));
        addOrder(2, QStringLiteral("Beta & Cia"));
        suite->iface().execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2026-11-01', '2026-11-30')"));
        dm = std::make_unique<CentralData>(QString());
        dm2 = std::make_unique<InterfaceData>(QString(), QString());
        messages = std::make_unique<Messages::Recorder>();
    }

    void cleanup()
    {
        messages.reset();
        dm2.reset();
        dm.reset();
        suite.reset();
    }

    void convenioNameInTheRegister_data() { hostileStrings(); }
    void convenioNameInTheRegister()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        dm->Convenios.open();
        dm->Convenios.append();
        dm->Convenios.setValue(QStringLiteral("CODIGOCONVENIO"), 50);
        dm->Convenios.setValue(QStringLiteral("CONVENIO"), text);
        try {
            dm->Convenios.post();
            QVERIFY(!refused);
        } catch (const DatabaseError &e) {
            QVERIFY2(refused, qPrintable(e.message()));
        }
        QCOMPARE(pedidos(), 2);
        const RowSet rs = suite->central().query(QStringLiteral("select CONVENIO from CONVENIO where CODIGOCONVENIO = 50"));
        if (refused) {
            QCOMPARE(rs.rowCount(), 0);
            return;
        }
        QCOMPARE(rs.rows[0][0].toString(), text.left(40));
        dm->Convenios.close();
        dm->Convenios.open();
        QVERIFY(dm->Convenios.locate(text.left(40)));   // the search finds it by its stored name
    }

    void commandLineArguments_data() { hostileStrings(); }
    void commandLineArguments()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        suite->writeLogon(QStringLiteral("ADMIN"));
        {
            // Two arguments, the second empty: the name is stored as a new convênio.
            Program program;
            QVERIFY(program.create({text, QString()}));
            program.show();
            QCOMPARE(suite->count(QStringLiteral("CONVENIO"), QStringLiteral("CODIGOCONVENIO = 8")), refused ? 0 : 1);
            QCOMPARE(messages->messages.isEmpty(), !refused);
        }
        messages->messages.clear();
        {
            // Four arguments from the cash register: the name is looked up, the rest wait for a posting.
            Program program;
            QVERIFY(program.create({text, text, text, text}));
            program.show();
            QCOMPARE(program.sessao.caixaAtual, text.left(20));
            QCOMPARE(program.sessao.formaPagCaixa, text.left(40));
        }
        QCOMPARE(pedidos(), 2);
    }

    void cashRegisterValuesAndLaboratory_data() { hostileStrings(); }
    void cashRegisterValuesAndLaboratory()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        if (!refused)
            suite->central().execute(QStringLiteral("update PEDIDOS set LABORATORIO = ? where NPEDIDO = 2"), {text.left(10)});
        ContextoQuitacao c;
        c.convenioAtual = text;
        c.caixaAtual = text.left(20);
        c.sessaoCaixa = text.left(20);
        c.formaPagCaixa = text.left(40);
        try {
            LancaMovCaixa(*dm, QStringLiteral("01"), QStringLiteral("2"), c);
            QVERIFY(!refused);
        } catch (const DatabaseError &e) {
            QVERIFY2(refused, qPrintable(e.message()));
        }
        QCOMPARE(pedidos(), 2);
        const RowSet rs = suite->central().query(
            QStringLiteral("select CAIXA, SESSAO, FORMAPAG, HISTORICO, LABORATORIO from MOVCAIXA where NPEDIDO = '012'"));
        QCOMPARE(rs.rowCount(), refused ? 0 : 1);
        if (refused)
            return;
        QCOMPARE(rs.rows[0][0].toString(), text.left(20));
        QCOMPARE(rs.rows[0][2].toString(), text.left(40));
        QCOMPARE(rs.rows[0][3].toString(), QStringLiteral("Convênio ") + text.left(8));
        QCOMPARE(rs.rows[0][4].toString(), text.left(10));
    }

    void convenioInTheSettlementAndTheStatement_data() { hostileStrings(); }
    void convenioInTheSettlementAndTheStatement()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        if (!refused)
            addOrder(3, text.left(40));
        // The open-order check, the settlement and the statement all carry the name in their SQL.
        try {
            QCOMPARE(verificaPedidosAbertos(*dm2, text, QStringLiteral("11/01/26"), QStringLiteral("11/30/26"), [](const QString &) {}), Abertos::Nenhum);
            ContextoQuitacao c;
            c.convenioAtual = text.left(40);
            QuitaConvenio(*dm, c, QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 1));
            QVERIFY(!refused);
        } catch (const DatabaseError &e) {
            QVERIFY2(refused, qPrintable(e.message()));
        }
        QCOMPARE(pedidos(), refused ? 2 : 3);
        // Only the orders of that very name were paid.
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), refused ? 0 : 1);
        QCOMPARE(suite->count(QStringLiteral("PEDIDOS"), QStringLiteral("NPEDIDO in (1, 2) and PAGO is null")), 2);

        suite->exec(QStringLiteral("update PEDIDOS set PAGO = null, DATAPAGAMENTO = null"));
        Sessao sessao;
        sessao.central = dm.get();
        sessao.interfaceData = dm2.get();
        ExtratoWindow w(sessao, text.left(40));
        w.show();
        QTRY_VERIFY(!w.Label6->text().startsWith(QStringLiteral("Pagamentos")) || !messages->messages.isEmpty());
        if (!refused)
            QCOMPARE(dm->PEDIDOS.recordCount(), 1);
        QCOMPARE(pedidos(), refused ? 2 : 3);
    }

    void loginNameInTheWorkstationSelect_data() { hostileStrings(); }
    void loginNameInTheWorkstationSelect()
    {
        QFETCH(QString, text);
        QFETCH(bool, refused);
        Sessao sessao;
        sessao.usuarioLogado = text;
        EfeitosEstacao efeitos;
        try {
            QCOMPARE(VerificaEstacao(*dm, sessao, efeitos), QString());
            QVERIFY(!refused);
            QCOMPARE(messages->messages.size(), 1);   // "no workstation" for this user, nobody else's
        } catch (const DatabaseError &e) {
            QVERIFY2(refused, qPrintable(e.message()));
        }
        QVERIFY(sessao.estacaoAtual.isEmpty());
        QCOMPARE(suite->count(QStringLiteral("ESTACOES")), 2);
    }
};

QTEST_MAIN(TstHostile)
#include "tst_hostile.moc"
