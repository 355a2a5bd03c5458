#pragma once
#include "data/Decimal.h"
#include "reports/Emitente.h"
#include "reports/ReportDocument.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

// What the statement document of a convênio holds: who issues it, for whom and for which period,
// and each open order with what it is made of. Values are as the database gives them; empty ones
// are invalid variants.
struct StatementItem {
    QString descricao;
    QVariant quantidade;
    QString unidade;
};

struct StatementComponent {
    QString componente;
    QVariant dose;
    QString unidade;
};

struct StatementFormula {
    int numero = 0;
    QString formaFarmaceutica;
    QVariant frascos;
    QVariant capsulas;
    QVariant volume;
    QString unidade;
    QList<StatementComponent> componentes;
};

struct StatementOrder {
    QDate data;
    QString estacao;
    int numero = 0;
    QString cliente;
    QString medico;
    QVariant restante;   // VALORRESTANTE; empty adds nothing to the total
    QList<StatementItem> itens;         // resale products; when there are any, no formulas are shown
    QList<StatementFormula> formulas;
};

struct ExtratoData {
    QString farmacia;
    QString cnpj;
    QString convenio;
    QDate inicio, fim;
    QDateTime emissao;
    QList<StatementOrder> pedidos;

    // The remaining value of the open orders, as the statement window totals it.
    Decimal total() const;
};

// The statement document "Extrato do convênio", the pharmacy's internal one, laid out on A4 pages
// (PageFlow): the issuer, the convênio, the period and the moment of issue on every page; one block
// per order with its items or its formulas and their components, its line repeated with
// "(continuação)" on a page its details go on to; the number of orders and their total at the end;
// "Página n de m". Amounts are "R$" in Brazilian format whatever the workstation's locale; long
// texts wrap.
ReportDocument buildExtratoReport(const ExtratoData &data, const std::function<void(int)> &onPage = {});

// "R$ 1.234,56".
QString formatReais(const Decimal &value);
