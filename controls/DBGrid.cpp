#include "controls/DBGrid.h"

#include "platform/ErrorReporter.h"
#include "platform/Messages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

DBGrid::DBGrid(CachedTable *table, QWidget *parent) : QTableView(parent), m_table(table)
{
    // While the table adds, drops, moves or re-reads rows, the view shifts its own current index;
    // that shift must not move the table (it would post or cancel the very row being changed).
    // These run before the view's and the selection model's own handlers, connected by setModel.
    auto begin = [this] { ++m_modelChanging; };
    connect(table, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
    connect(table, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
    connect(table, &QAbstractItemModel::rowsAboutToBeMoved, this, begin);
    connect(table, &QAbstractItemModel::modelAboutToBeReset, this, begin);
    connect(table, &QAbstractItemModel::layoutAboutToBeChanged, this, begin);
    setModel(table);
    auto end = [this] {
        if (m_modelChanging > 0)
            --m_modelChanging;
    };
    connect(table, &QAbstractItemModel::rowsInserted, this, end);
    connect(table, &QAbstractItemModel::rowsRemoved, this, end);
    connect(table, &QAbstractItemModel::rowsMoved, this, end);
    connect(table, &QAbstractItemModel::modelReset, this, end);
    connect(table, &QAbstractItemModel::layoutChanged, this, end);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setFixedWidth(16);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    connect(table, &CachedTable::currentChanged, this, &DBGrid::followTable);
    connect(table, &QAbstractItemModel::modelReset, this, [this] {
        applyColumns();
        followTable(m_table->recNo());
    });
    connect(this, &QTableView::clicked, this, [this](const QModelIndex &i) { emit cellClicked(i.row(), i.column()); });
}

void DBGrid::setColumns(const QList<Column> &columns)
{
    m_columns = columns;
    applyColumns();
}

void DBGrid::applyColumns()
{
    if (m_columns.isEmpty())
        return;
    QHeaderView *h = horizontalHeader();
    // Only what differs is changed: the header keeps its sections over a reopening of the table,
    // and hiding and showing every column again on each reopening (every move of the statement's
    // order list reopens three detail tables) relays the whole view out several times.
    QList<int> shown;
    for (const Column &col : m_columns)
        shown << m_table->fieldIndex(col.field);
    for (int c = 0; c < m_table->columnCount(); ++c)
        setColumnHidden(c, !shown.contains(c));
    int visual = 0;
    for (const Column &col : m_columns) {
        const int logical = m_table->fieldIndex(col.field);
        if (logical < 0)
            continue;
        m_table->setTitle(col.field, col.title);
        if (h->visualIndex(logical) != visual)
            h->moveSection(h->visualIndex(logical), visual);
        ++visual;
        if (col.width > 0)
            setColumnWidth(logical, col.width);
    }
}

void DBGrid::followTable(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row < 0) {
        clearSelection();
        verticalHeader()->viewport()->update();   // no row keeps the indicator
    } else {
        const QModelIndex cur = currentIndex();
        const int col = cur.isValid() ? cur.column() : 0;
        int visibleCol = col;
        if (isColumnHidden(visibleCol))
            for (int c = 0; c < m_table->columnCount(); ++c)
                if (!isColumnHidden(c)) {
                    visibleCol = c;
                    break;
                }
        setCurrentIndex(m_table->index(row, visibleCol));
        selectRow(row);
    }
    // The view's own current and selection changes repaint the rows (and the header's indicator)
    // that lose and gain the mark; the rest of the grid is not repainted.
    m_syncing = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || m_modelChanging > 0 || !current.isValid() || current.row() == m_table->recNo())
        return;
    m_syncing = true;
    const bool moved = ErrorReporter::guard([&] { m_table->moveTo(current.row()); });
    m_syncing = false;
    if (!moved || m_table->recNo() != current.row())
        followTable(m_table->recNo());
}

void DBGrid::mousePressEvent(QMouseEvent *e)
{
    // Either button makes the row under the pointer current before anything else happens.
    const QModelIndex at = indexAt(e->pos());
    if (at.isValid() && at.row() != m_table->recNo()) {
        m_syncing = true;
        ErrorReporter::guard([&] { m_table->moveTo(at.row()); });
        m_syncing = false;
        followTable(m_table->recNo());
    }
    QTableView::mousePressEvent(e);
}

void DBGrid::keyPressEvent(QKeyEvent *e)
{
    if (m_ctrlDelete && e->key() == Qt::Key_Delete && (e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        ErrorReporter::guard([this] {
            if (m_table->isOpen() && !m_table->isEmpty() && Messages::confirmDelete())
                m_table->remove();
        });
        followTable(m_table->recNo());
        return;
    }
    QTableView::keyPressEvent(e);
}
