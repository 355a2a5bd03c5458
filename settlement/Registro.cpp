#include "settlement/Registro.h"

#include <QScopeGuard>
#include "platform/Contagem.h"

#include "data/Connection.h"
#include "data/ModuleSchema.h"
#include "data/SqlText.h"
#include "settlement/Atomic.h"

#include <QLocale>
#include <QRegularExpression>

using SqlText::quoted;

namespace Registro {

namespace {

QString literal(const QString &text) { return QLatin1Char('\'') + quoted(text) + QLatin1Char('\''); }

QString dataSql(const QDate &d) { return d.isValid() ? literal(SqlText::dateMDY(d)) : QStringLiteral("NULL"); }

// An order number placed unquoted, as PEDIDOS keeps it: digits only, anything else is no order.
QString numeroSql(const QString &npedido)
{
    static const QRegularExpression digitos(QStringLiteral("^[0-9]{1,9}$"));
    return digitos.match(npedido).hasMatch() ? npedido : QStringLiteral("NULL");
}

QDateTime dataHora(const QVariant &v) { return v.isValid() && !v.isNull() ? v.toDateTime() : QDateTime(); }

QString texto(const QVariant &v) { return v.isValid() && !v.isNull() ? v.toString() : QString(); }

}

QString codigo(Comando comando)
{
    switch (comando) {
    case Comando::Convenio: return QStringLiteral("CONVENIO");
    case Comando::Pedido: return QStringLiteral("PEDIDO");
    case Comando::Periodo: return QStringLiteral("PERIODO");
    }
    return {};
}

QString nome(const QString &codigoComando)
{
    if (codigoComando == QLatin1String("CONVENIO"))
        return QStringLiteral("Quitar");
    if (codigoComando == QLatin1String("PEDIDO"))
        return QStringLiteral("Pedido do extrato");
    if (codigoComando == QLatin1String("PERIODO"))
        return QStringLiteral("Período do extrato");
    return codigoComando;
}

namespace Sql {

QString proximoCodigo() { return QStringLiteral("select coalesce(max(CODQUITACAO), 0) + 1 from QUITACOES"); }

QString previa(const QString &condicao)
{
    return QStringLiteral("select count(*), sum(VALORRESTANTE), count(DATAPAGAMENTO), sum(case when DATAPAGAMENTO is "
                          "not null then VALORRESTANTE end) from PEDIDOS where ") +
           condicao;
}

QString insereCabecalho(int codigo, Comando comando, const ContextoQuitacao &c, const QDate &di, const QDate &df,
                        const QDate &pagamento)
{
    const QDateTime agora = c.agora();
    return QStringLiteral("insert into QUITACOES (CODQUITACAO, COMANDO, DATAHORA, USUARIO, ESTACAO, CAIXA, SESSAO, "
                          "FORMAPAG, CONVENIO, DATAINICIAL, DATAFINAL, DATAPAGAMENTO) values (") +
           QString::number(codigo) + QStringLiteral(", ") + literal(Registro::codigo(comando)) + QStringLiteral(", ") +
           literal(agora.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) + QStringLiteral(", ") +
           literal(c.usuario.left(60)) + QStringLiteral(", ") + literal(c.estacao.left(2)) + QStringLiteral(", ") +
           literal(c.caixaAtual.left(20)) + QStringLiteral(", ") + literal(c.sessaoCaixa.left(20)) +
           QStringLiteral(", ") + literal(c.formaPagCaixa.left(40)) + QStringLiteral(", ") +
           literal(c.convenioAtual.left(40)) + QStringLiteral(", ") + dataSql(di) + QStringLiteral(", ") + dataSql(df) +
           QStringLiteral(", ") + dataSql(pagamento) + QLatin1Char(')');
}

QString guardaPedidos(int codigo, const QString &condicao, const QString &pagoDepois, const QDate &pagamento)
{
    return QStringLiteral("insert into QUITACAO_PEDIDOS (CODQUITACAO, ESTACAO, NPEDIDO, DATAPEDIDO, NOME, VALOR, "
                          "PAGO_ANTES, DATAPAGAMENTO_ANTES, PAGO, DATAPAGAMENTO) select ") +
           QString::number(codigo) + QStringLiteral(", ESTACAO, NPEDIDO, DATAPEDIDO, NOME, VALORRESTANTE, PAGO, "
                                                    "DATAPAGAMENTO, ") +
           pagoDepois + QStringLiteral(", ") + dataSql(pagamento) + QStringLiteral(" from PEDIDOS where ") + condicao;
}

QString guardaPagamentos(int codigo, const QStringList &pedidos, const QDate &pagamento)
{
    // The same rows as the updates' "where ESTACAO||NPEDIDO = ...", each known by the database's own
    // identity of the row, taken in the settlement's transaction; a row met twice keeps the values
    // it had first.
    const QString cod = QString::number(codigo);
    QStringList literais;
    literais.reserve(pedidos.size());
    for (const QString &pedido : pedidos)
        literais << literal(pedido);
    return QStringLiteral("insert into QUITACAO_PAGPEDID (CODQUITACAO, CHAVE_LINHA, PEDIDO, VALOR, DATAPAGTO_ANTES, "
                          "VALORPAGO_ANTES, DATAPAGTO, VALORPAGO) select ") +
           cod + QStringLiteral(", RDB$DB_KEY, ESTACAO||NPEDIDO, VALOR, DATAPAGTO, VALORPAGO, ") + dataSql(pagamento) +
           QStringLiteral(", VALOR from PAGPEDID where ESTACAO||NPEDIDO in (") + literais.join(QStringLiteral(", ")) +
           QLatin1Char(')') +
           QStringLiteral(" and not exists (select 1 from QUITACAO_PAGPEDID q where q.CODQUITACAO = ") + cod +
           QStringLiteral(" and q.CHAVE_LINHA = PAGPEDID.RDB$DB_KEY)");
}

QString guardaParcelas(int codigo, const QString &codigoConta, const QString &estacao, const QString &npedido,
                       const QDate &pagamento)
{
    const QString cod = QString::number(codigo);
    return QStringLiteral("insert into QUITACAO_PARCELAS (CODQUITACAO, CHAVE_LINHA, CODIGOCPR, VALORPARCELA, ESTACAO, "
                          "NPEDIDO, DATAPAGTO_ANTES, VALORPAGO_ANTES, DATAPAGTO, VALORPAGO) select ") +
           cod + QStringLiteral(", RDB$DB_KEY, CODIGOCPR, VALORPARCELA, ") + literal(estacao.left(2)) +
           QStringLiteral(", ") + numeroSql(npedido) + QStringLiteral(", DATAPAGTO, VALORPAGO, ") + dataSql(pagamento) +
           QStringLiteral(", VALORPARCELA from PARCELAS where CodigoCPR = ") + SqlPosting::codigoDaConta(codigoConta) +
           QStringLiteral(" and not exists (select 1 from QUITACAO_PARCELAS q where q.CODQUITACAO = ") + cod +
           QStringLiteral(" and q.CHAVE_LINHA = PARCELAS.RDB$DB_KEY)");
}

QString anotaMovimentos(int codigo, const QList<Movimento> &movimentos)
{
    // Each order met through the record's key, so that the database reads only these rows.
    const QString cod = QString::number(codigo);
    QStringList casos, pedidos;
    for (const Movimento &m : movimentos) {
        const QString pedido = QStringLiteral("ESTACAO = ") + literal(m.pedido.estacao()) +
                               QStringLiteral(" and NPEDIDO = ") + numeroSql(m.pedido.numero());
        casos << QStringLiteral(" when ") + pedido + QStringLiteral(" then ") + QString::number(m.codmovcx);
        pedidos << QStringLiteral("(CODQUITACAO = ") + cod + QStringLiteral(" and ") + pedido + QLatin1Char(')');
    }
    return QStringLiteral("update QUITACAO_PEDIDOS set CODMOVCX = case") + casos.join(QString()) +
           QStringLiteral(" end where ") + pedidos.join(QStringLiteral(" or "));
}

QString convenioReivindicado(const QString &convenio)
{
    return QStringLiteral("select CONVENIO from QUITACAO_CONVENIOS where CONVENIO = ") + literal(convenio.left(40));
}

QString reivindica(const QString &convenio, const ContextoQuitacao &c)
{
    return QStringLiteral("update or insert into QUITACAO_CONVENIOS (CONVENIO, DATAHORA, ESTACAO) values (") +
           literal(convenio.left(40)) + QStringLiteral(", ") +
           literal(c.agora().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) + QStringLiteral(", ") +
           literal(c.estacao.left(2)) + QStringLiteral(") matching (CONVENIO)");
}

QString totaliza(int codigo)
{
    const QString q = QStringLiteral(" from QUITACAO_PEDIDOS q where q.CODQUITACAO = ") + QString::number(codigo);
    return QStringLiteral("update QUITACOES set QTDEPEDIDOS = (select count(*)") + q +
           QStringLiteral("), VALORTOTAL = (select coalesce(sum(q.VALOR), 0)") + q +
           QStringLiteral("), QTDEMOVIMENTOS = (select count(q.CODMOVCX)") + q +
           QStringLiteral(") where CODQUITACAO = ") + QString::number(codigo);
}

namespace {
const QString kColunas = QStringLiteral(
    "select CODQUITACAO, COMANDO, DATAHORA, USUARIO, ESTACAO, CAIXA, SESSAO, FORMAPAG, CONVENIO, DATAINICIAL, "
    "DATAFINAL, DATAPAGAMENTO, QTDEPEDIDOS, VALORTOTAL, QTDEMOVIMENTOS, ESTORNO_DATAHORA, ESTORNO_USUARIO, "
    "ESTORNO_ESTACAO, ESTORNO_MOTIVO, ESTORNO_AUTORIZADO, (select count(*) from QUITACAO_PEDIDOS p where p.CODQUITACAO = "
    "QUITACOES.CODQUITACAO and p.DATAPAGAMENTO_ANTES is not null) JAPAGOS, (select sum(p.VALOR) from QUITACAO_PEDIDOS p "
    "where p.CODQUITACAO = QUITACOES.CODQUITACAO and p.DATAPAGAMENTO_ANTES is not null) TOTALJAPAGOS from QUITACOES");
}

QString leResumo(int codigo) { return kColunas + QStringLiteral(" where CODQUITACAO = ") + QString::number(codigo); }

QString lista(const QString &convenio) { return lista(convenio, {}, {}); }

QString lista(const QString &convenio, const QDate &de, const QDate &ate)
{
    QStringList condicoes;
    if (!convenio.isEmpty())
        condicoes << QStringLiteral("CONVENIO = ") + literal(convenio);
    if (de.isValid())
        condicoes << QStringLiteral("DATAHORA >= ") + literal(de.toString(QStringLiteral("yyyy-MM-dd")));
    if (ate.isValid())
        condicoes << QStringLiteral("DATAHORA < ") + literal(ate.addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    return kColunas + (condicoes.isEmpty() ? QString() : QStringLiteral(" where ") + condicoes.join(QStringLiteral(" and "))) +
           QStringLiteral(" order by CODQUITACAO desc");
}

QString pedidos(int codigo)
{
    return QStringLiteral("select DATAPEDIDO, ESTACAO, NPEDIDO, NOME, VALOR, CODMOVCX from QUITACAO_PEDIDOS where "
                          "CODQUITACAO = ") +
           QString::number(codigo) + QStringLiteral(" order by DATAPEDIDO, ESTACAO, NPEDIDO");
}

}

Previa previa(Connection &connection, const QString &condicao)
{
    const RowSet rs = connection.query(Sql::previa(condicao));
    Previa p;
    if (rs.rows.isEmpty())
        return p;
    const auto soma = [](const QVariant &v) {
        return v.isValid() && !v.isNull() ? Decimal::fromVariant(v).rescaled(2) : Decimal(0, 2);
    };
    p.pedidos = rs.rows[0].value(0).toInt();
    p.total = soma(rs.rows[0].value(1));
    p.jaPagos = rs.rows[0].value(2).toInt();
    p.totalJaPagos = soma(rs.rows[0].value(3));
    return p;
}

// ---------------------------------------------------------------------------------------------

QString mensagemSemRegistro()
{
    return QStringLiteral("O banco central não guarda o registro das quitações: sem ele não há lista de quitações nem "
                          "estorno. O registro é acrescentado pelo programa de instalação: praxolin-setup --suite "
                          "<pasta da suíte> --upgrade");
}

bool disponivel(Connection &connection) { return ModuleSchema::readVersion(connection) >= ModuleSchema::currentVersion(); }

namespace {

// A suite without the record's tables: its first statement on them is refused, and the user is
// told what is missing and what adds it instead of the database's "Table unknown".
RowSet consultaDoRegistro(Connection &connection, const QString &sql)
{
    try {
        return connection.query(sql);
    } catch (const DatabaseError &) {
        if (!disponivel(connection))
            throw std::runtime_error(mensagemSemRegistro().toStdString());
        throw;
    }
}

}

bool convenioOcupado(Connection &connection, const QString &convenio)
{
    try {
        connection.queryNoWait(Sql::convenioReivindicado(convenio));
        return false;
    } catch (const DatabaseError &e) {
        if (Atomic::isConflict(e.gdsCode()))
            return true;
        throw;
    }
}

void reivindica(Connection &connection, const QString &convenio, const ContextoQuitacao &c)
{
    if (c.reivindicando) {
        // The caller watches the claim itself: no look ahead, its round trips saved.
        c.reivindicando(true);
        const auto fim = qScopeGuard([&c] { c.reivindicando(false); });
        Atomic::retryOnKeyViolation(6, [&] { connection.execute(Sql::reivindica(convenio, c)); });
        return;
    }
    // Whoever waits is told first what for; a claim taken by another workstation right after this
    // look is waited for all the same, only without the notice.
    if (c.aguardandoConvenio && convenioOcupado(connection, convenio))
        c.aguardandoConvenio();
    // Another workstation claimed the convênio for the first time at the same moment: once it has
    // ended, the row is there and the claim updates it.
    Atomic::retryOnKeyViolation(6, [&] { connection.execute(Sql::reivindica(convenio, c)); });
}

int abre(Connection &connection, Comando comando, const ContextoQuitacao &c, const QDate &di, const QDate &df,
         const QDate &pagamento)
{
    // Another workstation stored this number first: take the next free one.
    int codigo = 0;
    Atomic::retryOnKeyViolation(51, [&] {
        const RowSet rs = connection.query(Sql::proximoCodigo());
        codigo = rs.rows.isEmpty() ? 1 : rs.rows[0].value(0).toInt();
        connection.execute(Sql::insereCabecalho(codigo, comando, c, di, df, pagamento));
    });
    return codigo;
}

// ---------------------------------------------------------------------------------------------

QString Quitacao::situacao() const
{
    if (!estornada())
        return QStringLiteral("Ativa");
    QString s = QStringLiteral("Estornada em ") + estornoDataHora.toString(QStringLiteral("dd/MM/yy HH:mm")) +
                QStringLiteral(" por ") + estornoUsuario;
    if (!estornoAutorizado.isEmpty() && estornoAutorizado != estornoUsuario)
        s += QStringLiteral(", autorizada por ") + estornoAutorizado;
    return s;
}

QString Quitacao::resumo() const
{
    const QLocale locale;
    QString s = Contagem::pedidos(pedidos) + (pedidos == 1 ? QStringLiteral(" quitado") : QStringLiteral(" quitados")) +
                QStringLiteral(", valor restante de R$ ") + total.toDisplayText(locale, 2);
    if (jaPagos > 0)
        s += QStringLiteral(" (dos quais ") + locale.toString(jaPagos) +
             (jaPagos == 1 ? QStringLiteral(" já estava pago e só recebeu a nova data: R$ ")
                           : QStringLiteral(" já estavam pagos e só receberam a nova data: R$ ")) +
             totalJaPagos.toDisplayText(locale, 2) + QStringLiteral("; recebido agora: R$ ") +
             recebido().toDisplayText(locale, 2) + QLatin1Char(')');
    s += QStringLiteral(", ") + (movimentos > 0 ? Contagem::de(movimentos, QStringLiteral("movimento de caixa lançado"),
                                                                QStringLiteral("movimentos de caixa lançados"))
                                                 : QStringLiteral("nenhum movimento de caixa lançado"));
    return s + (codigo > 0 ? QStringLiteral(" (quitação nº %1).").arg(codigo) : QStringLiteral("."));
}

namespace {
Quitacao daLinha(const RowSet &rs, int r)
{
    Quitacao q;
    q.codigo = rs.value(r, QStringLiteral("CODQUITACAO")).toInt();
    q.comando = texto(rs.value(r, QStringLiteral("COMANDO")));
    q.dataHora = dataHora(rs.value(r, QStringLiteral("DATAHORA")));
    q.usuario = texto(rs.value(r, QStringLiteral("USUARIO")));
    q.estacao = texto(rs.value(r, QStringLiteral("ESTACAO")));
    q.caixa = texto(rs.value(r, QStringLiteral("CAIXA")));
    q.sessao = texto(rs.value(r, QStringLiteral("SESSAO")));
    q.formaPag = texto(rs.value(r, QStringLiteral("FORMAPAG")));
    q.convenio = texto(rs.value(r, QStringLiteral("CONVENIO")));
    q.dataInicial = rs.value(r, QStringLiteral("DATAINICIAL")).toDate();
    q.dataFinal = rs.value(r, QStringLiteral("DATAFINAL")).toDate();
    q.pagamento = rs.value(r, QStringLiteral("DATAPAGAMENTO")).toDate();
    q.pedidos = rs.value(r, QStringLiteral("QTDEPEDIDOS")).toInt();
    const QVariant total = rs.value(r, QStringLiteral("VALORTOTAL"));
    if (total.isValid() && !total.isNull())
        q.total = Decimal::fromVariant(total).rescaled(2);
    q.movimentos = rs.value(r, QStringLiteral("QTDEMOVIMENTOS")).toInt();
    q.jaPagos = rs.value(r, QStringLiteral("JAPAGOS")).toInt();
    const QVariant jaPagos = rs.value(r, QStringLiteral("TOTALJAPAGOS"));
    if (jaPagos.isValid() && !jaPagos.isNull())
        q.totalJaPagos = Decimal::fromVariant(jaPagos).rescaled(2);
    q.estornoDataHora = dataHora(rs.value(r, QStringLiteral("ESTORNO_DATAHORA")));
    q.estornoUsuario = texto(rs.value(r, QStringLiteral("ESTORNO_USUARIO")));
    q.estornoEstacao = texto(rs.value(r, QStringLiteral("ESTORNO_ESTACAO")));
    q.estornoMotivo = texto(rs.value(r, QStringLiteral("ESTORNO_MOTIVO")));
    q.estornoAutorizado = texto(rs.value(r, QStringLiteral("ESTORNO_AUTORIZADO")));
    return q;
}
}

Quitacao le(Connection &connection, int codigo)
{
    const RowSet rs = connection.query(Sql::leResumo(codigo));
    if (rs.rows.isEmpty())
        throw std::runtime_error(QStringLiteral("A quitação nº %1 não foi encontrada.").arg(codigo).toStdString());
    return daLinha(rs, 0);
}

QList<Quitacao> lista(Connection &connection, const QString &convenio, const QDate &de, const QDate &ate)
{
    const RowSet rs = consultaDoRegistro(connection, Sql::lista(convenio, de, ate));
    QList<Quitacao> out;
    for (int r = 0; r < rs.rowCount(); ++r)
        out << daLinha(rs, r);
    return out;
}

QList<PedidoQuitado> pedidos(Connection &connection, int codigo)
{
    const RowSet rs = connection.query(Sql::pedidos(codigo));
    QList<PedidoQuitado> out;
    for (int r = 0; r < rs.rowCount(); ++r) {
        PedidoQuitado p;
        p.data = rs.value(r, QStringLiteral("DATAPEDIDO")).toDate();
        p.estacao = texto(rs.value(r, QStringLiteral("ESTACAO")));
        p.npedido = rs.value(r, QStringLiteral("NPEDIDO")).toInt();
        p.nome = texto(rs.value(r, QStringLiteral("NOME")));
        const QVariant valor = rs.value(r, QStringLiteral("VALOR"));
        if (valor.isValid() && !valor.isNull())
            p.valor = Decimal::fromVariant(valor).rescaled(2);
        p.codmovcx = rs.value(r, QStringLiteral("CODMOVCX")).toInt();
        out << p;
    }
    return out;
}

}
