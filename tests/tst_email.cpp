// E-mail through a real SMTP server on 127.0.0.1: what arrives (headers, body, attachments) and
// how each failure is named.

#include "billing/Email.h"
#include "tests/support/LocalSmtp.h"

#include <QRandomGenerator>
#include <QtTest>

class TstEmail : public QObject {
    Q_OBJECT

    static ServidorEmail servidor(int port)
    {
        ServidorEmail s;
        s.servidor = QStringLiteral("127.0.0.1");
        s.porta = port;
        s.seguranca = ServidorEmail::Seguranca::Nenhuma;
        s.remetente = QStringLiteral("faturamento@farmacia.com.br");
        s.nomeRemetente = QStringLiteral("Farmácia São João");
        return s;
    }

    static Mensagem mensagem(const QStringList &para = {QStringLiteral("rh@empresa.com.br")})
    {
        Mensagem m;
        m.remetente = QStringLiteral("faturamento@farmacia.com.br");
        m.nomeRemetente = QStringLiteral("Farmácia São João");
        m.destinatarios = para;
        m.assunto = QStringLiteral("Extrato do convênio Construtora Horizonte Ltda - período de 01/11/2026 a 30/11/2026 "
                                   "(ação: conferência da folha, não responda)");
        m.corpo = QStringLiteral("Prezados,\n\nSegue o extrato.\n\nAtenciosamente,\nFarmácia São João\n");
        return m;
    }

    // Any byte value, and a length that is not a multiple of three.
    static QByteArray bytes(int n)
    {
        QByteArray b(n, Qt::Uninitialized);
        for (int i = 0; i < n; ++i)
            b[i] = char(QRandomGenerator::global()->bounded(256));
        return b;
    }

private slots:
    void messageArrivesWithItsHeadersDecodedAndAttachmentsIntact()
    {
        LocalSmtp smtp;
        QVERIFY2(smtp.port() > 0, "the test SMTP server (python3-aiosmtpd) did not start");
        Mensagem m = mensagem({QStringLiteral("rh@empresa.com.br"), QStringLiteral("financeiro@empresa.com.br")});
        const QByteArray pdf = bytes(150001), planilha = bytes(2), folha = "0000012345JOSE  \r\n";
        m.anexos = {{QStringLiteral("extrato-empresa-Padaria D'Ouro-011126-301126.pdf"), QStringLiteral("application/pdf"), pdf},
                    {QStringLiteral("extrato São José.xlsx"), Mime::tipoDe(QStringLiteral("a.xlsx")), planilha},
                    {QStringLiteral("folha.txt"), QStringLiteral("text/plain"), folha}};
        qint64 ultimo = 0, total = 0;
        const ResultadoEnvio r = Smtp::envia(servidor(smtp.port()), m, [&](qint64 enviados, qint64 de) {
            ultimo = enviados;
            total = de;
        });
        QVERIFY2(r.ok(), qPrintable(r.erro + QLatin1Char(' ') + r.detalhe));
        QCOMPARE(ultimo, total);
        QVERIFY(total > pdf.size());

        QCOMPARE(smtp.count(), 1);
        QCOMPARE(smtp.recipients(1), (QStringList{"rh@empresa.com.br", "financeiro@empresa.com.br"}));
        const QJsonObject d = smtp.decoded(1);
        QCOMPARE(d[QStringLiteral("subject")].toString(), m.assunto);
        QCOMPARE(d[QStringLiteral("from")].toString(), QStringLiteral("Farmácia São João <faturamento@farmacia.com.br>"));
        QCOMPARE(d[QStringLiteral("to")].toString(), QStringLiteral("rh@empresa.com.br, financeiro@empresa.com.br"));
        QVERIFY(d[QStringLiteral("headers_ascii")].toBool());
        QVERIFY(d[QStringLiteral("longest_header_line")].toInt() <= 998);
        QVERIFY(!d[QStringLiteral("date")].toString().isEmpty());
        // Text travels with CRLF line ends.
        QCOMPARE(d[QStringLiteral("body")].toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n")), m.corpo);
        QCOMPARE(d[QStringLiteral("attachments")].toArray().size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(LocalSmtp::attachmentName(d, i), m.anexos[i].nome);
            QCOMPARE(LocalSmtp::attachment(d, i), m.anexos[i].conteudo);
        }
    }

    // Each encoded word of a long subject stays within 75 characters and holds whole characters.
    void encodedHeaderWords()
    {
        QCOMPARE(Mime::cabecalho(QStringLiteral("Extrato de novembro")), QByteArray("Extrato de novembro"));
        const QString longo = QString(40, QChar(0x00E7)) + QStringLiteral("😀") + QString(40, QChar(0x00E3));
        const QByteArray h = Mime::cabecalho(longo);
        QString decodificado;
        for (const QByteArray &linha : h.split('\n')) {
            const QByteArray w = linha.trimmed();
            QVERIFY2(w.size() <= 75, w.constData());
            QVERIFY(w.startsWith("=?UTF-8?B?") && w.endsWith("?="));
            const QByteArray utf8 = QByteArray::fromBase64(w.mid(10, w.size() - 12));
            QVERIFY2(QString::fromUtf8(utf8).toUtf8() == utf8, "a word splits a character");
            decodificado += QString::fromUtf8(utf8);
        }
        QCOMPARE(decodificado, longo);
    }

    // Each failure says what went wrong; nothing arrives.
    void failuresAreNamed()
    {
        const int porta = 1;   // nothing listens there
        ResultadoEnvio r = Smtp::envia(servidor(porta), mensagem());
        QCOMPARE(r.causa, ResultadoEnvio::Causa::ServidorInacessivel);
        QVERIFY2(r.erro.contains(QStringLiteral("não pôde ser alcançado")), qPrintable(r.erro));

        LocalSmtp recusa({QStringLiteral("--refuse"), QStringLiteral("inexistente")});
        r = Smtp::envia(servidor(recusa.port()), mensagem({QStringLiteral("inexistente@empresa.com.br")}));
        QCOMPARE(r.causa, ResultadoEnvio::Causa::EnderecoRecusado);
        QVERIFY2(r.erro.contains(QStringLiteral("destinatário")), qPrintable(r.erro));
        QVERIFY2(r.detalhe.contains(QStringLiteral("550")), qPrintable(r.detalhe));
        QCOMPARE(recusa.count(), 0);

        LocalSmtp autenticado({QStringLiteral("--auth"), QStringLiteral("farmacia:segredo")});
        ServidorEmail s = servidor(autenticado.port());
        s.usuario = QStringLiteral("farmacia");
        s.senha = QStringLiteral("errada");
        r = Smtp::envia(s, mensagem());
        QVERIFY2(r.causa == ResultadoEnvio::Causa::Autenticacao, qPrintable(r.erro + QLatin1Char(' ') + r.detalhe));
        s.senha = QStringLiteral("segredo");
        r = Smtp::envia(s, mensagem());
        QVERIFY2(r.ok(), qPrintable(r.erro + QLatin1Char(' ') + r.detalhe));
        QCOMPARE(autenticado.count(), 1);

        // STARTTLS configured and a server that does not offer it: nothing goes in plain text.
        s = servidor(autenticado.port());
        s.seguranca = ServidorEmail::Seguranca::StartTls;
        r = Smtp::envia(s, mensagem());
        QCOMPARE(r.causa, ResultadoEnvio::Causa::Seguranca);
        QCOMPARE(autenticado.count(), 1);

        // An address that could inject another header never reaches the server.
        r = Smtp::envia(servidor(autenticado.port()), mensagem({QStringLiteral("rh@empresa.com.br\r\nBcc: x@y.z")}));
        QCOMPARE(r.causa, ResultadoEnvio::Causa::EnderecoRecusado);
    }
};

QTEST_GUILESS_MAIN(TstEmail)
#include "tst_email.moc"
