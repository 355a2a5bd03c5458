#include "billing/Envios.h"

#include "data/Connection.h"
#include "data/SqlText.h"

namespace Envios {

namespace {

QString cabe(const QString &s, int n) { return SqlText::quoted(s.left(n)); }

bool chaveRepetida(const DatabaseError &e)
{
    // isc_unique_key_violation, or the text of a violated primary key.
    return e.gdsCode() == 335544665 || e.message().contains(QLatin1String("PRIMARY or UNIQUE"), Qt::CaseInsensitive);
}

}

QString sqlRegistra(const Envio &e)
{
    // One call that numbers, writes and returns the number.
    return QStringLiteral("execute block returns (CODENVIO integer) as begin select coalesce(max(CODENVIO), 0) + 1 from "
                          "CONVENIOS_ENVIOS into :CODENVIO; insert into CONVENIOS_ENVIOS (CODENVIO, DATAHORA, USUARIO, "
                          "ESTACAO, CONVENIO, DESTINATARIOS, ASSUNTO, ANEXOS, RESULTADO, ERRO) values (:CODENVIO, "
                          "CURRENT_TIMESTAMP, '%1', '%2', '%3', '%4', '%5', '%6', '%7', '%8'); suspend; end")
        .arg(cabe(e.usuario, 60), cabe(e.estacao, 2), cabe(e.convenio, 40), cabe(e.destinatarios, 400), cabe(e.assunto, 200),
             cabe(e.anexos, 400), e.enviado ? QStringLiteral("ENVIADO") : QStringLiteral("FALHOU"), cabe(e.erro, 400));
}

QString sqlLista(const QString &convenio)
{
    QString sql = QStringLiteral("select CODENVIO, DATAHORA, USUARIO, ESTACAO, CONVENIO, DESTINATARIOS, ASSUNTO, ANEXOS, "
                                 "RESULTADO, ERRO from CONVENIOS_ENVIOS");
    if (!convenio.isEmpty())
        sql += QStringLiteral(" where CONVENIO = '%1'").arg(SqlText::quoted(convenio));
    return sql + QStringLiteral(" order by CODENVIO desc");
}

int registra(Connection &central, const Envio &e)
{
    for (int tentativa = 0;; ++tentativa) {
        try {
            // A transaction of its own: a query alone would run read-only.
            Transaction t(central);
            const RowSet rs = central.query(sqlRegistra(e));
            t.commit();
            return rs.rows.isEmpty() ? 0 : rs.rows[0].value(0).toInt();
        } catch (const DatabaseError &erro) {
            if (tentativa >= 5 || !chaveRepetida(erro))
                throw;
        }
    }
}

QList<Envio> lista(Connection &central, const QString &convenio)
{
    QList<Envio> out;
    for (const QVector<QVariant> &r : central.query(sqlLista(convenio)).rows) {
        Envio e;
        e.codigo = r[0].toInt();
        e.dataHora = r[1].toDateTime();
        e.usuario = r[2].toString().trimmed();
        e.estacao = r[3].toString().trimmed();
        e.convenio = r[4].toString().trimmed();
        e.destinatarios = r[5].toString().trimmed();
        e.assunto = r[6].toString();
        e.anexos = r[7].toString();
        e.enviado = r[8].toString().trimmed() == QLatin1String("ENVIADO");
        e.erro = r[9].toString();
        out << e;
    }
    return out;
}

}
