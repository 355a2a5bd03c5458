#pragma once
#include "data/ChavePedido.h"
#include "data/Connection.h"
#include "data/PedidosDoPeriodo.h"

#include <QHash>
#include <QSet>
#include <functional>

// What the orders of the extrato's list are made of (items, formulas, the formulas' components), as
// the detail panes show them, read for the whole list at once and kept: moving between orders
// sends nothing to the database. A long list is read in pages of orders around the one shown. An
// order the reads did not reach (settled elsewhere between the list and its details) is read by its
// key when it is shown.
//
// Each pane's rows are the ones the per-order selects give ("from ITENS where ESTACAO = .. and
// NPEDIDO = .."), in the same order: the rows' order in the table, which is the order of their
// record numbers.
class DetalhesDaLista {
public:
    using Pedido = ChavePedido;

    // A list of up to `porLeitura` orders is read at once; a longer one in pages of `porPagina`.
    explicit DetalhesDaLista(Connection &connection, int porLeitura = 2000, int porPagina = 1000)
        : m_connection(connection), m_porLeitura(porLeitura), m_porPagina(porPagina)
    {
    }

    // The list was read (again) for this filter, with these orders in its order: what was read
    // before goes; a short list is read now, a long one a page at a time as its orders are shown.
    void novaLista(const PedidosDoPeriodo::Condicao &filtro, const QList<Pedido> &lista);
    void limpa();

    RowSet itens(int linha);
    RowSet formulas(int linha);
    RowSet componentes(int linha, const QVariant &formula);

    static const QStringList ColunasItens, ColunasFormulas, ColunasComponentes;
    static constexpr int PedidosPorChave = 250;      // orders in one select by their keys

private:
    struct Tabela {
        QString nome;
        const QStringList *colunas;
        int chave;   // the columns that name a row's group: the order (2) or the order and formula (3)
        QHash<QString, RowSet> grupos;
        QList<Field> campos;   // the columns, known after the first read
    };

    void garanteLida(int linha);
    void leDaLista();
    void lePagina(int pagina);
    void lePorChave(const QList<Pedido> &pedidos);
    void guarda(Tabela &t, const RowSet &rs, int inicio);
    RowSet grupo(Tabela &t, const QString &chave) const;
    QString chaveDe(const Pedido &p) const;
    static QString chaveDaLinha(const QVector<QVariant> &row, int colunas);

    Connection &m_connection;
    const int m_porLeitura;
    const int m_porPagina;
    PedidosDoPeriodo::Condicao m_filtro;
    QList<Pedido> m_lista;
    QSet<QString> m_lidos;       // the orders whose details were read
    QSet<int> m_paginasLidas;
    Tabela m_itens{QStringLiteral("ITENS"), &ColunasItens, 2, {}, {}};
    Tabela m_formulas{QStringLiteral("PEDIFORM"), &ColunasFormulas, 2, {}, {}};
    Tabela m_componentes{QStringLiteral("COMPEDID"), &ColunasComponentes, 3, {}, {}};
};
