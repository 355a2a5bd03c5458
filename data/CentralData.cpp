#include "data/CentralData.h"

#include "data/LinkSettings.h"
#include "platform/SuitePaths.h"
#include "platform/TextLine.h"
#include "platform/WinText.h"

#include <QFile>
#include <QFileInfo>


const QString CentralData::ConveniosCommand = QStringLiteral(
    "select CODIGOCONVENIO, CONVENIO, TIPO, ENDERECO, BAIRRO, CIDADE, ESTADO, CEP, TELEFONE, CONTATO, DESCONTO, "
    "DATAINIPER, VENCIMENTO, VALORAPAGAR, ROTA, CONTROLE, REFERENCIA, OBSERVACAO, E_MAIL, ACRESCPERC, "
    "ENTRA_COMISSAO from CONVENIO order by Convenio");
const QString CentralData::UsuariosCommand = QStringLiteral(
    "select USUARIO, CODIGO, SENHA, ACESSO, ARQUIVO, LOGADO, ESTACAO, CONSIST_INICIAL, DEFVIDEOQUB from USUARIOS "
    "order by USUARIO");
const QString CentralData::EstacoesCommand = QStringLiteral(
    "select ESTACAO, DATBASNAM, TIPO, ATCAIXA, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, CAMINHOOM, CAMINHOECF, "
    "CAMINHOSEQUENCIAL1, CAMINHO2, ROTULO1, ROTULO2, ROTULO3, ROTULO4, ROTULO5, ROTULO6, USUARIO, CNPJ from "
    "ESTACOES order by ESTACAO");
const QString CentralData::PedidosColumns = QStringLiteral(
    "ESTACAO, NPEDIDO, NOME, ENDER1, ENDER2, FONE, MEDICO, ESTACAOCLIENTE, CODIGOCLIENTE, DATAPEDIDO, HORAPEDIDO, "
    "RECEBIDOPOR, ENTREGUEPOR, DATAENTREGA, HORAENTREGA, TIPOPEDIDO, QDEFORMULAS, PRECOFINAL, PRECOTOTAL, "
    "USASUBSTCONTR, CUPOMFISCAL, JANOLIVRO, CRM, OBS1, OBS2, VETF, CONVENIO, DESCPERC, DESCONTO, SINAL, "
    "VALORRESTANTE, VENCIMENTO, PAGO, DATAPAGAMENTO, PRONTO, ENTREGUE, IMPORTADO, REFERENCIA, EMPRESA, MATRICULA, "
    "FORMAPAGAMENTO, CODENTREGA, SITENTREGA, CUSTO, VENDEDOR, CAIXA, CAIXAQ, LABORATORIO, ACRESCPERC, NPED, NCF, "
    "DATA_CONF_ENTREGA, TIPODOCUMENTO, NUMDOCUMENTO, ORGAOEXPEDIDOR, UFEMISSAODOCUMENTO, CONSELHOPROFISSIONAL, "
    "UFCONSELHO, PACIENTE, FONEPACIENTE");
const QString CentralData::PediformColumns = QStringLiteral(
    "ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA, POSOLOGIA, PRECOFORMULA, QDECAPSULAS, QDEROTULOS, TAMROTULO, "
    "VALIDADE, VOLUMETOTAL, UNIDADE, USO, ROTULO, USASUBSTCONTR, LIVRO, CODLIVRO, VOLUME_MIN, VOLUME_MAX, "
    "DESDOBRAMENTO, PRONTO, ENTREGUE, OBSERVACAO, IMPORTADO, PADRAOPRECO, ROTPRONTO, CONFERIDO, DATAPROXPED, "
    "QUANTIDADEDIAS, NOMEFORMULA, OBSDOSAGEM, GRUPOF, QDEGOTASCALC, QDEGOTASSOLIC, CUSTOFORMULA, ODESPE, ODCILI, "
    "ODEIXO, ODADIC, OEESPE, OECILI, OEEIXO, OEADIC, LOTE, FORMULA, PROCED_MANIP, PROCED_MANIP2, "
    "NUMERONOTIFICACAO, DATAPRESCRICAO, USO_SNGPC, QDE_CAPS_PRESCRITA, RESF_TRANSPORTE, LABORATORIO, NUMDAV");
const QString CentralData::ItensColumns = QStringLiteral(
    "ESTACAO, NPEDIDO, CODPROD, GRUPO, DESCRICAO, UNIDADE, CUSTOUNITR, VALUNIT, QDE, VALTOT, DESCPERC, DESCDIN, "
    "VALFINAL, LOJA, USADO, IMPORTADO, ORDEM, DATAPROXPED, QUANTIDADEDIAS, CUSTOT, CONTROLADA, NUMERONOTIFICACAO, "
    "DATAPRESCRICAO, USO, NUMLOTEMEDICAM, FABRICANTE, NSOLICITACAOFP, PRECO_DESC, DESCMAX, DESCPRO, LABORATORIO");
const QString CentralData::CompedidColumns = QStringLiteral(
    "ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, QDE, UNID, VALOR, COMPONENTEDIG, QDEDIG, UNIDDIG, GRUPO, USADO, ORDEM, "
    "TIPOPEDIDO, CONTROLADA, JANOLIVRO, IMPORTADO, VALIDADE, FORMULAPREDEFINIDA, GRUPOF, CODIGOCOMP, QDEGOTASCALC, "
    "QDEGOTASSOLIC, CODIGO, CUSTO, TEMPOMANIP, LOTE, FORNECEDOR, CUSTOFIXO, USAR_FORMPRECO, DCB, REGMSMEDICAM, "
    "QDEESTOQUE, VALIDADELOTE, DENSIDADE, FATORCORRECAO, FATORDILUICAO");

QString clientLibraryFrom(const QString &caminhoGdsFile)
{
    if (!QFileInfo::exists(caminhoGdsFile))
        return QStringLiteral("gds32.dll");
    QFile f(caminhoGdsFile);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Não foi possível ler o arquivo %1: %2")
                                     .arg(caminhoGdsFile, f.errorString())
                                     .toStdString());
    const QString library = clientLibraryFrom(f);
    if (f.error() != QFileDevice::NoError)
        throw std::runtime_error(QStringLiteral("Erro lendo o arquivo %1: %2")
                                     .arg(caminhoGdsFile, f.errorString())
                                     .toStdString());
    return library;
}

QString clientLibraryFrom(QIODevice &in)
{
    QByteArray line;
    readTextLine(in, 100, line);
    QString folder = WinText::decode(line);
    if (folder.isEmpty())
        return QStringLiteral("gds32.dll");
    if (!folder.endsWith(QLatin1Char('\\')) && folder.size() < 100)
        folder += QLatin1Char('\\');
    return folder + QStringLiteral("GDS32.DLL");
}

QString composeDatabaseParameter(const QString &serverAddress, const QString &windowsPath)
{
    return serverAddress + QLatin1Char(':') + windowsPath;
}

QString connectionStringFor(const QString &serverAddress, const QString &windowsPath)
{
    if (serverAddress.trimmed().isEmpty())
        return SuitePaths::mapDatabasePath(windowsPath);
    return serverAddress + QLatin1Char(':') + SuitePaths::mapForServer(windowsPath);
}

QString serverAddressProblem(const QString &serverAddress)
{
    QString shown;
    bool control = false;
    for (const QChar c : serverAddress) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            control = true;
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    if (!control)
        return {};
    return QStringLiteral("O endereço do servidor na linha \"IP DO SERVIDOR CENTRAL\" do arquivo PRAXOLIN.INI tem "
                          "caracteres de controle: \"%1\". Corrija o arquivo e abra o programa de novo.")
        .arg(shown);
}

namespace {
const QString kCentralPath = QStringLiteral("C:\\praxolin\\dados\\praxolin.bd");
}

CentralData::CentralData(const QString &serverAddress)
    : Convenios(SQLConnection1, QStringLiteral("Convenios"), ConveniosCommand, {QStringLiteral("CODIGOCONVENIO")}),
      Usuarios(SQLConnection1, QStringLiteral("Usuarios"), UsuariosCommand, {QStringLiteral("USUARIO")}),
      Estacoes(SQLConnection1, QStringLiteral("Estacoes"), EstacoesCommand, {QStringLiteral("ESTACAO")}),
      FormaPag(SQLConnection1, QStringLiteral("FormaPag"),
               QStringLiteral("select FORMAPAGTO, CODFORMA, TOTALIZADORES, ADM_CONVENIO from FORMAPAG"),
               {QStringLiteral("FORMAPAGTO")}),
      Rotas(SQLConnection1, QStringLiteral("Rotas"), QStringLiteral("select ROTA, MOTOQUEIRO from ROTAS"),
            {QStringLiteral("ROTA")}),
      PEDIDOS(SQLConnection1, QStringLiteral("PEDIDOS"), QStringLiteral("select ") + PedidosColumns + QStringLiteral(" from PEDIDOS"),
              {QStringLiteral("ESTACAO"), QStringLiteral("NPEDIDO")}),
      PEDIFORM(SQLConnection1, QStringLiteral("PEDIFORM"),
               QStringLiteral("select ") + PediformColumns + QStringLiteral(" from PEDIFORM"),
               {QStringLiteral("ESTACAO"), QStringLiteral("NPEDIDO"), QStringLiteral("NFORMULA")}),
      ITENS(SQLConnection1, QStringLiteral("ITENS"), QStringLiteral("select ") + ItensColumns + QStringLiteral(" from ITENS"),
            {QStringLiteral("ESTACAO"), QStringLiteral("NPEDIDO"), QStringLiteral("CODPROD")}),
      COMPEDID(SQLConnection1, QStringLiteral("COMPEDID"),
               QStringLiteral("select ") + CompedidColumns + QStringLiteral(" from COMPEDID"),
               {QStringLiteral("ESTACAO"), QStringLiteral("NPEDIDO"), QStringLiteral("NFORMULA"), QStringLiteral("COMPONENTE")}),
      cds_qryConv(SQLConnection1, QStringLiteral("cds_qryConv"), QStringLiteral("SELECT * FROM CONVENIO ORDER BY CONVENIO"),
                  {QStringLiteral("CODIGOCONVENIO")}),
      SQLQuery1(SQLConnection1, QStringLiteral("SQLQuery1")),
      SQLQuery2(SQLConnection1, QStringLiteral("SQLQuery2"),
                QStringLiteral("Select First 1 CodigoConvenio from Convenio order by CodigoConvenio DESC")),
      SQLQuery3(SQLConnection1, QStringLiteral("SQLQuery3")),
      SQLQuery4(SQLConnection1, QStringLiteral("SQLQuery4")),
      qryConvenios(SQLConnection1, QStringLiteral("qryConvenios"), QStringLiteral("SELECT * FROM CONVENIO ORDER BY CONVENIO")),
      TOTALCONV(SQLConnection1, QStringLiteral("TOTALCONV"), QStringLiteral("select SUM(VALORRESTANTE) TOTAL from PEDIDOS"))
{
    SQLConnection1.setRole(QStringLiteral("RoleName"));
    // Design value, kept when the creation below cannot run to its end.
    SQLConnection1.setDatabase(connectionStringFor(QStringLiteral("127.0.0.1"), QStringLiteral("c:\\praxolin\\Dados\\praxolin.bd")));
    m_databaseParameter = QStringLiteral("127.0.0.1:c:\\praxolin\\Dados\\praxolin.bd");

    // The register is read again after every change written back, and the lists with it: their
    // selects stay prepared.
    for (CachedTable *t : {&Convenios, &Usuarios, &Estacoes, &FormaPag, &Rotas, &cds_qryConv})
        t->setCommandText(t->commandText(), {}, Connection::Prepare::Keep);
    // The write-back of the tables that other code changes.
    Convenios.afterPost = [this] { Convenios.writeBack(0); };
    Convenios.afterDelete = [this] { Convenios.writeBack(0); };
    PEDIDOS.afterPost = [this] { PEDIDOS.writeBack(0); };

    try {
        DataModuleCreate(serverAddress);
    } catch (const std::exception &e) {
        m_creationError = QString::fromUtf8(e.what());
    }
}

CentralData::~CentralData()
{
}

void CentralData::DataModuleCreate(const QString &serverAddress)
{
    // An unreadable CaminhoGDS.txt raises here: the caller reports it, and the connection keeps
    // its declared database path.
    SQLConnection1.setClientLibrary(clientLibraryFrom(SuitePaths::map(QStringLiteral("c:\\praxolin\\CaminhoGDS.txt"))));
    SQLConnection1.close();
    m_databaseParameter = composeDatabaseParameter(serverAddress, kCentralPath);
    SQLConnection1.setDatabase(connectionStringFor(serverAddress, kCentralPath));
    SQLConnection1.setUnavailable(serverAddressProblem(serverAddress));
    LinkSettings::read(LinkSettings::defaultFile()).applyTo(SQLConnection1);
}
