#include "settlement/MotorQuitacao.h"

#include "data/CentralData.h"
#include "data/SqlText.h"
#include "settlement/Atomic.h"
#include "settlement/Desfecho.h"
#include "settlement/Rastro.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <tuple>

namespace MotorQuitacao {

namespace Sql {

QString lePedidos(const QString &condicao, bool contas, bool lancamentos)
{
    // The first receivable account is the first row of the account look-up the order would run on
    // its own: the same conditions, so the same index and the same order of rows.
    QString sql = QStringLiteral("select P.ESTACAO, P.NPEDIDO, P.VALORRESTANTE, P.LABORATORIO, P.PAGO, P.DATAPAGAMENTO, "
                                 "P.DATAPEDIDO, P.NOME");
    if (contas)
        sql += QStringLiteral(", (select first 1 C.CODIGOCPR from CONTASPR C where C.Natureza = 'R' and "
                              "(C.CodigoPedido = P.ESTACAO||P.NPEDIDO OR C.CodigoPedido = P.ESTACAO||'.'||P.NPEDIDO)) CONTA");
    // Movements of no value do not count: the posting clears them before it looks. Nor does a
    // posting undone by a reversal: the two add up to nothing.
    if (lancamentos)
        sql += QStringLiteral(", (select case when count(*) = 0 or (min(%1) < 0 and sum(%1) = 0) then 0 "
                              "else 1 end from MOVCAIXA M where M.NPEDIDO = P.ESTACAO||P.NPEDIDO and M.VALOR <> 0) "
                              "LANCADO")
                   .arg(SqlPosting::valorComSinal(QStringLiteral("M.")));
    return sql + QStringLiteral(" from PEDIDOS P where ") + condicao;
}

}

namespace {

bool preenchido(const QVariant &v) { return v.isValid() && !v.isNull(); }

// What the confirmation showed (Registro::previa), worked out from the orders as the settlement
// read them in its transaction.
Registro::Previa previaDe(const QHash<ChavePedido, PedidoLido> &lidos)
{
    Registro::Previa p;
    Decimal total(0, 2), jaPagos(0, 2);
    for (const PedidoLido &o : lidos) {
        ++p.pedidos;
        total = total + o.restante;
        if (preenchido(o.dataPagamentoAntes)) {
            ++p.jaPagos;
            jaPagos = jaPagos + o.restante;
        }
    }
    p.total = total.rescaled(2);
    p.totalJaPagos = jaPagos.rescaled(2);
    return p;
}

// What the settlement knows of MOVCAIXA as its statements run one after the other: the highest code
// of a movement with a value, and the orders that have one. A movement of no value is cleared by the
// next order's posting, so its code is taken again.
struct Caixa {
    int maior = 0;
    QSet<QString> lancados;
    QStringList emOrdem;   // lancados in the order they were noted

    // Where a group of statements starts: the settlement goes back there when the group is built
    // again. A mark, not a copy, so that noting an order does not copy the set of all before it.
    struct Marca {
        int maior = 0;
        qsizetype lancados = 0;
    };
    Marca marca() const { return {maior, emOrdem.size()}; }
    void volta(const Marca &m)
    {
        maior = m.maior;
        while (emOrdem.size() > m.lancados)
            lancados.remove(emOrdem.takeLast());
    }
    void anota(const QString &chave)
    {
        if (!lancados.contains(chave)) {
            lancados.insert(chave);
            emOrdem << chave;
        }
    }
};

class Execucao {
public:
    Execucao(CentralData &dm, const ContextoQuitacao &c, const QDate &pagamento, const Roteiro &r,
             const Progresso &progresso, Rastro *rastro)
        : m_dm(dm), m_db(dm.SQLConnection1), m_c(c), m_pagamento(pagamento), m_r(r), m_progresso(progresso),
          m_rastro(rastro), m_lanca(c.rodandoNoCaixa())
    {
    }

    Resultado run()
    {
        // The convênio claimed and the record's number taken first: a workstation settling or
        // reversing at the same moment holds them until it ends, so the orders are read only once
        // its work is in the database.
        if (m_r.opcoes.registra) {
            Registro::reivindica(m_db, m_c.convenioAtual, m_c);
            m_codigo = Registro::abre(m_db, m_r.comando, m_c, m_r.inicio, m_r.fim, m_pagamento);
        }
        const QHash<ChavePedido, PedidoLido> lidos = lePedidos();
        // The settlement settles what the user confirmed, or nothing.
        if (m_r.opcoes.confirmada) {
            const Registro::Previa agora = previaDe(lidos);
            if (!(agora == *m_r.opcoes.confirmada))
                throw PreviaMudou(agora);
        }
        QStringList antes = m_r.antes;
        if (m_r.opcoes.registra)
            antes.prepend(Registro::Sql::guardaPedidos(m_codigo, m_r.condicao, m_r.pagoDepois, m_pagamento));
        m_db.executeGrouped(antes);
        m_pedidos = listaPedidos(lidos);
        guardaPagamentos();
        if (m_progresso.inicio)
            m_progresso.inicio(int(m_pedidos.size()));
        if (!m_pedidos.isEmpty() && m_lanca) {
            // The first order's clearing of movements of no value, sent before the highest code is
            // read, so that every later code follows from what the statements do.
            m_db.execute(SqlPosting::apagaMovimentosZerados());
            m_caixa.maior = maiorCodigo();
            for (const PedidoLido &p : std::as_const(m_pedidos))
                if (p.jaLancado)
                    m_caixa.anota(p.chave());
        }
        for (int i = 0; i < m_pedidos.size(); ++i)
            settle(i);
        envia();
        // Orders whose settlement sends nothing (no instalment, no cash) are settled all the same.
        if (m_progresso.feito && m_feitos < m_pedidos.size())
            m_progresso.feito(int(m_pedidos.size()));
        enviaEmGrupos(m_r.opcoes.registra ? anotacoes() + fim() : m_r.depois);
        return resultado(lidos);
    }

    // What tells, without the record, whether the settlement is in the database: each order as it
    // was read before, and the movement posted for it.
    QList<Desfecho::Pedido> conferencia() const
    {
        QList<Desfecho::Pedido> out;
        for (const PedidoLido &p : m_pedidos)
            out << Desfecho::Pedido{p.pedido, p.dataPagamentoAntes, p.lancouValor() ? p.movimento : -1};
        return out;
    }

private:
    QHash<ChavePedido, PedidoLido> lePedidos()
    {
        const bool contas = m_r.parcelas == Roteiro::Parcelas::Contas;
        const RowSet rs = m_db.query(Sql::lePedidos(m_r.condicao, contas, m_lanca));
        QHash<ChavePedido, PedidoLido> out;
        out.reserve(rs.rowCount());
        for (const auto &row : rs.rows) {
            PedidoLido p;
            p.pedido = ChavePedido(row.value(0).toString(), row.value(1));
            p.encontrado = true;
            p.restante = Decimal::fromVariant(row.value(2));
            p.laboratorio = row.value(3).toString();
            p.pagoAntes = row.value(4);
            p.dataPagamentoAntes = row.value(5);
            p.data = row.value(6).toDate();
            p.nome = row.value(7).toString();
            int col = 8;
            if (contas)
                p.conta = SqlText::number(row.value(col++)).left(20);
            if (m_lanca)
                p.jaLancado = row.value(col).toInt() == 1;
            out.insert(p.pedido, p);
        }
        return out;
    }

    QList<PedidoLido> listaPedidos(const QHash<ChavePedido, PedidoLido> &lidos)
    {
        QList<ChavePedido> chaves;
        if (m_r.lista.isEmpty()) {
            chaves << m_r.pedidoUnico;
        } else {
            FreeQuery &q1 = m_dm.SQLQuery1;
            q1.close();
            q1.clearSql();
            q1.setSql(m_r.lista);
            q1.open();
            const RowSet rs = q1.rows();
            q1.close();
            for (const auto &row : rs.rows) {
                if (row.size() == 1) {   // ESTACAO||NPEDIDO
                    const QString pedido = row.value(0).toString();
                    chaves << ChavePedido(pedido.left(2), pedido.mid(2, 16));
                } else {
                    chaves << ChavePedido(row.value(0).toString(), row.value(1));
                }
            }
        }
        QList<PedidoLido> out;
        out.reserve(chaves.size());
        for (const ChavePedido &chave : chaves) {
            PedidoLido p = lidos.value(chave);
            if (!p.encontrado)
                p = leUmPedido(chave);
            out << p;
        }
        return out;
    }

    // An order the reads for all orders did not return (changed by another workstation meanwhile):
    // read as a single order would be.
    PedidoLido leUmPedido(const ChavePedido &chave)
    {
        PedidoLido p;
        p.pedido = chave;
        const RowSet pedido = m_db.query(SqlPosting::lePedido(chave.estacao(), chave.numero()));
        if (pedido.rowCount() > 0) {
            p.restante = Decimal::fromVariant(pedido.value(0, QStringLiteral("VALORRESTANTE")));
            p.laboratorio = pedido.value(0, QStringLiteral("LABORATORIO")).toString();
        }
        if (m_r.parcelas == Roteiro::Parcelas::Contas) {
            const RowSet conta = m_db.query(SqlPosting::contaDoPedido(chave.estacao(), chave.numero()));
            if (conta.rowCount() > 0)
                p.conta = SqlText::number(conta.rows[0].value(0)).left(20);
        }
        if (m_lanca) {
            const RowSet movimentos = m_db.query(SqlPosting::movimentosDoPedido(p.chave()));
            p.jaLancado = jaLancadoPelos(movimentos);
        }
        return p;
    }

    int maiorCodigo()
    {
        FreeQuery &q4 = m_dm.SQLQuery4;
        try {
            q4.close();
            q4.setSql(SqlPosting::maiorCodigo());
            q4.open();
            const int maior = q4.value(QStringLiteral("MAIORCOD")).toInt();
            q4.close();
            return maior;
        } catch (const DatabaseError &) {
            q4.close();
            return -1;   // the code is 0, as the suite does
        }
    }

    // The statements of order i join the group; the group is sent first when they would not fit.
    void settle(int i)
    {
        const Caixa::Marca antes = m_caixa.marca();
        QString rastro;
        const QStringList parcelas = parcelasDoPedido(i, rastro);
        if (m_r.aposParcelas) {
            acrescenta(i, parcelas, rastro, antes);
            envia();
            m_r.aposParcelas();
            const Caixa::Marca antesDoLancamento = m_caixa.marca();
            acrescenta(i, lancamento(i), {}, antesDoLancamento);
        } else {
            acrescenta(i, parcelas + lancamento(i), rastro, antes);
        }
    }

    static constexpr int porComando = 200;   // orders in one statement of the record

    // The record of the instalments that the orders' PAGPEDID updates change, taken before the first
    // of them: a statement for each few hundred orders rather than one for each.
    void guardaPagamentos()
    {
        if (m_r.parcelas != Roteiro::Parcelas::Pagamentos || !m_r.opcoes.registra)
            return;
        QStringList pedidos;
        for (const PedidoLido &p : std::as_const(m_pedidos))
            pedidos << p.pedido.junta();
        QStringList guardas;
        for (qsizetype i = 0; i < pedidos.size(); i += porComando)
            guardas << Registro::Sql::guardaPagamentos(m_codigo, pedidos.mid(i, porComando), m_pagamento);
        enviaEmGrupos(guardas);
    }

    // The record of the cash movements posted, once they are all in: a statement for each few hundred.
    QStringList anotacoes() const
    {
        QList<Registro::Sql::Movimento> movimentos;
        for (const PedidoLido &p : m_pedidos)
            if (p.lancouValor())
                movimentos << Registro::Sql::Movimento{p.pedido, p.movimento};
        QStringList out;
        for (qsizetype i = 0; i < movimentos.size(); i += porComando)
            out << Registro::Sql::anotaMovimentos(m_codigo, movimentos.mid(i, porComando));
        return out;
    }

    // Statements of the record that go apart from the orders' groups, in groups of their own.
    void enviaEmGrupos(const QStringList &sqls)
    {
        QStringList grupo;
        int custo = 0;
        for (const QString &sql : sqls) {
            if (!grupo.isEmpty() && custo + Connection::groupCost(sql) > Connection::GroupLimit) {
                m_db.executeGrouped(grupo);
                grupo.clear();
                custo = 0;
            }
            grupo << sql;
            custo += Connection::groupCost(sql);
        }
        m_db.executeGrouped(grupo);
    }

    // The instalment update of order i, after the statement that records the values it changes.
    QStringList parcelasDoPedido(int i, QString &rastro) const
    {
        const PedidoLido &p = m_pedidos[i];
        if (m_r.parcelas == Roteiro::Parcelas::Pagamentos) {
            rastro = SqlPosting::quitaPagamentos(SqlText::dateMDY(m_pagamento), p.pedido.junta());
            return {rastro};
        }
        if (p.conta.isEmpty())
            return {};
        if (!m_r.opcoes.registra)
            return {SqlPosting::quitaParcelas(m_pagamento, p.conta)};
        return {Registro::Sql::guardaParcelas(m_codigo, p.conta, p.pedido.estacao(), p.pedido.numero(), m_pagamento),
                SqlPosting::quitaParcelas(m_pagamento, p.conta)};
    }

    // What the settlement did, as its record sums it up: the orders its condition selected before
    // anything changed, with their remaining values and the movements posted for them.
    Resultado resultado(const QHash<ChavePedido, PedidoLido> &lidos) const
    {
        QHash<ChavePedido, int> movimentos;
        for (const PedidoLido &p : m_pedidos)
            if (p.lancouValor())
                movimentos.insert(p.pedido, p.movimento);
        Resultado r;
        r.codigo = m_codigo;
        Registro::Quitacao &q = r.quitacao;
        q.codigo = m_codigo;
        q.comando = Registro::codigo(m_r.comando);
        q.dataHora = m_agora;
        q.usuario = m_c.usuario;
        q.estacao = m_c.estacao;
        q.caixa = m_c.caixaAtual;
        q.sessao = m_c.sessaoCaixa;
        q.formaPag = m_c.formaPagCaixa;
        q.convenio = m_c.convenioAtual;
        q.dataInicial = m_r.inicio;
        q.dataFinal = m_r.fim;
        q.pagamento = m_pagamento;
        for (const PedidoLido &p : lidos) {
            Registro::PedidoQuitado o;
            o.data = p.data;
            o.estacao = p.pedido.estacao();
            o.npedido = p.pedido.numero().toInt();
            o.nome = p.nome;
            o.valor = p.restante.rescaled(2);
            o.codmovcx = movimentos.value(p.pedido, 0);
            r.pedidos << o;
            q.total = q.total + o.valor;
            q.movimentos += o.codmovcx != 0 ? 1 : 0;
            if (preenchido(p.dataPagamentoAntes)) {
                ++q.jaPagos;
                q.totalJaPagos = q.totalJaPagos + o.valor;
            }
        }
        q.pedidos = int(r.pedidos.size());
        std::sort(r.pedidos.begin(), r.pedidos.end(), [](const Registro::PedidoQuitado &a, const Registro::PedidoQuitado &b) {
            return std::tie(a.data, a.estacao, a.npedido) < std::tie(b.data, b.estacao, b.npedido);
        });
        return r;
    }

    // What closes the settlement: the command's last statements and the record's totals.
    QStringList fim() const { return m_r.depois + QStringList{Registro::Sql::totaliza(m_codigo)}; }

    // The order's cash posting: the clearing of movements of no value (the first order's was sent
    // already) and, unless the order has a movement, its insert with the next code; then what joins
    // each order.
    QStringList lancamento(int i)
    {
        QStringList out;
        PedidoLido &p = m_pedidos[i];
        if (m_lanca) {
            if (i > 0)
                out << SqlPosting::apagaMovimentosZerados();
            p.movimento = -1;
            if (!m_caixa.lancados.contains(p.chave())) {
                p.movimento = m_caixa.maior + 1;
                const Decimal valor = p.restante.rescaled(2);
                out << SqlPosting::insereMovimento(p.movimento, m_c, m_agora, valor.toSqlText(2), p.chave(),
                                                   p.laboratorio);
                // A movement of no value is cleared by the next posting: only the others count as posted.
                if (!valor.isZero()) {
                    m_caixa.maior = p.movimento;
                    m_caixa.anota(p.chave());
                }
            }
        }
        if (m_r.extrasDoPedido)
            out << m_r.extrasDoPedido(p);
        return out;
    }

    // `antes` is what the settlement knew of the cash register before the order's statements.
    void acrescenta(int i, const QStringList &sqls, const QString &rastro, const Caixa::Marca &antes)
    {
        int custo = 0;
        for (const QString &sql : sqls)
            custo += Connection::groupCost(sql);
        if (!m_grupo.isEmpty() && m_custo + custo > Connection::GroupLimit)
            envia();
        if (m_grupo.isEmpty())
            m_inicio = {i, antes};
        junta(sqls, rastro);
        m_custo += custo;
        m_ultimo = i;
    }

    void junta(const QStringList &sqls, const QString &rastro)
    {
        for (const QString &sql : sqls) {
            if (!rastro.isEmpty() && sql == rastro)
                m_rastros << std::pair{int(m_grupo.size()), rastro};
            m_grupo << sql;
        }
    }

    // Sends the group: the progress moves to its last order, the trace file takes the last
    // instalment statement in it, and the group runs as one call.
    void envia()
    {
        if (m_grupo.isEmpty())
            return;
        for (int tentativa = 0;; ++tentativa) {
            if (m_progresso.passo)
                m_progresso.passo(m_ultimo + 1);
            if (m_rastro && !m_rastros.isEmpty())
                m_rastro->grava(m_rastros.last().second);
            int falhou = -1;
            try {
                m_db.executeGrouped(m_grupo, &falhou);
                m_feitos = m_ultimo + 1;
                if (m_progresso.feito)
                    m_progresso.feito(m_feitos);
                break;
            } catch (const DatabaseError &e) {
                if (Atomic::isKeyViolation(e.gdsCode()) && m_lanca && tentativa < 50) {
                    renumera();
                    continue;
                }
                // The trace shows the instalment statement of the order that failed.
                if (m_rastro && falhou >= 0) {
                    for (auto it = m_rastros.crbegin(); it != m_rastros.crend(); ++it)
                        if (it->first <= falhou) {
                            m_rastro->grava(it->second);
                            break;
                        }
                }
                throw;
            }
        }
        m_grupo.clear();
        m_rastros.clear();
        m_custo = 0;
    }

    // Another workstation stored one of the group's movement codes first: the group is built again
    // from its first order with the codes that follow the highest one now.
    void renumera()
    {
        m_caixa.volta(m_inicio.caixa);
        m_db.execute(SqlPosting::apagaMovimentosZerados());
        m_caixa.maior = maiorCodigo();
        m_grupo.clear();
        m_rastros.clear();
        for (int i = m_inicio.pedido; i <= m_ultimo; ++i) {
            // Only the posting is built again when the instalments went on their own.
            QString rastro;
            const QStringList parcelas = m_r.aposParcelas ? QStringList() : parcelasDoPedido(i, rastro);
            junta(parcelas + lancamento(i), rastro);
        }
    }

    CentralData &m_dm;
    Connection &m_db;
    const ContextoQuitacao &m_c;
    const QDate m_pagamento;
    const Roteiro &m_r;
    const Progresso &m_progresso;
    qsizetype m_feitos = 0;   // orders whose statements were sent
    Rastro *m_rastro;
    const bool m_lanca;
    const QDateTime m_agora = m_c.agora();
    int m_codigo = 0;   // the settlement's record

    QList<PedidoLido> m_pedidos;
    Caixa m_caixa;
    // The group being built: its statements, their size, where its instalment statements lie, the
    // last order in it, and the state it started from.
    QStringList m_grupo;
    int m_custo = 0;
    QList<std::pair<int, QString>> m_rastros;
    int m_ultimo = 0;
    struct Inicio {
        int pedido = 0;
        Caixa::Marca caixa;
    } m_inicio;
};

}

Resultado executa(CentralData &dm, const ContextoQuitacao &c, const QDate &pagamento, const Roteiro &r,
                  const Progresso &progresso)
{
    std::unique_ptr<Rastro> rastro;
    if (r.parcelas == Roteiro::Parcelas::Pagamentos)
        rastro = std::make_unique<Rastro>(r.arquivoRastro);
    Resultado resultado;
    QList<Desfecho::Pedido> conferencia;
    try {
        Atomic::run(dm.SQLConnection1, [&] {
            Execucao execucao(dm, c, pagamento, r, progresso, rastro.get());
            resultado = execucao.run();
            conferencia = execucao.conferencia();
        }, r.aposParcelas ? 1 : 5);
    } catch (const CommitOutcomeUnknown &) {
        // The link broke while the settlement was being committed: the data say whether it was.
        Connection &db = dm.SQLConnection1;
        const Desfecho::Estado estado = r.opcoes.registra ? Desfecho::daQuitacao(db, resultado.codigo)
                                                          : Desfecho::dosPedidos(db, conferencia, pagamento);
        if (estado == Desfecho::Estado::Incerto)
            throw Desfecho::Incerto(Desfecho::mensagemQuitacaoIncerta(r.opcoes.registra));
        if (estado == Desfecho::Estado::NaoGravado)
            throw DatabaseError(Desfecho::motivoNaoGravada(), 0, true);
    }
    return resultado;
}

}
