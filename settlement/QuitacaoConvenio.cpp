#include "settlement/QuitacaoConvenio.h"

#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/SqlText.h"
#include "settlement/Rastro.h"

#include <QLocale>


using SqlText::quoted;

namespace QuitacaoConvenio {

namespace Sql {

namespace {
QString filtroAbertos(const QString &convenio, const QString &di, const QString &df)
{
    return QStringLiteral(" from PEDIDOS WHERE CONVENIO = '") + quoted(convenio) +
           QStringLiteral("' and DATAPEDIDO between '") + di + QStringLiteral("' and '") + df + QStringLiteral("'") +
           QStringLiteral(" AND TIPOPEDIDO = 'Pedido'");
}
}

QString pedidosAbertos(const QString &convenio, const QString &di, const QString &df)
{
    return QStringLiteral("Select ESTACAO, NPEDIDO, VENDEDOR, CONVENIO, DATAPEDIDO") + filtroAbertos(convenio, di, df);
}

QString contaPedidosAbertos(const QString &convenio, const QString &di, const QString &df)
{
    return QStringLiteral("Select count(*) QTDE") + filtroAbertos(convenio, di, df);
}

QString marcaPedidosPagos(const QString &convenio, const QString &pagamento, const QString &di, const QString &df)
{
    return QStringLiteral("Update PEDIDOS set PAGO = 'T', DATAPAGAMENTO = '") + pagamento +
           QStringLiteral("' where CONVENIO = '") + quoted(convenio) +
           QStringLiteral("' and CONVENIO IS NOT NULL and CONVENIO <> ''") + QStringLiteral(" and DATAPEDIDO >= '") + di +
           QStringLiteral("' and DATAPEDIDO <= '") + df + QStringLiteral("' and TIPOPEDIDO = 'Pedido'");
}

QString condicaoDoPeriodo(const QString &convenio, const QString &di, const QString &df)
{
    return QStringLiteral("CONVENIO = '") + quoted(convenio) +
           QStringLiteral("'  and CONVENIO IS NOT NULL and CONVENIO <> ''  AND DATAPEDIDO BETWEEN '") + di +
           QStringLiteral("' and '") + df + QStringLiteral("' and TIPOPEDIDO = 'Pedido'");
}

QString listaPedidos(const QString &convenio, const QString &di, const QString &df)
{
    return QStringLiteral("Select ESTACAO||NPEDIDO as PEDIDO from PEDIDOS WHERE ") + condicaoDoPeriodo(convenio, di, df);
}

}

Abertos verificaPedidosAbertos(InterfaceData &dm2, const QString &convenio, const QString &di, const QString &df,
                               const std::function<void(const QString &)> &avisa, QList<PedidoAberto> *quais)
{
    FreeQuery &q = dm2.SQLQuery1;
    const QString sql = Sql::pedidosAbertos(convenio, di, df);
    q.close();
    q.setSql(sql);
    try {
        q.open();
        for (q.first(); quais && !q.eof(); q.next())
            *quais << PedidoAberto{ChavePedido(q.text(QStringLiteral("ESTACAO")).trimmed(), q.text(QStringLiteral("NPEDIDO")).trimmed()),
                                   q.text(QStringLiteral("VENDEDOR")).trimmed(), q.value(QStringLiteral("DATAPEDIDO")).toDate()};
    } catch (const DatabaseError &) {
        avisa(QStringLiteral("Erro tentando executar o seguinte comando: ") + QChar(13) + sql);
    }
    q.close();
    // The count is taken by the database with the same conditions.
    const RowSet contagem = dm2.SQLConnection2.query(Sql::contaPedidosAbertos(convenio, di, df));
    const int n = contagem.rows.isEmpty() ? 0 : contagem.rows.first().value(0).toInt();
    return n == 0 ? Abertos::Nenhum : (n == 1 ? Abertos::Um : Abertos::Varios);
}

namespace {
QString recusa(Abertos abertos)
{
    switch (abertos) {
    case Abertos::Um:
        return QStringLiteral("Este convênio não pode ser quitado neste momento porque há um pedido aberto com este "
                              "convênio dentro do período de quitação indicado.");
    case Abertos::Varios:
        return QStringLiteral("Este convênio não pode ser quitado neste momento porque há pedidos abertos com este "
                              "convênio dentro do período de quitação indicado.");
    default:
        return {};
    }
}

// "Pedido 15 da estação 02, vendedor JOAO, de 20/11/26"
QString linhaDoAberto(const PedidoAberto &p)
{
    QString s = QStringLiteral("Pedido ") + p.pedido.texto();
    if (!p.vendedor.isEmpty())
        s += QStringLiteral(", vendedor ") + p.vendedor;
    if (p.data.isValid())
        s += QStringLiteral(", de ") + SqlText::dateDMY(p.data);
    return s;
}
}

QString mensagemAbertos(Abertos abertos, const QList<PedidoAberto> &quais)
{
    QString s = recusa(abertos);
    if (s.isEmpty() || quais.isEmpty())
        return s;
    // A long list is cut: the first ones tell where to look.
    constexpr int Mostrados = 15;
    QStringList linhas;
    for (int i = 0; i < quais.size() && i < Mostrados; ++i)
        linhas << QStringLiteral("  ") + linhaDoAberto(quais[i]);
    if (quais.size() > Mostrados)
        linhas << QStringLiteral("  e mais ") + QLocale().toString(quais.size() - Mostrados);
    const bool um = quais.size() == 1;
    s += QStringLiteral("\n\n") + (um ? QStringLiteral("Aberto no balcão:\n") : QStringLiteral("Abertos no balcão:\n")) +
         linhas.join(QLatin1Char('\n'));
    s += um ? QStringLiteral("\n\nConclua ou cancele este pedido na estação em que está aberto e quite de novo.")
            : QStringLiteral("\n\nConclua ou cancele estes pedidos nas estações em que estão abertos e quite de novo.");
    return s;
}

MotorQuitacao::Resultado QuitaConvenio(CentralData &dm, const ContextoQuitacao &c, const QDate &di, const QDate &df,
                                       const QDate &pagamento, const Progresso &progresso, const MotorQuitacao::Opcoes &opcoes)
{
    const QString convenio = c.convenioAtual;
    const QString inicio = SqlText::dateMDY(di);
    const QString fim = SqlText::dateMDY(df);
    MotorQuitacao::Roteiro r;
    r.condicao = Sql::condicaoDoPeriodo(convenio, inicio, fim);
    r.antes = {Sql::marcaPedidosPagos(convenio, SqlText::dateMDY(pagamento), inicio, fim)};
    r.lista = Sql::listaPedidos(convenio, inicio, fim);
    r.parcelas = MotorQuitacao::Roteiro::Parcelas::Pagamentos;
    r.arquivoRastro = Rastro::arquivo();
    r.comando = Registro::Comando::Convenio;
    r.inicio = di;
    r.fim = df;
    r.opcoes = opcoes;
    return MotorQuitacao::executa(dm, c, pagamento, r, progresso);
}

}
