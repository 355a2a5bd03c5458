#include "settlement/Posting.h"

#include "data/CentralData.h"
#include "data/Decimal.h"
#include "data/SqlText.h"
#include "settlement/Atomic.h"

#include <QRegularExpression>

using SqlText::quoted;

namespace SqlPosting {

QString apagaMovimentosZerados() { return QStringLiteral("delete from movcaixa where valor is null or valor = 0.00"); }

QString lePedido(const QString &estacao, const QString &npedido)
{
    return QStringLiteral("Select VALORRESTANTE, LABORATORIO from Pedidos where ESTACAO = '") + quoted(estacao) +
           QStringLiteral("' and NPEDIDO = '") + quoted(npedido) + QLatin1Char('\'');
}

QString procuraMovimento(const QString &chavePedido)
{
    return QStringLiteral("Select NPEDIDO, DATAMOV, VALOR from MOVCAIXA where NPEDIDO = '") + quoted(chavePedido) +
           QLatin1Char('\'');
}

QString movimentosDoPedido(const QString &chavePedido)
{
    return QStringLiteral("Select NPEDIDO, DATAMOV, VALOR, ENTRADASAIDA from MOVCAIXA where NPEDIDO = '") +
           quoted(chavePedido) + QStringLiteral("' and VALOR <> 0");
}

QString valorComSinal(const QString &alias)
{
    return QStringLiteral("case when %1ENTRADASAIDA = '%2' then -%1VALOR else %1VALOR end").arg(alias, saida());
}

QString saida() { return QStringLiteral("Saída"); }

QString maiorCodigo() { return QStringLiteral("Select Max(CODMOVCX) MAIORCOD from MOVCAIXA"); }

QString insereMovimento(int codigo, const ContextoQuitacao &c, const QDateTime &agora, const QString &valor,
                        const QString &chavePedido, const QString &laboratorio)
{
    return QStringLiteral("INSERT INTO MOVCAIXA (CODMOVCX, CAIXA, SESSAO, DATAMOV, HORAMOV, VALOR, FORMAPAG, "
                          "HISTORICO, NPEDIDO, SINALQUITACAO, TIPOMOV, ENTRADASAIDA, NUMPARCELA, NUMDOCUMENTO, "
                          "NUMMOVIMENTO, LABORATORIO, VALORORIGINAL, DESCONTO) VALUES (") +
           QString::number(codigo) + QStringLiteral(", '") + quoted(c.caixaAtual) + QStringLiteral("', '") +
           quoted(c.sessaoCaixa) + QStringLiteral("', '") + SqlText::dateMDY(agora.date()) + QStringLiteral("', '") +
           SqlText::time24(agora.time()) + QStringLiteral("', ") + valor + QStringLiteral(", '") +
           quoted(c.formaPagCaixa) + QStringLiteral("', 'Convênio ") + quoted(c.convenioAtual.left(8)) +
           QStringLiteral("', '") + quoted(chavePedido) + QStringLiteral("', 'Quitação', 'Venda', 'Entrada', 0, 0, 0, '") +
           quoted(laboratorio) + QStringLiteral("', ") + valor + QStringLiteral(", 0.00)");
}

QString contaDoPedido(const QString &estacao, const QString &npedido)
{
    return QStringLiteral("Select CodigoCPR, CodigoPedido, Natureza from CONTASPR where Natureza = 'R' and "
                          "(CodigoPedido = '") +
           quoted(estacao + npedido) + QStringLiteral("' OR CodigoPedido = '") + quoted(estacao + QLatin1Char('.') + npedido) +
           QStringLiteral("')");
}

QString codigoDaConta(const QString &codigoConta)
{
    // The account code is a number and goes unquoted; anything else is quoted, so it cannot change
    // the statement.
    static const QRegularExpression numero(QStringLiteral("^-?[0-9]+$"));
    return numero.match(codigoConta).hasMatch() ? codigoConta : QLatin1Char('\'') + quoted(codigoConta) + QLatin1Char('\'');
}

QString quitaPagamentos(const QString &pagamento, const QString &pedido)
{
    return QStringLiteral("Update PAGPEDID set DATAPAGTO = '") + pagamento +
           QStringLiteral("', VALORPAGO = VALOR where ESTACAO||NPEDIDO = '") + quoted(pedido) + QLatin1Char('\'');
}

QString quitaParcelas(const QDate &pagamento, const QString &codigoConta)
{
    return QStringLiteral("Update PARCELAS set DataPagto = '") + SqlText::dateMDY(pagamento) +
           QStringLiteral("', ValorPago = ValorParcela where CodigoCPR = ") + codigoDaConta(codigoConta);
}

}

bool jaLancadoPelos(const RowSet &movimentos)
{
    // A reversed settlement leaves the order's movement and its counter-movement, which add up to
    // nothing: the order is open again, and is posted anew when it is settled again.
    // A counter-movement is money leaving the drawer: a 'Saída', or (as the first reversals wrote
    // it) a negative value.
    const int valor = movimentos.indexOf(QStringLiteral("VALOR"));
    const int sentido = movimentos.indexOf(QStringLiteral("ENTRADASAIDA"));
    Decimal soma(0, 2);
    bool estorno = false;
    for (const auto &row : movimentos.rows) {
        const QVariant v = row.value(valor);
        if (v.isValid() && !v.isNull()) {
            Decimal d = Decimal::fromVariant(v);
            if (sentido >= 0 && row.value(sentido).toString().trimmed() == SqlPosting::saida())
                d = Decimal(-d.units(), d.scale());
            soma = soma + d;
            estorno = estorno || d < Decimal(0, 2);
        }
    }
    return !movimentos.rows.isEmpty() && !(estorno && soma.isZero());
}

void LancaMovCaixa(CentralData &dm, const QString &estacao, const QString &npedido, const ContextoQuitacao &c)
{
    const QString chave = (estacao + npedido).left(30);
    dm.SQLConnection1.execute(SqlPosting::apagaMovimentosZerados());

    FreeQuery &q3 = dm.SQLQuery3;
    q3.close();
    q3.setSql(SqlPosting::lePedido(estacao, npedido));
    q3.open();
    const Decimal restante = q3.isEmpty() ? Decimal() : Decimal::fromVariant(q3.value(QStringLiteral("VALORRESTANTE")));
    const QString laboratorio = q3.isEmpty() ? QString() : q3.text(QStringLiteral("LABORATORIO"));
    q3.close();

    q3.setSql(SqlPosting::procuraMovimento(chave));
    q3.open();
    const bool jaLancado = jaLancadoPelos(q3.rows());
    q3.close();
    if (jaLancado)
        return;

    const QString valor = restante.toSqlText(2);
    const QDateTime agora = c.agora();
    // Another workstation stored the code first: take the next free one.
    Atomic::retryOnKeyViolation(51, [&] {
        int codigo = 0;
        FreeQuery &q4 = dm.SQLQuery4;
        try {
            q4.close();
            q4.setSql(SqlPosting::maiorCodigo());
            q4.open();
            codigo = q4.value(QStringLiteral("MAIORCOD")).toInt() + 1;
            q4.close();
        } catch (const DatabaseError &) {
            q4.close();   // the code stays 0, as the suite does
        }
        dm.SQLConnection1.execute(SqlPosting::insereMovimento(codigo, c, agora, valor, chave, laboratorio));
    });
}

void QuitaParcelas(CentralData &dm, const QString &estacao, const QString &npedido, const QDate &pagamento)
{
    FreeQuery &q3 = dm.SQLQuery3;
    q3.close();
    q3.clearSql();
    q3.setSql(SqlPosting::contaDoPedido(estacao, npedido));
    q3.open();
    if (q3.isEmpty()) {
        q3.close();
        return;
    }
    const QString codigo = q3.text(QStringLiteral("CodigoCPR")).left(20);
    q3.close();
    q3.clearSql();
    q3.setSql(SqlPosting::quitaParcelas(pagamento, codigo));
    q3.execute();
}
