#include "billing/ExtratoEmpresa.h"

#include "data/Connection.h"
#include "data/PedidosDoPeriodo.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

Decimal Funcionario::subtotal() const
{
    Decimal soma(0, 2);
    for (const PedidoEmpresa &p : pedidos)
        soma = soma + p.valor;
    return soma.rescaled(2);
}

Decimal ExtratoEmpresa::total() const
{
    Decimal soma(0, 2);
    for (const auto *lista : {&funcionarios, &semMatricula})
        for (const Funcionario &f : *lista)
            soma = soma + f.subtotal();
    return soma.rescaled(2);
}

int ExtratoEmpresa::quantidadePedidos() const
{
    int n = 0;
    for (const auto *lista : {&funcionarios, &semMatricula})
        for (const Funcionario &f : *lista)
            n += int(f.pedidos.size());
    return n;
}

namespace ExtratoEmpresaDados {

namespace {

QString texto(const QVariant &v) { return v.isValid() && !v.isNull() ? v.toString().trimmed() : QString(); }

void ordena(QList<Funcionario> &lista)
{
    QCollator collator(QLocale(QLocale::Portuguese, QLocale::Brazil));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lista.begin(), lista.end(), [&](const Funcionario &a, const Funcionario &b) {
        const int c = collator.compare(a.nome, b.nome);
        return c != 0 ? c < 0 : a.matricula < b.matricula;
    });
}

}

SqlText::ComValores sqlPedidos(const QString &convenio, const Periodo &periodo)
{
    const PedidosDoPeriodo::Condicao abertos = PedidosDoPeriodo::abertos(convenio, periodo);
    return {QStringLiteral("select MATRICULA, NOME, DATAPEDIDO, ESTACAO, NPEDIDO, VALORRESTANTE from PEDIDOS where ") +
                abertos.texto + QStringLiteral(" order by DATAPEDIDO, ESTACAO, NPEDIDO"),
            abertos.valores};
}

ExtratoEmpresa le(Connection &connection, const QString &convenio, const QDate &inicio, const QDate &fim)
{
    ExtratoEmpresa e;
    e.convenio = convenio;
    e.inicio = inicio;
    e.fim = fim;
    const SqlText::ComValores sql = sqlPedidos(convenio, {inicio, fim});
    const RowSet rs = connection.query(sql.texto, sql.valores);
    // An employee is their matrícula (the name of their first order names them); the orders without
    // one are told apart by name.
    QHash<QString, qsizetype> porMatricula, porNome;
    for (const QVector<QVariant> &row : rs.rows) {
        const QString matricula = texto(row[0]);
        const QString nome = texto(row[1]);
        PedidoEmpresa p;
        p.data = row[2].toDate();
        p.estacao = texto(row[3]);
        p.numero = row[4].toInt();
        if (!row[5].isNull())
            p.valor = Decimal::fromVariant(row[5]).rescaled(2);
        QList<Funcionario> &lista = matricula.isEmpty() ? e.semMatricula : e.funcionarios;
        QHash<QString, qsizetype> &indice = matricula.isEmpty() ? porNome : porMatricula;
        const QString chave = matricula.isEmpty() ? nome.toUpper() : matricula;
        auto it = indice.constFind(chave);
        if (it == indice.cend()) {
            it = indice.insert(chave, lista.size());
            lista << Funcionario{matricula, nome, {}};
        }
        lista[*it].pedidos << p;
    }
    ordena(e.funcionarios);
    ordena(e.semMatricula);
    return e;
}

}
