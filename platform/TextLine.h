#pragma once
#include <QByteArray>

class QIODevice;

// Reads the next line of one of the suite's text files as a Windows text reader sees it: the line
// ends at CR LF, at LF alone, at CR alone or at the end of the file. Only the first `width` bytes
// are kept in `line`; the rest of the line is read and dropped, however long it is, so it never
// becomes the next line. Returns false, with `line` empty, when no line is left (or the device
// fails: the caller asks the device which).
bool readTextLine(QIODevice &in, qsizetype width, QByteArray &line);
