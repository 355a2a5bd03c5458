#include "platform/ProcessStart.h"

#include "platform/SuitePaths.h"

#include <QDir>
#include <QProcess>

namespace {
std::function<void(const QString &, const QStringList &)> g_recorder;
}

namespace ProcessStart {

QStringList splitCommandLine(const QString &commandLine)
{
    QStringList words;
    QString current;
    bool inQuotes = false;
    bool hasWord = false;
    for (const QChar c : commandLine) {
        if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            hasWord = true;
        } else if ((c == QLatin1Char(' ') || c == QLatin1Char('\t')) && !inQuotes) {
            if (hasWord)
                words << current;
            current.clear();
            hasWord = false;
        } else {
            current += c;
            hasWord = true;
        }
    }
    if (hasWord)
        words << current;
    return words;
}

bool start(const QString &commandLine)
{
    QStringList words = splitCommandLine(commandLine);
    if (words.isEmpty())
        return false;
    const QString program = SuitePaths::map(words.takeFirst());
    if (g_recorder) {
        g_recorder(program, words);
        return true;
    }
    return QProcess::startDetached(program, words, QDir::currentPath());
}

void setRecorder(const std::function<void(const QString &, const QStringList &)> &recorder) { g_recorder = recorder; }

}
