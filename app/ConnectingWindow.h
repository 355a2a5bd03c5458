#pragma once
#include <QDialog>

class Connection;
class QLabel;
class QPushButton;

// While the program reaches its database server: once the server has not answered for a moment, a
// small window says so ("Conectando ao servidor <endereço>…") with "Cancelar". Cancelar, Esc, its
// close box and the session's signals give the attach up at once. The rest of the program takes no
// input meanwhile. A database on this computer (the embedded engine) is opened without it.
class ConnectingWindow : public QDialog {
    Q_OBJECT
public:
    // Opens `connection` if it is not open. False when the attach was given up (the user or a
    // signal): the program is to end. A failure of the attach itself is raised as open() raises it.
    static bool conecta(Connection &connection, QWidget *parent = nullptr);

    // "Conectando ao servidor 192.168.0.10/3050…" for a connection string "host[/port]:path".
    static QString texto(const QString &database);
    // How long a server may take before the window shows.
    static constexpr int EsperaMs = 800;

    QLabel *Mensagem = nullptr;
    QPushButton *BotCancelar = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ConnectingWindow(Connection &connection, QWidget *parent);
    ~ConnectingWindow() override;
    void cancela();
    bool dentro(QObject *watched) const;

    Connection &m_connection;
    bool m_cancelado = false;
};
