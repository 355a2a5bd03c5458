#pragma once
#include <QLocale>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <optional>

// An exact decimal: a 64-bit count of units of 10^-scale. Money and the database's scaled numbers
// travel as Decimal from the database to the "0.00" texts, never through binary floating point.
class Decimal {
public:
    Decimal() = default;
    Decimal(qint64 units, int scale) : m_units(units), m_scale(scale) {}
    static Decimal fromInt(qint64 v) { return Decimal(v, 0); }
    // Accepts "1234", "-12.5", "0.005" (a point as decimal separator); nullopt for anything else.
    static std::optional<Decimal> parse(const QString &text);
    // Reads a value of any of the types the data layer returns (Decimal, integers, double, text).
    static Decimal fromVariant(const QVariant &v);

    qint64 units() const { return m_units; }
    int scale() const { return m_scale; }
    bool isZero() const { return m_units == 0; }

    // Same value at another scale, rounded half away from zero when places are dropped.
    Decimal rescaled(int scale) const;
    double toDouble() const;

    // "0.00" style: at least one integer digit, `places` decimals, a point, no grouping.
    QString toSqlText(int places = 2) const;
    // "#,##0.00" style with the locale's group and decimal separators.
    QString toDisplayText(const QLocale &locale = QLocale(), int places = 2) const;

    Decimal operator+(const Decimal &o) const;
    Decimal operator-(const Decimal &o) const;
    bool operator==(const Decimal &o) const;
    bool operator!=(const Decimal &o) const { return !(*this == o); }
    bool operator<(const Decimal &o) const;

private:
    qint64 m_units = 0;
    int m_scale = 0;
};

Q_DECLARE_METATYPE(Decimal)
