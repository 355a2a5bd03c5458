#include "settlement/windows/Comprovante.h"

#include "data/Connection.h"
#include "data/SqlText.h"
#include "data/ValorPorExtenso.h"
#include "billing/Configuracoes.h"
#include "billing/Pix.h"
#include "reports/Emitente.h"
#include "reports/PageFlow.h"
#include "reports/ReportModule.h"
#include "settlement/Registro.h"

#include <QLocale>
#include <QRegularExpression>
#include <stdexcept>

namespace Comprovante {

const QString Relatorio = QStringLiteral("rptComprovanteQuitacao");

namespace {

// Where and when it was issued, "<cidade>, 11 de dezembro de 2026": the city of the module's
// billing settings (the suite's tables that the module reads hold the pharmacy's none); the date
// alone when no city is known.
QString localEData(Connection &central, const QDate &data)
{
    const QString dia = QLocale(QLocale::Portuguese, QLocale::Brazil).toString(data, QStringLiteral("d 'de' MMMM 'de' yyyy"));
    const QString cidade =
        ConfiguracoesDados::disponivel(central) ? ConfiguracoesDados::le(central).pix.cidade.trimmed() : QString();
    return cidade.isEmpty() ? dia : cidade + QStringLiteral(", ") + dia;
}

// The settlement as the receipt's one-row connection, with the pharmacy of the workstation where
// it was made (or, where the run knew none, a stored logon, of the user who made it).
RowSet cabecalho(Connection &central, const Registro::Quitacao &q)
{
    const Emitente emitente = Emitente::le(central, q.estacao, q.usuario);
    RowSet rs;
    const QStringList nomes = {QStringLiteral("CODQUITACAO"), QStringLiteral("FARMACIA"), QStringLiteral("IDENTIFICACAO"),
                               QStringLiteral("SITUACAO"), QStringLiteral("CONVENIO"), QStringLiteral("DATAINICIAL"),
                               QStringLiteral("DATAFINAL"), QStringLiteral("DATAPAGAMENTO"), QStringLiteral("CAIXASESSAO"),
                               QStringLiteral("USUARIO"), QStringLiteral("DATAHORA"), QStringLiteral("VALORTOTAL"),
                               QStringLiteral("FORMAPAGAMENTO"), QStringLiteral("RECEBIDO"), QStringLiteral("EXTENSO"),
                               QStringLiteral("JAPAGOS"), QStringLiteral("LOCALDATA"), QStringLiteral("MARCA"),
                               QStringLiteral("NAESTACAO"), QStringLiteral("ARQUIVO")};
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
                            .arg(q.estornoDataHora.toString(QStringLiteral("dd/MM/yyyy HH:mm")), q.estornoUsuario,
                                 q.estornoMotivo)
                      : QString();
    rs.rows << QVector<QVariant>{q.codigo,
                                 emitente.farmacia.isEmpty() ? QStringLiteral("Farmácia") : emitente.farmacia,
                                 emitente.linhaCnpj(),
                                 situacao,
                                 q.convenio,
                                 q.dataInicial,
                                 q.dataFinal,
                                 q.pagamento,
                                 caixa,
                                 q.usuario,
                                 q.dataHora.toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                                 QVariant::fromValue(q.total),
                                 q.formaPag.trimmed().isEmpty() ? QString() : QStringLiteral("Forma de pagamento: ") + q.formaPag,
                                 QVariant::fromValue(recebido),
                                 valorPorExtenso(recebido),
                                 jaPagos,
                                 localEData(central, q.dataHora.date()),
                                 q.estornada() ? QStringLiteral("ESTORNADA — SEM VALOR") : QString(),
                                 q.estacao.trimmed().isEmpty() ? QString() : QStringLiteral(", estação ") + q.estacao.trimmed(),
                                 nomeDoArquivo(q)};
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

namespace {

QString txid(const Registro::Quitacao &q) { return Pix::txidDe(QStringLiteral("QUIT%1").arg(q.codigo)); }

QString pix(Connection &central, const Registro::Quitacao &q)
{
    // A reversed settlement is owed no more, and one without a record has no number to name it by.
    if (q.codigo <= 0 || q.total.isZero() || q.estornada() || !ConfiguracoesDados::disponivel(central))
        return {};
    const RecebedorPix r = ConfiguracoesDados::le(central).pix;
    if (!r.completo())
        return {};
    try {
        return Pix::payload({r.chave, r.nome, r.cidade, q.total, txid(q)});
    } catch (const std::invalid_argument &) {
        return {};
    }
}

ReportDocument documento(ReportModule &rm, Connection &central, const Registro::Quitacao &q)
{
    std::optional<ReportDocument> doc = rm.generate(Relatorio);
    if (!doc)
        throw std::runtime_error("The receipt's layout is missing from the program");
    if (const QString payload = pix(central, q); !payload.isEmpty()) {
        appendImageBlock(*doc, Pix::qrCode(payload, 8), 4.0,
                         {QStringLiteral("Pague com PIX: R$ ") + q.total.toDisplayText(QLocale(QLocale::Portuguese, QLocale::Brazil), 2),
                          QStringLiteral("PIX copia e cola:")},
                         payload);
        doc->closing << ReportTextLine{QStringLiteral("PIX copia e cola: ") + payload, {8, false}, Qt::AlignLeft};
    }
    return *doc;
}

void mostra(ReportModule &rm, Connection &central, const Registro::Quitacao &q)
{
    rm.run([&](const std::function<void(int)> &) { return documento(rm, central, q); });
}

}

ReportDocument gera(Connection &central, int codigo)
{
    return documento(*modulo(central, codigo), central, Registro::le(central, codigo));
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
    mostra(*modulo(central, codigo), central, Registro::le(central, codigo));
}

void mostra(Connection &central, const MotorQuitacao::Resultado &feita)
{
    const Registro::Quitacao q = feita.codigo != 0 ? Registro::le(central, feita.codigo) : feita.quitacao;
    mostra(*modulo(central, feita), central, q);
}

QString txidDaQuitacao(const Registro::Quitacao &q) { return txid(q); }

}
