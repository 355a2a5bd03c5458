#pragma once
#include <QObject>
#include <functional>

class CentralData;
class LoginPanel;
struct Sessao;

// The login of the suite's users: the name and password typed on the login panel are coded as the
// suite stores them, looked up in USUARIOS, and the user's right to this module is checked.
class Login : public QObject {
    Q_OBJECT
public:
    Login(LoginPanel &panel, CentralData &dm, Sessao &sessao, QObject *parent = nullptr);

    // One attempt. On success runs `logado` (which shows the register and checks the workstation).
    void EfetuaLogin();
    std::function<void()> logado;

    // The panel's handlers.
    void EditNomeExit();
    void EditNomeKeyPress();     // Enter: on to the password
    void EditSenhaUKeyPress();   // Enter: try to log on

    // The suite codes only the first 31 characters of a text and wraps longer ones, so a longer name
    // or password could stand for a shorter one: such texts are refused.
    static constexpr int TamanhoMaximo = 31;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool tentativa();
    LoginPanel &m_panel;
    CentralData &m_dm;
    Sessao &m_sessao;
};
