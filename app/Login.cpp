#include "app/Login.h"

#include "data/CodificaSenha.h"
#include "session/Sessao.h"
#include "app/LoginPanel.h"
#include "data/CentralData.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/WinText.h"

#include <QEvent>
#include <QKeyEvent>

Login::Login(LoginPanel &panel, CentralData &dm, Sessao &sessao, QObject *parent)
    : QObject(parent), m_panel(panel), m_dm(dm), m_sessao(sessao)
{
    m_panel.EditNome->installEventFilter(this);
    m_panel.EditSenhaU->installEventFilter(this);
    // The name box loses its focus when the panel is destroyed, after the panel has ended: that is
    // no leaving of the box, and the panel can no longer be asked for its controls.
    connect(&m_panel, &LoginPanel::beingDestroyed, this, [this] {
        m_panel.EditNome->removeEventFilter(this);
        m_panel.EditSenhaU->removeEventFilter(this);
    });
    connect(m_panel.BotOkSenha, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { EfetuaLogin(); }); });
}

bool Login::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel.EditNome && event->type() == QEvent::FocusOut)
        EditNomeExit();
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == m_panel.EditNome) {
                EditNomeKeyPress();
                return true;
            }
            if (watched == m_panel.EditSenhaU) {
                EditSenhaUKeyPress();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void Login::EditNomeExit() { m_panel.EditNome->setText(WinText::upperAscii(m_panel.EditNome->text())); }

void Login::EditNomeKeyPress() { m_panel.EditSenhaU->setFocus(Qt::TabFocusReason); }

void Login::EditSenhaUKeyPress()
{
    ErrorReporter::guard([this] { EfetuaLogin(); });
}

void Login::EfetuaLogin()
{
    if (m_panel.EditNome->text().isEmpty()) {
        Messages::show(QStringLiteral("Não foi informado o Nome do Usuário."));
        m_panel.EditNome->takeFocus();
        return;
    }
    bool sucesso = false;
    {
        struct Fecha {
            CachedTable &t;
            ~Fecha() { t.close(); }
        } fecha{m_dm.Usuarios};
        sucesso = tentativa();
    }
    if (sucesso && logado)
        logado();
}

bool Login::tentativa()
{
    const QString digitado = m_panel.EditNome->text();
    const QString naoAutorizado = QStringLiteral("Usuário ") + digitado + QStringLiteral(" não autorizado");
    m_dm.Usuarios.open();
    const QString nome = WinText::upperAscii(digitado).left(60);
    const QChar inicial = nome.at(0);
    const QString nomeCodificado = CodificaSenha(WinText::upperAscii(digitado)).left(60);
    if (digitado.size() > TamanhoMaximo || !m_dm.Usuarios.locate(nomeCodificado)) {
        Messages::show(naoAutorizado);
        m_panel.EditNome->takeFocus();
        return false;
    }
    const QString senhaGravada = m_dm.Usuarios.text(QStringLiteral("SENHA")).left(20);
    const QString senhaDigitada = m_panel.EditSenhaU->text();
    if (senhaDigitada.size() > TamanhoMaximo || CodificaSenha(WinText::upperAscii(senhaDigitada)) != senhaGravada) {
        Messages::show(QStringLiteral("Senha incorreta. Tente novamente."));
        m_panel.EditSenhaU->takeFocus();
        return false;
    }
    m_sessao.acessoUsuario = m_dm.Usuarios.text(QStringLiteral("ACESSO")).left(50);
    const QString acesso = m_dm.Usuarios.text(QStringLiteral("ACESSO"));
    m_dm.Usuarios.close();
    const QByteArray direitos = WinText::encode(acesso);
    const bool temDireito =
        direitos.size() >= 15 &&
        WinText::decode(QByteArray(1, char(static_cast<unsigned char>(direitos[14]) - 16))) == QString(inicial);
    if (!temDireito) {
        Messages::show(naoAutorizado);
        m_panel.EditNome->takeFocus();
        return false;
    }
    m_sessao.usuarioLogado = nome;
    m_sessao.nomeUsuario = nome;
    return true;
}
