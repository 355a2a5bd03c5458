#include "data/Decimal.h"

#include <QDate>
#include <cmath>
#include <stdexcept>

namespace {
qint64 pow10(int n)
{
    qint64 r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

void align(const Decimal &a, const Decimal &b, qint64 &ua, qint64 &ub, int &scale)
{
    scale = std::max(a.scale(), b.scale());
    ua = a.units() * pow10(scale - a.scale());
    ub = b.units() * pow10(scale - b.scale());
}
}

std::optional<Decimal> Decimal::parse(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        i = 1;
    }
    qint64 units = 0;
    int scale = 0;
    bool seenPoint = false, seenDigit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else if (c.isDigit() && c.unicode() < 128) {
            if (units > (std::numeric_limits<qint64>::max() - 9) / 10 || scale >= 18)
                return std::nullopt;
            units = units * 10 + (c.unicode() - '0');
            seenDigit = true;
            if (seenPoint)
                ++scale;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;
    return Decimal(negative ? -units : units, scale);
}

Decimal Decimal::fromVariant(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return Decimal();
    if (v.canConvert<Decimal>() && v.metaType() == QMetaType::fromType<Decimal>())
        return v.value<Decimal>();
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return Decimal(v.toLongLong(), 0);
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        return Decimal(qint64(std::llround(d * 1e8)), 8);
    }
    default:
        break;
    }
    if (auto d = parse(v.toString()))
        return *d;
    throw std::runtime_error(QStringLiteral("'%1' não é um número válido.").arg(v.toString()).toStdString());
}

Decimal Decimal::rescaled(int scale) const
{
    if (scale == m_scale)
        return *this;
    if (scale > m_scale)
        return Decimal(m_units * pow10(scale - m_scale), scale);
    const qint64 div = pow10(m_scale - scale);
    qint64 q = m_units / div;
    const qint64 r = m_units % div;
    if (std::llabs(r) * 2 >= div)
        q += (m_units < 0) ? -1 : 1;
    return Decimal(q, scale);
}

double Decimal::toDouble() const { return double(m_units) / double(pow10(m_scale)); }

QString Decimal::toSqlText(int places) const
{
    const Decimal r = rescaled(places);
    const qint64 abs = std::llabs(r.units());
    const qint64 div = pow10(places);
    QString s = QString::number(abs / div);
    if (places > 0)
        s += QLatin1Char('.') + QString::number(abs % div).rightJustified(places, QLatin1Char('0'));
    return (r.units() < 0 ? QStringLiteral("-") : QString()) + s;
}

QString Decimal::toDisplayText(const QLocale &locale, int places) const
{
    const Decimal r = rescaled(places);
    const qint64 abs = std::llabs(r.units());
    const qint64 div = pow10(places);
    QString digits = QString::number(abs / div);
    QString grouped;
    const QString group = locale.groupSeparator();
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += group;
        grouped += digits[i];
    }
    if (places > 0)
        grouped += locale.decimalPoint() + QString::number(abs % div).rightJustified(places, QLatin1Char('0'));
    return (r.units() < 0 ? QStringLiteral("-") : QString()) + grouped;
}

Decimal Decimal::operator+(const Decimal &o) const
{
    qint64 a, b;
    int s;
    align(*this, o, a, b, s);
    return Decimal(a + b, s);
}

Decimal Decimal::operator-(const Decimal &o) const
{
    qint64 a, b;
    int s;
    align(*this, o, a, b, s);
    return Decimal(a - b, s);
}

bool Decimal::operator==(const Decimal &o) const
{
    qint64 a, b;
    int s;
    align(*this, o, a, b, s);
    return a == b;
}

bool Decimal::operator<(const Decimal &o) const
{
    qint64 a, b;
    int s;
    align(*this, o, a, b, s);
    return a < b;
}
