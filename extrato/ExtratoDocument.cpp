#include "extrato/ExtratoDocument.h"

#include "data/CachedTable.h"
#include "data/SqlText.h"
#include "platform/WinText.h"
#include "reports/Emitente.h"

#include <QHash>
#include <QSet>

namespace ExtratoDocument {

namespace {

// One detail table of an order: the columns the document shows after the order's key, and their
// order inside the order.
struct Detalhe {
    QString tabela;
    QStringList colunas;
    QStringList ordem;
};

const Detalhe &itens()
{
    static const Detalhe d{QStringLiteral("ITENS"),
                           {QStringLiteral("DESCRICAO"), QStringLiteral("QDE"), QStringLiteral("UNIDADE")},
                           {QStringLiteral("ORDEM"), QStringLiteral("CODPROD")}};
    return d;
}

const Detalhe &formulas()
{
    static const Detalhe d{QStringLiteral("PEDIFORM"),
                           {QStringLiteral("NFORMULA"), QStringLiteral("FORMAFARMA"), QStringLiteral("QDEROTULOS"),
                            QStringLiteral("QDECAPSULAS"), QStringLiteral("VOLUMETOTAL"), QStringLiteral("UNIDADE")},
                           {QStringLiteral("NFORMULA")}};
    return d;
}

const Detalhe &componentes()
{
    static const Detalhe d{QStringLiteral("COMPEDID"),
                           {QStringLiteral("NFORMULA"), QStringLiteral("COMPONENTEDIG"), QStringLiteral("QDEDIG"),
                            QStringLiteral("UNIDDIG")},
                           {QStringLiteral("NFORMULA"), QStringLiteral("ORDEM"), QStringLiteral("COMPONENTE")}};
    return d;
}

QString prefixadas(const QString &prefixo, const QStringList &colunas)
{
    QStringList out;
    for (const QString &c : colunas)
        out << prefixo + c;
    return out.join(QStringLiteral(", "));
}

// A detail table's rows for the document, by order and in the pane's order.
SqlText::ComValores daLista(const Detalhe &d, const PedidosDoPeriodo::Condicao &filtro)
{
    return PedidosDoPeriodo::detalhes(filtro, d.tabela, prefixadas(QStringLiteral("D."), d.colunas) + QStringLiteral(", D.NPEDIDO"),
                                      QStringLiteral("P.ESTACAO, P.NPEDIDO, ") + prefixadas(QStringLiteral("D."), d.ordem));
}

// Each order by its whole key: with "ESTACAO = x and NPEDIDO in (...)" the engine would match the
// key's first column only and read the station's every row.
QString porChave(const Detalhe &d, const QString &estacao, const QList<int> &numeros)
{
    QStringList chaves;
    chaves.reserve(numeros.size());
    const QString est = SqlText::quoted(estacao);
    for (int n : numeros)
        chaves << QStringLiteral("(ESTACAO = '%1' and NPEDIDO = %2)").arg(est).arg(n);
    return QStringLiteral("select ESTACAO, NPEDIDO, ") + d.colunas.join(QStringLiteral(", ")) + QStringLiteral(" from ") +
           d.tabela + QStringLiteral(" where ") + chaves.join(QStringLiteral(" or ")) + QStringLiteral(" order by NPEDIDO, ") +
           d.ordem.join(QStringLiteral(", "));
}

constexpr int kPorComando = 100;   // orders in one statement by key

using Chave = QPair<QString, int>;   // station, order number

Chave chaveDe(const QVector<QVariant> &row) { return {row[0].toString(), row[1].toInt()}; }

QString texto(const QVariant &v) { return v.isValid() && !v.isNull() ? v.toString().trimmed() : QString(); }

// The rows of one detail table for the listed orders, each "station, number, the table's columns",
// in each order's own order.
QList<QVector<QVariant>> leDetalhe(Connection &connection, const Detalhe &d, const Request &request,
                                   const QList<Chave> &listados)
{
    QList<QVector<QVariant>> out;
    QSet<Chave> lidos;
    const SqlText::ComValores sql = daLista(d, request.filtroDaLista);
    const RowSet rs = connection.query(sql.texto, sql.valores);
    for (const auto &row : rs.rows) {
        lidos.insert(chaveDe(row));
        if (!row.last().isNull())
            out << row.first(row.size() - 1);
    }
    QMap<QString, QList<int>> faltam;
    for (const Chave &c : listados)
        if (!lidos.contains(c))
            faltam[c.first] << c.second;
    for (auto it = faltam.cbegin(); it != faltam.cend(); ++it)
        for (qsizetype de = 0; de < it.value().size(); de += kPorComando)
            out << connection.query(porChave(d, it.key(), it.value().mid(de, kPorComando))).rows;
    return out;
}

} // namespace

QString sqlEmitente(const QString &usuario) { return Emitente::sql({}, usuario); }

SqlText::ComValores sqlItensDaLista(const PedidosDoPeriodo::Condicao &filtro) { return daLista(itens(), filtro); }

SqlText::ComValores sqlFormulasDaLista(const PedidosDoPeriodo::Condicao &filtro) { return daLista(formulas(), filtro); }

SqlText::ComValores sqlComponentesDaLista(const PedidosDoPeriodo::Condicao &filtro) { return daLista(componentes(), filtro); }

QString sqlItens(const QString &estacao, const QList<int> &numeros) { return porChave(itens(), estacao, numeros); }

QString sqlFormulas(const QString &estacao, const QList<int> &numeros) { return porChave(formulas(), estacao, numeros); }

QString sqlComponentes(const QString &estacao, const QList<int> &numeros)
{
    return porChave(componentes(), estacao, numeros);
}

ExtratoData load(Connection &connection, const CachedTable &pedidos, const Request &request)
{
    ExtratoData d;
    d.convenio = request.convenio;
    d.inicio = request.inicio;
    d.fim = request.fim;
    d.emissao = request.emissao;
    const Emitente emitente = Emitente::le(connection, {}, request.usuario);
    d.farmacia = emitente.farmacia;
    d.cnpj = emitente.cnpj;

    // The orders as the list holds them.
    QHash<Chave, int> posicao;
    QList<Chave> listados;
    for (int r = 0; r < pedidos.recordCount(); ++r) {
        StatementOrder o;
        o.estacao = texto(pedidos.valueAt(r, QStringLiteral("ESTACAO")));
        o.numero = pedidos.valueAt(r, QStringLiteral("NPEDIDO")).toInt();
        o.data = pedidos.valueAt(r, QStringLiteral("DATAPEDIDO")).toDate();
        o.cliente = texto(pedidos.valueAt(r, QStringLiteral("NOME")));
        o.medico = texto(pedidos.valueAt(r, QStringLiteral("MEDICO")));
        o.restante = pedidos.valueAt(r, QStringLiteral("VALORRESTANTE"));
        posicao.insert({o.estacao, o.numero}, int(d.pedidos.size()));
        listados << Chave{o.estacao, o.numero};
        d.pedidos << o;
    }
    if (listados.isEmpty())
        return d;

    for (const auto &v : leDetalhe(connection, itens(), request, listados))
        if (const auto p = posicao.constFind(chaveDe(v)); p != posicao.cend())
            d.pedidos[*p].itens << StatementItem{texto(v[2]), v[3], texto(v[4])};

    QHash<QPair<Chave, int>, QPair<int, int>> formulaEm;   // order and formula number -> order, formula index
    for (const auto &v : leDetalhe(connection, formulas(), request, listados)) {
        const auto p = posicao.constFind(chaveDe(v));
        if (p == posicao.cend())
            continue;
        StatementFormula f{v[2].toInt(), texto(v[3]), v[4], v[5], v[6], texto(v[7]), {}};
        formulaEm.insert({chaveDe(v), f.numero}, {*p, int(d.pedidos[*p].formulas.size())});
        d.pedidos[*p].formulas << f;
    }
    // Each formula's own components, by its whole number.
    for (const auto &v : leDetalhe(connection, componentes(), request, listados)) {
        const auto f = formulaEm.constFind({chaveDe(v), v[2].toInt()});
        if (f == formulaEm.cend())
            continue;
        d.pedidos[f->first].formulas[f->second].componentes << StatementComponent{texto(v[3]), v[4], texto(v[5])};
    }
    return d;
}

}
