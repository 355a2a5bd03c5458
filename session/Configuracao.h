#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

class QIODevice;

// The suite configuration record, filled once from PRAXOLIN.INI in the program's folder and only
// read afterwards.
struct TConfiguracao {
    QString PastaPrograma;        // the program's folder with its trailing separator
    QString IpServidorCentral;    // "IP DO SERVIDOR CENTRAL", 60
    qint32 CorFundoTelas = 0;     // "COR DE FUNDO DAS TELAS", a Windows colour value 0x00BBGGRR
    QString QuitarSoNoCaixa;      // "PERMITIR QUITAR CONVENIOS APENAS NO CAIXA", 30
    QHash<QString, QString> valores;   // every recognised key (48 characters) and its stored value

    QString valor(const QString &key) const { return valores.value(key); }
    // True when the first character, upper-cased, is "S": settling only at the cash register.
    bool quitarSoNoCaixa() const;
};

// The 132 recognised keys, each exactly 48 characters, and the width each value is cut to
// (-1: not cut; 0 for a text that is no recognised key).
const QStringList &chavesReconhecidas();
int larguraDaChave(const QString &key);

// Outcome of loading the file.
struct ResultadoCarga {
    bool arquivoEncontrado = true;
    QString erro;   // the failure that stopped the load (bad colour value, read error); empty if none
};

// Reads the file into `config` (the record starts from its initial values; PastaPrograma, which
// does not come from the file, is kept). Pure: shows nothing. A path that does not exist gives
// arquivoEncontrado = false and leaves the record at its initial values.
ResultadoCarga carregaArquivoConfiguracao(const QString &iniPath, TConfiguracao &config);

// The same, reading the lines from an open device (the file, or a test's stand-in for it).
ResultadoCarga leConfiguracao(QIODevice &in, TConfiguracao &config);

// Fills `config` from <program folder>/PRAXOLIN.INI. A missing file shows its message and
// returns false: the caller then ends the process at once with exit code 0. A failure during the
// load is reported through the error reporter and start-up goes on (true).
bool CarregaConfiguracao(TConfiguracao &config);

// Converts the colour text as the suite does: decimal with an optional sign, or hexadecimal after
// "$". Returns false for anything else, the empty text included.
bool converteCor(const QString &text, qint32 &value);
