#include "session/Configuracao.h"

#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/SuitePaths.h"
#include "platform/WinText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>


namespace {

const QString kChaveServidor = QStringLiteral("IP DO SERVIDOR CENTRAL.........................:");
const QString kChaveCor = QStringLiteral("COR DE FUNDO DAS TELAS.........................:");
const QString kChaveQuitar = QStringLiteral("PERMITIR QUITAR CONVENIOS APENAS NO CAIXA......:");
const QString kChaveCaminhoBackup = QStringLiteral("CAMINHO DO BACKUP MANUAL DO BD DO SISTEMA......:");

const QString kNomeArquivo = QStringLiteral("PRAXOLIN.INI");

// A line's label is its first 48 characters; its raw value is characters 50 to 109.
constexpr int kTamanhoChave = 48;
constexpr int kInicioValor = 49;   // zero-based: character 49 (the one after the colon) is skipped
constexpr int kTamanhoValor = 60;
constexpr int kTamanhoUtil = kInicioValor + kTamanhoValor;   // nothing after this reaches any value

const QHash<QString, int> &larguras()
{
    static const QHash<QString, int> tabela = [] {
        QHash<QString, int> t;
        for (const QString &chave : chavesReconhecidas())
            t.insert(chave, 30);
        t.insert(kChaveServidor, 60);
        t.insert(kChaveCor, -1);
        t.insert(QStringLiteral("IP DA ESTACAO DO USUARIO.......................:"), 40);
        t.insert(QStringLiteral("IP DO BACKUP DO BD LOCAL (BKPPED)..............:"), 40);
        t.insert(QStringLiteral("IP DO BACKUP DO BD CENTRAL.....................:"), 40);
        t.insert(QStringLiteral("LOG DE ATIVIDADES..............................:"), 3);
        t.insert(kChaveCaminhoBackup, -1);
        return t;
    }();
    return tabela;
}

// Removes leading and trailing spaces; tabs and every other character stay.
QString tiraEspacos(const QString &texto)
{
    qsizetype inicio = 0;
    qsizetype fim = texto.size();
    while (inicio < fim && texto[inicio] == QLatin1Char(' '))
        ++inicio;
    while (fim > inicio && texto[fim - 1] == QLatin1Char(' '))
        --fim;
    return texto.mid(inicio, fim - inicio);
}

QString mostraValor(const QString &valor) { return QLatin1Char('\'') + valor + QLatin1Char('\''); }

void reinicia(TConfiguracao &config)
{
    const QString pasta = config.PastaPrograma;
    config = TConfiguracao{};
    config.PastaPrograma = pasta;
}

// Stores one line. Returns false, with the message in `erro`, when the line stops the load.
bool trataLinha(const QByteArray &bytes, int numero, TConfiguracao &config, QString &erro)
{
    // Windows-1252 is one byte per character, so byte and character columns agree.
    const QString linha = WinText::decode(bytes);
    if (linha.size() < kTamanhoChave)
        return true;
    const QString chave = linha.left(kTamanhoChave);
    const auto it = larguras().constFind(chave);
    if (it == larguras().constEnd())
        return true;
    const QString valor = tiraEspacos(linha.mid(kInicioValor, kTamanhoValor));

    if (chave == kChaveCor) {
        qint32 cor = 0;
        if (!converteCor(valor, cor)) {
            erro = QStringLiteral("%1 não é um valor válido para a cor de fundo das telas (arquivo %2, linha %3).")
                       .arg(mostraValor(valor), kNomeArquivo)
                       .arg(numero);
            return false;
        }
        config.CorFundoTelas = cor;
        config.valores.insert(chave, QString::number(cor));
        return true;
    }

    const int largura = it.value();
    const QString guardado = largura < 0 ? valor : valor.left(largura);
    config.valores.insert(chave, guardado);
    if (chave == kChaveServidor)
        config.IpServidorCentral = guardado;
    else if (chave == kChaveQuitar)
        config.QuitarSoNoCaixa = guardado;
    return true;
}

// Finds the file in `pasta`: the name as the suite writes it, else (where names are case-sensitive)
// an entry whose name differs only in case. Empty when there is none.
QString localizaArquivo(const QString &pasta)
{
    const QString caminho = pasta + kNomeArquivo;
    if (QFileInfo::exists(caminho))
        return caminho;
#ifndef Q_OS_WIN
    const QStringList nomes = QDir(pasta).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &nome : nomes)
        if (nome.compare(kNomeArquivo, Qt::CaseInsensitive) == 0)
            return pasta + nome;
#endif
    return {};
}

}

bool TConfiguracao::quitarSoNoCaixa() const
{
    return !QuitarSoNoCaixa.isEmpty() && WinText::upperAscii(QuitarSoNoCaixa.left(1)) == QLatin1String("S");
}

const QStringList &chavesReconhecidas()
{
    static const QStringList chaves = {
    QStringLiteral("IP DO SERVIDOR CENTRAL.........................:"),
    QStringLiteral("COR DE FUNDO DAS TELAS.........................:"),
    QStringLiteral("PERMITIR QUITAR CONVENIOS APENAS NO CAIXA......:"),
    QStringLiteral("IP DA ESTACAO DO USUARIO.......................:"),
    QStringLiteral("IP DO BACKUP DO BD LOCAL (BKPPED)..............:"),
    QStringLiteral("IP DO BACKUP DO BD CENTRAL.....................:"),
    QStringLiteral("LOG DE ATIVIDADES..............................:"),
    QStringLiteral("CAMINHO DO BACKUP MANUAL DO BD DO SISTEMA......:"),
    QStringLiteral("TIT.COL 4 F.FARMACEUTICA..(Preco Min./% Lucro).:"),
    QStringLiteral("PADRAO PRECO MINIMO............................:"),
    QStringLiteral("BOTAO MANIPULACAO EM ABERTO/EFETUADA...........:"),
    QStringLiteral("MODELO DA REQUISICAO...........................:"),
    QStringLiteral("USAR F.C. NO PRECO DE VENDA....................:"),
    QStringLiteral("ATENDENTE OBRIGATORIO..........................:"),
    QStringLiteral("MOSTRAR PRESCRICAO COMPLETA NA REQUISICAO......:"),
    QStringLiteral("MOSTRAR DESCONTO NA REQUISICAO.................:"),
    QStringLiteral("USAR PRECO PADRAO DAS FORMULAS PREDEFINIDAS....:"),
    QStringLiteral("LAGURA DA REQUISICAO (QDE TRACOS)..............:"),
    QStringLiteral("MOSTRAR CONVENIO NA REQUISICAO.................:"),
    QStringLiteral("SALTO FINAL APOS IMPRESSAO DA REQUISICAO.......:"),
    QStringLiteral("LOG ATIVADO....................................:"),
    QStringLiteral("USAR PRECO MINIMO POR FRASCO...................:"),
    QStringLiteral("ARREDONDAMENTO DO PRECO (1, 5, 10, 50, 100)....:"),
    QStringLiteral("MARGEM ESQUERDA DA REQUISICAO..................:"),
    QStringLiteral("MOSTRAR POSOLOGIA NA REQUISICAO................:"),
    QStringLiteral("LARGURA DA OM (QDE TRACOS).....................:"),
    QStringLiteral("MARGEM ESQUERDA DA OM..........................:"),
    QStringLiteral("EMBALAGEM OBRIGATORIA..........................:"),
    QStringLiteral("MOSTRAR VALIDADE NA REQUISICAO.................:"),
    QStringLiteral("FORMATA NOME DO CLIENTE........................:"),
    QStringLiteral("MOSTRAR ENDERECO NA REQUISICAO.................:"),
    QStringLiteral("REQUISICAO EM 1 OU 2 VIAS......................:"),
    QStringLiteral("ALERTAR QUANDO VALIDADE MENOR QUE N (DIAS).....:"),
    QStringLiteral("FORMA DE PAGAMENTO OBRIGATORIA.................:"),
    QStringLiteral("INCLUIR OBSERVACAO NA REQUISICAO...............:"),
    QStringLiteral("QDE DIAS PARA ENTREGA APOS SEXTA FEIRA.........:"),
    QStringLiteral("QDE DIAS PARA ENTREGA APOS SEG A QUI...........:"),
    QStringLiteral("USAR HOMEOPATIA E FLORAIS......................:"),
    QStringLiteral("QDE GOTAS POR ML DO CONTA-GOTAS................:"),
    QStringLiteral("CALCULAR PRECOS HOMEOPATIA PELA QDE DE GOTAS...:"),
    QStringLiteral("HABILITAR BOTAO \"REPETIR PEDIDO\"...............:"),
    QStringLiteral("PARA O PRODUTO MANIPULADO, USAR A VALIDADE.....:"),
    QStringLiteral("USAR NOME FORMULA PRE-DEFIN NA REQ E NO ROTULO.:"),
    QStringLiteral("UNID USADA P/ COMPRIM E GLOBULOS NA HOMEOPATIA.:"),
    QStringLiteral("MOSTRAR MATRICULA NA REQUISICAO................:"),
    QStringLiteral("FORMATO DA VALIDADE DA FORMULA.................:"),
    QStringLiteral("VALOR DA HORA DE MANIPULACAO...................:"),
    QStringLiteral("ROTULO DADO AO CAMPO DE CUSTO DA FORMULA.......:"),
    QStringLiteral("BLOQUEIO DA ALTERACAO DO PEDIDO APOS IMPRESSAO.:"),
    QStringLiteral("IMPRESSAO OBRIGATORIA DA REQUISICAO............:"),
    QStringLiteral("MODELO ALTERNATIVO DE REQUISICAO...............:"),
    QStringLiteral("IMPRIMIR NA REQ. CABECALHO PORTARIA 3492 ART.68:"),
    QStringLiteral("ATUALIZAR DATAS SE FOR ALTER. O TIPO DO PEDIDO.:"),
    QStringLiteral("TEXTO PADRAO DA POSOLOGIA......................:"),
    QStringLiteral("MOSTRAR CAMPO DE CODIGO DE ENTREGA.............:"),
    QStringLiteral("PERMITIR PRODUTO DE REVENDA NA FORMULA.........:"),
    QStringLiteral("MOSTRAR CAMPOS DO CAIXA NA TELA DE PEDIDOS.....:"),
    QStringLiteral("COR PADRAO DAS CAPSULAS........................:"),
    QStringLiteral("TEXTO DO CAMPO DE CONVENIO.....................:"),
    QStringLiteral("VISUALIZAR SITUACOES ESPECIAIS DOS COMPONENTES.:"),
    QStringLiteral("LABORATORIO PADRAO.............................:"),
    QStringLiteral("POSOLOGIA OBRIGATORIA..........................:"),
    QStringLiteral("NOME DO CONVENIO PADRAO........................:"),
    QStringLiteral("USAR FAT. DILUICAO NO CALC. DO PRECO DE VENDA..:"),
    QStringLiteral("OBRIGA ESPECIFICAR ROTA NAS ENTREGAS EM DOMIC..:"),
    QStringLiteral("INCLUIR DADOS CLIENTE NA REQ. (ENTR. DOMICILIO):"),
    QStringLiteral("PERMITE FORMULA HOM SEM ESTOQUE DINAM INFERIOR.:"),
    QStringLiteral("ATIVAR MODO DE IMPLANTACAO DO SISTEMA..........:"),
    QStringLiteral("IMPEDE DIGITACAO DO NOME DO ATENDENTE..........:"),
    QStringLiteral("TEMPO PARA LOGOFF AUTOMATICO...................:"),
    QStringLiteral("USAR REDUCAO FRASCOS PARA DOSE UNICA.(QDEDU)...:"),
    QStringLiteral("EXIBIR BOTAO PLACEBO NA TELA DE HOMEOPATIA.....:"),
    QStringLiteral("LIMITE DE REG MANTIDOS PARA QUIT AUTOMATICA....:"),
    QStringLiteral("UTILIZAR TABELA DE ACRESCIMOS DA HOMEOPATIA....:"),
    QStringLiteral("CALCULAR PRECOS FLORAIS COM BASE NA............:"),
    QStringLiteral("PRECOS HOM COM ASSOCIACOES COM BASE............:"),
    QStringLiteral("COR DAS MENSAGENS DOS COMPONENTES..............:"),
    QStringLiteral("COR USADA NAS MENSAGEM DE SITUACOES ESPECIAIS..:"),
    QStringLiteral("INCLUIR EXCIPIENTES E VEICULOS NOS ROTULOS.....:"),
    QStringLiteral("MOSTRAR PRECO NA OM E NA REQUISICAO............:"),
    QStringLiteral("INCLUIR TEXTO \"PEDIDO\" OU \"ORCAM\" NA REQUISICAO:"),
    QStringLiteral("MASCARA P/ FORMATACAO DO N.PEDIDO NA REQUISICAO:"),
    QStringLiteral("OCULTAR BOTAO \"INSERIR\" NA PESQUISA DE MEDICO..:"),
    QStringLiteral("REPETIR MESMA OBS DA FORMULA AO REPETIR PEDIDO.:"),
    QStringLiteral("IMPEDIR A REIMPRESSAO DA REQUISICAO............:"),
    QStringLiteral("FORMA DE INCLUSAO DA EMBALAGEM DA FORMULA......:"),
    QStringLiteral("PREENCHIMENTO OBRIGATORIO DOS DADOS DO SNGPC...:"),
    QStringLiteral("ECF UTILIZADO..................................:"),
    QStringLiteral("MOSTRAR OS EXCIPIENTES IDENTIFICADOS NA FORMULA:"),
    QStringLiteral("DEFINIR O EXCIPIENTE PELA DOSAGEM..............:"),
    QStringLiteral("VALOR DESC. P/ FLORAIS COM APENAS UMA ESSENCIA.:"),
    QStringLiteral("VAL DESC P/ FLORAIS C/ NO MAXIMO 20% DE BRANDY.:"),
    QStringLiteral("MOSTRAR CAMPO DE SINAL NA TELA DE PEDIDOS......:"),
    QStringLiteral("MOSTRAR NUM. DOCUMENTO DO CLIENTE NA REQUISICAO:"),
    QStringLiteral("OBRIGATORIO NOME/TELEFONE DO CLIENTE NO PEDIDO.:"),
    QStringLiteral("CONSERVANTE ADICION. NAS EMBALAGENS DE CAPSULAS:"),
    QStringLiteral("CAMINHO ARQ TEXTO PARA ECF CHART...............:"),
    QStringLiteral("CAMINHO ARQ TEXTO PARA ECF ATS.................:"),
    QStringLiteral("IP COMPUTADOR QUE GERA COD.SEQ. PARA ECF ATS...:"),
    QStringLiteral("IP COMPUT. QUE GERA COD.SEQ. P/ ECF SOFTPHARMA.:"),
    QStringLiteral("SUBST PR.TOT P/ PR.C/.DESC QDO DESC FOR NEGAT..:"),
    QStringLiteral("VERSAO DO ECF CHART............................:"),
    QStringLiteral("DAV/ECF ATIVO..................................:"),
    QStringLiteral("LIMITE DA QUANTIDADE DIARIA DE FORMULAS........:"),
    QStringLiteral("ORDENAR LIVRO RECEIT. PELO COD. LIVRO..........:"),
    QStringLiteral("QDE PADRAO DE DIAS PARA PESQUISA DE PEDIDOS....:"),
    QStringLiteral("TIPO DE IMPRESSORA DA REQUISICAO...............:"),
    QStringLiteral("DEFINIR EXCIPIENTE PELA PRIORIDADE.............:"),
    QStringLiteral("UTILIZA CREDIARIO..............................:"),
    QStringLiteral("INCLUIR TAXA ENTREGA NO DAV DA ATS.............:"),
    QStringLiteral("OBRIGATORIO INFORMAR PRAZO DURACAO DA FORMULA..:"),
    QStringLiteral("MOSTRAR OBS SOBRE DOSAGEM FORA DA FAIXA NO OM..:"),
    QStringLiteral("ALTURA DA PAGINA DA OM.........................:"),
    QStringLiteral("MARGEM SUPERIOR DA OM..........................:"),
    QStringLiteral("SALTO FINAL APOS IMPRESSAO DA OM...............:"),
    QStringLiteral("MODELO DA OM...................................:"),
    QStringLiteral("FECHAR CAIXA DE DIALOGO APOS IMPRESSAO DA OM...:"),
    QStringLiteral("EM CASO DE DESDOBR, QDE CAPS A INFORMA NA OM...:"),
    QStringLiteral("MOSTRAR NOME DA FORMULA PREDEFINIDA NA OM......:"),
    QStringLiteral("MOSTRAR FICHA TECNICA DO MEDICAMENTO NA OM.....:"),
    QStringLiteral("MOSTRAR O CONVENIO NA OM.......................:"),
    QStringLiteral("MOSTRAR INFORM. MEDICAS DO PACIENTE NA OM......:"),
    QStringLiteral("CONVERTER A UNIDADE ML PARA G NA OM............:"),
    QStringLiteral("MOSTRAR DENSIDADE DO COMPONENTE NA OM..........:"),
    QStringLiteral("DESTACA OBS NA OM..............................:"),
    QStringLiteral("GERA/MOSTRA NA OM LOTES P/ FORM FEITAS EM CONJ.:"),
    QStringLiteral("IMPRIME UM TRACO HORIZONTAL NO FINAL DA OM.....:"),
    QStringLiteral("DEIXA ESPACO P/ PREENCH MAN. DE EXCIP E VEICULO:"),
    QStringLiteral("UTILIZA PARAM DE CONTROLE DE QUALIDADE NA OM...:"),
    QStringLiteral("DETALHAR EXCIPIENTE DA FORMULA NA OM...........:"),
    QStringLiteral("TEXTO REFERENTE A QUANTIDADE REAL A SER PESADA.:"),
    QStringLiteral("VOLUME TOTAL DA FORMULA A SER MOSTRADO NA OM...:"),
    };
    return chaves;
}

int larguraDaChave(const QString &key) { return larguras().value(key, 0); }

bool converteCor(const QString &text, qint32 &value)
{
    if (text.isEmpty())
        return false;
    if (text[0] == QLatin1Char('$')) {
        if (text.size() == 1)
            return false;
        quint64 acumulado = 0;
        for (qsizetype i = 1; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            int digito;
            if (c >= u'0' && c <= u'9')
                digito = c - u'0';
            else if (c >= u'A' && c <= u'F')
                digito = c - u'A' + 10;
            else if (c >= u'a' && c <= u'f')
                digito = c - u'a' + 10;
            else
                return false;
            acumulado = acumulado * 16 + quint64(digito);
            if (acumulado > 0xFFFFFFFFull)
                return false;
        }
        // Eight hexadecimal digits are the 32 bits as they are: "$FF000005" is a negative number.
        value = qint32(quint32(acumulado));
        return true;
    }
    qsizetype i = 0;
    const bool negativo = text[0] == QLatin1Char('-');
    if (negativo || text[0] == QLatin1Char('+'))
        ++i;
    if (i == text.size())
        return false;
    const quint64 limite = negativo ? 2147483648ull : 2147483647ull;
    quint64 acumulado = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        acumulado = acumulado * 10 + quint64(c - u'0');
        if (acumulado > limite)
            return false;
    }
    value = negativo ? qint32(-qint64(acumulado)) : qint32(acumulado);
    return true;
}

ResultadoCarga leConfiguracao(QIODevice &in, TConfiguracao &config)
{
    ResultadoCarga resultado;
    reinicia(config);

    // Lines end at CR LF, at LF alone or at CR alone, as a Windows text reader sees them; the last
    // line needs no end. Only the first characters of a line can reach a value, so no more of a
    // line is kept, however long it is.
    QByteArray linha;
    bool haLinha = false;       // a line has begun and not yet ended
    bool depoisDeCr = false;    // the previous byte was a CR: an LF right after it ends nothing
    int numero = 0;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    char *const bloco = buffer.data();
    for (;;) {
        const qint64 lidos = in.read(bloco, buffer.size());
        if (lidos < 0) {
            resultado.erro = QStringLiteral("Erro ao ler o arquivo %1 depois da linha %2: %3")
                                 .arg(kNomeArquivo)
                                 .arg(numero)
                                 .arg(in.errorString());
            return resultado;
        }
        if (lidos == 0)
            break;
        for (qint64 i = 0; i < lidos; ++i) {
            const char c = bloco[i];
            if (depoisDeCr) {
                depoisDeCr = false;
                if (c == '\n')
                    continue;
            }
            if (c == '\r' || c == '\n') {
                ++numero;
                if (!trataLinha(linha, numero, config, resultado.erro))
                    return resultado;
                linha.clear();
                haLinha = false;
                depoisDeCr = c == '\r';
                continue;
            }
            haLinha = true;
            if (linha.size() < kTamanhoUtil)
                linha.append(c);
        }
    }
    if (haLinha)
        trataLinha(linha, numero + 1, config, resultado.erro);
    return resultado;
}

ResultadoCarga carregaArquivoConfiguracao(const QString &iniPath, TConfiguracao &config)
{
    reinicia(config);
    ResultadoCarga resultado;
    if (!QFileInfo::exists(iniPath)) {
        resultado.arquivoEncontrado = false;
        return resultado;
    }
    QFile arquivo(iniPath);
    if (!arquivo.open(QIODevice::ReadOnly)) {
        resultado.erro = QStringLiteral("Não foi possível abrir o arquivo %1: %2")
                             .arg(QDir::toNativeSeparators(iniPath), arquivo.errorString());
        return resultado;
    }
    return leConfiguracao(arquivo, config);
}

bool CarregaConfiguracao(TConfiguracao &config)
{
    config = TConfiguracao{};
    config.PastaPrograma = SuitePaths::programFolder();
    const QString caminho = localizaArquivo(config.PastaPrograma);
    const ResultadoCarga resultado =
        caminho.isEmpty() ? ResultadoCarga{false, {}} : carregaArquivoConfiguracao(caminho, config);
    if (!resultado.arquivoEncontrado) {
        Messages::show(QStringLiteral("Arquivo PRAXOLIN.INI não encontrado. Execute o programa Initora.exe para criá-lo."));
        return false;
    }
    if (!resultado.erro.isEmpty())
        ErrorReporter::report(resultado.erro);
    return true;
}
