#pragma once
#include <QList>
#include <QString>
#include <QVector>

class CachedTable;

// A text as the filter of the search list compares it: letters in lower case, accents dropped
// ("São João" and "SAO JOAO" both give "sao joao").
QString foldForSearch(const QString &text);

// Which convênios of the register's table match what the user typed in the filter box: the typed
// text, case and accents aside, anywhere in the name, the code or the reference. The compared texts
// are folded once for all rows (index), so each keystroke only looks for the text in them.
class ConvenioFilter {
public:
    // Folds the name, code and reference of every row of the table.
    void index(const CachedTable &convenios);
    bool isIndexed() const { return m_indexed; }
    void invalidate() { m_indexed = false; }

    // One flag per row, in the table's order; an empty text matches every row.
    QVector<bool> matches(const QString &typed) const;

private:
    QList<QString> m_keys;   // name, code and reference of a row, folded, separated by a unit separator
    bool m_indexed = false;
};
