#include "closing/GraficoMeses.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLabel>
#include <QPainter>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <QVBoxLayout>

namespace {

// Fills a chart with the months' stacked bars: what is open, and on top what was settled.
void preenche(QChart *chart, const QList<QDate> &meses, const QList<MonthFigures> &figuras, const QString &titulo)
{
    chart->removeAllSeries();
    for (QAbstractAxis *eixo : chart->axes())
        chart->removeAxis(eixo);
    auto *aberto = new QBarSet(QStringLiteral("Em aberto (R$)"));
    aberto->setColor(QColor(0xc0, 0x39, 0x2b));
    auto *quitado = new QBarSet(QStringLiteral("Quitado (R$)"));
    quitado->setColor(QColor(0x2e, 0x86, 0x4b));
    QStringList nomes;
    double maior = 0;
    for (qsizetype m = 0; m < figuras.size(); ++m) {
        *aberto << figuras[m].open.toDouble();
        *quitado << figuras[m].settled.toDouble();
        maior = std::max(maior, figuras[m].open.toDouble() + figuras[m].settled.toDouble());
        // "jan/26": the short month name without the abbreviation's point some locales give it.
        const QDate mes = meses.value(m);
        nomes << QLocale().standaloneMonthName(mes.month(), QLocale::ShortFormat).remove(QLatin1Char('.')) +
                     QLatin1Char('/') + mes.toString(QStringLiteral("yy"));
    }
    auto *serie = new QStackedBarSeries;
    serie->append(aberto);
    serie->append(quitado);
    chart->addSeries(serie);
    auto *eixoX = new QBarCategoryAxis;
    eixoX->append(nomes);
    auto *eixoY = new QValueAxis;
    eixoY->setRange(0, maior > 0 ? maior * 1.05 : 1);
    eixoY->setLabelFormat(QStringLiteral("%.0f"));
    eixoY->setTickCount(4);
    eixoY->applyNiceNumbers();
    eixoY->setTruncateLabels(false);   // a short chart would cut the amounts to "..."
    chart->addAxis(eixoX, Qt::AlignBottom);
    chart->addAxis(eixoY, Qt::AlignLeft);
    serie->attachAxis(eixoX);
    serie->attachAxis(eixoY);
    chart->setTitle(titulo);
}

QChart *novoGrafico()
{
    auto *chart = new QChart;
    chart->setLocalizeNumbers(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    return chart;
}

}

GraficoMeses::GraficoMeses(QWidget *parent) : QWidget(parent), m_chart(novoGrafico())
{
    setObjectName(QStringLiteral("GraficoMeses"));
    ComboAlcance = new QComboBox(this);
    ComboAlcance->setObjectName(QStringLiteral("ComboAlcance"));
    // The selected convênio first: its year of orders is read at once; every convênio's is a year of
    // the whole pharmacy's orders, read when asked for.
    ComboAlcance->addItems({QStringLiteral("Convênio selecionado"), QStringLiteral("Todos os convênios")});
    ComboAlcance->setFocusPolicy(Qt::TabFocus);
    auto *rotulo = new QLabel(QStringLiteral("Últimos 12 meses de:"), this);
    rotulo->setBuddy(ComboAlcance);

    Grafico = new QChartView(m_chart, this);
    Grafico->setObjectName(QStringLiteral("Grafico"));
    Grafico->setRenderHint(QPainter::Antialiasing);

    auto *topo = new QHBoxLayout;
    topo->setContentsMargins(0, 0, 0, 0);
    topo->addWidget(rotulo);
    topo->addWidget(ComboAlcance);
    topo->addStretch();
    auto *coluna = new QVBoxLayout(this);
    coluna->setContentsMargins(0, 0, 0, 0);
    coluna->setSpacing(2);
    coluna->addLayout(topo);
    coluna->addWidget(Grafico, 1);
    connect(ComboAlcance, &QComboBox::currentIndexChanged, this, &GraficoMeses::alcanceMudou);
}

void GraficoMeses::aguarda(const QString &texto)
{
    m_chart->removeAllSeries();
    for (QAbstractAxis *eixo : m_chart->axes())
        m_chart->removeAxis(eixo);
    SerieAberto = SerieQuitado = nullptr;
    m_figuras.clear();
    m_titulo = texto;
    m_chart->setTitle(texto);
}

bool GraficoMeses::doSelecionado() const { return ComboAlcance->currentIndex() == 0; }

void GraficoMeses::mostra(const YearOfMonths &meses, const QString &convenio)
{
    const bool um = doSelecionado();
    m_meses = meses.months;
    // A convênio without orders of the months has none to show; no name at all is no convênio.
    m_figuras = meses.of(um ? (convenio.isNull() ? QStringLiteral("") : convenio) : QString());
    m_titulo = um ? QStringLiteral("Pedidos por mês de %1: em aberto e quitado").arg(convenio)
                  : QStringLiteral("Pedidos por mês de todos os convênios: em aberto e quitado");
    preenche(m_chart, m_meses, m_figuras, m_titulo);
    const auto conjuntos = static_cast<QStackedBarSeries *>(m_chart->series().constFirst())->barSets();
    SerieAberto = conjuntos.value(0);
    SerieQuitado = conjuntos.value(1);
}

QImage GraficoMeses::imagem(const QSize &tamanho) const
{
    // Drawn apart from the window, at the printed size, so the window's chart keeps its own; laid
    // out at once, since nothing is shown to wait for.
    QGraphicsScene cena;
    QChart *grafico = novoGrafico();
    cena.addItem(grafico);
    preenche(grafico, m_meses, m_figuras, m_titulo);
    const QRectF area(QPointF(0, 0), QSizeF(tamanho));
    grafico->setGeometry(area);
    grafico->layout()->activate();
    QImage out(tamanho, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    cena.render(&p, area, area);
    return out;
}
