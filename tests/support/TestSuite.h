#pragma once
#include "data/Connection.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A fresh suite folder for one test: PRAXOLIN.INI and empty central and interface databases,
// copied from a template built once per test program. The suite root of the program points at it
// while the object lives, and the user's own settings at a fresh folder.
class TestSuite {
public:
    struct Options {
        QString serverAddress;       // written to PRAXOLIN.INI
        QString quitarSoNoCaixa;
        // Databases made unlike the set-up tool's: see foreignCentralScript. Without the module's
        // tables and indexes, as the suite's old programs leave them.
        bool foreign = false;
    };
    // The shipped suite made the way another pharmacy's grew: no character set; every table starts
    // with a column the module does not know; PAGPEDID has no primary key and its instalment number
    // is PARC (nullable, so empty or repeated); PARCELAS numbers its instalments in NUM_PARCELA (text)
    // and is keyed by ID_PARCELA.
    static QString foreignCentralScript();
    static QString foreignInterfaceScript();
    TestSuite();
    explicit TestSuite(const Options &options);
    ~TestSuite();

    QString root() const;
    QString path(const QString &relative) const;   // root + "/" + relative
    QString centralPath() const;
    QString interfacePath() const;

    // Separate connections for arranging and checking rows, outside the program's own.
    Connection &central();
    Connection &iface();
    void exec(const QString &sql);                  // on the central database
    void execInterface(const QString &sql);
    QVariant scalar(const QString &sql);            // first column of the first row (central)
    int count(const QString &table, const QString &where = {});
    // What a settlement changes (orders, instalments, cash movements), one line per row, to compare
    // before and after.
    QString settlementSnapshot();

    // A small register: categories, payment forms, routes, convênios "Alfa Ltda" (1), "Beta & Cia"
    // (2), "Drogaria São José" (7); users ADMIN/123 and MARIA/abc with the right to the module and
    // JOAO/1 without it; workstations "01" (admin) and "02" (maria).
    void seedRegister();
    // Writes LOGON.LLF for a user (plain name, coded on the way) with today's date and time.
    // Line 2 is the plain name unless `line2` is given.
    void writeLogon(const QString &plainName, const QByteArray &line3 = {}, const QByteArray &line4 = {},
                    const QString &line2 = {});

    void writeFile(const QString &relative, const QByteArray &content);
    void writeIni(const QString &text);

    // The address of the tests' Firebird server (FB_TEST_SERVER), empty when none runs.
    static QString testServer();

private:
    QString m_server;
    QTemporaryDir m_dir;
    QTemporaryDir m_userSettings;   // the user's own settings (window position), fresh per test
    std::unique_ptr<Connection> m_central;
    std::unique_ptr<Connection> m_iface;
};
