#pragma once
#include "settlement/Posting.h"
#include "settlement/Registro.h"

#include <QDate>
#include <QDialog>
#include <functional>
#include <memory>

class CentralData;
class Connection;
struct Sessao;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class ReportModule;
class WaitPanel;

// Asks for the reason of a reversal and a supervisor's name and password: Enter reverses once they
// are typed and the supervisor is confirmed, Esc cancels.
class EstornoDialog : public QDialog {
    Q_OBJECT
public:
    // `estorno`: who reverses and where (the cash register whose session receives the counter-movements).
    EstornoDialog(const Registro::Quitacao &quitacao, const ContextoQuitacao &estorno, QWidget *parent = nullptr);
    // What the reversal will do, as the question says it.
    static QString pergunta(const Registro::Quitacao &quitacao, const ContextoQuitacao &estorno);
    QString motivo() const;
    QString supervisor() const;
    // Checks the supervisor's name and password when Estornar is pressed: an empty answer lets the
    // dialog close, any other is shown and the dialog stays.
    std::function<QString(const QString &supervisor, const QString &senha)> confere;

    QLabel *Pergunta;
    QLineEdit *EditMotivo;
    QLineEdit *EditSupervisor;
    QLineEdit *EditSenha;
    QPushButton *BotEstornar;
    QPushButton *BotCancelar;
};

// The settlements of a convênio, newest first, with their totals and state: from here the user
// prints a settlement's receipt or reverses it.
class QuitacoesWindow : public QDialog {
    Q_OBJECT
public:
    // The session says who reverses, on which workstation and cash register.
    QuitacoesWindow(Sessao &sessao, const QString &convenio, QWidget *parent = nullptr);
    ~QuitacoesWindow() override;
    // Shows the list of a convênio's settlements, or says that the central database keeps no record.
    static void mostra(Sessao &sessao, const QString &convenio, QWidget *parent);

    QTableWidget *Lista;
    QPushButton *BotComprovante;
    QPushButton *BotEstornar;
    QPushButton *BotEmail;   // "Enviar por e-mail": the receipt to the company
    QPushButton *BotPlanilha;   // "Planilha": the settlements shown, as a spreadsheet
    QPushButton *BotImprimir;   // "Imprimir": the settlements shown, as a document
    QPushButton *BotFechar;
    QLabel *LabelSupervisores;
    QLabel *LabelTotais;
    QLabel *LabelAguarde;   // "Aguardando outra estação liberar o convênio…" while a reversal waits
    WaitPanel *PainelAguarde;   // over the list while a reversal runs, with Cancelar over a network
    QCheckBox *CheckTodos;
    QDateEdit *EditDe;
    QDateEdit *EditAte;
    QLineEdit *EditBusca;
    static inline const QDate SemLimite{2000, 1, 1};   // a day field at it sets no limit

    // What "Enviar por e-mail" does with the current settlement (the billing windows set it at
    // start-up); the button shows only when it is set.
    using EnvioPorEmail = std::function<void(QWidget *parent, Connection &central, const Registro::Quitacao &,
                                             const ContextoQuitacao &quem)>;
    static inline EnvioPorEmail enviaPorEmail;
    // What "Planilha" does with the settlements shown (set at start-up); the button shows only when set.
    using PlanilhaDaLista = std::function<void(QWidget *parent, const QList<Registro::Quitacao> &mostradas)>;
    static inline PlanilhaDaLista salvaPlanilha;
    // The settlements of the rows shown, in their order.
    QList<Registro::Quitacao> mostradas() const;

    void Atualiza();
    void BotComprovanteClick();
    void BotImprimirClick();
    // The report module the list is printed through (tests put their own preview on it).
    ReportModule &RM();
    void BotEstornarClick();
    // The settlement of the current row, if any.
    const Registro::Quitacao *atual() const;

private:
    void habilita();
    void estornoEmCurso(bool sim);
    void filtra();
    void mostraTotais();

    CentralData &m_dm;
    QString m_convenio;
    ContextoQuitacao m_estorno;   // who reverses, where
    bool m_soNoCaixa;             // reversals, as settlements, only at the cash register
    QList<Registro::Quitacao> m_quitacoes;
    std::unique_ptr<ReportModule> m_rm;
};
