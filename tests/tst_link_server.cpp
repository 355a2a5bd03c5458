// The link to the server breaking under the program: dropped between commands, dropped while a
// settlement or a reversal commits (its answer lost, or the commit itself lost), and stalled (the
// packets held, not refused). The program reaches the server through scripts/delay-proxy.py, which
// the test tells when and how to break the link; the checks read the database directly.
#include "data/CentralData.h"
#include "settlement/Atomic.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Estorno.h"
#include "settlement/windows/QuitacoesWindow.h"
#include "settlement/windows/WaitPanel.h"
#include "data/InterfaceData.h"
#include "controls/DBGrid.h"
#include "extrato/ExtratoWindow.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "settlement/Registro.h"
#include "session/Sessao.h"
#include "tests/DelayProxy.h"
#include "tests/support/TestSuite.h"
#include "tests/support/Widgets.h"

#include <QProcess>
#include <QTableWidget>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Cancels a connection's call from another thread after a while, as the wait panel's Cancelar does;
// not at all when it is destroyed first.
class CancelLater {
public:
    CancelLater(Connection &c, std::chrono::milliseconds after)
    {
        m_thread = std::thread([&c, after, this] {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, after, [this] { return m_stop; }))
                return;
            fired = true;
            c.cancel();
        });
    }
    ~CancelLater()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    std::atomic<bool> fired{false};

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

}

class TstLinkServer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<DelayProxy> proxy;

    // Beside the ports of the tests' shared server (+100 the benchmark, +101 the faults test).
    static int proxyPort()
    {
        const int shared = TestSuite::testServer().section(QLatin1Char('/'), 1).toInt();
        return (shared > 0 ? shared : 3057) + 102;
    }

    void seedOrders(int count)
    {
        Connection &c = suite->central();
        for (int n = 1; n <= count; ++n) {
            c.execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, NOME, CONVENIO, DATAPEDIDO, TIPOPEDIDO, "
                                     "VALORRESTANTE) values ('01', ?, 'Cliente', 'Beta & Cia', ?, 'Pedido', 12.30)"),
                      {n, QDate(2026, 11, n)});
            c.execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, 12.30)"),
                      {n});
        }
    }

    static ContextoQuitacao caixa()
    {
        ContextoQuitacao c;
        c.convenioAtual = QStringLiteral("Beta & Cia");
        c.caixaAtual = QStringLiteral("1");
        c.sessaoCaixa = QStringLiteral("S1");
        c.formaPagCaixa = QStringLiteral("Convênio");
        c.usuario = QStringLiteral("MARIA");
        c.estacao = QStringLiteral("02");
        return c;
    }

    static MotorQuitacao::Resultado settle(CentralData &dm, bool registra = true)
    {
        MotorQuitacao::Opcoes opcoes;
        opcoes.registra = registra;
        return QuitacaoConvenio::QuitaConvenio(dm, caixa(), QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5),
                                               {}, opcoes);
    }

    // The link breaks the first time `db` commits a transaction.
    void breakAtCommit(Connection &db, const QString &breakage)
    {
        auto done = std::make_shared<bool>(false);
        db.setBeforeCommit([this, breakage, done] {
            if (!*done)
                QVERIFY(proxy->command(breakage));
            *done = true;
        });
    }

    int count(const QString &table, const QString &where = {}) { return suite->count(table, where); }

    // A run of the program whose central database is reached through the proxy; ADMIN, a
    // supervisor, on workstation 01.
    static Sessao sessaoPeloProxy(CentralData &dm, InterfaceData &dm2)
    {
        Sessao sessao;
        sessao.central = &dm;
        sessao.interfaceData = &dm2;
        sessao.usuarioLogado = QStringLiteral("ADMIN");
        sessao.estacaoAtual = QStringLiteral("01");
        return sessao;
    }

    // The link stalls as soon as `painel` shows; the user presses its Cancelar when it is offered,
    // and the link comes back. Returns whether Cancelar was offered.
    std::shared_ptr<bool> stallAndCancel(WaitPanel *painel)
    {
        auto offered = std::make_shared<bool>(false);
        auto *user = new QTimer(painel);
        user->setInterval(100);
        connect(user, &QTimer::timeout, painel, [this, painel, user, offered] {
            if (painel->BotCancelar->isVisible()) {
                *offered = true;
                user->stop();
                // Through the window, as the window system delivers a person's click.
                QWidget *janela = painel->window();
                QTest::mouseClick(janela->windowHandle(), Qt::LeftButton, {},
                                  painel->BotCancelar->mapTo(janela, painel->BotCancelar->rect().center()));
                QVERIFY(proxy->command(QStringLiteral("release")));
            }
        });
        connect(painel, &WaitPanel::emCurso, painel, [this, user](bool sim) {
            if (sim && !user->isActive()) {
                QVERIFY(proxy->command(QStringLiteral("hold")));
                user->start();
            }
        });
        return offered;
    }

    template <typename T>
    void onceShown(const std::function<void(T *)> &act) { ::onceShown<T>(this, act); }

private slots:
    void initTestCase()
    {
        if (TestSuite::testServer().isEmpty())
            QSKIP("FB_TEST_SERVER not set: run through scripts/run-tests.sh");
    }

    void init()
    {
        suite = std::make_unique<TestSuite>(TestSuite::Options{TestSuite::testServer(), QString()});
        suite->seedRegister();
        proxy = std::make_unique<DelayProxy>();
        QVERIFY(proxy->start(TestSuite::testServer(), proxyPort()));
    }

    void cleanup()
    {
        proxy.reset();
        suite.reset();
    }

    // Whatever the next command is, it attaches again and runs once; the window is told.
    void droppedLinkIsRepairedByTheNextCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("select") << "select";
        QTest::newRow("insert") << "insert";
        QTest::newRow("grouped statements") << "group";
        QTest::newRow("transaction") << "transaction";
    }

    void droppedLinkIsRepairedByTheNextCommand()
    {
        QFETCH(QString, command);
        CentralData dm(proxy->address());
        Connection &db = dm.SQLConnection1;
        int reconnected = 0;
        db.setReconnectedHandler([&] { ++reconnected; });
        QCOMPARE(db.query(QStringLiteral("select count(*) from CONVENIO")).rows[0][0].toInt(), 3);
        QVERIFY(proxy->command(QStringLiteral("drop")));

        const QString insert = QStringLiteral("insert into ROTAS (ROTA, MOTOQUEIRO) values ('%1', 'Zeca')");
        if (command == QLatin1String("select")) {
            QCOMPARE(db.query(QStringLiteral("select count(*) from CONVENIO")).rows[0][0].toInt(), 3);
        } else if (command == QLatin1String("insert")) {
            QCOMPARE(db.execute(insert.arg(QStringLiteral("R9"))), 1);
        } else if (command == QLatin1String("group")) {
            db.executeGrouped({insert.arg(QStringLiteral("R9")), insert.arg(QStringLiteral("R8"))});
        } else {
            Transaction t(db);
            db.execute(insert.arg(QStringLiteral("R9")));
            t.commit();
        }
        QCOMPARE(reconnected, 1);
        QCOMPARE(count(QStringLiteral("ROTAS"), QStringLiteral("ROTA = 'R9'")), command == QLatin1String("select") ? 0 : 1);
    }

    // The link breaks while the settlement commits. Its answer lost after the server committed: the
    // program finds its work in the database and reports the success it was. The commit itself lost:
    // the server rolls back, and the program says that nothing was settled. With the record, it
    // reads the record back; without, the orders.
    void settlementCommitInterrupted_data()
    {
        QTest::addColumn<bool>("registra");
        QTest::addColumn<QString>("breakage");
        QTest::addColumn<bool>("committed");
        QTest::newRow("record, answer lost") << true << "lose-answers" << true;
        QTest::newRow("record, commit lost") << true << "lose-requests" << false;
        QTest::newRow("orders, answer lost") << false << "lose-answers" << true;
        QTest::newRow("orders, commit lost") << false << "lose-requests" << false;
    }

    void settlementCommitInterrupted()
    {
        QFETCH(bool, registra);
        QFETCH(QString, breakage);
        QFETCH(bool, committed);
        seedOrders(5);
        const QString before = suite->settlementSnapshot();
        CentralData dm(proxy->address());
        breakAtCommit(dm.SQLConnection1, breakage);
        try {
            const MotorQuitacao::Resultado r = settle(dm, registra);
            QVERIFY2(committed, "a settlement that is not in the database was reported as done");
            QCOMPARE(r.pedidos.size(), 5);
            QCOMPARE(r.codigo, registra ? 1 : 0);
        } catch (const DatabaseError &) {
            QVERIFY2(!committed, "a settlement that is in the database was reported as failed");
            QVERIFY(Atomic::mensagemDeFalha(std::current_exception()).contains(QStringLiteral("Nenhum pedido foi quitado")));
        }
        QCOMPARE(count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), committed ? 5 : 0);
        QCOMPARE(count(QStringLiteral("MOVCAIXA")), committed ? 5 : 0);
        QCOMPARE(count(QStringLiteral("QUITACOES")), committed && registra ? 1 : 0);
        if (!committed)
            QCOMPARE(suite->settlementSnapshot(), before);

        // The same program goes on over a new link.
        dm.SQLConnection1.setBeforeCommit(nullptr);
        if (!committed)
            settle(dm, registra);
        QCOMPARE(count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), 5);
    }

    void reversalCommitInterrupted_data()
    {
        QTest::addColumn<QString>("breakage");
        QTest::addColumn<bool>("committed");
        QTest::newRow("answer lost") << "lose-answers" << true;
        QTest::newRow("commit lost") << "lose-requests" << false;
    }

    void reversalCommitInterrupted()
    {
        QFETCH(QString, breakage);
        QFETCH(bool, committed);
        seedOrders(3);
        CentralData dm(proxy->address());
        const int codigo = settle(dm).codigo;
        breakAtCommit(dm.SQLConnection1, breakage);
        try {
            Estorno::estorna(dm, codigo, caixa(), QStringLiteral("engano"));
            QVERIFY2(committed, "a reversal that is not in the database was reported as done");
        } catch (const DatabaseError &) {
            QVERIFY2(!committed, "a reversal that is in the database was reported as failed");
        }
        QCOMPARE(count(QStringLiteral("QUITACOES"), QStringLiteral("ESTORNO_DATAHORA is not null")), committed ? 1 : 0);
        QCOMPARE(count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), committed ? 0 : 3);
    }

    // Packets held, not refused: a command waits until it is cancelled, which ends it at once; the
    // settlement it was part of leaves nothing, and the next command works once the link does.
    void stalledLinkIsCancelled()
    {
        seedOrders(3);
        const QString before = suite->settlementSnapshot();
        CentralData dm(proxy->address());
        Connection &db = dm.SQLConnection1;
        QCOMPARE(db.query(QStringLiteral("select count(*) from CONVENIO")).rows[0][0].toInt(), 3);

        QVERIFY(proxy->command(QStringLiteral("hold")));
        {
            CancelLater cancel(db, 300ms);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, db.query(QStringLiteral("select count(*) from CONVENIO")));
            QVERIFY(cancel.fired);
        }
        QVERIFY(proxy->command(QStringLiteral("release")));
        QCOMPARE(db.query(QStringLiteral("select count(*) from CONVENIO")).rows[0][0].toInt(), 3);

        std::unique_ptr<CancelLater> cancel;
        try {
            QuitacaoConvenio::QuitaConvenio(dm, caixa(), QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5),
                                            {[&](int) {
                                                 QVERIFY(proxy->command(QStringLiteral("hold")));
                                                 cancel = std::make_unique<CancelLater>(db, 300ms);
                                             },
                                             {}});
            QFAIL("a cancelled settlement cannot end");
        } catch (const DatabaseError &) {
            const QString message = Atomic::mensagemDeFalha(std::current_exception());
            QVERIFY2(message.contains(QStringLiteral("cancelada")), qPrintable(message));
            QVERIFY(message.contains(QStringLiteral("Nenhum pedido foi quitado")));
        }
        cancel.reset();
        QVERIFY(proxy->command(QStringLiteral("release")));
        QCOMPARE(suite->settlementSnapshot(), before);
        settle(dm);
        QCOMPARE(count(QStringLiteral("PEDIDOS"), QStringLiteral("PAGO = 'T'")), 3);
    }

    // The same from the wait panel, its calls in the background: after a few seconds without
    // progress it offers Cancelar, whose click ends the stalled settlement.
    void waitPanelCancelsAStalledSettlement()
    {
        seedOrders(3);
        const QString before = suite->settlementSnapshot();
        CentralData dm(proxy->address());
        WaitPanel painel;
        painel.cancela = [&] { dm.SQLConnection1.cancel(); };
        bool offered = false;
        QTimer user;
        user.setInterval(100);
        connect(&user, &QTimer::timeout, this, [&] {
            if (painel.BotCancelar->isVisible()) {
                offered = true;
                user.stop();
                QTest::mouseClick(painel.BotCancelar, Qt::LeftButton);
            }
        });
        try {
            painel.mostra();
            const auto esconde = qScopeGuard([&] { painel.esconde(); });
            QuitacaoConvenio::QuitaConvenio(dm, caixa(), QDate(2026, 11, 1), QDate(2026, 11, 30), QDate(2026, 12, 5),
                                            {[&](int total) {
                                                 painel.inicia(total);
                                                 QVERIFY(proxy->command(QStringLiteral("hold")));
                                                 user.start();
                                             },
                                             [&](int n) { painel.avanca(n); }});
            QFAIL("a cancelled settlement cannot end");
        } catch (const DatabaseError &) {
            QVERIFY(Atomic::mensagemDeFalha(std::current_exception()).contains(QStringLiteral("cancelada")));
        }
        QVERIFY(offered);
        QVERIFY(proxy->command(QStringLiteral("release")));
        QCOMPARE(suite->settlementSnapshot(), before);
    }

    // The extrato's settlement of its period and a reversal from the list of settlements, on a
    // stalled link: their wait panels offer Cancelar, which ends the call; nothing changed, the user
    // is told so and the next command works.
    void windowsCancelAStalledSettlementAndReversal()
    {
        seedOrders(3);
        const QString before = suite->settlementSnapshot();
        CentralData dm(proxy->address());
        InterfaceData dm2(TestSuite::testServer(), QString());
        Sessao sessao = sessaoPeloProxy(dm, dm2);
        sessao.caixaAtual = QStringLiteral("1");   // the settlement posts cash: its reversal is made at the register
        sessao.sessaoCaixa = QStringLiteral("S1");
        sessao.formaPagCaixa = QStringLiteral("Convênio");
        Messages::Recorder messages;
        {
            ExtratoWindow w(sessao, QStringLiteral("Beta & Cia"));
            w.comecaNoPeriodo({QDate(2026, 11, 1), QDate(2026, 11, 30)});
            w.show();
            QTRY_COMPARE(dm.PEDIDOS.recordCount(), 3);
            w.MaskEdit1->setText(QStringLiteral("05/12/26"));
            const auto offered = stallAndCancel(w.PainelAguarde);
            w.QuitaroPERODOselecionado1->trigger();
            QVERIFY(*offered);
            QCOMPARE(messages.messages.size(), 1);
            QVERIFY2(messages.messages.value(0).contains(QStringLiteral("cancelada")), qPrintable(messages.messages.join('|')));
            QVERIFY(messages.messages.value(0).contains(QStringLiteral("Nenhum pedido foi quitado")));
            QCOMPARE(suite->settlementSnapshot(), before);
            QVERIFY(w.BitBtn1->isEnabled() && w.DBGrid1->isEnabled());
        }

        settle(dm);
        const QString settled = suite->settlementSnapshot();
        messages.messages.clear();
        QuitacoesWindow w(sessao, QStringLiteral("Beta & Cia"));
        w.show();
        w.Lista->setCurrentCell(0, 0);
        const auto offered = stallAndCancel(w.PainelAguarde);
        onceShown<EstornoDialog>([&](EstornoDialog *d) {
            QTest::keyClicks(d->EditMotivo, QStringLiteral("engano"));
            QTest::keyClicks(d->EditSenha, QStringLiteral("123"));
            QTest::keyClick(d->EditMotivo, Qt::Key_Return);
        });
        w.BotEstornar->click();
        QVERIFY2(*offered, qPrintable(messages.messages.join('|')));
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY2(messages.messages.value(0).contains(QStringLiteral("Nada foi estornado")), qPrintable(messages.messages.join('|')));
        QCOMPARE(suite->settlementSnapshot(), settled);
        QVERIFY(w.BotEstornar->isEnabled() && w.BotFechar->isEnabled());
    }

    // Over a network the window watches the claim on the convênio itself: a claim that another
    // workstation holds is told on the wait panel once it has waited a moment, and no look is taken
    // ahead of it (its round trips saved); the settlement then runs once the other one ended.
    void windowTellsAWaitForTheConvenioWithoutLookingAhead()
    {
        seedOrders(3);
        CentralData dm(proxy->address());
        InterfaceData dm2(TestSuite::testServer(), QString());
        Sessao sessao = sessaoPeloProxy(dm, dm2);
        Messages::Recorder messages;
        ExtratoWindow w(sessao, QStringLiteral("Beta & Cia"));
        w.comecaNoPeriodo({QDate(2026, 11, 1), QDate(2026, 11, 30)});
        w.show();
        QTRY_COMPARE(dm.PEDIDOS.recordCount(), 3);
        w.MaskEdit1->setText(QStringLiteral("05/12/26"));

        std::atomic<bool> segura = false;
        std::thread outraEstacao([&segura, database = suite->central().database()] {
            Connection outra(QStringLiteral("outra"));
            outra.setDatabase(database);
            outra.begin();
            Registro::reivindica(outra, QStringLiteral("Beta & Cia"), caixa());
            segura = true;
            QThread::msleep(2000);
            outra.commit();
            outra.close();
        });
        QTRY_VERIFY(segura.load());
        bool told = false;
        QTimer look;
        look.setInterval(50);
        connect(&look, &QTimer::timeout, this,
                [&] { told = told || w.PainelAguarde->Label8->text() == WaitPanel::TextoAguardandoConvenio; });
        look.start();
        StatementLog::clear();
        w.QuitaroPERODOselecionado1->trigger();
        look.stop();
        outraEstacao.join();
        QVERIFY(told);
        QVERIFY2(messages.messages.value(0).startsWith(QStringLiteral("Procedimento concluído com sucesso.")),
                 qPrintable(messages.messages.join('|')));
        QCOMPARE(StatementLog::textsContaining(QStringLiteral("select CONVENIO from QUITACAO_CONVENIOS")).size(), 0);
        QCOMPARE(count(QStringLiteral("PEDIDOS"), QStringLiteral("DATAPAGAMENTO = '2026-12-05'")), 3);
    }

    // Compression is asked of a remote server unless the module's own settings turn it off.
    void wireCompressionFollowsTheModuleSetting_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("compressed");
        QTest::newRow("no file") << QByteArray() << "TRUE";
        QTest::newRow("on") << QByteArray("[Rede]\nCompressao=sim\n") << "TRUE";
        QTest::newRow("off") << QByteArray("[Rede]\nCompressao=nao\n") << "FALSE";
    }

    void wireCompressionFollowsTheModuleSetting()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, compressed);
        if (!settings.isEmpty())
            suite->writeFile(QStringLiteral("Convenios.ini"), settings);
        CentralData dm(TestSuite::testServer());
        const RowSet rs = dm.SQLConnection1.query(
            QStringLiteral("select RDB$GET_CONTEXT('SYSTEM', 'WIRE_COMPRESSED') from RDB$DATABASE"));
        QCOMPARE(rs.rows[0][0].toString().trimmed(), compressed);
    }

    // A server that accepts the connection and never answers is given up after the wait set.
    void attachingToAStalledServerGivesUp()
    {
        QVERIFY(proxy->command(QStringLiteral("hold")));
        CentralData dm(proxy->address());
        dm.SQLConnection1.setConnectTimeout(2);
        CancelLater rescue(dm.SQLConnection1, 30s);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, dm.SQLConnection1.open());
        QVERIFY2(!rescue.fired, "the attach waited until it was cancelled");
        QVERIFY(proxy->command(QStringLiteral("release")));
    }
};

QTEST_MAIN(TstLinkServer)
#include "tst_link_server.moc"
