#include "app/SessaoGravada.h"

#include "app/Globais.h"
#include "data/CentralData.h"
#include "platform/WinText.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {
QString readLine(QFile &f, int width)
{
    if (f.atEnd())
        return {};
    QByteArray line = f.readLine(1 << 20);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return WinText::decode(line.left(width));
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
    LogonGravado l;
    if (!QFileInfo::exists(path))
        return l;
    l.existe = true;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        l.erro = QStringLiteral("Não foi possível ler %1: %2").arg(path, f.errorString());
        return l;
    }
    l.usuario = readLine(f, 60);
    l.nome = readLine(f, 60);
    l.linhaData = readLine(f, 20);
    l.linhaHora = readLine(f, 20);
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

QString VerificaSessaoGravada(CentralData &dm, const QString &usuario, const QString &nome)
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
    Globais::AcessoUsuario = dm.Usuarios.text(QStringLiteral("ACESSO")).left(50);
    if (inicial.isEmpty() || Globais::AcessoUsuario.size() < 7)
        return {};
    const QByteArray acesso = WinText::encode(Globais::AcessoUsuario);
    const unsigned char code = static_cast<unsigned char>(acesso[6]) - 8;
    if (WinText::decode(QByteArray(1, char(code))) != inicial)
        return {};
    return Globais::AcessoUsuario;
}
