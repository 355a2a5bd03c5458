#include "controls/DBGrid.h"

#include "platform/ErrorReporter.h"
#include "platform/Messages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

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
    // A table opened again on the same columns only gains rows: their values may need more room.
    connect(table, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first) {
        if (first == 0)
            fitColumns();
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
        if (col.width > 0 && columnWidth(logical) != col.width)
            setColumnWidth(logical, col.width);
    }
    fitColumns();
}

void DBGrid::setWidenToContents(bool on)
{
    m_widen = on;
    fitColumns();
}

void DBGrid::fitColumns()
{
    if (!m_widen)
        return;
    QHeaderView *h = horizontalHeader();
    for (const Column &col : m_columns) {
        const int logical = m_table->fieldIndex(col.field);
        if (logical < 0)
            continue;
        int needed = std::max(col.width > 0 ? col.width : h->defaultSectionSize(), h->sectionSizeHint(logical));
        const Field::Type type = m_table->fields().at(logical).type;
        if (type != Field::Text && type != Field::FixedText && m_table->rowCount() > 0)
            needed = std::max(needed, sizeHintForColumn(logical));
        if (columnWidth(logical) < needed)
            setColumnWidth(logical, needed);
    }
}

void DBGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!m_syncing) {
        QTableView::scrollTo(index, hint);
        return;
    }
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
}

void DBGrid::followTable(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row < 0) {
        clearSelection();
        verticalHeader()->viewport()->update();   // no row keeps the indicator
        horizontalScrollBar()->setValue(0);       // opened again, the grid starts at its first column
    } else {
        const QModelIndex cur = currentIndex();
        int visibleCol = cur.isValid() ? cur.column() : -1;
        if (visibleCol < 0 || isColumnHidden(visibleCol))   // the first column shown
            for (int v = 0; v < horizontalHeader()->count(); ++v)
                if (!isColumnHidden(horizontalHeader()->logicalIndex(v))) {
                    visibleCol = horizontalHeader()->logicalIndex(v);
                    break;
                }
        visibleCol = std::max(visibleCol, 0);
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
            if (m_table->isOpen() && !m_table->isEmpty() &&
                (perguntaExclusao ? Messages::confirmDelete(perguntaExclusao()) : Messages::confirmDelete()))
                m_table->remove();
        });
        followTable(m_table->recNo());
        return;
    }
    QTableView::keyPressEvent(e);
}
