#pragma once
#include "closing/ClosingFigures.h"

#include <QDate>
#include <QFrame>
#include <QHash>
#include <array>
#include <functional>
#include <memory>

class CentralData;
class DBGrid;
class DBText;
class GraficoMeses;
class LeituraDosMeses;
class QLabel;
class QPushButton;
class ReportModule;
class WrappingHeader;
struct Sessao;

// The closing list "Fechamento no Período": every convênio with its amount to pay and its due day,
// what its open orders of the period still owe and how old they are, the chart of the last twelve
// months, the period it was confirmed for, and the commands to print the closing and to go back.
class ClosingPanel : public QFrame {
    Q_OBJECT
public:
    ClosingPanel(CentralData &dm, Sessao &sessao, QWidget *parent = nullptr);
    ~ClosingPanel() override;

    // Shows the list after the period dialog was confirmed in Totalizar mode, positioned on
    // `convenio`.
    void Totaliza(const QString &convenio);

    // The report module, created at its first use with the data connections of the closing.
    ReportModule &RM();

    // The day the orders' ages are counted to and the chart's last month; today unless a test
    // sets it.
    QDate referencia() const { return m_referencia.isValid() ? m_referencia : QDate::currentDate(); }
    void setReferencia(const QDate &dia) { m_referencia = dia; }

    // Double-click on a row: the statement of that convênio for the period. When unset, nothing opens.
    std::function<void(const QString &convenio)> onExtrato;

    QLabel *Panel1;         // title bar "Fechamento no Período"
    QLabel *LabelPeriodo;   // "Período: "
    DBText *DBText1 = nullptr;   // initial date (bound when the interface module exists)
    QLabel *LabelA;         // "a"
    DBText *DBText2 = nullptr;   // final date
    QPushButton *btn1;      // "Imprimir"
    QPushButton *BitBtn3;   // "Voltar"
    QPushButton *BotPlanilha;   // "Planilha": the list as a spreadsheet
    DBGrid *DBGrid1;
    WrappingHeader *Cabecalho;   // the list's titles, broken onto lines where a column is narrow
    // The totals row under the list: the stored amounts, the open orders, what they still owe and
    // its ages.
    QLabel *LabelTotal, *LabelTotalValor, *LabelTotalPedidos, *LabelTotalAberto;
    std::array<QLabel *, 4> LabelTotalIdade{};
    GraficoMeses *Grafico;

    static const QString ReportName;   // "rptFechPeriodo"

signals:
    // Voltar: the register commands come back.
    void voltou();

public slots:
    void BotVoltarDebClick();
    void btn1Click();
    void DBGrid1DblClick();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;   // Esc: Voltar
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ligaPeriodo();
    void criaLista();
    void criaLinhaDeTotais();
    void posicionaTotais();
    void somaTotais();
    void ajustaColunas();
    void ocupaOPainel();
    void releLista(const QString &convenio);
    void mostraGrafico();
    void mostraMesesDeTodos(const YearOfMonths &meses);
    // Reads the chart's months when the list was read again since.
    void carregaGrafico();
    QString convenioDaLinha() const;
    QHash<QString, OpenOrders> figurasDoPeriodo() const;

    CentralData &m_dm;
    Sessao &m_sessao;
    std::unique_ptr<ReportModule> m_rm;
    QDate m_referencia;
    // Of the period the list was opened for (or printed for).
    std::shared_ptr<QHash<QString, OpenOrders>> m_figuras = std::make_shared<QHash<QString, OpenOrders>>();
    YearOfMonths m_meses;   // of every convênio, once asked for
    bool m_mesesDeTodos = false;
    LeituraDosMeses *m_leituraDeTodos;   // every convênio's months, read in the background
    QHash<QString, YearOfMonths> m_mesesDoConvenio;
    bool m_graficoPendente = false;
};
