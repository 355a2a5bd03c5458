#include "closing/ClosingPanel.h"

#include "app/Globais.h"
#include "controls/DBGrid.h"
#include "controls/DataControls.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/ErrorReporter.h"
#include "platform/SuitePaths.h"
#include "reports/ReportModule.h"

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
RowSet periodoComoLinhas()
{
    RowSet out;
    if (!DM2)
        return out;
    CachedTable &p = DM2->Periodo;
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

ClosingPanel::ClosingPanel(CentralData &dm, QWidget *parent) : QFrame(parent), m_dm(dm)
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

    // The amounts as the stored decimals, "#,##0.00" with the workstation's separators.
    m_dm.cds_qryConv.setDisplayFormat(QStringLiteral("VALORAPAGAR"), QStringLiteral("#,##0.00"));
    DBGrid1 = new DBGrid(&m_dm.cds_qryConv, this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setGeometry(11, 62, 523, 379);
    DBGrid1->setColumns({{QStringLiteral("Convenio"), QStringLiteral("Convênio"), 280},
                         {QStringLiteral("ValorAPagar"), QStringLiteral("Valor Total"), 110},
                         {QStringLiteral("Vencimento"), QStringLiteral("Dia Vencimento"), 109}});

    connect(BitBtn3, &QPushButton::clicked, this, &ClosingPanel::BotVoltarDebClick);
    connect(btn1, &QPushButton::clicked, this, &ClosingPanel::btn1Click);
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
    if (DBText1 || !DM2)
        return;
    const int y = LabelPeriodo->y();
    const int h = LabelPeriodo->height();
    DBText1 = new DBText(&DM2->Periodo, QStringLiteral("DATAINICIAL"), this);
    DBText1->setObjectName(QStringLiteral("DBText1"));
    DBText1->setFont(negritoAzul(DBText1));
    DBText1->setAlignment(Qt::AlignCenter);
    DBText1->setGeometry(LabelPeriodo->geometry().right() + 4, y, 68, h);
    DBText2 = new DBText(&DM2->Periodo, QStringLiteral("DATAFINAL"), this);
    DBText2->setObjectName(QStringLiteral("DBText2"));
    DBText2->setFont(negritoAzul(DBText2));
    DBText2->setAlignment(Qt::AlignCenter);
    DBText2->setGeometry(LabelA->geometry().right() + 4, y, 68, h);
    DBText1->show();
    DBText2->show();
}

void ClosingPanel::Totaliza()
{
    ligaPeriodo();
    const QString atual = Globais::ConvenioAtual;

    CachedTable &registro = m_dm.Convenios;
    if (!registro.isOpen())
        registro.open();
    registro.locate(atual);

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

    setGeometry(125, 4, 547, 449);
    show();
    raise();
    DBGrid1->setFocus();
    if (DM2)
        DM2->Periodo.open();
}

void ClosingPanel::BotVoltarDebClick()
{
    ErrorReporter::guard([] {
        if (DM2)
            DM2->Periodo.close();
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
        m_rm->addConnection(QStringLiteral("rdsListarConvenio"), [dm] {
            if (!dm->qryConvenios.isOpen())
                dm->qryConvenios.open();
            return dm->qryConvenios.rows();
        });
        m_rm->addConnection(QStringLiteral("rdsPeriodo"), [] { return periodoComoLinhas(); });
    }
    return *m_rm;
}

void ClosingPanel::btn1Click()
{
    ErrorReporter::guard([this] {
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
