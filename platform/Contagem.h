#pragma once
#include <QString>

// A number of things as a message says it: the number in the user's locale, with its thousands
// separator ("20.000" under pt_BR), and the word that agrees with it ("1 pedido", "2 pedidos").
namespace Contagem {

QString de(qint64 n, const QString &singular, const QString &plural);
inline QString pedidos(qint64 n) { return de(n, QStringLiteral("pedido"), QStringLiteral("pedidos")); }

}
