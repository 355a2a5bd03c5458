#pragma once
#include "controls/DBGrid.h"
#include "controls/DataControls.h"

#include <QLabel>
#include <QList>
#include <QWidget>

#include <exception>

class CentralData;
class EnterMovesOn;

// The fields of the convênio register: one convênio at a time, the current row of the convênio
// table. The eighteen field controls are enabled only while a convênio is inserted or edited.
//
// Rules of the register: a new convênio gets the next free code from the database when the insert
// starts; the name of a stored convênio cannot be changed (leaving the name box with another name,
// or posting one, shows the guard message and cancels the whole edit); the e-mail is lower-cased
// (A to Z only) when the box is left; the remarks box grows while it has the focus; Enter moves to
// the next control in every field but "Entra na Comissão"; a code already in the table is refused
// with its own message and the row stays pending.
class RegisterPanel : public QWidget {
    Q_OBJECT
public:
    RegisterPanel(CentralData &dm, QWidget *parent = nullptr);

    static const QString MensagemNomeChave;      // the name-change guard's message
    static const QString MensagemCodigoRepetido;
    static const QString MensagemNomeRepetido;   // a new convênio with another's name
    static const QString MensagemNaoGravado;   // added to the database's reason when a write-back is refused // a code already in the table
    // The link broke while the change was being committed: read again, it is in the database; or
    // it could not be read again in time, so nobody can tell yet.
    static const QString MensagemGravadoAposQueda;
    static const QString MensagemGravacaoIncerta;

    void HabilitaCampos();
    void DesabilitaCampos();
    // The question before the current convênio is deleted: its name and how many orders carry it.
    QString perguntaExclusao() const;
    // The eighteen field controls in tab order.
    const QList<QWidget *> &campos() const { return m_campos; }

    DBEdit *DBEdit2;              // Código (read-only)
    DBEdit *DBEditConvenio;
    DBComboBox *DBComboTipoConv;
    DBEdit *DBEdit106;            // Referência
    DBEdit *DBEditEnderConv;
    DBEdit *DBEditBairroConv;
    DBEdit *DBEditCidConv;
    DBEdit *DBEditEstConv;
    DBEdit *DBEditCEPConv;
    DBEdit *DBEditFoneConv;
    DBEdit *DBEditContatoConv;
    DBMemo *DBEditObservacao;
    DBComboBox *DBCBFormaPagto;
    DBEdit *DBEditDescConv;
    DBEdit *DBEdit1;              // Acréscimo (%)
    DBComboBox *DBRotaConv;
    DBEdit *DBEditVencConv;
    DBComboBox *DBComboBox1;      // Entra na Comissão
    DBEdit *DBEditEMail;

    // Register rules on the convênio table's events.
    void ConveniosBeforeInsert();
    void ConveniosAfterInsert();
    void ConveniosBeforeEdit();
    void ConveniosBeforeCancel();
    void ConveniosAfterPost();
    void ConveniosBeforePost();
    void ConveniosBeforeScroll();
    bool ConveniosPostError(const std::exception_ptr &error);
    int UltimoCodigo = 0;
    // The name box's text when the box last gained the focus; emptied before every row change.
    QString NomeAoEntrar;

    // Handlers of the fields.
    void DBEditConvenioEnter();
    void DBEditConvenioExit();
    void DBEditEMailExit();
    void DBEditObservacaoEnter();
    void DBEditObservacaoExit();

    QLabel *Label6;               // "Código"
    QLabel *Label279;             // "Convênio"

private:
    void legivelSemEdicao();
    QLabel *addLabel(const QString &caption, int x, int y);
    template <typename W>
    W *place(W *w, int x, int y, int width, int height = 21);

    bool focado(QWidget *w) const;
    void recusaMudancaDeNome();

    CentralData &m_dm;
    QList<QWidget *> m_campos;
    EnterMovesOn *m_enter = nullptr;
    QString m_nomeGravado;        // the stored name of the convênio being edited
    bool m_desabilitando = false; // the fields are being disabled: a focus leaving them is not the user's
};
