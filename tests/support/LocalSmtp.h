#pragma once
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// A real SMTP server on 127.0.0.1 for one test (tests/support/smtp-server.py, Debian's
// python3-aiosmtpd), the messages it took, and each one decoded by Python's e-mail parser.
class LocalSmtp {
public:
    explicit LocalSmtp(const QStringList &options = {})
    {
        m_server.setProgram(QStringLiteral("/usr/bin/python3"));
        m_server.setArguments(QStringList{script(QStringLiteral("smtp-server.py")), m_dir.path()} + options);
        m_server.start();
        if (m_server.waitForReadyRead(20000)) {
            const QByteArray line = m_server.readLine().trimmed();
            if (line.startsWith("READY "))
                m_port = line.mid(6).toInt();
        }
    }
    ~LocalSmtp()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
        m_server.waitForFinished(5000);
    }

    int port() const { return m_port; }
    int count() const { return int(QDir(m_dir.path()).entryList({QStringLiteral("*.eml")}).size()); }
    QString path(int n) const { return m_dir.filePath(QStringLiteral("%1.eml").arg(n)); }
    QStringList recipients(int n) const
    {
        QFile f(m_dir.filePath(QStringLiteral("%1.rcpt").arg(n)));
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Message n (from 1) as tests/support/mail-decode.py prints it.
    QJsonObject decoded(int n) const
    {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {script(QStringLiteral("mail-decode.py")), path(n)});
        p.waitForFinished(30000);
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }
    static QByteArray attachment(const QJsonObject &message, int i)
    {
        return QByteArray::fromBase64(message[QStringLiteral("attachments")].toArray()[i].toObject()[QStringLiteral("data")].toString().toLatin1());
    }
    static QString attachmentName(const QJsonObject &message, int i)
    {
        return message[QStringLiteral("attachments")].toArray()[i].toObject()[QStringLiteral("filename")].toString();
    }

private:
    static QString script(const QString &name)
    {
        return qEnvironmentVariable("CONVENIOS_SOURCE_DIR") + QStringLiteral("/tests/support/") + name;
    }
    QTemporaryDir m_dir;
    QProcess m_server;
    int m_port = 0;
};
