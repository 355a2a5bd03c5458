#pragma once
#include "platform/Failure.h"

#include <QString>
#include <exception>
#include <functional>

// Reports the failures that no handler deals with: shows the message, appends it to the log file
// in the suite root, ends the handler in which it arose, and lets the program go on.
namespace ErrorReporter {

// Shows and logs a failure.
void report(const QString &message);
// Only logs it.
void log(const QString &message);

// Runs a handler body; a failure ends only that body and is reported. Returns false on failure.
bool guard(const std::function<void()> &body);

// As guard, for work that runs again by itself (each time the window is activated): a failure with
// the same message as the last one recorded in `lastFailure` is only logged, so a database that
// stays unreachable is shown once rather than after every box that reported it. A success forgets
// the last failure.
bool guardRepeated(QString &lastFailure, const std::function<void()> &body);

QString logFilePath();

}
