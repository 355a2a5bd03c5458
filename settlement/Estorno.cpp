#include "settlement/Estorno.h"

#include "data/CentralData.h"
#include "data/SqlText.h"
#include "settlement/Atomic.h"

using SqlText::quoted;

namespace Estorno {

namespace {

QString literal(const QString &text) { return QLatin1Char('\'') + quoted(text) + QLatin1Char('\''); }

const QString kRecusa = QStringLiteral("Esta quitação não pode ser estornada: ");

QString oPedido(const QVector<QVariant> &row)
{
    return QStringLiteral("o pedido %1 da estação %2").arg(row.value(1).toString(), row.value(0).toString());
}

}

QString mensagemJaEstornada() { return QStringLiteral("Esta quitação já foi estornada."); }

namespace Sql {

QString marca(int codigo, const ContextoQuitacao &c, const QString &motivo)
{
    return QStringLiteral("update QUITACOES set ESTORNO_DATAHORA = ") +
           literal(c.agora().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) + QStringLiteral(", ESTORNO_USUARIO = ") +
           literal(c.usuario.left(60)) + QStringLiteral(", ESTORNO_ESTACAO = ") + literal(c.estacao.left(2)) +
           QStringLiteral(", ESTORNO_MOTIVO = ") + literal(motivo.left(200)) + QStringLiteral(" where CODQUITACAO = ") +
           QString::number(codigo) + QStringLiteral(" and ESTORNO_DATAHORA is null");
}

QString quitadoDeNovo(int codigo)
{
    return QStringLiteral("select first 1 q.ESTACAO, q.NPEDIDO, l.CODQUITACAO from QUITACAO_PEDIDOS q join "
                          "QUITACAO_PEDIDOS l on l.ESTACAO = q.ESTACAO and l.NPEDIDO = q.NPEDIDO and l.CODQUITACAO > "
                          "q.CODQUITACAO join QUITACOES h on h.CODQUITACAO = l.CODQUITACAO where q.CODQUITACAO = ") +
           QString::number(codigo) + QStringLiteral(" and h.ESTORNO_DATAHORA is null order by l.CODQUITACAO, q.ESTACAO, q.NPEDIDO");
}

QString pedidoAlterado(int codigo)
{
    return QStringLiteral("select first 1 q.ESTACAO, q.NPEDIDO from QUITACAO_PEDIDOS q left join PEDIDOS p on "
                          "p.ESTACAO = q.ESTACAO and p.NPEDIDO = q.NPEDIDO where q.CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(" and (p.NPEDIDO is null or p.PAGO is distinct from q.PAGO or p.DATAPAGAMENTO is distinct "
                          "from q.DATAPAGAMENTO)");
}

QString pagamentoAlterado(int codigo)
{
    return QStringLiteral("select first 1 q.ESTACAO, q.NPEDIDO from QUITACAO_PAGPEDID q left join PAGPEDID p on "
                          "p.ESTACAO = q.ESTACAO and p.NPEDIDO = q.NPEDIDO and p.NPARCELA = q.NPARCELA where "
                          "q.CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(" and (p.NPARCELA is null or p.DATAPAGTO is distinct from q.DATAPAGTO or p.VALORPAGO is "
                          "distinct from q.VALORPAGO)");
}

QString parcelaAlterada(int codigo)
{
    return QStringLiteral("select first 1 q.ESTACAO, q.NPEDIDO from QUITACAO_PARCELAS q left join PARCELAS p on "
                          "p.CODIGOCPR = q.CODIGOCPR and p.NPARCELA = q.NPARCELA where q.CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(" and (p.NPARCELA is null or p.DATAPAGTO is distinct from q.DATAPAGTO or p.VALORPAGO is "
                          "distinct from q.VALORPAGO)");
}

// A movement of value zero is not looked for: the next posting of any workstation removes it.
QString movimentoAlterado(int codigo)
{
    return QStringLiteral("select first 1 q.ESTACAO, q.NPEDIDO, q.CODMOVCX from QUITACAO_PEDIDOS q left join MOVCAIXA m "
                          "on m.CODMOVCX = q.CODMOVCX where q.CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(" and q.CODMOVCX is not null and coalesce(q.VALOR, 0) <> 0 and (m.CODMOVCX is null or m.VALOR "
                          "is distinct from q.VALOR)");
}

QString restauraPedidos(int codigo)
{
    return QStringLiteral("merge into PEDIDOS p using (select ESTACAO, NPEDIDO, PAGO_ANTES, DATAPAGAMENTO_ANTES from "
                          "QUITACAO_PEDIDOS where CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(") q on p.ESTACAO = q.ESTACAO and p.NPEDIDO = q.NPEDIDO when matched then update set PAGO = "
                          "q.PAGO_ANTES, DATAPAGAMENTO = q.DATAPAGAMENTO_ANTES");
}

QString restauraPagamentos(int codigo)
{
    return QStringLiteral("merge into PAGPEDID p using (select ESTACAO, NPEDIDO, NPARCELA, DATAPAGTO_ANTES, "
                          "VALORPAGO_ANTES from QUITACAO_PAGPEDID where CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(") q on p.ESTACAO = q.ESTACAO and p.NPEDIDO = q.NPEDIDO and p.NPARCELA = q.NPARCELA when "
                          "matched then update set DATAPAGTO = q.DATAPAGTO_ANTES, VALORPAGO = q.VALORPAGO_ANTES");
}

QString restauraParcelas(int codigo)
{
    return QStringLiteral("merge into PARCELAS p using (select CODIGOCPR, NPARCELA, DATAPAGTO_ANTES, VALORPAGO_ANTES "
                          "from QUITACAO_PARCELAS where CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(") q on p.CODIGOCPR = q.CODIGOCPR and p.NPARCELA = q.NPARCELA when matched then update set "
                          "DATAPAGTO = q.DATAPAGTO_ANTES, VALORPAGO = q.VALORPAGO_ANTES");
}

// One block posts every counter-movement: codes follow the highest one, as the posting takes them;
// when another workstation stores one of those codes first, the block is refused whole and run again.
// The movements go to the cash-register session that reverses, or, outside the cash register, to
// the session of the movement they undo.
QString contraMovimentos(int codigo, const ContextoQuitacao &c)
{
    const QString cod = QString::number(codigo);
    const QDateTime agora = c.agora();
    const QString caixa = c.rodandoNoCaixa() ? literal(c.caixaAtual) : QStringLiteral(":CAIXA");
    const QString sessao = c.rodandoNoCaixa() ? literal(c.sessaoCaixa) : QStringLiteral(":SESSAO");
    return QStringLiteral(
               "execute block as\n"
               "declare variable CODIGO integer;\n"
               "declare variable ESTACAO type of column QUITACAO_PEDIDOS.ESTACAO;\n"
               "declare variable NUMERO type of column QUITACAO_PEDIDOS.NPEDIDO;\n"
               "declare variable CAIXA type of column MOVCAIXA.CAIXA;\n"
               "declare variable SESSAO type of column MOVCAIXA.SESSAO;\n"
               "declare variable VALOR type of column MOVCAIXA.VALOR;\n"
               "declare variable FORMAPAG type of column MOVCAIXA.FORMAPAG;\n"
               "declare variable CHAVE type of column MOVCAIXA.NPEDIDO;\n"
               "declare variable TIPOMOV type of column MOVCAIXA.TIPOMOV;\n"
               "declare variable ENTRADASAIDA type of column MOVCAIXA.ENTRADASAIDA;\n"
               "declare variable LABORATORIO type of column MOVCAIXA.LABORATORIO;\n"
               "declare variable VALORORIGINAL type of column MOVCAIXA.VALORORIGINAL;\n"
               "begin\n"
               "  select coalesce(max(CODMOVCX), 0) from MOVCAIXA into :CODIGO;\n"
               "  for select q.ESTACAO, q.NPEDIDO, m.CAIXA, m.SESSAO, m.VALOR, m.FORMAPAG, m.NPEDIDO, m.TIPOMOV, "
               "m.ENTRADASAIDA, m.LABORATORIO, m.VALORORIGINAL from QUITACAO_PEDIDOS q join MOVCAIXA m on m.CODMOVCX = "
               "q.CODMOVCX where q.CODQUITACAO = ") +
           cod +
           QStringLiteral(" and m.VALOR <> 0 order by q.CODMOVCX\n"
                          "    into :ESTACAO, :NUMERO, :CAIXA, :SESSAO, :VALOR, :FORMAPAG, :CHAVE, :TIPOMOV, "
                          ":ENTRADASAIDA, :LABORATORIO, :VALORORIGINAL\n"
                          "  do begin\n"
                          "    CODIGO = CODIGO + 1;\n"
                          "    insert into MOVCAIXA (CODMOVCX, CAIXA, SESSAO, DATAMOV, HORAMOV, VALOR, FORMAPAG, "
                          "HISTORICO, NPEDIDO, SINALQUITACAO, TIPOMOV, ENTRADASAIDA, NUMPARCELA, NUMDOCUMENTO, "
                          "NUMMOVIMENTO, LABORATORIO, VALORORIGINAL, DESCONTO) values (:CODIGO, ") +
           caixa + QStringLiteral(", ") + sessao + QStringLiteral(", ") + literal(SqlText::dateMDY(agora.date())) +
           QStringLiteral(", ") + literal(SqlText::time24(agora.time())) +
           QStringLiteral(", -:VALOR, :FORMAPAG, ") + literal(QStringLiteral("Estorno da quitação nº ") + cod) +
           QStringLiteral(", :CHAVE, 'Estorno', :TIPOMOV, :ENTRADASAIDA, 0, 0, 0, :LABORATORIO, -:VALORORIGINAL, "
                          "0.00);\n"
                          "    update QUITACAO_PEDIDOS set CODMOVCX_ESTORNO = :CODIGO where CODQUITACAO = ") +
           cod +
           QStringLiteral(" and ESTACAO = :ESTACAO and NPEDIDO = :NUMERO;\n"
                          "  end\n"
                          "end");
}

}

namespace {

// Raises Recusado with `motivo` when the check finds a row.
void recusaSe(Connection &db, const QString &sql, const std::function<QString(const QVector<QVariant> &)> &motivo)
{
    const RowSet rs = db.query(sql);
    if (!rs.rows.isEmpty())
        throw Recusado(kRecusa + motivo(rs.rows.first()));
}

void postaContraMovimentos(Connection &db, int codigo, const ContextoQuitacao &c)
{
    for (int tentativa = 0;; ++tentativa) {
        try {
            db.execute(Sql::contraMovimentos(codigo, c));
            return;
        } catch (const DatabaseError &e) {
            if (!Atomic::isKeyViolation(e.gdsCode()) || tentativa >= 50)
                throw;
        }
    }
}

}

void estorna(CentralData &dm, int codigo, const ContextoQuitacao &c, const QString &motivo)
{
    Connection &db = dm.SQLConnection1;
    Atomic::run(db, [&] {
        // Marking the settlement first holds its row: a second workstation reversing it waits here,
        // and once the first is committed finds it reversed.
        if (db.execute(Sql::marca(codigo, c, motivo)) == 0) {
            const RowSet existe =
                db.query(QStringLiteral("select CODQUITACAO from QUITACOES where CODQUITACAO = ") + QString::number(codigo));
            if (existe.rows.isEmpty())
                throw Recusado(QStringLiteral("A quitação nº %1 não foi encontrada.").arg(codigo));
            throw Recusado(mensagemJaEstornada());
        }
        recusaSe(db, Sql::quitadoDeNovo(codigo), [](const QVector<QVariant> &r) {
            return oPedido(r) + QStringLiteral(" foi quitado de novo depois dela, na quitação nº %1; estorne aquela "
                                               "primeiro.")
                                    .arg(r.value(2).toInt());
        });
        recusaSe(db, Sql::pedidoAlterado(codigo),
                 [](const QVector<QVariant> &r) { return oPedido(r) + QStringLiteral(" foi alterado depois dela."); });
        recusaSe(db, Sql::pagamentoAlterado(codigo), [](const QVector<QVariant> &r) {
            return QStringLiteral("os pagamentos d") + oPedido(r) + QStringLiteral(" foram alterados depois dela.");
        });
        recusaSe(db, Sql::parcelaAlterada(codigo), [](const QVector<QVariant> &r) {
            return QStringLiteral("as parcelas da conta d") + oPedido(r) +
                   QStringLiteral(" foram alteradas depois dela.");
        });
        recusaSe(db, Sql::movimentoAlterado(codigo), [](const QVector<QVariant> &r) {
            return QStringLiteral("o movimento de caixa %1 d").arg(r.value(2).toInt()) + oPedido(r) +
                   QStringLiteral(" foi alterado ou excluído depois dela.");
        });
        db.execute(Sql::restauraPedidos(codigo));
        db.execute(Sql::restauraPagamentos(codigo));
        db.execute(Sql::restauraParcelas(codigo));
        postaContraMovimentos(db, codigo, c);
    });
}

}
