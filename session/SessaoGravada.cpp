#include "session/SessaoGravada.h"

#include "session/Sessao.h"
#include "data/CentralData.h"
#include "platform/TextLine.h"
#include "platform/WinText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {
QString readLine(QIODevice &in, int width)
{
    QByteArray line;
    readTextLine(in, width, line);
    return WinText::decode(line);
}
}

QDate converteData(const QString &text)
{
    const QString t = text.trimmed();
    for (const QString &fmt : {QLocale().dateFormat(QLocale::ShortFormat), QStringLiteral("dd/MM/yyyy"),
                               QStringLiteral("dd/MM/yy"), QStringLiteral("d/M/yyyy"), QStringLiteral("yyyy-MM-dd")}) {
        QDate d = QDate::fromString(t, fmt);
        if (d.isValid()) {
            if (d.year() < 1950 && fmt.count(QLatin1Char('y')) == 2)
                d = d.addYears(100);
            return d;
        }
    }
    return {};
}

QTime converteHora(const QString &text)
{
    const QString t = text.trimmed();
    for (const QString &fmt : {QLocale().timeFormat(QLocale::ShortFormat), QStringLiteral("HH:mm:ss"),
                               QStringLiteral("H:mm:ss"), QStringLiteral("HH:mm"), QStringLiteral("H:mm")}) {
        const QTime h = QTime::fromString(t, fmt);
        if (h.isValid())
            return h;
    }
    return {};
}

LogonGravado leLogonGravado(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        LogonGravado l;
        l.existe = true;
        l.erro = QStringLiteral("Não foi possível ler %1: %2").arg(path, f.errorString());
        return l;
    }
    LogonGravado l = leLogonGravado(f);
    if (f.error() != QFileDevice::NoError)
        l.erro = QStringLiteral("Não foi possível ler %1: %2").arg(path, f.errorString());
    return l;
}

LogonGravado leLogonGravado(QIODevice &in)
{
    LogonGravado l;
    l.existe = true;
    l.usuario = readLine(in, 60);
    l.nome = readLine(in, 60);
    l.linhaData = readLine(in, 20);
    l.linhaHora = readLine(in, 20);
    l.data = converteData(l.linhaData);
    if (!l.data.isValid()) {
        l.erro = QStringLiteral("'%1' não é uma data válida (LOGON.LLF, linha 3).").arg(l.linhaData);
        return l;
    }
    l.hora = converteHora(l.linhaHora);
    if (!l.hora.isValid())
        l.erro = QStringLiteral("'%1' não é um horário válido (LOGON.LLF, linha 4).").arg(l.linhaHora);
    return l;
}

QString VerificaSessaoGravada(CentralData &dm, Sessao &sessao, const QString &usuario, const QString &nome)
{
    if (usuario.isEmpty())
        return {};
    struct CloseUsuarios {
        CachedTable &t;
        ~CloseUsuarios() { t.close(); }
    } closer{dm.Usuarios};
    dm.Usuarios.open();
    const QString inicial = WinText::upperAscii(nome).left(1);
    if (!dm.Usuarios.locate(usuario))
        return {};
    sessao.acessoUsuario = dm.Usuarios.text(QStringLiteral("ACESSO")).left(50);
    if (inicial.isEmpty() || sessao.acessoUsuario.size() < 7)
        return {};
    const QByteArray acesso = WinText::encode(sessao.acessoUsuario);
    const unsigned char code = static_cast<unsigned char>(acesso[6]) - 8;
    if (WinText::decode(QByteArray(1, char(code))) != inicial)
        return {};
    return sessao.acessoUsuario;
}
