// Files written by other programs, read back by this one: every input of the fuzz corpus
// (tests/fuzz-corpus/<reader>/, crash cases under crashes/ included) through the fuzz targets' own
// checks, and hostile files built here that are too large to keep in the corpus.
#include "session/Configuracao.h"
#include "session/SessaoGravada.h"
#include "data/CentralData.h"
#include "tools/fuzz/FuzzEntries.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kCorpus = QStringLiteral(CONVENIOS_FUZZ_CORPUS);
const QStringList kReaders = {QStringLiteral("ini"), QStringLiteral("logon"), QStringLiteral("caminhogds"),
                              QStringLiteral("codificasenha")};

QStringList corpusFiles(const QString &reader)
{
    QStringList files;
    QDirIterator it(kCorpus + QLatin1Char('/') + reader, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The program reads these three from files; the file readers must agree with the readers of bytes
// that the fuzz targets drive.
QString fileAndBytesDisagree(const QString &reader, const QString &path, const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    if (reader == QLatin1String("ini")) {
        TConfiguracao deArquivo, deBytes;
        const ResultadoCarga r1 = carregaArquivoConfiguracao(path, deArquivo);
        const ResultadoCarga r2 = leConfiguracao(buffer, deBytes);
        if (r1.erro != r2.erro || deArquivo.valores != deBytes.valores || deArquivo.CorFundoTelas != deBytes.CorFundoTelas)
            return QStringLiteral("PRAXOLIN.INI read from the file differs from the same bytes in memory");
    } else if (reader == QLatin1String("logon")) {
        const LogonGravado a = leLogonGravado(path);
        const LogonGravado b = leLogonGravado(buffer);
        if (a.usuario != b.usuario || a.nome != b.nome || a.linhaData != b.linhaData || a.linhaHora != b.linhaHora ||
            a.data != b.data || a.hora != b.hora || a.erro != b.erro)
            return QStringLiteral("LOGON.LLF read from the file differs from the same bytes in memory");
    } else if (reader == QLatin1String("caminhogds")) {
        if (clientLibraryFrom(path) != clientLibraryFrom(buffer))
            return QStringLiteral("CaminhoGDS.txt read from the file differs from the same bytes in memory");
    }
    return {};
}

}

class TstFuzzCorpus : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
            return {};
        return path;
    }

private slots:
    // A corpus folder that moved or emptied would make the next test pass on nothing.
    void everyReaderHasItsCorpus()
    {
        for (const QString &reader : kReaders) {
            QVERIFY2(FuzzEntries::byName(reader), qPrintable(reader));
            QVERIFY2(!corpusFiles(reader).isEmpty(), qPrintable(kCorpus + QLatin1Char('/') + reader));
        }
    }

    void corpus_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("path");
        for (const QString &reader : kReaders)
            for (const QString &path : corpusFiles(reader))
                QTest::newRow(qPrintable(path.mid(kCorpus.size() + 1))) << reader << path;
    }

    void corpus()
    {
        QFETCH(QString, reader);
        QFETCH(QString, path);
        const QByteArray bytes = readAll(path);
        const QString fault = FuzzEntries::byName(reader)(bytes);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const QString disagreement = fileAndBytesDisagree(reader, path, bytes);
        QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
    }

    // Lines end at CR LF, LF or CR alone, are cut to their width, and the rest of a line, however
    // long, never becomes the next line.
    void logonLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");
        const QByteArray longLine(3 * 1024 * 1024 + 17, 'U');
        QTest::newRow("CR LF") << QByteArray("HCEKGKCCAK\r\nADMIN\r\n05/03/2024\r\n14:22:10\r\n")
                               << QStringList{"HCEKGKCCAK", "ADMIN", "05/03/2024", "14:22:10"};
        QTest::newRow("CR alone") << QByteArray("HCEKGKCCAK\rADMIN\r05/03/2024\r14:22:10")
                                  << QStringList{"HCEKGKCCAK", "ADMIN", "05/03/2024", "14:22:10"};
        QTest::newRow("empty lines") << QByteArray("\r\n\n\r05/03/2024\r\n")
                                     << QStringList{"", "", "", "05/03/2024"};
        QTest::newRow("line 1 of 3 MiB") << longLine + "\r\nADMIN\r\n05/03/2024\r\n14:22:10\r\n"
                                         << QStringList{QString(60, QLatin1Char('U')), "ADMIN", "05/03/2024", "14:22:10"};
        QTest::newRow("line 3 of 3 MiB, no line end")
            << "A\r\nB\r\n05/03/2024" + longLine << QStringList{"A", "B", "05/03/2024UUUUUUUUUU", ""};
    }

    void logonLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        const QString fault = FuzzEntries::logonLlf(content);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const LogonGravado l = leLogonGravado(write(QStringLiteral("LOGON.LLF"), content));
        QVERIFY(l.existe);
        QCOMPARE((QStringList{l.usuario, l.nome, l.linhaData, l.linhaHora}), lines);
    }

    // Only the first line counts, up to its end (CR alone included), read in the suite's code page.
    void caminhoGdsFirstLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("library");
        QTest::newRow("CR alone") << QByteArray("C:\\Cliente\rC:\\Outro\r") << QStringLiteral("C:\\Cliente\\GDS32.DLL");
        QTest::newRow("Windows-1252") << QByteArray("C:\\Programas \x96 S\xe3o Paulo\x80\r\n")
                                      << QStringLiteral("C:\\Programas – São Paulo€\\GDS32.DLL");
        QTest::newRow("first line of 1 MiB") << QByteArray(1024 * 1024, 'a') + "\r\nC:\\Outro\r\n"
                                             << QString(100, QLatin1Char('a')) + QStringLiteral("GDS32.DLL");
    }

    void caminhoGdsFirstLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, library);
        const QString fault = FuzzEntries::caminhoGds(content);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(clientLibraryFrom(write(QStringLiteral("CaminhoGDS.txt"), content)), library);
    }
};

QTEST_GUILESS_MAIN(TstFuzzCorpus)
#include "tst_fuzzcorpus.moc"
