#include "platform/ProcessStart.h"

#include "platform/SuitePaths.h"

#include <QDir>
#include <QFileInfo>
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

namespace {
// As Windows reads a command line whose program path has blanks and no quotes: the shortest text
// up to a blank that names an existing file is the program, the rest its arguments.
QStringList programAndArguments(const QString &commandLine)
{
    if (!commandLine.contains(QLatin1Char('"'))) {
        for (qsizetype i = commandLine.indexOf(QLatin1Char(' ')); i > 0; i = commandLine.indexOf(QLatin1Char(' '), i + 1)) {
            const QString candidate = commandLine.left(i);
            if (QFileInfo(SuitePaths::map(candidate)).isFile())
                return QStringList{candidate} + splitCommandLine(commandLine.mid(i));
        }
    }
    return splitCommandLine(commandLine);
}
}

bool start(const QString &commandLine)
{
    QStringList words = programAndArguments(commandLine);
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
