#include "platform/TextLine.h"

#include <QIODevice>

bool readTextLine(QIODevice &in, qsizetype width, QByteArray &line)
{
    line.clear();
    char c;
    if (!in.getChar(&c))
        return false;
    for (;;) {
        if (c == '\n')
            return true;
        if (c == '\r') {
            char next;
            if (in.peek(&next, 1) == 1 && next == '\n')
                in.getChar(&next);
            return true;
        }
        if (line.size() < width)
            line.append(c);
        if (!in.getChar(&c))
            return true;
    }
}
