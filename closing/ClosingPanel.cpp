#include "closing/ClosingPanel.h"

#include "billing/window/Faturamento.h"

#include "closing/ClosingFigures.h"

#include "session/Sessao.h"
#include "controls/DBGrid.h"
#include "controls/DataControls.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/ErrorReporter.h"
#include "platform/SuitePaths.h"
#include "reports/Emitente.h"
#include "reports/ReportModule.h"

#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

const QString ClosingPanel::ReportName = QStringLiteral("rptFechPeriodo");

namespace {

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
    btn1->setGeometry(295, 32, 118, 25);
    btn1->setAutoDefault(true);
    BitBtn3 = new QPushButton(QStringLiteral("Voltar"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setGeometry(415, 32, 118, 25);
    BitBtn3->setAutoDefault(true);

    // The stored amount each convênio has to pay, kept beside the live figures of the period: the
    // open orders and what is still owed for them, worked out when the list opens.
    // The table belongs to the data module, which may outlive this panel: its calculated fields
    // share the figures instead of pointing into the panel.
    CachedTable &lista = m_dm.cds_qryConv;
    const auto figuras = m_figuras;
    Field quantidade{ClosingFigures::CountField, Field::Integer, 4};
    Field aberto{ClosingFigures::RemainingField, Field::Numeric, 8, 2};
    lista.addCalculatedField(quantidade, [&lista, figuras](int row) {
        return ClosingFigures::countOf(*figuras, lista.valueAt(row, QStringLiteral("CONVENIO")).toString());
    });
    lista.addCalculatedField(aberto, [&lista, figuras](int row) {
        return ClosingFigures::remainingOf(*figuras, lista.valueAt(row, QStringLiteral("CONVENIO")).toString());
    });
    // The amounts "#,##0.00" with the workstation's separators.
    lista.setDisplayFormat(QStringLiteral("VALORAPAGAR"), QStringLiteral("#,##0.00"));
    lista.setDisplayFormat(ClosingFigures::RemainingField, QStringLiteral("#,##0.00"));
    DBGrid1 = new DBGrid(&lista, this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(11, 62, ListWidth, 355);
    DBGrid1->setColumns({{QStringLiteral("Convenio"), QStringLiteral("Convênio"), 280},
                         {QStringLiteral("ValorAPagar"), QStringLiteral("Valor Total"), 110},
                         {QStringLiteral("Vencimento"), QStringLiteral("Dia Vencimento"), 109},
                         {ClosingFigures::CountField, QStringLiteral("Pedidos em Aberto"), 70},
                         {ClosingFigures::RemainingField, QStringLiteral("Valor em Aberto"), 110}});
    criaLinhaDeTotais();

    connect(BitBtn3, &QPushButton::clicked, this, &ClosingPanel::BotVoltarDebClick);
    connect(btn1, &QPushButton::clicked, this, &ClosingPanel::btn1Click);
    BotPlanilha = new QPushButton(QStringLiteral("Planilha"), this);
    BotPlanilha->setObjectName(QStringLiteral("BotPlanilha"));
    BotPlanilha->setGeometry(535, 32, 118, 25);
    connect(BotPlanilha, &QPushButton::clicked, this, [this] {
        ErrorReporter::guard([this] {
            Faturamento::salvaPlanilhaDaLista(this, *DBGrid1, QStringLiteral("Fechamento"),
                                              QStringLiteral("fechamento-convenios.xlsx"));
        });
    });
    hide();
}

ClosingPanel::~ClosingPanel() = default;

void ClosingPanel::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    const QRect inner = contentsRect();
    Panel1->setGeometry(inner.left(), inner.top(), inner.width(), 24);
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

void ClosingPanel::criaLinhaDeTotais()
{
    LabelTotal = new QLabel(QStringLiteral("Total"), this);
    LabelTotalValor = new QLabel(this);
    LabelTotalPedidos = new QLabel(this);
    LabelTotalAberto = new QLabel(this);
    for (QLabel *l : {LabelTotal, LabelTotalValor, LabelTotalPedidos, LabelTotalAberto}) {
        l->setFont(negritoAzul(l));
        l->setAlignment(l == LabelTotal ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
    }
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionResized, this, &ClosingPanel::posicionaTotais);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::geometriesChanged, this, &ClosingPanel::posicionaTotais);
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
        if (c < 0)
            return;
        l->setGeometry(left + h->sectionViewportPosition(c) + 2, top, h->sectionSize(c) - 6, 20);
    };
    LabelTotal->setGeometry(DBGrid1->x() + 4, top, 200, 20);
    sobColuna(LabelTotalValor, QStringLiteral("VALORAPAGAR"));
    sobColuna(LabelTotalPedidos, ClosingFigures::CountField);
    sobColuna(LabelTotalAberto, ClosingFigures::RemainingField);
}

void ClosingPanel::somaTotais()
{
    const CachedTable &lista = m_dm.cds_qryConv;
    Decimal valor(0, 2), aberto(0, 2);
    qint64 pedidos = 0;
    auto soma = [](Decimal &total, const QVariant &v) {
        if (v.isValid() && !v.isNull())
            total = total + Decimal::fromVariant(v);
    };
    for (int r = 0; r < lista.recordCount(); ++r) {
        soma(valor, lista.valueAt(r, QStringLiteral("VALORAPAGAR")));
        soma(aberto, lista.valueAt(r, ClosingFigures::RemainingField));
        pedidos += lista.valueAt(r, ClosingFigures::CountField).toLongLong();
    }
    LabelTotalValor->setText(valor.toDisplayText());
    LabelTotalPedidos->setText(QLocale().toString(pedidos));
    LabelTotalAberto->setText(aberto.toDisplayText());
}

QHash<QString, OpenOrders> ClosingPanel::figurasDoPeriodo() const
{
    const RowSet periodo = periodoComoLinhas(m_sessao.interfaceData);
    const QDate inicio = periodo.rows.isEmpty() ? QDate() : periodo.value(0, QStringLiteral("DATAINICIAL")).toDate();
    const QDate fim = periodo.rows.isEmpty() ? QDate() : periodo.value(0, QStringLiteral("DATAFINAL")).toDate();
    return ClosingFigures::openOrdersByConvenio(m_dm.SQLConnection1, inicio, fim);
}

void ClosingPanel::Totaliza(const QString &atual)
{
    ligaPeriodo();
    *m_figuras = figurasDoPeriodo();

    CachedTable &cadastro = m_dm.Convenios;
    if (!cadastro.isOpen())
        cadastro.open();
    cadastro.locate(atual);

    // The list is read afresh and put on the convênio whatever the letter case.
    CachedTable &lista = m_dm.cds_qryConv;
    lista.close();
    lista.open();
    for (int r = 0; r < lista.recordCount(); ++r) {
        if (lista.valueAt(r, QStringLiteral("CONVENIO")).toString().compare(atual, Qt::CaseInsensitive) == 0) {
            lista.moveTo(r);
            break;
        }
    }

    somaTotais();
    setGeometry(125, 4, ListWidth + 24, 449);
    show();
    raise();
    DBGrid1->setFocus();
    if (m_sessao.interfaceData)
        m_sessao.interfaceData->Periodo.open();
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
