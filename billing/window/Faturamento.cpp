#include "billing/window/Faturamento.h"

#include "billing/Pix.h"
#include "billing/Planilha.h"
#include "data/Connection.h"
#include "data/SqlText.h"
#include "platform/SaveFile.h"
#include "platform/WinText.h"
#include "reports/Emitente.h"
#include "reports/ReportOutput.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <stdexcept>

namespace Faturamento {

namespace {

QString texto(const QVariant &v) { return v.isValid() && !v.isNull() ? v.toString().trimmed() : QString(); }

EscolheArquivo &escolhedor()
{
    static EscolheArquivo f;
    return f;
}

}

QString sqlEmitente(const QString &usuario) { return Emitente::sql({}, usuario); }

ExtratoEmpresa extrato(const ContextoFaturamento &c)
{
    ExtratoEmpresa e = ExtratoEmpresaDados::le(*c.central, c.convenio, c.inicio, c.fim);
    const Emitente emitente = Emitente::le(*c.central, {}, c.usuario);
    e.farmacia = emitente.farmacia;
    e.cnpj = emitente.cnpj;
    e.emissao = QDateTime::currentDateTime();
    return e;
}

QString txidDoExtrato(const ExtratoEmpresa &e)
{
    return Pix::txidDe(QStringLiteral("EXT") + e.fim.toString(QStringLiteral("ddMMyy")) + e.convenio);
}

QString pixDoExtrato(const RecebedorPix &recebedor, const ExtratoEmpresa &e, QString *falta)
{
    if (!recebedor.completo()) {
        if (falta)
            *falta = QStringLiteral("O PIX não foi configurado (chave, nome e cidade do recebedor): o extrato sai sem o "
                                    "código PIX.");
        return {};
    }
    try {
        return Pix::payload({recebedor.chave, recebedor.nome, recebedor.cidade, e.total(), txidDoExtrato(e)});
    } catch (const std::invalid_argument &erro) {
        if (falta)
            *falta = QString::fromUtf8(erro.what());
        return {};
    }
}

QByteArray pdf(const ReportDocument &doc)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw std::runtime_error("Não foi possível criar uma pasta temporária para o PDF.");
    const QString caminho = dir.filePath(QStringLiteral("documento.pdf"));
    ReportOutput::writePdf(doc, caminho);
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Não foi possível ler %1.").arg(caminho).toStdString());
    return f.readAll();
}

QString sqlEmailDoConvenio(const QString &convenio)
{
    return QStringLiteral("select E_MAIL from CONVENIO where CONVENIO = '%1'").arg(SqlText::quoted(convenio));
}

QString emailDoConvenio(Connection &central, const QString &convenio)
{
    const RowSet rs = central.query(sqlEmailDoConvenio(convenio));
    return rs.rows.isEmpty() ? QString() : texto(rs.rows[0][0]);
}

QString nomeDoArquivo(const QString &prefixo, const ContextoFaturamento &c, const QString &extensao)
{
    static const QRegularExpression proibidos(QStringLiteral("[\\\\/:*?\"<>|]"));
    QString convenio = c.convenio.trimmed();
    convenio.replace(proibidos, QStringLiteral("_"));
    return QStringLiteral("%1-%2-%3-%4.%5")
        .arg(prefixo, convenio, c.inicio.toString(QStringLiteral("ddMMyy")), c.fim.toString(QStringLiteral("ddMMyy")),
             extensao);
}

void setEscolheArquivo(const EscolheArquivo &f) { escolhedor() = f; }

QString escolheArquivo(QWidget *parent, const QString &titulo, const QString &proposto, const QString &filtro)
{
    if (escolhedor())
        return escolhedor()(parent, titulo, proposto, filtro);
    return SaveFile::ask(parent, titulo, proposto, filtro);
}

void salvaPlanilhaDaLista(QWidget *parent, const QTableView &lista, const QString &aba, const QString &proposto)
{
    if (!lista.model() || lista.model()->rowCount() == 0)
        return;
    const QString caminho = Faturamento::escolheArquivo(parent, QStringLiteral("Salvar planilha da lista"), proposto,
                                                        QStringLiteral("Planilha do Excel (*.xlsx)"));
    if (caminho.isEmpty())
        return;
    // The columns in the order the user sees them.
    const QHeaderView *titulos = lista.horizontalHeader();
    QList<int> colunas;
    for (int visual = 0; visual < titulos->count(); ++visual)
        if (const int c = titulos->logicalIndex(visual); !lista.isColumnHidden(c))
            colunas << c;
    const Planilha::Tabela t = Planilha::doModelo(
        *lista.model(), aba, {}, [&](int linha) { return !lista.isRowHidden(linha); }, colunas);
    Planilha::grava(caminho, {t});
}

}
