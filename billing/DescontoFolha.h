#pragma once
#include "billing/ExtratoEmpresa.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// The payroll deduction file ("arquivo para desconto em folha") that the company's HR imports: one
// line per employee with their matrícula, name, the company's pay-event code, the month (MMAAAA)
// and the value with a decimal point. Each convênio has its layout, kept in the module's table
// CONVENIOS_LAYOUT_FOLHA; a convênio without one gets the preset.
struct LayoutFolha {
    enum class Formato { LarguraFixa, Separado };
    enum class Campo { Matricula, Nome, Evento, Mes, Valor };
    struct Coluna {
        Campo campo;
        int largura = 0;   // characters, in the fixed-width format
        friend bool operator==(const Coluna &, const Coluna &) = default;
    };

    Formato formato = Formato::LarguraFixa;
    QString separador = QStringLiteral(";");
    QList<Coluna> colunas;
    QString evento;   // the company's pay-event code

    // The common layout: fixed width, matrícula 10 (digits zero-filled on the left), name 40,
    // event 4, month 6, value 12 (zero-filled on the left, two decimals after a point).
    static LayoutFolha padrao();

    // "MATRICULA:10,NOME:40,EVENTO:4,MES:6,VALOR:12", as the table keeps the columns.
    QString colunasTexto() const;
    // Reads that text; nullopt-like empty list when it is not one.
    static QList<Coluna> colunasDe(const QString &texto);
    static QString nomeDo(Campo campo);
    friend bool operator==(const LayoutFolha &, const LayoutFolha &) = default;
};

struct ArquivoFolha {
    QByteArray conteudo;        // Windows-1252, one line per employee, CRLF
    int linhas = 0;
    Decimal total{0, 2};
    QStringList semMatricula;   // "NOME (pedidos 01-12, 01-15)": what the file could not hold
    QStringList problemas;      // a value that does not fit its width: the file is not to be used

    // What the user is told about the orders left out; empty when none were.
    QString aviso() const;
};

namespace DescontoFolha {

// The file of a company statement for the month (1-12) of the year.
ArquivoFolha gera(const ExtratoEmpresa &extrato, const LayoutFolha &layout, int mes, int ano);

// The convênio's layout from the module's table; the preset when it has none.
LayoutFolha le(Connection &central, const QString &convenio);
void grava(Connection &central, const QString &convenio, const LayoutFolha &layout, const QString &usuario);

QString sqlLe(const QString &convenio);
QString sqlGrava(const QString &convenio, const LayoutFolha &layout, const QString &usuario);

// "folha-<convênio>-MMAAAA.txt", without characters a file name cannot hold.
QString nomeDoArquivo(const QString &convenio, int mes, int ano);

}
