#pragma once
#include "data/Decimal.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <stdexcept>

#include "platform/Failure.h"

// A failure reported by the database, with the database's own text.
class DatabaseError : public std::runtime_error, public Failure::Explicada {
public:
    explicit DatabaseError(const QString &message, long gdsCode = 0, bool linkLost = false)
        : std::runtime_error(message.toStdString()), m_message(message), m_gdsCode(gdsCode), m_linkLost(linkLost)
    {
    }
    QString message() const { return m_message; }
    long gdsCode() const { return m_gdsCode; }
    // The link to the server broke (the network, the server gone, the call cancelled by abort):
    // the connection's transactions went with it.
    bool linkLost() const { return m_linkLost; }
    // In Portuguese, what the failure means for the user, and the database's text beneath; the
    // text alone when the failure is not one the program knows.
    QString explicada() const override;

private:
    QString m_message;
    long m_gdsCode;
    bool m_linkLost;
};

// The link broke while a transaction was being committed: the server may have committed it before
// its answer was lost. Nothing here knows which; only reading the data again can tell.
class CommitOutcomeUnknown : public DatabaseError {
public:
    explicit CommitOutcomeUnknown(const DatabaseError &cause)
        : DatabaseError(cause.message(), cause.gdsCode(), true)
    {
    }
};

// True for the client library's codes of a broken link.
bool isLinkLostCode(long gdsCode);

// The refusal of a text that the suite's code page cannot hold: nothing of it is stored.
DatabaseError unrepresentableText(const QString &text);

// A column of a result as the database describes it.
struct Field {
    enum Type { Text, FixedText, Integer, BigInt, Numeric, Double, Date, Time, Timestamp, Blob, Boolean, Other };
    QString name;
    Type type = Other;
    int size = 0;     // characters for text, bytes otherwise
    int scale = 0;    // decimal places of a Numeric
    bool nullable = true;
    friend bool operator==(const Field &, const Field &) = default;
};

// Rows fetched whole. Values are QString, int, qint64, Decimal, double, QDate, QTime, QDateTime,
// QByteArray or bool; a null column is an invalid QVariant.
struct RowSet {
    QList<Field> fields;
    QList<QVector<QVariant>> rows;

    int indexOf(const QString &name) const;   // case-insensitive; -1 when absent
    QVariant value(int row, const QString &name) const;
    int rowCount() const { return int(rows.size()); }
};

// One connection to a Firebird database through the engine's own client interface: read-committed
// isolation, waiting on locks, text in Windows-1252, dialect 3. Without an open transaction, each
// statement runs in a transaction of its own that is committed at its end; between begin() and
// commit() every statement of this connection runs in that one transaction.
class Connection {
public:
    explicit Connection(const QString &name);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString name() const { return m_name; }

    // "path" opens the file through the embedded engine; "host:path" or "host/port:path" a server.
    void setDatabase(const QString &database);
    QString database() const { return m_database; }
    // No database can be reached with what was configured: every open raises `reason` until
    // another database is set.
    void setUnavailable(const QString &reason) { m_unavailable = reason; }
    void setCredentials(const QString &user, const QString &password);
    void setRole(const QString &role) { m_role = role; }
    void setCharSet(const QString &charSet) { m_charSet = charSet; }   // the connection's declared set
    QString charSet() const { return m_charSet; }
    // The client library the suite would load on Windows; recorded, the link decides here.
    void setClientLibrary(const QString &library) { m_clientLibrary = library; }
    QString clientLibrary() const { return m_clientLibrary; }

    // Reaches the same database the same way as `other` (its address, user, role, character set,
    // waits and compression): a second connection for work on another thread.
    void copySettingsFrom(const Connection &other);

    bool isOpen() const;
    void open();
    void close();

    // Called on the connection's thread after it attached again because its link was found broken
    // (the window says so); the command that found it then went on as if nothing had happened.
    void setReconnectedHandler(std::function<void()> handler);
    // A server that does not answer within these seconds while attaching is given up (0: the
    // client library's own wait). Remote servers only.
    void setConnectTimeout(int seconds) { m_connectTimeout = seconds; }
    // Whether the traffic with a remote server is compressed; asked of the server when attaching.
    void setWireCompression(bool on) { m_wireCompression = on; }
    bool wireCompression() const { return m_wireCompression; }
    bool isRemote() const;

    // Ends the call under way at once, from any thread: the link is closed on this side (a server
    // that stopped answering is not waited for), so the call fails, its transaction is lost and
    // rolled back by the server, and the next command attaches again. An attach to a remote server
    // that has not answered yet is given up the same way: open() fails at once as cancelled.
    void cancel();
    // The same for every connection of the process (a signal ending the program).
    static void cancelAll();
    // An attach given up is still waiting for its server on a thread of its own: the process ends
    // without waiting for it (the client library would, on its way out).
    static bool attachesLeftRunning();

    // A select that reads what is committed, waiting up to `seconds` for a transaction that is
    // still changing those rows (one whose link broke, until the server has ended it) instead of
    // reading past it. A wait that runs out raises a lock conflict.
    RowSet queryAfterWriters(const QString &sql, int seconds, const QVariantList &params = {});
    // The same without waiting, also while this connection has a transaction open: a row that
    // another transaction is changing raises a lock conflict at once.
    RowSet queryNoWait(const QString &sql);
    // Creates the database file and leaves the connection open on it. Its default character set is
    // Windows-1252 unless another is named; "NONE" makes it the way the suite's old programs did.
    void createDatabase(int pageSize = 8192, const QString &defaultCharSet = QStringLiteral("WIN1252"));

    // How a statement is prepared: for this run only, or kept prepared on this connection for the
    // next run of the same text (a window's select run again and again with other parameters; each
    // later run then costs no preparing, a round trip less on a server). Kept statements go with
    // the link; at most KeptLimit of them, the least recently run let go first.
    enum class Prepare { EachTime, Keep };
    static constexpr int KeptLimit = 64;
    RowSet query(const QString &sql, const QVariantList &params = {}, Prepare prepare = Prepare::EachTime);
    int execute(const QString &sql, const QVariantList &params = {});   // rows affected
    // The plan the optimizer chooses for a statement, without running it: "PLAN JOIN (P INDEX (...),
    // ...)", or explained, a line for each step, naming each table beside its alias ("Table "ITENS"
    // as "D" Full Scan").
    enum class PlanForm { Legacy, Explained };
    QString plan(const QString &sql, const QVariantList &params = {}, PlanForm form = PlanForm::Legacy);

    // Runs statements that return no rows with one call to the server: one EXECUTE BLOCK that runs
    // each text with EXECUTE STATEMENT, in order, in the open transaction (or in one of its own).
    // The statement log records each text. When one fails, nothing of the group stays, the failure
    // is raised, and `failed` (when given) tells which statement it was (-1 when unknown).
    void executeGrouped(const QStringList &statements, int *failed = nullptr);
    // What a statement adds to a group's text; a group stays within GroupLimit.
    static int groupCost(const QString &sql);
    static constexpr int GroupLimit = 250000;

    // Called just before the outermost scope sends its transaction to be committed: where a test
    // breaks the link to see what the program makes of a commit whose answer never came.
    void setBeforeCommit(std::function<void()> observer) { m_beforeCommit = std::move(observer); }

    bool inTransaction() const;
    void begin();
    void commit();
    void rollback();

private:
    template <typename Work>
    auto runStatement(const QString &sql, const QVariantList &params, Work work, Prepare prepare = Prepare::EachTime);
    template <typename Work>
    auto runOnce(const QString &sql, const QVariantList &params, Work work, Prepare prepare);
    void executeGroupedOnce(const QByteArray &block, int *failed);
    RowSet queryOnItsOwn(const QString &sql, int seconds, const QVariantList &params = {});   // seconds 0: no wait
    // After a failure: true when the link was lost and the failed work may run again on a new one
    // (no transaction of the caller's went with it, nothing may have been committed).
    bool mayRunAgain(const std::exception_ptr &failure) const;

    struct Impl;
    QString m_name;
    QString m_database;
    QString m_unavailable;
    QString m_user = QStringLiteral("sysdba");
    QString m_password = QStringLiteral("tulipgate");
    QString m_role;
    QString m_charSet;
    QString m_clientLibrary = QStringLiteral("gds32.dll");
    int m_connectTimeout = 0;
    bool m_wireCompression = false;
    std::function<void()> m_reconnected;
    std::function<void()> m_beforeCommit;
    std::unique_ptr<Impl> d;
};

// While an object of this class lives, the calls of this thread that wait for a server run on a
// helper thread, and this thread turns its event loop until each has ended: the windows stay
// painted and a Cancelar (Connection::cancel) can be pressed while a server holds its answers back.
// Whoever opens it keeps the rest of the user's input away meanwhile.
class BackgroundCalls {
public:
    BackgroundCalls();
    ~BackgroundCalls();
    BackgroundCalls(const BackgroundCalls &) = delete;
    BackgroundCalls &operator=(const BackgroundCalls &) = delete;
};

// All-or-nothing scope: statements of the connection run in one transaction that is committed by
// commit() and rolled back when the scope ends without it. A scope opened inside another joins it;
// when that inner scope ends without commit(), the outer commit() fails and nothing is stored. A
// commit that the database refuses rolls the transaction back and raises.
class Transaction {
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Connection &m_connection;
    bool m_done = false;
};
