#pragma once
#include <QFile>
#include <QString>

// The trace file of the convênio settlement, kept open over a settlement: each line replaces the
// one before it, so that after a failure the file holds the instalment statement of the order
// that failed.
class Rastro {
public:
    // "C:\PRAXOLIN\QUITACONV.TXT" in the suite folder.
    static QString arquivo();
    // Raises, with the system's reason, when the file cannot be written: checked before the user
    // confirms a settlement that would stop on it.
    static void verifica(const QString &arquivo);

    explicit Rastro(const QString &arquivo) : m_file(arquivo) {}
    // Opens the file as a settlement writes it (an existing file keeps its content until the first
    // line); raises with the system's reason when it cannot.
    void abre();
    void grava(const QString &linha);

private:
    [[noreturn]] void falha();
    QFile m_file;
};
