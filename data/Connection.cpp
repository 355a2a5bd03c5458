#include "data/Connection.h"

#include "data/RoundTrips.h"
#include "data/StatementLog.h"
#include "platform/WinText.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHash>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QThread>
#include <QTime>
#include <firebird/Interface.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <optional>
#include <thread>
#include <type_traits>
#include <cstring>
#include <mutex>
#include <set>

using namespace Firebird;

namespace {

IMaster *master() { return fb_get_master_interface(); }

// The engine's messages carry this connection's texts in Windows-1252, but file and host names as
// the system spells them, in UTF-8 here: a message that is valid UTF-8 is read as UTF-8.
QString statusText(IStatus *status)
{
    char buf[2048];
    master()->getUtilInterface()->formatStatus(buf, sizeof buf, status);
    const QByteArray bytes(buf);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return (utf8.hasError() ? WinText::decode(bytes) : text).trimmed();
}

long gdsCodeOf(IStatus *status)
{
    const intptr_t *v = status->getErrors();
    return (v && v[0] == isc_arg_gds) ? long(v[1]) : 0;
}

// Whether any code of the status vector says that the link to the server broke.
bool linkLostIn(IStatus *status)
{
    const intptr_t *v = status->getErrors();
    for (int i = 0; v && v[i] != isc_arg_end; i += 2) {
        if (v[i] == isc_arg_gds && isLinkLostCode(long(v[i + 1])))
            return true;
        if (v[i] == isc_arg_cstring)
            ++i;   // a length, then the text
    }
    return false;
}

// The status object of this thread's calls: one is kept rather than one made and disposed per call,
// which cost more than most of the calls themselves (a row of 60 columns is several calls a column).
IStatus *threadStatus()
{
    thread_local struct Holder {
        IStatus *status = master()->getStatus();
        ~Holder() { status->dispose(); }
    } holder;
    return holder.status;
}

// Runs a call of the client interface and turns its failure into a DatabaseError.
template <typename F>
auto call(F &&f)
{
    ThrowStatusWrapper st(threadStatus());
    try {
        return f(&st);
    } catch (const FbException &e) {
        const QString text = statusText(e.getStatus());
        const long code = gdsCodeOf(e.getStatus());
        const bool lost = linkLostIn(e.getStatus());
        threadStatus()->init();
        throw DatabaseError(text, code, lost);
    }
}

// The thread that runs the calls waiting for a server while BackgroundCalls is on, one at a time.
class Helper {
public:
    static Helper &instance()
    {
        static Helper *helper = new Helper;   // lives until the process ends, as its thread does
        return *helper;
    }

    void run(std::function<void()> job)
    {
        {
            std::lock_guard lock(m_mutex);
            m_job = std::move(job);
        }
        m_wake.notify_one();
    }

private:
    Helper()
    {
        std::thread([this] {
            for (;;) {
                std::function<void()> job;
                {
                    std::unique_lock lock(m_mutex);
                    m_wake.wait(lock, [this] { return bool(m_job); });
                    job = std::move(m_job);
                    m_job = nullptr;
                }
                job();
            }
        }).detach();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<void()> m_job;
};

thread_local int t_backgroundScopes = 0;
thread_local bool t_waiting = false;

// A call that waits for the server. With BackgroundCalls on, it runs on the helper thread while
// this thread turns its event loop; otherwise, and for a call made from that loop, as call() does.
template <typename F>
auto serverCall(F &&f)
{
    if (t_backgroundScopes == 0 || t_waiting)
        return call(std::forward<F>(f));
    using Result = decltype(call(f));
    t_waiting = true;
    const auto done = qScopeGuard([] { t_waiting = false; });
    QEventLoop loop;
    std::exception_ptr error;
    std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
    Helper::instance().run([&] {
        try {
            if constexpr (std::is_void_v<Result>)
                call(f);
            else
                result = call(f);
        } catch (...) {
            error = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        std::lock_guard lock(mutex);
        finished = true;
        ended.notify_one();
    });
    loop.exec();
    // The loop may have been left early (the program ending): the call still owns what it uses here.
    {
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return finished; });
    }
    if (error)
        std::rethrow_exception(error);
    if constexpr (!std::is_void_v<Result>)
        return *result;
}

// An attach to a remote server, run on a thread of its own so that the caller can give up on it
// (Cancelar, a signal ending the program) while the server has not answered: a client library
// call that waits for a server cannot be stopped from outside before there is an attachment to
// cancel. An attach given up goes on alone and lets go of what it gets.
class PendingAttach {
public:
    // Still running after being given up.
    static std::atomic<int> &abandoned()
    {
        static std::atomic<int> count{0};
        return count;
    }

    static std::shared_ptr<PendingAttach> start(const QByteArray &path, const QByteArray &dpb)
    {
        auto attach = std::make_shared<PendingAttach>();
        std::thread([attach, path, dpb] { attach->run(path, dpb); }).detach();
        return attach;
    }

    // Waits until the attach ends, or until it is given up: then null.
    IAttachment *wait()
    {
        std::unique_lock lock(m_mutex);
        if (t_backgroundScopes > 0 && !t_waiting && QCoreApplication::instance() &&
            QThread::currentThread() == QCoreApplication::instance()->thread()) {
            // The windows stay alive meanwhile, so that a window can offer Cancelar.
            t_waiting = true;
            QEventLoop loop;
            m_loop = &loop;
            while (!m_done && !m_abandoned) {
                lock.unlock();
                loop.exec();
                lock.lock();
            }
            m_loop = nullptr;
            t_waiting = false;
        } else {
            m_ended.wait(lock, [this] { return m_done || m_abandoned; });
        }
        if (m_abandoned)
            return nullptr;
        if (m_error)
            std::rethrow_exception(m_error);
        return m_attachment;
    }

    void abandon()
    {
        std::lock_guard lock(m_mutex);
        if (m_done || m_abandoned)
            return;
        m_abandoned = true;
        ++abandoned();
        wake();
    }

private:
    void run(const QByteArray &path, const QByteArray &dpb)
    {
        IAttachment *attachment = nullptr;
        std::exception_ptr error;
        try {
            attachment = call([&](ThrowStatusWrapper *s) {
                return master()->getDispatcher()->attachDatabase(s, path.constData(), unsigned(dpb.size()),
                                                                  reinterpret_cast<const unsigned char *>(dpb.constData()));
            });
        } catch (...) {
            error = std::current_exception();
        }
        std::unique_lock lock(m_mutex);
        m_done = true;
        if (!m_abandoned) {
            m_attachment = attachment;
            m_error = error;
            wake();
            return;
        }
        lock.unlock();
        if (attachment) {
            try {
                call([&](ThrowStatusWrapper *s) { attachment->detach(s); });
            } catch (...) {
                attachment->release();
            }
        }
        --abandoned();
    }

    void wake()
    {
        m_ended.notify_all();
        if (m_loop)
            QMetaObject::invokeMethod(m_loop, &QEventLoop::quit, Qt::QueuedConnection);
    }

    std::mutex m_mutex;
    std::condition_variable m_ended;
    QEventLoop *m_loop = nullptr;
    bool m_done = false;
    bool m_abandoned = false;
    IAttachment *m_attachment = nullptr;
    std::exception_ptr m_error;
};

Field::Type fieldTypeOf(unsigned sqlType, int scale, unsigned charSet)
{
    switch (sqlType & ~1u) {
    case SQL_VARYING:
        return charSet == 1 ? Field::Blob : Field::Text;
    case SQL_TEXT:
        return charSet == 1 ? Field::Blob : Field::FixedText;
    case SQL_SHORT:
    case SQL_LONG:
        return scale < 0 ? Field::Numeric : Field::Integer;
    case SQL_INT64:
        return scale < 0 ? Field::Numeric : Field::BigInt;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return Field::Double;
    case SQL_TYPE_DATE:
        return Field::Date;
    case SQL_TYPE_TIME:
        return Field::Time;
    case SQL_TIMESTAMP:
        return Field::Timestamp;
    case SQL_BLOB:
        return Field::Blob;
    case SQL_BOOLEAN:
        return Field::Boolean;
    default:
        return Field::Other;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------

bool isLinkLostCode(long gdsCode)
{
    switch (gdsCode) {
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
    case isc_conn_lost:
    case isc_att_shutdown:
    case isc_net_server_shutdown:
        return true;
    default:
        return false;
    }
}

DatabaseError unrepresentableText(const QString &text)
{
    return DatabaseError(QStringLiteral("O texto \"%1\" tem caracteres que a página de código Windows-1252 não "
                                        "representa; nada foi gravado.")
                             .arg(text.left(60)));
}

int RowSet::indexOf(const QString &name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant RowSet::value(int row, const QString &name) const
{
    const int c = indexOf(name);
    if (c < 0 || row < 0 || row >= rows.size())
        return {};
    return rows[row][c];
}

// ---------------------------------------------------------------------------------------------

namespace {
const QString CancelledText = QStringLiteral("A operação foi cancelada: a conexão com o servidor foi fechada e nada "
                                             "do que estava em curso foi gravado.");
}

struct Connection::Impl {
    IAttachment *attachment = nullptr;
    ITransaction *transaction = nullptr;   // the explicit transaction, when one is open
    int depth = 0;                         // scopes open on it; it may be gone while some are
    // A scope inside gave up, or the transaction was lost with its link: the outermost scope
    // must not commit what is left.
    bool doomed = false;
    // Selects outside an explicit transaction read in this one: read only and read committed, so
    // the engine counts it as committed from its start and it sees every commit at once. Reads
    // then cost no commit of their own (with forced writes, a commit waits for the disk).
    ITransaction *reading = nullptr;
    // The transaction of queryAfterWriters while it runs.
    ITransaction *afterWriters = nullptr;
    bool readingAfterWriters = false;
    // Selects kept prepared, by their text, with the turn of their last run.
    struct Kept {
        IStatement *statement = nullptr;
        quint64 turn = 0;
    };
    QHash<QString, Kept> kept;
    quint64 keptTurn = 0;
    // The attachment was let go because its link broke: the next attach is a reconnection.
    bool lost = false;
    bool remote = false;
    // cancel(), from any thread: the attachment it may end (a reference of its own) and whether it
    // was asked for, so that the failure it causes is reported as cancelled and never run again.
    std::mutex cancelMutex;
    IAttachment *cancellable = nullptr;
    std::atomic<bool> cancelRequested{false};
    // The attach to a remote server under way, which cancel() gives up.
    std::shared_ptr<PendingAttach> attaching;

    // Every connection of the process, for ending all their calls at once.
    static std::mutex &registryMutex()
    {
        static std::mutex m;
        return m;
    }
    static std::set<Impl *> &registry()
    {
        static std::set<Impl *> all;
        return all;
    }

    Impl()
    {
        std::lock_guard lock(registryMutex());
        registry().insert(this);
    }

    ~Impl()
    {
        {
            std::lock_guard lock(registryMutex());
            registry().erase(this);
        }
        drop();
        track();
    }

    // A transaction of a statement's own that failed, in the catch block: rolled back, unless its
    // link broke (the server rolls it back, or committed it when the commit was what broke).
    void endOwnAfterFailure(ITransaction *&tra)
    {
        bool lost = cancelRequested && remote;
        try {
            throw;
        } catch (const DatabaseError &e) {
            lost = lost || e.linkLost();
        } catch (...) {
        }
        if (!lost)
            finish(tra, [](ITransaction *t, ThrowStatusWrapper *s) { t->rollback(s); });
        else if (tra)
            tra->release();
        tra = nullptr;
    }

    // Keeps the attachment that cancel() may end in step with the one in use.
    void track()
    {
        std::lock_guard lock(cancelMutex);
        if (cancellable == attachment)
            return;
        if (cancellable)
            cancellable->release();
        cancellable = attachment;
        if (cancellable)
            cancellable->addRef();
    }

    void cancel()
    {
        IAttachment *a = nullptr;
        std::shared_ptr<PendingAttach> pending;
        {
            std::lock_guard lock(cancelMutex);
            a = cancellable;
            if (a)
                a->addRef();
            pending = attaching;
        }
        if (pending)
            pending->abandon();
        if (!a)
            return;
        cancelRequested = true;
        // A remote link is closed on this side, so that a server that holds its answers back is
        // not waited for; the embedded engine stops the statement it runs.
        const int kind = remote ? fb_cancel_abort : fb_cancel_raise;
        try {
            call([&](ThrowStatusWrapper *s) { a->cancelOperation(s, kind); });
        } catch (...) {
        }
        a->release();
    }

    // A server that does not answer is waited for until the attach ends or cancel() gives it up.
    IAttachment *attachRemote(const QByteArray &path, const QByteArray &dpb)
    {
        std::shared_ptr<PendingAttach> pending;
        {
            std::lock_guard lock(cancelMutex);
            // A call made while this thread waits for the attach (from its event loop) does not
            // start a second one.
            if (attaching)
                throw DatabaseError(QStringLiteral("A conexão com o servidor ainda está sendo estabelecida."));
            pending = attaching = PendingAttach::start(path, dpb);
        }
        const auto forget = qScopeGuard([this] {
            std::lock_guard lock(cancelMutex);
            attaching.reset();
        });
        IAttachment *attached = pending->wait();
        if (!attached)
            throw DatabaseError(CancelledText, isc_cancelled);
        return attached;
    }

    // Ends a client object (rollback, commit, detach); one whose end fails is let go as it is.
    template <typename T, typename End>
    static void finish(T *&object, End end)
    {
        if (!object)
            return;
        RoundTrips::add();
        try {
            serverCall([&](ThrowStatusWrapper *s) { end(object, s); });
        } catch (...) {
            object->release();
        }
        object = nullptr;
    }

    // The kept statement of a text, or null; counted as run now.
    IStatement *keptStatement(const QString &sql)
    {
        const auto it = kept.find(sql);
        if (it == kept.end())
            return nullptr;
        it->turn = ++keptTurn;
        return it->statement;
    }

    void keep(const QString &sql, IStatement *statement)
    {
        if (kept.size() >= Connection::KeptLimit) {
            auto oldest = kept.begin();
            for (auto it = kept.begin(); it != kept.end(); ++it)
                if (it->turn < oldest->turn)
                    oldest = it;
            IStatement *s = oldest->statement;
            kept.erase(oldest);
            finishStatement(s);
        }
        kept.insert(sql, Kept{statement, ++keptTurn});
    }

    // A kept statement that failed is not run again: the failure may have been its own.
    void forgetKept(const QString &sql) { kept.remove(sql); }

    static void finishStatement(IStatement *s)
    {
        try {
            call([&](ThrowStatusWrapper *st) { s->free(st); });
        } catch (...) {
            s->release();
        }
    }

    void freeKept()
    {
        for (const Kept &k : std::as_const(kept))
            finishStatement(k.statement);
        kept.clear();
    }

    void releaseKept()
    {
        for (const Kept &k : std::as_const(kept))
            k.statement->release();
        kept.clear();
    }

    void drop()
    {
        freeKept();
        loseTransaction();
        finish(reading, [](ITransaction *t, ThrowStatusWrapper *s) { t->commit(s); });
        finish(attachment, [](IAttachment *a, ThrowStatusWrapper *s) { a->detach(s); });
        track();
    }

    // Lets go of a connection whose link broke, without a word to the server (there is no one to
    // hear it): its transactions are the server's to roll back.
    void forget()
    {
        if (!attachment)
            return;
        releaseKept();
        for (ITransaction **t : {&transaction, &reading, &afterWriters}) {
            if (*t)
                (*t)->release();
            *t = nullptr;
        }
        doomed = depth > 0;
        attachment->release();
        attachment = nullptr;
        lost = true;
        track();
    }

    // After a failure of a call, in its catch block: a connection whose link broke is let go, and
    // the failure is raised as the caller should see it. A commit whose link broke may have been
    // committed; a cancelled call is never run again.
    [[noreturn]] void rethrowFailure(bool committing = false)
    {
        const bool cancelled = cancelRequested.exchange(false);
        try {
            throw;
        } catch (const DatabaseError &e) {
            if (e.linkLost() || (cancelled && remote))
                forget();
            else
                dropIfDead();
            if (committing && (e.linkLost() || cancelled))
                throw CommitOutcomeUnknown(e);
            if (cancelled)
                throw DatabaseError(CancelledText, isc_cancelled);
            throw;
        } catch (...) {
            dropIfDead();
            throw;
        }
    }

    // The open scopes stay open, with nothing under them that could still be committed.
    void loseTransaction()
    {
        finish(transaction, [](ITransaction *t, ThrowStatusWrapper *s) { t->rollback(s); });
        doomed = depth > 0;
    }

    // Starts a transaction; a link found dead is dropped and attached again once.
    ITransaction *startTransaction(Connection &owner)
    {
        try {
            return startTransaction();
        } catch (const DatabaseError &e) {
            if (!reattachable(e))
                throw;
        }
        owner.open();
        return startTransaction();
    }

    // A failure after which the connection was let go and may attach again for the same work.
    bool reattachable(const DatabaseError &e) const { return !attachment && e.gdsCode() != isc_cancelled; }

    ITransaction *startTransaction()
    {
        static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                            isc_tpb_rec_version, isc_tpb_wait};
        try {
            RoundTrips::add();
            return serverCall([&](ThrowStatusWrapper *s) { return attachment->startTransaction(s, sizeof tpb, tpb); });
        } catch (...) {
            rethrowFailure();
        }
    }

    ITransaction *readTransaction(Connection &owner)
    {
        static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                            isc_tpb_rec_version, isc_tpb_wait};
        if (!reading) {
            RoundTrips::add();
            try {
                reading = serverCall([&](ThrowStatusWrapper *s) { return attachment->startTransaction(s, sizeof tpb, tpb); });
            } catch (...) {
                try {
                    rethrowFailure();
                } catch (const DatabaseError &e) {
                    if (!reattachable(e))
                        throw;
                }
                owner.open();
                reading = serverCall([&](ThrowStatusWrapper *s) { return attachment->startTransaction(s, sizeof tpb, tpb); });
            }
        }
        return reading;
    }

    // A connection whose link is gone (a server stopped, a network that dropped) is let go, so that
    // the next statement attaches again.
    void dropIfDead()
    {
        if (!attachment)
            return;
        bool alive = true;
        RoundTrips::add();
        try {
            serverCall([&](ThrowStatusWrapper *s) { attachment->ping(s); });
        } catch (...) {
            alive = false;
        }
        if (!alive)
            forget();
    }

    QByteArray readBlob(ITransaction *tra, ISC_QUAD *id)
    {
        RoundTrips::add(2);   // opening and closing
        IBlob *blob = serverCall([&](ThrowStatusWrapper *s) { return attachment->openBlob(s, tra, id, 0, nullptr); });
        QByteArray out;
        char buf[32768];
        try {
            for (;;) {
                RoundTrips::add();
                unsigned len = 0;
                const int r = serverCall([&](ThrowStatusWrapper *s) { return blob->getSegment(s, sizeof buf, buf, &len); });
                if (r == IStatus::RESULT_OK || r == IStatus::RESULT_SEGMENT)
                    out.append(buf, int(len));
                else
                    break;
            }
            serverCall([&](ThrowStatusWrapper *s) { blob->close(s); });
        } catch (...) {
            blob->release();
            throw;
        }
        return out;
    }

    ISC_QUAD writeBlob(ITransaction *tra, const QByteArray &data)
    {
        ISC_QUAD id;
        RoundTrips::add(2 + int(data.size() / 32768));
        IBlob *blob = serverCall([&](ThrowStatusWrapper *s) { return attachment->createBlob(s, tra, &id, 0, nullptr); });
        try {
            for (int pos = 0; pos < data.size(); pos += 32768) {
                const int n = std::min(32768, int(data.size()) - pos);
                serverCall([&](ThrowStatusWrapper *s) { blob->putSegment(s, unsigned(n), data.constData() + pos); });
            }
            serverCall([&](ThrowStatusWrapper *s) { blob->close(s); });
        } catch (...) {
            blob->release();
            throw;
        }
        return id;
    }

    // Where and how a result column lies in the row buffer, read once per statement.
    struct OutColumn {
        unsigned nullOffset = 0;
        unsigned offset = 0;
        unsigned type = 0;
        int scale = 0;
        unsigned length = 0;
        unsigned charSet = 0;
    };

    static OutColumn outColumn(IMessageMetadata *meta, unsigned i)
    {
        OutColumn c;
        c.nullOffset = call([&](ThrowStatusWrapper *s) { return meta->getNullOffset(s, i); });
        c.offset = call([&](ThrowStatusWrapper *s) { return meta->getOffset(s, i); });
        c.type = call([&](ThrowStatusWrapper *s) { return meta->getType(s, i); }) & ~1u;
        c.scale = call([&](ThrowStatusWrapper *s) { return meta->getScale(s, i); });
        c.length = call([&](ThrowStatusWrapper *s) { return meta->getLength(s, i); });
        c.charSet = call([&](ThrowStatusWrapper *s) { return meta->getCharSet(s, i); });
        return c;
    }

    QVariant readValue(ITransaction *tra, const OutColumn &column, const unsigned char *buf)
    {
        if (*reinterpret_cast<const short *>(buf + column.nullOffset))
            return {};
        const unsigned type = column.type;
        const int scale = column.scale;
        const unsigned length = column.length;
        const unsigned charSet = column.charSet;
        const unsigned char *p = buf + column.offset;
        IUtil *util = master()->getUtilInterface();
        switch (type) {
        case SQL_VARYING: {
            const unsigned short n = *reinterpret_cast<const unsigned short *>(p);
            const char *text = reinterpret_cast<const char *>(p + 2);
            return charSet == 1 ? QVariant(QByteArray(text, n)) : QVariant(WinText::decode(text, n));
        }
        case SQL_TEXT: {
            const char *text = reinterpret_cast<const char *>(p);
            return charSet == 1 ? QVariant(QByteArray(text, length)) : QVariant(WinText::decode(text, length));
        }
        case SQL_SHORT: {
            const short v = *reinterpret_cast<const short *>(p);
            return scale < 0 ? QVariant::fromValue(Decimal(v, -scale)) : QVariant(int(v));
        }
        case SQL_LONG: {
            const qint32 v = *reinterpret_cast<const qint32 *>(p);
            return scale < 0 ? QVariant::fromValue(Decimal(v, -scale)) : QVariant(int(v));
        }
        case SQL_INT64: {
            const qint64 v = *reinterpret_cast<const qint64 *>(p);
            return scale < 0 ? QVariant::fromValue(Decimal(v, -scale)) : QVariant(v);
        }
        case SQL_FLOAT:
            return double(*reinterpret_cast<const float *>(p));
        case SQL_DOUBLE:
        case SQL_D_FLOAT:
            return *reinterpret_cast<const double *>(p);
        case SQL_TYPE_DATE: {
            unsigned y, m, d;
            util->decodeDate(*reinterpret_cast<const ISC_DATE *>(p), &y, &m, &d);
            return QDate(int(y), int(m), int(d));
        }
        case SQL_TYPE_TIME: {
            unsigned h, mi, s, f;
            util->decodeTime(*reinterpret_cast<const ISC_TIME *>(p), &h, &mi, &s, &f);
            return QTime(int(h), int(mi), int(s), int(f / 10));
        }
        case SQL_TIMESTAMP: {
            const ISC_TIMESTAMP *ts = reinterpret_cast<const ISC_TIMESTAMP *>(p);
            unsigned y, m, d, h, mi, s, f;
            util->decodeDate(ts->timestamp_date, &y, &m, &d);
            util->decodeTime(ts->timestamp_time, &h, &mi, &s, &f);
            return QDateTime(QDate(int(y), int(m), int(d)), QTime(int(h), int(mi), int(s), int(f / 10)));
        }
        case SQL_BOOLEAN:
            return bool(*p);
        case SQL_BLOB: {
            ISC_QUAD id = *reinterpret_cast<const ISC_QUAD *>(p);
            const QByteArray bytes = readBlob(tra, &id);
            return charSet == 1 || charSet == 0 ? QVariant(bytes) : QVariant(WinText::decode(bytes));
        }
        default:
            return {};
        }
    }

    void writeValue(ITransaction *tra, IMessageMetadata *meta, unsigned i, unsigned char *buf, const QVariant &v)
    {
        const unsigned nullOffset = call([&](ThrowStatusWrapper *s) { return meta->getNullOffset(s, i); });
        const unsigned offset = call([&](ThrowStatusWrapper *s) { return meta->getOffset(s, i); });
        const unsigned type = call([&](ThrowStatusWrapper *s) { return meta->getType(s, i); }) & ~1u;
        const int scale = call([&](ThrowStatusWrapper *s) { return meta->getScale(s, i); });
        const unsigned length = call([&](ThrowStatusWrapper *s) { return meta->getLength(s, i); });
        short *nullFlag = reinterpret_cast<short *>(buf + nullOffset);
        if (!v.isValid() || v.isNull()) {
            *nullFlag = -1;
            return;
        }
        *nullFlag = 0;
        unsigned char *p = buf + offset;
        IUtil *util = master()->getUtilInterface();
        switch (type) {
        case SQL_VARYING: {
            QByteArray bytes = v.metaType().id() == QMetaType::QByteArray ? v.toByteArray() : WinText::encode(textOf(v));
            bytes.truncate(int(length));
            const unsigned short n = static_cast<unsigned short>(bytes.size());
            std::memcpy(p, &n, 2);
            std::memcpy(p + 2, bytes.constData(), n);
            break;
        }
        case SQL_TEXT: {
            QByteArray bytes = v.metaType().id() == QMetaType::QByteArray ? v.toByteArray() : WinText::encode(textOf(v));
            bytes.truncate(int(length));
            std::memset(p, ' ', length);
            std::memcpy(p, bytes.constData(), size_t(bytes.size()));
            break;
        }
        case SQL_SHORT:
        case SQL_LONG:
        case SQL_INT64: {
            const qint64 units = Decimal::fromVariant(v).rescaled(-scale).units();
            if (type == SQL_SHORT) {
                const short s = short(units);
                std::memcpy(p, &s, 2);
            } else if (type == SQL_LONG) {
                const qint32 l = qint32(units);
                std::memcpy(p, &l, 4);
            } else {
                std::memcpy(p, &units, 8);
            }
            break;
        }
        case SQL_FLOAT: {
            const float f = float(v.metaType() == QMetaType::fromType<Decimal>() ? v.value<Decimal>().toDouble() : v.toDouble());
            std::memcpy(p, &f, 4);
            break;
        }
        case SQL_DOUBLE:
        case SQL_D_FLOAT: {
            const double d = v.metaType() == QMetaType::fromType<Decimal>() ? v.value<Decimal>().toDouble() : v.toDouble();
            std::memcpy(p, &d, 8);
            break;
        }
        case SQL_TYPE_DATE: {
            const QDate d = v.toDate();
            const ISC_DATE e = util->encodeDate(unsigned(d.year()), unsigned(d.month()), unsigned(d.day()));
            std::memcpy(p, &e, sizeof e);
            break;
        }
        case SQL_TYPE_TIME: {
            const QTime t = v.toTime();
            const ISC_TIME e = util->encodeTime(unsigned(t.hour()), unsigned(t.minute()), unsigned(t.second()),
                                                unsigned(t.msec() * 10));
            std::memcpy(p, &e, sizeof e);
            break;
        }
        case SQL_TIMESTAMP: {
            const QDateTime dt = v.toDateTime();
            ISC_TIMESTAMP ts;
            ts.timestamp_date = util->encodeDate(unsigned(dt.date().year()), unsigned(dt.date().month()),
                                                 unsigned(dt.date().day()));
            ts.timestamp_time = util->encodeTime(unsigned(dt.time().hour()), unsigned(dt.time().minute()),
                                                 unsigned(dt.time().second()), unsigned(dt.time().msec() * 10));
            std::memcpy(p, &ts, sizeof ts);
            break;
        }
        case SQL_BOOLEAN:
            *p = v.toBool() ? 1 : 0;
            break;
        case SQL_BLOB: {
            const QByteArray bytes =
                v.metaType().id() == QMetaType::QByteArray ? v.toByteArray() : WinText::encode(textOf(v));
            const ISC_QUAD id = writeBlob(tra, bytes);
            std::memcpy(p, &id, sizeof id);
            break;
        }
        default:
            throw DatabaseError(QStringLiteral("Unsupported parameter type %1").arg(type));
        }
    }

    // A select compares its parameters as given: a text longer than the column it is compared with
    // is sent whole (and matches nothing, as the same text written into the statement would), not
    // cut to the column's width, which could match another row.
    static void widenTextParameters(IMessageMetadata *&meta, const QVariantList &params)
    {
        const unsigned count = call([&](ThrowStatusWrapper *s) { return meta->getCount(s); });
        IMetadataBuilder *builder = nullptr;
        for (unsigned i = 0; i < count && int(i) < params.size(); ++i) {
            const QVariant &v = params[int(i)];
            const unsigned type = call([&](ThrowStatusWrapper *s) { return meta->getType(s, i); }) & ~1u;
            if ((type != SQL_TEXT && type != SQL_VARYING) || v.metaType().id() != QMetaType::QString)
                continue;
            const unsigned needed = unsigned(WinText::encode(v.toString()).size());
            if (needed <= call([&](ThrowStatusWrapper *s) { return meta->getLength(s, i); }))
                continue;
            if (!builder)
                builder = call([&](ThrowStatusWrapper *s) { return meta->getBuilder(s); });
            call([&](ThrowStatusWrapper *s) {
                builder->setType(s, i, SQL_VARYING | 1);
                builder->setLength(s, i, needed);
            });
        }
        if (!builder)
            return;
        IMessageMetadata *wider = call([&](ThrowStatusWrapper *s) { return builder->getMetadata(s); });
        builder->release();
        meta->release();
        meta = wider;
    }

    static QString textOf(const QVariant &v)
    {
        if (v.metaType() == QMetaType::fromType<Decimal>())
            return v.value<Decimal>().toSqlText(v.value<Decimal>().scale());
        return v.toString();
    }
};

// ---------------------------------------------------------------------------------------------

Connection::Connection(const QString &name) : m_name(name), d(std::make_unique<Impl>()) {}

Connection::~Connection() = default;

void Connection::setDatabase(const QString &database)
{
    m_database = database;
    m_unavailable.clear();
}

void Connection::setCredentials(const QString &user, const QString &password)
{
    m_user = user;
    m_password = password;
}

bool Connection::isOpen() const { return d->attachment != nullptr; }

namespace {
QByteArray pathBytes(const QString &database) { return database.toLocal8Bit(); }

struct LinkOptions {
    int connectTimeout = 0;
    bool wireCompression = false;
};

IXpbBuilder *makeDpb(const QString &user, const QString &password, const QString &role, int pageSize,
                     const QString &defaultCharSet = {}, const LinkOptions &link = {})
{
    IUtil *util = master()->getUtilInterface();
    IXpbBuilder *dpb = call([&](ThrowStatusWrapper *s) { return util->getXpbBuilder(s, IXpbBuilder::DPB, nullptr, 0); });
    call([&](ThrowStatusWrapper *s) {
        dpb->insertString(s, isc_dpb_user_name, user.toUtf8().constData());
        dpb->insertString(s, isc_dpb_password, password.toUtf8().constData());
        // Text crosses the wire as Windows-1252, the suite's code page, whatever the declared set:
        // on columns without a character set the stored bytes are then Windows-1252 too.
        dpb->insertString(s, isc_dpb_lc_ctype, "WIN1252");
        if (!role.isEmpty())
            dpb->insertString(s, isc_dpb_sql_role_name, role.toUtf8().constData());
        if (link.connectTimeout > 0)
            dpb->insertInt(s, isc_dpb_connect_timeout, link.connectTimeout);
        if (link.wireCompression)
            dpb->insertString(s, isc_dpb_config, "WireCompression=true");
        if (pageSize > 0) {
            dpb->insertInt(s, isc_dpb_page_size, pageSize);
            dpb->insertString(s, isc_dpb_set_db_charset, defaultCharSet.toLatin1().constData());
            dpb->insertInt(s, isc_dpb_sql_dialect, 3);
        }
    });
    return dpb;
}
}

void Connection::open()
{
    if (d->attachment)
        return;
    if (!m_unavailable.isEmpty())
        throw DatabaseError(m_unavailable);
    const bool remote = isRemote();
    const LinkOptions link{remote ? m_connectTimeout : 0, remote && m_wireCompression};
    IXpbBuilder *dpb = makeDpb(m_user, m_password, m_role, 0, {}, link);
    const QByteArray path = pathBytes(m_database);
    RoundTrips::add();
    try {
        if (remote) {
            d->attachment = d->attachRemote(path, call([&](ThrowStatusWrapper *s) {
                return QByteArray(reinterpret_cast<const char *>(dpb->getBuffer(s)), int(dpb->getBufferLength(s)));
            }));
        } else {
            d->attachment = serverCall([&](ThrowStatusWrapper *s) {
                return master()->getDispatcher()->attachDatabase(s, path.constData(), dpb->getBufferLength(s),
                                                                  dpb->getBuffer(s));
            });
        }
    } catch (...) {
        dpb->dispose();
        throw;
    }
    dpb->dispose();
    d->remote = remote;
    d->track();
    if (d->lost) {
        d->lost = false;
        if (m_reconnected)
            m_reconnected();
    }
}

void Connection::setReconnectedHandler(std::function<void()> handler) { m_reconnected = std::move(handler); }

bool Connection::attachesLeftRunning() { return PendingAttach::abandoned().load() > 0; }

// "host:path" and "host/port:path"; a drive letter ("C:\...") is a local path.
void Connection::copySettingsFrom(const Connection &other)
{
    m_database = other.m_database;
    m_unavailable = other.m_unavailable;
    m_user = other.m_user;
    m_password = other.m_password;
    m_role = other.m_role;
    m_charSet = other.m_charSet;
    m_clientLibrary = other.m_clientLibrary;
    m_connectTimeout = other.m_connectTimeout;
    m_wireCompression = other.m_wireCompression;
}

bool Connection::isRemote() const { return m_database.indexOf(QLatin1Char(':')) > 1; }

void Connection::cancel() { d->cancel(); }

void Connection::cancelAll()
{
    std::lock_guard lock(Impl::registryMutex());
    for (Impl *impl : Impl::registry())
        impl->cancel();
}

void Connection::createDatabase(int pageSize, const QString &defaultCharSet)
{
    close();
    IXpbBuilder *dpb = makeDpb(m_user, m_password, QString(), pageSize, defaultCharSet);
    const QByteArray path = pathBytes(m_database);
    RoundTrips::add();
    try {
        d->attachment = call([&](ThrowStatusWrapper *s) {
            return master()->getDispatcher()->createDatabase(s, path.constData(), dpb->getBufferLength(s),
                                                              dpb->getBuffer(s));
        });
    } catch (...) {
        dpb->dispose();
        throw;
    }
    dpb->dispose();
    d->remote = isRemote();
    d->track();
}

void Connection::close()
{
    d->drop();
    d->lost = false;
}

bool Connection::inTransaction() const { return d->depth > 0; }

void Connection::begin()
{
    if (d->depth > 0) {
        ++d->depth;
        return;
    }
    open();
    d->transaction = d->startTransaction(*this);
    d->doomed = false;
    d->depth = 1;
}

// The outermost scope commits; a scope inside only closes. A transaction that cannot be committed,
// or that a scope inside gave up, is rolled back whole and the failure raised: the connection is
// then left with no transaction, so nothing later joins work that is not in the database.
void Connection::commit()
{
    if (d->depth == 0)
        return;
    if (--d->depth > 0)
        return;
    if (d->doomed || !d->transaction) {
        Impl::finish(d->transaction, [](ITransaction *t, ThrowStatusWrapper *s) { t->rollback(s); });
        d->doomed = false;
        throw DatabaseError(QStringLiteral("A transação foi desfeita por inteiro: uma parte dela não foi concluída. "
                                           "Nada foi gravado."));
    }
    if (m_beforeCommit)
        m_beforeCommit();
    RoundTrips::add();
    try {
        serverCall([&](ThrowStatusWrapper *s) { d->transaction->commit(s); });
        d->transaction = nullptr;
    } catch (const DatabaseError &e) {
        if (!e.linkLost() && !(d->cancelRequested && d->remote))
            Impl::finish(d->transaction, [](ITransaction *t, ThrowStatusWrapper *s) { t->rollback(s); });
        d->rethrowFailure(true);
    }
}

// The outermost scope rolls everything back; a scope inside that gives up makes the outermost
// commit fail instead of undoing the work of the scopes around it behind their back.
void Connection::rollback()
{
    if (d->depth == 0)
        return;
    if (--d->depth > 0) {
        d->doomed = true;
        return;
    }
    d->doomed = false;
    ITransaction *tra = d->transaction;
    d->transaction = nullptr;
    if (!tra)
        return;
    RoundTrips::add();
    try {
        serverCall([&](ThrowStatusWrapper *s) { tra->rollback(s); });
    } catch (const DatabaseError &e) {
        tra->release();
        // A transaction whose link broke is rolled back by the server.
        try {
            d->rethrowFailure();
        } catch (const DatabaseError &) {
            if (!e.linkLost())
                throw;
        }
    }
}

namespace {
// Text the suite's code page cannot hold is refused rather than stored changed.
void checkRepresentable(const QString &sql, const QVariantList &params)
{
    auto refuse = [](const QString &text) { throw unrepresentableText(text); };
    if (!WinText::representable(sql))
        refuse(sql);
    for (const QVariant &p : params)
        if (p.metaType().id() == QMetaType::QString && !WinText::representable(p.toString()))
            refuse(p.toString());
}
}

// One statement: logged, prepared with its parameters bound, run by `work`, and released. Without
// an open transaction it runs in one of its own, committed at its end; any failure rolls that back
// and lets go of a connection whose link is gone.
template <typename Work>
auto Connection::runStatement(const QString &sql, const QVariantList &params, Work work, Prepare prepare)
{
    // Each entry of the log carries the time the statement took here, so that a measurement can
    // tell the program's database work from the rest of an operation.
    struct Timing {
        quint64 sequence;
        QElapsedTimer timer;
        ~Timing() { StatementLog::finished(sequence, double(timer.nsecsElapsed()) / 1e6); }
    } timing{StatementLog::record(m_name, sql, params), {}};
    timing.timer.start();
    checkRepresentable(sql, params);
    try {
        return runOnce(sql, params, work, prepare);
    } catch (...) {
        if (!mayRunAgain(std::current_exception()))
            throw;
    }
    return runOnce(sql, params, work, prepare);
}

// A statement whose link was found broken runs once more on a new one, when nothing of the caller's
// went with the old link: outside a transaction of the caller's, and not at a commit, which the
// server may have done before its answer was lost.
bool Connection::mayRunAgain(const std::exception_ptr &failure) const
{
    try {
        std::rethrow_exception(failure);
    } catch (const CommitOutcomeUnknown &) {
        return false;
    } catch (const DatabaseError &e) {
        return e.linkLost() && d->depth == 0 && !d->readingAfterWriters && !isOpen();
    } catch (...) {
        return false;
    }
}

template <typename Work>
auto Connection::runOnce(const QString &sql, const QVariantList &params, Work work, Prepare prepare)
{
    open();
    // Outside an explicit transaction a select reads in the connection's reading transaction; any
    // other statement runs in a transaction of its own, committed at its end.
    if (d->depth > 0 && !d->transaction)
        throw DatabaseError(QStringLiteral("A transação em curso foi perdida com a conexão; nada dela foi gravado."));
    ITransaction *tra = d->readingAfterWriters ? d->afterWriters
                        : d->transaction      ? d->transaction
                                              : d->readTransaction(*this);
    bool own = false;
    bool committing = false;
    IStatement *stmt = prepare == Prepare::Keep ? d->keptStatement(sql) : nullptr;
    const bool reused = stmt != nullptr;
    IMessageMetadata *inMeta = nullptr;
    try {
        if (!stmt) {
            const QByteArray text = WinText::encode(sql);
            RoundTrips::add();
            stmt = serverCall([&](ThrowStatusWrapper *s) {
                return d->attachment->prepare(s, tra, unsigned(text.size()), text.constData(), 3,
                                              IStatement::PREPARE_PREFETCH_METADATA);
            });
        }
        const bool select = reused || call([&](ThrowStatusWrapper *s) { return stmt->getType(s); }) == isc_info_sql_stmt_select;
        if (!d->transaction && !select) {
            tra = d->startTransaction(*this);
            own = true;
        }
        inMeta = call([&](ThrowStatusWrapper *s) { return stmt->getInputMetadata(s); });
        if (select)
            Impl::widenTextParameters(inMeta, params);
        const unsigned inCount = call([&](ThrowStatusWrapper *s) { return inMeta->getCount(s); });
        if (inCount != unsigned(params.size()))
            throw DatabaseError(QStringLiteral("Statement expects %1 parameters, got %2").arg(inCount).arg(params.size()));
        QByteArray inBuf;
        inBuf.fill(0, int(call([&](ThrowStatusWrapper *s) { return inMeta->getMessageLength(s); })));
        for (unsigned i = 0; i < inCount; ++i)
            d->writeValue(tra, inMeta, i, reinterpret_cast<unsigned char *>(inBuf.data()), params[int(i)]);
        auto result = work(tra, stmt, inMeta, reinterpret_cast<unsigned char *>(inBuf.data()));
        if (prepare == Prepare::Keep && select) {
            if (!reused)
                d->keep(sql, stmt);
        } else {
            serverCall([&](ThrowStatusWrapper *s) { stmt->free(s); });
        }
        stmt = nullptr;
        inMeta->release();
        inMeta = nullptr;
        if (own) {
            RoundTrips::add();
            committing = true;
            serverCall([&](ThrowStatusWrapper *s) { tra->commit(s); });
        }
        return result;
    } catch (...) {
        if (inMeta)
            inMeta->release();
        if (reused)
            d->forgetKept(sql);
        if (stmt)
            stmt->release();
        if (own)
            d->endOwnAfterFailure(tra);
        d->rethrowFailure(committing);
    }
}

RowSet Connection::query(const QString &sql, const QVariantList &params, Prepare prepare)
{
    return runStatement(sql, params, [this](ITransaction *tra, IStatement *stmt, IMessageMetadata *inMeta, unsigned char *inBuf) {
        RowSet result;
        IMessageMetadata *outMeta = call([&](ThrowStatusWrapper *s) { return stmt->getOutputMetadata(s); });
        IResultSet *cursor = nullptr;
        try {
            const unsigned count = call([&](ThrowStatusWrapper *s) { return outMeta->getCount(s); });
            QVector<Impl::OutColumn> columns;
            columns.reserve(qsizetype(count));
            for (unsigned i = 0; i < count; ++i) {
                columns << Impl::outColumn(outMeta, i);
                Field f;
                f.name = QString::fromUtf8(call([&](ThrowStatusWrapper *s) { return outMeta->getAlias(s, i); }));
                const unsigned type = call([&](ThrowStatusWrapper *s) { return outMeta->getType(s, i); });
                f.scale = -call([&](ThrowStatusWrapper *s) { return outMeta->getScale(s, i); });
                const unsigned cs = call([&](ThrowStatusWrapper *s) { return outMeta->getCharSet(s, i); });
                f.type = fieldTypeOf(type, -f.scale, cs);
                f.size = int(call([&](ThrowStatusWrapper *s) { return outMeta->getLength(s, i); }));
                f.nullable = call([&](ThrowStatusWrapper *s) { return outMeta->isNullable(s, i); });
                result.fields << f;
            }
            QByteArray outBuf;
            outBuf.fill(0, int(call([&](ThrowStatusWrapper *s) { return outMeta->getMessageLength(s); })));
            RoundTrips::add();
            cursor = serverCall([&](ThrowStatusWrapper *s) { return stmt->openCursor(s, tra, inMeta, inBuf, outMeta, 0); });
            unsigned char *row = reinterpret_cast<unsigned char *>(outBuf.data());
            // The client library fetches rows in batches of what fits in about 32 KB, from 10 to 1,000
            // rows; each batch is one round trip.
            const int lote = std::clamp(32768 / std::max(1, int(outBuf.size())), 10, 1000);
            RoundTrips::add();
            // Only the fetches that start a batch wait for the server: the others run here, without
            // the hand-over to the helper thread that BackgroundCalls would cost each row.
            const auto fetch = [&](int n) {
                const auto next = [&](ThrowStatusWrapper *s) { return cursor->fetchNext(s, row); };
                return n % lote == 0 ? serverCall(next) : call(next);
            };
            for (int n = 0; fetch(n) == IStatus::RESULT_OK; ++n) {
                if (n > 0 && n % lote == 0)
                    RoundTrips::add();
                QVector<QVariant> values;
                values.resize(qsizetype(count));
                for (unsigned i = 0; i < count; ++i)
                    values[int(i)] = d->readValue(tra, columns[int(i)], row);
                result.rows.append(std::move(values));
            }
            serverCall([&](ThrowStatusWrapper *s) { cursor->close(s); });
            outMeta->release();
        } catch (...) {
            if (cursor)
                cursor->release();
            outMeta->release();
            throw;
        }
        return result;
    }, prepare);
}

int Connection::execute(const QString &sql, const QVariantList &params)
{
    return runStatement(sql, params, [](ITransaction *tra, IStatement *stmt, IMessageMetadata *inMeta, unsigned char *inBuf) {
        RoundTrips::add(2);   // the execution and the count of rows it changed
        serverCall([&](ThrowStatusWrapper *s) { stmt->execute(s, tra, inMeta, inBuf, nullptr, nullptr); });
        return int(serverCall([&](ThrowStatusWrapper *s) { return stmt->getAffectedRecords(s); }));
    });
}

namespace {
// The context variable in which a failing group leaves the number of the statement that failed.
const QByteArray FalhaDoGrupo = "CONVENIOS_FALHA_DO_GRUPO";

QByteArray groupedBlock(const QStringList &statements)
{
    QByteArray block = "EXECUTE BLOCK AS DECLARE N INTEGER = 0; BEGIN\nN = RDB$SET_CONTEXT('USER_TRANSACTION', '" +
                       FalhaDoGrupo + "', NULL);\n";
    for (int i = 0; i < statements.size(); ++i)
        block += "N = " + QByteArray::number(i) + "; EXECUTE STATEMENT '" +
                 WinText::encode(statements[i]).replace('\'', "''") + "';\n";
    // The failure is raised again as it was, after noting which statement it came from.
    return block + "WHEN ANY DO BEGIN N = RDB$SET_CONTEXT('USER_TRANSACTION', '" + FalhaDoGrupo +
           "', N); EXCEPTION; END\nEND";
}
}

int Connection::groupCost(const QString &sql) { return int(sql.size() + sql.count(QLatin1Char('\'')) + 40); }

void Connection::executeGrouped(const QStringList &statements, int *failed)
{
    if (failed)
        *failed = -1;
    if (statements.isEmpty())
        return;
    QElapsedTimer timer;
    timer.start();
    QList<quint64> sequences;
    sequences.reserve(statements.size());
    for (const QString &sql : statements)
        sequences << StatementLog::record(m_name, sql);
    // Each statement is timed as its share of the group.
    const auto timing = qScopeGuard([&] {
        const double ms = double(timer.nsecsElapsed()) / 1e6 / double(statements.size());
        for (quint64 sequence : sequences)
            StatementLog::finished(sequence, ms);
    });
    for (const QString &sql : statements)
        checkRepresentable(sql, {});
    const QByteArray block = groupedBlock(statements);
    try {
        executeGroupedOnce(block, failed);
        return;
    } catch (...) {
        if (!mayRunAgain(std::current_exception()))
            throw;
    }
    executeGroupedOnce(block, failed);
}

void Connection::executeGroupedOnce(const QByteArray &block, int *failed)
{
    open();
    if (d->depth > 0 && !d->transaction)
        throw DatabaseError(QStringLiteral("A transação em curso foi perdida com a conexão; nada dela foi gravado."));
    ITransaction *tra = d->transaction ? d->transaction : d->startTransaction(*this);
    const bool own = !d->transaction;
    bool committing = false;
    try {
        RoundTrips::add();
        serverCall([&](ThrowStatusWrapper *s) {
            d->attachment->execute(s, tra, unsigned(block.size()), block.constData(), 3, nullptr, nullptr, nullptr,
                                   nullptr);
        });
        if (own) {
            RoundTrips::add();
            committing = true;
            serverCall([&](ThrowStatusWrapper *s) { tra->commit(s); });
        }
    } catch (const DatabaseError &e) {
        if (own) {
            d->endOwnAfterFailure(tra);
        } else if (failed && !e.linkLost()) {
            try {
                const RowSet rs = query(QStringLiteral("select RDB$GET_CONTEXT('USER_TRANSACTION', '%1') from RDB$DATABASE")
                                            .arg(QString::fromLatin1(FalhaDoGrupo)));
                if (rs.rowCount() > 0 && rs.rows[0].value(0).isValid() && !rs.rows[0].value(0).isNull())
                    *failed = rs.rows[0].value(0).toInt();
            } catch (const DatabaseError &) {
                // the link is gone: which statement failed stays unknown
            }
        }
        d->rethrowFailure(committing);
    }
}


QString Connection::plan(const QString &sql, const QVariantList &params, PlanForm form)
{
    const bool detailed = form == PlanForm::Explained;
    return runStatement(sql, params, [detailed](ITransaction *, IStatement *stmt, IMessageMetadata *, unsigned char *) {
        const char *text = call([&](ThrowStatusWrapper *s) { return stmt->getPlan(s, detailed); });
        return QString::fromLatin1(text ? text : "").trimmed();
    });
}

// ---------------------------------------------------------------------------------------------

Transaction::Transaction(Connection &connection) : m_connection(connection)
{
    connection.begin();
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        m_connection.rollback();
    } catch (...) {
    }
}

void Transaction::commit()
{
    m_connection.commit();   // a failed commit has rolled back: the scope has nothing left to undo
    m_done = true;
}

// Read committed without reading past versions not yet committed: a row that another transaction
// is changing is waited for, up to the lock timeout.
RowSet Connection::queryAfterWriters(const QString &sql, int seconds, const QVariantList &params)
{
    if (d->depth > 0)
        throw DatabaseError(QStringLiteral("queryAfterWriters inside a transaction"));
    return queryOnItsOwn(sql, std::max(1, seconds), params);
}

RowSet Connection::queryNoWait(const QString &sql) { return queryOnItsOwn(sql, 0); }

RowSet Connection::queryOnItsOwn(const QString &sql, int seconds, const QVariantList &params)
{
    open();
    IXpbBuilder *tpb = call([&](ThrowStatusWrapper *s) {
        return master()->getUtilInterface()->getXpbBuilder(s, IXpbBuilder::TPB, nullptr, 0);
    });
    const auto disposeTpb = qScopeGuard([tpb] { tpb->dispose(); });
    call([&](ThrowStatusWrapper *s) {
        tpb->insertTag(s, isc_tpb_read);
        tpb->insertTag(s, isc_tpb_read_committed);
        tpb->insertTag(s, isc_tpb_no_rec_version);
        if (seconds > 0) {
            tpb->insertTag(s, isc_tpb_wait);
            tpb->insertInt(s, isc_tpb_lock_timeout, seconds);
        } else {
            tpb->insertTag(s, isc_tpb_nowait);
        }
    });
    RoundTrips::add();
    try {
        d->afterWriters = serverCall([&](ThrowStatusWrapper *s) {
            return d->attachment->startTransaction(s, tpb->getBufferLength(s), tpb->getBuffer(s));
        });
    } catch (...) {
        d->rethrowFailure();
    }
    d->readingAfterWriters = true;
    const auto done = qScopeGuard([this] {
        d->readingAfterWriters = false;
        Impl::finish(d->afterWriters, [](ITransaction *t, ThrowStatusWrapper *s) { t->commit(s); });
    });
    return query(sql, params);
}

BackgroundCalls::BackgroundCalls() { ++t_backgroundScopes; }

BackgroundCalls::~BackgroundCalls() { --t_backgroundScopes; }
