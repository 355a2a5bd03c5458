// The PIX charge: the BR Code payload, its CRC, and its QR code read back by a scanner.

#include "billing/Pix.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstPix : public QObject {
    Q_OBJECT

    static QString fieldsOf(const QList<Pix::Campo> &campos)
    {
        QStringList out;
        for (const Pix::Campo &c : campos)
            out << c.id + QLatin1Char('=') + c.valor;
        return out.join(QLatin1Char('|'));
    }

private slots:
    // The Banco Central manual's own example, and the common check value of CRC16-CCITT (0xFFFF).
    void crcOfTheManualsExample()
    {
        const QByteArray exemplo = "00020126580014br.gov.bcb.pix0136123e4567-e12b-12d1-a456-4266554400005204000053039865802BR"
                                   "5913Fulano de Tal6008BRASILIA62070503***6304";
        QCOMPARE(Pix::crc16(exemplo), QStringLiteral("1D3D"));
        QCOMPARE(Pix::crc16("123456789"), QStringLiteral("29B1"));
    }

    // Whole payloads whose CRC starts with one, two and three zeros: all four digits are written.
    void payloadsWithLeadingZerosInTheirCrc_data()
    {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("txid");
        QTest::addColumn<QString>("esperado");
        const QString head = QStringLiteral("00020126360014BR.GOV.BCB.PIX0114123456780001905204000053039865406");
        const QString tail = QStringLiteral("5802BR5914Farmacia Teste6009Sao Paulo62120508");
        QTest::newRow("0") << "100.15" << "EXT10015" << head + "100.15" + tail + "EXT100156304" + "08C2";
        QTest::newRow("00") << "104.23" << "EXT10423" << head + "104.23" + tail + "EXT104236304" + "00D4";
        QTest::newRow("000") << "108.61" << "EXT10861" << head + "108.61" + tail + "EXT108616304" + "0009";
    }
    void payloadsWithLeadingZerosInTheirCrc()
    {
        QFETCH(QString, valor);
        QFETCH(QString, txid);
        QFETCH(QString, esperado);
        const Pix::Cobranca c{QStringLiteral("12345678000190"), QStringLiteral("Farmácia Teste"), QStringLiteral("São Paulo"),
                              *Decimal::parse(valor), txid};
        QCOMPARE(Pix::payload(c), esperado);
    }

    // Each field as the layout wants it: accents removed, the name cut to 25 and the city to 15,
    // the txid to letters and digits, no amount field for a charge of no value.
    void fieldsOfThePayload()
    {
        const QString p = Pix::payload({QStringLiteral("financeiro@farmacia.com.br"),
                                        QStringLiteral("Farmácia de Manipulação São João Batista Ltda"),
                                        QStringLiteral("São José dos Campos"), Decimal(123456, 2),
                                        QStringLiteral("EXT-30/11/26 Beta & Cia")});
        const QList<Pix::Campo> campos = Pix::campos(p);
        QCOMPARE(fieldsOf(campos),
                 QStringLiteral("00=01|26=0014BR.GOV.BCB.PIX0126financeiro@farmacia.com.br|52=0000|53=986|54=1234.56|58=BR|"
                                "59=Farmacia de Manipulacao S|60=Sao Jose dos Ca|62=0516EXT301126BetaCia|63=") +
                     p.right(4));
        QCOMPARE(p.right(4), Pix::crc16(p.left(p.size() - 4).toLatin1()));
        QCOMPARE(fieldsOf(Pix::campos(Pix::valorDe(campos, QStringLiteral("62")))), QStringLiteral("05=EXT301126BetaCia"));

        const QString semValor = Pix::payload({QStringLiteral("+5511999998888"), QStringLiteral("F"), QStringLiteral("C"),
                                               Decimal(0, 2), QString()});
        QVERIFY(Pix::valorDe(Pix::campos(semValor), QStringLiteral("54")).isEmpty());
        QCOMPARE(Pix::valorDe(Pix::campos(semValor), QStringLiteral("62")), QStringLiteral("0503***"));
    }

    void refusesWhatCannotMakeACharge_data()
    {
        QTest::addColumn<QString>("chave");
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("cidade");
        QTest::newRow("no key") << "" << "Farmácia" << "Cidade";
        QTest::newRow("no name") << "chave@x.com" << "" << "Cidade";
        QTest::newRow("name only accents") << "chave@x.com" << "´¨" << "Cidade";
        QTest::newRow("no city") << "chave@x.com" << "Farmácia" << "  ";
        QTest::newRow("key too long") << QString(78, QLatin1Char('k')) << "Farmácia" << "Cidade";
    }
    void refusesWhatCannotMakeACharge()
    {
        QFETCH(QString, chave);
        QFETCH(QString, nome);
        QFETCH(QString, cidade);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Pix::payload({chave, nome, cidade, Decimal(100, 2), {}}));
    }

    // The QR code written as a PNG and read by a scanner (zbarimg) gives the payload back.
    void qrCodeScansBackToThePayload()
    {
        const QString p = Pix::payload({QStringLiteral("123e4567-e12b-12d1-a456-426655440000"), QStringLiteral("Farmácia Central"),
                                        QStringLiteral("Florianópolis"), Decimal(113051, 2), QStringLiteral("EXT301126")});
        const QImage qr = Pix::qrCode(p, 4);
        QVERIFY(!qr.isNull());
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("pix.png"));
        QVERIFY(qr.save(png));
        QProcess zbar;
        zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), png});
        QVERIFY2(zbar.waitForFinished(30000) && zbar.exitCode() == 0, "zbarimg (zbar-tools) failed");
        const QString lido = QString::fromUtf8(zbar.readAllStandardOutput()).trimmed();
        QCOMPARE(lido, p);
        const QList<Pix::Campo> campos = Pix::campos(lido);
        QCOMPARE(Pix::valorDe(campos, QStringLiteral("54")), QStringLiteral("1130.51"));
        QCOMPARE(Pix::valorDe(campos, QStringLiteral("59")), QStringLiteral("Farmacia Central"));
        QCOMPARE(Pix::valorDe(campos, QStringLiteral("60")), QStringLiteral("Florianopolis"));
        QCOMPARE(Pix::valorDe(campos, QStringLiteral("63")), Pix::crc16(lido.left(lido.size() - 4).toLatin1()));
    }
};

QTEST_GUILESS_MAIN(TstPix)
#include "tst_pix.moc"
