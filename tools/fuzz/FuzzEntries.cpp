#include "tools/fuzz/FuzzEntries.h"

#include "data/CodificaSenha.h"
#include "session/Configuracao.h"
#include "session/SessaoGravada.h"
#include "data/CentralData.h"
#include "platform/WinText.h"

#include <QBuffer>
#include <QIODevice>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A device that hands out one byte per read, like a slow network share: every byte is the end of a
// block, so a reader that keeps state across blocks (a CR at the end of one, its LF at the start of
// the next) must still see the same lines as from the whole file. Its end reads as a file's does.
class TrickleDevice : public QIODevice {
public:
    explicit TrickleDevice(const QByteArray &data) : m_data(data) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_data.size() - m_pos + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *out, qint64 maxSize) override
    {
        if (m_pos >= m_data.size() || maxSize <= 0)
            return 0;
        *out = m_data[m_pos++];
        return 1;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qsizetype m_pos = 0;
};

QString quoted(const QString &s) { return QLatin1Char('"') + s + QLatin1Char('"'); }

bool hasLineEnd(const QString &s) { return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n')); }

QString checkWidth(const char *what, const QString &value, int width)
{
    if (value.size() > width)
        return QStringLiteral("%1 has %2 characters, more than %3: %4").arg(QLatin1String(what)).arg(value.size()).arg(width).arg(quoted(value));
    if (hasLineEnd(value))
        return QStringLiteral("%1 holds a line end: %2").arg(QLatin1String(what), quoted(value));
    return {};
}

// ---- PRAXOLIN.INI

const QString kServidor = QStringLiteral("IP DO SERVIDOR CENTRAL.........................:");
const QString kCor = QStringLiteral("COR DE FUNDO DAS TELAS.........................:");
const QString kQuitar = QStringLiteral("PERMITIR QUITAR CONVENIOS APENAS NO CAIXA......:");

QString compareConfigs(const TConfiguracao &a, const ResultadoCarga &ra, const TConfiguracao &b, const ResultadoCarga &rb)
{
    if (ra.erro != rb.erro)
        return QStringLiteral("errors differ: %1 / %2").arg(quoted(ra.erro), quoted(rb.erro));
    if (a.valores != b.valores)
        return QStringLiteral("stored values differ (%1 / %2 keys)").arg(a.valores.size()).arg(b.valores.size());
    if (a.IpServidorCentral != b.IpServidorCentral || a.CorFundoTelas != b.CorFundoTelas ||
        a.QuitarSoNoCaixa != b.QuitarSoNoCaixa || a.PastaPrograma != b.PastaPrograma)
        return QStringLiteral("record fields differ");
    return {};
}

}

namespace FuzzEntries {

QString praxolinIni(const QByteArray &data)
{
    const QString pasta = QStringLiteral("/suite/");
    TConfiguracao config;
    config.PastaPrograma = pasta;
    config.valores.insert(QStringLiteral("left over"), QStringLiteral("from before"));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const ResultadoCarga resultado = leConfiguracao(buffer, config);

    if (!resultado.arquivoEncontrado)
        return QStringLiteral("a device was reported as a missing file");
    if (config.PastaPrograma != pasta)
        return QStringLiteral("the program folder was not kept");
    // Only the colour value can stop a load from memory.
    if (!resultado.erro.isEmpty() && !resultado.erro.contains(QStringLiteral("cor de fundo")))
        return QStringLiteral("unexpected error: ") + resultado.erro;
    for (auto it = config.valores.cbegin(); it != config.valores.cend(); ++it) {
        const int largura = larguraDaChave(it.key());
        if (largura == 0)
            return QStringLiteral("stored a value under a key that is not recognised: ") + quoted(it.key());
        const QString problem = checkWidth("the value", it.value(), largura < 0 ? 60 : largura);
        if (!problem.isEmpty())
            return problem + QStringLiteral(" (key ") + quoted(it.key()) + QLatin1Char(')');
        // Blanks are trimmed before the value is cut to its width, so only a cut value ends in one.
        const QString &v = it.value();
        if (v.startsWith(QLatin1Char(' ')) || (v.endsWith(QLatin1Char(' ')) && v.size() != largura))
            return QStringLiteral("value not trimmed: ") + quoted(v);
    }
    if (config.IpServidorCentral != config.valores.value(kServidor))
        return QStringLiteral("server address differs from its stored value");
    if (config.QuitarSoNoCaixa != config.valores.value(kQuitar))
        return QStringLiteral("settle-at-the-register differs from its stored value");
    if (config.valores.contains(kCor) ? config.valores.value(kCor) != QString::number(config.CorFundoTelas)
                                      : config.CorFundoTelas != 0)
        return QStringLiteral("colour %1 differs from its stored value %2")
            .arg(config.CorFundoTelas)
            .arg(quoted(config.valores.value(kCor)));

    TConfiguracao aosPoucos;
    aosPoucos.PastaPrograma = pasta;
    TrickleDevice trickle(data);
    const ResultadoCarga resultado2 = leConfiguracao(trickle, aosPoucos);
    const QString diff = compareConfigs(config, resultado, aosPoucos, resultado2);
    if (!diff.isEmpty())
        return QStringLiteral("read whole and byte by byte: ") + diff;
    return {};
}

// ---- LOGON.LLF

QString logonLlf(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const LogonGravado l = leLogonGravado(buffer);
    if (!l.existe)
        return QStringLiteral("an open device was reported as a missing file");
    for (const auto &[what, value, width] : {std::tuple{"line 1", l.usuario, 60}, std::tuple{"line 2", l.nome, 60},
                                             std::tuple{"line 3", l.linhaData, 20}, std::tuple{"line 4", l.linhaHora, 20}}) {
        const QString problem = checkWidth(what, value, width);
        if (!problem.isEmpty())
            return problem;
    }
    if (l.data != converteData(l.linhaData))
        return QStringLiteral("the date is not the conversion of line 3");
    if (l.data.isValid() && l.hora != converteHora(l.linhaHora))
        return QStringLiteral("the time is not the conversion of line 4");
    if (l.erro.isEmpty() != (l.data.isValid() && l.hora.isValid()))
        return QStringLiteral("error %1 with date %2 and time %3")
            .arg(quoted(l.erro), l.data.toString(Qt::ISODate), l.hora.toString(Qt::ISODate));

    TrickleDevice trickle(data);
    const LogonGravado t = leLogonGravado(trickle);
    if (t.usuario != l.usuario || t.nome != l.nome || t.linhaData != l.linhaData || t.linhaHora != l.linhaHora ||
        t.erro != l.erro)
        return QStringLiteral("read whole and byte by byte give different lines");
    return {};
}

// ---- CaminhoGDS.txt

QString caminhoGds(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QString library = clientLibraryFrom(buffer);
    const bool firstLineEmpty = data.isEmpty() || data.startsWith('\r') || data.startsWith('\n');
    if (library == QLatin1String("gds32.dll")) {
        if (!firstLineEmpty)
            return QStringLiteral("the default library for a first line that is not empty");
    } else {
        if (firstLineEmpty)
            return QStringLiteral("a folder from an empty first line: ") + quoted(library);
        if (!library.endsWith(QLatin1String("GDS32.DLL")))
            return QStringLiteral("the library is not GDS32.DLL: ") + quoted(library);
        const QString folder = library.chopped(9);
        const QString problem = checkWidth("the folder", folder, 100);
        if (!problem.isEmpty())
            return problem;
        if (!folder.endsWith(QLatin1Char('\\')) && folder.size() != 100)
            return QStringLiteral("no backslash after a short folder: ") + quoted(folder);
        // The folder is the start of the file, read as Windows-1252, with at most the backslash added.
        const QByteArray bytes = WinText::encode(folder);
        if (!data.startsWith(bytes) && !(bytes.endsWith('\\') && data.startsWith(bytes.chopped(1))))
            return QStringLiteral("the folder is not the start of the file: ") + quoted(folder);
    }
    TrickleDevice trickle(data);
    if (clientLibraryFrom(trickle) != library)
        return QStringLiteral("read whole and byte by byte give different libraries");
    return {};
}

// ---- password coding

namespace {

// Undoes the coding: the letters back to bytes (last byte first), the bits rotated right by 3.
QByteArray decodifica(const QString &coded)
{
    const int n = int(coded.size() / 2);
    QByteArray rotated(n, '\0');
    for (int k = 0; k < n; ++k) {
        const int hi = coded[2 * k].unicode() - 'A';
        const int lo = coded[2 * k + 1].unicode() - 'A';
        rotated[n - 1 - k] = char((hi << 4) | lo);
    }
    QByteArray original(n, '\0');
    for (int j = 0; j < 8 * n; ++j) {
        const int i = (j - 3 + 8 * n) % (8 * n);   // rotated bit i is original bit i + 3
        const int bit = (static_cast<unsigned char>(rotated[i / 8]) >> (7 - i % 8)) & 1;
        original[j / 8] = char(static_cast<unsigned char>(original[j / 8]) | (bit << (7 - j % 8)));
    }
    return original;
}

QString checkCoding(const char *how, const QString &text)
{
    const QString coded = CodificaSenha(text);
    const QByteArray bytes = WinText::encode(text);
    const qsizetype n = bytes.size() % 32;
    if (coded.size() != 2 * n)
        return QStringLiteral("%1: %2 characters coded to %3 letters").arg(QLatin1String(how)).arg(text.size()).arg(coded.size());
    for (const QChar c : coded)
        if (c < QLatin1Char('A') || c > QLatin1Char('P'))
            return QStringLiteral("%1: letter outside A..P in %2").arg(QLatin1String(how), quoted(coded));
    if (decodifica(coded) != bytes.left(n))
        return QStringLiteral("%1: %2 does not decode back to the text").arg(QLatin1String(how), quoted(coded));
    return {};
}

}

QString codificaSenha(const QByteArray &data)
{
    // The bytes as Windows-1252 text (every byte a character), and as UTF-8, which also brings
    // characters that the code page cannot hold and broken sequences.
    QString problem = checkCoding("Windows-1252", WinText::decode(data));
    if (problem.isEmpty())
        problem = checkCoding("UTF-8", QString::fromUtf8(data));
    return problem;
}

Entry byName(const QString &name)
{
    if (name == QLatin1String("ini"))
        return praxolinIni;
    if (name == QLatin1String("logon"))
        return logonLlf;
    if (name == QLatin1String("caminhogds"))
        return caminhoGds;
    if (name == QLatin1String("codificasenha"))
        return codificaSenha;
    return nullptr;
}

int runTarget(Entry entry, const unsigned char *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = entry(bytes);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "fault: %s\n", problem.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}

}
