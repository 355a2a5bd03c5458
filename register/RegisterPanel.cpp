#include "register/RegisterPanel.h"

#include "data/CentralData.h"

#include <QMenu>

RegisterPanel::RegisterPanel(CentralData &dm, QWidget *parent) : QWidget(parent), m_dm(dm)
{
    CachedTable *t = &dm.Convenios;
    setObjectName(QStringLiteral("RegisterPanel"));

    Label6 = addLabel(QStringLiteral("Código"), 16, 8);
    DBEdit2 = place(new DBEdit(t, QStringLiteral("CODIGOCONVENIO"), this), 16, 24, 70);
    DBEdit2->setReadOnly(true);
    DBEdit2->setFocusPolicy(Qt::ClickFocus);
    Label279 = addLabel(QStringLiteral("Convênio"), 96, 8);
    DBEditConvenio = place(new DBEdit(t, QStringLiteral("CONVENIO"), this), 96, 24, 330);
    addLabel(QStringLiteral("Categoria"), 436, 8);
    DBComboTipoConv = place(new DBComboBox(t, QStringLiteral("TIPO"), this), 436, 24, 160);

    addLabel(QStringLiteral("Referência"), 16, 54);
    DBEdit106 = place(new DBEdit(t, QStringLiteral("REFERENCIA"), this), 16, 70, 170);
    addLabel(QStringLiteral("Endereço"), 196, 54);
    DBEditEnderConv = place(new DBEdit(t, QStringLiteral("ENDERECO"), this), 196, 70, 400);

    addLabel(QStringLiteral("Bairro"), 16, 100);
    DBEditBairroConv = place(new DBEdit(t, QStringLiteral("BAIRRO"), this), 16, 116, 210);
    addLabel(QStringLiteral("Cidade"), 236, 100);
    DBEditCidConv = place(new DBEdit(t, QStringLiteral("CIDADE"), this), 236, 116, 210);
    addLabel(QStringLiteral("Estado"), 456, 100);
    DBEditEstConv = place(new DBEdit(t, QStringLiteral("ESTADO"), this), 456, 116, 40);
    addLabel(QStringLiteral("CEP"), 506, 100);
    DBEditCEPConv = place(new DBEdit(t, QStringLiteral("CEP"), this), 506, 116, 90);

    addLabel(QStringLiteral("Fone"), 16, 146);
    DBEditFoneConv = place(new DBEdit(t, QStringLiteral("TELEFONE"), this), 16, 162, 210);
    addLabel(QStringLiteral("Contato"), 236, 146);
    DBEditContatoConv = place(new DBEdit(t, QStringLiteral("CONTATO"), this), 236, 162, 360);

    addLabel(QStringLiteral("Observação"), 16, 192);
    DBEditObservacao = place(new DBMemo(t, QStringLiteral("OBSERVACAO"), this), 16, 208, 580);

    addLabel(QStringLiteral("Forma de pagamento"), 16, 238);
    DBCBFormaPagto = place(new DBComboBox(t, QStringLiteral("CONTROLE"), this), 16, 254, 210);
    addLabel(QStringLiteral("Desconto (%)"), 236, 238);
    DBEditDescConv = place(new DBEdit(t, QStringLiteral("DESCONTO"), this, DBEdit::Kind::Decimal), 236, 254, 100);
    addLabel(QStringLiteral("Acréscimo (%)"), 346, 238);
    DBEdit1 = place(new DBEdit(t, QStringLiteral("ACRESCPERC"), this, DBEdit::Kind::Decimal), 346, 254, 100);

    addLabel(QStringLiteral("Rota"), 16, 284);
    DBRotaConv = place(new DBComboBox(t, QStringLiteral("ROTA"), this), 16, 300, 210);
    addLabel(QStringLiteral("Dia do Vencimento"), 236, 284);
    DBEditVencConv = place(new DBEdit(t, QStringLiteral("VENCIMENTO"), this, DBEdit::Kind::Integer), 236, 300, 100);
    addLabel(QStringLiteral("Entra na Comissão"), 346, 284);
    DBComboBox1 = place(new DBComboBox(t, QStringLiteral("ENTRA_COMISSAO"), this), 346, 300, 100);
    DBComboBox1->addItems({QStringLiteral("Sim"), QStringLiteral("Não")});

    addLabel(QStringLiteral("email"), 16, 330);
    DBEditEMail = place(new DBEdit(t, QStringLiteral("E_MAIL"), this), 16, 346, 330);
    DBEditEMail->setMaxChars(30);

    m_campos = {DBEditConvenio, DBComboTipoConv, DBEdit106,      DBEditEnderConv, DBEditBairroConv, DBEditCidConv,
                DBEditEstConv,  DBEditCEPConv,   DBEditFoneConv, DBEditContatoConv, DBEditObservacao, DBCBFormaPagto,
                DBEditDescConv, DBEdit1,         DBRotaConv,     DBEditVencConv,  DBComboBox1,      DBEditEMail};
    for (int i = 1; i < m_campos.size(); ++i)
        setTabOrder(m_campos[i - 1], m_campos[i]);

    // The labels "Código" and "Convênio" carry the suite's migration command, which has no action here.
    for (QLabel *l : {Label6, Label279}) {
        l->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(l, &QWidget::customContextMenuRequested, l, [l](const QPoint &pos) {
            QMenu menu;
            menu.addAction(QStringLiteral("Migrar Convênios do Paradox para o Firebird"))->setEnabled(false);
            menu.exec(l->mapToGlobal(pos));
        });
    }
    DesabilitaCampos();

    CachedTable &c = dm.Convenios;
    c.beforeInsert = [this] { ConveniosBeforeInsert(); };
    c.afterInsert = [this] { ConveniosAfterInsert(); };
    c.beforeEdit = [this] { ConveniosBeforeEdit(); };
    c.beforeCancel = [this] { ConveniosBeforeCancel(); };
    c.afterPost = [this] { ConveniosAfterPost(); };
}

void RegisterPanel::ConveniosBeforeInsert()
{
    // The code comes from the database, not the cache, so codes stored by other workstations count.
    FreeQuery &q = m_dm.SQLQuery2;
    q.close();
    q.open();
    UltimoCodigo = q.isEmpty() ? 0 : q.value(QStringLiteral("CODIGOCONVENIO")).toInt();
    q.close();
    HabilitaCampos();
}

void RegisterPanel::ConveniosAfterInsert()
{
    m_dm.Convenios.setValue(QStringLiteral("CODIGOCONVENIO"), UltimoCodigo + 1);
    if (DBEditConvenio->isVisible() && DBEditConvenio->isEnabled())
        DBEditConvenio->setFocus();
}

void RegisterPanel::ConveniosBeforeEdit() { HabilitaCampos(); }

void RegisterPanel::ConveniosBeforeCancel() { DesabilitaCampos(); }

void RegisterPanel::ConveniosAfterPost()
{
    m_dm.Convenios.writeBack(0);
    DesabilitaCampos();
}

QLabel *RegisterPanel::addLabel(const QString &caption, int x, int y)
{
    auto *l = new QLabel(caption, this);
    l->move(x, y);
    l->adjustSize();
    return l;
}

template <typename W>
W *RegisterPanel::place(W *w, int x, int y, int width, int height)
{
    w->setGeometry(x, y, width, height);
    return w;
}

void RegisterPanel::HabilitaCampos()
{
    for (QWidget *w : m_campos)
        w->setEnabled(true);
}

void RegisterPanel::DesabilitaCampos()
{
    for (QWidget *w : m_campos)
        w->setEnabled(false);
}
