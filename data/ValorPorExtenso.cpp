#include "data/ValorPorExtenso.h"

#include <QStringList>

namespace {

const char *const unidades[] = {"",      "um",     "dois",    "três",     "quatro",    "cinco",     "seis",
                                "sete",  "oito",   "nove",    "dez",      "onze",      "doze",      "treze",
                                "catorze", "quinze", "dezesseis", "dezessete", "dezoito", "dezenove"};
const char *const dezenas[] = {"", "", "vinte", "trinta", "quarenta", "cinquenta", "sessenta", "setenta", "oitenta", "noventa"};
const char *const centenas[] = {"",           "cento",      "duzentos",  "trezentos", "quatrocentos",
                                "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};

// 1 to 999.
QString ate999(int n)
{
    if (n == 100)
        return QStringLiteral("cem");
    QStringList partes;
    if (n >= 100)
        partes << QString::fromUtf8(centenas[n / 100]);
    const int resto = n % 100;
    if (resto >= 20) {
        partes << QString::fromUtf8(dezenas[resto / 10]);
        if (resto % 10)
            partes << QString::fromUtf8(unidades[resto % 10]);
    } else if (resto > 0) {
        partes << QString::fromUtf8(unidades[resto]);
    }
    return partes.join(QStringLiteral(" e "));
}

// A whole number from 0 to 999,999,999,999: groups of three digits joined as Portuguese joins them
// ("mil e cem", "mil duzentos e cinquenta", "dois milhões e cinco mil").
QString inteiro(qint64 n)
{
    struct Grupo {
        qint64 escala;
        const char *singular;
        const char *plural;
    };
    static const Grupo grupos[] = {{1000000000, "bilhão", "bilhões"}, {1000000, "milhão", "milhões"}, {1000, "mil", "mil"}, {1, "", ""}};
    QStringList partes;
    int ultimo = 0;   // the last group written, for the joining "e"
    for (const Grupo &g : grupos) {
        const int valor = int(n / g.escala % 1000);
        if (valor == 0)
            continue;
        QString texto;
        if (g.escala == 1000 && valor == 1)
            texto = QStringLiteral("mil");
        else if (g.escala == 1)
            texto = ate999(valor);
        else
            texto = ate999(valor) + QLatin1Char(' ') + QString::fromUtf8(valor == 1 ? g.singular : g.plural);
        partes << texto;
        ultimo = valor;
    }
    if (partes.isEmpty())
        return QStringLiteral("zero");
    // The last group joins with "e" when it is below a hundred or a round hundred.
    if (partes.size() > 1 && (ultimo < 100 || ultimo % 100 == 0)) {
        const QString fim = partes.takeLast();
        return partes.join(QLatin1Char(' ')) + QStringLiteral(" e ") + fim;
    }
    return partes.join(QLatin1Char(' '));
}

}

QString valorPorExtenso(const Decimal &valor)
{
    const QString texto = valor.rescaled(2).toSqlText();   // "-1234.56"
    const QString semSinal = texto.startsWith(QLatin1Char('-')) ? texto.mid(1) : texto;
    const qint64 reais = semSinal.section(QLatin1Char('.'), 0, 0).toLongLong();
    const int centavos = semSinal.section(QLatin1Char('.'), 1, 1).leftJustified(2, QLatin1Char('0')).left(2).toInt();

    QStringList partes;
    if (reais > 0 || centavos == 0) {
        QString r = inteiro(reais);
        // "um milhão de reais", "dois bilhões de reais": a round million takes "de".
        if (reais >= 1000000 && reais % 1000000 == 0)
            r += QStringLiteral(" de");
        partes << r + (reais == 1 ? QStringLiteral(" real") : QStringLiteral(" reais"));
    }
    if (centavos > 0)
        partes << inteiro(centavos) + (centavos == 1 ? QStringLiteral(" centavo") : QStringLiteral(" centavos"));
    return partes.join(QStringLiteral(" e "));
}
