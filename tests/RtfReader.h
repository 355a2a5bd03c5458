#pragma once
// Reads the text of an RTF file for the tests, checking its form on the way.
#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/WinText.h"

namespace RtfReader {

// The text of an RTF file, checked on the way: it must open with the RTF header, every group must
// close, and every control word must be well formed.
inline QString text(const QByteArray &rtf, QString *error)
{
    if (!rtf.startsWith("{\\rtf1")) {
        *error = QStringLiteral("no RTF header");
        return {};
    }
    QString text;
    int depth = 0;
    QList<bool> skip{false};
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            skip.append(skip.last());
        } else if (c == '}') {
            if (--depth < 0) {
                *error = QStringLiteral("a group closes that was never opened");
                return {};
            }
            skip.removeLast();
            if (depth == 0 && rtf.mid(i + 1).trimmed().size() > 0) {
                *error = QStringLiteral("text after the document's end");
                return {};
            }
        } else if (c == '\\') {
            const char n = i + 1 < rtf.size() ? rtf[i + 1] : char(0);
            if (n == '\\' || n == '{' || n == '}') {
                if (!skip.last())
                    text += QLatin1Char(n);
                ++i;
            } else if (n == '\'') {
                bool ok = false;
                const int code = rtf.mid(i + 2, 2).toInt(&ok, 16);
                if (!ok) {
                    *error = QStringLiteral("a bad \\' escape");
                    return {};
                }
                if (!skip.last())
                    text += WinText::decode(QByteArray(1, char(code)));
                i += 3;
            } else if (n == '*') {
                skip.last() = true;
                ++i;
            } else if (QChar(n).isLetter()) {
                qsizetype j = i + 1;
                QByteArray word;
                while (j < rtf.size() && QChar(rtf[j]).isLetter())
                    word += rtf[j++];
                const qsizetype numberAt = j;
                while (j < rtf.size() && (rtf[j] == '-' || QChar(rtf[j]).isDigit()))
                    ++j;
                const int number = rtf.mid(numberAt, j - numberAt).toInt();
                if (j < rtf.size() && rtf[j] == ' ')
                    ++j;
                if (word == "u") {   // a Unicode character, then one stand-in character to skip
                    if (!skip.last())
                        text += QChar(char16_t(quint16(qint16(number))));
                    ++j;
                }
                if (word == "fonttbl" || word == "info" || word == "fldinst")
                    skip.last() = true;
                if (!skip.last() && (word == "par" || word == "row"))
                    text += QLatin1Char('\n');
                if (!skip.last() && word == "cell")
                    text += QLatin1Char('\t');
                i = j - 1;
            } else {
                *error = QStringLiteral("a bad control word at %1").arg(i);
                return {};
            }
        } else if (c != '\n' && c != '\r' && !skip.last()) {
            text += QLatin1Char(c);
        }
    }
    if (depth != 0)
        *error = QStringLiteral("%1 groups left open").arg(depth);
    return text;
}


}
