#include "data/CodificaSenha.h"
#include "platform/WinText.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <bitset>

namespace {

QString letras(const QList<int> &bytes)
{
    QString out;
    for (const int b : bytes) {
        out += QChar('A' + (b >> 4));
        out += QChar('A' + (b & 15));
    }
    return out;
}

// The coding written the other way: the text as one unsigned number of 8n bits, first character
// most significant, rotated left by 3 within those bits, its bytes written from the least
// significant up.
QString referencia(const QByteArray &bytes)
{
    using Bits = std::bitset<256>;
    const size_t n = size_t(bytes.size());
    const size_t largura = 8 * n;
    Bits numero;
    for (const char c : bytes) {
        numero <<= 8;
        numero |= Bits(static_cast<unsigned char>(c));
    }
    Bits mascara;
    for (size_t i = 0; i < largura; ++i)
        mascara.set(i);
    const Bits girado = ((numero << 3) | (numero >> (largura - 3))) & mascara;
    QList<int> saida;
    for (size_t j = 0; j < n; ++j)
        saida << int(((girado >> (8 * j)) & Bits(0xFF)).to_ulong());
    return letras(saida);
}

}

class TstCodificaSenha : public QObject {
    Q_OBJECT

private slots:
    void exemplos_data()
    {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("codigo");
        QTest::newRow("A") << "A" << "AK";
        QTest::newRow("ABC") << "ABC" << "BKBCAK";
        QTest::newRow("ZZ") << "ZZ" << "NCNC";
        // 01100001 01000001 rotated as a whole is 00001010 00001011; rotating each character
        // alone would give "AKAL".
        QTest::newRow("aA: o texto gira inteiro") << "aA" << "ALAK";
        QTest::newRow("codigo 0") << QString(QChar(0)) << "AA";
        QTest::newRow("vazio") << "" << "";
        QTest::newRow("minuscula pelo seu codigo") << "a" << "AL";
        QTest::newRow("acento pelo codigo Windows-1252") << QStringLiteral("É") << "EO";   // 0xC9
        QTest::newRow("euro e 0x80, nao U+20AC") << QStringLiteral("€") << "AE";
    }
    void exemplos()
    {
        QFETCH(QString, texto);
        QFETCH(QString, codigo);
        QCOMPARE(CodificaSenha(texto), codigo);
    }

    // Every single character: the only byte is (k * 8 + k / 32) mod 256.
    void umCaractere()
    {
        for (int k = 0; k < 256; ++k) {
            const QString texto = WinText::decode(QByteArray(1, char(k)));
            QCOMPARE(CodificaSenha(texto), letras({(k * 8 + k / 32) % 256}));
        }
    }

    // Texts order as their code-page bytes: every pair of single characters, then lengths and
    // characters the code page cannot hold (they count as '?').
    void ordemDaPaginaDeCodigo()
    {
        for (int a = 0; a < 256; ++a) {
            const QString ta = WinText::decode(QByteArray(1, char(a)));
            for (int b = 0; b < 256; ++b) {
                const int esperado = a == b ? 0 : (a < b ? -1 : 1);
                if (WinText::compare(ta, WinText::decode(QByteArray(1, char(b)))) != esperado)
                    QFAIL(qPrintable(QStringLiteral("bytes %1 and %2").arg(a).arg(b)));
            }
        }
        QCOMPARE(WinText::compare(u"Ana", u"Ana Maria"), -1);
        QCOMPARE(WinText::compare(u"Ana Maria", u"Ana"), 1);
        QCOMPARE(WinText::compare(u"", u""), 0);
        QCOMPARE(WinText::compare(u"a\u4E2D", u"a?"), 0);
        QCOMPARE(WinText::compare(u"\u20AC", u"z"), 1);   // the euro sign is byte 0x80
    }

    // Lengths count in 8 bits: a text codes like its first (length mod 32) characters.
    void textosLongos_data()
    {
        QTest::addColumn<int>("tamanho");
        QTest::addColumn<int>("codificados");
        QTest::newRow("31") << 31 << 31;
        QTest::newRow("32") << 32 << 0;
        QTest::newRow("33") << 33 << 1;
        QTest::newRow("40") << 40 << 8;
        QTest::newRow("64") << 64 << 0;
        QTest::newRow("70") << 70 << 6;
    }
    void textosLongos()
    {
        QFETCH(int, tamanho);
        QFETCH(int, codificados);
        QString texto;
        for (int i = 0; i < tamanho; ++i)
            texto += QChar('A' + i % 26);
        QCOMPARE(CodificaSenha(texto), CodificaSenha(texto.left(codificados)));
        QCOMPARE(CodificaSenha(texto).isEmpty(), codificados == 0);
    }

    void comparaComReferencia()
    {
        const QRegularExpression soLetras(QStringLiteral("^[A-P]*$"));
        QRandomGenerator rng(31337);
        for (int rodada = 0; rodada < 5000; ++rodada) {
            QByteArray bytes(int(rng.bounded(1, 32)), Qt::Uninitialized);
            for (char &b : bytes)
                b = char(rng.bounded(256));
            const QString codigo = CodificaSenha(WinText::decode(bytes));
            QCOMPARE(codigo.size(), 2 * bytes.size());
            QVERIFY2(soLetras.match(codigo).hasMatch(), qPrintable(codigo));
            QCOMPARE(codigo, referencia(bytes));
        }
    }
};

QTEST_GUILESS_MAIN(TstCodificaSenha)
#include "tst_codificasenha.moc"
