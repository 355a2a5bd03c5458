#pragma once
#include "closing/ClosingFigures.h"

#include <QWidget>

class QBarSet;
class QChart;
class QChartView;
class QComboBox;

// The chart beside the closing list: the real orders of the last twelve months, month by month,
// what of them is still open and what was settled, for every convênio or for the one selected in
// the list.
class GraficoMeses : public QWidget {
    Q_OBJECT
public:
    explicit GraficoMeses(QWidget *parent = nullptr);

    // Draws the months of `convenio` when the choice is the selected convênio, of all otherwise.
    void mostra(const YearOfMonths &meses, const QString &convenio);
    // While the months are being read: no bars, and `texto` in the title.
    void aguarda(const QString &texto);
    bool doSelecionado() const;
    // The chart as printed with the closing, at that size in pixels.
    QImage imagem(const QSize &tamanho) const;

    QComboBox *ComboAlcance;   // "Convênio selecionado" or "Todos os convênios"
    QChartView *Grafico;
    QBarSet *SerieAberto = nullptr, *SerieQuitado = nullptr;

signals:
    void alcanceMudou();

private:
    QChart *m_chart;
    QList<QDate> m_meses;
    QList<MonthFigures> m_figuras;
    QString m_titulo;
};
