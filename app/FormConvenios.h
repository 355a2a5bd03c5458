#pragma once
#include "closing/PeriodDialog.h"

#include <QFrame>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <QLabel>
#include <QWidget>

class QWindow;

class CentralData;
class ClosingPanel;
class DBNavigator;
class Login;
class LoginPanel;
class WaitPanel;
class RegisterPanel;
class ConvenioSearch;
class SearchNamePanel;
class SearchListPanel;
struct Sessao;

// The main window: the button bar with the navigator and the four speed buttons, the register panel
// with its fields and its command column, and the login panel. It owns the panels that the other
// commands show over the register.
class FormConvenios : public QWidget {
    Q_OBJECT
public:
    explicit FormConvenios(Sessao &sessao, QWidget *parent = nullptr);
    ~FormConvenios() override;

    // Loads the configuration; false when PRAXOLIN.INI is missing (the program must then end).
    bool FormCreate();
    // Binds the window to the central data module; called once the module exists.
    void attach(CentralData &dm);
    // The command line of the program (arguments only, without the program itself).
    void setCommandLine(const QStringList &args) { m_args = args; }

    void DesabilitaBotoes();
    void HabilitaBotoes();
    void SairDoCadastro();
    // The session ends the program: every other window of the program is closed and the main window
    // closes as its close box closes it, with no message box in between.
    void encerraPorSinal();
    // The status line says for a while that a broken link to the server was repaired.
    void avisaReconexao();

    // Components, named as the suite names them.
    QFrame *pnlBotoes = nullptr;
    DBNavigator *DBNavigator6 = nullptr;
    QToolButton *btnPesquisar = nullptr;
    QToolButton *btnExtrato = nullptr;
    QToolButton *btnQuitar = nullptr;
    QToolButton *btnSair = nullptr;
    QFrame *PainelConvenios = nullptr;
    // The status line under the register: who works, where, and for which cash register.
    QLabel *BarraDeStatus = nullptr;
    // Above the status line, while the command column lies beyond the window's edge: its keys.
    QLabel *TeclasDaColuna = nullptr;
    RegisterPanel *cadastro = nullptr;   // the register of convênios
    QPushButton *BotSairConv = nullptr;
    QPushButton *BotPesqConvenio = nullptr;
    QPushButton *BitBtn2 = nullptr;
    QPushButton *BotQuitaConvenio = nullptr;
    QPushButton *BotTotalizaDeb = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BotQuitacoes = nullptr;   // the settlements of the convênio
    // The convênio search and its two panels over the register.
    ConvenioSearch *pesquisa = nullptr;
    SearchNamePanel *PainelPesqNomeConv = nullptr;
    SearchListPanel *PainelPesqConv = nullptr;
    LoginPanel *PainelLogin = nullptr;
    WaitPanel *PainelAguarde = nullptr;
    Login *login = nullptr;
    // The period dialog of Totalizar, Quitar and Extrato, and the closing list.
    PeriodDialog *PainelPeriodo3 = nullptr;
    ClosingPanel *Painel_Total_Debito = nullptr;

    // True once FormShow ran.
    bool shown() const { return m_shown; }
    // The user (or a signal) gave up reaching the database server: the program ends.
    bool desistiu() const { return m_desistiu; }

signals:
    // The user is on the register (stored logon accepted or login done).
    void registerReady();

public slots:
    void FormShow();
    void FormActivate();
    void BotSairConvClick();
    void act_SairExecute();
    void BotCancSenhaClick();
    void BitBtn1Click();   // "Desc./Classe"
    // The commands that open the period dialog.
    void BotTotalizaDebClick();
    void BotQuitaConvenioClick();
    void act_QuitarExecute();
    void BitBtn2Click();
    void act_ExtratoExecute();
    void BotQuitacoesClick();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    // Each subsystem's panels are created and their commands connected in its own function.
    void wireLogin();       // login panel, workstation check, sibling programs
    void usuarioLogado();   // after a successful login: the register and the workstation check
    void wireRegister();    // register rules and search panels
    void wirePeriod();      // period dialog, closing list, report printing
    void wireStatement();   // statement window
    void abreExtrato(const PeriodDialog::Escolha &escolha);
    void wireSettlement();  // convênio settlement
    void quitaConvenio(const PeriodDialog::Escolha &escolha);
    void habilitaComandos(bool on);
    void quitacaoEmCurso(bool sim);
    void buildStatusLine();
    void posicionaPaineis();
    void focoSoNoQueSeVe();
    int alturaDoStatus() const;
    int alturaDasTeclas() const;
    void mostraStatus();
    bool teclaDoNavegador(const QKeyEvent *e);
    void buildButtonBar();
    void buildRegisterPanel();
    void leLinhaDeComando();
    void aplicaCorDeFundo();
    void preencheListas();
    void preencheCategorias();
    bool conectaAoServidor();
    bool sessaoGravadaAceita();
    void mostraLogin();
    void FormClose();
    void focoMudou(QWindow *window);

    Sessao &m_sessao;
    CentralData *m_dm = nullptr;
    QString m_areaDeTrabalho;  // the workstation's work area, when the workstation check ran
    QString m_aviso;           // a notice the status line shows after the session's parts
    QStringList m_args;
    bool m_shown = false;
    bool m_closing = false;
    bool m_quitando = false;          // a settlement runs under the wait panel
    bool m_navegadorAntes = true;     // the navigator's state before it
    bool m_closed = false;
    bool m_desistiu = false;   // the attach to the server was given up
    bool m_conectando = false; // the server is being reached
    // The last failure of the register's database that was shown; the same one is not shown again
    // at every activation of the window.
    QString m_falhaBanco;
    // The focus went to another application (or to no window at all) since this window was last
    // activated.
    bool m_focoForaDoPrograma = false;
};

