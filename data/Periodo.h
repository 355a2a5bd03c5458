#pragma once
#include "data/SqlText.h"

#include <QDate>
#include <QString>

// A period of days, both ends included: the settlement's, the statement's, the closing's.
// Formatted only where it meets a statement text or the screen.
struct Periodo {
    QDate inicio;
    QDate fim;

    bool valido() const { return inicio.isValid() && fim.isValid(); }
    // As the suite's statement texts write dates: "mm/dd/yy"; empty for a missing end.
    QString inicioSql() const { return SqlText::dateMDY(inicio); }
    QString fimSql() const { return SqlText::dateMDY(fim); }
    // "01/11/26 a 30/11/26".
    QString texto() const { return SqlText::dateDMY(inicio) + QStringLiteral(" a ") + SqlText::dateDMY(fim); }

    bool operator==(const Periodo &) const = default;
};
