#include "tools/bench/SuiteFiles.h"

#include "tools/setup/SuiteBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace SuiteFiles {

namespace {
[[noreturn]] void fail(const QString &what) { throw std::runtime_error(what.toStdString()); }
}

void setServerAddress(const QString &suite, const QString &address)
{
    const QString key = QStringLiteral("IP DO SERVIDOR CENTRAL.........................:");
    QFile ini(suite + QStringLiteral("/PRAXOLIN.INI"));
    if (!ini.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(ini.fileName()));
    QList<QByteArray> lines = ini.readAll().split('\n');
    ini.close();
    for (QByteArray &line : lines)
        if (line.startsWith(key.toLatin1()))
            line = SuiteBuilder::iniLine(key, address).toLatin1() + (line.endsWith('\r') ? "\r" : "");
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(QStringLiteral("cannot write %1").arg(ini.fileName()));
    ini.write(lines.join('\n'));
}

void copyFile(const QString &from, const QString &to)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        fail(QStringLiteral("cannot read %1").arg(from));
    struct stat st;
    ::fstat(in, &st);
    const int out = ::open(dst.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        fail(QStringLiteral("cannot write %1").arg(to));
    }
    off_t left = st.st_size;
    while (left > 0) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(std::min<off_t>(left, 1 << 30)), 0);
        if (n <= 0) {
            // No in-kernel copy here: plain reads and writes.
            char buf[1 << 16];
            ::lseek(in, st.st_size - left, SEEK_SET);
            ::lseek(out, st.st_size - left, SEEK_SET);
            while (left > 0) {
                const ssize_t r = ::read(in, buf, sizeof buf);
                if (r <= 0 || ::write(out, buf, size_t(r)) != r) {
                    ::close(in);
                    ::close(out);
                    fail(QStringLiteral("cannot copy %1").arg(from));
                }
                left -= r;
            }
            break;
        }
        left -= n;
    }
    // On disk before anything is measured: a copy still being written back would slow down the
    // database's own synchronous writes.
    ::fdatasync(out);
    ::close(in);
    ::close(out);
}

void copySuite(const QString &from, const QString &to)
{
    QDir(to).removeRecursively();
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        copyFile(file, target);
    }
}

void restoreDatabases(const QString &pristine, const QString &work)
{
    for (const QString &path : {SuiteBuilder::centralDatabasePath(work), SuiteBuilder::interfaceDatabasePath(work)}) {
        // The engine lets a file go when its last attachment ends; give it a moment.
        for (int i = 0; openInProcess(path); ++i) {
            if (i == 500)
                fail(QStringLiteral("%1 is still open").arg(path));
            QThread::msleep(10);
        }
    }
    copyFile(SuiteBuilder::centralDatabasePath(pristine), SuiteBuilder::centralDatabasePath(work));
    copyFile(SuiteBuilder::interfaceDatabasePath(pristine), SuiteBuilder::interfaceDatabasePath(work));
}

bool openInProcess(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    QDirIterator it(QStringLiteral("/proc/self/fd"), QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileInfo().symLinkTarget() == target)
            return true;
    }
    return false;
}

double peakMegabytes()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

}
