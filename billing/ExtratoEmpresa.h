#pragma once
#include "data/Decimal.h"
#include "data/Periodo.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

class Connection;

// What the company receives of a convênio's open orders of a period: per employee (matrícula and
// name) the orders with their date, number and value, the employee's subtotal and the total. It
// holds nothing clinical: no product, formula, component, doctor or patient.
struct PedidoEmpresa {
    QDate data;
    QString estacao;
    int numero = 0;
    Decimal valor{0, 2};   // what the order still owes (VALORRESTANTE)

    QString numeroTexto() const { return estacao + QLatin1Char('-') + QString::number(numero); }
};

struct Funcionario {
    QString matricula;   // empty for the orders without one
    QString nome;
    QList<PedidoEmpresa> pedidos;

    Decimal subtotal() const;
};

struct ExtratoEmpresa {
    QString farmacia, cnpj;   // the issuer
    QString convenio;
    QDate inicio, fim;
    QDateTime emissao;
    QList<Funcionario> funcionarios;   // by name, then matrícula
    // The orders without matrícula, one entry per name: the company cannot deduct them from a pay.
    QList<Funcionario> semMatricula;

    Decimal total() const;
    int quantidadePedidos() const;
    bool vazio() const { return funcionarios.isEmpty() && semMatricula.isEmpty(); }
};

namespace ExtratoEmpresaDados {

// The convênio's open real orders of the period, as the statement lists them.
SqlText::ComValores sqlPedidos(const QString &convenio, const Periodo &periodo);

// Reads the orders and groups them; the issuer, dates and moment are the caller's.
ExtratoEmpresa le(Connection &connection, const QString &convenio, const QDate &inicio, const QDate &fim);

}
