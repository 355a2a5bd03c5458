#pragma once
#include <QString>

class Connection;

// How the module reaches a Firebird server across a network: its own settings, in its own file
// "Convenios.ini" of the suite folder (never the suite's PRAXOLIN.INI), group [Rede]:
//   Compressao=sim|nao      the traffic compressed (default sim)
//   EsperaConexao=SECONDS   how long a server that does not answer is waited for when attaching (default 5)
// A missing or unreadable file means the defaults. Embedded databases ignore both.
struct LinkSettings {
    bool compressao = true;
    int esperaConexao = 5;

    static LinkSettings read(const QString &file);
    static QString defaultFile();   // Convenios.ini in the suite folder
    void applyTo(Connection &connection) const;
};
