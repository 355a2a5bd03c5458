#pragma once
#include "closing/ClosingFigures.h"

#include <QFrame>
#include <QHash>
#include <memory>

class CentralData;
class DBGrid;
class DBText;
class QLabel;
class QPushButton;
class ReportModule;
struct Sessao;

// The closing list "Fechamento no Período": every convênio with its amount to pay and its due day,
// the period it was confirmed for, and the commands to print the closing and to go back.
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

    QLabel *Panel1;         // title bar "Fechamento no Período"
    QLabel *LabelPeriodo;   // "Período: "
    DBText *DBText1 = nullptr;   // initial date (bound when the interface module exists)
    QLabel *LabelA;         // "a"
    DBText *DBText2 = nullptr;   // final date
    QPushButton *btn1;      // "Imprimir"
    QPushButton *BitBtn3;   // "Voltar"
    QPushButton *BotPlanilha;   // "Planilha": the list as a spreadsheet
    DBGrid *DBGrid1;
    // The totals row under the list: the stored amounts, the open orders and what they still owe.
    QLabel *LabelTotal, *LabelTotalValor, *LabelTotalPedidos, *LabelTotalAberto;

    static constexpr int ListWidth = 699;   // the grid; the panel is 24 wider

    static const QString ReportName;   // "rptFechPeriodo"

signals:
    // Voltar: the register commands come back.
    void voltou();

public slots:
    void BotVoltarDebClick();
    void btn1Click();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;   // Esc: Voltar

private:
    void ligaPeriodo();
    void criaLinhaDeTotais();
    void posicionaTotais();
    void somaTotais();
    QHash<QString, OpenOrders> figurasDoPeriodo() const;

    CentralData &m_dm;
    Sessao &m_sessao;
    std::unique_ptr<ReportModule> m_rm;
    // Of the period the list was opened for (or printed for).
    std::shared_ptr<QHash<QString, OpenOrders>> m_figuras = std::make_shared<QHash<QString, OpenOrders>>();
};
