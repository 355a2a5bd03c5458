#pragma once
#include "data/Connection.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A fresh suite folder for one test: PRAXOLIN.INI and empty central and interface databases,
// copied from a template built once per test program. The suite root of the program points at it
// while the object lives.
class TestSuite {
public:
    struct Options {
        QString serverAddress;       // written to PRAXOLIN.INI
        QString quitarSoNoCaixa;
    };
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

    void writeFile(const QString &relative, const QByteArray &content);
    void writeIni(const QString &text);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Connection> m_central;
    std::unique_ptr<Connection> m_iface;
};
