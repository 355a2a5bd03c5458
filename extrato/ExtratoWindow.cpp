#include "extrato/ExtratoWindow.h"

#include "session/Configuracao.h"
#include "session/Sessao.h"
#include "settlement/windows/ContextoDaSessao.h"
#include "billing/window/FaturamentoExtrato.h"
#include "controls/DBGrid.h"
#include "controls/Edit.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/SqlText.h"
#include "platform/ErrorReporter.h"
#include "platform/Contagem.h"
#include "platform/Messages.h"
#include "reports/ReportModule.h"
#include "reports/ExtratoReport.h"
#include "settlement/Atomic.h"
#include "settlement/windows/Comprovante.h"
#include "platform/ShutdownSignals.h"
#include "settlement/windows/Confirmacao.h"
#include "settlement/windows/QuitacoesWindow.h"
#include "settlement/windows/WaitPanel.h"
#include "settlement/Registro.h"
#include "settlement/QuitacaoExtrato.h"
#include "extrato/ExtratoDocument.h"
#include "data/PedidosDoPeriodo.h"

#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QScrollBar>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>

using SqlText::quoted;

const QString ExtratoWindow::DicaFinalizando =
    QStringLiteral("Finalizando: Tecle <ESC> para encerrar e fixar o período selecionado");
const QString ExtratoWindow::DicaEstendendo =
    QStringLiteral("Mantenha a tecla Shift pressionada e tecle a \"Seta para Baixo\" até a data final desejada");

namespace {

// Colours each cell of the order list: the info background for orders inside the period, white
// outside it and while the period is being redefined; black text.
class PeriodoDelegate : public QStyledItemDelegate {
public:
    static inline const QColor Destaque{0, 0, 128};

    PeriodoDelegate(ExtratoWindow *w, CentralData *dm) : QStyledItemDelegate(w), m_w(w), m_dm(dm) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const CachedTable &pedidos = m_dm->PEDIDOS;
        const QDate data = pedidos.valueAt(index.row(), pedidos.fieldIndex(QStringLiteral("DATAPEDIDO"))).toDate();
        const QColor fundo = m_w->dentroDoPeriodo(data) ? QApplication::palette().color(QPalette::ToolTipBase)
                                                        : QColor(Qt::white);
        // The current order is filled, so that it stands out of the list at a glance.
        const bool atual = opt.state & QStyle::State_Selected;
        painter->fillRect(opt.rect, atual ? Destaque : fundo);
        painter->setPen(atual ? QColor(Qt::white) : QColor(Qt::black));
        painter->drawText(opt.rect.adjusted(3, 0, -3, 0), int(opt.displayAlignment) | Qt::AlignVCenter, opt.text);
    }

private:
    ExtratoWindow *m_w;
    CentralData *m_dm;
};

QLabel *caixaBranca(QWidget *parent, int x, int y, int w)
{
    auto *l = new QLabel(parent);
    l->setGeometry(x, y, w, 21);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, Qt::white);
    l->setPalette(p);
    return l;
}

}

ExtratoWindow::ExtratoWindow(Sessao &sessao, const QString &convenio, QWidget *parent)
    : QDialog(parent), m_sessao(sessao), m_convenio(convenio), m_dm(*sessao.central), m_dm2(*sessao.interfaceData),
      m_detalhes(sessao.central->SQLConnection1)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" Extrato do Convênio "));
    setModal(true);
    buildLayout();

    Timer1 = new QTimer(this);
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, &ExtratoWindow::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(2000);
    connect(Timer2, &QTimer::timeout, this, &ExtratoWindow::Timer2Timer);

    m_dm.PEDIDOS.afterScroll = [this] { PEDIDOSAfterScroll(); };
    m_dm.PEDIFORM.afterScroll = [this] { PEDIFORMAfterScroll(); };
    // Every read of the list (opening, a write-back's re-read, closing) reads its details again.
    const auto relida = [this] { m_listaRelida = true; };
    connect(&m_dm.PEDIDOS, &QAbstractItemModel::modelReset, this, relida);
    connect(&m_dm.PEDIDOS, &QAbstractItemModel::rowsInserted, this, relida);
    connect(&m_dm.PEDIDOS, &QAbstractItemModel::rowsRemoved, this, relida);
}

ReportModule &ExtratoWindow::RM()
{
    if (!m_rm)
        m_rm = std::make_unique<ReportModule>(QString());
    return *m_rm;
}

// The open orders of the list, in its order, with their details and the total still owed.
void ExtratoWindow::BotImprimirClick()
{
    ErrorReporter::guard([this] {
        if (!m_dm.PEDIDOS.isOpen() || m_dm.PEDIDOS.isEmpty())
            return;
        ExtratoDocument::Request pedido;
        pedido.convenio = m_convenio;
        pedido.inicio = SqlText::parseDMY(DiTexto);
        pedido.fim = SqlText::parseDMY(DfTexto);
        pedido.filtroDaLista = m_filtro;
        pedido.usuario = m_sessao.usuarioLogado;
        pedido.emissao = QDateTime::currentDateTime();
        const ExtratoData dados = ExtratoDocument::load(m_dm.SQLConnection1, m_dm.PEDIDOS, pedido);
        RM().run([&dados](const std::function<void(int)> &onPage) { return buildExtratoReport(dados, onPage); });
    });
}

ContextoFaturamento ExtratoWindow::contextoFaturamento() const
{
    return {&m_dm.SQLConnection1, m_convenio, SqlText::parseDMY(DiTexto), SqlText::parseDMY(DfTexto),
            m_sessao.usuarioLogado, m_sessao.usuario(), m_sessao.estacaoAtual};
}

ExtratoWindow::~ExtratoWindow()
{
    m_dm.PEDIDOS.afterScroll = nullptr;
    m_dm.PEDIFORM.afterScroll = nullptr;
    // The dialog's own destructor hides the list, whose header then reports its geometry: by then
    // this window is gone, so the sort buttons must no longer follow it.
    DBGrid1->horizontalHeader()->disconnect(this);
    DBGrid1->horizontalScrollBar()->disconnect(this);
    FormClose();
}

void ExtratoWindow::buildLayout()
{
    resize(860, 620);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Label1 = new QLabel(this);
    Label1->setGeometry(12, 8, 560, 28);
    QFont grande = Label1->font();
    grande.setPointSize(14);
    grande.setBold(true);
    Label1->setFont(grande);
    Label1->setStyleSheet(QStringLiteral("color: maroon;"));

    Label6 = new QLabel(QStringLiteral("Pagamentos em aberto do período"), this);
    Label6->setGeometry(12, 40, 560, 18);
    Label6->setStyleSheet(QStringLiteral("color: navy; font-weight: bold;"));

    DBGrid1 = new DBGrid(&m_dm.PEDIDOS, this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(12, 62, 620, 250);
    DBGrid1->setColumns({{QStringLiteral("DATAPEDIDO"), QStringLiteral("Data"), 60},
                         {QStringLiteral("ESTACAO"), QStringLiteral("Est."), 30},
                         {QStringLiteral("NPEDIDO"), QStringLiteral("N.Pedido"), 60},
                         {QStringLiteral("NOME"), QStringLiteral("Nome"), 110},
                         {QStringLiteral("FORMAPAGAMENTO"), QStringLiteral("Forma de Pagamento"), 120},
                         {QStringLiteral("PRECOFINAL"), QStringLiteral("Preço (R$)"), 76},
                         {QStringLiteral("VALORRESTANTE"), QStringLiteral("Em Aberto (R$)"), 90}});
    m_dm.PEDIDOS.setDisplayFormat(QStringLiteral("PRECOFINAL"), QStringLiteral("###,###,##0.00"));
    m_dm.PEDIDOS.setDisplayFormat(QStringLiteral("VALORRESTANTE"), QStringLiteral("###,###,##0.00"));
    m_dm.ITENS.setDisplayFormat(QStringLiteral("VALFINAL"), QStringLiteral("#,##0.00"));
    m_dm.PEDIFORM.setDisplayFormat(QStringLiteral("PRECOFORMULA"), QStringLiteral("#,##0.00"));
    m_dm.ITENS.setDisplayFormat(QStringLiteral("QDE"), QStringLiteral("#,##0.00"));
    m_dm.PEDIFORM.setDisplayFormat(QStringLiteral("VOLUMETOTAL"), QStringLiteral("#,##0.00"));
    DBGrid1->setItemDelegate(new PeriodoDelegate(this, &m_dm));
    QPalette gp = DBGrid1->palette();
    gp.setColor(QPalette::Base, QApplication::palette().color(QPalette::ToolTipBase));
    DBGrid1->setPalette(gp);
    DBGrid1->installEventFilter(this);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &DBGrid::cellClicked, this, [this] { ErrorReporter::guard([this] { DBGrid1CellClick(); }); });

    PopupMenu1 = new QMenu(this);
    QuitaroPERODOselecionado1 = PopupMenu1->addAction(QStringLiteral("Quitar todos os pedidos do período especificado"));
    Quitaropedidoselecionado1 = PopupMenu1->addAction(QStringLiteral("Quitar apenas o pedido selecionado"));
    PopupMenu1->addSeparator();
    Quitacoes1 = PopupMenu1->addAction(QStringLiteral("Quitações do convênio..."));
    connect(Quitacoes1, &QAction::triggered, this, [this] { ErrorReporter::guard([this] { Quitacoes1Click(); }); });
    connect(QuitaroPERODOselecionado1, &QAction::triggered, this,
            [this] { ErrorReporter::guard([this] { QuitaroPERODOselecionado1Click(); }); });
    connect(Quitaropedidoselecionado1, &QAction::triggered, this,
            [this] { ErrorReporter::guard([this] { Quitaropedidoselecionado1Click(); }); });
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(pos)); });

    // The two sort buttons lie over the title row, above the "Data" and "Nome" titles.
    BitBtn4 = new QPushButton(QStringLiteral("Data"), this);
    BitBtn3 = new QPushButton(QStringLiteral("Nome"), this);
    for (QPushButton *b : {BitBtn4, BitBtn3})
        b->setAutoDefault(true);
    connect(BitBtn4, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { BitBtn4Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { BitBtn3Click(); }); });

    BitBtn1 = new QPushButton(QStringLiteral("&Sair"), this);
    BitBtn1->setGeometry(650, 62, 190, 34);
    BitBtn1->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    BitBtn1->setAutoDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &ExtratoWindow::BitBtn1Click);

    Label4 = new QLabel(QStringLiteral("Data da Quitação"), this);
    Label4->move(650, 110);
    MaskEdit1 = new Edit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setInputMask(QStringLiteral("99/99/99;_"));
    MaskEdit1->setGeometry(650, 128, 100, 24);
    MaskEdit1->installEventFilter(this);

    Label2 = new QLabel(QStringLiteral("Período:"), this);
    Label2->move(650, 170);
    LabelDi = caixaBranca(this, 650, 188, 80);
    Label3 = new QLabel(QStringLiteral("a"), this);
    Label3->move(737, 190);
    LabelDf = caixaBranca(this, 750, 188, 80);

    // What the period's open orders still owe: the sum of the list's last column.
    Label7 = new QLabel(QStringLiteral("Total em Aberto (R$):"), this);
    Label7->move(650, 230);
    Label8 = caixaBranca(this, 650, 248, 180);

    BotImprimir = new QPushButton(QStringLiteral("&Imprimir"), this);
    BotImprimir->setObjectName(QStringLiteral("BotImprimir"));
    BotImprimir->setGeometry(650, 280, 190, 30);
    BotImprimir->setAutoDefault(true);
    connect(BotImprimir, &QPushButton::clicked, this, &ExtratoWindow::BotImprimirClick);

    const auto faturamento = FaturamentoExtrato::acrescentaBotoes(
        this, [this] { return contextoFaturamento(); }, [this]() -> ReportModule & { return RM(); }, DBGrid1);
    BotEmail = faturamento.email;
    BotEmail->setGeometry(650, 4, 190, 26);
    BotEmpresa = faturamento.empresa;
    BotEmpresa->setGeometry(650, 32, 190, 26);

    PainelAguarde = new WaitPanel(this);
    PainelAguarde->centrado = true;
    connect(PainelAguarde, &WaitPanel::emCurso, this, &ExtratoWindow::quitacaoEmCurso);
    // Over a network the settlement's calls run in the background, so that a stalled link can be
    // cancelled; the embedded engine has no link to stall.
    if (m_dm.SQLConnection1.isRemote())
        PainelAguarde->cancela = [this] { m_dm.SQLConnection1.cancel(); };

    LabelQuantidade = new QLabel(this);
    LabelQuantidade->setObjectName(QStringLiteral("LabelQuantidade"));
    LabelQuantidade->setGeometry(332, 314, 300, 18);
    LabelQuantidade->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label9 = new QLabel(this);
    Label9->setGeometry(12, 318, 828, 20);
    Label9->setAutoFillBackground(true);
    Label9->setStyleSheet(QStringLiteral("color: navy; background-color: #FFFFE1;"));
    Label9->hide();

    Label5 = new QLabel(QStringLiteral("Produtos Prontos"), this);
    Label5->setGeometry(12, 342, 400, 18);
    Label5->setStyleSheet(QStringLiteral("color: navy; font-weight: bold;"));

    DBGrid2 = new DBGrid(&m_dm.ITENS, this);
    DBGrid2->setGeometry(12, 362, 620, 240);
    DBGrid2->setColumns({{QStringLiteral("DESCRICAO"), QStringLiteral("Descrição do Produto"), 300},
                         {QStringLiteral("QDE"), QStringLiteral("Quantidade"), 86},
                         {QStringLiteral("UNIDADE"), QStringLiteral("Unidade"), 50},
                         {QStringLiteral("VALFINAL"), QStringLiteral("Valor (R$)"), 80}});
    DBGrid2->hide();
    DBGrid3 = new DBGrid(&m_dm.PEDIFORM, this);
    // The formula pane is wide enough for every title and value of its columns; the component pane
    // takes the rest of the row.
    DBGrid3->setGeometry(12, 362, 566, 240);
    DBGrid3->setColumns({{QStringLiteral("FORMAFARMA"), QStringLiteral("Forma Farmacêutica"), 100},
                         {QStringLiteral("QDEROTULOS"), QStringLiteral("Qde Frascos"), 70},
                         {QStringLiteral("QDECAPSULAS"), QStringLiteral("Qde Caps/Doses"), 90},
                         {QStringLiteral("VOLUMETOTAL"), QStringLiteral("Vol. Total"), 70},
                         {QStringLiteral("UNIDADE"), QStringLiteral("Unidade"), 50},
                         {QStringLiteral("PRECOFORMULA"), QStringLiteral("Preço (R$)"), 70}});
    DBGrid4 = new DBGrid(&m_dm.COMPEDID, this);
    DBGrid4->setGeometry(584, 362, 256, 240);
    DBGrid4->setColumns({{QStringLiteral("COMPONENTEDIG"), QStringLiteral("Componente"), 110},
                         {QStringLiteral("QDEDIG"), QStringLiteral("Dosagem"), 60},
                         {QStringLiteral("UNIDDIG"), QStringLiteral("Unidade"), 49}});

    // The order table outlives the window: a later statement may reopen it without a reset, so
    // the buttons follow the header itself.
    QHeaderView *titulos = DBGrid1->horizontalHeader();
    connect(titulos, &QHeaderView::sectionResized, this, &ExtratoWindow::posicionaBotoesDeOrdem);
    connect(titulos, &QHeaderView::sectionMoved, this, &ExtratoWindow::posicionaBotoesDeOrdem);
    connect(titulos, &QHeaderView::geometriesChanged, this, &ExtratoWindow::posicionaBotoesDeOrdem);
    connect(DBGrid1->horizontalScrollBar(), &QScrollBar::valueChanged, this, &ExtratoWindow::posicionaBotoesDeOrdem);
    posicionaBotoesDeOrdem();

    for (DBGrid *grid : {DBGrid1, DBGrid2, DBGrid3, DBGrid4})
        grid->setWidenToContents(true);
    setTabOrder(BitBtn1, DBGrid1);
    setTabOrder(DBGrid1, MaskEdit1);
    setTabOrder(MaskEdit1, DBGrid2);
    setTabOrder(DBGrid2, DBGrid3);
    setTabOrder(DBGrid3, DBGrid4);
    setTabOrder(DBGrid4, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
    setTabOrder(BitBtn4, BotImprimir);
    setTabOrder(BotImprimir, BotEmail);
    setTabOrder(BotEmail, BotEmpresa);
}

// ---------------------------------------------------------------------------------------------
// Loading

void ExtratoWindow::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!m_ativado) {
        m_ativado = true;
        // Loading runs once the window is up, inside its own modal loop.
        QTimer::singleShot(0, this, [this] { ErrorReporter::guard([this] { FormActivate(); }); });
    }
}

void ExtratoWindow::derivaPeriodo(const QDate &inicio, const QDate &fim)
{
    DiSQL = SqlText::dateMDY(inicio);
    DfSQL = SqlText::dateMDY(fim);
    DiTexto = SqlText::dateDMY(inicio);
    DfTexto = SqlText::dateDMY(fim);
    m_diLista = SqlText::parseDMY(DiTexto);
    m_dfLista = SqlText::parseDMY(DfTexto);
}

void ExtratoWindow::lePeriodo()
{
    CachedTable &p = m_dm2.Periodo;
    p.open();
    derivaPeriodo(p.value(QStringLiteral("DATAINICIAL")).toDate(), p.value(QStringLiteral("DATAFINAL")).toDate());
    p.close();
}

void ExtratoWindow::mostraPeriodo()
{
    LabelDi->setText(DiTexto);
    LabelDf->setText(DfTexto);
    setWindowTitle(QStringLiteral("Extrato de pagamentos em aberto do convênio ") + m_convenio +
                   QStringLiteral(" de ") + DiTexto + QStringLiteral(" a ") + DfTexto);
    Label6->setText(QStringLiteral("Lista de pagamentos em aberto no período de ") + DiTexto + QStringLiteral(" a ") +
                    DfTexto);
}

// The list's select, with the period and the convênio as parameters of its filter (m_filtro).
QString ExtratoWindow::sqlPedidos(Variante v) const
{
    const QString ordem = v == Variante::PorNome ? QStringLiteral(" order by NOME, DATAPEDIDO") : QStringLiteral(" order by DATAPEDIDO");
    return QStringLiteral("Select ") + CentralData::PedidosColumns + QStringLiteral(" from PEDIDOS where ") + m_filtro.texto +
           ordem;
}

// By name as a Brazilian reader orders names ("Ângela" before "José", case and accents aside), then
// by date: the database orders the names by their code page's bytes.
CachedTable::RowOrder ExtratoWindow::porNomeEmPortugues(const CachedTable &pedidos)
{
    auto collator = std::make_shared<QCollator>(QLocale(QLocale::Portuguese, QLocale::Brazil));
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    const CachedTable *t = &pedidos;   // its columns are known once a read has brought them
    return [collator, t](const QVector<QVariant> &a, const QVector<QVariant> &b) {
        const int nome = t->fieldIndex(QStringLiteral("NOME"));
        const int data = t->fieldIndex(QStringLiteral("DATAPEDIDO"));
        if (nome < 0 || data < 0)
            return false;
        const int c = collator->compare(a[nome].toString(), b[nome].toString());
        return c != 0 ? c < 0 : compareValues(a[data], b[data]) < 0;
    };
}

// The button of the order the list is in shows an arrow (the buttons lie over the titles, where a
// header's own indicator would be hidden).
void ExtratoWindow::mostraOrdem(Variante v)
{
    const bool porNome = v == Variante::PorNome;
    BitBtn3->setIcon(porNome ? style()->standardIcon(QStyle::SP_ArrowUp) : QIcon());
    BitBtn4->setIcon(porNome ? QIcon() : style()->standardIcon(QStyle::SP_ArrowUp));
}

// Each sort button lies over its column's title, shown only while that title is in view.
void ExtratoWindow::posicionaBotoesDeOrdem()
{
    QHeaderView *h = DBGrid1->horizontalHeader();
    const auto sobre = [&](QPushButton *botao, const QString &campo) {
        const int col = m_dm.PEDIDOS.fieldIndex(campo);
        const int x = col >= 0 ? h->sectionViewportPosition(col) : -1;
        const bool visivel = col >= 0 && !h->isSectionHidden(col) && x >= 0 && x + h->sectionSize(col) <= h->viewport()->width();
        if (visivel) {
            const QPoint origem = h->viewport()->mapTo(this, QPoint(x, 0));
            botao->setGeometry(origem.x(), origem.y(), h->sectionSize(col), h->height());
            botao->raise();
        }
        botao->setVisible(visivel);
    };
    sobre(BitBtn4, QStringLiteral("DATAPEDIDO"));
    sobre(BitBtn3, QStringLiteral("NOME"));
}

void ExtratoWindow::abrePedidos(Variante v)
{
    CachedTable &pedidos = m_dm.PEDIDOS;
    pedidos.close();
    // A period without a start or an end date lists nothing (the database would refuse the empty date).
    if (DiSQL.isEmpty() || DfSQL.isEmpty())
        return;
    m_filtro = PedidosDoPeriodo::abertos(m_convenio, periodoDaLista());
    m_sqlAtual = sqlPedidos(v);
    m_diSqlLista = DiSQL;
    m_dfSqlLista = DfSQL;
    pedidos.setCommandText(m_sqlAtual, m_filtro.valores, Connection::Prepare::Keep);
    pedidos.setRowOrder(v == Variante::PorNome ? porNomeEmPortugues(pedidos) : CachedTable::RowOrder());
    pedidos.open();
    DBGrid1->applyColumns();
    mostraOrdem(v);
    posicionaBotoesDeOrdem();
    acompanhaPedidoAtual();
}

void ExtratoWindow::FormActivate()
{
    Redefinindo = false;
    Label9->hide();
    Timer2->stop();
    Label1->setText(m_convenio);
    MaskEdit1->setText(SqlText::dateDMY(QDate::currentDate()));
    if (m_periodoInicial)
        derivaPeriodo(m_periodoInicial->inicio, m_periodoInicial->fim);
    else
        lePeriodo();
    mostraPeriodo();
    abrePedidos(Variante::Abertura);
    if (m_dm.PEDIDOS.isOpen() && !m_dm.PEDIDOS.isEmpty()) {
        mostraTotal();   // the period was just read
        DBGrid1->setFocus();
        return;
    }
    Messages::show(QStringLiteral("Não há pagamentos em aberto para o convênio \"") + m_convenio +
                   QStringLiteral("\"") + QChar(13) + QStringLiteral("no período de ") + DiTexto + QStringLiteral(" e ") +
                   DfTexto + QStringLiteral("."));
    Timer1->start();
}

void ExtratoWindow::AtualizaExtrato()
{
    lePeriodo();
    mostraTotal();
}

void ExtratoWindow::mostraTotal()
{
    mostraPeriodo();
    Label8->setText(totalDoPeriodo().toDisplayText(QLocale(), 2));
    const int pedidos = m_dm.PEDIDOS.isOpen() ? m_dm.PEDIDOS.recordCount() : 0;
    LabelQuantidade->setText(Contagem::pedidos(pedidos) + QStringLiteral(" na lista"));
    redesenhaLista();
    acompanhaPedidoAtual();
}

// What is still owed on the period's open orders: the sum of the list's remaining values when the
// list was read for this period (the same orders, read a moment ago), or else read from the database.
Decimal ExtratoWindow::totalDoPeriodo()
{
    if (DiSQL.isEmpty() || DfSQL.isEmpty())
        return {};
    const CachedTable &pedidos = m_dm.PEDIDOS;
    Decimal total;
    if (pedidos.isOpen() && DiSQL == m_diSqlLista && DfSQL == m_dfSqlLista) {
        for (int row = 0; row < pedidos.recordCount(); ++row) {
            const QVariant v = pedidos.valueAt(row, QStringLiteral("VALORRESTANTE"));
            if (v.isValid() && !v.isNull())
                total = total + Decimal::fromVariant(v);
        }
        return total;
    }
    const PedidosDoPeriodo::Condicao filtro = PedidosDoPeriodo::abertos(
        m_convenio, {SqlText::parseDMY(DiTexto), SqlText::parseDMY(DfTexto)});
    const RowSet rs = m_dm.SQLConnection1.query(QStringLiteral("select SUM(VALORRESTANTE) TOTAL from PEDIDOS where ") +
                                                    filtro.texto,
                                                filtro.valores, Connection::Prepare::Keep);
    return Decimal::fromVariant(rs.value(0, QStringLiteral("TOTAL")));
}

void ExtratoWindow::redesenhaLista() { DBGrid1->viewport()->update(); }

bool ExtratoWindow::dentroDoPeriodo(const QDate &data) const
{
    if (Redefinindo)
        return false;
    if (!data.isValid())
        return false;
    return !(m_diLista.isValid() && m_diLista > data) && !(m_dfLista.isValid() && m_dfLista < data);
}

void ExtratoWindow::BitBtn4Click() { abrePedidos(Variante::PorData); }

void ExtratoWindow::BitBtn3Click() { abrePedidos(Variante::PorNome); }

// ---------------------------------------------------------------------------------------------
// Detail panes

void ExtratoWindow::PEDIDOSAfterScroll()
{
    if (m_dm.PEDIDOS.isEmpty())
        return;
    carregaDetalhes();
    if (Redefinindo)
        passoFinal();
}

// A re-read of the list (a settlement written back, a sort, a new period) may leave another order
// current without a move: the panes then load that order's details; an empty list hides them.
void ExtratoWindow::acompanhaPedidoAtual()
{
    CachedTable &pedidos = m_dm.PEDIDOS;
    if (!pedidos.isOpen() || pedidos.isEmpty() || pedidos.recNo() < 0) {
        m_detalhesDaLinha = -1;
        for (QWidget *w : std::initializer_list<QWidget *>{Label5, DBGrid2, DBGrid3, DBGrid4})
            w->hide();
        return;
    }
    if (m_listaRelida || pedidos.recNo() != m_detalhesDaLinha)
        carregaDetalhes();
}

// The details of the whole list are read again with every read of the list; then each order's
// come from them.
void ExtratoWindow::carregaDetalhes()
{
    if (m_listaRelida) {
        m_listaRelida = false;
        QList<DetalhesDaLista::Pedido> lista;
        const CachedTable &pedidos = m_dm.PEDIDOS;
        lista.reserve(pedidos.recordCount());
        for (int row = 0; row < pedidos.recordCount(); ++row)
            lista.append({pedidos.valueAt(row, QStringLiteral("ESTACAO")).toString(),
                          pedidos.valueAt(row, QStringLiteral("NPEDIDO"))});
        m_detalhes.novaLista(m_filtro, lista);
    }
    const int linha = m_dm.PEDIDOS.recNo();
    m_detalhesDaLinha = linha;
    CachedTable &itens = mostraDetalhe(m_dm.ITENS, m_detalhes.itens(linha));
    if (!itens.isEmpty()) {
        Label5->setText(QStringLiteral("Produtos de Revenda"));
        Label5->show();
        DBGrid2->show();
        DBGrid3->hide();
        DBGrid4->hide();
    } else {
        CachedTable &formulas = mostraDetalhe(m_dm.PEDIFORM, m_detalhes.formulas(linha));
        const bool temFormulas = !formulas.isEmpty();
        Label5->setText(QStringLiteral("Fórmulas Manipuladas"));
        Label5->setVisible(temFormulas);
        DBGrid2->hide();
        DBGrid3->setVisible(temFormulas);
        DBGrid4->setVisible(temFormulas);
    }
}

void ExtratoWindow::PEDIFORMAfterScroll()
{
    // The formula number is used whole, so formula 12 shows its own components.
    mostraDetalhe(m_dm.COMPEDID, m_detalhes.componentes(m_dm.PEDIDOS.recNo(), m_dm.PEDIFORM.value(QStringLiteral("NFORMULA"))));
}

CachedTable &ExtratoWindow::mostraDetalhe(CachedTable &tabela, const RowSet &linhas)
{
    tabela.close();
    tabela.openWith(linhas);   // its grid keeps the columns laid out at the first opening
    return tabela;
}

// ---------------------------------------------------------------------------------------------
// Period redefinition

bool ExtratoWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBGrid1) {
        if (event->type() == QEvent::KeyRelease) {
            const auto *k = static_cast<QKeyEvent *>(event);
            if (!k->isAutoRepeat())
                DBGrid1KeyUp(k->key());
        } else if (event->type() == QEvent::KeyPress) {
            const auto *k = static_cast<QKeyEvent *>(event);
            if (k->key() == Qt::Key_Escape) {
                DBGrid1KeyPress(27);
                return true;
            }
        }
    }
    // Enter in the payment date checks it and moves on to the list: it does not press "Sair", which
    // would close the extrato and lose the date typed.
    if (watched == MaskEdit1 && event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (dataPagamento().isValid())
                DBGrid1->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ExtratoWindow::DBGrid1KeyUp(int key)
{
    if (key != Qt::Key_Shift)
        return;
    Label9->setText(DicaFinalizando);
    Redefinindo = true;
    Label9->show();
    Timer2->start();
    redesenhaLista();
}

void ExtratoWindow::DBGrid1KeyPress(int key)
{
    if (key != 27)
        return;
    Label9->setText(QString());
    Redefinindo = false;
    Label9->hide();
    Timer2->stop();
    redesenhaLista();
}

void ExtratoWindow::DBGrid1CellClick()
{
    if (!Redefinindo || m_dm.PEDIDOS.isEmpty())
        return;
    Label9->setText(DicaEstendendo);
    const QDate data = m_dm.PEDIDOS.value(QStringLiteral("DATAPEDIDO")).toDate();
    gravaPeriodo(data, data);
}

void ExtratoWindow::passoFinal()
{
    gravaPeriodo(std::nullopt, m_dm.PEDIDOS.value(QStringLiteral("DATAPEDIDO")).toDate());
}

// Writes the redefined period to the stored record at once; the labels, captions and total follow.
void ExtratoWindow::gravaPeriodo(const std::optional<QDate> &inicio, const QDate &fim)
{
    CachedTable &p = m_dm2.Periodo;
    p.open();
    p.edit();
    if (inicio)
        p.setValue(QStringLiteral("DATAINICIAL"), *inicio);
    p.setValue(QStringLiteral("DATAFINAL"), fim);
    p.post();
    p.close();
    AtualizaExtrato();
}

void ExtratoWindow::Timer2Timer() { Label9->repaint(); }

// ---------------------------------------------------------------------------------------------
// Settlement from the list

bool ExtratoWindow::regraDoCaixa(const QString &mensagem)
{
    if (!m_sessao.rodandoNoCaixa() && m_sessao.configuracao.quitarSoNoCaixa()) {
        Messages::show(mensagem);
        return false;
    }
    return true;
}

QDate ExtratoWindow::dataPagamento()
{
    // Checked before anything is written.
    const QDate d = SqlText::parseDMY(MaskEdit1->text());
    if (!d.isValid()) {
        Messages::show(QStringLiteral("Data de Pagamento inválida!"));
        MaskEdit1->takeFocus();
    }
    return d;
}

void ExtratoWindow::Quitaropedidoselecionado1Click()
{
    if (!regraDoCaixa(QStringLiteral("A quitação dos pedidos dos convênios deve ser feita no Caixa.")))
        return;
    if (!m_dm.PEDIDOS.isOpen() || m_dm.PEDIDOS.isEmpty())
        return;
    const QDate pagamento = dataPagamento();
    if (!pagamento.isValid())
        return;
    const CachedTable &pedidos = m_dm.PEDIDOS;
    const ServicoQuitacao::QuitaPedido comando{
        m_convenio, ChavePedido(pedidos.text(QStringLiteral("ESTACAO")), pedidos.value(QStringLiteral("NPEDIDO"))),
        periodoDaLista(), pagamento};
    Confirmacao::quita(m_dm, contextoDaSessao(m_sessao, m_convenio), comando, reacoes([this] { AtualizaExtrato(); }));
}

// Nothing of a failed settlement was written: the list and the total show the database again
// before the user is told so. After a success, `depois` shows what changed.
Confirmacao::Reacoes ExtratoWindow::reacoes(const std::function<void()> &depois)
{
    Confirmacao::Reacoes r;
    r.aposFalha = [this] {
        CachedTable &pedidos = m_dm.PEDIDOS;
        if (pedidos.isOpen())
            pedidos.close();
        if (!m_sqlAtual.isEmpty())
            pedidos.open();
        AtualizaExtrato();
    };
    r.aposQuitar = depois;
    r.painel = PainelAguarde;
    return r;
}

// While a settlement runs, nothing that would interrupt it or change what it settles can be used:
// the list, the payment date, the buttons, its menu and the close box wait.
void ExtratoWindow::quitacaoEmCurso(bool sim)
{
    m_quitando = sim;
    if (sim)
        m_focoAntes = focusWidget();
    const QList<QWidget *> comandos{DBGrid1, MaskEdit1, BitBtn1, BitBtn3, BitBtn4, BotImprimir, BotEmail, BotEmpresa};
    for (QWidget *w : comandos)
        w->setEnabled(!sim);
    PopupMenu1->setEnabled(!sim);
    if (sim)
        PainelAguarde->raise();
    else if (m_focoAntes)
        m_focoAntes->setFocus();
}

void ExtratoWindow::QuitaroPERODOselecionado1Click()
{
    if (!regraDoCaixa(QStringLiteral("A quitação dos convênios deve ser feita no Caixa.")))
        return;
    const QDate pagamento = dataPagamento();
    if (!pagamento.isValid())
        return;
    Redefinindo = false;
    Label9->hide();
    Timer2->stop();
    Confirmacao::Reacoes r = reacoes([this] {
        releLista();
        AtualizaExtrato();
    });
    // The list is closed while the settlement runs: its orders leave it.
    r.antes = [this] { m_dm.PEDIDOS.close(); };
    const bool quitou = Confirmacao::quita(m_dm, contextoDaSessao(m_sessao, m_convenio),
                                           ServicoQuitacao::QuitaExtrato{m_convenio, periodoDaLista(), pagamento}, r);
    // Cancelled after the list was closed for the run: it shows again.
    if (!quitou && !m_dm.PEDIDOS.isOpen())
        releLista();
}

// The period of the list as the settlements and their record name it.
Periodo ExtratoWindow::periodoDaLista() const { return {m_diLista, m_dfLista}; }

void ExtratoWindow::Quitacoes1Click()
{
    QuitacoesWindow::mostra(m_sessao, m_convenio, this);
    // A reversal puts orders back in the list.
    releLista();
    AtualizaExtrato();
}

// The list read again with its current query, on its first order.
void ExtratoWindow::releLista()
{
    CachedTable &pedidos = m_dm.PEDIDOS;
    if (m_sqlAtual.isEmpty())
        return;
    if (pedidos.isOpen())
        pedidos.close();
    pedidos.setCommandText(m_sqlAtual, m_filtro.valores, Connection::Prepare::Keep);
    pedidos.open();
    if (!pedidos.isEmpty())
        pedidos.first();
}

// ---------------------------------------------------------------------------------------------
// Closing

void ExtratoWindow::BitBtn1Click() { close(); }

void ExtratoWindow::Timer1Timer()
{
    Timer1->stop();
    close();
}

void ExtratoWindow::closeEvent(QCloseEvent *e)
{
    // The close box waits for a settlement under way; a session that ends the program does not.
    if (m_quitando && !ShutdownSignals::requested()) {
        e->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(e);
}

void ExtratoWindow::FormClose()
{
    for (CachedTable *t : {&m_dm.PEDIDOS, &m_dm.PEDIFORM, &m_dm.COMPEDID, &m_dm.ITENS})
        if (t->isOpen())
            t->close();
}

void ExtratoWindow::keyPressEvent(QKeyEvent *e)
{
    // Esc acts only in the order list (it ends the period redefinition); the window stays.
    if (e->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(e);
}
