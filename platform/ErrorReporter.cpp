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

QString messageOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erro desconhecido.");
    }
}

bool guard(const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const SilentAbort &) {
        return false;
    } catch (...) {
        report(messageOf(std::current_exception()));
        return false;
    }
}

}
