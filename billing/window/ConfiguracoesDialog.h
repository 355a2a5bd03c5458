#pragma once
#include "billing/Configuracoes.h"
#include "billing/DescontoFolha.h"
#include "billing/Email.h"

#include <QDialog>

class Connection;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Asks for a supervisor's name and password: the billing settings are theirs to change.
class SupervisorDialog : public QDialog {
    Q_OBJECT
public:
    SupervisorDialog(Connection &central, const QString &usuario, QWidget *parent = nullptr);
    QString supervisor() const;

    QLineEdit *EditSupervisor;
    QLineEdit *EditSenha;
    QPushButton *BotOk;

    void accept() override;

private:
    Connection &m_central;
};

// "Configurações de faturamento": the mail server the statements leave by, the PIX receiver, and the
// payroll deduction file's layout of the convênio (with the preset for the common layout).
class ConfiguracoesDialog : public QDialog {
    Q_OBJECT
public:
    ConfiguracoesDialog(Connection &central, const QString &convenio, const QString &supervisor, QWidget *parent = nullptr);

    // Opens the settings after a supervisor's name and password, or says what is missing.
    static void abre(Connection &central, const QString &convenio, const QString &usuario, QWidget *parent);

    QLineEdit *EditServidor, *EditUsuario, *EditSenha, *EditRemetente, *EditNomeRemetente;
    QSpinBox *EditPorta;
    QComboBox *ComboSeguranca;
    QLineEdit *EditPixChave, *EditPixNome, *EditPixCidade;
    QComboBox *ComboFormato;
    QLineEdit *EditSeparador, *EditColunas, *EditEvento;
    QPushButton *BotPadrao, *BotGravar, *BotCancelar;

    void BotGravarClick();
    void BotPadraoClick();

private:
    void montaTela();
    void mostra(const ConfiguracoesFaturamento &c);
    void mostraLayout(const LayoutFolha &l);

    Connection &m_central;
    QString m_convenio;
    QString m_supervisor;
};
