#include "settlement/windows/RelatorioQuitacoes.h"

#include "reports/PageFlow.h"

#include <QLocale>

namespace RelatorioQuitacoes {

namespace {

const QLocale &brasil()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

QString dia(const QDate &d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

QString reais(const Decimal &v) { return QStringLiteral("R$ ") + v.toDisplayText(brasil(), 2); }

QString quais(const Filtro &f)
{
    QString s = f.convenio.isEmpty() ? QStringLiteral("Todos os convênios") : QStringLiteral("Convênio: ") + f.convenio;
    if (f.de.isValid() && f.ate.isValid())
        s += QStringLiteral(" - feitas de %1 a %2").arg(dia(f.de), dia(f.ate));
    else if (f.de.isValid())
        s += QStringLiteral(" - feitas a partir de ") + dia(f.de);
    else if (f.ate.isValid())
        s += QStringLiteral(" - feitas até ") + dia(f.ate);
    if (!f.busca.trimmed().isEmpty())
        s += QStringLiteral(" - contendo \"%1\"").arg(f.busca.trimmed());
    return s;
}

// "1 quitação", "2 quitações".
QString conta(int n, const QString &um, const QString &varios)
{
    return brasil().toString(n) + QLatin1Char(' ') + (n == 1 ? um : varios);
}

QString situacao(const Registro::Quitacao &q)
{
    return q.estornada() ? QStringLiteral("Estornada em ") + dia(q.estornoDataHora.date()) : QStringLiteral("Ativa");
}

}

ReportDocument gera(const QList<Registro::Quitacao> &quitacoes, const Emitente &emitente, const Filtro &filtro,
                    const QDateTime &emissao, const std::function<void(int)> &onPage)
{
    ReportDocument doc;
    doc.name = documentFileName({QStringLiteral("quitacoes"), filtro.convenio.isEmpty() ? QStringLiteral("todos") : filtro.convenio,
                                 emissao.toString(QStringLiteral("yyyy-MM-dd"))});
    doc.title = QStringLiteral("Quitações de convênios");
    doc.landscape = true;
    doc.pageSize = QSizeF(29.7, 21.0);
    doc.fontSize = 9;
    doc.header = emitente.cabecalho(QStringLiteral("Quitações de convênios"));
    doc.header << ReportTextLine{quais(filtro), {10, true}, Qt::AlignLeft};
    doc.columns = {{QStringLiteral("CODQUITACAO"), QStringLiteral("Nº"), 1.3, Qt::AlignRight, {}},
                   {QStringLiteral("DATAHORA"), QStringLiteral("Data e hora"), 3.0, Qt::AlignLeft, {}},
                   {QStringLiteral("CONVENIO"), QStringLiteral("Convênio"), 4.4, Qt::AlignLeft, {}},
                   {QStringLiteral("COMANDO"), QStringLiteral("Comando"), 3.0, Qt::AlignLeft, {}},
                   {QStringLiteral("PERIODO"), QStringLiteral("Período"), 4.2, Qt::AlignLeft, {}},
                   {QStringLiteral("DATAPAGAMENTO"), QStringLiteral("Pagamento"), 2.0, Qt::AlignLeft, {}},
                   {QStringLiteral("PEDIDOS"), QStringLiteral("Pedidos"), 1.5, Qt::AlignRight, {}},
                   {QStringLiteral("VALORTOTAL"), QStringLiteral("Total"), 2.6, Qt::AlignRight, {}},
                   {QStringLiteral("USUARIO"), QStringLiteral("Usuário"), 1.8, Qt::AlignLeft, {}},
                   {QStringLiteral("SITUACAO"), QStringLiteral("Situação"), 2.4, Qt::AlignLeft, {}}};
    doc.footer = {QStringLiteral("Página {page} de {pages}"), {8, false}, Qt::AlignRight};

    PageFlow flow(doc, emissao, onPage);
    flow.room(0);
    int ativas = 0, estornadas = 0;
    Decimal totalAtivas(0, 2), totalEstornadas(0, 2);
    const ReportFont normal{doc.fontSize, false};
    for (const Registro::Quitacao &q : quitacoes) {
        const QStringList linha{QString::number(q.codigo),
                                q.dataHora.toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                                q.convenio,
                                Registro::nome(q.comando),
                                dia(q.dataInicial) + QStringLiteral(" a ") + dia(q.dataFinal),
                                dia(q.pagamento),
                                brasil().toString(q.pedidos),
                                reais(q.total),
                                q.usuario,
                                situacao(q)};
        doc.rows << linha;
        QList<FlowCell> cells;
        for (int c = 0; c < doc.columns.size(); ++c)
            cells << FlowCell{doc.columns[c].width, linha[c], doc.columns[c].align};
        flow.row(0, cells, normal);
        (q.estornada() ? estornadas : ativas) += 1;
        Decimal &soma = q.estornada() ? totalEstornadas : totalAtivas;
        soma = soma + q.total;
    }
    const ReportFont negrito{doc.fontSize, true};
    const QString resumo = QStringLiteral("%1: %2, %3 (%4)")
                               .arg(conta(ativas + estornadas, QStringLiteral("quitação"), QStringLiteral("quitações")),
                                    conta(ativas, QStringLiteral("ativa"), QStringLiteral("ativas")),
                                    conta(estornadas, QStringLiteral("estornada"), QStringLiteral("estornadas")),
                                    reais(totalEstornadas));
    flow.totals(resumo, QStringLiteral("Total das ativas:"), reais(totalAtivas), negrito);
    doc.totals << QStringList{resumo, QString(), QString(), QString(), QString(), QString(), QString(),
                              reais(totalAtivas), QString(), QString()};
    flow.finish();
    return doc;
}

}
