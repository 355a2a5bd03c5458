#include "data/InterfaceData.h"

#include "data/CentralData.h"
#include "data/LinkSettings.h"
#include "platform/SuitePaths.h"


InterfaceData::InterfaceData(const QString &serverAddress, const QString &estacaoAtual)
    : Periodo(SQLConnection1, QStringLiteral("Periodo"),
              QStringLiteral("select DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO, NPEDIDO, "
                             "NFORMULA, VALORTOTAL, VALORTOTAL2 from PERIODO"),
              {}, CachedTable::WhereMode::AllColumns),
      SQLQuery1(SQLConnection2, QStringLiteral("SQLQuery1"))
{
    for (Connection *c : {&SQLConnection1, &SQLConnection2}) {
        c->setRole(QStringLiteral("RoleName"));
        c->setCharSet(QStringLiteral("win1252"));
        c->setDatabase(SuitePaths::map(QStringLiteral("c:\\praxolin\\interfac\\praxolin.bd")));
    }
    // Read at every opening of an extrato and after every change of its period.
    Periodo.setCommandText(Periodo.commandText(), {}, Connection::Prepare::Keep);
    // The period record is written back after every post: every row tried, then re-read.
    Periodo.afterPost = [this] { Periodo.writeBack(-1); };
    try {
        DataModuleCreate(serverAddress, estacaoAtual);
    } catch (const std::exception &e) {
        m_creationError = QString::fromUtf8(e.what());
    }
}

InterfaceData::~InterfaceData()
{
}

void InterfaceData::DataModuleCreate(const QString &serverAddress, const QString &estacaoAtual)
{
    // The workstation code is still empty at start-up, so both connections end on the shared
    // interface database.
    SQLConnection1.setClientLibrary(clientLibraryFrom(SuitePaths::map(QStringLiteral("c:\\praxolin\\CaminhoGDS.txt"))));
    const QString path1 = QStringLiteral("C:\\praxolin\\interfac") + estacaoAtual + QStringLiteral("\\praxolin.bd");
    const QString path2 = QStringLiteral("C:\\praxolin\\interfac\\praxolin.bd");
    SQLConnection1.close();
    m_param1 = composeDatabaseParameter(serverAddress, path1);
    SQLConnection1.setDatabase(connectionStringFor(serverAddress, path1));
    SQLConnection2.setClientLibrary(QStringLiteral("gds32.dll"));
    SQLConnection2.close();
    m_param2 = composeDatabaseParameter(serverAddress, path2);
    SQLConnection2.setDatabase(connectionStringFor(serverAddress, path2));
    const LinkSettings link = LinkSettings::read(LinkSettings::defaultFile());
    for (Connection *c : {&SQLConnection1, &SQLConnection2}) {
        c->setUnavailable(serverAddressProblem(serverAddress));
        link.applyTo(*c);
    }
}
