#include "platform/WinText.h"

#include <algorithm>

namespace {
// Code points of 0x80..0x9F in Windows-1252; 0 marks the five undefined codes, read as C1 controls.
const char16_t kHighTable[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int codeOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    if (u >= 0x80 && u <= 0x9F)   // C1 controls stand for the undefined codes
        return (kHighTable[u - 0x80] == 0) ? int(u) : -1;
    for (int i = 0; i < 32; ++i)
        if (kHighTable[i] == u && u != 0)
            return 0x80 + i;
    return -1;
}

// The byte a character is written as: its code, or '?' when the code page has none.
char byteOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    const int code = codeOf(c);
    return char(code < 0 ? '?' : code);
}
}

// The table is written out by hand because Qt's own converters reach Windows-1252 only through ICU,
// which is not on every workstation, and the round trip of the five undefined codes must be exact.
namespace WinText {

QByteArray encode(const QString &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *o = out.data();
    for (const QChar c : text)
        *o++ = byteOf(c);
    return out;
}

QString decode(const QByteArray &bytes) { return decode(bytes.constData(), bytes.size()); }

QString decode(const char *data, qsizetype size)
{
    // Windows-1252 is Latin-1 but for 0x80..0x9F: Qt's Latin-1 conversion does the bulk, and only
    // those codes are put right afterwards.
    QString out = QString::fromLatin1(data, size);
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && u <= 0x9F && kHighTable[u - 0x80] != 0)
            c = QChar(kHighTable[u - 0x80]);
    }
    return out;
}

int compare(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(byteOf(a[i])), cb = static_cast<unsigned char>(byteOf(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool representable(const QString &text)
{
    for (const QChar c : text)
        if (codeOf(c) < 0)
            return false;
    return true;
}

QString upperAscii(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    return out;
}

QString lowerAscii(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return out;
}

}
