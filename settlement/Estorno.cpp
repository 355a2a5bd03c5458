#include "settlement/Estorno.h"
#include "platform/Contagem.h"

#include "data/CentralData.h"
#include "data/SqlText.h"
#include "settlement/Atomic.h"
#include "settlement/Desfecho.h"
#include "settlement/Registro.h"

#include <QHash>
#include <QMap>

#include <algorithm>

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

QString mensagemSoNoCaixa(int movimentos)
{
    return QStringLiteral("Esta quitação lançou ") +
           Contagem::de(movimentos, QStringLiteral("movimento de caixa"), QStringLiteral("movimentos de caixa")) +
           QStringLiteral(": o estorno deve ser feito no Caixa, cuja sessão recebe os contramovimentos.");
}

namespace Sql {

QString marca(int codigo, const ContextoQuitacao &c, const QString &motivo, const QString &autorizadoPor)
{
    return QStringLiteral("update QUITACOES set ESTORNO_DATAHORA = ") +
           literal(c.agora().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) + QStringLiteral(", ESTORNO_USUARIO = ") +
           literal(c.usuario.left(60)) + QStringLiteral(", ESTORNO_ESTACAO = ") + literal(c.estacao.left(2)) +
           QStringLiteral(", ESTORNO_MOTIVO = ") + literal(motivo.left(200)) +
           (autorizadoPor.isEmpty() ? QString()
                                    : QStringLiteral(", ESTORNO_AUTORIZADO = ") + literal(autorizadoPor.left(60))) +
           QStringLiteral(" where CODQUITACAO = ") +
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

// A movement of value zero is not looked for: the next posting of any workstation removes it.
QString movimentoAlterado(int codigo)
{
    return QStringLiteral("select first 1 q.ESTACAO, q.NPEDIDO, q.CODMOVCX from QUITACAO_PEDIDOS q left join MOVCAIXA m "
                          "on m.CODMOVCX = q.CODMOVCX where q.CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(" and q.CODMOVCX is not null and coalesce(q.VALOR, 0) <> 0 and (m.CODMOVCX is null or m.VALOR "
                          "is distinct from q.VALOR)");
}

const Copias &Copias::pagamentos()
{
    static const Copias c{QStringLiteral("QUITACAO_PAGPEDID"), QStringLiteral("PAGPEDID"), QStringLiteral("PEDIDO"),
                          QStringLiteral("ESTACAO||NPEDIDO"), QStringLiteral("VALOR"), QStringLiteral("q.PEDIDO")};
    return c;
}

const Copias &Copias::parcelas()
{
    static const Copias c{QStringLiteral("QUITACAO_PARCELAS"), QStringLiteral("PARCELAS"), QStringLiteral("CODIGOCPR"),
                          QStringLiteral("CODIGOCPR"), QStringLiteral("VALORPARCELA"),
                          QStringLiteral("q.ESTACAO||q.NPEDIDO")};
    return c;
}

// Each copy with its row as it is now, met through the row identity the settlement took: the
// identity holds when that row still belongs to the same order or account with the same amount.
// A block, so that every row is fetched by its identity, one at a time.
QString copiasComAtuais(const Copias &t, int codigo)
{
    return QStringLiteral(
               "execute block returns (DONO varchar(60), VALOR type of column %1.%3, DATAPAGTO_ANTES date, "
               "VALORPAGO_ANTES type of column %1.VALORPAGO_ANTES, DATAPAGTO date, VALORPAGO type of column "
               "%1.VALORPAGO, PEDIDO varchar(120), IDENTICA integer, DATAPAGTO_ATUAL type of column %2.DATAPAGTO, "
               "VALORPAGO_ATUAL type of column %2.VALORPAGO) as\n"
               "declare variable CHAVE char(8) character set octets;\n"
               "begin\n"
               "  for select q.%4, q.%3, q.DATAPAGTO_ANTES, q.VALORPAGO_ANTES, q.DATAPAGTO, q.VALORPAGO, %6, "
               "q.CHAVE_LINHA from %1 q where q.CODQUITACAO = %7\n"
               "    into :DONO, :VALOR, :DATAPAGTO_ANTES, :VALORPAGO_ANTES, :DATAPAGTO, :VALORPAGO, :PEDIDO, :CHAVE do\n"
               "  begin\n"
               "    IDENTICA = 0; DATAPAGTO_ATUAL = null; VALORPAGO_ATUAL = null;\n"
               "    if (CHAVE is not null) then\n"
               "      select 1, p.DATAPAGTO, p.VALORPAGO from %2 p where p.RDB$DB_KEY = :CHAVE and p.%5 = :DONO and "
               "p.%3 is not distinct from :VALOR into :IDENTICA, :DATAPAGTO_ATUAL, :VALORPAGO_ATUAL;\n"
               "    suspend;\n"
               "  end\n"
               "end")
        .arg(t.copias, t.tabela, t.valor, t.dono, t.donoNaTabela, t.pedido)
        .arg(codigo);
}

// The rows of these orders or accounts as they are now, for those whose copies lost their identity.
QString atuaisDosDonos(const Copias &t, const QStringList &donos)
{
    QStringList literais;
    for (const QString &d : donos)
        literais << literal(d);
    return QStringLiteral("select %1, %2, DATAPAGTO, VALORPAGO from %3 where %1 in (%4)")
        .arg(t.donoNaTabela, t.valor, t.tabela, literais.join(QStringLiteral(", ")));
}

// Puts back the rows whose identity holds, each by its identity.
QString restauraPelaIdentidade(const Copias &t, int codigo)
{
    return QStringLiteral("execute block as\n"
                          "declare variable CHAVE char(8) character set octets;\n"
                          "declare variable DONO varchar(60);\n"
                          "declare variable VALOR type of column %1.%3;\n"
                          "declare variable DATAPAGTO_ANTES date;\n"
                          "declare variable VALORPAGO_ANTES type of column %1.VALORPAGO_ANTES;\n"
                          "begin\n"
                          "  for select CHAVE_LINHA, %4, %3, DATAPAGTO_ANTES, VALORPAGO_ANTES from %1 where CODQUITACAO = "
                          "%6 and CHAVE_LINHA is not null into :CHAVE, :DONO, :VALOR, :DATAPAGTO_ANTES, :VALORPAGO_ANTES do\n"
                          "    update %2 set DATAPAGTO = :DATAPAGTO_ANTES, VALORPAGO = :VALORPAGO_ANTES where RDB$DB_KEY = "
                          ":CHAVE and %5 = :DONO and %3 is not distinct from :VALOR;\n"
                          "end")
        .arg(t.copias, t.tabela, t.valor, t.dono, t.donoNaTabela)
        .arg(codigo);
}

// Puts back, by their content, the rows of an order or account with this amount.
QString restauraPeloConteudo(const Copias &t, const QString &dono, const QVariant &valor, const QVariant &data,
                             const QVariant &pago)
{
    auto sql = [](const QVariant &v) {
        if (!v.isValid() || v.isNull())
            return QStringLiteral("null");
        if (v.metaType().id() == QMetaType::QDate)
            return literal(SqlText::dateMDY(v.toDate()));
        return Decimal::fromVariant(v).toSqlText(Decimal::fromVariant(v).scale());
    };
    return QStringLiteral("update %1 set DATAPAGTO = %2, VALORPAGO = %3 where %4 = %5 and %6 %7")
        .arg(t.tabela, sql(data), sql(pago), t.donoNaTabela, literal(dono), t.valor,
             valor.isNull() || !valor.isValid() ? QStringLiteral("is null") : QStringLiteral("= ") + sql(valor));
}

QString restauraPedidos(int codigo)
{
    return QStringLiteral("merge into PEDIDOS p using (select ESTACAO, NPEDIDO, PAGO_ANTES, DATAPAGAMENTO_ANTES from "
                          "QUITACAO_PEDIDOS where CODQUITACAO = ") +
           QString::number(codigo) +
           QStringLiteral(") q on p.ESTACAO = q.ESTACAO and p.NPEDIDO = q.NPEDIDO when matched then update set PAGO = "
                          "q.PAGO_ANTES, DATAPAGAMENTO = q.DATAPAGAMENTO_ANTES");
}

// One block posts every counter-movement, into the cash-register session that reverses: money
// leaving the drawer as the suite's cash register reads it, a positive value marked "Saída", with
// the original movement's order key and payment form, "Estorno" as its kind and mark, and a history
// that names the settlement and the convênio, cut to the width the suite gave the column. Codes
// follow the highest one, as the posting takes them; when another workstation stores one of those
// codes first, the block is refused whole and run again.
QString contraMovimentos(int codigo, const ContextoQuitacao &c)
{
    const QString cod = QString::number(codigo);
    const QDateTime agora = c.agora();
    const QString historico = QStringLiteral("Estorno quitação nº %1 Convênio %2").arg(cod, c.convenioAtual.left(8));
    return QStringLiteral(
               "execute block as\n"
               "declare variable CODIGO integer;\n"
               "declare variable LARGURA integer;\n"
               "declare variable ESTACAO type of column QUITACAO_PEDIDOS.ESTACAO;\n"
               "declare variable NUMERO type of column QUITACAO_PEDIDOS.NPEDIDO;\n"
               "declare variable VALOR type of column MOVCAIXA.VALOR;\n"
               "declare variable FORMAPAG type of column MOVCAIXA.FORMAPAG;\n"
               "declare variable CHAVE type of column MOVCAIXA.NPEDIDO;\n"
               "declare variable LABORATORIO type of column MOVCAIXA.LABORATORIO;\n"
               "declare variable VALORORIGINAL type of column MOVCAIXA.VALORORIGINAL;\n"
               "begin\n"
               "  select coalesce(max(CODMOVCX), 0) from MOVCAIXA into :CODIGO;\n"
               "  select coalesce(f.RDB$CHARACTER_LENGTH, 60) from RDB$RELATION_FIELDS r join RDB$FIELDS f on "
               "f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE where r.RDB$RELATION_NAME = 'MOVCAIXA' and r.RDB$FIELD_NAME = "
               "'HISTORICO' into :LARGURA;\n"
               "  for select q.ESTACAO, q.NPEDIDO, m.VALOR, m.FORMAPAG, m.NPEDIDO, m.LABORATORIO, m.VALORORIGINAL from "
               "QUITACAO_PEDIDOS q join MOVCAIXA m on m.CODMOVCX = q.CODMOVCX where q.CODQUITACAO = ") +
           cod +
           QStringLiteral(" and m.VALOR <> 0 order by q.CODMOVCX\n"
                          "    into :ESTACAO, :NUMERO, :VALOR, :FORMAPAG, :CHAVE, :LABORATORIO, :VALORORIGINAL\n"
                          "  do begin\n"
                          "    CODIGO = CODIGO + 1;\n"
                          "    insert into MOVCAIXA (CODMOVCX, CAIXA, SESSAO, DATAMOV, HORAMOV, VALOR, FORMAPAG, "
                          "HISTORICO, NPEDIDO, SINALQUITACAO, TIPOMOV, ENTRADASAIDA, NUMPARCELA, NUMDOCUMENTO, "
                          "NUMMOVIMENTO, LABORATORIO, VALORORIGINAL, DESCONTO) values (:CODIGO, ") +
           literal(c.caixaAtual) + QStringLiteral(", ") + literal(c.sessaoCaixa) + QStringLiteral(", ") +
           literal(SqlText::dateMDY(agora.date())) + QStringLiteral(", ") + literal(SqlText::time24(agora.time())) +
           QStringLiteral(", :VALOR, :FORMAPAG, left(") + literal(historico) +
           QStringLiteral(", :LARGURA), :CHAVE, 'Estorno', 'Estorno', ") + literal(SqlPosting::saida()) +
           QStringLiteral(", 0, 0, 0, :LABORATORIO, :VALORORIGINAL, 0.00);\n"
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
    Atomic::retryOnKeyViolation(51, [&] { db.execute(Sql::contraMovimentos(codigo, c)); });
}


// One instalment as the record copied it, and its row now.
struct Copia {
    QString dono, pedido;
    QVariant valor, dataAntes, pagoAntes, data, pago;
    bool identica = false;
    QVariant dataAtual, pagoAtual;
};

bool iguais(const QVariant &a, const QVariant &b)
{
    const bool na = !a.isValid() || a.isNull(), nb = !b.isValid() || b.isNull();
    if (na || nb)
        return na == nb;
    if (a.metaType().id() == QMetaType::QDate || b.metaType().id() == QMetaType::QDate)
        return a.toDate() == b.toDate();
    return Decimal::fromVariant(a) == Decimal::fromVariant(b);
}

QString chaveDoValor(const QVariant &v) { return v.isValid() && !v.isNull() ? Decimal::fromVariant(v).toSqlText(4) : QStringLiteral("-"); }

// The restoration of one instalment table: its rows are put back by their identity where it holds;
// an order or account whose copies lost it (the database was restored from a backup since, or the
// copy was made by the record's first version) is put back by content where that is exact, that is
// where its rows of the same amount all had the same values before. Anything else refuses the whole
// reversal, naming each order and why.
class Restauracao {
public:
    Restauracao(Connection &db, const Sql::Copias &t, int codigo) : m_db(db), m_t(t), m_codigo(codigo) {}

    // Reads and checks; the reasons for refusing, one per order, are added to `recusas`.
    void confere(QStringList &recusas)
    {
        QMap<QString, QList<Copia>> porDono;
        for (const auto &row : m_db.query(Sql::copiasComAtuais(m_t, m_codigo)).rows) {
            Copia c{row.value(0).toString().trimmed(), row.value(6).toString().trimmed(), row.value(1), row.value(2),
                    row.value(3), row.value(4), row.value(5), row.value(7).toInt() == 1, row.value(8), row.value(9)};
            porDono[c.dono] << c;
        }
        QStringList semIdentidade;
        for (auto it = porDono.cbegin(); it != porDono.cend(); ++it) {
            const bool todas = std::all_of(it->begin(), it->end(), [](const Copia &c) { return c.identica; });
            if (!todas) {
                semIdentidade << it.key();
                continue;
            }
            for (const Copia &c : *it)
                if (!iguais(c.dataAtual, c.data) || !iguais(c.pagoAtual, c.pago)) {
                    recusas << alterada(nome(c));
                    break;
                }
        }
        if (!semIdentidade.isEmpty())
            confereConteudo(porDono, semIdentidade, recusas);
    }

    void restaura()
    {
        m_db.execute(Sql::restauraPelaIdentidade(m_t, m_codigo));
        m_db.executeGrouped(m_peloConteudo);
    }

private:
    // The order as the messages name it: the settled order under the copy's order key (the record's
    // orders read once, when a message needs them).
    QString nome(const Copia &c)
    {
        if (m_nomes.isEmpty())
            for (const auto &row : m_db.query(QStringLiteral("select ESTACAO, NPEDIDO, ESTACAO||NPEDIDO from "
                                                             "QUITACAO_PEDIDOS where CODQUITACAO = ") +
                                              QString::number(m_codigo))
                                       .rows)
                m_nomes.insert(row.value(2).toString().trimmed(), oPedido(row));
        return m_nomes.value(c.pedido, QStringLiteral("o pedido ") + c.pedido);
    }

    QString alterada(const QString &pedido) const
    {
        return m_t.tabela == QLatin1String("PAGPEDID")
                   ? QStringLiteral("os pagamentos d%1 foram alterados depois dela").arg(pedido)
                   : QStringLiteral("as parcelas da conta d%1 foram alteradas depois dela").arg(pedido);
    }

    void confereConteudo(const QMap<QString, QList<Copia>> &porDono, const QStringList &donos, QStringList &recusas)
    {
        // The rows now, by owner and amount.
        QHash<QString, QList<std::pair<QVariant, QVariant>>> atuais;
        for (qsizetype i = 0; i < donos.size(); i += 200)
            for (const auto &row : m_db.query(Sql::atuaisDosDonos(m_t, donos.mid(i, 200))).rows)
                atuais[row.value(0).toString().trimmed() + QLatin1Char('|') + chaveDoValor(row.value(1))]
                    << std::pair{row.value(2), row.value(3)};
        for (const QString &dono : donos) {
            QMap<QString, QList<Copia>> porValor;
            for (const Copia &c : porDono.value(dono))
                porValor[chaveDoValor(c.valor)] << c;
            QString recusa;
            QStringList comandos;
            for (auto it = porValor.cbegin(); it != porValor.cend() && recusa.isEmpty(); ++it) {
                const Copia &primeira = it->first();
                const auto linhas = atuais.value(dono + QLatin1Char('|') + it.key());
                const bool mesmosAntes = std::all_of(it->begin(), it->end(), [&](const Copia &c) {
                    return iguais(c.dataAntes, primeira.dataAntes) && iguais(c.pagoAntes, primeira.pagoAntes);
                });
                const bool comoDeixou = std::all_of(linhas.begin(), linhas.end(), [&](const auto &l) {
                    return iguais(l.first, primeira.data) && iguais(l.second, primeira.pago);
                });
                if (linhas.size() != it->size() || !comoDeixou)
                    recusa = alterada(nome(primeira));
                else if (!mesmosAntes)
                    recusa = QStringLiteral("as parcelas d%1 não podem mais ser reconhecidas uma a uma (o "
                                            "banco foi restaurado de uma cópia depois da quitação?) e não tinham todas os "
                                            "mesmos valores antes dela")
                                 .arg(nome(primeira));
                else
                    comandos << Sql::restauraPeloConteudo(m_t, dono, primeira.valor, primeira.dataAntes, primeira.pagoAntes);
            }
            if (recusa.isEmpty())
                m_peloConteudo << comandos;
            else
                recusas << recusa;
        }
    }

    Connection &m_db;
    const Sql::Copias &m_t;
    const int m_codigo;
    QStringList m_peloConteudo;
    QHash<QString, QString> m_nomes;
};

}

namespace {
void estornaNaTransacao(Connection &db, int codigo, const ContextoQuitacao &c, const QString &motivo,
                        const std::function<void()> &verificada, const QString &autorizadoPor);
}

void estorna(CentralData &dm, int codigo, const ContextoQuitacao &c, const QString &motivo,
             const std::function<void()> &verificada, const QString &autorizadoPor)
{
    Connection &db = dm.SQLConnection1;
    try {
        estornaNaTransacao(db, codigo, c, motivo, verificada, autorizadoPor);
    } catch (const CommitOutcomeUnknown &) {
        // The link broke while the reversal was being committed: the record says whether it was.
        const Desfecho::Estado estado = Desfecho::doEstorno(db, codigo, c.usuario, c.estacao, motivo);
        if (estado == Desfecho::Estado::Incerto)
            throw Desfecho::Incerto(Desfecho::mensagemEstornoIncerto());
        if (estado == Desfecho::Estado::NaoGravado)
            throw DatabaseError(Desfecho::motivoNaoGravada(), 0, true);
    }
}

namespace {
void estornaNaTransacao(Connection &db, int codigo, const ContextoQuitacao &c, const QString &motivo,
                        const std::function<void()> &verificada, const QString &autorizadoPor)
{
    Atomic::run(db, [&] {
        const RowSet cabecalho = db.query(QStringLiteral("select CONVENIO, QTDEMOVIMENTOS from QUITACOES where "
                                                         "CODQUITACAO = ") +
                                          QString::number(codigo));
        if (cabecalho.rows.isEmpty())
            throw Recusado(QStringLiteral("A quitação nº %1 não foi encontrada.").arg(codigo));
        // A settlement of the same convênio on another workstation waits until this reversal ends,
        // or this one waits for it and then sees it among the later settlements.
        Registro::reivindica(db, cabecalho.rows[0].value(0).toString(), c);
        // Marking the settlement holds its row: a second workstation reversing it waits here, and
        // once the first is committed finds it reversed.
        if (db.execute(Sql::marca(codigo, c, motivo, autorizadoPor)) == 0)
            throw Recusado(mensagemJaEstornada());
        // Its counter-movements go into a cash-register session: the one that reverses it.
        const int movimentos = cabecalho.rows[0].value(1).toInt();
        if (movimentos > 0 && !c.rodandoNoCaixa())
            throw Recusado(mensagemSoNoCaixa(movimentos));
        recusaSe(db, Sql::quitadoDeNovo(codigo), [](const QVector<QVariant> &r) {
            return oPedido(r) + QStringLiteral(" foi quitado de novo depois dela, na quitação nº %1; estorne aquela "
                                               "primeiro.")
                                    .arg(r.value(2).toInt());
        });
        recusaSe(db, Sql::pedidoAlterado(codigo),
                 [](const QVector<QVariant> &r) { return oPedido(r) + QStringLiteral(" foi alterado depois dela."); });
        Restauracao pagamentos(db, Sql::Copias::pagamentos(), codigo);
        Restauracao parcelas(db, Sql::Copias::parcelas(), codigo);
        QStringList recusas;
        pagamentos.confere(recusas);
        parcelas.confere(recusas);
        if (!recusas.isEmpty())
            throw Recusado(kRecusa + recusas.join(QStringLiteral("; ")) + QLatin1Char('.'));
        recusaSe(db, Sql::movimentoAlterado(codigo), [](const QVector<QVariant> &r) {
            return QStringLiteral("o movimento de caixa %1 d").arg(r.value(2).toInt()) + oPedido(r) +
                   QStringLiteral(" foi alterado ou excluído depois dela.");
        });
        if (verificada)
            verificada();
        db.execute(Sql::restauraPedidos(codigo));
        pagamentos.restaura();
        parcelas.restaura();
        postaContraMovimentos(db, codigo, c);
    });
}
}

}
