#include "data/SqlText.h"

#include "data/Decimal.h"

#include <QRegularExpression>

namespace SqlText {

QString quoted(const QString &value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

QString dateMDY(const QDate &date) { return date.isValid() ? date.toString(QStringLiteral("MM/dd/yy")) : QString(); }

QString dateDMY(const QDate &date) { return date.isValid() ? date.toString(QStringLiteral("dd/MM/yy")) : QString(); }

QString time24(const QTime &time) { return time.toString(QStringLiteral("HH:mm:ss")); }

QString number(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<Decimal>())
        return value.value<Decimal>().toSqlText(0);
    return value.toString();
}

QDate parseDMY(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return {};
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += (year < 50) ? 2000 : 1900;
    return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
}

}
