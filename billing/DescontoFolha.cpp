#include "billing/DescontoFolha.h"

#include "data/Connection.h"
#include "data/SqlText.h"
#include "platform/WinText.h"

#include <QRegularExpression>

namespace {

const QList<std::pair<LayoutFolha::Campo, QString>> &nomes()
{
    static const QList<std::pair<LayoutFolha::Campo, QString>> n = {
        {LayoutFolha::Campo::Matricula, QStringLiteral("MATRICULA")}, {LayoutFolha::Campo::Nome, QStringLiteral("NOME")},
        {LayoutFolha::Campo::Evento, QStringLiteral("EVENTO")},       {LayoutFolha::Campo::Mes, QStringLiteral("MES")},
        {LayoutFolha::Campo::Valor, QStringLiteral("VALOR")}};
    return n;
}

bool soDigitos(const QString &s)
{
    static const QRegularExpression digitos(QStringLiteral("^\\d+$"));
    return digitos.match(s).hasMatch();
}

}

LayoutFolha LayoutFolha::padrao()
{
    LayoutFolha l;
    l.formato = Formato::LarguraFixa;
    l.colunas = {{Campo::Matricula, 10}, {Campo::Nome, 40}, {Campo::Evento, 4}, {Campo::Mes, 6}, {Campo::Valor, 12}};
    return l;
}

QString LayoutFolha::nomeDo(Campo campo)
{
    for (const auto &[c, n] : nomes())
        if (c == campo)
            return n;
    return {};
}

QString LayoutFolha::colunasTexto() const
{
    QStringList out;
    for (const Coluna &c : colunas)
        out << QStringLiteral("%1:%2").arg(nomeDo(c.campo)).arg(c.largura);
    return out.join(QLatin1Char(','));
}

QList<LayoutFolha::Coluna> LayoutFolha::colunasDe(const QString &texto)
{
    QList<Coluna> out;
    for (const QString &parte : texto.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList nl = parte.trimmed().split(QLatin1Char(':'));
        bool achou = false;
        for (const auto &[c, n] : nomes())
            if (n.compare(nl[0].trimmed(), Qt::CaseInsensitive) == 0) {
                out << Coluna{c, nl.size() > 1 ? nl[1].trimmed().toInt() : 0};
                achou = true;
            }
        if (!achou)
            return {};
    }
    return out;
}

QString ArquivoFolha::aviso() const
{
    if (semMatricula.isEmpty())
        return {};
    return QStringLiteral("Ficaram fora do arquivo de desconto em folha os pedidos sem matrícula de: %1. Cobre-os da "
                          "empresa de outra forma ou informe a matrícula nos pedidos.")
        .arg(semMatricula.join(QStringLiteral("; ")));
}

namespace DescontoFolha {

namespace {

QString valorTexto(const Funcionario &f, const LayoutFolha &layout, const LayoutFolha::Campo campo, int mes, int ano)
{
    switch (campo) {
    case LayoutFolha::Campo::Matricula: return f.matricula;
    case LayoutFolha::Campo::Nome: return f.nome;
    case LayoutFolha::Campo::Evento: return layout.evento.trimmed();
    case LayoutFolha::Campo::Mes: return QStringLiteral("%1%2").arg(mes, 2, 10, QLatin1Char('0')).arg(ano, 4, 10, QLatin1Char('0'));
    case LayoutFolha::Campo::Valor: return f.subtotal().toSqlText(2);
    }
    return {};
}

// A field at its width: numbers zero-filled on the left, texts space-filled on the right and cut
// (a name may be shortened; a number never).
QString ajusta(const QString &valor, const LayoutFolha::Coluna &c, const Funcionario &f, QStringList &problemas)
{
    const bool numero = c.campo == LayoutFolha::Campo::Valor || c.campo == LayoutFolha::Campo::Mes ||
                        (c.campo != LayoutFolha::Campo::Nome && soDigitos(valor));
    if (numero) {
        if (valor.size() > c.largura) {
            problemas << QStringLiteral("%1 \"%2\" de %3 não cabe em %4 caracteres")
                             .arg(LayoutFolha::nomeDo(c.campo).toLower(), valor, f.nome)
                             .arg(c.largura);
            return valor;
        }
        return valor.rightJustified(c.largura, QLatin1Char('0'));
    }
    return valor.leftJustified(c.largura, QLatin1Char(' '), true);
}

QString pedidosDe(const Funcionario &f)
{
    QStringList n;
    for (const PedidoEmpresa &p : f.pedidos)
        n << p.numeroTexto();
    return QStringLiteral("%1 (%2 %3)")
        .arg(f.nome.isEmpty() ? QStringLiteral("sem nome") : f.nome,
             f.pedidos.size() == 1 ? QStringLiteral("pedido") : QStringLiteral("pedidos"), n.join(QStringLiteral(", ")));
}

}

ArquivoFolha gera(const ExtratoEmpresa &extrato, const LayoutFolha &layout, int mes, int ano)
{
    ArquivoFolha a;
    const bool fixo = layout.formato == LayoutFolha::Formato::LarguraFixa;
    QString texto;
    texto.reserve(int(extrato.funcionarios.size()) * 80);
    for (const Funcionario &f : extrato.funcionarios) {
        QStringList campos;
        for (const LayoutFolha::Coluna &c : layout.colunas) {
            QString v = valorTexto(f, layout, c.campo, mes, ano);
            if (fixo)
                v = ajusta(v, c, f, a.problemas);
            else
                v.replace(layout.separador, QStringLiteral(" "));   // a name never splits a line's fields
            campos << v;
        }
        texto += campos.join(fixo ? QString() : layout.separador);
        texto += QStringLiteral("\r\n");
        ++a.linhas;
        a.total = a.total + f.subtotal();
    }
    a.total = a.total.rescaled(2);
    a.conteudo = WinText::encode(texto);
    for (const Funcionario &f : extrato.semMatricula)
        a.semMatricula << pedidosDe(f);
    return a;
}

QString sqlLe(const QString &convenio)
{
    return QStringLiteral("select FORMATO, SEPARADOR, COLUNAS, EVENTO from CONVENIOS_LAYOUT_FOLHA where CONVENIO = '%1'")
        .arg(SqlText::quoted(convenio));
}

QString sqlGrava(const QString &convenio, const LayoutFolha &l, const QString &usuario)
{
    return QStringLiteral("update or insert into CONVENIOS_LAYOUT_FOLHA (CONVENIO, FORMATO, SEPARADOR, COLUNAS, EVENTO, "
                          "USUARIO, DATAHORA) values ('%1', '%2', '%3', '%4', '%5', '%6', CURRENT_TIMESTAMP) matching (CONVENIO)")
        .arg(SqlText::quoted(convenio),
             l.formato == LayoutFolha::Formato::LarguraFixa ? QStringLiteral("FIXO") : QStringLiteral("SEPARADO"),
             SqlText::quoted(l.separador.left(1)), SqlText::quoted(l.colunasTexto()), SqlText::quoted(l.evento.trimmed()),
             SqlText::quoted(usuario.left(60)));
}

LayoutFolha le(Connection &central, const QString &convenio)
{
    const RowSet rs = central.query(sqlLe(convenio));
    LayoutFolha l = LayoutFolha::padrao();
    if (rs.rows.isEmpty())
        return l;
    const auto &row = rs.rows[0];
    l.formato = row[0].toString().trimmed() == QLatin1String("SEPARADO") ? LayoutFolha::Formato::Separado
                                                                            : LayoutFolha::Formato::LarguraFixa;
    const QString sep = row[1].toString();
    l.separador = sep.isEmpty() ? QStringLiteral(";") : sep.left(1);
    if (const auto colunas = LayoutFolha::colunasDe(row[2].toString()); !colunas.isEmpty())
        l.colunas = colunas;
    l.evento = row[3].toString().trimmed();
    return l;
}

void grava(Connection &central, const QString &convenio, const LayoutFolha &layout, const QString &usuario)
{
    central.execute(sqlGrava(convenio, layout, usuario));
}

QString nomeDoArquivo(const QString &convenio, int mes, int ano)
{
    static const QRegularExpression proibidos(QStringLiteral("[\\\\/:*?\"<>|]"));
    QString nome = convenio.trimmed();
    nome.replace(proibidos, QStringLiteral("_"));
    return QStringLiteral("folha-%1-%2%3.txt").arg(nome).arg(mes, 2, 10, QLatin1Char('0')).arg(ano);
}

}
