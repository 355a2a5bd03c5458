#pragma once
#include <QPointer>
#include "data/Connection.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <exception>
#include <functional>

// A whole result held in memory for the windows: rows in the order of the command text's ORDER BY,
// whose columns are also the lookup key; a current row; edit, insert, append, post, cancel and
// delete on the cache; and a write-back that turns the cache's change log into SQL.
//
// Events are hooks that the windows attach to. A hook may throw to stop the operation; SilentAbort
// stops it without a message.
class CachedTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    // How the write-back finds a changed or deleted row: by the key columns as fetched, or by every
    // column as fetched (a null column with IS NULL).
    enum class WhereMode { KeyOnly, AllColumns };

    CachedTable(Connection &connection, const QString &name, const QString &commandText,
                const QStringList &keyColumns, WhereMode where = WhereMode::KeyOnly, QObject *parent = nullptr);

    QString name() const { return m_name; }
    Connection &connection() { return m_connection; }

    void setCommandText(const QString &sql) { m_commandText = sql; m_params.clear(); }
    // A command text with parameters ("?"), their values, and how it is prepared: a text that a
    // window runs again and again with other values is kept prepared on the connection.
    void setCommandText(const QString &sql, const QVariantList &params, Connection::Prepare prepare)
    {
        m_commandText = sql;
        m_params = params;
        m_prepare = prepare;
    }
    QString commandText() const { return m_commandText; }
    QString tableName() const;          // the table of the command text's FROM clause
    QStringList lookupKey() const;      // the columns of the command text's ORDER BY

    // The order the rows are held in after each read, where the database cannot give it (names in
    // the user's language); none keeps the command text's ORDER BY. The lookup key stays that of the
    // command text.
    using RowOrder = std::function<bool(const QVector<QVariant> &, const QVector<QVariant> &)>;
    void setRowOrder(const RowOrder &less) { m_rowOrder = less; }

    // Opening fetches every row; closing drops the cache and any change not written back.
    void open();
    // Opens on rows already read (a slice of a larger read): the same as open() without the query.
    void openWith(const RowSet &rows);
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    // Re-reads all rows with the current command text and keeps the ordinal position. Refused while
    // changes are pending: "Must apply updates before refreshing data".
    void refresh();

    State state() const { return m_state; }
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    int recNo() const { return m_current; }   // 0-based; -1 when empty
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    void first();
    void prior();
    void next();
    void last();
    void moveTo(int row);

    void edit();
    void insert();   // a new row at the current position
    void append();   // a new row at the end
    void post();
    void cancel();
    void remove();   // deletes the current row (or drops a row being inserted)
    bool isModified() const { return m_modified; }
    // Counts the row being inserted or edited as not changed by the user: values the program set
    // itself while making the row (a new code) do not keep a move away from cancelling it.
    void clearModified() { m_modified = false; }
    // Leaves insert or edit as a move does: posts a changed row, cancels an unchanged one.
    void checkBrowseMode();

    const QList<Field> &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const;   // case-insensitive, calculated fields too; -1 when absent
    int fieldSize(const QString &name) const;    // characters of a text column
    QVariant value(const QString &field) const;  // of the current row (its edit buffer while editing)
    QString text(const QString &field) const;    // the value as text; empty for null
    QVariant valueAt(int row, const QString &field) const;
    QVariant valueAt(int row, int column) const;   // by column index, for painting and the views
    // Sets a column of the row being edited or inserted; text longer than the column is cut.
    void setValue(const QString &field, const QVariant &value);

    // Both lookups first leave insert or edit as a move does (checkBrowseMode), so the row found is
    // the one that holds the key once a row being inserted is stored or dropped.
    // Exact match on the lookup key: moves there and returns true, or stays put and returns false.
    bool locate(const QVariant &key);
    // Moves to the first row whose key equals the value or sorts after it (the last row if none).
    void locateNearest(const QVariant &key);

    bool hasPendingUpdates() const;
    // Writes the change log in one transaction, one statement per changed row. With maxErrors 0 the
    // first failure rolls everything back and keeps all changes pending; with -1 every statement is
    // tried, the transaction is committed and only the failed rows stay pending. Returns the
    // number of failures; the first failure's text is in lastApplyError().
    //
    // When the link breaks while the write-back commits, the server may have committed before its
    // answer was lost: each row is read again by its key on a new link. Found as written, the
    // write-back goes on as committed (lastCommit() says so); found as it was, the link's failure is
    // raised and every change stays pending; anything else raises CommitOutcomeUnknown, with every
    // change pending.
    int applyUpdates(int maxErrors);
    QString lastApplyError() const { return m_lastApplyError; }
    enum class Commit { Answered, FoundWritten };
    Commit lastCommit() const { return m_lastCommit; }
    // applyUpdates(maxErrors) and then refresh(); a failure is raised with the database's text.
    void writeBack(int maxErrors = 0);
    // After the write-back of the current row was refused: the row goes back to being inserted or
    // edited, with the values that were typed, instead of standing in the cache as if it were
    // stored. Returns false when the current row had no pending change.
    bool resumeEditing();

    // A calculated field: a column after the fetched ones whose value the program works out for each
    // row (shown, read and formatted like the others; never written back nor posted).
    void addCalculatedField(const Field &field, const std::function<QVariant(int row)> &value);
    // The views show the calculated values again (their source changed).
    void calculatedFieldsChanged();
    const Field &column(int index) const;   // fetched or calculated

    // Display: a format per column ("#,##0.00" for money, "dd/mm/yy" for dates) and titles.
    void setDisplayFormat(const QString &field, const QString &format);
    void setTitle(const QString &field, const QString &title);
    QString displayText(int row, int column) const;

    // Hooks, named after the dataset events of the suite.
    std::function<void()> beforeInsert, afterInsert, beforeEdit, afterEdit, beforePost, afterPost, beforeCancel,
        afterCancel, beforeDelete, afterDelete, beforeScroll, afterScroll, afterOpen, beforeClose;
    // Called when posting to the cache fails; returns true when it dealt with the failure, which
    // then ends the post silently.
    std::function<bool(const std::exception_ptr &)> onPostError;

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Bound controls put what the user typed into the row before a post and before leaving insert
    // or edit. They are called directly, not through a signal, so that a value the row refuses
    // reaches the caller of post() as an exception (an exception must not cross a Qt signal).
    // An updater goes with its owner.
    void addRecordUpdater(QObject *owner, const std::function<void()> &update);
    void removeRecordUpdaters(QObject *owner);

signals:
    void currentChanged(int row);   // the current row moved
    void stateChanged();            // browse / edit / insert / closed
    void recordChanged();           // a value of the current record changed

private:
    struct Row {
        enum Status { Unchanged, Modified, Inserted };
        QVector<QVariant> values;
        QVector<QVariant> original;
        Status status = Unchanged;
    };

    void load(const RowSet &rs);
    int dataFieldIndex(const QString &name) const;   // fetched columns only
    void setCurrent(int row, bool notify = true);
    void changeCurrent(int row);
    void beginNewRow(int position);
    void checkKeyUnique(int row) const;
    int sortedPosition(int row) const;
    int compareRows(const QVector<QVariant> &a, const QVector<QVariant> &b, const QList<QPair<int, bool>> &order) const;
    QList<QPair<int, bool>> orderColumns() const;   // column index, descending
    void setState(State s);
    QString formatValue(const QVariant &v, int column) const;

    Connection &m_connection;
    QString m_name;
    QString m_commandText;
    QVariantList m_params;
    RowOrder m_rowOrder;
    Connection::Prepare m_prepare = Connection::Prepare::EachTime;
    QStringList m_keyColumns;
    WhereMode m_where;

    QList<Field> m_fields;
    struct Calculated {
        Field field;
        std::function<QVariant(int)> value;
    };
    QList<Calculated> m_calculated;
    QList<Row> m_rows;
    QList<QVector<QVariant>> m_deleted;   // originals of rows deleted since the last write-back
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Inactive;
    QVector<QVariant> m_buffer;   // the edit buffer
    bool m_modified = false;
    int m_insertRow = -1;         // row index of the row being inserted
    QString m_lastApplyError;
    Commit m_lastCommit = Commit::Answered;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> m_recordUpdaters;
    void updateRecordFromControls();
    QHash<QString, QString> m_formats;
    QHash<QString, QString> m_titles;
};

// Compares two values the way the database orders them: numbers by value, dates by date, text by
// its Windows-1252 bytes, nulls first.
int compareValues(const QVariant &a, const QVariant &b);
