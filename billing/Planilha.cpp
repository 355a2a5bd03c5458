#include "billing/Planilha.h"

#include "billing/ExtratoEmpresa.h"
#include "data/Decimal.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <xlsxwriter.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace Planilha {

namespace {

const QLocale &brasil()
{
    static const QLocale l(QLocale::Portuguese, QLocale::Brazil);
    return l;
}

[[noreturn]] void falha(const QString &caminho, lxw_error erro)
{
    throw std::runtime_error(QStringLiteral("Não foi possível gravar a planilha %1: %2")
                                 .arg(caminho, QString::fromUtf8(lxw_strerror(erro)))
                                 .toStdString());
}

QString nomeDaAba(const QString &nome, QStringList &usados)
{
    static const QRegularExpression proibidos(QStringLiteral("[\\[\\]:*?/\\\\]"));
    QString n = QString(nome).replace(proibidos, QStringLiteral("_")).left(31);
    if (n.isEmpty())
        n = QStringLiteral("Planilha");
    for (int i = 2; usados.contains(n, Qt::CaseInsensitive); ++i)
        n = n.left(28) + QStringLiteral(" %1").arg(i);
    usados << n;
    return n;
}

// What a cell shows, as far as its width goes.
int larguraDe(const QVariant &v, Tipo tipo)
{
    if (!v.isValid() || v.isNull())
        return 0;
    switch (tipo) {
    case Tipo::Data: return 10;
    case Tipo::DataHora: return 16;
    case Tipo::Valor: return int(Decimal::fromVariant(v).rescaled(2).toDisplayText(brasil(), 2).size()) + 3;
    case Tipo::Inteiro: return int(QString::number(v.toLongLong()).size());
    case Tipo::Texto: break;
    }
    return int(v.toString().size());
}

struct Formatos {
    lxw_format *titulo, *data, *dataHora, *valor, *texto, *inteiro;
    lxw_format *dataD, *dataHoraD, *valorD, *textoD, *inteiroD;   // the same in bold
};

Formatos formatos(lxw_workbook *wb)
{
    auto novo = [wb](const char *numero, bool negrito) {
        lxw_format *f = workbook_add_format(wb);
        if (numero)
            format_set_num_format(f, numero);
        if (negrito)
            format_set_bold(f);
        return f;
    };
    // The reais format of the Brazilian Excel; the separators follow the reader's locale.
    const char *reais = "\"R$\" #,##0.00";
    Formatos f{};
    f.titulo = novo(nullptr, true);
    format_set_bottom(f.titulo, LXW_BORDER_THIN);
    format_set_bg_color(f.titulo, 0xDDE6F0);
    f.data = novo("dd/mm/yyyy", false);
    f.dataHora = novo("dd/mm/yyyy hh:mm", false);
    f.dataHoraD = novo("dd/mm/yyyy hh:mm", true);
    f.valor = novo(reais, false);
    f.texto = novo(nullptr, false);
    f.inteiro = novo("0", false);
    f.dataD = novo("dd/mm/yyyy", true);
    f.valorD = novo(reais, true);
    f.textoD = novo(nullptr, true);
    f.inteiroD = novo("0", true);
    return f;
}

lxw_error escreve(lxw_worksheet *ws, lxw_row_t r, lxw_col_t c, const QVariant &v, Tipo tipo, bool destaque,
                  const Formatos &f)
{
    if (!v.isValid() || v.isNull())
        return destaque ? worksheet_write_blank(ws, r, c, f.textoD) : LXW_NO_ERROR;
    switch (tipo) {
    case Tipo::Data: {
        const QDate d = v.toDate();
        if (!d.isValid())
            break;
        lxw_datetime dt{d.year(), d.month(), d.day(), 0, 0, 0};
        return worksheet_write_datetime(ws, r, c, &dt, destaque ? f.dataD : f.data);
    }
    case Tipo::DataHora: {
        const QDateTime dh = v.toDateTime();
        if (!dh.isValid())
            break;
        lxw_datetime dt{dh.date().year(), dh.date().month(), dh.date().day(), dh.time().hour(), dh.time().minute(),
                        double(dh.time().second())};
        return worksheet_write_datetime(ws, r, c, &dt, destaque ? f.dataHoraD : f.dataHora);
    }
    case Tipo::Valor:
        return worksheet_write_number(ws, r, c, Decimal::fromVariant(v).rescaled(2).toDouble(), destaque ? f.valorD : f.valor);
    case Tipo::Inteiro:
        return worksheet_write_number(ws, r, c, double(v.toLongLong()), destaque ? f.inteiroD : f.inteiro);
    case Tipo::Texto: break;
    }
    return worksheet_write_string(ws, r, c, v.toString().toUtf8().constData(), destaque ? f.textoD : f.texto);
}

}

void grava(const QString &caminho, const QList<Tabela> &tabelas)
{
    const QByteArray arquivo = caminho.toLocal8Bit();
    lxw_workbook *wb = workbook_new(arquivo.constData());
    if (!wb)
        falha(caminho, LXW_ERROR_CREATING_XLSX_FILE);
    const Formatos f = formatos(wb);
    QStringList abas;
    lxw_error erro = LXW_NO_ERROR;
    for (const Tabela &t : tabelas) {
        lxw_worksheet *ws = workbook_add_worksheet(wb, nomeDaAba(t.aba, abas).toUtf8().constData());
        if (!ws) {
            erro = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
            break;
        }
        QList<int> largura;
        for (int c = 0; c < t.colunas.size(); ++c) {
            erro = worksheet_write_string(ws, 0, lxw_col_t(c), t.colunas[c].titulo.toUtf8().constData(), f.titulo);
            largura << int(t.colunas[c].titulo.size());
        }
        for (int r = 0; r < t.linhas.size() && erro == LXW_NO_ERROR; ++r) {
            const Linha &l = t.linhas[r];
            for (int c = 0; c < t.colunas.size() && c < l.celulas.size() && erro == LXW_NO_ERROR; ++c) {
                erro = escreve(ws, lxw_row_t(r + 1), lxw_col_t(c), l.celulas[c], t.colunas[c].tipo, l.destaque, f);
                largura[c] = std::max(largura[c], larguraDe(l.celulas[c], t.colunas[c].tipo));
            }
        }
        if (erro != LXW_NO_ERROR)
            break;
        for (int c = 0; c < largura.size(); ++c)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::min(largura[c], 80) + 2, nullptr);
        worksheet_freeze_panes(ws, 1, 0);
    }
    const lxw_error fechamento = workbook_close(wb);
    if (erro != LXW_NO_ERROR)
        falha(caminho, erro);
    if (fechamento != LXW_NO_ERROR)
        falha(caminho, fechamento);
}

QList<Tabela> doExtratoEmpresa(const ExtratoEmpresa &e)
{
    Tabela pedidos{QStringLiteral("Pedidos"),
                   {{QStringLiteral("Matrícula")}, {QStringLiteral("Nome")}, {QStringLiteral("Data"), Tipo::Data},
                    {QStringLiteral("Pedido")}, {QStringLiteral("Valor"), Tipo::Valor}},
                   {}};
    Tabela resumo{QStringLiteral("Por funcionário"),
                  {{QStringLiteral("Matrícula")}, {QStringLiteral("Nome")}, {QStringLiteral("Pedidos"), Tipo::Inteiro},
                   {QStringLiteral("Total"), Tipo::Valor}},
                  {}};
    pedidos.linhas.reserve(e.quantidadePedidos() + int(e.funcionarios.size() + e.semMatricula.size()) + 1);
    for (const auto *lista : {&e.funcionarios, &e.semMatricula})
        for (const Funcionario &f : *lista) {
            const QString matricula = f.matricula.isEmpty() ? QStringLiteral("(sem matrícula)") : f.matricula;
            for (const PedidoEmpresa &p : f.pedidos)
                pedidos.linhas << Linha{{matricula, f.nome, p.data, p.numeroTexto(), QVariant::fromValue(p.valor)}};
            pedidos.linhas << Linha{{QVariant(), QStringLiteral("Subtotal de ") + f.nome, QVariant(), QVariant(),
                                     QVariant::fromValue(f.subtotal())},
                                    true};
            resumo.linhas << Linha{{matricula, f.nome, int(f.pedidos.size()), QVariant::fromValue(f.subtotal())}};
        }
    const Linha total{{QVariant(), QStringLiteral("Total"), QVariant(), QVariant(), QVariant::fromValue(e.total())}, true};
    pedidos.linhas << total;
    resumo.linhas << Linha{{QVariant(), QStringLiteral("Total"), e.quantidadePedidos(), QVariant::fromValue(e.total())}, true};
    return {pedidos, resumo};
}

Tabela doModelo(const QAbstractItemModel &m, const QString &aba, const QList<Tipo> &tipos,
                const std::function<bool(int)> &linha, const QList<int> &escolhidas)
{
    Tabela t;
    t.aba = aba;
    QList<int> colunas = escolhidas;
    if (colunas.isEmpty())
        for (int c = 0; c < m.columnCount(); ++c)
            colunas << c;
    for (int i = 0; i < colunas.size(); ++i)
        t.colunas << Coluna{m.headerData(colunas[i], Qt::Horizontal).toString(), i < tipos.size() ? tipos[i] : Tipo::Texto};
    for (int r = 0; r < m.rowCount(); ++r) {
        if (linha && !linha(r))
            continue;
        Linha l;
        for (int i = 0; i < colunas.size(); ++i) {
            const QModelIndex idx = m.index(r, colunas[i]);
            QVariant v = m.data(idx, Qt::EditRole);
            if (!v.isValid())
                v = m.data(idx, Qt::DisplayRole);
            if (i >= tipos.size() && v.isValid() && !v.isNull()) {
                const QMetaType tipo = v.metaType();
                if (tipo == QMetaType::fromType<QDate>())
                    t.colunas[i].tipo = Tipo::Data;
                else if (tipo == QMetaType::fromType<QDateTime>())
                    t.colunas[i].tipo = Tipo::DataHora;
                else if (tipo == QMetaType::fromType<Decimal>() || tipo == QMetaType::fromType<double>())
                    t.colunas[i].tipo = Tipo::Valor;
                else if (t.colunas[i].tipo == Tipo::Texto && (tipo == QMetaType::fromType<int>() || tipo == QMetaType::fromType<qlonglong>()))
                    t.colunas[i].tipo = Tipo::Inteiro;
            }
            l.celulas << v;
        }
        t.linhas << l;
    }
    return t;
}

}
