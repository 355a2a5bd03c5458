#include "data/SuiteColumns.h"

#include "data/CentralData.h"
#include "data/Connection.h"

#include <QRegularExpression>

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

QStringList missing(const QSet<QString> &presentColumns)
{
    QSet<QString> presentTables;
    for (const QString &c : presentColumns)
        presentTables.insert(c.section(QLatin1Char('.'), 0, 0));
    const QMap<QString, QStringList> needed = central();
    QStringList out;
    for (auto it = needed.cbegin(); it != needed.cend(); ++it) {
        if (!presentTables.contains(it.key())) {
            out << it.key() + QStringLiteral(".*");
            continue;
        }
        for (const QString &c : *it)
            if (!presentColumns.contains(it.key() + QLatin1Char('.') + c))
                out << it.key() + QLatin1Char('.') + c;
    }
    return out;
}

}
