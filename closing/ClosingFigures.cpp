#include "closing/ClosingFigures.h"

#include "data/SqlText.h"

namespace ClosingFigures {

QString sqlOpenOrders(const QDate &from, const QDate &to)
{
    // The outer join keeps the convênios first, so that each one's orders are reached through the
    // (CONVENIO, DATAPEDIDO) index; an inner join lets the optimizer walk every order instead.
    QString sql = QStringLiteral("select C.CONVENIO, count(P.NPEDIDO) QDE, sum(P.VALORRESTANTE) TOTAL from CONVENIO C "
                                 "left join PEDIDOS P on P.CONVENIO = C.CONVENIO and P.TIPOPEDIDO = 'Pedido'");
    if (from.isValid())
        sql += QStringLiteral(" AND P.DATAPEDIDO >= '") + SqlText::dateMDY(from) + QLatin1Char('\'');
    if (to.isValid())
        sql += QStringLiteral(" and P.DATAPEDIDO <= '") + SqlText::dateMDY(to) + QLatin1Char('\'');
    return sql + QStringLiteral(" and P.DATAPAGAMENTO IS NULL group by C.CONVENIO");
}

QHash<QString, OpenOrders> openOrdersByConvenio(Connection &connection, const QDate &from, const QDate &to)
{
    const RowSet rs = connection.query(sqlOpenOrders(from, to));
    QHash<QString, OpenOrders> out;
    out.reserve(rs.rowCount());
    for (const auto &row : rs.rows) {
        OpenOrders o;
        o.count = row[1].toInt();
        if (row[2].isValid() && !row[2].isNull())
            o.remaining = Decimal::fromVariant(row[2]).rescaled(2);
        out.insert(row[0].toString(), o);
    }
    return out;
}

QVariant countOf(const QHash<QString, OpenOrders> &figures, const QString &convenio)
{
    return figures.value(convenio).count;
}

QVariant remainingOf(const QHash<QString, OpenOrders> &figures, const QString &convenio)
{
    return QVariant::fromValue(figures.value(convenio).remaining);
}

RowSet withFigures(const RowSet &convenios, const QHash<QString, OpenOrders> &figures)
{
    RowSet out = convenios;
    Field count;
    count.name = CountField;
    count.type = Field::Integer;
    count.size = 4;
    Field remaining;
    remaining.name = RemainingField;
    remaining.type = Field::Numeric;
    remaining.size = 8;
    remaining.scale = 2;
    out.fields << count << remaining;
    const int name = convenios.indexOf(QStringLiteral("CONVENIO"));
    for (auto &row : out.rows) {
        const QString convenio = name < 0 ? QString() : row.value(name).toString();
        row << countOf(figures, convenio) << remainingOf(figures, convenio);
    }
    return out;
}

}
