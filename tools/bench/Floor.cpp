#include "tools/bench/Floor.h"

#include "data/Decimal.h"
#include "platform/WinText.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTime>
#include <firebird/Interface.h>

#include <cstring>
#include <stdexcept>

using namespace Firebird;

namespace {

IMaster *master() { return fb_get_master_interface(); }

[[noreturn]] void fail(const FbException &e)
{
    char text[2048];
    master()->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
    throw std::runtime_error(std::string("floor: ") + text);
}

// A parameter as text; the engine converts it to the column's type as it would a literal.
QByteArray paramText(const QVariant &v)
{
    if (v.metaType() == QMetaType::fromType<Decimal>())
        return v.value<Decimal>().toSqlText(v.value<Decimal>().scale()).toLatin1();
    switch (v.metaType().id()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    case QMetaType::Bool:
        return v.toBool() ? "TRUE" : "FALSE";
    case QMetaType::QByteArray:
        return v.toByteArray();
    default:
        return WinText::encode(v.toString());
    }
}

} // namespace

struct Floor::Impl {
    struct Db {
        IAttachment *attachment = nullptr;
        ITransaction *transaction = nullptr;
    };
    QHash<QString, Db> dbs;   // by database path
    ThrowStatusWrapper status{master()->getStatus()};

    ~Impl()
    {
        detachAll();
        status.dispose();
    }

    void detachAll()
    {
        for (Db &db : dbs) {
            try {
                if (db.transaction)
                    db.transaction->rollback(&status);
            } catch (const FbException &) {
            }
            try {
                if (db.attachment)
                    db.attachment->detach(&status);
            } catch (const FbException &) {
                db.attachment->release();
            }
        }
        dbs.clear();
    }

    Db &attach(const QString &path)
    {
        auto it = dbs.find(path);
        if (it != dbs.end())
            return *it;
        IXpbBuilder *dpb = master()->getUtilInterface()->getXpbBuilder(&status, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&status, isc_dpb_user_name, "sysdba");
        dpb->insertString(&status, isc_dpb_password, "tulipgate");
        dpb->insertString(&status, isc_dpb_lc_ctype, "WIN1252");
        const QByteArray file = path.toLocal8Bit();
        Db db;
        db.attachment = master()->getDispatcher()->attachDatabase(&status, file.constData(),
                                                                  dpb->getBufferLength(&status), dpb->getBuffer(&status));
        dpb->dispose();
        return *dbs.insert(path, db);
    }

    ITransaction *transaction(Db &db)
    {
        // The program's own transaction parameters: read committed, record versions, waiting on locks.
        static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                            isc_tpb_rec_version, isc_tpb_wait};
        if (!db.transaction)
            db.transaction = db.attachment->startTransaction(&status, sizeof tpb, tpb);
        return db.transaction;
    }

    void commitAll()
    {
        for (Db &db : dbs)
            if (db.transaction) {
                db.transaction->commit(&status);
                db.transaction = nullptr;
            }
    }

    void runOne(Db &db, const StatementLog::Entry &e)
    {
        ITransaction *tra = transaction(db);
        const QByteArray text = WinText::encode(e.sql);
        IStatement *stmt =
            db.attachment->prepare(&status, tra, unsigned(text.size()), text.constData(), 3, IStatement::PREPARE_PREFETCH_METADATA);

        // Parameters go as text of the connection's character set.
        IMessageMetadata *inMeta = nullptr;
        QByteArray inBuf;
        if (!e.params.isEmpty()) {
            IMessageMetadata *declared = stmt->getInputMetadata(&status);
            IMetadataBuilder *builder = declared->getBuilder(&status);
            declared->release();
            QList<QByteArray> texts;
            for (int i = 0; i < e.params.size(); ++i) {
                const QVariant &v = e.params[i];
                texts << (v.isValid() && !v.isNull() ? paramText(v) : QByteArray());
                builder->setType(&status, unsigned(i), SQL_VARYING + 1);
                builder->setSubType(&status, unsigned(i), 0);
                builder->setCharSet(&status, unsigned(i), 53);   // WIN1252
                builder->setLength(&status, unsigned(i), unsigned(std::max<qsizetype>(1, texts.last().size())));
                builder->setScale(&status, unsigned(i), 0);
            }
            inMeta = builder->getMetadata(&status);
            builder->release();
            inBuf.fill(0, int(inMeta->getMessageLength(&status)));
            for (int i = 0; i < e.params.size(); ++i) {
                unsigned char *base = reinterpret_cast<unsigned char *>(inBuf.data());
                short *null = reinterpret_cast<short *>(base + inMeta->getNullOffset(&status, unsigned(i)));
                const QVariant &v = e.params[i];
                if (!v.isValid() || v.isNull()) {
                    *null = -1;
                    continue;
                }
                *null = 0;
                unsigned char *p = base + inMeta->getOffset(&status, unsigned(i));
                const unsigned short n = static_cast<unsigned short>(texts[i].size());
                std::memcpy(p, &n, 2);
                std::memcpy(p + 2, texts[i].constData(), n);
            }
        }

        IMessageMetadata *outMeta = stmt->getOutputMetadata(&status);
        const unsigned columns = outMeta->getCount(&status);
        if (stmt->getType(&status) == isc_info_sql_stmt_select && columns > 0) {
            QList<unsigned> blobs;
            for (unsigned i = 0; i < columns; ++i)
                if ((outMeta->getType(&status, i) & ~1u) == SQL_BLOB)
                    blobs << i;
            QByteArray row(int(outMeta->getMessageLength(&status)), 0);
            unsigned char *buf = reinterpret_cast<unsigned char *>(row.data());
            IResultSet *cursor = stmt->openCursor(&status, tra, inMeta, inMeta ? reinterpret_cast<unsigned char *>(inBuf.data()) : nullptr,
                                                  outMeta, 0);
            char segment[32768];
            while (cursor->fetchNext(&status, buf) == IStatus::RESULT_OK) {
                for (unsigned b : blobs) {
                    if (*reinterpret_cast<short *>(buf + outMeta->getNullOffset(&status, b)))
                        continue;
                    ISC_QUAD id;
                    std::memcpy(&id, buf + outMeta->getOffset(&status, b), sizeof id);
                    IBlob *blob = db.attachment->openBlob(&status, tra, &id, 0, nullptr);
                    unsigned len = 0;
                    for (;;) {
                        const int r = blob->getSegment(&status, sizeof segment, segment, &len);
                        if (r != IStatus::RESULT_OK && r != IStatus::RESULT_SEGMENT)
                            break;
                    }
                    blob->close(&status);
                }
            }
            cursor->close(&status);
        } else {
            QByteArray out(int(outMeta->getMessageLength(&status)), 0);
            stmt->execute(&status, tra, inMeta, inMeta ? reinterpret_cast<unsigned char *>(inBuf.data()) : nullptr,
                          columns > 0 ? outMeta : nullptr,
                          columns > 0 ? reinterpret_cast<unsigned char *>(out.data()) : nullptr);
        }
        outMeta->release();
        if (inMeta)
            inMeta->release();
        stmt->free(&status);
    }
};

Floor::~Floor() { delete m_impl; }

Floor::Impl *Floor::impl()
{
    if (!m_impl)
        m_impl = new Impl;
    return m_impl;
}

void Floor::route(const QString &connection, const QString &database) { m_routes.insert(connection, database); }

void Floor::detach()
{
    if (m_impl) {
        try {
            m_impl->detachAll();
        } catch (const FbException &e) {
            fail(e);
        }
    }
}

double Floor::run(const QList<StatementLog::Entry> &statements, bool attach, QList<double> *each)
{
    Impl *d = impl();
    auto pathOf = [this](const StatementLog::Entry &e) {
        const auto it = m_routes.constFind(e.connection);
        if (it == m_routes.constEnd())
            throw std::runtime_error(("floor: no database for connection " + e.connection).toStdString());
        return *it;
    };
    try {
        if (attach)
            d->detachAll();
        else
            for (const StatementLog::Entry &e : statements)
                d->attach(pathOf(e));
        QElapsedTimer timer;
        timer.start();
        for (const StatementLog::Entry &e : statements) {
            const qint64 start = timer.nsecsElapsed();
            d->runOne(d->attach(pathOf(e)), e);
            if (each)
                *each << double(timer.nsecsElapsed() - start) / 1e6;
        }
        d->commitAll();
        return double(timer.nsecsElapsed()) / 1e6;
    } catch (const FbException &e) {
        fail(e);
    }
}
