#pragma once
#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>
#include <QVariantList>

// Pieces of the SQL texts the program builds. Every value placed between apostrophes goes through
// quoted(), which doubles its apostrophes: ordinary values give exactly the usual text, and no value
// can change what a statement does.
namespace SqlText {

// A text with a "?" for each value, and the values in the order of their marks.
struct ComValores {
    QString texto;
    QVariantList valores;
};

QString quoted(const QString &value);      // the value with each ' doubled (no surrounding quotes)
QString dateMDY(const QDate &date);        // "mm/dd/yy"; empty for a null date
QString dateDMY(const QDate &date);        // "dd/mm/yy"; empty for a null date
QString time24(const QTime &time);         // "hh:nn:ss"
// A whole number read from the database (an integer, or a decimal without places) as its digits.
QString number(const QVariant &value);

// Reads "dd/mm/yy" (two-digit year, as the workstation reads short dates: 00-49 is 20xx, 50-99 19xx).
// Returns a null date for anything that is not a valid date.
QDate parseDMY(const QString &text);

}
