#pragma once
#include "controls/DBGrid.h"
#include "controls/DataControls.h"

#include <QLabel>
#include <QList>
#include <QWidget>

class CentralData;

// The fields of the convênio register: one convênio at a time, the current row of the convênio
// table. The eighteen field controls are enabled only while a convênio is inserted or edited.
class RegisterPanel : public QWidget {
    Q_OBJECT
public:
    RegisterPanel(CentralData &dm, QWidget *parent = nullptr);

    void HabilitaCampos();
    void DesabilitaCampos();
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
    int UltimoCodigo = 0;

    QLabel *Label6;               // "Código"
    QLabel *Label279;             // "Convênio"

private:
    QLabel *addLabel(const QString &caption, int x, int y);
    template <typename W>
    W *place(W *w, int x, int y, int width, int height = 21);

    CentralData &m_dm;
    QList<QWidget *> m_campos;
};
