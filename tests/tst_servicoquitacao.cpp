// The settlement service on its own: this test links the window-free settlement library and
// nothing above it, so it builds only while the service needs no window.
#include "data/CentralData.h"
#include "data/ModuleSchema.h"
#include "data/Schema.h"
#include "platform/SuitePaths.h"
#include "settlement/QuitacaoExtrato.h"
#include "settlement/ServicoQuitacao.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace ServicoQuitacao;

Q_DECLARE_METATYPE(ServicoQuitacao::Comando)

class TstServicoQuitacao : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Connection> m_central;

    const Periodo novembro{QDate(2026, 11, 1), QDate(2026, 11, 30)};
    const QDate pagamento{2026, 12, 5};

    void pedido(int n, const QString &convenio, const QDate &data, const QString &valor, const QString &tipo = "Pedido",
                const QVariant &pagoEm = {})
    {
        m_central->execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, "
                                          "VALORRESTANTE, PAGO, DATAPAGAMENTO) values ('01', ?, ?, ?, ?, ?, ?, ?)"),
                           {n, convenio, data, tipo, valor, pagoEm.isNull() ? QVariant() : QVariant(QStringLiteral("T")),
                            pagoEm});
        m_central->execute(QStringLiteral("insert into PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, VALOR) values ('01', ?, 1, ?)"),
                           {n, valor});
    }

    int pagosEm(const QDate &data)
    {
        return m_central->query(QStringLiteral("select count(*) from PEDIDOS where DATAPAGAMENTO = ?"), {data})
            .rows[0][0]
            .toInt();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("dados")));
        SuitePaths::setSuiteRootForTests(m_dir->path());
        m_central = std::make_unique<Connection>(QStringLiteral("servico"));
        m_central->setDatabase(m_dir->path() + QStringLiteral("/dados/praxolin.bd"));
        Schema::createCentral(*m_central);
        ModuleSchema::upgrade(*m_central, ModuleSchema::Database::Central);
        pedido(1, QStringLiteral("Beta & Cia"), QDate(2026, 11, 5), QStringLiteral("10.00"));
        pedido(2, QStringLiteral("Beta & Cia"), QDate(2026, 11, 10), QStringLiteral("20.00"), QStringLiteral("Pedido"),
               QDate(2026, 11, 20));
        pedido(3, QStringLiteral("Beta & Cia"), QDate(2026, 11, 12), QStringLiteral("40.00"), QStringLiteral("Orcam"));
        pedido(4, QStringLiteral("Alfa"), QDate(2026, 11, 5), QStringLiteral("80.00"));
        pedido(5, QStringLiteral("Beta & Cia"), QDate(2026, 12, 1), QStringLiteral("160.00"));
    }

    void cleanup()
    {
        m_central->close();
        m_central.reset();
        SuitePaths::setSuiteRootForTests(QString());
        m_dir.reset();
    }

    // Each command selects its own orders: Quitar every real order of the period, paid or not; the
    // extrato's period only the open ones; the extrato's order only itself.
    void previaOfEachCommand_data()
    {
        QTest::addColumn<Comando>("comando");
        QTest::addColumn<int>("pedidos");
        QTest::addColumn<QString>("total");
        QTest::addColumn<int>("jaPagos");
        const QString beta = QStringLiteral("Beta & Cia");
        QTest::newRow("convênio") << Comando(QuitaConvenio{beta, novembro, pagamento}) << 2 << "30.00" << 1;
        QTest::newRow("extrato") << Comando(QuitaExtrato{beta, novembro, pagamento}) << 1 << "10.00" << 0;
        QTest::newRow("pedido") << Comando(QuitaPedido{beta, ChavePedido("01", 1), novembro, pagamento}) << 1 << "10.00" << 0;
        QTest::newRow("apostrophe") << Comando(QuitaConvenio{"D'Ávila", novembro, pagamento}) << 0 << "0.00" << 0;
    }
    void previaOfEachCommand()
    {
        QFETCH(Comando, comando);
        QFETCH(int, pedidos);
        QFETCH(QString, total);
        QFETCH(int, jaPagos);
        const Registro::Previa p = previa(*m_central, comando);
        QCOMPARE(p.pedidos, pedidos);
        QCOMPARE(p.total.rescaled(2).toSqlText(), total);
        QCOMPARE(p.jaPagos, jaPagos);
    }

    void settlesWhatItSelectsAndRecordsIt()
    {
        m_central->close();
        CentralData dm{QString()};
        ContextoQuitacao quem;
        quem.usuario = QStringLiteral("MARIA");
        const MotorQuitacao::Resultado feita =
            executa(dm, quem, QuitaConvenio{QStringLiteral("Beta & Cia"), novembro, pagamento}, {});
        QCOMPARE(feita.codigo, 1);
        QCOMPARE(feita.pedidos.size(), 2);
        QCOMPARE(feita.quitacao.convenio, QStringLiteral("Beta & Cia"));
        dm.SQLConnection1.close();
        QCOMPARE(pagosEm(pagamento), 2);
        QCOMPARE(m_central->query(QStringLiteral("select count(*) from PAGPEDID where DATAPAGTO = ?"), {pagamento})
                     .rows[0][0]
                     .toInt(),
                 2);
    }

    // The extrato's order is settled through its list; when the list no longer shows that order as
    // current, nothing is settled rather than another order.
    void theOrderCommandSettlesOnlyTheOrderItNames()
    {
        m_central->close();
        CentralData dm{QString()};
        dm.PEDIDOS.setCommandText(QuitacaoExtrato::Sql::pedidosDoPeriodo(
            CentralData::PedidosColumns, QuitacaoExtrato::Sql::Ordem::PorData, QStringLiteral("Beta & Cia"),
            novembro.inicioSql(), novembro.fimSql()));
        dm.PEDIDOS.open();
        QCOMPARE(dm.PEDIDOS.text(QStringLiteral("NPEDIDO")), QStringLiteral("1"));
        const QuitaPedido outro{QStringLiteral("Beta & Cia"), ChavePedido(QStringLiteral("01"), 5), novembro, pagamento};
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, executa(dm, {}, outro, {}));
        QCOMPARE(dm.PEDIDOS.text(QStringLiteral("NPEDIDO")), QStringLiteral("1"));

        const QuitaPedido atual{QStringLiteral("Beta & Cia"), ChavePedido(QStringLiteral("01"), 1), novembro, pagamento};
        QCOMPARE(executa(dm, {}, atual, {}).pedidos.size(), 1);
        dm.PEDIDOS.close();
        dm.SQLConnection1.close();
        QCOMPARE(pagosEm(pagamento), 1);
    }
};

QTEST_GUILESS_MAIN(TstServicoQuitacao)
#include "tst_servicoquitacao.moc"
