#include "platform/ErrorReporter.h"

#include "platform/Messages.h"
#include "platform/SuitePaths.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>
#include <stdexcept>

namespace ErrorReporter {

QString logFilePath() { return SuitePaths::suiteRoot() + QStringLiteral("/convenios-erros.log"); }

void log(const QString &message)
{
    QFile file(logFilePath());
    if (file.open(QIODevice::Append | QIODevice::Text)) {
        QTextStream out(&file);
        out << QDateTime::currentDateTime().toString(Qt::ISODate) << ' ' << QString(message).replace('\r', ' ')
            << '\n';
    }
}

void report(const QString &message)
{
    log(message);
    Messages::show(message);
}

bool guard(const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const SilentAbort &) {
        return false;
    } catch (...) {
        report(Failure::messageOf(std::current_exception()));
        return false;
    }
}

bool guardRepeated(QString &lastFailure, const std::function<void()> &body)
{
    try {
        body();
        lastFailure.clear();
        return true;
    } catch (const SilentAbort &) {
        return false;
    } catch (...) {
        const QString message = Failure::messageOf(std::current_exception());
        if (message == lastFailure) {
            log(message);
        } else {
            lastFailure = message;
            report(message);
        }
        return false;
    }
}

}
