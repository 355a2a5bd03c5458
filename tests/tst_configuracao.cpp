#include "session/Configuracao.h"
#include "platform/Messages.h"
#include "platform/SuitePaths.h"
#include "platform/WinText.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kServidor = QStringLiteral("IP DO SERVIDOR CENTRAL.........................:");
const QString kCor = QStringLiteral("COR DE FUNDO DAS TELAS.........................:");
const QString kQuitar = QStringLiteral("PERMITIR QUITAR CONVENIOS APENAS NO CAIXA......:");
const QString kIpEstacao = QStringLiteral("IP DA ESTACAO DO USUARIO.......................:");
const QString kLog = QStringLiteral("LOG DE ATIVIDADES..............................:");
const QString kBackup = QStringLiteral("CAMINHO DO BACKUP MANUAL DO BD DO SISTEMA......:");
const QString kPadrao = QStringLiteral("PADRAO PRECO MINIMO............................:");
const QString kModelo = QStringLiteral("MODELO DA REQUISICAO...........................:");
const QString kAspas = QStringLiteral("HABILITAR BOTAO \"REPETIR PEDIDO\"...............:");
const QString kMinusculas = QStringLiteral("TIT.COL 4 F.FARMACEUTICA..(Preco Min./% Lucro).:");

const QString kMensagemAusente =
    QStringLiteral("Arquivo PRAXOLIN.INI não encontrado. Execute o programa Initora.exe para criá-lo.");

// A line as the suite writes it: the key, a blank in column 49, the value from column 50.
QByteArray linha(const QString &chave, const QString &valor) { return WinText::encode(chave + QLatin1Char(' ') + valor); }

QByteArray texto(const QList<QByteArray> &linhas, const QByteArray &fim = "\r\n")
{
    QByteArray out;
    for (const QByteArray &l : linhas)
        out += l + fim;
    return out;
}

// Stands in for a file whose reading fails after a number of bytes.
class DispositivoFalho : public QIODevice {
public:
    DispositivoFalho(const QByteArray &dados, qint64 falhaEm) : m_dados(dados), m_falhaEm(falhaEm)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_pos >= m_falhaEm) {
            setErrorString(QStringLiteral("falha simulada do disco"));
            return -1;
        }
        const qint64 n = qMin(maxSize, m_falhaEm - m_pos);
        memcpy(data, m_dados.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_dados;
    qint64 m_falhaEm;
    qint64 m_pos = 0;
};

}

class TstConfiguracao : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    TConfiguracao m_config;   // what the program would load

    QString caminhoIni() const { return m_dir->filePath(QStringLiteral("PRAXOLIN.INI")); }
    void grava(const QByteArray &conteudo, const QString &nome = QStringLiteral("PRAXOLIN.INI"))
    {
        QFile f(m_dir->filePath(nome));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(conteudo), conteudo.size());
    }
    TConfiguracao carrega(const QByteArray &conteudo, ResultadoCarga &resultado)
    {
        grava(conteudo);
        TConfiguracao config;
        resultado = carregaArquivoConfiguracao(caminhoIni(), config);
        return config;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        SuitePaths::setSuiteRootForTests(m_dir->path());
    }
    void cleanup()
    {
        SuitePaths::setSuiteRootForTests(QString());
        m_config = TConfiguracao{};
        m_dir.reset();
    }

    void chavesELarguras()
    {
        const QStringList &chaves = chavesReconhecidas();
        QCOMPARE(chaves.size(), 132);
        QCOMPARE(QSet<QString>(chaves.begin(), chaves.end()).size(), 132);
        QMap<int, int> porLargura;
        for (const QString &chave : chaves) {
            QVERIFY2(chave.size() == 48, qPrintable(chave));
            QVERIFY2(chave.endsWith(QLatin1Char(':')), qPrintable(chave));
            for (const QChar c : chave)
                QVERIFY2(c.unicode() >= 0x20 && c.unicode() < 0x7F, qPrintable(chave));
            ++porLargura[larguraDaChave(chave)];
        }
        QCOMPARE(larguraDaChave(kServidor), 60);
        QCOMPARE(larguraDaChave(kCor), -1);
        QCOMPARE(larguraDaChave(kBackup), -1);
        QCOMPARE(larguraDaChave(kQuitar), 30);
        QCOMPARE(larguraDaChave(kLog), 3);
        QCOMPARE(larguraDaChave(QStringLiteral("IP DO BACKUP DO BD LOCAL (BKPPED)..............:")), 40);
        QCOMPARE(larguraDaChave(QStringLiteral("IP DO BACKUP DO BD CENTRAL.....................:")), 40);
        QCOMPARE(larguraDaChave(kIpEstacao), 40);
        const QMap<int, int> esperado{{60, 1}, {-1, 2}, {40, 3}, {3, 1}, {30, 125}};
        QCOMPARE(porLargura, esperado);
        QCOMPARE(larguraDaChave(kPadrao.toLower()), 0);
    }

    // Every recognised key is read from the file into a value of its own.
    void todasAsChavesSaoLidas()
    {
        QList<QByteArray> linhas;
        const QStringList &chaves = chavesReconhecidas();
        for (int i = 0; i < chaves.size(); ++i)
            linhas << linha(chaves[i], chaves[i] == kCor ? QString::number(i) : QStringLiteral("V%1").arg(i));
        ResultadoCarga r;
        const TConfiguracao c = carrega(texto(linhas), r);
        QVERIFY(r.arquivoEncontrado);
        QCOMPARE(r.erro, QString());
        for (int i = 0; i < chaves.size(); ++i) {
            if (chaves[i] == kCor)
                QCOMPARE(c.CorFundoTelas, i);
            else
                QCOMPARE(c.valor(chaves[i]), larguraDaChave(chaves[i]) == 3 ? QStringLiteral("V%1").arg(i).left(3)
                                                                             : QStringLiteral("V%1").arg(i));
        }
        QCOMPARE(c.IpServidorCentral, c.valor(kServidor));
        QCOMPARE(c.QuitarSoNoCaixa, c.valor(kQuitar));
    }

    void valores_data()
    {
        QTest::addColumn<QByteArray>("conteudo");
        QTest::addColumn<QString>("chave");
        QTest::addColumn<bool>("guardado");
        QTest::addColumn<QString>("esperado");

        const QString de35 = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678");
        const QString de70 = QString(QStringLiteral("0123456789")).repeated(7);

        QTest::newRow("valor da coluna 50") << texto({linha(kPadrao, "SIM")}) << kPadrao << true << "SIM";
        QTest::newRow("rotulo em minusculas") << texto({linha(kPadrao.toLower(), "SIM")}) << kPadrao << false << "";
        QTest::newRow("um ponto a mais")
            << texto({linha(QStringLiteral("PADRAO PRECO MINIMO.............................:"), "SIM")}) << kPadrao
            << false << "";
        QTest::newRow("um ponto a menos")
            << texto({linha(QStringLiteral("PADRAO PRECO MINIMO...........................:"), "SIM")}) << kPadrao
            << false << "";
        QTest::newRow("espaco antes do rotulo") << texto({" " + linha(kPadrao, "SIM")}) << kPadrao << false << "";
        QTest::newRow("chave com letras minusculas") << texto({linha(kMinusculas, "1")}) << kMinusculas << true << "1";
        QTest::newRow("chave com aspas") << texto({linha(kAspas, "SIM")}) << kAspas << true << "SIM";
        QTest::newRow("valor a partir da coluna 49")
            << texto({WinText::encode(kPadrao + QStringLiteral("SIM"))}) << kPadrao << true << "IM";
        QTest::newRow("largura 30") << texto({linha(kPadrao, de35)}) << kPadrao << true << de35.left(30);
        QTest::newRow("largura 40") << texto({linha(kIpEstacao, de35 + de35)}) << kIpEstacao << true
                                    << (de35 + de35).left(40);
        QTest::newRow("largura 3") << texto({linha(kLog, "SIMPLES")}) << kLog << true << "SIM";
        QTest::newRow("servidor: 60, nada depois da coluna 109")
            << texto({linha(kServidor, de70)}) << kServidor << true << de70.left(60);
        QTest::newRow("caminho do backup nao e cortado") << texto({linha(kBackup, de35 + "/X")}) << kBackup << true
                                                        << de35 + "/X";
        QTest::newRow("caminho do backup: nada depois da coluna 109")
            << texto({linha(kBackup, "A" + QString(58, ' ') + "BXYZ")}) << kBackup << true
            << "A" + QString(58, ' ') + "B";
        QTest::newRow("espacos na coluna 109, texto depois dela")
            << texto({linha(kPadrao, "abc" + QString(57, ' ') + "EXTRA")}) << kPadrao << true << "abc";
        QTest::newRow("espacos tirados antes do corte")
            << texto({linha(kPadrao, QString(10, ' ') + de35)}) << kPadrao << true << de35.left(30);
        QTest::newRow("linha so com a chave") << texto({WinText::encode(kPadrao)}) << kPadrao << true << "";
        QTest::newRow("so espacos") << texto({linha(kPadrao, "      ")}) << kPadrao << true << "";
        QTest::newRow("espacos nas pontas") << texto({linha(kPadrao, "   SIM  ")}) << kPadrao << true << "SIM";
        QTest::newRow("tabs ficam") << texto({linha(kPadrao, " \tSIM\t ")}) << kPadrao << true << "\tSIM\t";
        QTest::newRow("Windows-1252") << texto({WinText::encode(kPadrao) + " CONV\xca" "NIO \x80" "5 \xe7"}) << kPadrao
                                      << true << QStringLiteral("CONVÊNIO €5 ç");
        QTest::newRow("ultima linha vence")
            << texto({linha(kModelo, "1"), linha(kPadrao, "A"), linha(kPadrao, "B")}) << kPadrao << true << "B";
        QTest::newRow("ultima linha vence mesmo vazia")
            << texto({linha(kPadrao, "A"), linha(kPadrao, "")}) << kPadrao << true << "";
        QTest::newRow("linhas em LF") << texto({linha(kModelo, "1"), linha(kPadrao, "SIM"), linha(kLog, "X")}, "\n")
                                      << kPadrao << true << "SIM";
        QTest::newRow("linhas em CR") << texto({linha(kModelo, "1"), linha(kPadrao, "SIM"), linha(kLog, "X")}, "\r")
                                      << kPadrao << true << "SIM";
        QTest::newRow("CR LF sem tirar o LF do valor")
            << (linha(kPadrao, "SIM") + "\r\n\r\n" + linha(kModelo, "2") + "\n\r" + linha(kLog, "X")) << kModelo << true
            << "2";
        QTest::newRow("ultima linha sem fim") << (texto({linha(kModelo, "1")}) + linha(kPadrao, "SIM")) << kPadrao
                                              << true << "SIM";
        QTest::newRow("NUL no valor") << texto({linha(kPadrao, QStringLiteral("A") + QChar(0) + "B")}) << kPadrao
                                      << true << QStringLiteral("A") + QChar(0) + "B";
    }
    void valores()
    {
        QFETCH(QByteArray, conteudo);
        QFETCH(QString, chave);
        QFETCH(bool, guardado);
        QFETCH(QString, esperado);
        ResultadoCarga r;
        const TConfiguracao c = carrega(conteudo, r);
        QCOMPARE(r.erro, QString());
        QCOMPARE(c.valores.contains(chave), guardado);
        QCOMPARE(c.valor(chave), esperado);
        QCOMPARE(c.IpServidorCentral, c.valor(kServidor));
        QCOMPARE(c.QuitarSoNoCaixa, c.valor(kQuitar));
        QCOMPARE(c.CorFundoTelas, 0);
    }

    void corValida_data()
    {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<int>("esperado");
        QTest::newRow("decimal") << "12632256" << 12632256;
        QTest::newRow("com sinal +") << "+15" << 15;
        QTest::newRow("negativo") << "-16777201" << -16777201;
        QTest::newRow("zeros a esquerda sao decimais") << "010" << 10;
        QTest::newRow("maior") << "2147483647" << 2147483647;
        QTest::newRow("menor") << "-2147483648" << int(-2147483647 - 1);
        QTest::newRow("hexadecimal") << "$00E0e0E0" << 0xE0E0E0;
        QTest::newRow("hexadecimal de cor do sistema") << "$FF000005" << int(qint32(0xFF000005u));
        QTest::newRow("hexadecimal de 32 bits") << "$FFFFFFFF" << -1;
        QTest::newRow("hexadecimal com zeros a mais") << "$0000000000FF" << 255;
        QTest::newRow("entre espacos") << "   255  " << 255;
    }
    void corValida()
    {
        QFETCH(QString, valor);
        QFETCH(int, esperado);
        ResultadoCarga r;
        const TConfiguracao c = carrega(texto({linha(kCor, "1"), linha(kCor, valor), linha(kPadrao, "SIM")}), r);
        QCOMPARE(r.erro, QString());
        QCOMPARE(c.CorFundoTelas, esperado);
        QCOMPARE(c.valor(kPadrao), QStringLiteral("SIM"));
    }

    // A bad colour stops the load at its line: what came before stays, the colour keeps its
    // previous value, and nothing after the line is read.
    void corInvalidaInterrompe_data()
    {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("mostrado");
        QTest::newRow("vazio") << "" << "''";
        QTest::newRow("so espacos") << "     " << "''";
        QTest::newRow("letras") << "abc" << "'abc'";
        QTest::newRow("dois numeros") << "12 34" << "'12 34'";
        QTest::newRow("fracao") << "1.5" << "'1.5'";
        QTest::newRow("tab antes") << "\t5" << "'\t5'";
        QTest::newRow("so o sinal") << "-" << "'-'";
        QTest::newRow("sinal e espaco") << "- 5" << "'- 5'";
        QTest::newRow("sinal depois") << "5-" << "'5-'";
        QTest::newRow("so o cifrao") << "$" << "'$'";
        QTest::newRow("hexadecimal invalido") << "$G0" << "'$G0'";
        QTest::newRow("prefixo 0x") << "0x10" << "'0x10'";
        QTest::newRow("acima de 32 bits") << "2147483648" << "'2147483648'";
        QTest::newRow("abaixo de 32 bits") << "-2147483649" << "'-2147483649'";
        QTest::newRow("hexadecimal acima de 32 bits") << "$100000000" << "'$100000000'";
        QTest::newRow("numero enorme") << "99999999999999999999999" << "'99999999999999999999999'";
    }
    void corInvalidaInterrompe()
    {
        QFETCH(QString, valor);
        QFETCH(QString, mostrado);
        ResultadoCarga r;
        const TConfiguracao c = carrega(texto({"[PRAXOLIN - CONFIGURACAO DO SISTEMA]", linha(kServidor, "10.0.0.1"),
                                               linha(kCor, "255"), linha(kPadrao, "SIM"), linha(kCor, valor),
                                               linha(kServidor, "10.0.0.2"), linha(kModelo, "2")}),
                                        r);
        QVERIFY(r.arquivoEncontrado);
        QVERIFY2(r.erro.contains(mostrado), qPrintable(r.erro));
        QVERIFY2(r.erro.contains(QStringLiteral("linha 5")), qPrintable(r.erro));
        QCOMPARE(c.CorFundoTelas, 255);
        QCOMPARE(c.IpServidorCentral, QStringLiteral("10.0.0.1"));
        QCOMPARE(c.valor(kPadrao), QStringLiteral("SIM"));
        QVERIFY(!c.valores.contains(kModelo));
    }

    void corAusenteFicaZero()
    {
        ResultadoCarga r;
        TConfiguracao c = carrega(texto({linha(kPadrao, "SIM")}), r);
        QCOMPARE(r.erro, QString());
        QCOMPARE(c.CorFundoTelas, 0);

        c = carrega(texto({linha(kCor, "preto"), linha(kPadrao, "SIM")}), r);
        QVERIFY(r.erro.contains(QStringLiteral("linha 1")));
        QCOMPARE(c.CorFundoTelas, 0);
        QVERIFY(c.valores.isEmpty());
    }

    // The record starts from its initial values on every load; only the program folder is kept.
    void cargaRecomecaDoInicio()
    {
        TConfiguracao c;
        c.PastaPrograma = QStringLiteral("/pasta/");
        c.CorFundoTelas = 7;
        c.IpServidorCentral = QStringLiteral("antigo");
        c.valores.insert(kModelo, QStringLiteral("9"));
        grava(texto({linha(kPadrao, "SIM")}));
        const ResultadoCarga r = carregaArquivoConfiguracao(caminhoIni(), c);
        QCOMPARE(r.erro, QString());
        QCOMPARE(c.PastaPrograma, QStringLiteral("/pasta/"));
        QCOMPARE(c.CorFundoTelas, 0);
        QCOMPARE(c.IpServidorCentral, QString());
        QVERIFY(!c.valores.contains(kModelo));
        QCOMPARE(c.valor(kPadrao), QStringLiteral("SIM"));
    }

    void quitarSoNoCaixa_data()
    {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("guardado");
        QTest::addColumn<bool>("restringe");
        QTest::newRow("SIM") << "SIM" << "SIM" << true;
        QTest::newRow("sim") << "sim" << "sim" << true;
        QTest::newRow("S") << "S" << "S" << true;
        QTest::newRow("s com espacos") << "  s " << "s" << true;
        QTest::newRow("N") << "N" << "N" << false;
        QTest::newRow("NAO") << "NAO" << "NAO" << false;
        QTest::newRow("vazio") << "" << "" << false;
        QTest::newRow("tab antes") << "\tS" << "\tS" << false;
        QTest::newRow("outra letra") << "X" << "X" << false;
    }
    void quitarSoNoCaixa()
    {
        QFETCH(QString, valor);
        QFETCH(QString, guardado);
        QFETCH(bool, restringe);
        ResultadoCarga r;
        const TConfiguracao c = carrega(texto({linha(kQuitar, valor)}), r);
        QCOMPARE(r.erro, QString());
        QCOMPARE(c.QuitarSoNoCaixa, guardado);
        QCOMPARE(c.quitarSoNoCaixa(), restringe);
    }

    // Whatever the bytes, the load ends without a crash and the readable lines are read.
    void conteudoQualquer()
    {
        QRandomGenerator rng(20240611);
        const QByteArray linhaLonga = linha(kPadrao, "LONGA") + QByteArray(100 * 1024, 'x');
        for (int rodada = 0; rodada < 20; ++rodada) {
            QByteArray lixo(64 * 1024, Qt::Uninitialized);
            for (char &b : lixo)
                b = char(rng.bounded(256));
            if (rodada % 2)
                lixo.replace('\n', "\r").replace('\r', "");   // one very long line of junk
            const QByteArray conteudo = lixo + "\r\n" + QByteArray(300, '\0') + "\n" + linhaLonga + "\r\n" +
                                        QByteArray(100 * 1024, 'y') + "\r" + linha(kModelo, "2");
            ResultadoCarga r;
            const TConfiguracao c = carrega(conteudo, r);
            QCOMPARE(r.erro, QString());
            QCOMPARE(c.valor(kPadrao), QStringLiteral("LONGA") + QString(25, 'x'));
            QCOMPARE(c.valor(kModelo), QStringLiteral("2"));
        }
        ResultadoCarga r;
        const TConfiguracao vazio = carrega(QByteArray(), r);
        QVERIFY(r.arquivoEncontrado);
        QCOMPARE(r.erro, QString());
        QVERIFY(vazio.valores.isEmpty());
    }

    // A read error stops the load where it happened: complete lines before it stay, the line it cut
    // and everything after are not stored.
    void erroDeLeitura()
    {
        const QByteArray conteudo =
            texto({linha(kServidor, "10.0.0.1"), linha(kPadrao, "SIM"), linha(kModelo, "2"), linha(kLog, "SIM")});
        const qint64 falhaEm = conteudo.indexOf("MODELO") + 20;   // inside the third line
        DispositivoFalho dispositivo(conteudo, falhaEm);
        TConfiguracao c;
        const ResultadoCarga r = leConfiguracao(dispositivo, c);
        QVERIFY2(r.erro.contains(QStringLiteral("falha simulada do disco")), qPrintable(r.erro));
        QVERIFY2(r.erro.contains(QStringLiteral("linha 2")), qPrintable(r.erro));
        QCOMPARE(c.IpServidorCentral, QStringLiteral("10.0.0.1"));
        QCOMPARE(c.valor(kPadrao), QStringLiteral("SIM"));
        QVERIFY(!c.valores.contains(kModelo));
        QVERIFY(!c.valores.contains(kLog));
    }

    void arquivoAusente()
    {
        m_config.IpServidorCentral = QStringLiteral("de antes");
        m_config.CorFundoTelas = 5;
        Messages::Recorder mensagens;
        QVERIFY(!CarregaConfiguracao(m_config));
        QCOMPARE(mensagens.messages, QStringList{kMensagemAusente});
        QCOMPARE(m_config.IpServidorCentral, QString());
        QCOMPARE(m_config.CorFundoTelas, 0);

        TConfiguracao c;
        const ResultadoCarga r = carregaArquivoConfiguracao(caminhoIni(), c);
        QVERIFY(!r.arquivoEncontrado);
        QCOMPARE(r.erro, QString());
    }

    void carregaDaPastaDoPrograma_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::newRow("PRAXOLIN.INI") << "PRAXOLIN.INI";
#ifndef Q_OS_WIN
        QTest::newRow("nome em minusculas") << "praxolin.ini";
#endif
    }
    void carregaDaPastaDoPrograma()
    {
        QFETCH(QString, nome);
        grava(texto({linha(kServidor, "servidor/3050"), linha(kCor, "$00C0C0C0"), linha(kQuitar, "Sim")}), nome);
        Messages::Recorder mensagens;
        QVERIFY(CarregaConfiguracao(m_config));
        QCOMPARE(mensagens.messages, QStringList());
        QCOMPARE(m_config.PastaPrograma, SuitePaths::programFolder());
        QCOMPARE(QDir(m_config.PastaPrograma).canonicalPath(), QDir(m_dir->path()).canonicalPath());
        QCOMPARE(m_config.IpServidorCentral, QStringLiteral("servidor/3050"));
        QCOMPARE(m_config.CorFundoTelas, 0xC0C0C0);
        QVERIFY(m_config.quitarSoNoCaixa());
    }

    // A failure during the load is shown once through the error report; start-up goes on with what
    // was read.
    void falhaNaCargaEhInformada()
    {
        grava(texto({linha(kServidor, "servidor"), linha(kCor, "azul"), linha(kQuitar, "S")}));
        {
            Messages::Recorder mensagens;
            QVERIFY(CarregaConfiguracao(m_config));
            QCOMPARE(mensagens.messages.size(), 1);
            QVERIFY2(mensagens.messages[0].contains(QStringLiteral("'azul'")), qPrintable(mensagens.messages[0]));
            QVERIFY2(mensagens.messages[0].contains(QStringLiteral("linha 2")), qPrintable(mensagens.messages[0]));
            QCOMPARE(m_config.IpServidorCentral, QStringLiteral("servidor"));
            QVERIFY(!m_config.quitarSoNoCaixa());
        }

        // A PRAXOLIN.INI that cannot be opened is reported, not taken for a missing file.
        QVERIFY(QFile::remove(caminhoIni()));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("PRAXOLIN.INI")));
        Messages::Recorder mensagens;
        QVERIFY(CarregaConfiguracao(m_config));
        QCOMPARE(mensagens.messages.size(), 1);
        QVERIFY(mensagens.messages[0] != kMensagemAusente);
        QVERIFY2(mensagens.messages[0].contains(QStringLiteral("PRAXOLIN.INI")), qPrintable(mensagens.messages[0]));
        QCOMPARE(m_config.IpServidorCentral, QString());
    }
};

QTEST_MAIN(TstConfiguracao)
#include "tst_configuracao.moc"
