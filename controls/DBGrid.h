#pragma once
#include "data/CachedTable.h"

#include <functional>
#include <QTableView>

// A read-only grid over a cached table: whole-row selection, titles, a row indicator, resizable
// columns. The selected row is the table's current row, both ways. When allowed, Ctrl+Delete
// deletes the current row after the standard delete confirmation.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
        int width = 0;   // 0: the view's default
    };
    DBGrid(CachedTable *table, QWidget *parent = nullptr);
    CachedTable *table() const { return m_table; }
    // Shows only these columns, in this order, with these titles and widths.
    void setColumns(const QList<Column> &columns);
    void applyColumns();
    void setCtrlDeleteAllowed(bool allowed) { m_ctrlDelete = allowed; }
    // The question of Ctrl+Delete, when the table's owner has a better one than the standard one.
    std::function<QString()> perguntaExclusao;
    // When on, each shown column is widened to its title, and a column of numbers or dates to its
    // values in view, so nothing of them is cut; a column is never made narrower than it was given.
    void setWidenToContents(bool on);
    void fitColumns();
    // A move made by the program shows the row without scrolling the grid sideways.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    void cellClicked(int row, int column);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void followTable(int row);
    CachedTable *m_table;
    QList<Column> m_columns;
    bool m_syncing = false;
    bool m_ctrlDelete = false;
    bool m_widen = false;
    int m_modelChanging = 0;   // inside a row insert, removal, move or reset of the table
};
