#pragma once
// scripts/delay-proxy.py in front of the tests' Firebird server, for the tests of the link: the
// program reaches the server through it, and the test breaks or holds the link with its commands.
#include <QProcess>
#include <QString>

// The proxy in front of the tests' server, driven by its control commands.
class DelayProxy {
public:
    bool start(const QString &server, int port)
    {
        m_port = port;
        const QString host = server.section(QLatin1Char('/'), 0, 0);
        const QString serverPort = server.section(QLatin1Char('/'), 1, 1);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("python3"),
                        {qEnvironmentVariable("CONVENIOS_SOURCE_DIR") + QStringLiteral("/scripts/delay-proxy.py"),
                         QString::number(port), host + QLatin1Char(':') + serverPort, QStringLiteral("0"),
                         QStringLiteral("--control")});
        return m_process.waitForStarted() && answer(QStringLiteral("listening"));
    }

    ~DelayProxy()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Runs a command and waits until the proxy has put it in force.
    bool command(const QString &name)
    {
        m_process.write((name + QLatin1Char('\n')).toUtf8());
        m_process.waitForBytesWritten(5000);
        return answer(QStringLiteral("ok ") + name);
    }

    QString address() const { return QStringLiteral("127.0.0.1/") + QString::number(m_port); }

private:
    bool answer(const QString &line)
    {
        for (int i = 0; i < 100; ++i) {
            while (m_process.canReadLine())
                if (QString::fromUtf8(m_process.readLine()).trimmed() == line)
                    return true;
            m_process.waitForReadyRead(100);
        }
        return false;
    }

    QProcess m_process;
    int m_port = 0;
};
