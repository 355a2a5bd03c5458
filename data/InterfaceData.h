#pragma once
#include "data/CachedTable.h"
#include "data/Connection.h"
#include "data/FreeQuery.h"

// The interface data module: the two connections to the shared interface database, the cached
// period record and the query of the open-order check.
class InterfaceData {
public:
    // `estacaoAtual` is the workstation code known when the module is created (empty at start-up).
    InterfaceData(const QString &serverAddress, const QString &estacaoAtual);
    ~InterfaceData();

    Connection SQLConnection1{QStringLiteral("Interfac")};
    Connection SQLConnection2{QStringLiteral("Interfac2")};

    CachedTable Periodo;
    FreeQuery SQLQuery1;

    QString databaseParameter1() const { return m_param1; }
    QString databaseParameter2() const { return m_param2; }
    QString creationError() const { return m_creationError; }

private:
    void DataModuleCreate(const QString &serverAddress, const QString &estacaoAtual);
    QString m_param1, m_param2, m_creationError;
};

