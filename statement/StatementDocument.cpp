#include "statement/StatementDocument.h"

#include "data/CachedTable.h"
#include "data/SqlText.h"
#include "platform/WinText.h"

#include <QHash>

namespace StatementDocument {

namespace {

constexpr int kPorComando = 1000;   // order numbers in one IN list

QString ondePedidos(const QString &estacao, const QList<int> &numeros)
{
    QStringList n;
    n.reserve(numeros.size());
    for (int x : numeros)
        n << QString::number(x);
    return QStringLiteral(" where ESTACAO = '") + SqlText::quoted(estacao) + QStringLiteral("' and NPEDIDO in (") +
           n.join(QLatin1Char(',')) + QLatin1Char(')');
}

using Chave = QPair<QString, int>;   // station, order number

Chave chaveDe(const RowSet &rs, int r)
{
    return {rs.rows[r][0].toString(), rs.rows[r][1].toInt()};
}

QString texto(const QVariant &v) { return v.isValid() && !v.isNull() ? v.toString().trimmed() : QString(); }

} // namespace

QString sqlEmitente(const QString &usuario)
{
    return QStringLiteral("select DATBASNAM, CNPJ from ESTACOES where upper(USUARIO) = '") +
           SqlText::quoted(WinText::upperAscii(usuario)) + QLatin1Char('\'');
}

QString sqlItens(const QString &estacao, const QList<int> &numeros)
{
    return QStringLiteral("select ESTACAO, NPEDIDO, DESCRICAO, QDE, UNIDADE from ITENS") + ondePedidos(estacao, numeros) +
           QStringLiteral(" order by NPEDIDO, ORDEM, CODPROD");
}

QString sqlFormulas(const QString &estacao, const QList<int> &numeros)
{
    return QStringLiteral("select ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA, QDEROTULOS, QDECAPSULAS, VOLUMETOTAL, UNIDADE "
                          "from PEDIFORM") +
           ondePedidos(estacao, numeros) + QStringLiteral(" order by NPEDIDO, NFORMULA");
}

QString sqlComponentes(const QString &estacao, const QList<int> &numeros)
{
    return QStringLiteral("select ESTACAO, NPEDIDO, NFORMULA, COMPONENTEDIG, QDEDIG, UNIDDIG from COMPEDID") +
           ondePedidos(estacao, numeros) + QStringLiteral(" order by NPEDIDO, NFORMULA, ORDEM, COMPONENTE");
}

StatementData load(Connection &connection, const CachedTable &pedidos, const Request &request)
{
    StatementData d;
    d.convenio = request.convenio;
    d.inicio = request.inicio;
    d.fim = request.fim;
    d.emissao = request.emissao;
    const RowSet emitente = connection.query(sqlEmitente(request.usuario));
    if (emitente.rowCount() > 0) {
        d.farmacia = texto(emitente.rows[0][0]);
        d.cnpj = texto(emitente.rows[0][1]);
    }

    // The orders as the list holds them.
    QHash<Chave, int> posicao;
    QMap<QString, QList<int>> porEstacao;
    for (int r = 0; r < pedidos.recordCount(); ++r) {
        StatementOrder o;
        o.estacao = texto(pedidos.valueAt(r, QStringLiteral("ESTACAO")));
        o.numero = pedidos.valueAt(r, QStringLiteral("NPEDIDO")).toInt();
        o.data = pedidos.valueAt(r, QStringLiteral("DATAPEDIDO")).toDate();
        o.cliente = texto(pedidos.valueAt(r, QStringLiteral("NOME")));
        o.medico = texto(pedidos.valueAt(r, QStringLiteral("MEDICO")));
        o.restante = pedidos.valueAt(r, QStringLiteral("VALORRESTANTE"));
        posicao.insert({o.estacao, o.numero}, int(d.pedidos.size()));
        porEstacao[o.estacao] << o.numero;
        d.pedidos << o;
    }

    for (auto it = porEstacao.cbegin(); it != porEstacao.cend(); ++it) {
        for (qsizetype de = 0; de < it.value().size(); de += kPorComando) {
            const QList<int> numeros = it.value().mid(de, kPorComando);
            const RowSet itens = connection.query(sqlItens(it.key(), numeros));
            for (int r = 0; r < itens.rowCount(); ++r)
                if (const auto p = posicao.constFind(chaveDe(itens, r)); p != posicao.cend())
                    d.pedidos[*p].itens << StatementItem{texto(itens.rows[r][2]), itens.rows[r][3], texto(itens.rows[r][4])};

            const RowSet formulas = connection.query(sqlFormulas(it.key(), numeros));
            QHash<QPair<Chave, int>, QPair<int, int>> formulaEm;   // order and formula number -> order, formula index
            for (int r = 0; r < formulas.rowCount(); ++r) {
                const auto p = posicao.constFind(chaveDe(formulas, r));
                if (p == posicao.cend())
                    continue;
                const QList<QVariant> v(formulas.rows[r].cbegin(), formulas.rows[r].cend());
                StatementFormula f{v[2].toInt(), texto(v[3]), v[4], v[5], v[6], texto(v[7]), {}};
                formulaEm.insert({chaveDe(formulas, r), f.numero}, {*p, int(d.pedidos[*p].formulas.size())});
                d.pedidos[*p].formulas << f;
            }
            // Each formula's own components, by its whole number.
            const RowSet componentes = connection.query(sqlComponentes(it.key(), numeros));
            for (int r = 0; r < componentes.rowCount(); ++r) {
                const auto f = formulaEm.constFind({chaveDe(componentes, r), componentes.rows[r][2].toInt()});
                if (f == formulaEm.cend())
                    continue;
                d.pedidos[f->first].formulas[f->second].componentes
                    << StatementComponent{texto(componentes.rows[r][3]), componentes.rows[r][4], texto(componentes.rows[r][5])};
            }
        }
    }
    return d;
}

}
