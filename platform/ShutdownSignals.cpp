#include "platform/ShutdownSignals.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <pthread.h>
#include <signal.h>
#endif

namespace {
std::atomic<bool> g_requested{false};
std::mutex g_mutex;
std::function<void()> g_interruption;
std::function<void()> g_closer;

void closeOnTheApplicationThread()
{
    std::function<void()> closer;
    {
        std::lock_guard lock(g_mutex);
        closer = g_closer;
    }
    if (closer)
        closer();
}

void signalArrived()
{
    if (g_requested.exchange(true))
        return;   // the program is already ending
    std::function<void()> interruption;
    {
        std::lock_guard lock(g_mutex);
        interruption = g_interruption;
    }
    if (interruption)
        interruption();
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &closeOnTheApplicationThread, Qt::QueuedConnection);
}
}

namespace ShutdownSignals {

void install()
{
#ifdef Q_OS_UNIX
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // Qt starts its child processes with an empty signal mask, so the programs started from here
    // still end on these signals.
    std::thread([set] {
        for (;;) {
            int signal = 0;
            if (sigwait(&set, &signal) == 0)
                signalArrived();
        }
    }).detach();
#endif
}

void setInterruption(std::function<void()> work)
{
    std::lock_guard lock(g_mutex);
    g_interruption = std::move(work);
}

void setCloser(std::function<void()> work)
{
    {
        std::lock_guard lock(g_mutex);
        g_closer = std::move(work);
    }
    // A signal that came before there was anything to close closes it now.
    if (g_requested.load() && QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), &closeOnTheApplicationThread, Qt::QueuedConnection);
}

bool requested() { return g_requested.load(); }

}
