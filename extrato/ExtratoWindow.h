#pragma once
#include "billing/window/Faturamento.h"
#include "settlement/windows/Confirmacao.h"
#include "controls/Edit.h"
#include "extrato/DetalhesDaLista.h"
#include "data/CachedTable.h"

#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <optional>

class CachedTable;
class CentralData;
class InterfaceData;
class DBGrid;
class ReportModule;
class WaitPanel;
struct Sessao;

// The statement of a convênio: its open orders of the stored period with the total still owed, the
// payment date for settling, and what the selected order is made of. Created modally for one
// statement and destroyed when it closes. From the list the user settles the selected order or the
// whole period, and redefines the period with Shift, a click and Shift+Down until Esc.
class ExtratoWindow : public QDialog {
    Q_OBJECT
public:
    ExtratoWindow(Sessao &sessao, const QString &convenio, QWidget *parent = nullptr);
    ~ExtratoWindow() override;
    // The period the user has just confirmed and the period dialog stored: the window starts from
    // it instead of reading the stored period again.
    void comecaNoPeriodo(const Periodo &periodo) { m_periodoInicial = periodo; }

    // Statement state.
    QString DiSQL, DfSQL, DiTexto, DfTexto;
    bool Redefinindo = false;

    // Components.
    QLabel *LabelQuantidade;   // how many orders the list holds
    QLabel *Label1, *Label6, *Label2, *LabelDi, *Label3, *LabelDf, *Label7, *Label8, *Label9, *Label4, *Label5;
    DBGrid *DBGrid1, *DBGrid2, *DBGrid3, *DBGrid4;
    QPushButton *BitBtn1, *BitBtn3, *BitBtn4;
    QPushButton *BotImprimir;   // "&Imprimir": the detailed statement, the pharmacy's internal document
    QPushButton *BotEmail;      // "Enviar por e-mail": the company's statement and its files
    QPushButton *BotEmpresa;    // the company's statement, spreadsheet and payroll file, and the billing settings
    Edit *MaskEdit1;
    QTimer *Timer1, *Timer2;
    QMenu *PopupMenu1;
    QAction *QuitaroPERODOselecionado1, *Quitaropedidoselecionado1;
    QAction *Quitacoes1;   // the convênio's recorded settlements
    WaitPanel *PainelAguarde;   // over the window while a settlement of its orders runs

    // Handlers.
    void FormActivate();
    void AtualizaExtrato();
    void BitBtn4Click();   // by date
    void BitBtn3Click();   // by name, then date
    void BitBtn1Click();   // Sair
    void BotImprimirClick();
    // The report layer that previews, prints and saves the statement document; made at first use.
    ReportModule &RM();
    // The convênio and period the company is billed for.
    ContextoFaturamento contextoFaturamento() const;
    void Timer1Timer();
    void Timer2Timer();
    void PEDIDOSAfterScroll();
    void PEDIFORMAfterScroll();
    void DBGrid1KeyUp(int key);
    void DBGrid1KeyPress(int key);
    void DBGrid1CellClick();
    void Quitaropedidoselecionado1Click();
    void QuitaroPERODOselecionado1Click();
    void Quitacoes1Click();

    // The order query's three variants.
    enum class Variante { Abertura, PorData, PorNome };
    QString sqlPedidos(Variante v) const;
    static CachedTable::RowOrder porNomeEmPortugues(const CachedTable &pedidos);
    void mostraOrdem(Variante v);

    static const QString DicaFinalizando;
    static const QString DicaEstendendo;

    // True while the row's date lies inside the period (and the period is not being redefined).
    bool dentroDoPeriodo(const QDate &data) const;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QDate m_diLista, m_dfLista;   // the period's ends as the list's colouring reads them back
    void buildLayout();
    void derivaPeriodo(const QDate &inicio, const QDate &fim);
    void lePeriodo();
    void abrePedidos(Variante v);
    void mostraPeriodo();
    void redesenhaLista();
    void posicionaBotoesDeOrdem();
    void carregaDetalhes();
    void mostraTotal();
    Decimal totalDoPeriodo();
    CachedTable &mostraDetalhe(CachedTable &tabela, const RowSet &linhas);
    void acompanhaPedidoAtual();
    void passoFinal();
    void gravaPeriodo(const std::optional<QDate> &inicio, const QDate &fim);   // no start: only the end
    bool regraDoCaixa(const QString &mensagem);
    QDate dataPagamento();
    Confirmacao::Reacoes reacoes(const std::function<void()> &depois);
    Periodo periodoDaLista() const;
    void releLista();
    void quitacaoEmCurso(bool sim);
    void FormClose();

    Sessao &m_sessao;
    const QString m_convenio;
    CentralData &m_dm;
    InterfaceData &m_dm2;
    QString m_sqlAtual;
    QString m_diSqlLista, m_dfSqlLista;   // the period the list was read for ("mm/dd/yy")
    PedidosDoPeriodo::Condicao m_filtro;   // the list's filter, as it was read
    DetalhesDaLista m_detalhes;
    bool m_listaRelida = true;   // the list was read since its details were
    int m_detalhesDaLinha = -1;   // the row of the list whose details the panes show (a re-read sets m_listaRelida)
    bool m_ativado = false;
    bool m_quitando = false;
    QPointer<QWidget> m_focoAntes;   // where the focus was when the settlement began
    std::optional<Periodo> m_periodoInicial;
    std::unique_ptr<ReportModule> m_rm;
};
