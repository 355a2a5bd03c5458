#include "platform/Messages.h"

#include "platform/ShutdownSignals.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

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

void show(const QString &text)
{
    // The session is ending the program: no box may hold it up (failures are still logged).
    if (ShutdownSignals::requested())
        return;
    // A program run by a test script writes its messages to a file instead of waiting for a person.
    const QString logPath = qEnvironmentVariable("CONVENIOS_MESSAGE_LOG");
    if (!logPath.isEmpty() && !g_intercepting) {
        QFile log(logPath);
        if (log.open(QIODevice::Append)) {
            log.write(text.toUtf8());
            log.write("\n");
        }
        return;
    }
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
                    }});
}

Recorder::~Recorder()
{
    clearInterceptor();
    g_recorder = nullptr;
}

}
