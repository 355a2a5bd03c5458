#include "reports/Emitente.h"

#include "data/SqlText.h"
#include "platform/WinText.h"

#include <QRegularExpression>

namespace {
QString texto(const QVariant &v) { return v.isValid() && !v.isNull() ? v.toString().trimmed() : QString(); }
}

QString formatCnpj(const QString &cnpj)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{14}$"));
    if (!digits.match(cnpj).hasMatch())
        return cnpj;
    return cnpj.mid(0, 2) + QLatin1Char('.') + cnpj.mid(2, 3) + QLatin1Char('.') + cnpj.mid(5, 3) + QLatin1Char('/') +
           cnpj.mid(8, 4) + QLatin1Char('-') + cnpj.mid(12, 2);
}

QString Emitente::linhaCnpj() const
{
    const QString c = cnpj.trimmed();
    return c.isEmpty() ? QString() : QStringLiteral("CNPJ ") + formatCnpj(c);
}

QList<ReportTextLine> Emitente::cabecalho(const QString &titulo) const
{
    QList<ReportTextLine> linhas;
    if (!farmacia.trimmed().isEmpty())
        linhas << ReportTextLine{farmacia.trimmed(), {14, true}, Qt::AlignHCenter};
    if (!linhaCnpj().isEmpty())
        linhas << ReportTextLine{linhaCnpj(), {9, false}, Qt::AlignHCenter};
    linhas << ReportTextLine{titulo, {13, true}, Qt::AlignHCenter};
    return linhas;
}

RowSet Emitente::comoLinhas() const
{
    RowSet rs;
    rs.fields << Field{QStringLiteral("FARMACIA")} << Field{QStringLiteral("CNPJ")};
    rs.rows << QVector<QVariant>{farmacia.trimmed(), linhaCnpj()};
    return rs;
}

QString Emitente::sql(const QString &estacao, const QString &usuario)
{
    if (!estacao.trimmed().isEmpty())
        return QStringLiteral("select first 1 ROTULO1, DATBASNAM, CNPJ from ESTACOES where ESTACAO = '") +
               SqlText::quoted(estacao.trimmed()) + QLatin1Char('\'');
    return QStringLiteral("select first 1 ROTULO1, DATBASNAM, CNPJ from ESTACOES where upper(USUARIO) = '") +
           SqlText::quoted(WinText::upperAscii(usuario)) + QStringLiteral("' order by ESTACAO");
}

Emitente Emitente::le(Connection &central, const QString &estacao, const QString &usuario)
{
    const RowSet rs = central.query(sql(estacao, usuario));
    if (rs.rows.isEmpty())
        return {};
    const QString rotulo = texto(rs.rows[0].value(0));
    return {rotulo.isEmpty() ? texto(rs.rows[0].value(1)) : rotulo, texto(rs.rows[0].value(2))};
}
