#pragma once
#include <QByteArray>
#include <QString>

// The suite keeps its text in the Windows-1252 code page: in its databases and in its text files.
namespace WinText {

// Characters that Windows-1252 cannot hold become '?'.
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
QString decode(const char *data, qsizetype size);

// Orders two texts as their Windows-1252 bytes compare (characters it cannot hold count as '?'):
// -1, 0 or 1.
int compare(QStringView a, QStringView b);

// True when every character of `text` has a Windows-1252 code.
bool representable(const QString &text);

// Upper-cases only the letters a to z, as the suite does; every other character stays.
QString upperAscii(const QString &text);
// Lower-cases only the letters A to Z.
QString lowerAscii(const QString &text);

}
