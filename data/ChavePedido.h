#pragma once
#include "data/SqlText.h"

#include <QHashFunctions>
#include <QString>
#include <QVariant>
#include <QVariantList>

// An order's key: the workstation that took it (two characters) and its number. Formatted only
// where it meets a statement (its values, or the suite's own texts) and the screen.
class ChavePedido {
public:
    ChavePedido() = default;
    // `numero` as the database gives it (an integer, or a decimal without places) or its digits.
    ChavePedido(const QString &estacao, const QVariant &numero) : m_estacao(estacao), m_numero(SqlText::number(numero)) {}

    // The station as it was read: a one-character station keeps its blank where the suite's texts
    // run it into the number.
    const QString &estacao() const { return m_estacao; }
    const QString &numero() const { return m_numero; }   // the number's digits
    bool vazia() const { return m_estacao.isEmpty() && m_numero.isEmpty(); }

    // "7 da estação 01".
    QString texto() const { return m_numero + QStringLiteral(" da estação ") + estacaoSemBrancos(); }
    // Station and number run together, as the cash register and the receivable accounts name the
    // order ("017").
    QString junta() const { return m_estacao + m_numero; }
    // The values of "ESTACAO = ? and NPEDIDO = ?".
    QVariantList valores() const { return {estacaoSemBrancos(), m_numero.toLongLong()}; }

    // As the database compares keys: trailing blanks of the station do not count.
    bool operator==(const ChavePedido &o) const
    {
        return m_numero == o.m_numero && estacaoSemBrancos() == o.estacaoSemBrancos();
    }
    friend size_t qHash(const ChavePedido &c, size_t seed = 0) { return qHashMulti(seed, c.estacaoSemBrancos(), c.m_numero); }

private:
    QString estacaoSemBrancos() const
    {
        QString s = m_estacao;
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        return s;
    }

    QString m_estacao;
    QString m_numero;
};
