#include "billing/window/ExtratoEmpresaDocumento.h"

#include "billing/Pix.h"
#include "reports/ExtratoReport.h"
#include "reports/PageFlow.h"
#include "reports/ReportLayout.h"

#include <QLocale>
#include <QScopeGuard>

namespace {

constexpr double kRecuo = 1.0;     // cm of the order lines under their employee
constexpr double kQr = 4.0;        // cm of the QR code's side

QString titulo(const Funcionario &f)
{
    return f.matricula.isEmpty() ? f.nome : QStringLiteral("Matrícula %1 - %2").arg(f.matricula, f.nome);
}

void funcionarios(PageFlow &flow, ReportDocument &doc, const QList<Funcionario> &lista)
{
    const ReportFont normal{doc.fontSize, false}, negrito{doc.fontSize, true};
    const double h = reportLineHeight(doc.fontSize);
    for (const Funcionario &f : lista) {
        // The employee's line stays with their first order, and comes again on the next page when
        // their orders go on there.
        flow.row(0, {{flow.width(), titulo(f)}}, negrito, h);
        flow.setContinuation([&flow, &f, negrito] {
            flow.row(0, {{flow.width(), titulo(f) + QStringLiteral(" (continuação)")}}, negrito);
        });
        const auto fim = qScopeGuard([&flow] { flow.setContinuation(nullptr); });
        for (const PedidoEmpresa &p : f.pedidos) {
            const QString data = p.data.toString(QStringLiteral("dd/MM/yyyy"));
            flow.row(kRecuo, {{3.0, data}, {4.0, p.numeroTexto()}, {4.0, formatReais(p.valor), Qt::AlignRight}}, normal);
            doc.rows << QStringList{f.matricula, f.nome, data, p.numeroTexto(), formatReais(p.valor)};
        }
        flow.row(kRecuo, {{7.0, QStringLiteral("Subtotal"), Qt::AlignRight}, {4.0, formatReais(f.subtotal()), Qt::AlignRight}},
                 negrito);
        doc.rows << QStringList{QString(), QString(), QString(), QStringLiteral("Subtotal"), formatReais(f.subtotal())};
        flow.gap();
    }
}

QStringList titulosDoPix(const Decimal &total)
{
    return {QStringLiteral("Pague com PIX: ") + formatReais(total), QStringLiteral("PIX copia e cola:")};
}

}

ReportDocument buildExtratoEmpresaReport(const ExtratoEmpresa &e, const QString &pixPayload,
                                         const std::function<void(int)> &onPage)
{
    ReportDocument doc;
    doc.name = documentFileName({QStringLiteral("extrato-empresa"), e.convenio, e.inicio.toString(QStringLiteral("yyyy-MM-dd")),
                                 QStringLiteral("a"), e.fim.toString(QStringLiteral("yyyy-MM-dd"))});
    doc.title = QStringLiteral("Extrato para a empresa - ") + e.convenio;
    const QString periodo = QStringLiteral("Período: ") + e.inicio.toString(QStringLiteral("dd/MM/yyyy")) +
                            QStringLiteral(" a ") + e.fim.toString(QStringLiteral("dd/MM/yyyy"));
    doc.header = Emitente{e.farmacia, e.cnpj}.cabecalho(QStringLiteral("Extrato para a empresa"));
    doc.header << ReportTextLine{QStringLiteral("Convênio: ") + e.convenio, {11, true}, Qt::AlignLeft}
               << ReportTextLine{periodo, {10, true}, Qt::AlignLeft};
    doc.columns = {{QStringLiteral("MATRICULA"), QStringLiteral("Matrícula"), 2.5, Qt::AlignLeft, {}},
                   {QStringLiteral("NOME"), QStringLiteral("Nome"), 6.0, Qt::AlignLeft, {}},
                   {QStringLiteral("DATAPEDIDO"), QStringLiteral("Data"), 2.5, Qt::AlignLeft, {}},
                   {QStringLiteral("PEDIDO"), QStringLiteral("Pedido"), 3.0, Qt::AlignLeft, {}},
                   {QStringLiteral("VALOR"), QStringLiteral("Valor"), 3.5, Qt::AlignRight, {}}};
    doc.footer = {QStringLiteral("Página {page} de {pages}"), {8, false}, Qt::AlignRight};

    PageFlow flow(doc, e.emissao, onPage);
    flow.setTitles(kRecuo, {{3.0, QStringLiteral("Data")}, {4.0, QStringLiteral("Pedido")}, {4.0, QStringLiteral("Valor"), Qt::AlignRight}});
    flow.room(0);
    funcionarios(flow, doc, e.funcionarios);
    if (!e.semMatricula.isEmpty()) {
        flow.row(0, {{flow.width(), QStringLiteral("Pedidos sem matrícula (não entram no arquivo de desconto em folha)")}},
                 ReportFont{11, true}, 2 * reportLineHeight(doc.fontSize));
        funcionarios(flow, doc, e.semMatricula);
    }

    const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    const QString resumo = QStringLiteral("Funcionários: %1    Pedidos: %2")
                               .arg(brasil.toString(e.funcionarios.size() + e.semMatricula.size()))
                               .arg(brasil.toString(e.quantidadePedidos()));
    flow.totals(resumo, QStringLiteral("Total:"), formatReais(e.total()), ReportFont{doc.fontSize, true});
    doc.totals << QStringList{resumo, QString(), QString(), QStringLiteral("Total:"), formatReais(e.total())};

    if (!pixPayload.isEmpty()) {
        const QImage qr = Pix::qrCode(pixPayload, 8);
        if (!qr.isNull())
            flow.imageBlock(qr, kQr, titulosDoPix(e.total()), pixPayload);
        doc.closing << ReportTextLine{QStringLiteral("PIX copia e cola: ") + pixPayload, {8, false}, Qt::AlignLeft};
    }
    flow.finish();
    return doc;
}
