#include "data/CodificaSenha.h"

#include "platform/WinText.h"

#include <QByteArray>

QString CodificaSenha(const QString &texto)
{
    QByteArray bytes = WinText::encode(texto);
    bytes.truncate(bytes.size() % 32);
    const int n = int(bytes.size());
    if (n == 0)
        return {};
    // Bit i of the rotated string is bit (i + 3) mod 8n of the original, counting from the left.
    auto bit = [&](int i) {
        const int j = (i + 3) % (8 * n);
        return (static_cast<unsigned char>(bytes[j / 8]) >> (7 - j % 8)) & 1;
    };
    QString out;
    out.reserve(2 * n);
    for (int k = n - 1; k >= 0; --k) {   // the last 8 digits form the first byte
        int value = 0;
        for (int b = 0; b < 8; ++b)
            value = (value << 1) | bit(8 * k + b);
        out += QChar('A' + (value >> 4));
        out += QChar('A' + (value & 15));
    }
    return out;
}
