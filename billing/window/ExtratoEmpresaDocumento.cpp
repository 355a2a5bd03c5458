#include "billing/window/ExtratoEmpresaDocumento.h"

#include "billing/Pix.h"
#include "reports/ReportLayout.h"
#include "reports/ReportOutput.h"
#include "reports/ExtratoReport.h"

#include <QLocale>
#include <QScopeGuard>
#include <QRegularExpression>

namespace {

constexpr double kGap = 0.15;
constexpr double kRecuo = 1.0;     // cm of the order lines under their employee
constexpr double kQr = 4.0;        // cm of the QR code's side

struct Celula {
    double largura;
    QString texto;
    Qt::Alignment alinhamento = Qt::AlignLeft;
};

class Paginador {
public:
    Paginador(ReportDocument &doc, const ExtratoEmpresa &e, const std::function<void(int)> &onPage)
        : m_doc(doc), m_extrato(e), m_onPage(onPage)
    {
        m_esquerda = doc.margins.left();
        m_largura = doc.pageSize.width() - doc.margins.left() - doc.margins.right();
        m_fundo = doc.pageSize.height() - doc.margins.bottom() - reportLineHeight(doc.footer.font.size) - kGap;
    }

    double largura() const { return m_largura; }

    void espaco(double altura)
    {
        if (m_doc.pages.isEmpty() || m_y + altura > m_fundo + 1e-9)
            novaPagina();
    }

    void linha(double recuo, const QList<Celula> &celulas, const ReportFont &fonte, double comProxima = 0)
    {
        QList<QStringList> linhas;
        int maior = 1;
        for (const Celula &c : celulas) {
            linhas << ReportOutput::wrapText(m_doc, fonte, c.texto, c.largura - 2 * kMargemCelula);
            maior = std::max(maior, int(linhas.last().size()));
        }
        const double h = reportLineHeight(fonte.size);
        espaco(maior * h + comProxima);
        double x = m_esquerda + recuo;
        for (int i = 0; i < celulas.size(); ++i) {
            for (int l = 0; l < linhas[i].size(); ++l)
                pagina().texts << PlacedText{QRectF(x + kMargemCelula, m_y + l * h, celulas[i].largura - 2 * kMargemCelula, h),
                                             linhas[i][l], fonte, celulas[i].alinhamento};
            x += celulas[i].largura;
        }
        m_y += maior * h;
    }

    void regra(double recuo = 0)
    {
        m_y += kGap / 2;
        pagina().rules << QLineF(m_esquerda + recuo, m_y, m_esquerda + m_largura, m_y);
        m_y += kGap / 2;
    }

    void intervalo() { m_y += kGap; }

    // What a new page repeats under its column titles (the employee whose orders go on), if anything.
    std::function<void()> continuacao;

    // The QR code at the left, the texts beside it; kept together on one page.
    void pix(const QImage &qr, const QStringList &titulos, const QString &payload)
    {
        const ReportFont negrito{10, true}, pequeno{7.5, false};
        const double texto = m_largura - kQr - 0.5;
        const QStringList copia = ReportOutput::wrapText(m_doc, pequeno, payload, texto);
        const double altura = std::max(kQr, titulos.size() * reportLineHeight(10) + copia.size() * reportLineHeight(7.5));
        espaco(altura + kGap);
        intervalo();
        pagina().images << PlacedImage{QRectF(m_esquerda, m_y, kQr, kQr), qr};
        double y = m_y;
        const double x = m_esquerda + kQr + 0.5;
        for (const QString &t : titulos) {
            pagina().texts << PlacedText{QRectF(x, y, texto, reportLineHeight(10)), t, negrito, Qt::AlignLeft};
            y += reportLineHeight(10);
        }
        for (const QString &l : copia) {
            pagina().texts << PlacedText{QRectF(x, y, texto, reportLineHeight(7.5)), l, pequeno, Qt::AlignLeft};
            y += reportLineHeight(7.5);
        }
        m_y += altura;
    }

    void rodapes()
    {
        const double h = reportLineHeight(m_doc.footer.font.size);
        const double topo = m_doc.pageSize.height() - m_doc.margins.bottom() - h;
        const int n = int(m_doc.pages.size());
        for (int p = 0; p < n; ++p)
            m_doc.pages[p].texts << PlacedText{QRectF(m_esquerda, topo, m_largura, h), footerText(m_doc.footer.text, p + 1, n),
                                               m_doc.footer.font, m_doc.footer.align};
    }

    static constexpr double kMargemCelula = 0.08;

private:
    ReportPage &pagina() { return m_doc.pages.last(); }

    void novaPagina()
    {
        m_doc.pages.append(ReportPage());
        if (m_onPage)
            m_onPage(int(m_doc.pages.size()));
        m_y = m_doc.margins.top();
        for (const ReportTextLine &l : m_doc.header) {
            const double h = reportLineHeight(l.font.size);
            for (const QString &t : ReportOutput::wrapText(m_doc, l.font, l.text, m_largura)) {
                pagina().texts << PlacedText{QRectF(m_esquerda, m_y, m_largura, h), t, l.font, l.align};
                m_y += h;
            }
        }
        const double h = reportLineHeight(m_doc.header.last().font.size);
        pagina().texts << PlacedText{QRectF(m_esquerda, m_y - h, m_largura, h),
                                     QStringLiteral("Emitido em ") + m_extrato.emissao.toString(QStringLiteral("dd/MM/yyyy")) +
                                         QStringLiteral(" às ") + m_extrato.emissao.toString(QStringLiteral("HH:mm")),
                                     ReportFont{8, false}, Qt::AlignRight};
        regra();
        linha(kRecuo, {{3.0, QStringLiteral("Data")}, {4.0, QStringLiteral("Pedido")}, {4.0, QStringLiteral("Valor"), Qt::AlignRight}},
              ReportFont{m_doc.fontSize, true});
        regra();
        if (continuacao)
            continuacao();
    }

    ReportDocument &m_doc;
    const ExtratoEmpresa &m_extrato;
    const std::function<void(int)> &m_onPage;
    double m_esquerda = 0, m_largura = 0, m_fundo = 0, m_y = 0;
};

QString emitente(const ExtratoEmpresa &e)
{
    QString s = e.farmacia.trimmed();
    if (!e.cnpj.trimmed().isEmpty())
        s += (s.isEmpty() ? QString() : QStringLiteral(" - ")) + QStringLiteral("CNPJ ") + formatCnpj(e.cnpj.trimmed());
    return s;
}

QString titulo(const Funcionario &f)
{
    return f.matricula.isEmpty() ? f.nome : QStringLiteral("Matrícula %1 - %2").arg(f.matricula, f.nome);
}

void funcionarios(Paginador &pg, ReportDocument &doc, const QList<Funcionario> &lista)
{
    const ReportFont normal{doc.fontSize, false}, negrito{doc.fontSize, true};
    const double h = reportLineHeight(doc.fontSize);
    for (const Funcionario &f : lista) {
        // The employee's line stays with their first order, and comes again on the next page when
        // their orders go on there.
        pg.linha(0, {{pg.largura(), titulo(f)}}, negrito, h);
        pg.continuacao = [&pg, &f, negrito] {
            pg.linha(0, {{pg.largura(), titulo(f) + QStringLiteral(" (continuação)")}}, negrito);
        };
        const auto fim = qScopeGuard([&pg] { pg.continuacao = nullptr; });
        for (const PedidoEmpresa &p : f.pedidos) {
            const QString data = p.data.toString(QStringLiteral("dd/MM/yy"));
            pg.linha(kRecuo, {{3.0, data}, {4.0, p.numeroTexto()}, {4.0, formatReais(p.valor), Qt::AlignRight}}, normal);
            doc.rows << QStringList{f.matricula, f.nome, data, p.numeroTexto(), formatReais(p.valor)};
        }
        pg.linha(kRecuo, {{7.0, QStringLiteral("Subtotal"), Qt::AlignRight}, {4.0, formatReais(f.subtotal()), Qt::AlignRight}},
                 negrito);
        doc.rows << QStringList{QString(), QString(), QString(), QStringLiteral("Subtotal"), formatReais(f.subtotal())};
        pg.intervalo();
    }
}

}

ReportDocument buildExtratoEmpresaReport(const ExtratoEmpresa &e, const QString &pixPayload,
                                         const std::function<void(int)> &onPage)
{
    ReportDocument doc;
    doc.name = QStringLiteral("Extrato para a empresa");
    doc.title = QStringLiteral("Extrato para a empresa - ") + e.convenio;
    const QString periodo = QStringLiteral("Período: ") + e.inicio.toString(QStringLiteral("dd/MM/yy")) +
                            QStringLiteral(" a ") + e.fim.toString(QStringLiteral("dd/MM/yy"));
    doc.header = {{QStringLiteral("Extrato para a empresa"), {14, true}, Qt::AlignHCenter},
                  {emitente(e), {10, false}, Qt::AlignHCenter},
                  {QStringLiteral("Convênio: ") + e.convenio, {11, true}, Qt::AlignLeft},
                  {periodo, {10, true}, Qt::AlignLeft}};
    doc.columns = {{QStringLiteral("MATRICULA"), QStringLiteral("Matrícula"), 2.5, Qt::AlignLeft, {}},
                   {QStringLiteral("NOME"), QStringLiteral("Nome"), 6.0, Qt::AlignLeft, {}},
                   {QStringLiteral("DATAPEDIDO"), QStringLiteral("Data"), 2.5, Qt::AlignLeft, {}},
                   {QStringLiteral("PEDIDO"), QStringLiteral("Pedido"), 3.0, Qt::AlignLeft, {}},
                   {QStringLiteral("VALOR"), QStringLiteral("Valor"), 3.5, Qt::AlignRight, {}}};
    doc.footer = {QStringLiteral("Página {page} de {pages}"), {8, false}, Qt::AlignRight};

    Paginador pg(doc, e, onPage);
    pg.espaco(0);
    funcionarios(pg, doc, e.funcionarios);
    const ReportFont negrito{doc.fontSize, true};
    if (!e.semMatricula.isEmpty()) {
        pg.linha(0, {{pg.largura(), QStringLiteral("Pedidos sem matrícula (não entram no arquivo de desconto em folha)")}},
                 ReportFont{11, true}, 2 * reportLineHeight(doc.fontSize));
        funcionarios(pg, doc, e.semMatricula);
    }

    const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    const QString resumo = QStringLiteral("Funcionários: %1    Pedidos: %2")
                               .arg(brasil.toString(e.funcionarios.size() + e.semMatricula.size()))
                               .arg(brasil.toString(e.quantidadePedidos()));
    pg.espaco(kGap + reportLineHeight(doc.fontSize));
    pg.regra();
    pg.linha(0, {{9.0, resumo}, {4.0, QStringLiteral("Total:"), Qt::AlignRight}, {4.5, formatReais(e.total()), Qt::AlignRight}},
             negrito);
    doc.totals << QStringList{resumo, QString(), QString(), QStringLiteral("Total:"), formatReais(e.total())};

    if (!pixPayload.isEmpty()) {
        const QImage qr = Pix::qrCode(pixPayload, 8);
        if (!qr.isNull())
            pg.pix(qr, {QStringLiteral("Pague com PIX: ") + formatReais(e.total()), QStringLiteral("PIX copia e cola:")},
                   pixPayload);
        doc.closing << ReportTextLine{QStringLiteral("PIX copia e cola: ") + pixPayload, {8, false}, Qt::AlignLeft};
    }
    pg.rodapes();
    return doc;
}

void acrescentaPix(ReportDocument &doc, const QString &payload, const QStringList &titulos)
{
    const QImage qr = Pix::qrCode(payload, 8);
    if (qr.isNull() || doc.pages.isEmpty())
        return;
    static const QRegularExpression rodape(QStringLiteral("^Página \\d+ de \\d+$"));
    const double largura = doc.pageSize.width() - doc.margins.left() - doc.margins.right();
    const double fundo = doc.pageSize.height() - doc.margins.bottom() - reportLineHeight(doc.footer.font.size) - 0.15;
    const ReportFont negrito{10, true}, pequeno{7.5, false};
    const double texto = largura - kQr - 0.5;
    const QStringList copia = ReportOutput::wrapText(doc, pequeno, payload, texto);
    const double altura = std::max(kQr, titulos.size() * reportLineHeight(10) + copia.size() * reportLineHeight(7.5));

    double y = doc.margins.top();
    for (const PlacedText &t : doc.pages.last().texts)
        if (!rodape.match(t.text).hasMatch())
            y = std::max(y, t.box.bottom());
    for (const QLineF &l : doc.pages.last().rules)
        y = std::max(y, std::max(l.y1(), l.y2()));
    y += 0.5;
    if (y + altura > fundo) {
        doc.pages.append(ReportPage());
        y = doc.margins.top();
    }
    ReportPage &p = doc.pages.last();
    const double x = doc.margins.left();
    p.images << PlacedImage{QRectF(x, y, kQr, kQr), qr};
    double ty = y;
    for (const QString &t : titulos) {
        p.texts << PlacedText{QRectF(x + kQr + 0.5, ty, texto, reportLineHeight(10)), t, negrito, Qt::AlignLeft};
        ty += reportLineHeight(10);
    }
    for (const QString &l : copia) {
        p.texts << PlacedText{QRectF(x + kQr + 0.5, ty, texto, reportLineHeight(7.5)), l, pequeno, Qt::AlignLeft};
        ty += reportLineHeight(7.5);
    }
    doc.closing << ReportTextLine{QStringLiteral("PIX copia e cola: ") + payload, {8, false}, Qt::AlignLeft};

    // The footers again, with the new number of pages.
    const int n = int(doc.pages.size());
    const double h = reportLineHeight(doc.footer.font.size);
    const double topo = doc.pageSize.height() - doc.margins.bottom() - h;
    for (int i = 0; i < n; ++i) {
        auto &texts = doc.pages[i].texts;
        texts.removeIf([](const PlacedText &t) { return rodape.match(t.text).hasMatch(); });
        if (!doc.footer.text.isEmpty())
            texts << PlacedText{QRectF(x, topo, largura, h), footerText(doc.footer.text, i + 1, n), doc.footer.font,
                                doc.footer.align};
    }
}
