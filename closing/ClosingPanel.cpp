#include "closing/ClosingPanel.h"

#include "billing/window/Faturamento.h"

#include "closing/ClosingFigures.h"
#include "closing/GraficoMeses.h"
#include "closing/LeituraDosMeses.h"
#include "closing/WrappingHeader.h"

#include "session/Sessao.h"
#include "controls/DBGrid.h"
#include "controls/DataControls.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/ErrorReporter.h"
#include "platform/SuitePaths.h"
#include "reports/Emitente.h"
#include "reports/ReportModule.h"

#include <QBuffer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

const QString ClosingPanel::ReportName = QStringLiteral("rptFechPeriodo");

namespace {

const QString ConvenioField = QStringLiteral("CONVENIO");
const QString StoredField = QStringLiteral("VALORAPAGAR");
constexpr int Margem = 11;          // the list's distance from the panel's edges
constexpr int LarguraLadoALado = 1180;   // from this width on, the chart stands beside the list
constexpr int LarguraDoGraficoAoLado = 440;
const QSize ImagemImpressa(2400, 850);   // the chart as printed: about 26 by 9 cm at 230 dpi

QFont negritoAzul(QLabel *l)
{
    QFont f = l->font();
    f.setBold(true);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    l->setPalette(p);
    return f;
}

// The period record as one row, whether or not the record is open at the moment.
RowSet periodoComoLinhas(InterfaceData *interfaceData)
{
    RowSet out;
    if (!interfaceData)
        return out;
    CachedTable &p = interfaceData->Periodo;
    const bool aberto = p.isOpen();
    if (!aberto)
        p.open();
    out.fields = p.fields();
    if (p.recNo() >= 0) {
        QVector<QVariant> row;
        for (const Field &f : out.fields)
            row << p.value(f.name);
        out.rows << row;
    }
    if (!aberto)
        p.close();
    return out;
}

QList<QString> camposDeValor()
{
    QList<QString> out{StoredField, ClosingFigures::CountField, ClosingFigures::RemainingField};
    for (const QString &idade : ClosingFigures::AgeFields)
        out << idade;
    return out;
}

} // namespace

ClosingPanel::ClosingPanel(CentralData &dm, Sessao &sessao, QWidget *parent)
    : QFrame(parent), m_dm(dm), m_sessao(sessao)
{
    setObjectName(QStringLiteral("Painel_Total_Debito"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);

    Panel1 = new QLabel(QStringLiteral("Fechamento no Período"), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setStyleSheet(QStringLiteral("background-color: #000080; color: white; font-weight: bold;"));

    LabelPeriodo = new QLabel(QStringLiteral("Período: "), this);
    LabelPeriodo->setFont(negritoAzul(LabelPeriodo));
    LabelPeriodo->move(12, 36);
    LabelPeriodo->adjustSize();
    LabelA = new QLabel(QStringLiteral("a"), this);
    LabelA->setFont(negritoAzul(LabelA));
    LabelA->setAlignment(Qt::AlignCenter);
    LabelA->setGeometry(LabelPeriodo->geometry().right() + 72, 36, 16, LabelPeriodo->height());

    btn1 = new QPushButton(QStringLiteral("Imprimir"), this);
    btn1->setObjectName(QStringLiteral("btn1"));
    btn1->setAutoDefault(true);
    BitBtn3 = new QPushButton(QStringLiteral("Voltar"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setAutoDefault(true);
    BotPlanilha = new QPushButton(QStringLiteral("Planilha"), this);
    BotPlanilha->setObjectName(QStringLiteral("BotPlanilha"));

    criaLista();
    criaLinhaDeTotais();
    Grafico = new GraficoMeses(this);
    m_leituraDeTodos = new LeituraDosMeses(this);
    connect(m_leituraDeTodos, &LeituraDosMeses::lidos, this, &ClosingPanel::mostraMesesDeTodos);
    connect(m_leituraDeTodos, &LeituraDosMeses::falhou, this, [this](const QString &motivo) {
        Grafico->aguarda(QString());
        ErrorReporter::report(motivo);
    });
    connect(Grafico, &GraficoMeses::alcanceMudou, this, [this] { ErrorReporter::guard([this] { mostraGrafico(); }); });

    connect(BitBtn3, &QPushButton::clicked, this, &ClosingPanel::BotVoltarDebClick);
    connect(btn1, &QPushButton::clicked, this, &ClosingPanel::btn1Click);
    connect(BotPlanilha, &QPushButton::clicked, this, [this] {
        ErrorReporter::guard([this] {
            Faturamento::salvaPlanilhaDaLista(this, *DBGrid1, QStringLiteral("Fechamento"),
                                              QStringLiteral("fechamento-convenios.xlsx"));
        });
    });
    if (parent)
        parent->installEventFilter(this);
    hide();
}

ClosingPanel::~ClosingPanel() = default;

// The stored amount each convênio has to pay, kept beside the live figures of the period: the open
// orders, what is still owed for them and how old they are, worked out when the list opens.
void ClosingPanel::criaLista()
{
    // The table belongs to the data module, which may outlive this panel: its calculated fields
    // share the figures instead of pointing into the panel.
    CachedTable &lista = m_dm.cds_qryConv;
    const auto figuras = m_figuras;
    const auto convenio = [&lista](int row) { return lista.valueAt(row, ConvenioField).toString(); };
    lista.addCalculatedField({ClosingFigures::CountField, Field::Integer, 4}, [figuras, convenio](int row) {
        return ClosingFigures::countOf(*figuras, convenio(row));
    });
    lista.addCalculatedField({ClosingFigures::RemainingField, Field::Numeric, 8, 2}, [figuras, convenio](int row) {
        return ClosingFigures::remainingOf(*figuras, convenio(row));
    });
    for (int idade = 0; idade < 4; ++idade)
        lista.addCalculatedField({ClosingFigures::AgeFields[idade], Field::Numeric, 8, 2},
                                 [figuras, convenio, idade](int row) {
                                     return ClosingFigures::ageOf(*figuras, convenio(row), idade);
                                 });
    // The amounts "#,##0.00" with the workstation's separators.
    for (const QString &campo : camposDeValor())
        if (campo != ClosingFigures::CountField)
            lista.setDisplayFormat(campo, QStringLiteral("#,##0.00"));

    DBGrid1 = new DBGrid(&lista, this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    Cabecalho = new WrappingHeader(DBGrid1);
    Cabecalho->setObjectName(QStringLiteral("Cabecalho"));
    DBGrid1->setHorizontalHeader(Cabecalho);
    Cabecalho->setSectionsMovable(false);
    Cabecalho->setHighlightSections(false);
    Cabecalho->setSectionResizeMode(QHeaderView::Interactive);
    // Widths are worked out to the panel's size (ajustaColunas); none is fixed here.
    DBGrid1->setColumns({{QStringLiteral("Convenio"), QStringLiteral("Convênio"), 0},
                         {QStringLiteral("ValorAPagar"), QStringLiteral("Valor Total (R$)"), 0},
                         {QStringLiteral("Vencimento"), QStringLiteral("Dia Vencimento"), 0},
                         {ClosingFigures::CountField, QStringLiteral("Pedidos em Aberto"), 0},
                         {ClosingFigures::RemainingField, QStringLiteral("Valor em Aberto (R$)"), 0},
                         {ClosingFigures::AgeFields[0], QStringLiteral("Até 30 dias (R$)"), 0},
                         {ClosingFigures::AgeFields[1], QStringLiteral("31 a 60 dias (R$)"), 0},
                         {ClosingFigures::AgeFields[2], QStringLiteral("61 a 90 dias (R$)"), 0},
                         {ClosingFigures::AgeFields[3], QStringLiteral("Mais de 90 dias (R$)"), 0}});
    const auto dica = [&](const QString &campo, const QString &texto) { Cabecalho->setToolTip(lista.fieldIndex(campo), texto); };
    dica(StoredField, QStringLiteral("O valor a pagar gravado no cadastro do convênio (não é calculado aqui)."));
    dica(ClosingFigures::CountField, QStringLiteral("Os pedidos do período ainda não pagos."));
    dica(ClosingFigures::RemainingField, QStringLiteral("O que ainda resta dos pedidos em aberto do período."));
    for (const QString &idade : ClosingFigures::AgeFields)
        dica(idade, QStringLiteral("O valor em aberto dos pedidos desta idade, contada em dias até hoje."));

    // The header was set after the grid connected itself to the table: a new reading of the table
    // resets the header after the grid chose its columns, so they are chosen again here.
    connect(&lista, &QAbstractItemModel::modelReset, this, [this] {
        DBGrid1->applyColumns();
        ajustaColunas();
    });
    connect(&lista, &CachedTable::currentChanged, this, [this] {
        if (Grafico->doSelecionado() && !m_graficoPendente)
            ErrorReporter::guard([this] { mostraGrafico(); });
    });
    // The double click is taken from the list's surface, on the row under the pointer: the view
    // reports it only when a press on the same row came first.
    DBGrid1->viewport()->installEventFilter(this);
}

void ClosingPanel::criaLinhaDeTotais()
{
    LabelTotal = new QLabel(QStringLiteral("Total"), this);
    LabelTotalValor = new QLabel(this);
    LabelTotalPedidos = new QLabel(this);
    LabelTotalAberto = new QLabel(this);
    for (QLabel *&l : LabelTotalIdade)
        l = new QLabel(this);
    QList<QLabel *> todos{LabelTotal, LabelTotalValor, LabelTotalPedidos, LabelTotalAberto};
    for (QLabel *l : LabelTotalIdade)
        todos << l;
    for (QLabel *l : todos) {
        l->setFont(negritoAzul(l));
        l->setAlignment(l == LabelTotal ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
    }
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionResized, this, &ClosingPanel::posicionaTotais);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::geometriesChanged, this, &ClosingPanel::posicionaTotais);
    connect(DBGrid1->horizontalScrollBar(), &QScrollBar::valueChanged, this, &ClosingPanel::posicionaTotais);
}

// The panel takes the register's whole visible area, so nothing of it lies past the window's edge.
void ClosingPanel::ocupaOPainel()
{
    if (QWidget *p = parentWidget())
        setGeometry(4, 4, std::max(400, p->width() - 8), std::max(300, p->height() - 8));
}

bool ClosingPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto *clique = static_cast<QMouseEvent *>(event);
        const QModelIndex linha = DBGrid1->indexAt(clique->position().toPoint());
        if (clique->button() == Qt::LeftButton && linha.isValid()) {
            if (linha.row() != m_dm.cds_qryConv.recNo())
                ErrorReporter::guard([&] { m_dm.cds_qryConv.moveTo(linha.row()); });
            DBGrid1DblClick();
            return true;
        }
    }
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        ocupaOPainel();
    return QFrame::eventFilter(watched, event);
}

void ClosingPanel::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    const QRect inner = contentsRect();
    Panel1->setGeometry(inner.left(), inner.top(), inner.width(), 24);
    const int direita = inner.right() - Margem;
    BitBtn3->setGeometry(direita - 118, 32, 118, 25);
    BotPlanilha->setGeometry(direita - 2 * 118 - 2, 32, 118, 25);
    btn1->setGeometry(direita - 3 * 118 - 4, 32, 118, 25);

    const QRect area(Margem, 62, inner.width() - 2 * Margem, inner.bottom() - 62 - 6);
    const int totais = 24;
    if (area.width() >= LarguraLadoALado) {
        const int lista = area.width() - LarguraDoGraficoAoLado - 8;
        DBGrid1->setGeometry(area.left(), area.top(), lista, area.height() - totais);
        Grafico->setGeometry(area.left() + lista + 8, area.top(), LarguraDoGraficoAoLado, area.height());
    } else {
        const int lista = (area.height() - totais) * 11 / 20;
        DBGrid1->setGeometry(area.left(), area.top(), area.width(), lista);
        const int topo = area.top() + lista + totais + 2;
        Grafico->setGeometry(area.left(), topo, area.width(), area.bottom() - topo);
    }
    ajustaColunas();
}

// Each figure's column as wide as the longest word of its title and its total (amounts are not
// negative, so no value is wider than the sum under it, drawn in bold); the name takes what is left,
// so at the window's size every column is in view and no title is cut.
void ClosingPanel::ajustaColunas()
{
    const CachedTable &lista = m_dm.cds_qryConv;
    QList<QPair<QString, QString>> larguras{{QStringLiteral("VENCIMENTO"), QStringLiteral("00")},
                                           {StoredField, LabelTotalValor->text()},
                                           {ClosingFigures::CountField, LabelTotalPedidos->text()},
                                           {ClosingFigures::RemainingField, LabelTotalAberto->text()}};
    for (int idade = 0; idade < 4; ++idade)
        larguras << qMakePair(ClosingFigures::AgeFields[idade], LabelTotalIdade[idade]->text());
    const QFontMetrics negrito(LabelTotalAberto->font());
    int figuras = 0;
    for (const auto &[campo, maior] : std::as_const(larguras)) {
        const int c = lista.fieldIndex(campo);
        if (c < 0)
            continue;
        const int largura = std::max({Cabecalho->minimumWidthFor(c), negrito.horizontalAdvance(maior) + 12, 48});
        DBGrid1->setColumnWidth(c, largura);
        figuras += largura;
    }
    const int nome = lista.fieldIndex(ConvenioField);
    if (nome >= 0) {
        const int barra = DBGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, DBGrid1);
        const int livre = DBGrid1->width() - 2 * DBGrid1->frameWidth() - DBGrid1->verticalHeader()->width() - barra;
        DBGrid1->setColumnWidth(nome, std::max(Cabecalho->minimumWidthFor(nome), livre - figuras));
    }
    Cabecalho->setMinimumHeight(Cabecalho->neededHeight());
    Cabecalho->refit();
    posicionaTotais();
}

// Each total sits under its own column.
void ClosingPanel::posicionaTotais()
{
    const CachedTable &lista = m_dm.cds_qryConv;
    QHeaderView *h = DBGrid1->horizontalHeader();
    const int top = DBGrid1->geometry().bottom() + 4;
    const int left = DBGrid1->x() + DBGrid1->frameWidth() + DBGrid1->verticalHeader()->width();
    auto sobColuna = [&](QLabel *l, const QString &campo) {
        const int c = lista.fieldIndex(campo);
        const int x = c < 0 ? -1 : h->sectionViewportPosition(c);
        l->setVisible(c >= 0 && x >= 0 && x + h->sectionSize(c) <= h->viewport()->width());
        if (c >= 0)
            l->setGeometry(left + x + 2, top, h->sectionSize(c) - 6, 20);
    };
    LabelTotal->setGeometry(DBGrid1->x() + 4, top, 200, 20);
    sobColuna(LabelTotalValor, StoredField);
    sobColuna(LabelTotalPedidos, ClosingFigures::CountField);
    sobColuna(LabelTotalAberto, ClosingFigures::RemainingField);
    for (int idade = 0; idade < 4; ++idade)
        sobColuna(LabelTotalIdade[idade], ClosingFigures::AgeFields[idade]);
}

void ClosingPanel::somaTotais()
{
    const CachedTable &lista = m_dm.cds_qryConv;
    Decimal valor(0, 2), aberto(0, 2);
    std::array<Decimal, 4> idades{Decimal(0, 2), Decimal(0, 2), Decimal(0, 2), Decimal(0, 2)};
    qint64 pedidos = 0;
    auto soma = [](Decimal &total, const QVariant &v) {
        if (v.isValid() && !v.isNull())
            total = total + Decimal::fromVariant(v);
    };
    for (int r = 0; r < lista.recordCount(); ++r) {
        soma(valor, lista.valueAt(r, StoredField));
        soma(aberto, lista.valueAt(r, ClosingFigures::RemainingField));
        for (int idade = 0; idade < 4; ++idade)
            soma(idades[idade], lista.valueAt(r, ClosingFigures::AgeFields[idade]));
        pedidos += lista.valueAt(r, ClosingFigures::CountField).toLongLong();
    }
    LabelTotalValor->setText(valor.toDisplayText());
    LabelTotalPedidos->setText(QLocale().toString(pedidos));
    LabelTotalAberto->setText(aberto.toDisplayText());
    for (int idade = 0; idade < 4; ++idade)
        LabelTotalIdade[idade]->setText(idades[idade].toDisplayText());
}

void ClosingPanel::ligaPeriodo()
{
    InterfaceData *dm2 = m_sessao.interfaceData;
    if (DBText1 || !dm2)
        return;
    const int y = LabelPeriodo->y();
    const int h = LabelPeriodo->height();
    DBText1 = new DBText(&dm2->Periodo, QStringLiteral("DATAINICIAL"), this);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setFont(negritoAzul(DBText1));
    DBText1->setAlignment(Qt::AlignCenter);
    DBText1->setGeometry(LabelPeriodo->geometry().right() + 4, y, 68, h);
    DBText2 = new DBText(&dm2->Periodo, QStringLiteral("DATAFINAL"), this);
    DBText2->setObjectName(QStringLiteral("DBText2"));
    DBText2->setFont(negritoAzul(DBText2));
    DBText2->setAlignment(Qt::AlignCenter);
    DBText2->setGeometry(LabelA->geometry().right() + 4, y, 68, h);
    DBText1->show();
    DBText2->show();
}

QHash<QString, OpenOrders> ClosingPanel::figurasDoPeriodo() const
{
    const RowSet periodo = periodoComoLinhas(m_sessao.interfaceData);
    const QDate inicio = periodo.rows.isEmpty() ? QDate() : periodo.value(0, QStringLiteral("DATAINICIAL")).toDate();
    const QDate fim = periodo.rows.isEmpty() ? QDate() : periodo.value(0, QStringLiteral("DATAFINAL")).toDate();
    return ClosingFigures::openOrdersByConvenio(m_dm.SQLConnection1, inicio, fim, referencia());
}

QString ClosingPanel::convenioDaLinha() const
{
    const CachedTable &lista = m_dm.cds_qryConv;
    return lista.isOpen() && lista.recNo() >= 0 ? lista.valueAt(lista.recNo(), ConvenioField).toString() : QString();
}

// The months of the selected convênio, or of all, each read once for the list as it was read.
void ClosingPanel::mostraGrafico()
{
    const QString convenio = convenioDaLinha();
    if (!Grafico->doSelecionado()) {
        if (m_mesesDeTodos) {
            Grafico->mostra(m_meses, convenio);
        } else if (!m_leituraDeTodos->emCurso()) {
            Grafico->aguarda(QStringLiteral("Somando os pedidos de todos os convênios dos últimos 12 meses…"));
            m_leituraDeTodos->inicia(m_dm.SQLConnection1, referencia());
        }
        return;
    }
    auto lidos = m_mesesDoConvenio.constFind(convenio);
    if (lidos == m_mesesDoConvenio.constEnd())
        lidos = m_mesesDoConvenio.insert(convenio, ClosingFigures::monthsByConvenio(m_dm.SQLConnection1, referencia(),
                                                                                    convenio.isNull() ? QStringLiteral("") : convenio));
    Grafico->mostra(*lidos, convenio);
}

void ClosingPanel::mostraMesesDeTodos(const YearOfMonths &meses)
{
    m_meses = meses;
    m_mesesDeTodos = true;
    if (!Grafico->doSelecionado())
        Grafico->mostra(m_meses, convenioDaLinha());
}

// The list and its figures read afresh, the list put on the convênio whatever the letter case, the
// period shown, and the chart read next.
void ClosingPanel::releLista(const QString &atual)
{
    ligaPeriodo();
    // The chart reads its months once the list is on the screen, not on each move of the reading.
    m_mesesDeTodos = false;
    m_leituraDeTodos->cancela();
    m_mesesDoConvenio.clear();
    m_graficoPendente = true;
    *m_figuras = figurasDoPeriodo();
    CachedTable &lista = m_dm.cds_qryConv;
    lista.close();
    lista.open();
    for (int r = 0; r < lista.recordCount(); ++r) {
        if (lista.valueAt(r, ConvenioField).toString().compare(atual, Qt::CaseInsensitive) == 0) {
            lista.moveTo(r);
            break;
        }
    }
    somaTotais();
    if (m_sessao.interfaceData)
        m_sessao.interfaceData->Periodo.open();
    QTimer::singleShot(0, this, [this] { ErrorReporter::guard([this] { carregaGrafico(); }); });
}

void ClosingPanel::carregaGrafico()
{
    if (!m_graficoPendente)
        return;
    m_graficoPendente = false;
    mostraGrafico();
}

void ClosingPanel::Totaliza(const QString &atual)
{
    CachedTable &cadastro = m_dm.Convenios;
    if (!cadastro.isOpen())
        cadastro.open();
    cadastro.locate(atual);
    releLista(atual);
    ocupaOPainel();
    show();
    raise();
    ajustaColunas();
    DBGrid1->setFocus();
}

// The statement of the row's convênio for the period; afterwards the list shows what the
// statement may have settled, or the period it redefined.
void ClosingPanel::DBGrid1DblClick()
{
    const QString convenio = convenioDaLinha();
    if (convenio.isEmpty() || !onExtrato)
        return;
    ErrorReporter::guard([this, convenio] {
        onExtrato(convenio);
        releLista(convenio);
        ajustaColunas();
        DBGrid1->setFocus();
    });
}

void ClosingPanel::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        BotVoltarDebClick();
        return;
    }
    QFrame::keyPressEvent(e);
}

void ClosingPanel::BotVoltarDebClick()
{
    ErrorReporter::guard([this] {
        if (m_sessao.interfaceData)
            m_sessao.interfaceData->Periodo.close();
    });
    emit voltou();
    hide();
}

ReportModule &ClosingPanel::RM()
{
    if (!m_rm) {
        m_rm = std::make_unique<ReportModule>(SuitePaths::map(QStringLiteral("C:\\PRAXOLIN\\RPT\\rptConvenio.rav")));
        // The desktop tables of old are not kept here: the convênio list is the central one, open
        // while the report runs, and the period is the stored period record.
        CentralData *dm = &m_dm;
        const auto figuras = m_figuras;
        m_rm->addConnection(QStringLiteral("rdsListarConvenio"), [dm, figuras] {
            if (!dm->qryConvenios.isOpen())
                dm->qryConvenios.open();
            return ClosingFigures::withFigures(dm->qryConvenios.rows(), *figuras);
        });
        m_rm->addConnection(QStringLiteral("rdsPeriodo"), [this] { return periodoComoLinhas(m_sessao.interfaceData); });
        m_rm->addConnection(QStringLiteral("rdsEmitente"), [this] { return Emitente::le(m_dm.SQLConnection1, m_sessao.estacaoAtual, m_sessao.usuario()).comoLinhas(); });
        // The chart as the panel shows it, and the day the ages are counted to.
        m_rm->addConnection(QStringLiteral("rdsGraficoMeses"), [this] {
            carregaGrafico();
            // Printed as chosen: every convênio's months are waited for.
            m_leituraDeTodos->espera();
            RowSet out;
            out.fields << Field{QStringLiteral("IMAGEM"), Field::Blob} << Field{QStringLiteral("REFERENCIA"), Field::Date};
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            Grafico->imagem(ImagemImpressa).save(&buffer, "PNG");
            out.rows << QVector<QVariant>{png, referencia()};
            return out;
        });
    }
    return *m_rm;
}

void ClosingPanel::btn1Click()
{
    ErrorReporter::guard([this] {
        *m_figuras = figurasDoPeriodo();
        m_dm.cds_qryConv.calculatedFieldsChanged();
        somaTotais();
        FreeQuery &lista = m_dm.qryConvenios;
        lista.close();
        lista.open();
        struct Fecha {
            FreeQuery &q;
            ~Fecha() { q.close(); }
        } fecha{lista};
        RM().execute(ReportName);
    });
}
