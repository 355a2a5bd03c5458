#pragma once
#include <functional>

// The signals with which a session ends a program (a logout, a system shutdown, Ctrl+C, a closed
// terminal): SIGTERM, SIGINT and SIGHUP. They are taken away from every thread, so that no library
// acts on them inside the process, and waited for on a thread of their own; the program then
// ends its own way.
namespace ShutdownSignals {

// Blocks the three signals in the calling thread and in every thread started after it, and starts
// the thread that waits for them. Call first in main, before any other thread exists.
void install();

// Work run on the waiting thread as soon as a signal arrives, while the program's own thread may be
// busy (ending the database work in progress, for example). Must be safe to run from any thread.
void setInterruption(std::function<void()> work);

// Run on the application's thread, through its event loop, once a signal arrived.
void setCloser(std::function<void()> work);

// True once one of the signals arrived.
bool requested();

}
