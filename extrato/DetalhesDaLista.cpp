#include "extrato/DetalhesDaLista.h"

#include "data/SqlText.h"

namespace {

QString comAlias(const QString &alias, const QStringList &colunas)
{
    QStringList out;
    out.reserve(colunas.size());
    for (const QString &c : colunas)
        out << alias + QLatin1Char('.') + c;
    return out.join(QStringLiteral(", "));
}

// A station as the database compares it: trailing blanks do not count.
QString estacaoDe(const QVariant &v)
{
    QString s = v.toString();
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

} // namespace

const QStringList DetalhesDaLista::ColunasItens = {QStringLiteral("ESTACAO"), QStringLiteral("NPEDIDO"),
                                                   QStringLiteral("DESCRICAO"), QStringLiteral("QDE"),
                                                   QStringLiteral("UNIDADE"), QStringLiteral("VALFINAL")};
const QStringList DetalhesDaLista::ColunasFormulas = {
    QStringLiteral("ESTACAO"),     QStringLiteral("NPEDIDO"),     QStringLiteral("NFORMULA"),
    QStringLiteral("FORMAFARMA"),  QStringLiteral("QDEROTULOS"),  QStringLiteral("QDECAPSULAS"),
    QStringLiteral("VOLUMETOTAL"), QStringLiteral("UNIDADE"),     QStringLiteral("PRECOFORMULA")};
const QStringList DetalhesDaLista::ColunasComponentes = {QStringLiteral("ESTACAO"),       QStringLiteral("NPEDIDO"),
                                                         QStringLiteral("NFORMULA"),      QStringLiteral("COMPONENTEDIG"),
                                                         QStringLiteral("QDEDIG"),        QStringLiteral("UNIDDIG")};

void DetalhesDaLista::limpa()
{
    m_lista.clear();
    m_lidos.clear();
    m_paginasLidas.clear();
    for (Tabela *t : {&m_itens, &m_formulas, &m_componentes})
        t->grupos.clear();
}

void DetalhesDaLista::novaLista(const PedidosDoPeriodo::Condicao &filtro, const QList<Pedido> &lista)
{
    limpa();
    m_filtro = filtro;
    m_lista = lista;
    if (!m_lista.isEmpty() && m_lista.size() <= m_porLeitura)
        leDaLista();
}

QString DetalhesDaLista::chaveDe(const Pedido &p) const
{
    return chaveDaLinha({p.estacao(), p.numero()}, 2);
}

QString DetalhesDaLista::chaveDaLinha(const QVector<QVariant> &row, int colunas)
{
    QString chave = estacaoDe(row[0]);
    for (int i = 1; i < colunas; ++i)
        chave += QChar(0x1F) + SqlText::number(row[i]);
    return chave;
}

// Each detail table in one select joined to the orders the list's filter selects, its rows in their
// order in the table. Every order the filter still selects comes back at least once, which tells
// the orders read from those settled elsewhere meanwhile.
void DetalhesDaLista::leDaLista()
{
    for (Tabela *t : {&m_itens, &m_formulas, &m_componentes}) {
        const SqlText::ComValores sql = PedidosDoPeriodo::detalhes(m_filtro, t->nome, comAlias(QStringLiteral("D"), *t->colunas),
                                                                   QStringLiteral("D.RDB$DB_KEY"));
        const RowSet rs = m_connection.query(sql.texto, sql.valores, Connection::Prepare::Keep);
        QSet<QString> vistos;
        for (const auto &row : rs.rows)
            vistos.insert(chaveDaLinha(row, 2));
        guarda(*t, rs, 2);
        if (t == &m_itens)
            m_lidos = vistos;
        else
            m_lidos.intersect(vistos);
    }
}

void DetalhesDaLista::lePagina(int pagina)
{
    m_paginasLidas.insert(pagina);
    lePorChave(m_lista.mid(qsizetype(pagina) * m_porPagina, m_porPagina));
}

// The orders by their whole keys, PedidosPorChave in each select (the last one filled up with its
// last order again, so that every select has the same text and is prepared once).
void DetalhesDaLista::lePorChave(const QList<Pedido> &pedidos)
{
    for (qsizetype de = 0; de < pedidos.size(); de += PedidosPorChave) {
        QList<Pedido> parte = pedidos.mid(de, PedidosPorChave);
        QVariantList valores;
        for (int i = 0; i < PedidosPorChave; ++i) {
            const Pedido &p = parte[std::min<qsizetype>(i, parte.size() - 1)];
            valores << p.valores();
        }
        QStringList chaves;
        for (int i = 0; i < PedidosPorChave; ++i)
            chaves << QStringLiteral("(ESTACAO = ? and NPEDIDO = ?)");
        for (Tabela *t : {&m_itens, &m_formulas, &m_componentes}) {
            const QString sql = QStringLiteral("select ") + t->colunas->join(QStringLiteral(", ")) +
                                QStringLiteral(" from ") + t->nome + QStringLiteral(" where ") +
                                chaves.join(QStringLiteral(" or ")) + QStringLiteral(" order by RDB$DB_KEY");
            guarda(*t, m_connection.query(sql, valores, Connection::Prepare::Keep), 0);
        }
        for (const Pedido &p : parte)
            m_lidos.insert(chaveDe(p));
    }
}

// Rows "order's columns, then the table's", the table's own from `inicio`; a row of an order
// without any (an outer join's) is left out.
void DetalhesDaLista::guarda(Tabela &t, const RowSet &rs, int inicio)
{
    RowSet modelo;
    modelo.fields = rs.fields.mid(inicio);
    for (const auto &row : rs.rows) {
        if (row[inicio + 1].isNull())
            continue;
        const QVector<QVariant> proprias = row.mid(inicio);
        const QString chave = chaveDaLinha(proprias, t.chave);
        auto it = t.grupos.find(chave);
        if (it == t.grupos.end())
            it = t.grupos.insert(chave, modelo);
        it->rows.append(proprias);
    }
    t.campos = modelo.fields;
}

RowSet DetalhesDaLista::grupo(Tabela &t, const QString &chave) const
{
    RowSet rs = t.grupos.value(chave);
    rs.fields = t.campos;
    return rs;
}

void DetalhesDaLista::garanteLida(int linha)
{
    const Pedido &p = m_lista.at(linha);
    if (m_lidos.contains(chaveDe(p)))
        return;
    const int pagina = linha / m_porPagina;
    if (m_lista.size() > m_porLeitura && !m_paginasLidas.contains(pagina))
        lePagina(pagina);
    if (!m_lidos.contains(chaveDe(p)))
        lePorChave({p});
}

RowSet DetalhesDaLista::itens(int linha)
{
    garanteLida(linha);
    return grupo(m_itens, chaveDe(m_lista.at(linha)));
}

RowSet DetalhesDaLista::formulas(int linha)
{
    garanteLida(linha);
    return grupo(m_formulas, chaveDe(m_lista.at(linha)));
}

RowSet DetalhesDaLista::componentes(int linha, const QVariant &formula)
{
    garanteLida(linha);
    return grupo(m_componentes, chaveDe(m_lista.at(linha)) + QChar(0x1F) + SqlText::number(formula));
}
