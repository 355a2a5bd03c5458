#include "settlement/Desfecho.h"

#include "data/Connection.h"
#include "data/SqlText.h"

#include <QHash>
#include <QThread>

namespace Desfecho {

namespace {

// Long enough for a server to end the transaction of a link it saw close; a link that broke
// without a word is ended by the server much later, and the answer is then Incerto.
constexpr int esperaSegundos = 5;
constexpr int tentativas = 3;
constexpr int porComando = 200;

bool preenchido(const QVariant &v) { return v.isValid() && !v.isNull(); }

QString texto(const QVariant &v) { return preenchido(v) ? v.toString().trimmed() : QString(); }

}

namespace Sql {

QString cabecalho(int codigo)
{
    return QStringLiteral("select count(*) from QUITACOES where CODQUITACAO = ") + QString::number(codigo);
}

QString pedidos(const QList<Pedido> &pedidos)
{
    QStringList ou;
    for (const Pedido &p : pedidos)
        ou << QStringLiteral("(ESTACAO = '") + SqlText::quoted(p.pedido.estacao()) + QStringLiteral("' and NPEDIDO = ") +
                  p.pedido.numero() + QLatin1Char(')');
    return QStringLiteral("select ESTACAO, NPEDIDO, DATAPAGAMENTO from PEDIDOS where ") + ou.join(QStringLiteral(" or "));
}

QString movimentos(const QList<int> &codigos)
{
    QStringList numeros;
    for (int c : codigos)
        numeros << QString::number(c);
    return QStringLiteral("select count(*) from MOVCAIXA where CODMOVCX in (") + numeros.join(QLatin1Char(',')) +
           QLatin1Char(')');
}

QString estorno(int codigo)
{
    return QStringLiteral("select ESTORNO_DATAHORA, ESTORNO_USUARIO, ESTORNO_ESTACAO, ESTORNO_MOTIVO from QUITACOES "
                          "where CODQUITACAO = ") +
           QString::number(codigo);
}

}

Estado apura(const std::function<Estado()> &le)
{
    for (int tentativa = 1; tentativa <= tentativas; ++tentativa) {
        try {
            return le();
        } catch (const DatabaseError &) {
            // The link is still down, or the lost transaction has not ended yet.
        }
        if (tentativa < tentativas)
            QThread::sleep(1);
    }
    return Estado::Incerto;
}

Estado daQuitacao(Connection &db, int codigo)
{
    return apura([&] {
        const RowSet rs = db.queryAfterWriters(Sql::cabecalho(codigo), esperaSegundos);
        return rs.rows.value(0).value(0).toInt() > 0 ? Estado::Gravado : Estado::NaoGravado;
    });
}

Estado dosPedidos(Connection &db, const QList<Pedido> &pedidos, const QDate &pagamento)
{
    return apura([&] {
        QHash<ChavePedido, QDate> agora;
        for (qsizetype i = 0; i < pedidos.size(); i += porComando)
            for (const auto &row : db.queryAfterWriters(Sql::pedidos(pedidos.mid(i, porComando)), esperaSegundos).rows)
                agora.insert(ChavePedido(row.value(0).toString(), row.value(1)), row.value(2).toDate());
        // Orders that had this payment date before prove nothing either way.
        int comData = 0, semData = 0;
        QList<int> movimentos;
        for (const Pedido &p : pedidos) {
            if (p.movimento >= 0)
                movimentos << p.movimento;
            if (preenchido(p.dataPagamentoAntes) && p.dataPagamentoAntes.toDate() == pagamento)
                continue;
            (agora.value(p.pedido) == pagamento ? comData : semData)++;
        }
        if (comData > 0 || semData > 0) {
            if (comData > 0 && semData > 0)
                return Estado::Incerto;   // another workstation changed some of them meanwhile
            return comData > 0 ? Estado::Gravado : Estado::NaoGravado;
        }
        if (!movimentos.isEmpty()) {
            int achados = 0;
            for (qsizetype i = 0; i < movimentos.size(); i += porComando)
                achados += db.queryAfterWriters(Sql::movimentos(movimentos.mid(i, porComando)), esperaSegundos)
                               .rows.value(0).value(0).toInt();
            return achados == movimentos.size() ? Estado::Gravado : achados == 0 ? Estado::NaoGravado : Estado::Incerto;
        }
        // Nothing tells the two apart: the orders are as the settlement leaves them.
        return Estado::Gravado;
    });
}

Estado doEstorno(Connection &db, int codigo, const QString &usuario, const QString &estacao, const QString &motivo)
{
    return apura([&] {
        const RowSet rs = db.queryAfterWriters(Sql::estorno(codigo), esperaSegundos);
        if (rs.rows.isEmpty() || !preenchido(rs.rows[0].value(0)))
            return Estado::NaoGravado;
        const auto &r = rs.rows[0];
        const bool nosso = texto(r.value(1)) == usuario.left(60).trimmed() && texto(r.value(2)) == estacao.left(2).trimmed() &&
                           texto(r.value(3)) == motivo.left(200).trimmed();
        return nosso ? Estado::Gravado : Estado::NaoGravado;
    });
}

QString mensagemQuitacaoIncerta(bool comRegistro)
{
    return QStringLiteral("A conexão com o servidor caiu enquanto a quitação era gravada, e não foi possível saber se "
                          "ela foi gravada. ") +
           (comRegistro ? QStringLiteral("Confira a lista de Quitações do convênio antes de quitar de novo.")
                        : QStringLiteral("Confira o extrato do convênio antes de quitar de novo."));
}

QString mensagemEstornoIncerto()
{
    return QStringLiteral("A conexão com o servidor caiu enquanto o estorno era gravado, e não foi possível saber se "
                          "ele foi gravado. Confira a lista de Quitações antes de estornar de novo.");
}

QString motivoNaoGravada()
{
    return QStringLiteral("A conexão com o servidor caiu antes que a gravação fosse concluída.");
}

}
