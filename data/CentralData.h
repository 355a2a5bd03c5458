#pragma once
#include "data/CachedTable.h"
#include "data/Connection.h"
#include "data/FreeQuery.h"

#include <memory>

class QIODevice;

// The client library the suite loads, from the first line of CaminhoGDS.txt: that folder (a
// backslash added when missing, while the folder stays within 100 characters) and "GDS32.DLL";
// "gds32.dll" when the file is missing or its first line is empty. An unreadable file raises.
QString clientLibraryFrom(const QString &caminhoGdsFile);
// The same from the file's bytes on an open device (the file, or a test's stand-in for it).
QString clientLibraryFrom(QIODevice &in);

// The database parameter as the suite composes it ("<address>:C:\praxolin\dados\praxolin.bd") and
// the connection string that reaches it here: the mapped local file through the embedded engine when
// the address is empty, the server's path over TCP otherwise.
QString composeDatabaseParameter(const QString &serverAddress, const QString &windowsPath);
QString connectionStringFor(const QString &serverAddress, const QString &windowsPath);
// Why the configured server address cannot name any server (a control character, such as a NUL
// byte, in the configuration file); empty when it can.
QString serverAddressProblem(const QString &serverAddress);

// The central data module: the one connection to the suite's central database and every cached
// table and query object through which the windows read and write it.
class CentralData {
public:
    explicit CentralData(const QString &serverAddress);
    ~CentralData();

    Connection SQLConnection1{QStringLiteral("QUBDADOS")};

    // Cached tables of the register, login and workstation check.
    CachedTable Convenios;
    CachedTable Usuarios;
    CachedTable Estacoes;
    CachedTable FormaPag;
    CachedTable Rotas;
    // Order tables of the statement.
    CachedTable PEDIDOS;
    CachedTable PEDIFORM;
    CachedTable ITENS;
    CachedTable COMPEDID;
    // Read-only cached copy of the convênio list behind the closing list.
    CachedTable cds_qryConv;

    FreeQuery SQLQuery1;
    FreeQuery SQLQuery2;
    FreeQuery SQLQuery3;
    FreeQuery SQLQuery4;
    FreeQuery qryConvenios;
    FreeQuery TOTALCONV;

    QString databaseParameter() const { return m_databaseParameter; }
    // The failure that stopped the creation (an unreadable CaminhoGDS.txt), for the program to report.
    QString creationError() const { return m_creationError; }

    static const QString ConveniosCommand;
    static const QString UsuariosCommand;
    static const QString EstacoesCommand;
    static const QString PedidosColumns;
    static const QString PediformColumns;
    static const QString ItensColumns;
    static const QString CompedidColumns;

private:
    void DataModuleCreate(const QString &serverAddress);
    QString m_databaseParameter;
    QString m_creationError;
};

