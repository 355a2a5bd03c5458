#include "data/SuiteColumns.h"

#include "data/CentralData.h"
#include "data/Connection.h"
#include "data/SqlText.h"

#include <QRegularExpression>
#include <QSet>

namespace SuiteColumns {

namespace {

QStringList split(const QString &list)
{
    QStringList out;
    for (const QString &c : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out << c.trimmed().toUpper();
    return out;
}

// "select A, B from T order by A": T and its columns.
void addSelect(QMap<QString, QStringList> &out, const QString &select)
{
    static const QRegularExpression re(QStringLiteral("^\\s*select\\s+(.+?)\\s+from\\s+(\\w+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(select);
    if (m.hasMatch())
        out[m.captured(2).toUpper()] << split(m.captured(1));
}

}

QMap<QString, QStringList> central()
{
    QMap<QString, QStringList> out;
    addSelect(out, CentralData::ConveniosCommand);
    addSelect(out, CentralData::UsuariosCommand);
    addSelect(out, CentralData::EstacoesCommand);
    addSelect(out, QStringLiteral("select FORMAPAGTO, CODFORMA, TOTALIZADORES, ADM_CONVENIO from FORMAPAG"));
    addSelect(out, QStringLiteral("select ROTA, MOTOQUEIRO from ROTAS"));
    addSelect(out, QStringLiteral("select CODCATECONV, CATEGORIACONV from CATECONV"));
    out[QStringLiteral("PEDIDOS")] << split(CentralData::PedidosColumns);
    out[QStringLiteral("PEDIFORM")] << split(CentralData::PediformColumns);
    out[QStringLiteral("ITENS")] << split(CentralData::ItensColumns);
    out[QStringLiteral("COMPEDID")] << split(CentralData::CompedidColumns);
    out[QStringLiteral("PAGPEDID")] << split(QStringLiteral("ESTACAO, NPEDIDO, DATAPAGTO, VALORPAGO, VALOR"));
    out[QStringLiteral("MOVCAIXA")] << split(QStringLiteral(
        "CODMOVCX, CAIXA, SESSAO, DATAMOV, HORAMOV, VALOR, FORMAPAG, HISTORICO, NPEDIDO, SINALQUITACAO, TIPOMOV, "
        "ENTRADASAIDA, NUMPARCELA, NUMDOCUMENTO, NUMMOVIMENTO, LABORATORIO, VALORORIGINAL, DESCONTO"));
    out[QStringLiteral("CONTASPR")] << split(QStringLiteral("CODIGOCPR, CODIGOPEDIDO, NATUREZA"));
    out[QStringLiteral("PARCELAS")] << split(QStringLiteral("CODIGOCPR, DATAPAGTO, VALORPAGO, VALORPARCELA"));
    for (QStringList &columns : out)
        columns.removeDuplicates();
    return out;
}

QStringList missing(Connection &connection)
{
    const QMap<QString, QStringList> needed = central();
    QStringList tables;
    for (const QString &t : needed.keys())
        tables << QLatin1Char('\'') + SqlText::quoted(t) + QLatin1Char('\'');
    const RowSet rs = connection.query(QStringLiteral("select RDB$RELATION_NAME, RDB$FIELD_NAME from RDB$RELATION_FIELDS "
                                                      "where RDB$RELATION_NAME in (%1)")
                                           .arg(tables.join(QStringLiteral(", "))));
    QSet<QString> present, presentTables;
    for (const auto &row : rs.rows) {
        const QString table = row.value(0).toString().trimmed();
        presentTables.insert(table);
        present.insert(table + QLatin1Char('.') + row.value(1).toString().trimmed());
    }
    QStringList out;
    for (auto it = needed.cbegin(); it != needed.cend(); ++it) {
        if (!presentTables.contains(it.key())) {
            out << it.key() + QStringLiteral(".*");
            continue;
        }
        for (const QString &c : *it)
            if (!present.contains(it.key() + QLatin1Char('.') + c))
                out << it.key() + QLatin1Char('.') + c;
    }
    return out;
}

}
