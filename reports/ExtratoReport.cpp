#include "reports/ExtratoReport.h"

#include "reports/PageFlow.h"
#include "reports/ReportLayout.h"
#include "reports/ReportOutput.h"


namespace {

const QLocale &brasil()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

constexpr double kIndent = 0.8;      // cm of each detail level

// Numbers of the detail lines: quantities with two places, doses with as many as they need.
QString quantidade(const QVariant &v) { return formatReportValue(v, QStringLiteral("#,##0.00"), brasil()); }

QString dose(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    return brasil().toString(v.toDouble(), 'f', QLocale::FloatingPointShortest);
}

QString inteiro(const QVariant &v) { return v.isValid() && !v.isNull() ? brasil().toString(v.toLongLong()) : QString(); }

QString periodo(const ExtratoData &d)
{
    return QStringLiteral("Período: ") + d.inicio.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" a ") +
           d.fim.toString(QStringLiteral("dd/MM/yyyy"));
}

QString valor(const QVariant &v)
{
    return v.isValid() && !v.isNull() ? formatReais(Decimal::fromVariant(v).rescaled(2)) : QString();
}

} // namespace

Decimal ExtratoData::total() const
{
    Decimal sum(0, 2);
    for (const StatementOrder &o : pedidos)
        if (o.restante.isValid() && !o.restante.isNull())
            sum = sum + Decimal::fromVariant(o.restante);
    return sum.rescaled(2);
}

QString formatReais(const Decimal &value) { return QStringLiteral("R$ ") + value.toDisplayText(brasil(), 2); }

ReportDocument buildExtratoReport(const ExtratoData &data, const std::function<void(int)> &onPage)
{
    ReportDocument doc;
    doc.name = documentFileName({QStringLiteral("extrato"), data.convenio, data.inicio.toString(QStringLiteral("yyyy-MM-dd")),
                                 QStringLiteral("a"), data.fim.toString(QStringLiteral("yyyy-MM-dd"))});
    doc.title = QStringLiteral("Extrato do convênio ") + data.convenio;
    // Products, formulas and doctors are health data: this one stays in the pharmacy; the company
    // receives its own statement, without them.
    doc.header = Emitente{data.farmacia, data.cnpj}.cabecalho(QStringLiteral("Extrato do convênio - uso interno da farmácia"));
    doc.header << ReportTextLine{QStringLiteral("Convênio: ") + data.convenio, {11, true}, Qt::AlignLeft}
               << ReportTextLine{periodo(data), {10, true}, Qt::AlignLeft};
    doc.columns = {{QStringLiteral("DATAPEDIDO"), QStringLiteral("Data"), 2.5, Qt::AlignLeft, {}},
                   {QStringLiteral("PEDIDO"), QStringLiteral("Pedido"), 2.5, Qt::AlignLeft, {}},
                   {QStringLiteral("NOME"), QStringLiteral("Cliente"), 4.9, Qt::AlignLeft, {}},
                   {QStringLiteral("MEDICO"), QStringLiteral("Médico"), 4.3, Qt::AlignLeft, {}},
                   {QStringLiteral("VALORRESTANTE"), QStringLiteral("Valor restante"), 3.3, Qt::AlignRight, {}}};
    doc.footer = {QStringLiteral("Página {page} de {pages}"), {8, false}, Qt::AlignRight};

    const ReportFont bold{doc.fontSize, true};
    const ReportFont detalhe{8.5, false}, titulo{8.5, true};
    const double linhaDetalhe = reportLineHeight(detalhe.size);
    PageFlow flow(doc, data.emissao, onPage);
    flow.room(0);
    const auto celulas = [&doc](const QStringList &textos) {
        QList<FlowCell> cells;
        for (int c = 0; c < doc.columns.size(); ++c)
            cells << FlowCell{doc.columns[c].width, textos[c], doc.columns[c].align};
        return cells;
    };

    for (const StatementOrder &o : data.pedidos) {
        const QString numero = o.estacao + QLatin1Char('-') + QString::number(o.numero);
        const QStringList pedido{o.data.toString(QStringLiteral("dd/MM/yyyy")), numero, o.cliente, o.medico, valor(o.restante)};
        doc.rows << pedido;
        // An order's line stays with the titles and first line of its details.
        const bool temDetalhe = !o.itens.isEmpty() || !o.formulas.isEmpty();
        flow.row(0, celulas(pedido), bold, temDetalhe ? 2 * linhaDetalhe : 0);
        // Details that go on to the next page come under the order's line again; its value is
        // counted once, on the first.
        const QStringList continuacao{pedido[0], numero, o.cliente + QStringLiteral(" (continuação)"), o.medico, QString()};
        flow.setContinuation([&flow, &celulas, continuacao, bold] { flow.row(0, celulas(continuacao), bold); });

        if (!o.itens.isEmpty()) {
            flow.row(kIndent, {{9.5, QStringLiteral("Produto")}, {2.5, QStringLiteral("Quantidade"), Qt::AlignRight},
                               {1.9, QStringLiteral("Unidade")}},
                     titulo, linhaDetalhe);
            for (const StatementItem &i : o.itens) {
                flow.row(kIndent, {{9.5, i.descricao}, {2.5, quantidade(i.quantidade), Qt::AlignRight}, {1.9, i.unidade}},
                         detalhe);
                doc.rows << QStringList{QString(), QString(), i.descricao,
                                        (quantidade(i.quantidade) + QLatin1Char(' ') + i.unidade).trimmed(), QString()};
            }
        } else {
            for (const StatementFormula &f : o.formulas) {
                flow.row(kIndent,
                         {{1.6, QStringLiteral("Fórmula")}, {4.2, QStringLiteral("Forma farmacêutica")},
                          {1.8, QStringLiteral("Frascos"), Qt::AlignRight}, {2.2, QStringLiteral("Caps/Doses"), Qt::AlignRight},
                          {2.4, QStringLiteral("Volume"), Qt::AlignRight}, {1.9, QStringLiteral("Unidade")}},
                         titulo, linhaDetalhe);
                flow.row(kIndent,
                         {{1.6, QString::number(f.numero)}, {4.2, f.formaFarmaceutica},
                          {1.8, inteiro(f.frascos), Qt::AlignRight}, {2.2, inteiro(f.capsulas), Qt::AlignRight},
                          {2.4, quantidade(f.volume), Qt::AlignRight}, {1.9, f.unidade}},
                         detalhe);
                doc.rows << QStringList{QString(), QString(),
                                        QStringLiteral("Fórmula %1: %2").arg(f.numero).arg(f.formaFarmaceutica),
                                        (quantidade(f.volume) + QLatin1Char(' ') + f.unidade).trimmed(), QString()};
                if (f.componentes.isEmpty())
                    continue;
                flow.row(2 * kIndent, {{7.0, QStringLiteral("Componente")}, {2.5, QStringLiteral("Dose"), Qt::AlignRight},
                                       {1.9, QStringLiteral("Unidade")}},
                         titulo, linhaDetalhe);
                for (const StatementComponent &c : f.componentes) {
                    flow.row(2 * kIndent, {{7.0, c.componente}, {2.5, dose(c.dose), Qt::AlignRight}, {1.9, c.unidade}},
                             detalhe);
                    doc.rows << QStringList{QString(), QString(), QStringLiteral("   ") + c.componente,
                                            (dose(c.dose) + QLatin1Char(' ') + c.unidade).trimmed(), QString()};
                }
            }
        }
        flow.setContinuation(nullptr);
        flow.gap();
    }

    // The totals: how many orders and what they still owe, the figure of the statement window.
    const QString quantos = QStringLiteral("Pedidos em aberto: ") + brasil().toString(data.pedidos.size());
    const QString total = formatReais(data.total());
    flow.totals(quantos, QStringLiteral("Total em aberto:"), total, bold);
    doc.totals << QStringList{quantos, QString(), QString(), QStringLiteral("Total em aberto:"), total};
    flow.finish();
    return doc;
}
