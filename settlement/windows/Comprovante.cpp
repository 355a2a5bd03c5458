#include "settlement/windows/Comprovante.h"

#include "data/Connection.h"
#include "data/SqlText.h"
#include "data/ValorPorExtenso.h"
#include "reports/ReportModule.h"
#include "settlement/Registro.h"

#include <QLocale>
#include <QRegularExpression>

namespace Comprovante {

const QString Relatorio = QStringLiteral("rptComprovanteQuitacao");

namespace {

// The settlement as the receipt's one-row connection, with the pharmacy of the workstation where
// it was made (its first label and CNPJ).
RowSet cabecalho(Connection &central, const Registro::Quitacao &q)
{
    // The workstation where it was made, or, where the run knew none (a stored logon), the
    // workstation of the user who made it.
    const RowSet estacao =
        q.estacao.trimmed().isEmpty()
            ? central.query(QStringLiteral("select first 1 ROTULO1, CNPJ from ESTACOES where upper(USUARIO) = '") +
                            SqlText::quoted(q.usuario.toUpper()) + QStringLiteral("' order by ESTACAO"))
            : central.query(QStringLiteral("select first 1 ROTULO1, CNPJ from ESTACOES where ESTACAO = '") +
                            SqlText::quoted(q.estacao) + QLatin1Char('\''));
    const QString farmacia = estacao.rows.isEmpty() ? QString() : estacao.rows[0].value(0).toString().trimmed();
    const QString cnpj = estacao.rows.isEmpty() ? QString() : estacao.rows[0].value(1).toString().trimmed();

    QStringList identificacao;
    if (cnpj.size() == 14)
        identificacao << QStringLiteral("CNPJ %1.%2.%3/%4-%5")
                             .arg(cnpj.left(2), cnpj.mid(2, 3), cnpj.mid(5, 3), cnpj.mid(8, 4), cnpj.mid(12, 2));
    else if (!cnpj.isEmpty())
        identificacao << QStringLiteral("CNPJ ") + cnpj;
    if (!q.estacao.trimmed().isEmpty())
        identificacao << QStringLiteral("Estação ") + q.estacao;

    RowSet rs;
    const QStringList nomes = {QStringLiteral("CODQUITACAO"), QStringLiteral("FARMACIA"), QStringLiteral("IDENTIFICACAO"),
                               QStringLiteral("SITUACAO"), QStringLiteral("CONVENIO"), QStringLiteral("DATAINICIAL"),
                               QStringLiteral("DATAFINAL"), QStringLiteral("DATAPAGAMENTO"), QStringLiteral("CAIXASESSAO"),
                               QStringLiteral("USUARIO"), QStringLiteral("DATAHORA"), QStringLiteral("VALORTOTAL"),
                               QStringLiteral("FORMAPAGAMENTO"), QStringLiteral("RECEBIDO"), QStringLiteral("EXTENSO"),
                               QStringLiteral("JAPAGOS"), QStringLiteral("EMISSAO"), QStringLiteral("MARCA")};
    for (const QString &n : nomes)
        rs.fields << Field{n};
    const QString caixa = q.movimentos > 0 ? QStringLiteral("Lançado no caixa %1, sessão %2").arg(q.caixa, q.sessao)
                                           : QString();
    const Decimal recebido = q.recebido();
    const QString valorJaPagos = q.totalJaPagos.toDisplayText(QLocale(), 2);
    const QString jaPagos =
        q.jaPagos == 1 ? QStringLiteral("Dos pedidos acima, 1 (R$ %1) já estava pago e só recebeu a nova data de pagamento.")
                             .arg(valorJaPagos)
        : q.jaPagos > 1 ? QStringLiteral("Dos pedidos acima, %1 (R$ %2) já estavam pagos e só receberam a nova data de "
                                         "pagamento.")
                              .arg(q.jaPagos)
                              .arg(valorJaPagos)
                        : QString();
    const QString situacao =
        q.estornada() ? QStringLiteral("ESTORNADA em %1 por %2: %3")
                            .arg(q.estornoDataHora.toString(QStringLiteral("dd/MM/yy HH:mm")), q.estornoUsuario,
                                 q.estornoMotivo)
                      : QString();
    rs.rows << QVector<QVariant>{q.codigo,
                                 farmacia.isEmpty() ? QStringLiteral("Farmácia") : farmacia,
                                 identificacao.join(QStringLiteral(" - ")),
                                 situacao,
                                 q.convenio,
                                 q.dataInicial,
                                 q.dataFinal,
                                 q.pagamento,
                                 caixa,
                                 q.usuario,
                                 q.dataHora.toString(QStringLiteral("dd/MM/yy HH:mm")),
                                 QVariant::fromValue(q.total),
                                 q.formaPag.trimmed().isEmpty() ? QString() : QStringLiteral("Forma de pagamento: ") + q.formaPag,
                                 QVariant::fromValue(recebido),
                                 valorPorExtenso(recebido),
                                 jaPagos,
                                 QLocale(QLocale::Portuguese, QLocale::Brazil).toString(q.dataHora.date(), QStringLiteral("d 'de' MMMM 'de' yyyy")),
                                 q.estornada() ? QStringLiteral("ESTORNADA — SEM VALOR") : QString()};
    return rs;
}

RowSet pedidos(Connection &central, int codigo)
{
    return central.query(Registro::Sql::pedidos(codigo));
}

// The orders of a settlement that kept no record, as the record's query would give them.
RowSet pedidos(const QList<Registro::PedidoQuitado> &lista)
{
    RowSet rs;
    for (const QString &n : {QStringLiteral("DATAPEDIDO"), QStringLiteral("ESTACAO"), QStringLiteral("NPEDIDO"),
                             QStringLiteral("NOME"), QStringLiteral("VALOR"), QStringLiteral("CODMOVCX")})
        rs.fields << Field{n};
    for (const Registro::PedidoQuitado &p : lista)
        rs.rows << QVector<QVariant>{p.data, p.estacao, p.npedido, p.nome, QVariant::fromValue(p.valor),
                                     p.codmovcx != 0 ? QVariant(p.codmovcx) : QVariant()};
    return rs;
}

}

std::unique_ptr<ReportModule> modulo(Connection &central, int codigo)
{
    auto rm = std::make_unique<ReportModule>(QStringLiteral(":/reports/rptQuitacao.rav"));
    Connection *db = &central;
    rm->addConnection(QStringLiteral("rdsQuitacao"),
                      [db, codigo] { return cabecalho(*db, Registro::le(*db, codigo)); });
    rm->addConnection(QStringLiteral("rdsPedidosQuitados"), [db, codigo] { return pedidos(*db, codigo); });
    return rm;
}

std::unique_ptr<ReportModule> modulo(Connection &central, const MotorQuitacao::Resultado &feita)
{
    if (feita.codigo != 0)
        return modulo(central, feita.codigo);
    auto rm = std::make_unique<ReportModule>(QStringLiteral(":/reports/rptQuitacao.rav"));
    Connection *db = &central;
    rm->addConnection(QStringLiteral("rdsQuitacao"), [db, q = feita.quitacao] { return cabecalho(*db, q); });
    rm->addConnection(QStringLiteral("rdsPedidosQuitados"), [lista = feita.pedidos] { return pedidos(lista); });
    return rm;
}

ReportDocument gera(Connection &central, int codigo)
{
    const auto doc = modulo(central, codigo)->generate(Relatorio);
    if (!doc)
        throw std::runtime_error("The receipt's layout is missing from the program");
    return *doc;
}

QString nomeDoArquivo(const Registro::Quitacao &q)
{
    QString convenio = q.convenio.trimmed();
    static const QRegularExpression proibidos(QStringLiteral("[\\\\/:*?\"<>|\\s]+"));
    convenio.replace(proibidos, QStringLiteral("-"));
    const QString qual = q.codigo > 0 ? QString::number(q.codigo) : q.dataHora.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QStringLiteral("comprovante-%1-%2").arg(qual, convenio);
}

void mostra(Connection &central, int codigo)
{
    modulo(central, codigo)->execute(Relatorio, nomeDoArquivo(Registro::le(central, codigo)));
}

void mostra(Connection &central, const MotorQuitacao::Resultado &feita)
{
    modulo(central, feita)->execute(Relatorio, nomeDoArquivo(feita.quitacao));
}

}
