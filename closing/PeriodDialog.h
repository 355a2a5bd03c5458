#pragma once
#include "data/Periodo.h"

#include <QDate>
#include <QFrame>
#include <QPoint>
#include <functional>

class CachedTable;
class CentralData;
class DBMaskEdit;
class MaskEdit;
class QLabel;
class QPushButton;
struct Sessao;

// The period dialog shared by Totalizar, Quitar and Extrato: the initial and final dates of the
// stored period record and, for Quitar, the payment date. Confirming stores the period and hands
// what was chosen (the register's current convênio, the period, the payment date) to the mode's work.
class PeriodDialog : public QFrame {
    Q_OBJECT
public:
    enum Modo { Totalizar = 1, Quitar = 2, Extrato = 3 };

    PeriodDialog(CentralData &dm, Sessao &sessao, QWidget *parent = nullptr);

    // Opens the dialog in a mode at a position (within the register panel). `okCaption` replaces the
    // OK button's caption; a null text keeps the caption of the previous opening.
    void Abre(Modo modo, const QPoint &position, const QString &okCaption);

    int Tag = 0;   // the mode

    QLabel *Panel67;              // title bar "Período"
    QFrame *bvl1;
    QLabel *Label283;             // "Data Inicial"
    DBMaskEdit *DBEdit16;         // DATAINICIAL
    QLabel *Label316;             // "Data Final"
    DBMaskEdit *DBEdit84;         // DATAFINAL
    QLabel *LabelDataPag;         // "Data Pagamento"
    MaskEdit *EditDataPagamento;
    QPushButton *BotTotaliza3;    // OK
    QPushButton *BotCancTotConv;  // Cancelar

    // What the dialog was last confirmed with.
    struct Escolha {
        QString convenio;   // the register's current convênio (40); empty when none
        Periodo periodo;    // the stored period
        QDate pagamento;    // the payment date typed in Quitar mode
    };
    const Escolha &escolha() const { return m_escolha; }
    // The payment date typed in Quitar mode.
    QDate dataPagamento() const;

    // The work of modes 2 and 3, run after the period is stored; when unset, the mode just ends.
    std::function<void(const Escolha &)> onQuitar;
    std::function<void(const Escolha &)> onExtrato;

signals:
    // Mode 1 was confirmed on `convenio`: the closing list takes over (the register commands stay
    // disabled).
    void totalizar(const QString &convenio);
    // The dialog's work ended (Cancelar, or the end of modes 2 and 3): the register commands come back.
    void encerrado();

public slots:
    void BotTotaliza3Click();
    void BotCancTotConvClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;   // Esc: Cancelar

private:
    CachedTable &periodo();
    void abrePeriodo();   // the period record opened and put into editing (a new one when none)
    bool gravaPeriodo();

    CentralData &m_dm;
    Sessao &m_sessao;
    Escolha m_escolha;
};
