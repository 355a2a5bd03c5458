#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class QAbstractItemModel;
struct ExtratoEmpresa;

// Spreadsheets (.xlsx, written by libxlsxwriter): one sheet per table, a bold header row, the panes
// frozen under it, columns as wide as their contents, dates as dates and amounts as numbers shown
// in reais.
namespace Planilha {

enum class Tipo { Texto, Data, DataHora, Valor, Inteiro };

struct Coluna {
    QString titulo;
    Tipo tipo = Tipo::Texto;
};

struct Linha {
    QVector<QVariant> celulas;   // QString, QDate, QDateTime, Decimal (or any number), int; invalid for an empty cell
    bool destaque = false;       // a subtotal or total: bold
};

struct Tabela {
    QString aba;   // the sheet's name (at most 31 characters; what a sheet name cannot hold is replaced)
    QList<Coluna> colunas;
    QList<Linha> linhas;
};

// Writes the tables into one workbook. Raises (std::runtime_error, a Portuguese text naming the
// file) when it cannot be written.
void grava(const QString &caminho, const QList<Tabela> &tabelas);

// The company statement: one sheet of its orders (matrícula, name, date, order, value, with each
// employee's subtotal and the total) and one of the employees' totals.
QList<Tabela> doExtratoEmpresa(const ExtratoEmpresa &extrato);

// A list shown on screen as it is: its header titles and each row's values (the edit role, so that
// dates and amounts keep their types; a column without given type takes the type of its values).
// `colunas`, when given, are the model's columns to take, in the order the screen shows them;
// `linha`, when given, keeps only the rows the screen shows.
Tabela doModelo(const QAbstractItemModel &modelo, const QString &aba, const QList<Tipo> &tipos = {},
                const std::function<bool(int)> &linha = {}, const QList<int> &colunas = {});

}
