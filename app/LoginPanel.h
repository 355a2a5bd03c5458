#pragma once
#include <QFrame>
#include <QLabel>
#include "controls/Edit.h"
#include <QPushButton>

// The login panel: the user's name and password and the buttons "OK" and "Cancela".
class LoginPanel : public QFrame {
    Q_OBJECT
public:
    explicit LoginPanel(QWidget *parent = nullptr);
    ~LoginPanel() override;

    QLabel *Panel48;
    QFrame *Bevel10;
    QLabel *Label216;
    Edit *EditNome;
    QLabel *Label217;
    Edit *EditSenhaU;
    QPushButton *BotOkSenha;
    QPushButton *BotCancSenha;

signals:
    // Sent by the destructor while the panel and its controls are still whole.
    void beingDestroyed();
};
