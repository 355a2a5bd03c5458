#include "tools/setup/DemoData.h"

#include "tools/setup/DemoNames.h"
#include "data/CodificaSenha.h"
#include "platform/WinText.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTime>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace DemoData {

namespace {

using DemoNames::kClientes;
using DemoNames::kLaboratorios;
using DemoNames::kMedicos;
using DemoNames::kVendedores;

// ---------------------------------------------------------------------------------------------
// Small helpers

QVariant money(qint64 cents) { return QVariant::fromValue(Decimal(cents, 2)); }
QVariant nullValue() { return QVariant(); }
QVariant textOrNull(const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); }
QVariant dateOrNull(const QDate &d) { return d.isValid() ? QVariant(d) : QVariant(); }

// A parameterised INSERT prepared as text once per table.
class Inserter {
public:
    Inserter(Connection &connection, const QString &table, const QStringList &columns)
        : m_connection(connection), m_columns(int(columns.size()))
    {
        QStringList marks;
        for (int i = 0; i < m_columns; ++i)
            marks << QStringLiteral("?");
        m_sql = QStringLiteral("insert into %1 (%2) values (%3)")
                    .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    }
    void operator()(const QVariantList &values)
    {
        if (values.size() != m_columns)
            throw std::logic_error(QStringLiteral("%1: %2 values for %3 columns")
                                       .arg(m_sql).arg(values.size()).arg(m_columns).toStdString());
        m_connection.execute(m_sql, values);
    }

private:
    Connection &m_connection;
    int m_columns;
    QString m_sql;
};

// Splits an amount in cents into `parts` instalments that add up to it exactly; the first one
// takes the odd cents.
QList<qint64> split(qint64 total, int parts)
{
    QList<qint64> out;
    const qint64 base = total / parts;
    for (int i = 0; i < parts; ++i)
        out << base;
    out[0] += total - base * parts;
    return out;
}

// A rights text of the suite: one letter per program of the suite. Character 7 (code minus 8) and
// character 15 (code minus 16) must give the user's initial for this module to be granted.
QString rightsText(const QString &name, bool grant)
{
    QString acesso = QStringLiteral("SSNSNSSNSSNSNSNSSNSSNNSSNSSNSS");
    if (grant) {
        const ushort initial = name.at(0).unicode();
        acesso[6] = QChar(ushort((initial + 8) & 0xFF));
        acesso[14] = QChar(ushort((initial + 16) & 0xFF));
    }
    return acesso;
}

// ---------------------------------------------------------------------------------------------
// Fixed tables

const QStringList kCategorias = {QStringLiteral("Desc Folha"), QStringLiteral("Drogaria"), QStringLiteral("Empresa"),
                                 QStringLiteral("Particular"), QStringLiteral("Funcionários")};

struct FormaPag {
    const char *nome;
    const char *codigo;
    const char *totalizadores;
    const char *admConvenio;
};
const FormaPag kFormas[] = {
    {"Dinheiro", "01", "T01", "Não"}, {"Cartão", "02", "T02", "Não"}, {"Convênio", "03", "T03", "Sim"},
    {"Cheque", "04", "T04", "Não"},   {"Pix", "05", "T05", "Não"},
};

struct Rota {
    const char *rota;
    const char *motoqueiro;
};
const Rota kRotas[] = {
    {"Centro", "Carlos Eduardo Pereira"},
    {"Zona Norte", "José Ribamar Sousa"},
    {"Zona Sul", "Antônio Marcos Lúcio"},
    {"Bairro Alto", "Sérgio Damião"},
    {"Retirada na Loja", nullptr},
};

struct ConvenioDemo {
    int codigo;
    const char *nome;
    const char *tipo;
    const char *endereco;
    const char *bairro;
    const char *cidade;
    const char *estado;
    const char *cep;
    const char *telefone;
    const char *contato;
    int descontoCentesimos;   // percentage in hundredths
    int vencimento;
    qint64 valorAPagar;       // cents
    const char *rota;
    const char *controle;
    const char *referencia;
    const char *observacao;
    const char *email;
    int acrescimoCentesimos;
    const char *entraComissao;
    bool temPedidos;
};

// The names are what orders carry in PEDIDOS.CONVENIO, so they are used exactly as written here.
const ConvenioDemo kConvenios[] = {
    {1, "Prefeitura Municipal de São José", "Desc Folha", "Praça da Matriz, 100", "Centro", "São José dos Pinhais",
     "PR", "83005-010", "(41) 3381-5000", "Sônia Regina", 500, 10, 1854320, "Centro", "Convênio", "RH-PMSJ",
     "Desconto em folha; relação até o dia 5.", "rh@saojose.pr.gov.br", 0, "Sim", true},
    {2, "Drogaria São João", "Drogaria", "Av. Brasil, 2450", "Vila Nova", "Curitiba", "PR", "80020-310",
     "(41) 3222-1100", "Márcio Tavares", 1000, 15, 412890, "Zona Norte", "Convênio", "DSJ-01", nullptr,
     "compras@drogariasaojoao.com.br", 0, "Não", true},
    {3, "Padaria D'Ouro", "Empresa", "Rua XV de Novembro, 880", "Centro", "Curitiba", "PR", "80060-000",
     "(41) 3233-4455", "Zé D'Ávila", 0, 5, 98760, "Centro", "Convênio", "D'OURO", "Cliente desde 2009.",
     "financeiro@padariadouro.com.br", 0, "Sim", true},
    {4, "Construtora Horizonte Ltda", "Empresa", "Rua Itupava, 1299", "Alto da XV", "Curitiba", "PR", "80040-455",
     "(41) 3019-7788", "Luíza Fagundes", 300, 20, 257410, "Bairro Alto", "Convênio", "CH-2021", nullptr,
     "rh@construtorahorizonte.com.br", 0, "Sim", true},
    {5, "Associação dos Servidores Públicos", "Desc Folha", "Rua Emiliano Perneta, 297", "Centro", "Curitiba", "PR",
     "80010-050", "(41) 3324-9090", "Conceição Andrade", 800, 10, 1320075, "Centro", "Convênio", "ASP",
     "Enviar relação por e-mail.", "convenios@asp-pr.org.br", 0, "Não", true},
    {6, "Metalúrgica Irmãos Araújo", "Empresa", "Rod. BR-116, km 98", "Cidade Industrial", "Curitiba", "PR",
     "81460-000", "(41) 3346-1212", "Jéssica Araújo", 0, 25, 0, "Zona Sul", "Convênio", nullptr, nullptr,
     "dp@metalurgicaaraujo.ind.br", 250, "Sim", true},
    {7, "Clínica Saúde & Vida", "Particular", "Rua Padre Anchieta, 1846", "Bigorrilho", "Curitiba", "PR",
     "80730-000", "(41) 3335-6060", "Dra. Lúcia Helena", 1500, 1, 64320, "Zona Sul", "Cartão", "CSV", nullptr,
     "contato@clinicasaudevida.med.br", 0, "Não", true},
    {8, "Cooperativa Agrícola Paraná", "Empresa", "Av. das Torres, 5000", "Jardim Botânico", "Curitiba", "PR",
     "82590-300", "(41) 3361-2020", "Otávio Guimarães", 500, 28, 743015, "Zona Norte", "Convênio", "COOP-PR",
     nullptr, "beneficios@coopagricola.coop.br", 0, "Sim", true},
    {9, "Escola Técnica Ângelo Conceição", "Empresa", "Rua Mateus Leme, 3000", "São Francisco", "Curitiba", "PR",
     "80530-010", "(41) 3252-3030", "Inês Brandão", 0, 10, 0, "Centro", "Dinheiro", nullptr, "Sem movimento.",
     "secretaria@etac.edu.br", 0, "Não", false},
    {10, "Hospital Nossa Senhora da Conceição", "Desc Folha", "Rua Saldanha Marinho, 1500", "Centro", "Curitiba",
     "PR", "80410-151", "(41) 3219-8000", "Rogério Peçanha", 700, 12, 2015890, "Centro", "Convênio", "HNSC",
     "Desconto em folha para funcionários.", "rh@hnsc.org.br", 0, "Sim", true},
    {11, "Supermercado Econômico", "Empresa", "Av. Presidente Kennedy, 400", "Rebouças", "Curitiba", "PR",
     "80220-200", "(41) 3242-0001", "Vinícius Simões", 200, 15, 187640, "Zona Sul", "Cheque", "SE-11", nullptr,
     "rh@supereconomico.com.br", 100, "Não", true},
    {12, "Transportadora Ébano", "Empresa", "Rua João Bettega, 2100", "Portão", "Curitiba", "PR", "81070-000",
     "(41) 3248-5555", "Cecília Assunção", 0, 20, 0, "Zona Sul", "Convênio", nullptr, nullptr,
     "contato@transportadoraebano.com.br", 0, "Não", false},
};

const char *const kConvenioBloqueado = "Construtora Horizonte Ltda";


const QStringList kRuas = {QStringLiteral("Rua das Flores"), QStringLiteral("Av. Sete de Setembro"),
                           QStringLiteral("Rua Marechal Deodoro"), QStringLiteral("Rua São Francisco"),
                           QStringLiteral("Al. Dom Pedro II"), QStringLiteral("Rua Brigadeiro Franco")};

struct Produto {
    const char *codigo;
    const char *descricao;
    const char *unidade;
    qint64 preco;   // cents
};
const Produto kProdutos[] = {
    {"7891058017392", "Dipirona Sódica 500mg 10 comprimidos", "CX", 890},
    {"7896004710563", "Protetor Solar FPS 50 120ml", "FR", 5990},
    {"7891317101176", "Soro Fisiológico 0,9% 500ml", "FR", 780},
    {"7896422507561", "Termômetro Clínico Digital", "UN", 2450},
    {"7891010249915", "Sabonete Líquido Íntimo 200ml", "FR", 1890},
    {"7896658004362", "Vitamina C Efervescente 1g 10 comprimidos", "TB", 1290},
    {"7891721200114", "Álcool em Gel 70% 500g", "FR", 1150},
    {"7896026300428", "Gaze Estéril 7,5x7,5cm 10 unidades", "PC", 490},
    {"7898171287312", "Colágeno Hidrolisado em Pó 300g", "LT", 7490},
    {"7894900011517", "Água Micelar 200ml", "FR", 3290},
    {"7891150023703", "Esparadrapo Impermeável 10cm x 4,5m", "UN", 990},
    {"7896181920816", "Ômega 3 1000mg 60 cápsulas", "FR", 4590},
    {"7896714202831", "Hidratante Corporal Ureia 10% 200g", "FR", 3890},
    {"7891035800316", "Fralda Geriátrica G 8 unidades", "PC", 3490},
};

struct Componente {
    const char *nome;
    const char *unidade;
    double doses[3];
};
const Componente kOrais[] = {
    {"Cafeína", "MG", {100, 150, 200}},          {"Melatonina", "MG", {0.5, 3, 5}},
    {"Vitamina D3", "UI", {2000, 5000, 10000}},  {"Ômega 3", "MG", {500, 1000, 1000}},
    {"Coenzima Q10", "MG", {30, 100, 200}},      {"Biotina", "MCG", {2500, 5000, 10000}},
    {"Ácido Fólico", "MG", {0.4, 1, 5}},         {"Magnésio Dimalato", "MG", {150, 300, 500}},
    {"Picolinato de Cromo", "MCG", {100, 200, 200}}, {"Vitamina B12", "MCG", {250, 500, 1000}},
    {"Citrato de Zinco", "MG", {15, 25, 30}},    {"Cúrcuma Longa", "MG", {250, 500, 500}},
};
const Componente kTopicos[] = {
    {"Ácido Hialurônico", "%", {0.5, 1, 2}},  {"Ureia", "%", {5, 10, 20}},
    {"Minoxidil", "%", {2, 5, 5}},            {"Vitamina C", "%", {5, 10, 15}},
    {"D-Pantenol", "%", {1, 2, 5}},           {"Niacinamida", "%", {2, 4, 5}},
    {"Alantoína", "%", {0.2, 0.5, 1}},        {"Óleo de Rosa Mosqueta", "%", {1, 3, 5}},
    {"Cetoconazol", "%", {1, 2, 2}},          {"Ácido Glicólico", "%", {4, 8, 10}},
};

struct Forma {
    const char *nome;
    const char *unidade;
    bool oral;
    int quantidades[3];
    const char *posologia;
};
const Forma kFormasFarma[] = {
    {"Cápsulas", "CAP", true, {30, 60, 90}, "Tomar 1 cápsula ao dia, após o café da manhã."},
    {"Sachês", "SAC", true, {15, 30, 30}, "Diluir 1 sachê em 200ml de água, 1 vez ao dia."},
    {"Solução Oral", "ML", true, {30, 60, 100}, "Tomar 10 gotas à noite."},
    {"Creme", "G", false, {30, 50, 100}, "Aplicar nas áreas afetadas 2 vezes ao dia."},
    {"Loção", "ML", false, {60, 100, 120}, "Aplicar no couro cabeludo à noite."},
    {"Gel", "G", false, {30, 60, 60}, "Aplicar uma fina camada pela manhã."},
};

// ---------------------------------------------------------------------------------------------
// Orders as they are drawn before being written

struct Item {
    int produto;
    int quantidade;
};
struct Componentes {
    QList<int> indices;   // into kOrais or kTopicos
    QList<int> doses;
};
struct Formula {
    int forma;
    int quantidade;
    qint64 preco;
    Componentes componentes;
};
struct Pedido {
    QString estacao;
    int numero = 0;
    QDate data;
    QTime hora;
    QString convenio;   // empty: no convênio
    QString tipo;
    QString nome;
    QString forma;
    int cliente = 0;
    QList<Item> itens;
    QList<Formula> formulas;
    qint64 bruto = 0;     // before the discount
    qint64 desconto = 0;
    qint64 sinal = 0;
    bool restanteNulo = false;
    QDate dataPagamento;   // invalid while open
    QString laboratorio;
    QString vendedor;
    int parcelas = 1;

    qint64 final() const { return bruto - desconto; }
    qint64 restante() const { return final() - sinal; }
    bool pago() const { return dataPagamento.isValid(); }
    bool real() const { return tipo == QLatin1String("Pedido"); }
};

class Gerador {
public:
    explicit Gerador(const QDate &today) : m_today(today) {}

    QList<Pedido> pedidos()
    {
        QList<Pedido> out;
        const QDate inicioMes(m_today.year(), m_today.month(), 1);
        // A few orders of this month on fixed convênios, so the stored period (this month) always has
        // something to show and to settle, then the bulk over the last six months.
        const QStringList doMes = {QString::fromUtf8(kConvenioBloqueado), QStringLiteral("Padaria D'Ouro"),
                                   QStringLiteral("Prefeitura Municipal de São José"),
                                   QStringLiteral("Clínica Saúde & Vida"), QStringLiteral("Padaria D'Ouro"),
                                   QStringLiteral("Hospital Nossa Senhora da Conceição")};
        for (const QString &c : doMes)
            out << novo(inicioMes.addDays(m_rng.bounded(inicioMes.daysTo(m_today) + 1)), c, false);
        const qint64 seisMeses = m_today.addMonths(-6).daysTo(m_today);
        for (int i = 0; i < 300; ++i)
            out << novo(m_today.addDays(-m_rng.bounded(seisMeses + 1)), sorteiaConvenio(), true);
        // One prescription of twelve formulas, so that formula 12 is told apart from formula 1.
        Pedido grande = novo(m_today, QStringLiteral("Clínica Saúde & Vida"), false);
        grande.itens.clear();
        grande.formulas.clear();
        for (int f = 0; f < 12; ++f)
            grande.formulas << formula(2 + m_rng.bounded(2));
        grande.bruto = 0;
        for (const Formula &f : grande.formulas)
            grande.bruto += f.preco;
        grande.desconto = 0;
        grande.sinal = 0;
        grande.restanteNulo = false;
        grande.tipo = QStringLiteral("Pedido");
        out << grande;

        std::stable_sort(out.begin(), out.end(), [](const Pedido &a, const Pedido &b) {
            return a.data != b.data ? a.data < b.data : a.hora < b.hora;
        });
        int proximo[2] = {1, 1};
        for (Pedido &p : out) {
            const int s = m_rng.bounded(100) < 60 ? 0 : 1;
            p.estacao = s == 0 ? QStringLiteral("01") : QStringLiteral("02");
            p.numero = proximo[s]++;
        }
        return out;
    }

    QRandomGenerator &rng() { return m_rng; }

private:
    QString sorteiaConvenio()
    {
        if (m_rng.bounded(100) < 15)
            return {};
        QStringList com;
        for (const ConvenioDemo &c : kConvenios)
            if (c.temPedidos)
                com << QString::fromUtf8(c.nome);
        return com.at(m_rng.bounded(int(com.size())));
    }

    Formula formula(int nComponentes)
    {
        Formula f;
        f.forma = m_rng.bounded(int(std::size(kFormasFarma)));
        f.quantidade = kFormasFarma[f.forma].quantidades[m_rng.bounded(3)];
        const int pool = kFormasFarma[f.forma].oral ? int(std::size(kOrais)) : int(std::size(kTopicos));
        QList<int> indices;
        for (int i = 0; i < pool; ++i)
            indices << i;
        for (int i = 0; i < nComponentes; ++i) {
            const int j = i + m_rng.bounded(pool - i);
            std::swap(indices[i], indices[j]);
            f.componentes.indices << indices[i];
            f.componentes.doses << m_rng.bounded(3);
        }
        f.preco = 2500 + m_rng.bounded(15000) + nComponentes * 850;
        return f;
    }

    Pedido novo(const QDate &data, const QString &convenio, bool sorteiaTipo)
    {
        Pedido p;
        p.data = data;
        p.hora = QTime(8 + m_rng.bounded(11), m_rng.bounded(60), m_rng.bounded(60));
        p.convenio = convenio;
        p.tipo = sorteiaTipo && m_rng.bounded(100) < 10 ? QStringLiteral("Orcam") : QStringLiteral("Pedido");
        p.cliente = m_rng.bounded(int(kClientes.size()));
        p.nome = kClientes.at(p.cliente);
        p.vendedor = kVendedores.at(m_rng.bounded(int(kVendedores.size())));
        if (m_rng.bounded(100) < 30)
            p.laboratorio = kLaboratorios.at(m_rng.bounded(int(kLaboratorios.size())));

        if (m_rng.bounded(2) == 0) {
            const int n = 1 + m_rng.bounded(3);
            QList<int> usados;
            while (p.itens.size() < n) {
                const int prod = m_rng.bounded(int(std::size(kProdutos)));
                if (usados.contains(prod))
                    continue;
                usados << prod;
                p.itens << Item{prod, 1 + m_rng.bounded(3)};
                p.bruto += kProdutos[prod].preco * p.itens.last().quantidade;
            }
        } else {
            const int n = 1 + m_rng.bounded(3);
            for (int i = 0; i < n; ++i) {
                p.formulas << formula(2 + m_rng.bounded(5));
                p.bruto += p.formulas.last().preco;
            }
        }

        int descontoCentesimos = 0;
        for (const ConvenioDemo &c : kConvenios)
            if (convenio == QString::fromUtf8(c.nome))
                descontoCentesimos = c.descontoCentesimos;
        p.desconto = (p.bruto * descontoCentesimos + 5000) / 10000;
        if (m_rng.bounded(100) < 20)
            p.sinal = p.final() * (10 + m_rng.bounded(41)) / 100;
        p.restanteNulo = sorteiaTipo && m_rng.bounded(100) < 3;

        if (convenio.isEmpty()) {
            static const QStringList formas = {QStringLiteral("Dinheiro"), QStringLiteral("Cartão"),
                                               QStringLiteral("Cheque"), QStringLiteral("Pix")};
            p.forma = formas.at(m_rng.bounded(int(formas.size())));
        } else {
            p.forma = QStringLiteral("Convênio");
        }
        // Orders without a convênio are mostly paid at the counter; convênio orders stay open until
        // the convênio is settled, except some older ones already settled.
        const int chancePago = convenio.isEmpty() ? 80 : (p.data.daysTo(m_today) > 40 ? 35 : 0);
        if (p.tipo == QLatin1String("Pedido") && m_rng.bounded(100) < chancePago)
            p.dataPagamento = std::min(m_today, p.data.addDays(m_rng.bounded(35)));
        p.parcelas = 1 + m_rng.bounded(3);
        return p;
    }

    QDate m_today;
    QRandomGenerator m_rng{20240517u};
};

// ---------------------------------------------------------------------------------------------

void preencheCadastros(Connection &db)
{
    Inserter categoria(db, QStringLiteral("CATECONV"), {QStringLiteral("CODCATECONV"), QStringLiteral("CATEGORIACONV")});
    for (int i = 0; i < kCategorias.size(); ++i)
        categoria({i + 1, kCategorias.at(i)});

    Inserter forma(db, QStringLiteral("FORMAPAG"),
                   {QStringLiteral("FORMAPAGTO"), QStringLiteral("CODFORMA"), QStringLiteral("TOTALIZADORES"),
                    QStringLiteral("ADM_CONVENIO")});
    for (const FormaPag &f : kFormas)
        forma({QString::fromUtf8(f.nome), QString::fromUtf8(f.codigo), QString::fromUtf8(f.totalizadores),
               QString::fromUtf8(f.admConvenio)});

    Inserter rota(db, QStringLiteral("ROTAS"), {QStringLiteral("ROTA"), QStringLiteral("MOTOQUEIRO")});
    for (const Rota &r : kRotas)
        rota({QString::fromUtf8(r.rota), r.motoqueiro ? QVariant(QString::fromUtf8(r.motoqueiro)) : nullValue()});

    Inserter convenio(db, QStringLiteral("CONVENIO"),
                      QStringLiteral("CODIGOCONVENIO, CONVENIO, TIPO, ENDERECO, BAIRRO, CIDADE, ESTADO, CEP, TELEFONE, "
                                     "CONTATO, DESCONTO, DATAINIPER, VENCIMENTO, VALORAPAGAR, ROTA, CONTROLE, "
                                     "REFERENCIA, OBSERVACAO, E_MAIL, ACRESCPERC, ENTRA_COMISSAO")
                          .split(QStringLiteral(", ")));
    auto txt = [](const char *s) { return s ? QVariant(QString::fromUtf8(s)) : QVariant(); };
    for (const ConvenioDemo &c : kConvenios)
        convenio({c.codigo, txt(c.nome), txt(c.tipo), txt(c.endereco), txt(c.bairro), txt(c.cidade), txt(c.estado),
                  txt(c.cep), txt(c.telefone), txt(c.contato), money(c.descontoCentesimos), 1, c.vencimento,
                  money(c.valorAPagar), txt(c.rota), txt(c.controle), txt(c.referencia), txt(c.observacao),
                  txt(c.email), money(c.acrescimoCentesimos), txt(c.entraComissao)});

    Inserter usuario(db, QStringLiteral("USUARIOS"),
                     QStringLiteral("USUARIO, CODIGO, SENHA, ACESSO, ARQUIVO, LOGADO, ESTACAO, CONSIST_INICIAL, DEFVIDEOQUB")
                         .split(QStringLiteral(", ")));
    int codigo = 0;
    for (const Login &l : logins()) {
        ++codigo;
        usuario({CodificaSenha(WinText::upperAscii(l.name)), QStringLiteral("%1").arg(codigo, 3, 10, QLatin1Char('0')),
                 CodificaSenha(WinText::upperAscii(l.password)), rightsText(WinText::upperAscii(l.name), l.hasRight),
                 QStringLiteral("USU%1").arg(codigo, 3, 10, QLatin1Char('0')), QStringLiteral("N"),
                 textOrNull(l.workstation), QStringLiteral("S"), 0});
    }

    // ADMIN authorises the reversal of settlements.
    db.execute(QStringLiteral("insert into CONVENIOS_SUPERVISORES (USUARIO, DATAHORA) values ('ADMIN', CURRENT_TIMESTAMP)"));

    Inserter estacao(db, QStringLiteral("ESTACOES"),
                     QStringLiteral("ESTACAO, DATBASNAM, TIPO, ESVAZIAR, EMUSO, CAMINHOREQUISICAO, CAMINHOOM, "
                                    "CAMINHOECF, ROTULO1, USUARIO, CNPJ")
                         .split(QStringLiteral(", ")));
    for (const Login &l : logins()) {
        if (l.workstation.isEmpty())
            continue;
        // MARIA's row holds her name in lower case, as the suite's older set-up programs wrote it.
        const QString dono = l.name == QLatin1String("MARIA") ? l.name.toLower() : l.name;
        const QString pasta = QStringLiteral("C:\\PRAXOLIN\\INTERFAC") + l.workstation;
        estacao({l.workstation, QStringLiteral("INTERFAC") + l.workstation,
                 l.workstation == QLatin1String("01") ? QStringLiteral("Balcão") : QStringLiteral("Caixa"),
                 QStringLiteral("Não"), QStringLiteral("N"), pasta + QStringLiteral("\\REQ"),
                 pasta + QStringLiteral("\\OM"), pasta + QStringLiteral("\\ECF"), QStringLiteral("Farmácia Modelo"),
                 dono, QStringLiteral("12345678000190")});
    }
}

void preenchePedidos(Connection &db, const QList<Pedido> &pedidos, QRandomGenerator &rng, const QDate &today)
{
    Inserter pedido(db, QStringLiteral("PEDIDOS"),
                    QStringLiteral("ESTACAO, NPEDIDO, NOME, ENDER1, ENDER2, FONE, MEDICO, ESTACAOCLIENTE, CODIGOCLIENTE, "
                                   "DATAPEDIDO, HORAPEDIDO, RECEBIDOPOR, TIPOPEDIDO, QDEFORMULAS, PRECOFINAL, PRECOTOTAL, "
                                   "CONVENIO, DESCPERC, DESCONTO, SINAL, VALORRESTANTE, VENCIMENTO, PAGO, DATAPAGAMENTO, "
                                   "PRONTO, ENTREGUE, FORMAPAGAMENTO, VENDEDOR, CAIXA, LABORATORIO, PACIENTE")
                        .split(QStringLiteral(", ")));
    Inserter item(db, QStringLiteral("ITENS"),
                  QStringLiteral("ESTACAO, NPEDIDO, CODPROD, GRUPO, DESCRICAO, UNIDADE, VALUNIT, QDE, VALTOT, DESCPERC, "
                                 "DESCDIN, VALFINAL, ORDEM")
                      .split(QStringLiteral(", ")));
    Inserter formula(db, QStringLiteral("PEDIFORM"),
                     QStringLiteral("ESTACAO, NPEDIDO, NFORMULA, FORMAFARMA, POSOLOGIA, PRECOFORMULA, QDECAPSULAS, "
                                    "QDEROTULOS, VALIDADE, VOLUMETOTAL, UNIDADE, USO, PRONTO, ENTREGUE")
                         .split(QStringLiteral(", ")));
    Inserter componente(db, QStringLiteral("COMPEDID"),
                        QStringLiteral("ESTACAO, NPEDIDO, NFORMULA, COMPONENTE, QDE, UNID, VALOR, COMPONENTEDIG, QDEDIG, "
                                       "UNIDDIG, ORDEM")
                            .split(QStringLiteral(", ")));
    Inserter parcela(db, QStringLiteral("PAGPEDID"),
                     QStringLiteral("ESTACAO, NPEDIDO, NPARCELA, FORMAPAGTO, VENCIMENTO, VALOR, DATAPAGTO, VALORPAGO")
                         .split(QStringLiteral(", ")));
    Inserter conta(db, QStringLiteral("CONTASPR"),
                   {QStringLiteral("CODIGOCPR"), QStringLiteral("CODIGOPEDIDO"), QStringLiteral("NATUREZA"),
                    QStringLiteral("DESCRICAO")});
    Inserter parcelaConta(db, QStringLiteral("PARCELAS"),
                          {QStringLiteral("CODIGOCPR"), QStringLiteral("NPARCELA"), QStringLiteral("VENCIMENTO"),
                           QStringLiteral("VALORPARCELA"), QStringLiteral("DATAPAGTO"), QStringLiteral("VALORPAGO")});

    int codigoConta = 0;
    QStringList codigosAbertos;   // order codes of open convênio orders, for the payable accounts below
    for (const Pedido &p : pedidos) {
        const QVariant restante = p.restanteNulo ? QVariant() : money(p.restante());
        const int descPerc = p.bruto ? int((p.desconto * 10000 + p.bruto / 2) / p.bruto) : 0;
        pedido({p.estacao, p.numero, p.nome,
                QStringLiteral("%1, %2").arg(kRuas.at(p.cliente % kRuas.size())).arg(100 + p.cliente * 37),
                QStringLiteral("Curitiba - PR"), QStringLiteral("(41) 9%1-%2").arg(8800 + p.cliente).arg(1000 + p.cliente * 13),
                p.formulas.isEmpty() ? QVariant() : QVariant(kMedicos.at(p.cliente % kMedicos.size())),
                p.estacao, p.cliente + 1, p.data, p.hora, p.vendedor, p.tipo, int(p.formulas.size()),
                money(p.final()), money(p.bruto), textOrNull(p.convenio), money(descPerc), money(p.desconto),
                money(p.sinal), restante, p.data.addDays(30), p.pago() ? QStringLiteral("T") : QStringLiteral("F"),
                dateOrNull(p.dataPagamento), QStringLiteral("T"),
                p.pago() || p.data.daysTo(today) > 3 ? QStringLiteral("T") : QStringLiteral("F"), p.forma, p.vendedor,
                QStringLiteral("CAIXA 1"), textOrNull(p.laboratorio), p.nome});

        for (int i = 0; i < p.itens.size(); ++i) {
            const Produto &prod = kProdutos[p.itens[i].produto];
            const qint64 total = prod.preco * p.itens[i].quantidade;
            item({p.estacao, p.numero, QString::fromUtf8(prod.codigo), QStringLiteral("REV"),
                  QString::fromUtf8(prod.descricao), QString::fromUtf8(prod.unidade), money(prod.preco),
                  p.itens[i].quantidade, money(total), money(0), money(0), money(total), i + 1});
        }
        for (int n = 0; n < p.formulas.size(); ++n) {
            const Formula &f = p.formulas[n];
            const Forma &forma = kFormasFarma[f.forma];
            const bool contadas = QLatin1String(forma.unidade) == QLatin1String("CAP") ||
                                  QLatin1String(forma.unidade) == QLatin1String("SAC");
            formula({p.estacao, p.numero, n + 1, QString::fromUtf8(forma.nome), QString::fromUtf8(forma.posologia),
                     money(f.preco), contadas ? QVariant(f.quantidade) : QVariant(), 1 + (f.quantidade > 60 ? 1 : 0),
                     QStringLiteral("90 dias"), QVariant::fromValue(Decimal(f.quantidade, 0)),
                     QString::fromUtf8(forma.unidade), forma.oral ? QStringLiteral("Oral") : QStringLiteral("Externo"),
                     QStringLiteral("T"), QStringLiteral("F")});
            for (int c = 0; c < f.componentes.indices.size(); ++c) {
                const Componente &comp = forma.oral ? kOrais[f.componentes.indices[c]] : kTopicos[f.componentes.indices[c]];
                const QString nome = QString::fromUtf8(comp.nome);
                const double dose = comp.doses[f.componentes.doses[c]];
                const QString unidade = QString::fromUtf8(comp.unidade);
                componente({p.estacao, p.numero, n + 1, nome.toUpper(), dose, unidade,
                            money(150 + rng.bounded(2500)), nome, dose, unidade, c + 1});
            }
        }

        // Instalments and the receivable account exist for real orders with a remaining value.
        if (!p.real() || p.restanteNulo)
            continue;
        const QList<qint64> valores = split(p.restante(), p.parcelas);
        for (int i = 0; i < valores.size(); ++i)
            parcela({p.estacao, p.numero, i + 1, p.forma.left(20), p.data.addDays(30 * (i + 1)), money(valores[i]),
                     dateOrNull(p.dataPagamento), p.pago() ? money(valores[i]) : QVariant()});

        const QString codigoPedido = p.estacao + QString::number(p.numero);
        if (!p.pago() && !p.convenio.isEmpty())
            codigosAbertos << codigoPedido;
        if (rng.bounded(100) >= 85)
            continue;   // some orders have no receivable account
        ++codigoConta;
        const bool comPonto = rng.bounded(100) < 25;
        conta({codigoConta, comPonto ? p.estacao + QLatin1Char('.') + QString::number(p.numero) : codigoPedido,
               QStringLiteral("R"),
               QStringLiteral("Pedido %1/%2 - %3").arg(p.estacao).arg(p.numero).arg(p.nome)});
        const QList<qint64> contas = split(p.restante(), 2 + rng.bounded(2));
        for (int i = 0; i < contas.size(); ++i)
            parcelaConta({codigoConta, i + 1, p.data.addDays(30 * (i + 1)), money(contas[i]),
                          dateOrNull(p.dataPagamento), p.pago() ? money(contas[i]) : QVariant()});
    }

    // Payable accounts. Some carry the code of an open order (a purchase made for it); being
    // payables, no settlement may touch them.
    const QStringList fornecedores = {QStringLiteral("Compra de matéria-prima - Galena Química"),
                                      QStringLiteral("Embalagens - Plásticos São Bento"),
                                      QStringLiteral("Aluguel da loja"), QStringLiteral("Energia elétrica - Copel"),
                                      QStringLiteral("Cápsulas gelatinosas - Capsugel")};
    for (int i = 0; i < fornecedores.size(); ++i) {
        ++codigoConta;
        const QVariant codigoPedido =
            i < 3 && i < codigosAbertos.size() ? QVariant(codigosAbertos.at(codigosAbertos.size() - 1 - i)) : QVariant();
        conta({codigoConta, codigoPedido, QStringLiteral("P"), fornecedores.at(i)});
        const QList<qint64> valores = split(20000 + rng.bounded(180000), 2 + rng.bounded(2));
        for (int n = 0; n < valores.size(); ++n)
            parcelaConta({codigoConta, n + 1, today.addDays(10 + 30 * n), money(valores[n]), QVariant(), QVariant()});
    }

    // Movements of today's cash-register session, written by the cash register itself.
    Inserter movimento(db, QStringLiteral("MOVCAIXA"),
                       QStringLiteral("CODMOVCX, CAIXA, SESSAO, DATAMOV, HORAMOV, VALOR, FORMAPAG, HISTORICO, NPEDIDO, "
                                      "SINALQUITACAO, TIPOMOV, ENTRADASAIDA, NUMPARCELA, NUMDOCUMENTO, NUMMOVIMENTO, "
                                      "LABORATORIO, VALORORIGINAL, DESCONTO")
                           .split(QStringLiteral(", ")));
    const QString sessao = today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("-1");
    struct Mov {
        qint64 valor;
        const char *forma;
        const char *historico;
        const char *tipo;
        const char *es;
    };
    const Mov movs[] = {
        {15000, "Dinheiro", "Abertura de caixa", "Abertura", "Entrada"},
        {0, "Dinheiro", nullptr, "Venda", "Entrada"},   // sales of paid orders without convênio
        {0, "Cartão", nullptr, "Venda", "Entrada"},
        {5000, "Dinheiro", "Suprimento de troco", "Suprimento", "Entrada"},
        {8000, "Dinheiro", "Sangria - depósito bancário", "Sangria", "Saída"},
        {0, "Pix", nullptr, "Venda", "Entrada"},
    };
    QList<const Pedido *> vendas;
    for (const Pedido &p : pedidos)
        if (p.convenio.isEmpty() && p.pago() && !p.restanteNulo && p.real())
            vendas << &p;
    int codigo = 0;
    for (const Mov &m : movs) {
        ++codigo;
        QVariant npedido, laboratorio;
        qint64 valor = m.valor;
        QString historico = m.historico ? QString::fromUtf8(m.historico) : QString();
        if (valor == 0 && !vendas.isEmpty()) {
            const Pedido *v = vendas.takeLast();
            valor = v->restante();
            npedido = v->estacao + QString::number(v->numero);
            laboratorio = textOrNull(v->laboratorio);
            historico = QStringLiteral("Venda - pedido %1/%2").arg(v->estacao).arg(v->numero);
        }
        if (valor == 0)
            continue;
        movimento({codigo, QStringLiteral("1"), sessao, today, QTime(8, 0).addSecs(codigo * 2400 + 17), money(valor),
                   QString::fromUtf8(m.forma), historico, npedido,
                   npedido.isValid() ? QVariant(QStringLiteral("Quitação")) : QVariant(), QString::fromUtf8(m.tipo),
                   QString::fromUtf8(m.es), 0, 0, codigo, laboratorio, money(valor), money(0)});
    }
}

void preencheInterface(Connection &db, const QList<Pedido> &pedidos, const QDate &today)
{
    const QDate inicio(today.year(), today.month(), 1);
    const QDate fim = inicio.addMonths(1).addDays(-1);
    Inserter periodo(db, QStringLiteral("PERIODO"),
                     QStringLiteral("DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO, NPEDIDO, NFORMULA, "
                                    "VALORTOTAL, VALORTOTAL2")
                         .split(QStringLiteral(", ")));
    periodo({inicio, fim, QTime(0, 0), QTime(23, 59), QStringLiteral("1"), QStringLiteral("01"), 0, 0,
             QVariant::fromValue(Decimal(0, 8)), QVariant::fromValue(Decimal(0, 8))});

    // Orders being typed at the counter: numbered after the last central order of each station.
    int ultimo[2] = {0, 0};
    for (const Pedido &p : pedidos) {
        int &u = ultimo[p.estacao == QLatin1String("01") ? 0 : 1];
        u = std::max(u, p.numero);
    }
    Inserter pedido(db, QStringLiteral("PEDIDOS"),
                    QStringLiteral("ESTACAO, NPEDIDO, VENDEDOR, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE")
                        .split(QStringLiteral(", ")));
    const QString bloqueado = QString::fromUtf8(kConvenioBloqueado);
    pedido({QStringLiteral("01"), ultimo[0] + 1, QStringLiteral("Renata"), bloqueado, today, QStringLiteral("Pedido"),
            money(8790)});
    pedido({QStringLiteral("02"), ultimo[1] + 1, QStringLiteral("Júlio"), bloqueado, today, QStringLiteral("Pedido"),
            money(15430)});
    // A budget at the counter does not hold back a settlement.
    pedido({QStringLiteral("01"), ultimo[0] + 2, QStringLiteral("Aline"), QStringLiteral("Padaria D'Ouro"), today,
            QStringLiteral("Orcam"), money(4200)});
}

QByteArray standInScript(const QString &program)
{
    QString s;
    s += QStringLiteral("#!/bin/sh\n");
    s += QStringLiteral("# Stand-in for %1 in the demo suite: records how it was started.\n").arg(program);
    s += QStringLiteral("log=\"$(dirname \"$0\")/%1.log\"\n").arg(program.section(QLatin1Char('.'), 0, 0));
    s += QStringLiteral("{\n");
    s += QStringLiteral("  echo \"$(date '+%Y-%m-%d %H:%M:%S') %1, $# argument(s):\"\n").arg(program);
    s += QStringLiteral("  for arg in \"$@\"; do printf '%s\\n' \"$arg\"; done\n");
    s += QStringLiteral("} >> \"$log\"\n");
    return s.toUtf8();
}

} // namespace

// ---------------------------------------------------------------------------------------------

const QList<Login> &logins()
{
    static const QList<Login> list = {
        {QStringLiteral("ADMIN"), QStringLiteral("123"), true, QStringLiteral("01")},
        {QStringLiteral("MARIA"), QStringLiteral("abc"), true, QStringLiteral("02")},
        {QStringLiteral("JOAO"), QStringLiteral("4321"), false, QString()},
        {QStringLiteral("PEDRO"), QStringLiteral("777"), true, QString()},
    };
    return list;
}

QString convenioWithCounterOrders() { return QString::fromUtf8(kConvenioBloqueado); }

void fill(Connection &central, Connection &interfaceDb, const QDate &today)
{
    Gerador gerador(today);
    const QList<Pedido> pedidos = gerador.pedidos();
    {
        Transaction tx(central);
        preencheCadastros(central);
        preenchePedidos(central, pedidos, gerador.rng(), today);
        tx.commit();
    }
    {
        Transaction tx(interfaceDb);
        preencheInterface(interfaceDb, pedidos, today);
        tx.commit();
    }
}

QStringList writeSiblingStandIns(const QString &root)
{
    QStringList written;
    for (const QString &program : {QStringLiteral("Rebatex.exe"), QStringLiteral("Mirrorup.exe")}) {
        QFile f(QDir(root).filePath(program));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw std::runtime_error(QStringLiteral("Não foi possível gravar %1").arg(f.fileName()).toStdString());
        f.write(standInScript(program));
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther |
                         QFile::ReadGroup | QFile::ReadOther);
        written << f.fileName();
    }
    return written;
}

void createSuite(const QString &root, const SuiteBuilder::Options &options, bool withRows)
{
    SuiteBuilder::createEmptySuite(root, options);
    if (withRows) {
        Connection central(QStringLiteral("setup-central"));
        central.setDatabase(SuiteBuilder::centralDatabasePath(root));
        Connection iface(QStringLiteral("setup-interface"));
        iface.setDatabase(SuiteBuilder::interfaceDatabasePath(root));
        fill(central, iface);
        central.close();
        iface.close();
    }
    writeSiblingStandIns(root);
}

}
