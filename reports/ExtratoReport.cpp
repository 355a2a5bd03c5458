#include "reports/ExtratoReport.h"

#include "reports/ReportLayout.h"
#include "reports/ReportOutput.h"

#include <QRegularExpression>

namespace {

const QLocale &brasil()
{
    static const QLocale locale(QLocale::Portuguese, QLocale::Brazil);
    return locale;
}

constexpr double kGap = 0.12;        // cm between blocks
constexpr double kIndent = 0.8;      // cm of each detail level

struct Cell {
    double width;   // cm
    QString text;
    Qt::Alignment align = Qt::AlignLeft;
};

// Numbers of the detail lines: quantities with two places, doses with as many as they need.
QString quantidade(const QVariant &v) { return formatReportValue(v, QStringLiteral("#,##0.00"), brasil()); }

QString dose(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    return brasil().toString(v.toDouble(), 'f', QLocale::FloatingPointShortest);
}

QString inteiro(const QVariant &v) { return v.isValid() && !v.isNull() ? brasil().toString(v.toLongLong()) : QString(); }

class StatementPager {
public:
    StatementPager(ReportDocument &doc, const ExtratoData &data, const std::function<void(int)> &onPage)
        : m_doc(doc), m_data(data), m_onPage(onPage)
    {
        m_left = doc.margins.left();
        m_width = doc.pageSize.width() - doc.margins.left() - doc.margins.right();
        m_bottom = doc.pageSize.height() - doc.margins.bottom() - reportLineHeight(doc.footer.font.size) - kGap;
    }

    // Starts a page unless `height` more centimetres fit on this one.
    void room(double height)
    {
        if (m_doc.pages.isEmpty() || m_y + height > m_bottom + 1e-9)
            newPage();
    }

    // A row of cells from `indent` on; each cell's text wraps inside its width, and the row is as
    // high as its tallest cell. The row moves to a new page whole when it does not fit.
    void row(double indent, const QList<Cell> &cells, const ReportFont &font, double keepWithNext = 0)
    {
        QList<QStringList> lines;
        int tallest = 1;
        for (const Cell &c : cells) {
            lines << ReportOutput::wrapText(m_doc, font, c.text, c.width - 2 * kPadding);
            tallest = std::max(tallest, int(lines.last().size()));
        }
        const double h = reportLineHeight(font.size);
        room(tallest * h + keepWithNext);
        double x = m_left + indent;
        for (int i = 0; i < cells.size(); ++i) {
            for (int l = 0; l < lines[i].size(); ++l)
                page().texts << PlacedText{QRectF(x + kPadding, m_y + l * h, cells[i].width - 2 * kPadding, h),
                                           lines[i][l], font, cells[i].align};
            x += cells[i].width;
        }
        m_y += tallest * h;
    }

    void rule(double indent = 0)
    {
        m_y += kGap / 2;
        page().rules << QLineF(m_left + indent, m_y, m_left + m_width, m_y);
        m_y += kGap / 2;
    }

    void gap() { m_y += kGap; }

    void footers()
    {
        const double h = reportLineHeight(m_doc.footer.font.size);
        const double top = m_doc.pageSize.height() - m_doc.margins.bottom() - h;
        const int count = int(m_doc.pages.size());
        for (int p = 0; p < count; ++p)
            m_doc.pages[p].texts << PlacedText{QRectF(m_left, top, m_width, h), footerText(m_doc.footer.text, p + 1, count),
                                               m_doc.footer.font, m_doc.footer.align};
    }

    static constexpr double kPadding = 0.08;

private:
    ReportPage &page() { return m_doc.pages.last(); }

    void newPage()
    {
        m_doc.pages.append(ReportPage());
        if (m_onPage)
            m_onPage(int(m_doc.pages.size()));
        m_y = m_doc.margins.top();
        for (const ReportTextLine &l : m_doc.header) {
            const double h = reportLineHeight(l.font.size);
            for (const QString &text : ReportOutput::wrapText(m_doc, l.font, l.text, m_width)) {
                page().texts << PlacedText{QRectF(m_left, m_y, m_width, h), text, l.font, l.align};
                m_y += h;
            }
        }
        // The moment of issue on the period's line, at the right.
        const ReportFont small{8, false};
        const double h = reportLineHeight(m_doc.header.last().font.size);
        page().texts << PlacedText{QRectF(m_left, m_y - h, m_width, h), emissao(), small, Qt::AlignRight};
        rule();
        QList<Cell> titles;
        for (const ReportColumn &c : m_doc.columns)
            titles << Cell{c.width, c.title, c.align};
        row(0, titles, ReportFont{m_doc.fontSize, true});
        rule();
    }

    QString emissao() const
    {
        return QStringLiteral("Emitido em ") + m_data.emissao.toString(QStringLiteral("dd/MM/yyyy")) +
               QStringLiteral(" às ") + m_data.emissao.toString(QStringLiteral("HH:mm"));
    }

    ReportDocument &m_doc;
    const ExtratoData &m_data;
    const std::function<void(int)> &m_onPage;
    double m_left = 0, m_width = 0, m_bottom = 0, m_y = 0;
};

QString periodo(const ExtratoData &d)
{
    return QStringLiteral("Período: ") + d.inicio.toString(QStringLiteral("dd/MM/yy")) + QStringLiteral(" a ") +
           d.fim.toString(QStringLiteral("dd/MM/yy"));
}

QString emitente(const ExtratoData &d)
{
    QString s = d.farmacia.trimmed();
    const QString cnpj = d.cnpj.trimmed();
    if (!cnpj.isEmpty())
        s += (s.isEmpty() ? QString() : QStringLiteral(" - ")) + QStringLiteral("CNPJ ") + formatCnpj(cnpj);
    return s;
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

QString formatCnpj(const QString &cnpj)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{14}$"));
    if (!digits.match(cnpj).hasMatch())
        return cnpj;
    return cnpj.mid(0, 2) + QLatin1Char('.') + cnpj.mid(2, 3) + QLatin1Char('.') + cnpj.mid(5, 3) + QLatin1Char('/') +
           cnpj.mid(8, 4) + QLatin1Char('-') + cnpj.mid(12, 2);
}

ReportDocument buildExtratoReport(const ExtratoData &data, const std::function<void(int)> &onPage)
{
    ReportDocument doc;
    doc.name = QStringLiteral("Extrato do convênio");
    doc.title = QStringLiteral("Extrato do convênio ") + data.convenio;
    // Products, formulas and doctors are health data: this one stays in the pharmacy; the company
    // receives its own statement, without them.
    doc.header = {{QStringLiteral("Extrato do convênio - uso interno da farmácia"), {14, true}, Qt::AlignHCenter},
                  {emitente(data), {10, false}, Qt::AlignHCenter},
                  {QStringLiteral("Convênio: ") + data.convenio, {11, true}, Qt::AlignLeft},
                  {periodo(data), {10, true}, Qt::AlignLeft}};
    doc.columns = {{QStringLiteral("DATAPEDIDO"), QStringLiteral("Data"), 2.2, Qt::AlignLeft, {}},
                   {QStringLiteral("PEDIDO"), QStringLiteral("Pedido"), 2.5, Qt::AlignLeft, {}},
                   {QStringLiteral("NOME"), QStringLiteral("Cliente"), 5.2, Qt::AlignLeft, {}},
                   {QStringLiteral("MEDICO"), QStringLiteral("Médico"), 4.3, Qt::AlignLeft, {}},
                   {QStringLiteral("VALORRESTANTE"), QStringLiteral("Valor restante"), 3.3, Qt::AlignRight, {}}};
    doc.footer = {QStringLiteral("Página {page} de {pages}"), {8, false}, Qt::AlignRight};

    const ReportFont bold{doc.fontSize, true};
    const ReportFont detalhe{8.5, false}, titulo{8.5, true};
    const double linha = reportLineHeight(doc.fontSize), linhaDetalhe = reportLineHeight(detalhe.size);
    StatementPager pager(doc, data, onPage);
    pager.room(0);

    for (const StatementOrder &o : data.pedidos) {
        const QStringList pedido{o.data.toString(QStringLiteral("dd/MM/yy")),
                                 o.estacao + QLatin1Char('-') + QString::number(o.numero), o.cliente, o.medico,
                                 valor(o.restante)};
        doc.rows << pedido;
        QList<Cell> cells;
        for (int c = 0; c < doc.columns.size(); ++c)
            cells << Cell{doc.columns[c].width, pedido[c], doc.columns[c].align};
        // An order's line stays with the titles and first line of its details.
        const bool temDetalhe = !o.itens.isEmpty() || !o.formulas.isEmpty();
        pager.row(0, cells, bold, temDetalhe ? 2 * linhaDetalhe : 0);

        if (!o.itens.isEmpty()) {
            pager.row(kIndent, {{9.5, QStringLiteral("Produto")}, {2.5, QStringLiteral("Quantidade"), Qt::AlignRight},
                                {1.9, QStringLiteral("Unidade")}},
                      titulo, linhaDetalhe);
            for (const StatementItem &i : o.itens) {
                pager.row(kIndent, {{9.5, i.descricao}, {2.5, quantidade(i.quantidade), Qt::AlignRight}, {1.9, i.unidade}},
                          detalhe);
                doc.rows << QStringList{QString(), QString(), i.descricao,
                                        (quantidade(i.quantidade) + QLatin1Char(' ') + i.unidade).trimmed(), QString()};
            }
        } else {
            for (const StatementFormula &f : o.formulas) {
                pager.row(kIndent,
                          {{1.6, QStringLiteral("Fórmula")}, {4.2, QStringLiteral("Forma farmacêutica")},
                           {1.8, QStringLiteral("Frascos"), Qt::AlignRight}, {2.2, QStringLiteral("Caps/Doses"), Qt::AlignRight},
                           {2.4, QStringLiteral("Volume"), Qt::AlignRight}, {1.9, QStringLiteral("Unidade")}},
                          titulo, linhaDetalhe);
                pager.row(kIndent,
                          {{1.6, QString::number(f.numero)}, {4.2, f.formaFarmaceutica},
                           {1.8, inteiro(f.frascos), Qt::AlignRight}, {2.2, inteiro(f.capsulas), Qt::AlignRight},
                           {2.4, quantidade(f.volume), Qt::AlignRight}, {1.9, f.unidade}},
                          detalhe);
                doc.rows << QStringList{QString(), QString(),
                                        QStringLiteral("Fórmula %1: %2").arg(f.numero).arg(f.formaFarmaceutica),
                                        (quantidade(f.volume) + QLatin1Char(' ') + f.unidade).trimmed(), QString()};
                if (f.componentes.isEmpty())
                    continue;
                pager.row(2 * kIndent, {{7.0, QStringLiteral("Componente")}, {2.5, QStringLiteral("Dose"), Qt::AlignRight},
                                        {1.9, QStringLiteral("Unidade")}},
                          titulo, linhaDetalhe);
                for (const StatementComponent &c : f.componentes) {
                    pager.row(2 * kIndent, {{7.0, c.componente}, {2.5, dose(c.dose), Qt::AlignRight}, {1.9, c.unidade}},
                              detalhe);
                    doc.rows << QStringList{QString(), QString(), QStringLiteral("   ") + c.componente,
                                            (dose(c.dose) + QLatin1Char(' ') + c.unidade).trimmed(), QString()};
                }
            }
        }
        pager.gap();
    }

    // The totals: how many orders and what they still owe, the figure of the statement window.
    const QString quantos = QStringLiteral("Pedidos em aberto: ") + brasil().toString(data.pedidos.size());
    const QString total = formatReais(data.total());
    pager.room(kGap + linha);
    pager.rule();
    pager.row(0, {{8.0, quantos}, {6.5, QStringLiteral("Total em aberto:"), Qt::AlignRight}, {3.0, total, Qt::AlignRight}},
              bold);
    doc.totals << QStringList{quantos, QString(), QString(), QStringLiteral("Total em aberto:"), total};
    pager.footers();
    return doc;
}
