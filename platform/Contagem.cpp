#include "platform/Contagem.h"

#include <QLocale>

namespace Contagem {

QString de(qint64 n, const QString &singular, const QString &plural)
{
    return QLocale().toString(n) + QLatin1Char(' ') + (n == 1 ? singular : plural);
}

}
