#include "app/ConnectingWindow.h"

#include "data/Connection.h"
#include "platform/ShutdownSignals.h"
#include "platform/UserInput.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

ConnectingWindow::ConnectingWindow(Connection &connection, QWidget *parent) : QDialog(parent), m_connection(connection)
{
    setObjectName(QStringLiteral("ConnectingWindow"));
    setWindowTitle(QStringLiteral("Cadastro de Convênios"));
    setWindowModality(Qt::ApplicationModal);
    Mensagem = new QLabel(texto(connection.database()), this);
    Mensagem->setTextFormat(Qt::PlainText);
    BotCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    BotCancelar->setObjectName(QStringLiteral("BotCancelar"));
    BotCancelar->setAutoDefault(true);
    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(BotCancelar);
    botoes->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Mensagem);
    layout->addLayout(botoes);
    connect(BotCancelar, &QPushButton::clicked, this, &ConnectingWindow::cancela);
    // Esc and the close box reject the dialog: the same as Cancelar.
    connect(this, &QDialog::rejected, this, &ConnectingWindow::cancela);
    qApp->installEventFilter(this);
}

ConnectingWindow::~ConnectingWindow() { qApp->removeEventFilter(this); }

QString ConnectingWindow::texto(const QString &database)
{
    return QStringLiteral("Conectando ao servidor ") + database.section(QLatin1Char(':'), 0, 0) + QStringLiteral("…");
}

bool ConnectingWindow::conecta(Connection &connection, QWidget *parent)
{
    if (connection.isOpen() || !connection.isRemote()) {
        connection.open();
        return true;
    }
    ConnectingWindow janela(connection, parent);
    QTimer mostra;
    mostra.setSingleShot(true);
    connect(&mostra, &QTimer::timeout, &janela, [&janela] {
        janela.show();
        janela.raise();
        janela.activateWindow();
        janela.BotCancelar->setFocus();
    });
    mostra.start(EsperaMs);
    // The attach runs on a thread of its own while this thread turns its event loop.
    BackgroundCalls fundo;
    try {
        connection.open();
    } catch (...) {
        if (janela.m_cancelado || ShutdownSignals::requested())
            return false;
        throw;
    }
    return true;
}

void ConnectingWindow::cancela()
{
    if (m_cancelado)
        return;
    m_cancelado = true;
    BotCancelar->setEnabled(false);
    m_connection.cancel();
}

bool ConnectingWindow::dentro(QObject *watched) const
{
    // The user's input reaches the window system's window before its widgets.
    if (watched == static_cast<QObject *>(windowHandle()))
        return true;
    for (QObject *o = watched; o; o = o->parent())
        if (o == this)
            return true;
    return false;
}

// Only this window takes the user's input, and the program's other windows do not close under the
// start-up (a signal still closes them).
bool ConnectingWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (isUserInput(event))
        return !dentro(watched);
    if (event->type() == QEvent::Close)
        return !dentro(watched) && !ShutdownSignals::requested();
    return false;
}
