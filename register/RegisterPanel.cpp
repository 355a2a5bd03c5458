#include "register/RegisterPanel.h"

#include "data/CentralData.h"
#include "platform/Contagem.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/WinText.h"
#include "register/EnterKey.h"

#include <QMenu>

const QString RegisterPanel::MensagemNomeChave = QStringLiteral(
    "O nome do convênio é um campo Chave e não pode ser alterado. Se for necessário mudar o nome do convênio, "
    "deve-se excluir o registro existente e incluir um novo registro");
const QString RegisterPanel::MensagemCodigoRepetido = QStringLiteral("Já existe um convênio com este Código.");
const QString RegisterPanel::MensagemNomeRepetido = QStringLiteral(
    "Já existe um convênio com este nome. Os pedidos se ligam ao convênio pelo nome: dê a este um nome que nenhum "
    "outro tenha.");
const QString RegisterPanel::MensagemGravadoAposQueda =
    QStringLiteral("A conexão com o servidor caiu enquanto o convênio era gravado. Conferido de novo no banco de dados, "
                   "ele está gravado como foi digitado.");
const QString RegisterPanel::MensagemGravacaoIncerta =
    QStringLiteral("A conexão com o servidor caiu enquanto o convênio era gravado, e não foi possível saber se ele chegou "
                   "a ser gravado. O que foi digitado continua na tela: grave de novo quando a conexão voltar (um "
                   "convênio novo que já esteja gravado é recusado pelo nome; então basta cancelar).");
const QString RegisterPanel::MensagemNaoGravado =
    QStringLiteral("\n\nO convênio não foi gravado: o que foi digitado continua na tela para ser corrigido e gravado, ou "
                   "cancelado.");

RegisterPanel::RegisterPanel(CentralData &dm, QWidget *parent) : QWidget(parent), m_dm(dm)
{
    CachedTable *t = &dm.Convenios;
    setObjectName(QStringLiteral("RegisterPanel"));

    Label6 = addLabel(QStringLiteral("Código"), 16, 8);
    DBEdit2 = place(new DBEdit(t, QStringLiteral("CODIGOCONVENIO"), this), 16, 24, 70);
    DBEdit2->setAlwaysReadOnly(true);
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
    DBEditDescConv->setFaixa(0, 100);
    DBEdit1->setFaixa(0, 100);

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

    // Enter moves on in every field but "Entra na Comissão", and in the code box.
    m_enter = new EnterMovesOn(this);
    m_enter->install(DBEdit2);
    for (QWidget *w : m_campos)
        if (w != DBComboBox1)
            m_enter->install(w);

    auto handler = [](auto body) { return [body] { ErrorReporter::guard(body); }; };
    connect(DBEditConvenio, &DBEdit::entered, this, handler([this] { DBEditConvenioEnter(); }));
    connect(DBEditConvenio, &DBEdit::exited, this, handler([this] { DBEditConvenioExit(); }));
    connect(DBEditEMail, &DBEdit::exited, this, handler([this] { DBEditEMailExit(); }));
    connect(DBEditObservacao, &DBMemo::entered, this, handler([this] { DBEditObservacaoEnter(); }));
    connect(DBEditObservacao, &DBMemo::exited, this, handler([this] { DBEditObservacaoExit(); }));

    // The labels "Código" and "Convênio" carry the suite's migration command, which has no action here.
    for (QLabel *l : {Label6, Label279}) {
        l->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(l, &QWidget::customContextMenuRequested, l, [l](const QPoint &pos) {
            QMenu menu;
            menu.addAction(QStringLiteral("Migrar Convênios do Paradox para o Firebird"))->setEnabled(false);
            menu.exec(l->mapToGlobal(pos));
        });
    }
    legivelSemEdicao();
    DesabilitaCampos();

    CachedTable &c = dm.Convenios;
    c.beforeInsert = [this] { ConveniosBeforeInsert(); };
    c.afterInsert = [this] { ConveniosAfterInsert(); };
    c.beforeEdit = [this] { ConveniosBeforeEdit(); };
    c.beforeCancel = [this] { ConveniosBeforeCancel(); };
    c.afterPost = [this] { ConveniosAfterPost(); };
    c.beforePost = [this] { ConveniosBeforePost(); };
    c.beforeScroll = [this] { ConveniosBeforeScroll(); };
    c.onPostError = [this](const std::exception_ptr &e) { return ConveniosPostError(e); };
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
    // The code alone is not a change of the user's: moving away from a row left untouched drops it.
    m_dm.Convenios.clearModified();
    if (DBEditConvenio->isVisible() && DBEditConvenio->isEnabled())
        DBEditConvenio->setFocus(Qt::OtherFocusReason);
}

void RegisterPanel::ConveniosBeforeEdit()
{
    m_nomeGravado = m_dm.Convenios.text(QStringLiteral("CONVENIO"));
    HabilitaCampos();
}

void RegisterPanel::ConveniosBeforeCancel() { DesabilitaCampos(); }

void RegisterPanel::ConveniosBeforePost()
{
    // Posting while the user is still in a box counts as leaving it: the e-mail is lower-cased, and a
    // stored convênio's name cannot be changed by posting before the name box is left.
    if (focado(DBEditEMail))
        DBEditEMailExit();
    CachedTable &c = m_dm.Convenios;
    if (c.state() == CachedTable::State::Edit && !m_nomeGravado.isEmpty() &&
        c.text(QStringLiteral("CONVENIO")) != m_nomeGravado) {
        recusaMudancaDeNome();
        throw SilentAbort();
    }
    // Orders are linked to their convênio by its name: two convênios of one name would count each
    // other's orders. The database is asked, so names stored by other workstations count.
    const QString nome = c.text(QStringLiteral("CONVENIO"));
    if (c.state() == CachedTable::State::Insert && !nome.isEmpty() &&
        m_dm.SQLConnection1
                .query(QStringLiteral("select count(*) from CONVENIO where CONVENIO = ?"), {nome})
                .rows.value(0)
                .value(0)
                .toInt() > 0) {
        Messages::show(MensagemNomeRepetido);
        throw SilentAbort();
    }
}

QString RegisterPanel::perguntaExclusao() const
{
    const QString nome = m_dm.Convenios.text(QStringLiteral("CONVENIO"));
    const int pedidos = m_dm.SQLConnection1.query(QStringLiteral("select count(*) from PEDIDOS where CONVENIO = ?"), {nome})
                            .rows.value(0)
                            .value(0)
                            .toInt();
    QString s = QStringLiteral("Excluir o convênio \"") + nome + QStringLiteral("\"?\n\n");
    if (pedidos == 0)
        return s + QStringLiteral("Ele não tem pedidos.");
    // Orders keep the name they were made with: deleting the convênio leaves them without one.
    return s + QStringLiteral("Ele tem ") + Contagem::pedidos(pedidos) +
           (pedidos == 1 ? QStringLiteral(", que continua gravado com o nome deste convênio.")
                         : QStringLiteral(", que continuam gravados com o nome deste convênio."));
}

void RegisterPanel::ConveniosAfterPost()
{
    // A write-back the database refuses leaves nothing in the cache as if it were stored: the row is
    // being inserted or edited again, with what was typed, for the user to put right or cancel.
    CachedTable &c = m_dm.Convenios;
    try {
        c.writeBack(0);
    } catch (const CommitOutcomeUnknown &) {
        if (!c.resumeEditing()) {
            DesabilitaCampos();
            throw;
        }
        HabilitaCampos();
        throw std::runtime_error(MensagemGravacaoIncerta.toStdString());
    } catch (const DatabaseError &e) {
        if (!c.resumeEditing()) {
            DesabilitaCampos();
            throw;
        }
        HabilitaCampos();
        // The statement's refusal, or the commit's.
        const QString motivo = c.lastApplyError().isEmpty() ? e.explicada() : c.lastApplyError();
        throw std::runtime_error((motivo + MensagemNaoGravado).toStdString());
    } catch (...) {
        DesabilitaCampos();
        throw;
    }
    DesabilitaCampos();
    if (c.lastCommit() == CachedTable::Commit::FoundWritten)
        Messages::show(MensagemGravadoAposQueda);
}

void RegisterPanel::ConveniosBeforeScroll() { NomeAoEntrar.clear(); }

bool RegisterPanel::ConveniosPostError(const std::exception_ptr &error)
{
    const QString message = Failure::messageOf(error);
    if (WinText::upperAscii(message.left(13)) != QStringLiteral("KEY VIOLATION"))
        return false;
    Messages::show(MensagemCodigoRepetido);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Fields

bool RegisterPanel::focado(QWidget *w) const { return w->window()->focusWidget() == w; }

void RegisterPanel::recusaMudancaDeNome()
{
    Messages::show(MensagemNomeChave);
    m_dm.Convenios.cancel();
}

void RegisterPanel::DBEditConvenioEnter() { NomeAoEntrar = DBEditConvenio->text().left(60); }

void RegisterPanel::DBEditConvenioExit()
{
    // Leaving because the fields are being disabled (a post, a cancel, the window's activation) is
    // not the user's move; a changed name is still refused when the row is posted.
    if (m_desabilitando)
        return;
    if (!NomeAoEntrar.isEmpty() && DBEditConvenio->text() != NomeAoEntrar)
        recusaMudancaDeNome();
}

void RegisterPanel::DBEditEMailExit()
{
    const QString lower = WinText::lowerAscii(DBEditEMail->text());
    if (lower != DBEditEMail->text()) {
        DBEditEMail->setText(lower);
        DBEditEMail->updateRecord();
    }
}

void RegisterPanel::DBEditObservacaoEnter()
{
    DBEditObservacao->resize(DBEditObservacao->width(), 200);
    DBEditObservacao->raise();
}

void RegisterPanel::DBEditObservacaoExit() { DBEditObservacao->resize(DBEditObservacao->width(), 21); }

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

// In browse mode the fields are disabled, as the suite does; their data stays as readable as in
// editing (the style's disabled grey on grey reads at about 2:1).
void RegisterPanel::legivelSemEdicao()
{
    for (QWidget *campo : std::as_const(m_campos)) {
        QPalette p = campo->palette();
        const QColor texto(0x26, 0x26, 0x26);
        for (const auto papel : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            p.setColor(QPalette::Disabled, papel, texto);
        p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Active, QPalette::Window));
        campo->setPalette(p);
    }
}

void RegisterPanel::DesabilitaCampos()
{
    // From the last field to the first, so a focus that leaves a disabled field goes straight past
    // the group instead of through each of its fields.
    const bool antes = m_desabilitando;
    m_desabilitando = true;
    for (auto it = m_campos.crbegin(); it != m_campos.crend(); ++it)
        (*it)->setEnabled(false);
    m_desabilitando = antes;
}
