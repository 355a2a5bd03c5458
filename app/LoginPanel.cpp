#include "app/LoginPanel.h"

#include <QProxyStyle>

namespace {
// Shows each character of the password as "#", as the suite's login does.
class HashEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return '#';
        if (hint == QStyle::SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}

LoginPanel::~LoginPanel() { emit beingDestroyed(); }

LoginPanel::LoginPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PainelLogin"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    resize(331, 130);

    Panel48 = new QLabel(QStringLiteral("Identificação do Usuário"), this);
    Panel48->setGeometry(0, 0, 331, 26);
    Panel48->setAlignment(Qt::AlignCenter);
    Panel48->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel48->setStyleSheet(QStringLiteral("background-color: navy; color: white; font-weight: bold;"));

    Bevel10 = new QFrame(this);
    Bevel10->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel10->setGeometry(8, 33, 234, 89);

    Label216 = new QLabel(QStringLiteral("Nome"), this);
    Label216->move(18, 51);
    EditNome = new Edit(this);
    EditNome->setObjectName(QStringLiteral("EditNome"));
    EditNome->setGeometry(69, 48, 166, 26);

    Label217 = new QLabel(QStringLiteral("Senha"), this);
    Label217->move(17, 82);
    EditSenhaU = new Edit(this);
    EditSenhaU->setObjectName(QStringLiteral("EditSenhaU"));
    EditSenhaU->setGeometry(70, 79, 73, 26);
    auto *style = new HashEchoStyle;
    style->setParent(EditSenhaU);
    EditSenhaU->setStyle(style);
    EditSenhaU->setEchoMode(QLineEdit::Password);

    BotOkSenha = new QPushButton(QStringLiteral("OK"), this);
    BotOkSenha->setGeometry(250, 47, 69, 25);
    BotOkSenha->setAutoDefault(true);
    BotCancSenha = new QPushButton(QStringLiteral("Cancela"), this);
    BotCancSenha->setGeometry(250, 76, 69, 25);
    BotCancSenha->setAutoDefault(true);

    setTabOrder(EditNome, EditSenhaU);
    setTabOrder(EditSenhaU, BotOkSenha);
    setTabOrder(BotOkSenha, BotCancSenha);
}
