#include "billing/Pix.h"

#include <QRegularExpression>
#include <qrencode.h>

#include <memory>
#include <stdexcept>

namespace Pix {

namespace {

constexpr int kNome = 25;
constexpr int kCidade = 15;
constexpr int kTxid = 25;

std::invalid_argument recusa(const char *porque) { return std::invalid_argument(porque); }

QByteArray ascii(const QString &s) { return s.toLatin1(); }

}

QByteArray campo(const QString &id, const QByteArray &valor)
{
    if (valor.size() > 99)
        throw std::invalid_argument("campo do PIX com mais de 99 caracteres");
    return ascii(id) + QByteArray::number(valor.size()).rightJustified(2, '0') + valor;
}

QString crc16(const QByteArray &dados)
{
    quint16 crc = 0xFFFF;
    for (const char c : dados) {
        crc ^= quint16(quint8(c)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return QStringLiteral("%1").arg(crc, 4, 16, QLatin1Char('0')).toUpper();
}

QString textoDoCampo(const QString &texto, int maximo)
{
    QString out;
    for (const QChar c : texto.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            out += c;
    }
    return out.simplified().left(maximo).trimmed();
}

QString txidDe(const QString &texto)
{
    static const QRegularExpression outros(QStringLiteral("[^A-Za-z0-9]"));
    return textoDoCampo(texto, 200).remove(outros).left(kTxid);
}

QString payload(const Cobranca &c)
{
    const QString chave = c.chave.trimmed();
    const QString nome = textoDoCampo(c.nome, kNome);
    const QString cidade = textoDoCampo(c.cidade, kCidade);
    if (chave.isEmpty())
        throw recusa("Falta a chave PIX da farmácia nas configurações de faturamento.");
    if (nome.isEmpty() || cidade.isEmpty())
        throw recusa("Faltam o nome e a cidade do recebedor do PIX nas configurações de faturamento.");
    // The key's field and the system's identifier share field 26, at most 99 characters.
    if (chave.toUtf8().size() > 77)
        throw recusa("A chave PIX tem mais de 77 caracteres.");
    const QString txid = txidDe(c.txid);

    QByteArray p = campo(QStringLiteral("00"), "01");
    p += campo(QStringLiteral("26"), campo(QStringLiteral("00"), "BR.GOV.BCB.PIX") + campo(QStringLiteral("01"), chave.toUtf8()));
    p += campo(QStringLiteral("52"), "0000");
    p += campo(QStringLiteral("53"), "986");
    if (!c.valor.isZero())
        p += campo(QStringLiteral("54"), ascii(c.valor.rescaled(2).toSqlText(2)));
    p += campo(QStringLiteral("58"), "BR");
    p += campo(QStringLiteral("59"), ascii(nome));
    p += campo(QStringLiteral("60"), ascii(cidade));
    p += campo(QStringLiteral("62"), campo(QStringLiteral("05"), txid.isEmpty() ? QByteArray("***") : ascii(txid)));
    p += "6304";
    return QString::fromUtf8(p) + crc16(p);
}

QList<Campo> campos(const QString &payload)
{
    // Lengths count bytes: a key may hold non-ASCII characters.
    const QByteArray b = payload.toUtf8();
    QList<Campo> out;
    for (qsizetype i = 0; i + 4 <= b.size();) {
        bool ok = false;
        const int n = b.mid(i + 2, 2).toInt(&ok);
        if (!ok || i + 4 + n > b.size())
            break;
        out << Campo{QString::fromLatin1(b.mid(i, 2)), QString::fromUtf8(b.mid(i + 4, n))};
        i += 4 + n;
    }
    return out;
}

QString valorDe(const QList<Campo> &lista, const QString &id)
{
    for (const Campo &c : lista)
        if (c.id == id)
            return c.valor;
    return {};
}

QImage qrCode(const QString &texto, int modulo)
{
    const QByteArray dados = texto.toUtf8();
    std::unique_ptr<QRcode, decltype(&QRcode_free)> qr(
        QRcode_encodeData(int(dados.size()), reinterpret_cast<const unsigned char *>(dados.constData()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    if (!qr)
        return {};
    constexpr int kMargem = 4;
    const int lado = (qr->width + 2 * kMargem) * modulo;
    QImage img(lado, lado, QImage::Format_Mono);
    img.setColorCount(2);
    img.setColor(0, qRgb(255, 255, 255));
    img.setColor(1, qRgb(0, 0, 0));
    img.fill(0);
    for (int y = 0; y < qr->width; ++y)
        for (int x = 0; x < qr->width; ++x)
            if (qr->data[y * qr->width + x] & 1)
                for (int dy = 0; dy < modulo; ++dy)
                    for (int dx = 0; dx < modulo; ++dx)
                        img.setPixel((x + kMargem) * modulo + dx, (y + kMargem) * modulo + dy, 1);
    return img;
}

}
