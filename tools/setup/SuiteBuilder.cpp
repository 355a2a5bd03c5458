#include "tools/setup/SuiteBuilder.h"

#include "data/Connection.h"
#include "data/Schema.h"
#include "platform/WinText.h"
#include "tools/setup/ReportFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SuiteBuilder {

QString iniLine(const QString &key48, const QString &value)
{
    return key48 + QLatin1Char(' ') + value;
}

QString iniText(const Options &o)
{
    QStringList lines;
    lines << QStringLiteral("[PRAXOLIN - CONFIGURACAO DO SISTEMA]");
    lines << iniLine(QStringLiteral("IP DO SERVIDOR CENTRAL.........................:"), o.serverAddress);
    lines << iniLine(QStringLiteral("IP DA ESTACAO DO USUARIO.......................:"), QStringLiteral("127.0.0.1"));
    lines << iniLine(QStringLiteral("IP DO BACKUP DO BD LOCAL (BKPPED)..............:"), QString());
    lines << iniLine(QStringLiteral("IP DO BACKUP DO BD CENTRAL.....................:"), QString());
    lines << iniLine(QStringLiteral("COR DE FUNDO DAS TELAS.........................:"), o.corFundoTelas);
    lines << iniLine(QStringLiteral("PERMITIR QUITAR CONVENIOS APENAS NO CAIXA......:"), o.quitarSoNoCaixa);
    lines << iniLine(QStringLiteral("LOG DE ATIVIDADES..............................:"), QStringLiteral("NAO"));
    lines << iniLine(QStringLiteral("CAMINHO DO BACKUP MANUAL DO BD DO SISTEMA......:"), QStringLiteral("C:\\PRAXOLIN\\BACKUP"));
    lines << iniLine(QStringLiteral("PADRAO PRECO MINIMO............................:"), QStringLiteral("SIM"));
    lines << iniLine(QStringLiteral("MODELO DA REQUISICAO...........................:"), QStringLiteral("1"));
    lines << iniLine(QStringLiteral("ATENDENTE OBRIGATORIO..........................:"), QStringLiteral("SIM"));
    lines << iniLine(QStringLiteral("MOSTRAR CONVENIO NA REQUISICAO.................:"), QStringLiteral("SIM"));
    lines << iniLine(QStringLiteral("ARREDONDAMENTO DO PRECO (1, 5, 10, 50, 100)....:"), QStringLiteral("5"));
    lines << iniLine(QStringLiteral("FORMA DE PAGAMENTO OBRIGATORIA.................:"), QStringLiteral("NAO"));
    lines << iniLine(QStringLiteral("NOME DO CONVENIO PADRAO........................:"), QString());
    lines << iniLine(QStringLiteral("TEXTO DO CAMPO DE CONVENIO.....................:"), QStringLiteral("Convênio"));
    lines << iniLine(QStringLiteral("TEMPO PARA LOGOFF AUTOMATICO...................:"), QStringLiteral("0"));
    lines << iniLine(QStringLiteral("UTILIZA CREDIARIO..............................:"), QStringLiteral("NAO"));
    lines << iniLine(QStringLiteral("QDE PADRAO DE DIAS PARA PESQUISA DE PEDIDOS....:"), QStringLiteral("30"));
    lines << iniLine(QStringLiteral("DAV/ECF ATIVO..................................:"), QStringLiteral("NAO"));
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QStringList oldSuiteIndexes()
{
    return {
        // Serve the module as they are: same table, same leading columns.
        QStringLiteral("CREATE INDEX CONVENIO_NOME ON CONVENIO (CONVENIO)"),
        QStringLiteral("CREATE INDEX MOVCAIXA_PEDIDO_DATA ON MOVCAIXA (NPEDIDO, DATAMOV)"),
        QStringLiteral("CREATE INDEX CONTASPR_PEDIDO_NATUREZA ON CONTASPR (CODIGOPEDIDO, NATUREZA)"),
        // The suite's own lookups, of no use to the module's queries.
        QStringLiteral("CREATE INDEX PEDIDOS_DATA ON PEDIDOS (DATAPEDIDO)"),
        QStringLiteral("CREATE INDEX PEDIDOS_NOME ON PEDIDOS (NOME)"),
        QStringLiteral("CREATE INDEX MOVCAIXA_DATA ON MOVCAIXA (DATAMOV, CAIXA)"),
    };
}

QString centralDatabasePath(const QString &root) { return root + QStringLiteral("/dados/praxolin.bd"); }
QString interfaceDatabasePath(const QString &root) { return root + QStringLiteral("/interfac/praxolin.bd"); }

void createEmptySuite(const QString &root, const Options &options)
{
    QDir dir(root);
    const bool exists = QFileInfo::exists(dir.filePath(QStringLiteral("PRAXOLIN.INI"))) ||
                        QFileInfo::exists(centralDatabasePath(root)) || QFileInfo::exists(interfaceDatabasePath(root));
    if (exists && !options.overwrite)
        throw std::runtime_error(
            QStringLiteral("Já existe uma suíte em %1; use --force para substituí-la.").arg(root).toStdString());
    for (const QString &sub : {QStringLiteral("dados"), QStringLiteral("interfac"), QStringLiteral("RPT")})
        if (!dir.mkpath(sub))
            throw std::runtime_error(QStringLiteral("Não foi possível criar %1/%2").arg(root, sub).toStdString());
    QFile::remove(centralDatabasePath(root));
    QFile::remove(interfaceDatabasePath(root));

    QFile ini(dir.filePath(QStringLiteral("PRAXOLIN.INI")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(QStringLiteral("Cannot write %1").arg(ini.fileName()).toStdString());
    ini.write(WinText::encode(iniText(options)));
    ini.close();

    Connection central(QStringLiteral("setup-central"));
    central.setDatabase(centralDatabasePath(root));
    Connection iface(QStringLiteral("setup-interface"));
    iface.setDatabase(interfaceDatabasePath(root));
    if (options.oldStyle) {
        central.createDatabase(8192, QStringLiteral("NONE"));
        Schema::apply(central, Schema::centralScript());
        for (const QString &sql : oldSuiteIndexes())
            central.execute(sql);
        iface.createDatabase(8192, QStringLiteral("NONE"));
        Schema::apply(iface, Schema::interfaceScript());
    } else {
        Schema::createCentral(central);
        Schema::createInterface(iface);
    }
    central.close();
    iface.close();

    writeReportProject(root);
}

}
