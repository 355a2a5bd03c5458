#include "platform/Messages.h"

#include "platform/ShutdownSignals.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

namespace {
Messages::Interceptor g_interceptor;
bool g_intercepting = false;
Messages::Recorder *g_recorder = nullptr;

QString windowTitle()
{
    return QApplication::applicationName().isEmpty() ? QStringLiteral("Convenios") : QApplication::applicationName();
}
}

namespace Messages {

// A program run by a test script writes its messages to a file instead of waiting for a person;
// its questions are answered with their first answer.
static bool logged(const QString &text)
{
    const QString logPath = qEnvironmentVariable("CONVENIOS_MESSAGE_LOG");
    if (logPath.isEmpty() || g_intercepting)
        return false;
    QFile log(logPath);
    if (log.open(QIODevice::Append)) {
        log.write(text.toUtf8());
        log.write("\n");
    }
    return true;
}

void show(const QString &text)
{
    // The session is ending the program: no box may hold it up (failures are still logged).
    if (ShutdownSignals::requested())
        return;
    if (logged(text))
        return;
    if (g_intercepting) {
        if (g_interceptor.onMessage)
            g_interceptor.onMessage(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

bool confirmDelete(const QString &text)
{
    if (ShutdownSignals::requested())
        return false;
    if (g_intercepting)
        return g_interceptor.onConfirm ? g_interceptor.onConfirm(text) : true;
    QMessageBox box(QMessageBox::Question, windowTitle(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

bool showWithOption(const QString &text, const QString &option)
{
    if (ShutdownSignals::requested() || logged(text))
        return false;
    if (g_intercepting) {
        if (g_interceptor.onMessage)
            g_interceptor.onMessage(text);
        return g_interceptor.onOption ? g_interceptor.onOption(text) : false;
    }
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    QPushButton *opcao = box.addButton(option, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == opcao;
}

bool confirm(const QString &text, const QString &sim, const QString &nao)
{
    if (ShutdownSignals::requested())
        return false;
    if (logged(text))
        return true;
    if (g_intercepting)
        return g_interceptor.onConfirm ? g_interceptor.onConfirm(text) : true;
    QMessageBox box(QMessageBox::Question, windowTitle(), text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton *confirma = box.addButton(sim, QMessageBox::AcceptRole);
    QPushButton *cancela = box.addButton(nao, QMessageBox::RejectRole);
    box.setDefaultButton(confirma);
    box.setEscapeButton(cancela);
    box.exec();
    return box.clickedButton() == confirma;
}

void setInterceptor(const Interceptor &interceptor)
{
    g_interceptor = interceptor;
    g_intercepting = true;
}

void clearInterceptor()
{
    g_interceptor = {};
    g_intercepting = false;
}

Recorder::Recorder(bool a) : answer(a)
{
    g_recorder = this;
    setInterceptor({[](const QString &t) { g_recorder->messages << t; },
                    [](const QString &t) {
                        g_recorder->confirmations << t;
                        return g_recorder->answer;
                    },
                    [](const QString &) { return g_recorder->option; }});
}

Recorder::~Recorder()
{
    clearInterceptor();
    g_recorder = nullptr;
}

}
