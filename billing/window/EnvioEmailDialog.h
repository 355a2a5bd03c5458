#pragma once
#include "billing/Email.h"

#include <QDialog>
#include <QList>
#include <QThread>
#include <functional>

class Connection;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// An attachment the user may send: made only when the e-mail goes.
struct AnexoOpcional {
    QString rotulo;                       // "Extrato para a empresa (PDF)"
    QString nome;                         // the file name the receiver sees
    bool marcado = false;
    std::function<QByteArray()> gera;     // may raise; the message names the attachment
};

struct PedidoDeEnvio {
    QString convenio;
    QString para;         // the convênio's e-mail, to start with
    QString assunto;
    QString corpo;
    QList<AnexoOpcional> anexos;
    QString aviso;        // shown above the message (orders without matrícula, PIX missing)
    QString usuario, estacao;   // who sends, for the record
};

// "Enviar por e-mail": the receiver, a subject and a message in Portuguese that the user may edit,
// the attachments to send, the progress of the sending and the convênio's earlier sendings. The
// sending runs on a thread of its own, so the windows keep answering; a failure names its cause and
// leaves everything typed as it was, to send again. Every sending is recorded.
class EnvioEmailDialog : public QDialog {
    Q_OBJECT
public:
    EnvioEmailDialog(Connection &central, const PedidoDeEnvio &pedido, QWidget *parent = nullptr);
    ~EnvioEmailDialog() override;

    QLineEdit *EditPara;
    QLineEdit *EditAssunto;
    QPlainTextEdit *EditCorpo;
    QList<QCheckBox *> CheckAnexos;
    QLabel *LabelAviso;
    QLabel *LabelSituacao;
    QProgressBar *Progresso;
    QTableWidget *ListaEnvios;
    QPushButton *BotEnviar;
    QPushButton *BotFechar;

    void BotEnviarClick();
    bool enviando() const { return m_thread != nullptr; }

signals:
    // After each sending, with its result (already recorded and shown).
    void terminou(bool enviado);

protected:
    void closeEvent(QCloseEvent *e) override;
    void reject() override;

private:
    void montaTela();
    void mostraEnvios();
    void conclui(const ResultadoEnvio &resultado, const Mensagem &mensagem);
    void registra(const ResultadoEnvio &resultado, const Mensagem &mensagem);

    Connection &m_central;
    PedidoDeEnvio m_pedido;
    QThread *m_thread = nullptr;
};
