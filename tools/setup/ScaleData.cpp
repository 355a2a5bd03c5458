#include "tools/setup/ScaleData.h"

#include "tools/setup/DemoNames.h"
#include "data/CodificaSenha.h"
#include "data/SqlText.h"
#include "platform/WinText.h"
#include "tools/setup/DemoData.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTime>
#include <firebird/Interface.h>

#include <stdexcept>

namespace ScaleData {

namespace {

using DemoNames::kClientes;
using DemoNames::kLaboratorios;
using DemoNames::kMedicos;
using DemoNames::kVendedores;

// ---------------------------------------------------------------------------------------------
// Word lists the generated rows draw from

const QStringList kEmpresas = {
    QStringLiteral("Metalúrgica"),  QStringLiteral("Construtora"),  QStringLiteral("Transportadora"),
    QStringLiteral("Padaria"),      QStringLiteral("Supermercado"), QStringLiteral("Clínica"),
    QStringLiteral("Associação"),   QStringLiteral("Cooperativa"),  QStringLiteral("Escola"),
    QStringLiteral("Hospital"),     QStringLiteral("Drogaria"),     QStringLiteral("Indústria"),
    QStringLiteral("Laboratório"),  QStringLiteral("Prefeitura de"), QStringLiteral("Sindicato"),
    QStringLiteral("Auto Posto"),   QStringLiteral("Hotel"),        QStringLiteral("Colégio"),
    QStringLiteral("Academia"),     QStringLiteral("Cartório"),
};
const QStringList kNomes = {
    QStringLiteral("Horizonte"),  QStringLiteral("São José"),   QStringLiteral("D'Ouro"),     QStringLiteral("Ébano"),
    QStringLiteral("Araújo"),     QStringLiteral("Conceição"),  QStringLiteral("Paraná"),     QStringLiteral("Ângelo"),
    QStringLiteral("Boa Vista"),  QStringLiteral("Santa Fé"),   QStringLiteral("Três Irmãos"), QStringLiteral("Guaíra"),
    QStringLiteral("Iguaçu"),     QStringLiteral("Aurora"),     QStringLiteral("Bandeirantes"), QStringLiteral("Palmital"),
    QStringLiteral("Cruzeiro"),   QStringLiteral("Sant'Ana"),   QStringLiteral("Vitória"),    QStringLiteral("Primavera"),
    QStringLiteral("Itaipu"),     QStringLiteral("Nova Era"),   QStringLiteral("Pôr do Sol"), QStringLiteral("Monte Alegre"),
    QStringLiteral("Água Verde"),
};
const QStringList kFormasJuridicas = {QStringLiteral("Ltda"), QStringLiteral("S.A."), QStringLiteral("ME"),
                                      QStringLiteral("& Cia")};
const QStringList kCategorias = {QStringLiteral("Desc Folha"), QStringLiteral("Drogaria"), QStringLiteral("Empresa"),
                                 QStringLiteral("Particular"), QStringLiteral("Funcionários")};
const QStringList kFormasPag = {QStringLiteral("Dinheiro"), QStringLiteral("Cartão"), QStringLiteral("Convênio"),
                                QStringLiteral("Cheque"), QStringLiteral("Pix")};
const QStringList kRotas = {QStringLiteral("Centro"), QStringLiteral("Zona Norte"), QStringLiteral("Zona Sul"),
                            QStringLiteral("Bairro Alto"), QStringLiteral("Retirada na Loja")};
const QStringList kCidades = {QStringLiteral("Curitiba"), QStringLiteral("São José dos Pinhais"),
                              QStringLiteral("Colombo"), QStringLiteral("Araucária"), QStringLiteral("Pinhais")};

const QStringList kProdutos = {
    QStringLiteral("Dipirona Sódica 500mg 10 comprimidos"), QStringLiteral("Protetor Solar FPS 50 120ml"),
    QStringLiteral("Soro Fisiológico 0,9% 500ml"),          QStringLiteral("Termômetro Clínico Digital"),
    QStringLiteral("Sabonete Líquido Íntimo 200ml"),        QStringLiteral("Vitamina C Efervescente 1g"),
    QStringLiteral("Álcool em Gel 70% 500g"),               QStringLiteral("Gaze Estéril 7,5x7,5cm 10 unidades"),
    QStringLiteral("Colágeno Hidrolisado em Pó 300g"),      QStringLiteral("Água Micelar 200ml"),
    QStringLiteral("Esparadrapo Impermeável 10cm x 4,5m"),  QStringLiteral("Ômega 3 1000mg 60 cápsulas"),
    QStringLiteral("Hidratante Corporal Ureia 10% 200g"),   QStringLiteral("Fralda Geriátrica G 8 unidades"),
    QStringLiteral("Shampoo Anticaspa 200ml"),              QStringLiteral("Curativo Adesivo 40 unidades"),
};
const QStringList kUnidadesProduto = {QStringLiteral("CX"), QStringLiteral("FR"), QStringLiteral("UN"),
                                      QStringLiteral("TB"), QStringLiteral("PC")};
const QStringList kComponentes = {
    QStringLiteral("Cafeína"),          QStringLiteral("Melatonina"),       QStringLiteral("Vitamina D3"),
    QStringLiteral("Ômega 3"),          QStringLiteral("Coenzima Q10"),     QStringLiteral("Biotina"),
    QStringLiteral("Ácido Fólico"),     QStringLiteral("Magnésio Dimalato"), QStringLiteral("Picolinato de Cromo"),
    QStringLiteral("Vitamina B12"),     QStringLiteral("Citrato de Zinco"), QStringLiteral("Cúrcuma Longa"),
    QStringLiteral("Ácido Hialurônico"), QStringLiteral("Ureia"),           QStringLiteral("Minoxidil"),
    QStringLiteral("Vitamina C"),       QStringLiteral("D-Pantenol"),       QStringLiteral("Niacinamida"),
    QStringLiteral("Alantoína"),        QStringLiteral("Óleo de Rosa Mosqueta"), QStringLiteral("Cetoconazol"),
    QStringLiteral("Ácido Glicólico"),  QStringLiteral("Excipiente q.s.p."), QStringLiteral("Base Creme Lanette"),
};
const QStringList kUnidadesComp = {QStringLiteral("MG"), QStringLiteral("MCG"), QStringLiteral("UI"),
                                   QStringLiteral("%"), QStringLiteral("G")};
const QStringList kFormasFarma = {QStringLiteral("Cápsulas"), QStringLiteral("Sachês"), QStringLiteral("Solução Oral"),
                                  QStringLiteral("Creme"), QStringLiteral("Loção"), QStringLiteral("Gel")};
const QStringList kUnidadesForma = {QStringLiteral("CAP"), QStringLiteral("SAC"), QStringLiteral("ML"),
                                    QStringLiteral("G"), QStringLiteral("ML"), QStringLiteral("G")};
const QStringList kPosologias = {QStringLiteral("Tomar 1 cápsula ao dia, após o café da manhã."),
                                 QStringLiteral("Diluir 1 sachê em 200ml de água, 1 vez ao dia."),
                                 QStringLiteral("Tomar 10 gotas à noite."),
                                 QStringLiteral("Aplicar nas áreas afetadas 2 vezes ao dia."),
                                 QStringLiteral("Aplicar no couro cabeludo à noite."),
                                 QStringLiteral("Aplicar uma fina camada pela manhã.")};
const QStringList kHistoricos = {QStringLiteral("Venda balcão"), QStringLiteral("Sangria"),
                                 QStringLiteral("Suprimento"), QStringLiteral("Recebimento crediário")};

// "DECODE(expr, 0, 'a', 1, 'b', ...)": the list item at `expr` (0-based) inside PSQL.
QString pick(const QString &expr, const QStringList &values)
{
    QString s = QStringLiteral("DECODE(") + expr;
    for (int i = 0; i < values.size(); ++i)
        s += QStringLiteral(", %1, '%2'").arg(i).arg(SqlText::quoted(values[i]));
    return s + QLatin1Char(')');
}

QString pickMod(const QString &expr, const QStringList &values)
{
    return pick(QStringLiteral("MOD(%1, %2)").arg(expr).arg(values.size()), values);
}

// Inside the INSERT statements of a block, PSQL wants its variables and parameters with a colon:
// puts one before every name of `names` there, outside string literals.
QString withColons(const QString &block, const QStringList &names)
{
    QString out;
    out.reserve(block.size() * 2);
    bool inInsert = false;
    int i = 0;
    const int n = int(block.size());
    while (i < n) {
        const QChar ch = block[i];
        if (ch == QLatin1Char('\'')) {
            const int end = block.indexOf(QLatin1Char('\''), i + 1);
            out += block.mid(i, end - i + 1);
            i = end + 1;
            continue;
        }
        if (!inInsert && block.mid(i, 11) == QLatin1String("INSERT INTO"))
            inInsert = true;
        if (inInsert && ch == QLatin1Char(';'))
            inInsert = false;
        if (ch.isLetter() || ch == QLatin1Char('_')) {
            int j = i;
            while (j < n && (block[j].isLetterOrNumber() || block[j] == QLatin1Char('_')))
                ++j;
            const QString word = block.mid(i, j - i);
            const bool prefixed = i > 0 && block[i - 1] == QLatin1Char(':');
            if (inInsert && !prefixed && names.contains(word))
                out += QLatin1Char(':');
            out += word;
            i = j;
            continue;
        }
        out += ch;
        ++i;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// The order batch. Order number k (0-based over the whole suite) is station '0'||(1+k mod 4) and
// NPEDIDO k/4+1; everything else is drawn from h, a hash of k. Dates spread evenly over
// [DFROM, DFROM+NDAYS) across the orders S0..S1 of the same call series.
//
// Parameters: K0, K1 (this batch), S0, S1 (the series), DFROM, NDAYS, CUTOFF (orders dated before it
// are paid), CONV (the convênio; null draws one of the NCONV ordinary convênios, or none),
// TIPO (null draws "Pedido", now and then "Orcam"), PAGOS (1: every order paid).
QString orderBlock()
{
    QString s;
    s += QStringLiteral(
        "EXECUTE BLOCK (K0 BIGINT = ?, K1 BIGINT = ?, S0 BIGINT = ?, S1 BIGINT = ?, DFROM DATE = ?, NDAYS INTEGER = ?, "
        "CUTOFF DATE = ?, CONV VARCHAR(40) = ?, NCONV INTEGER = ?, TIPO VARCHAR(7) = ?, PAGOS INTEGER = ?)\n"
        "AS\n"
        "  DECLARE k BIGINT; DECLARE h BIGINT; DECLARE g BIGINT;\n"
        "  DECLARE est VARCHAR(2); DECLARE np INTEGER; DECLARE dt DATE; DECLARE dp DATE;\n"
        "  DECLARE cv VARCHAR(40); DECLARE tp VARCHAR(7); DECLARE valor NUMERIC(15,2); DECLARE sinal NUMERIC(15,2);\n"
        "  DECLARE n INTEGER; DECLARE j INTEGER; DECLARE c INTEGER; DECLARE nc INTEGER; DECLARE base INTEGER;\n"
        "  DECLARE comp VARCHAR(40); DECLARE chave VARCHAR(20); DECLARE nparc INTEGER; DECLARE forma VARCHAR(40);\n"
        "BEGIN\n"
        "  k = K0;\n"
        "  WHILE (k < K1) DO\n"
        "  BEGIN\n"
        "    h = MOD(k * 2654435761 + 40503, 4294967291);\n"
        "    est = '0' || (1 + MOD(k, 4));\n"
        "    np = k / 4 + 1;\n"
        "    dt = DFROM + ((k - S0) * NDAYS) / (S1 - S0);\n"
        "    IF (CONV IS NOT NULL) THEN cv = CONV;\n"
        "    ELSE IF (MOD(h, 10) < 3) THEN cv = NULL;\n"
        "    ELSE cv = (SELECT CONVENIO FROM CONVENIO WHERE CODIGOCONVENIO = 1 + MOD(:h / 10, :NCONV));\n"
        "    IF (TIPO IS NOT NULL) THEN tp = TIPO;\n"
        "    ELSE IF (MOD(h / 7, 100) < 3) THEN tp = 'Orcam';\n"
        "    ELSE tp = 'Pedido';\n"
        "    IF (PAGOS = 1 OR dt < CUTOFF) THEN dp = dt + 10 + MOD(h / 11, 40); ELSE dp = NULL;\n"
        "    valor = (1500 + MOD(h / 13, 48500)) / 100.00;\n"
        "    IF (MOD(h / 5, 5) = 0) THEN sinal = CAST(valor * 0.3 AS NUMERIC(15,2)); ELSE sinal = 0;\n"
        "    IF (cv IS NULL) THEN forma = ");
    s += pickMod(QStringLiteral("h / 3"), {QStringLiteral("Dinheiro"), QStringLiteral("Cartão"), QStringLiteral("Pix")});
    s += QStringLiteral("; ELSE forma = 'Convênio';\n"
                        "    INSERT INTO PEDIDOS (ESTACAO, NPEDIDO, NOME, ENDER1, FONE, MEDICO, ESTACAOCLIENTE, "
                        "CODIGOCLIENTE, DATAPEDIDO, HORAPEDIDO, RECEBIDOPOR, TIPOPEDIDO, QDEFORMULAS, PRECOFINAL, "
                        "PRECOTOTAL, CRM, CONVENIO, DESCPERC, DESCONTO, SINAL, VALORRESTANTE, VENCIMENTO, PAGO, "
                        "DATAPAGAMENTO, PRONTO, ENTREGUE, IMPORTADO, FORMAPAGAMENTO, VENDEDOR, CAIXA, LABORATORIO, "
                        "NPED, PACIENTE) VALUES (:est, :np, ");
    s += pickMod(QStringLiteral("h / 17"), kClientes);
    s += QStringLiteral(", 'Rua ' || ");
    s += pickMod(QStringLiteral("h / 19"), kNomes);
    s += QStringLiteral(" || ', ' || MOD(h / 23, 3000), '(41) 9' || LPAD(MOD(h / 29, 100000000), 8, '0'), ");
    s += pickMod(QStringLiteral("h / 31"), kMedicos);
    s += QStringLiteral(", est, MOD(h / 37, 90000) + 1, dt, CAST('08:00:00' AS TIME) + MOD(h / 41, 36000), ");
    s += pickMod(QStringLiteral("h / 43"), kVendedores);
    s += QStringLiteral(", tp, IIF(MOD(h / 47, 2) = 0, 0, 1 + MOD(h / 53, 3)), valor, valor, 'CRM ' || MOD(h / 59, 99999), "
                        "cv, 0, 0, sinal, valor - sinal, dt + 30, IIF(dp IS NULL, NULL, 'T'), dp, 'T', "
                        "IIF(dp IS NULL, 'N', 'T'), 'N', forma, ");
    s += pickMod(QStringLiteral("h / 61"), kVendedores);
    s += QStringLiteral(", 'CX' || (1 + MOD(h / 67, 3)), ");
    s += pickMod(QStringLiteral("h / 71"), kLaboratorios);
    s += QStringLiteral(", np, ");
    s += pickMod(QStringLiteral("h / 73"), kClientes);
    s += QStringLiteral(");\n");

    // Resale items (half the orders) or formulas with their components (the other half).
    s += QStringLiteral("    n = 1 + MOD(h / 53, 3);\n"
                        "    IF (MOD(h / 47, 2) = 0) THEN\n"
                        "    BEGIN\n"
                        "      j = 0; base = MOD(h / 79, %1);\n"
                        "      WHILE (j < n) DO\n"
                        "      BEGIN\n"
                        "        c = MOD(base + j, %1);\n"
                        "        INSERT INTO ITENS (ESTACAO, NPEDIDO, CODPROD, GRUPO, DESCRICAO, UNIDADE, CUSTOUNITR, "
                        "VALUNIT, QDE, VALTOT, DESCPERC, DESCDIN, VALFINAL, LOJA, USADO, IMPORTADO, ORDEM, CUSTOT, "
                        "LABORATORIO) VALUES (:est, :np, '789' || LPAD(c * 7919 + 100003, 10, '0'), 'REV', ")
             .arg(kProdutos.size());
    s += pick(QStringLiteral("c"), kProdutos);
    s += QStringLiteral(", ");
    s += pickMod(QStringLiteral("c"), kUnidadesProduto);
    s += QStringLiteral(", (500 + c * 37) / 100.00, (990 + c * 113) / 100.00, 1 + MOD(h / (83 + j), 3), "
                        "(990 + c * 113) / 100.00 * (1 + MOD(h / (83 + j), 3)), 0, 0, "
                        "(990 + c * 113) / 100.00 * (1 + MOD(h / (83 + j), 3)), 'LJ01', 'N', 'N', j + 1, "
                        "(500 + c * 37) / 100.00 * (1 + MOD(h / (83 + j), 3)), 'Matriz');\n"
                        "        j = j + 1;\n"
                        "      END\n"
                        "    END\n"
                        "    ELSE\n"
                        "    BEGIN\n"
                        "      j = 1;\n"
                        "      WHILE (j <= n) DO\n"
                        "      BEGIN\n"
                        "        g = MOD(h * (j + 3) + 7919 * j, 2147483647);\n"
                        "        INSERT INTO PEDIFORM (ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA, POSOLOGIA, PRECOFORMULA, "
                        "QDECAPSULAS, QDEROTULOS, TAMROTULO, VALIDADE, VOLUMETOTAL, UNIDADE, USO, ROTULO, USASUBSTCONTR, "
                        "PRONTO, ENTREGUE, IMPORTADO, ROTPRONTO, CONFERIDO, NOMEFORMULA, CUSTOFORMULA, LOTE, "
                        "LABORATORIO) VALUES (:est, :np, :j, ");
    s += pickMod(QStringLiteral("g"), kFormasFarma);
    s += QStringLiteral(", ");
    s += pickMod(QStringLiteral("g"), kPosologias);
    s += QStringLiteral(", (2500 + MOD(g / 3, 15000)) / 100.00, 30 * (1 + MOD(g / 5, 3)), 1 + MOD(g / 7, 2), 'Médio', "
                        "'90 dias', 30 * (1 + MOD(g / 5, 3)), ");
    s += pickMod(QStringLiteral("g"), kUnidadesForma);
    s += QStringLiteral(", IIF(MOD(g, 6) < 3, 'Oral', 'Tópico'), 'Pedido ' || est || '-' || np || ' fórmula ' || j || ': ' || ");
    s += pickMod(QStringLiteral("g"), kPosologias);
    s += QStringLiteral(", 'N', 'T', 'T', 'N', 'T', 'T', ");
    s += pickMod(QStringLiteral("g / 9"), kNomes);
    s += QStringLiteral(", (900 + MOD(g / 3, 5000)) / 100.00, MOD(g / 11, 9000) + 1000, 'Matriz');\n"
                        "        nc = 2 + MOD(g / 13, 5);\n"
                        "        c = 0; base = MOD(g / 17, %1);\n"
                        "        WHILE (c < nc) DO\n"
                        "        BEGIN\n"
                        "          comp = ")
             .arg(kComponentes.size());
    s += pickMod(QStringLiteral("base + c"), kComponentes);
    s += QStringLiteral(";\n"
                        "          INSERT INTO COMPEDID (ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, QDE, UNID, VALOR, "
                        "COMPONENTEDIG, QDEDIG, UNIDDIG, GRUPO, USADO, ORDEM, TIPOPEDIDO, CONTROLADA, IMPORTADO, "
                        "CODIGOCOMP, CUSTO, LOTE, FORNECEDOR) VALUES (:est, :np, :j, comp, "
                        "(1 + MOD(g / (19 + c), 500)) / 10.0, ");
    s += pickMod(QStringLiteral("base + c"), kUnidadesComp);
    s += QStringLiteral(", (100 + MOD(g / (23 + c), 900)) / 100.00, comp, (1 + MOD(g / (19 + c), 500)) / 10.0, ");
    s += pickMod(QStringLiteral("base + c"), kUnidadesComp);
    s += QStringLiteral(", 'MAT', 'N', c + 1, 'PED', 'Não', 'N', 'C' || LPAD(MOD(base + c, %1) + 1, 5, '0'), "
                        "(50 + MOD(g / (29 + c), 500)) / 100.00, 'L' || MOD(g / 31, 99999), 'Fornecedor ' || ")
             .arg(kComponentes.size());
    s += pickMod(QStringLiteral("g / 37"), kNomes);
    s += QStringLiteral(");\n"
                        "          c = c + 1;\n"
                        "        END\n"
                        "        j = j + 1;\n"
                        "      END\n"
                        "    END\n");

    // The order's instalment, and its receivable account with 2 or 3 instalments (one account in
    // five coded with the dot between station and number).
    s += QStringLiteral(
        "    INSERT INTO PAGPEDID (ESTACAO, NPEDIDO, NPARCELA, FORMAPAGTO, VENCIMENTO, VALOR, DATAPAGTO, VALORPAGO) "
        "VALUES (:est, :np, 1, LEFT(forma, 20), dt + 30, valor - sinal, dp, IIF(dp IS NULL, NULL, valor - sinal));\n"
        "    IF (MOD(h / 89, 5) = 0) THEN chave = est || '.' || np; ELSE chave = est || np;\n"
        "    INSERT INTO CONTASPR (CODIGOCPR, CODIGOPEDIDO, NATUREZA, DESCRICAO) "
        "VALUES (:k + 1, :chave, 'R', 'Pedido ' || est || '-' || np);\n"
        "    nparc = 2 + MOD(h / 97, 2);\n"
        "    j = 1;\n"
        "    WHILE (j <= nparc) DO\n"
        "    BEGIN\n"
        "      INSERT INTO PARCELAS (CODIGOCPR, NPARCELA, VENCIMENTO, VALORPARCELA, DATAPAGTO, VALORPAGO) "
        "VALUES (:k + 1, :j, dt + 30 * j, CAST((valor - sinal) / nparc AS NUMERIC(15,2)), dp, "
        "IIF(dp IS NULL, NULL, CAST((valor - sinal) / nparc AS NUMERIC(15,2))));\n"
        "      j = j + 1;\n"
        "    END\n"
        "    k = k + 1;\n"
        "  END\n"
        "END");
    return withColons(s, {QStringLiteral("k"), QStringLiteral("h"), QStringLiteral("g"), QStringLiteral("est"),
                          QStringLiteral("np"), QStringLiteral("dt"), QStringLiteral("dp"), QStringLiteral("cv"),
                          QStringLiteral("tp"), QStringLiteral("valor"), QStringLiteral("sinal"), QStringLiteral("n"),
                          QStringLiteral("j"), QStringLiteral("c"), QStringLiteral("nc"), QStringLiteral("base"),
                          QStringLiteral("comp"), QStringLiteral("chave"), QStringLiteral("nparc"),
                          QStringLiteral("forma")});
}

// Cash-register movements M0..M1 of MTOT, spread over [DFROM, DFROM+NDAYS). Six in ten are the
// receipts of the paid ordinary orders 0..NPAGOS (order key in NPEDIDO); the rest are the cash
// register's own movements. No movement has a null or zero value.
QString movementBlock()
{
    QString s;
    s += QStringLiteral(
        "EXECUTE BLOCK (M0 BIGINT = ?, M1 BIGINT = ?, MTOT BIGINT = ?, NPAGOS BIGINT = ?, DFROM DATE = ?, "
        "NDAYS INTEGER = ?)\n"
        "AS\n"
        "  DECLARE m BIGINT; DECLARE h BIGINT; DECLARE k BIGINT; DECLARE dt DATE; DECLARE chave VARCHAR(30);\n"
        "  DECLARE hist VARCHAR(60); DECLARE valor NUMERIC(15,2); DECLARE es VARCHAR(10);\n"
        "BEGIN\n"
        "  m = M0;\n"
        "  WHILE (m < M1) DO\n"
        "  BEGIN\n"
        "    h = MOD(m * 2246822519 + 3266489917, 4294967291);\n"
        "    dt = DFROM + (m * NDAYS) / MTOT;\n"
        "    valor = (100 + MOD(h / 7, 50000)) / 100.00;\n"
        "    es = 'Entrada';\n"
        "    IF (MOD(h, 10) < 6 AND NPAGOS > 0) THEN\n"
        "    BEGIN\n"
        "      k = (m * NPAGOS) / MTOT;\n"
        "      chave = '0' || (1 + MOD(k, 4)) || (k / 4 + 1);\n"
        "      hist = 'Recebimento do pedido ' || chave;\n"
        "    END\n"
        "    ELSE\n"
        "    BEGIN\n"
        "      chave = NULL;\n"
        "      hist = ");
    s += pickMod(QStringLiteral("h / 3"), kHistoricos);
    s += QStringLiteral(";\n"
                        "      IF (hist = 'Sangria') THEN es = 'Saida';\n"
                        "    END\n"
                        "    INSERT INTO MOVCAIXA (CODMOVCX, CAIXA, SESSAO, DATAMOV, HORAMOV, VALOR, FORMAPAG, HISTORICO, "
                        "NPEDIDO, SINALQUITACAO, TIPOMOV, ENTRADASAIDA, NUMPARCELA, NUMDOCUMENTO, NUMMOVIMENTO, "
                        "LABORATORIO, VALORORIGINAL, DESCONTO) VALUES (:m + 1, 'CX' || (1 + MOD(h / 11, 3)), "
                        "'S' || (dt - DFROM), dt, CAST('08:00:00' AS TIME) + MOD(h / 13, 36000), valor, ");
    s += pickMod(QStringLiteral("h / 17"), kFormasPag);
    s += QStringLiteral(", hist, chave, IIF(chave IS NULL, NULL, 'Quitação'), 'Venda', es, 0, 0, 0, ");
    s += pickMod(QStringLiteral("h / 19"), kLaboratorios);
    s += QStringLiteral(", valor, 0);\n"
                        "    m = m + 1;\n"
                        "  END\n"
                        "END");
    return withColons(s, {QStringLiteral("m"), QStringLiteral("h"), QStringLiteral("k"), QStringLiteral("dt"),
                          QStringLiteral("chave"), QStringLiteral("hist"), QStringLiteral("valor"), QStringLiteral("es"),
                          QStringLiteral("DFROM")});
}

QDate monthStart(const QDate &d) { return QDate(d.year(), d.month(), 1); }
QDate monthEnd(const QDate &d) { return monthStart(d).addMonths(1).addDays(-1); }

// The first day of the three years of orders, and the first day from which orders stay open.
QDate firstDay(const Options &o) { return o.lastDay.addYears(-3).addDays(1); }
QDate openFrom(const Options &o) { return monthStart(o.lastDay).addMonths(-2); }

// Parts of the statement convênio besides its listed orders: paid orders and budgets of the month,
// open orders of the month before.
struct Part {
    int orders;
    QDate first, last;
    QString tipo;
    bool paid;
};
QList<Part> statementParts(const Options &o)
{
    const Set s = statementSet(o);
    const QDate before = s.first.addMonths(-1);
    return {{s.openOrders, s.first, s.last, QStringLiteral("Pedido"), false},
            {std::max(1, s.openOrders * 3 / 10), s.first, s.last, QStringLiteral("Pedido"), true},
            {std::max(1, s.openOrders / 10), s.first, s.last, QStringLiteral("Orcam"), false},
            {std::max(1, s.openOrders / 5), before, monthEnd(before), QStringLiteral("Pedido"), false}};
}

QString convenioName(int i)
{
    // 20 kinds x 25 names x 4 forms: distinct for the first 2,000; beyond, a number tells them apart.
    const int n = int(kEmpresas.size() * kNomes.size() * kFormasJuridicas.size());
    QString s = kEmpresas[i % kEmpresas.size()] + QLatin1Char(' ') + kNomes[(i / kEmpresas.size()) % kNomes.size()] +
                QLatin1Char(' ') + kFormasJuridicas[(i / (kEmpresas.size() * kNomes.size())) % kFormasJuridicas.size()];
    if (i >= n)
        s += QStringLiteral(" %1").arg(i / n + 1);
    return s.left(40);
}

// A rights text of the suite granting this module: character 7 is the initial plus 8, character 15
// the initial plus 16.
QString rightsText(const QString &name)
{
    QString acesso = QStringLiteral("SSNSNSSNSSNSNSNSSNSSNNSSNSSNSS");
    const ushort initial = name.at(0).unicode();
    acesso[6] = QChar(ushort((initial + 8) & 0xFF));
    acesso[14] = QChar(ushort((initial + 16) & 0xFF));
    return acesso;
}

void fillRegister(Connection &db, const Options &o)
{
    Transaction tx(db);
    for (int i = 0; i < kCategorias.size(); ++i)
        db.execute(QStringLiteral("insert into CATECONV (CODCATECONV, CATEGORIACONV) values (?, ?)"), {i + 1, kCategorias[i]});
    for (int i = 0; i < kFormasPag.size(); ++i)
        db.execute(QStringLiteral("insert into FORMAPAG (FORMAPAGTO, CODFORMA, TOTALIZADORES, ADM_CONVENIO) values (?, ?, ?, ?)"),
                   {kFormasPag[i], QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                    QStringLiteral("T%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                    kFormasPag[i] == QLatin1String("Convênio") ? QStringLiteral("Sim") : QStringLiteral("Não")});
    for (int i = 0; i < kRotas.size(); ++i)
        db.execute(QStringLiteral("insert into ROTAS (ROTA, MOTOQUEIRO) values (?, ?)"),
                   {kRotas[i], kVendedores[i % kVendedores.size()]});
    db.execute(QStringLiteral("insert into USUARIOS (USUARIO, CODIGO, SENHA, ACESSO, ARQUIVO, LOGADO, ESTACAO, "
                              "CONSIST_INICIAL, DEFVIDEOQUB) values (?, '001', ?, ?, 'USU001', 'N', '01', 'S', 0)"),
               {CodificaSenha(QStringLiteral("ADMIN")), CodificaSenha(QStringLiteral("123")),
                rightsText(QStringLiteral("ADMIN"))});
    db.execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, TIPO, EMUSO, USUARIO, CNPJ) "
                              "values ('01', 'INTERFAC01', 'Balcão', 'N', 'ADMIN', '12345678000190')"));

    const QString insert = QStringLiteral(
        "insert into CONVENIO (CODIGOCONVENIO, CONVENIO, TIPO, ENDERECO, BAIRRO, CIDADE, ESTADO, CEP, TELEFONE, "
        "CONTATO, DESCONTO, DATAINIPER, VENCIMENTO, VALORAPAGAR, ROTA, CONTROLE, REFERENCIA, OBSERVACAO, E_MAIL, "
        "ACRESCPERC, ENTRA_COMISSAO) values (?, ?, ?, ?, ?, ?, 'PR', ?, ?, ?, ?, 1, ?, ?, ?, 'Convênio', ?, ?, ?, ?, ?)");
    QStringList names;
    const int ordinary = o.convenios - 1 - int(o.settlementSizes.size());
    for (int i = 0; i < ordinary; ++i)
        names << convenioName(i);
    names << statementSet(o).convenio;
    for (const Set &s : settlementSets(o))
        names << s.convenio;
    for (int i = 0; i < names.size(); ++i) {
        const QString &nome = names[i];
        db.execute(insert, {i + 1, nome, kCategorias[i % kCategorias.size()],
                            QStringLiteral("Rua %1, %2").arg(kNomes[(i * 7) % kNomes.size()]).arg(100 + i),
                            QStringLiteral("Centro"), kCidades[i % kCidades.size()],
                            QStringLiteral("80%1-000").arg(i % 1000, 3, 10, QLatin1Char('0')),
                            QStringLiteral("(41) 3%1").arg(2000000 + i * 37, 7, 10, QLatin1Char('0')),
                            kClientes[i % kClientes.size()], QVariant::fromValue(Decimal((i % 4) * 250, 2)),
                            1 + i % 28, QVariant::fromValue(Decimal(qint64(i) * 7919 % 2000000, 2)),
                            kRotas[i % kRotas.size()], QStringLiteral("REF%1").arg(i + 1),
                            i % 3 == 0 ? QVariant(QStringLiteral("Enviar relação até o dia 5.")) : QVariant(),
                            QStringLiteral("financeiro%1@empresa.com.br").arg(i + 1),
                            QVariant::fromValue(Decimal(i % 5 == 0 ? 100 : 0, 2)),
                            i % 2 == 0 ? QStringLiteral("Sim") : QStringLiteral("Não")});
    }
    tx.commit();
}

// Forced (synchronous) writes are the database's safe setting; the load runs without them and
// turns them on again at its end.
void setForcedWrites(const QString &path, bool on)
{
    using namespace Firebird;
    IMaster *master = fb_get_master_interface();
    ThrowStatusWrapper st(master->getStatus());
    IXpbBuilder *dpb = nullptr;
    try {
        dpb = master->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
        dpb->insertString(&st, isc_dpb_user_name, "sysdba");
        dpb->insertString(&st, isc_dpb_password, "tulipgate");
        dpb->insertInt(&st, isc_dpb_force_write, on ? 1 : 0);
        const QByteArray file = path.toLocal8Bit();
        IAttachment *att = master->getDispatcher()->attachDatabase(&st, file.constData(), dpb->getBufferLength(&st),
                                                                   dpb->getBuffer(&st));
        att->detach(&st);
        dpb->dispose();
        st.dispose();
    } catch (const FbException &e) {
        char text[1024];
        master->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
        if (dpb)
            dpb->dispose();
        st.dispose();
        throw std::runtime_error(text);
    }
}

void writeLogon(const QString &root)
{
    QFile f(QDir(root).filePath(QStringLiteral("LOGON.LLF")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(QStringLiteral("Não foi possível gravar %1").arg(f.fileName()).toStdString());
    f.write(WinText::encode(CodificaSenha(QStringLiteral("ADMIN")) + QStringLiteral("\r\nADMIN\r\n") +
                            QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral("\r\n") +
                            QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("\r\n")));
}

} // namespace

// ---------------------------------------------------------------------------------------------

Set statementSet(const Options &o)
{
    const QDate month = openFrom(o);
    return {QStringLiteral("Extrato %1 Pedidos").arg(o.statementOrders), month, monthEnd(month), o.statementOrders};
}

QList<Set> settlementSets(const Options &o)
{
    const QDate month = monthStart(o.lastDay).addMonths(-1);
    QList<Set> out;
    for (int n : o.settlementSizes)
        out << Set{QStringLiteral("Quitação %1 Pedidos").arg(n), month, monthEnd(month), n};
    return out;
}

int setOrders(const Options &o)
{
    int n = 0;
    for (const Part &p : statementParts(o))
        n += p.orders;
    for (int s : o.settlementSizes)
        n += s;
    return n;
}

void validate(const Options &o)
{
    if (o.convenios < 2 + o.settlementSizes.size())
        throw std::runtime_error("Poucos convênios: o do extrato e os das quitações precisam de um cada, e é "
                                 "preciso pelo menos um convênio comum.");
    if (o.orders < setOrders(o) + 1)
        throw std::runtime_error(QStringLiteral("Poucos pedidos: só os convênios do extrato e das quitações já têm %1.")
                                     .arg(setOrders(o))
                                     .toStdString());
    if (o.movements < 0 || o.batch < 1 || o.statementOrders < 1)
        throw std::runtime_error("Opções de escala inválidas.");
}

void fill(Connection &central, Connection &interfaceDb, const Options &o, const Progress &progress)
{
    validate(o);
    auto tell = [&](const QString &s) {
        if (progress)
            progress(s);
    };
    fillRegister(central, o);
    tell(QStringLiteral("%1 convênios").arg(o.convenios));

    const QString pedidos = orderBlock();
    const int ordinaryConvenios = o.convenios - 1 - int(o.settlementSizes.size());
    const qint64 ordinary = o.orders - setOrders(o);
    const QDate d0 = firstDay(o);
    const int days = int(d0.daysTo(o.lastDay)) + 1;
    const QDate cutoff = openFrom(o);

    // Ordinary orders, oldest first.
    for (qint64 k = 0; k < ordinary; k += o.batch) {
        const qint64 end = std::min<qint64>(k + o.batch, ordinary);
        Transaction tx(central);
        central.execute(pedidos, {k, end, qint64(0), ordinary, d0, days, cutoff, QVariant(), ordinaryConvenios, QVariant(), 0});
        tx.commit();
        if (end == ordinary || (end / o.batch) % 5 == 0)
            tell(QStringLiteral("%1 pedidos").arg(end));
    }

    // The orders of the measured convênios, numbered after the ordinary ones.
    qint64 next = ordinary;
    auto writeSet = [&](const QString &convenio, const Part &p) {
        const int span = int(p.first.daysTo(p.last)) + 1;
        for (qint64 k = next; k < next + p.orders; k += o.batch) {
            const qint64 end = std::min<qint64>(k + o.batch, next + p.orders);
            Transaction tx(central);
            central.execute(pedidos, {k, end, next, next + p.orders, p.first, span, p.first, convenio, ordinaryConvenios,
                                      p.tipo, p.paid ? 1 : 0});
            tx.commit();
        }
        next += p.orders;
    };
    for (const Part &p : statementParts(o))
        writeSet(statementSet(o).convenio, p);
    for (const Set &s : settlementSets(o))
        writeSet(s.convenio, Part{s.openOrders, s.first, s.last, QStringLiteral("Pedido"), false});
    tell(QStringLiteral("%1 pedidos dos convênios medidos").arg(setOrders(o)));

    // Cash-register movements; the receipts refer to ordinary orders paid before the open months.
    const qint64 paid = std::max<qint64>(0, ordinary * d0.daysTo(cutoff) / days);
    const QString movimentos = movementBlock();
    for (qint64 m = 0; m < o.movements; m += o.batch * 5) {
        const qint64 end = std::min<qint64>(m + o.batch * 5, o.movements);
        Transaction tx(central);
        central.execute(movimentos, {m, end, qint64(o.movements), paid, d0, days});
        tx.commit();
    }
    tell(QStringLiteral("%1 movimentos de caixa").arg(o.movements));

    // The indexes' statistics stay as they were when the tables were empty, as in a suite's database
    // that grew over the years without a restore: the plans must not depend on them.

    // The interface database: the stored period is the statement's month; nothing open at the counter.
    const Set extrato = statementSet(o);
    interfaceDb.execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, "
                                       "ESTACAO, NPEDIDO, NFORMULA) values (?, ?, '00:00:00', '23:59:00', '1', '01', 0, 0)"),
                        {extrato.first, extrato.last});
    tell(QStringLiteral("período de %1 a %2").arg(SqlText::dateDMY(extrato.first), SqlText::dateDMY(extrato.last)));
}

void createSuite(const QString &root, const SuiteBuilder::Options &suiteOptions, const Options &options,
                 const Progress &progress)
{
    validate(options);
    SuiteBuilder::createEmptySuite(root, suiteOptions);
    const QString centralPath = SuiteBuilder::centralDatabasePath(root);
    setForcedWrites(centralPath, false);
    Connection central(QStringLiteral("setup-central"));
    central.setDatabase(SuiteBuilder::centralDatabasePath(root));
    Connection iface(QStringLiteral("setup-interface"));
    iface.setDatabase(SuiteBuilder::interfaceDatabasePath(root));
    fill(central, iface, options, progress);
    central.close();
    iface.close();
    setForcedWrites(centralPath, true);
    writeLogon(root);
    DemoData::writeSiblingStandIns(root);
}

}
