#pragma once
#include <QString>

// Creates the folders and files of a suite: PRAXOLIN.INI, "dados/praxolin.bd" (central) and
// "interfac/praxolin.bd" (interface) built from the shipped schema, and the RPT folder with the
// module's report project "rptConvenio.rav".
namespace SuiteBuilder {

struct Options {
    QString serverAddress;          // "IP DO SERVIDOR CENTRAL" written to the INI; empty: embedded
    QString quitarSoNoCaixa;        // "PERMITIR QUITAR CONVENIOS APENAS NO CAIXA"
    QString corFundoTelas = QStringLiteral("$00E0E0E0");
    bool overwrite = false;
    // Databases as the suite's old programs made them: no character set (text stored as
    // Windows-1252 bytes), the suite's tables and keys, a few indexes of the suite's own under its
    // own names, and none of this module's (oldSuiteIndexes()).
    bool oldStyle = false;
};

// The old suite's own indexes: some serve the module's queries under other names, some do not.
QStringList oldSuiteIndexes();

// The INI text the set-up tool writes: the three keys the module reads and a realistic set of the
// suite's other keys, each label padded to 48 characters and its value from column 50.
QString iniText(const Options &options);
QString iniLine(const QString &key48, const QString &value);

// Creates an empty suite (no rows) at `root`. Refuses (throws) when a suite is already there,
// unless options.overwrite is set.
void createEmptySuite(const QString &root, const Options &options);

// Paths of a suite's databases as this machine opens them.
QString centralDatabasePath(const QString &root);
QString interfaceDatabasePath(const QString &root);

}
