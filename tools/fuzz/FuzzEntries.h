#pragma once
#include <QByteArray>
#include <QString>

// The readers of the files that other programs of the suite write (PRAXOLIN.INI, LOGON.LLF,
// CaminhoGDS.txt) and the password coding, run on arbitrary bytes. Each entry reads `data` the way
// the program reads the file (for the password coding: as the typed text), checks what came out and
// returns the first fault it finds, empty when there is none. The fuzz targets and the corpus test
// share these entries.
namespace FuzzEntries {

using Entry = QString (*)(const QByteArray &data);

QString praxolinIni(const QByteArray &data);
QString logonLlf(const QByteArray &data);
QString caminhoGds(const QByteArray &data);
QString codificaSenha(const QByteArray &data);

// The entry of a corpus folder name ("ini", "logon", "caminhogds", "codificasenha"); null if none.
Entry byName(const QString &name);

// The body of a fuzz target: runs the entry and aborts, with the fault on stderr, when it finds one.
int runTarget(Entry entry, const unsigned char *data, size_t size);

}
