#include "closing/ClosingFigures.h"

#include "data/PedidosDoPeriodo.h"
#include "data/SqlText.h"

namespace {

QString quotedDate(const QDate &d) { return QLatin1Char('\'') + SqlText::dateMDY(d) + QLatin1Char('\''); }

Decimal money(const QVariant &v)
{
    return v.isValid() && !v.isNull() ? Decimal::fromVariant(v).rescaled(2) : Decimal(0, 2);
}

QDate firstMonth(const QDate &reference) { return QDate(reference.year(), reference.month(), 1).addMonths(-11); }

}

QList<MonthFigures> YearOfMonths::of(const QString &convenio) const
{
    if (!convenio.isNull())
        return byConvenio.value(convenio, QList<MonthFigures>(months.size()));
    QList<MonthFigures> all(months.size());
    for (const auto &one : byConvenio)
        for (qsizetype m = 0; m < all.size(); ++m) {
            all[m].open = all[m].open + one[m].open;
            all[m].settled = all[m].settled + one[m].settled;
        }
    return all;
}

namespace ClosingFigures {

SqlText::ComValores sqlOpenOrders(const QDate &from, const QDate &to, const QDate &reference)
{
    // Each age is a sum over the same rows, so the grouping reads the orders once. An order dated
    // after the reference day is of the first age.
    const QString d30 = quotedDate(reference.addDays(-30)), d60 = quotedDate(reference.addDays(-60)),
                  d90 = quotedDate(reference.addDays(-90));
    const QString ages =
        QStringLiteral(", sum(case when P.DATAPEDIDO >= %1 then P.VALORRESTANTE end) IDADE1"
                       ", sum(case when P.DATAPEDIDO < %1 and P.DATAPEDIDO >= %2 then P.VALORRESTANTE end) IDADE2"
                       ", sum(case when P.DATAPEDIDO < %2 and P.DATAPEDIDO >= %3 then P.VALORRESTANTE end) IDADE3"
                       ", sum(case when P.DATAPEDIDO < %3 or P.DATAPEDIDO is null then P.VALORRESTANTE end) IDADE4")
            .arg(d30, d60, d90);
    // The outer join keeps the convênios first, so that each one's orders are reached through the
    // (CONVENIO, DATAPEDIDO) index; an inner join lets the optimizer walk every order instead.
    const PedidosDoPeriodo::Condicao abertos = PedidosDoPeriodo::deCadaConvenio(
        QStringLiteral("C.CONVENIO"), {from, to}, PedidosDoPeriodo::Pagamento::Abertos, QStringLiteral("P"));
    return {QStringLiteral("select C.CONVENIO, count(P.NPEDIDO) QDE, sum(P.VALORRESTANTE) TOTAL") + ages +
                QStringLiteral(" from CONVENIO C left join PEDIDOS P on ") + abertos.texto +
                QStringLiteral(" group by C.CONVENIO"),
            abertos.valores};
}

QHash<QString, OpenOrders> openOrdersByConvenio(Connection &connection, const QDate &from, const QDate &to,
                                                const QDate &reference)
{
    const SqlText::ComValores sql = sqlOpenOrders(from, to, reference);
    const RowSet rs = connection.query(sql.texto, sql.valores);
    QHash<QString, OpenOrders> out;
    out.reserve(rs.rowCount());
    for (const auto &row : rs.rows) {
        OpenOrders o;
        o.count = row[1].toInt();
        o.remaining = money(row[2]);
        for (int age = 0; age < 4; ++age)
            o.byAge[age] = money(row[3 + age]);
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

QVariant ageOf(const QHash<QString, OpenOrders> &figures, const QString &convenio, int age)
{
    return QVariant::fromValue(figures.value(convenio).byAge.at(age));
}

RowSet withFigures(const RowSet &convenios, const QHash<QString, OpenOrders> &figures)
{
    RowSet out = convenios;
    out.fields << Field{CountField, Field::Integer, 4} << Field{RemainingField, Field::Numeric, 8, 2};
    for (const QString &age : AgeFields)
        out.fields << Field{age, Field::Numeric, 8, 2};
    const int name = convenios.indexOf(QStringLiteral("CONVENIO"));
    for (auto &row : out.rows) {
        const QString convenio = name < 0 ? QString() : row.value(name).toString();
        row << countOf(figures, convenio) << remainingOf(figures, convenio);
        for (int age = 0; age < 4; ++age)
            row << ageOf(figures, convenio, age);
    }
    return out;
}

QString sqlMonths(const QDate &reference, const QString &convenio)
{
    const QDate first = firstMonth(reference);
    const QDate last = QDate(reference.year(), reference.month(), 1).addMonths(1).addDays(-1);
    const QString sums = QStringLiteral("extract(year from P.DATAPEDIDO) ANO, extract(month from P.DATAPEDIDO) MES, "
                                        "sum(case when P.DATAPAGAMENTO is null then P.VALORRESTANTE end) ABERTO, "
                                        "sum(case when P.DATAPAGAMENTO is not null then P.VALORRESTANTE end) QUITADO");
    const QString months = QStringLiteral("P.TIPOPEDIDO = 'Pedido' and P.DATAPEDIDO >= %1 and P.DATAPEDIDO <= %2")
                               .arg(quotedDate(first), quotedDate(last));
    const QString groups = QStringLiteral(", extract(year from P.DATAPEDIDO), extract(month from P.DATAPEDIDO)");
    if (!convenio.isNull())
        return QStringLiteral("select P.CONVENIO, ") + sums + QStringLiteral(" from PEDIDOS P where P.CONVENIO = '") +
               SqlText::quoted(convenio) + QStringLiteral("' and ") + months + QStringLiteral(" group by P.CONVENIO") + groups;
    // Joined as the open orders are, through the (CONVENIO, DATAPEDIDO) index; a convênio without
    // orders of the months gives one row without month, which is passed over.
    return QStringLiteral("select C.CONVENIO, ") + sums +
           QStringLiteral(" from CONVENIO C left join PEDIDOS P on P.CONVENIO = C.CONVENIO and ") + months +
           QStringLiteral(" group by C.CONVENIO") + groups;
}

YearOfMonths monthsByConvenio(Connection &connection, const QDate &reference, const QString &convenio)
{
    YearOfMonths out;
    const QDate first = firstMonth(reference);
    for (int m = 0; m < 12; ++m)
        out.months << first.addMonths(m);
    const RowSet rs = connection.query(sqlMonths(reference, convenio));
    for (const auto &row : rs.rows) {
        if (!row[1].isValid() || row[1].isNull())
            continue;
        const int m = (row[1].toInt() - first.year()) * 12 + row[2].toInt() - first.month();
        if (m < 0 || m >= 12)
            continue;
        auto it = out.byConvenio.find(row[0].toString());
        if (it == out.byConvenio.end())
            it = out.byConvenio.insert(row[0].toString(), QList<MonthFigures>(12));
        (*it)[m].open = (*it)[m].open + money(row[3]);
        (*it)[m].settled = (*it)[m].settled + money(row[4]);
    }
    return out;
}

}
