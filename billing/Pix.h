#pragma once
#include "data/Decimal.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// The static PIX charge that a statement or a receipt carries: the Banco Central's BR Code, a text of
// tag-length-value fields ending in a CRC, that any bank's app reads from a QR code or from the
// "copia e cola" text.
namespace Pix {

struct Cobranca {
    QString chave;    // the pharmacy's PIX key (CNPJ, e-mail, phone or random key)
    QString nome;     // the receiver's name, cut to 25 characters
    QString cidade;   // the receiver's city, cut to 15 characters
    Decimal valor;    // zero leaves the amount to the payer
    QString txid;     // names what is paid; letters and digits, at most 25; "***" when empty
};

// One field: two-digit id, two-digit length, value. Raises when the value is longer than 99.
QByteArray campo(const QString &id, const QByteArray &valor);

// CRC16-CCITT (polynomial 0x1021, initial 0xFFFF) as four upper-case hex digits.
QString crc16(const QByteArray &dados);

// The whole payload, CRC included. Raises (std::invalid_argument, a Portuguese text) when the key,
// the name or the city is missing or the key is too long for its field.
QString payload(const Cobranca &cobranca);

// A text as the fixed fields take it: accents removed, only printable ASCII, cut to `maximo`.
QString textoDoCampo(const QString &texto, int maximo);
// Letters and digits only, at most 25.
QString txidDe(const QString &texto);

// A payload read back field by field (ids in order); the sub-fields of 26 and 62 are read the same way.
struct Campo {
    QString id;
    QString valor;
};
QList<Campo> campos(const QString &payload);
QString valorDe(const QList<Campo> &campos, const QString &id);   // empty when absent

// The QR code of a text (error correction M), `modulo` pixels a module, with the quiet zone of
// four modules. A null image when the text cannot be encoded.
QImage qrCode(const QString &texto, int modulo = 4);

}
