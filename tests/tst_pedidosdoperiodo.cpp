// The one order condition of the module's own reads selects exactly the orders the settlement's
// literal texts select: the still open ones as the extrato's settlement goes through them, and the
// paid or not as Quitar does. Linked with the window-free settlement library only.
#include "data/Connection.h"
#include "data/PedidosDoPeriodo.h"
#include "data/Schema.h"
#include "platform/SuitePaths.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/QuitacaoExtrato.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using PedidosDoPeriodo::Pagamento;

Q_DECLARE_METATYPE(Periodo)

class TstPedidosDoPeriodo : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Connection> m_central;

    // Orders "número convênio data tipo pago-em"; around November's ends, of a name with an
    // apostrophe, a budget, a paid one, one without date and one of another convênio.
    void pedidos()
    {
        const QString beta = QStringLiteral("Beta & Cia"), ouro = QStringLiteral("Padaria D'Ouro");
        const QString pedido = QStringLiteral("Pedido"), orcamento = QStringLiteral("Orcam");
        const struct {
            int numero;
            QString convenio;
            QDate data;
            QString tipo;
            QDate pagoEm;
        } linhas[] = {
            {1, beta, {2026, 10, 31}, pedido, {}},          {2, beta, {2026, 11, 1}, pedido, {}},
            {3, beta, {2026, 11, 15}, pedido, {2026, 11, 20}}, {4, beta, {2026, 11, 16}, orcamento, {}},
            {5, beta, {2026, 11, 30}, pedido, {}},          {6, beta, {2026, 12, 1}, pedido, {}},
            {7, beta, {}, pedido, {}},                       {8, ouro, {2026, 11, 10}, pedido, {}},
            {9, ouro, {2026, 11, 11}, pedido, {2026, 12, 2}}, {10, QStringLiteral("Beta"), {2026, 11, 10}, pedido, {}},
        };
        for (const auto &l : linhas)
            m_central->execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, "
                                              "VALORRESTANTE, DATAPAGAMENTO) values ('01', ?, ?, ?, ?, 1, ?)"),
                               {l.numero, l.convenio, l.data.isValid() ? QVariant(l.data) : QVariant(),
                                l.tipo, l.pagoEm.isValid() ? QVariant(l.pagoEm) : QVariant()});
        int codigo = 0;
        for (const QString &c : {beta, ouro, QStringLiteral("Vazio")})
            m_central->execute(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO) values (?, ?)"), {++codigo, c});
    }

    QList<int> numeros(const QString &condicao, const QVariantList &valores = {})
    {
        QList<int> out;
        for (const auto &row : m_central->query(QStringLiteral("select NPEDIDO from PEDIDOS where ") + condicao +
                                                    QStringLiteral(" order by NPEDIDO"),
                                                valores)
                                   .rows)
            out << row[0].toInt();
        return out;
    }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("dados")));
        SuitePaths::setSuiteRootForTests(m_dir->path());
        m_central = std::make_unique<Connection>(QStringLiteral("pedidos"));
        m_central->setDatabase(m_dir->path() + QStringLiteral("/dados/praxolin.bd"));
        Schema::createCentral(*m_central);
        pedidos();
    }

    void cleanupTestCase()
    {
        m_central->close();
        m_central.reset();
        SuitePaths::setSuiteRootForTests(QString());
        m_dir.reset();
    }

    void selectsAsTheSettlementsTexts_data()
    {
        QTest::addColumn<QString>("convenio");
        QTest::addColumn<Periodo>("periodo");
        QTest::addColumn<QList<int>>("abertos");
        QTest::addColumn<QList<int>>("todos");
        const QString beta = QStringLiteral("Beta & Cia");
        QTest::newRow("November, both ends included") << beta << Periodo{{2026, 11, 1}, {2026, 11, 30}} << QList<int>{2, 5}
                                                      << QList<int>{2, 3, 5};
        QTest::newRow("one day") << beta << Periodo{{2026, 11, 15}, {2026, 11, 15}} << QList<int>{} << QList<int>{3};
        QTest::newRow("apostrophe in the name") << QStringLiteral("Padaria D'Ouro") << Periodo{{2026, 11, 1}, {2026, 11, 30}}
                                                << QList<int>{8} << QList<int>{8, 9};
        QTest::newRow("a name that starts another") << QStringLiteral("Beta") << Periodo{{2026, 11, 1}, {2026, 11, 30}}
                                                    << QList<int>{10} << QList<int>{10};
    }

    void selectsAsTheSettlementsTexts()
    {
        QFETCH(QString, convenio);
        QFETCH(Periodo, periodo);
        QFETCH(QList<int>, abertos);
        QFETCH(QList<int>, todos);
        const PedidosDoPeriodo::Condicao a = PedidosDoPeriodo::doConvenio(convenio, periodo, Pagamento::Abertos);
        const PedidosDoPeriodo::Condicao t = PedidosDoPeriodo::doConvenio(convenio, periodo, Pagamento::Todos);
        QCOMPARE(numeros(a.texto, a.valores), abertos);
        QCOMPARE(numeros(t.texto, t.valores), todos);
        QCOMPARE(numeros(QuitacaoExtrato::Sql::condicaoDosAbertos(convenio, periodo.inicioSql(), periodo.fimSql())), abertos);
        QCOMPARE(numeros(QuitacaoConvenio::Sql::condicaoDoPeriodo(convenio, periodo.inicioSql(), periodo.fimSql())), todos);
        const PedidosDoPeriodo::Condicao comAlias = PedidosDoPeriodo::abertos(convenio, periodo, QStringLiteral("X"));
        const RowSet rs = m_central->query(QStringLiteral("select count(*) from PEDIDOS X where ") + comAlias.texto,
                                           comAlias.valores);
        QCOMPARE(rs.rows[0][0].toInt(), abertos.size());
    }

    // Joined to the register, each convênio gets its own orders; a missing end leaves that side open.
    void eachConvenioOfAJoin_data()
    {
        QTest::addColumn<Periodo>("periodo");
        QTest::addColumn<QString>("contagem");
        QTest::newRow("November") << Periodo{{2026, 11, 1}, {2026, 11, 30}}
                                  << QStringLiteral("Beta & Cia 2; Padaria D'Ouro 1; Vazio 0");
        QTest::newRow("up to November") << Periodo{{}, {2026, 11, 30}}
                                        << QStringLiteral("Beta & Cia 3; Padaria D'Ouro 1; Vazio 0");
        QTest::newRow("from November on") << Periodo{{2026, 11, 1}, {}}
                                          << QStringLiteral("Beta & Cia 3; Padaria D'Ouro 1; Vazio 0");
    }

    void eachConvenioOfAJoin()
    {
        QFETCH(Periodo, periodo);
        QFETCH(QString, contagem);
        const PedidosDoPeriodo::Condicao c = PedidosDoPeriodo::deCadaConvenio(QStringLiteral("C.CONVENIO"), periodo,
                                                                              Pagamento::Abertos, QStringLiteral("P"));
        const RowSet rs = m_central->query(QStringLiteral("select C.CONVENIO, count(P.NPEDIDO) from CONVENIO C left join "
                                                          "PEDIDOS P on ") +
                                               c.texto + QStringLiteral(" group by C.CONVENIO order by C.CONVENIO"),
                                           c.valores);
        QStringList out;
        for (const auto &row : rs.rows)
            out << row[0].toString().trimmed() + QLatin1Char(' ') + row[1].toString();
        QCOMPARE(out.join(QStringLiteral("; ")), contagem);
    }
};

QTEST_GUILESS_MAIN(TstPedidosDoPeriodo)
#include "tst_pedidosdoperiodo.moc"
