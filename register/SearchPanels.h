#pragma once
#include <QFrame>
#include <QLabel>
#include "controls/Edit.h"
#include <QObject>
#include <QPushButton>
#include <QRect>

#include "register/ConvenioFilter.h"

class CentralData;
class QKeyEvent;
class DBGrid;
class EnterMovesOn;

// The small panel in which the user types the name of the convênio to find: title "Pesquisa", the
// name box (never cleared, so it shows the previous search), "&Localizar" and "Cancelar" (also Esc).
class SearchNamePanel : public QFrame {
    Q_OBJECT
public:
    explicit SearchNamePanel(QWidget *parent);
    ~SearchNamePanel() override;
    QLabel *Panel13;        // title bar
    QLabel *Label401;
    Edit *EditPesqConv;
    QPushButton *BotPesqConvi;
    QPushButton *BotCancPesqConv;   // "Cancelar"

signals:
    // Sent by the destructor while the panel and its controls are still whole.
    void beingDestroyed();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};

// The list of all convênios, on the register's own table (its current row is the register's
// convênio), with the instruction line "Tecle [Enter] para confirmar ou [Esc] para cancelar.".
class SearchListPanel : public QFrame {
    Q_OBJECT
public:
    SearchListPanel(CentralData &dm, QWidget *parent);
    QLabel *Panel89;        // title bar
    QLabel *LabelFiltro;    // "Filtrar:"
    Edit *EditFiltroConv;   // the list's filter box
    QLabel *LabelNenhum;    // shown when the filter leaves no convênio
    DBGrid *GradePesqConvenio;
    QLabel *Label403;
    QPushButton *BotEnterPesqConv;
    QPushButton *BotEscPesqConv;

    static const QString Instrucao;   // Label403's caption
    static const QString NenhumEncontrado;

protected:
    void resizeEvent(QResizeEvent *e) override;
};

// Finding a convênio by its name. The name panel opens over the register; an exact name makes that
// convênio current at once; any other text opens the list at the nearest name, where the arrows
// pick, Enter confirms and Esc goes back to the convênio that was current before the search. The
// register's command buttons are locked while either panel is open.
class ConvenioSearch : public QObject {
    Q_OBJECT
public:
    // The panels are created hidden as children of `painelConvenios`.
    ConvenioSearch(CentralData &dm, QWidget *painelConvenios, QObject *parent = nullptr);

    SearchNamePanel *PainelPesqNomeConv;
    SearchListPanel *PainelPesqConv;
    // The name of the convênio that was current when the search started (at most 100 characters).
    QString NomeAntesPesquisa;

    // Where each panel opens, relative to the register panel.
    static const QRect PlacementFromRegister;    // "&Pesquisar" of the register's command column
    static const QRect PlacementFromButtonBar;   // "Pesquisar" of the button bar
    static const QRect PlacementOfList;

public slots:
    void BotPesqConvenioClick();
    void act_PesquisarExecute();
    void BotPesqConviClick();
    // Closes the name panel; the register stays on its convênio.
    void BotCancPesqConvClick();
    void BotEnterPesqConvClick();
    void BotEscPesqConvClick();
    // The filter box narrows the list to the convênios whose name, code or reference holds the text.
    void EditFiltroConvChange();

signals:
    // The register's five command buttons: locked while a search panel is open, released after.
    void desabilitaBotoes();
    void habilitaBotoes();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void inicia(const QRect &placement);
    void EditPesqConvExit();
    bool GradePesqConvenioKeyPress(int key);
    bool EditFiltroConvKeyPress(QKeyEvent *key);
    void abreLista();
    void fechaLista();
    bool algumVisivel() const;

    CentralData &m_dm;
    EnterMovesOn *m_enter;
    // The two watched controls, compared by address alone: an event may come while a panel is
    // being destroyed, when it can no longer be asked for its controls.
    QObject *m_editNome;
    QObject *m_grade;
    QObject *m_filtro;
    ConvenioFilter m_filter;
};
