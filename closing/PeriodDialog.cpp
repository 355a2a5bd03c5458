#include "closing/PeriodDialog.h"

#include "session/Sessao.h"
#include "controls/DBMaskEdit.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/SqlText.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel *label(const QString &caption, QWidget *parent, int x, int y)
{
    auto *l = new QLabel(caption, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace

PeriodDialog::PeriodDialog(CentralData &dm, Sessao &sessao, QWidget *parent)
    : QFrame(parent), m_dm(dm), m_sessao(sessao)
{
    setObjectName(QStringLiteral("PainelPeriodo3"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);

    Panel67 = new QLabel(QStringLiteral("Período"), this);
    Panel67->setObjectName(QStringLiteral("Panel67"));
    Panel67->setAlignment(Qt::AlignCenter);
    Panel67->setStyleSheet(QStringLiteral("background-color: #000080; color: white; font-weight: bold;"));

    bvl1 = new QFrame(this);
    bvl1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bvl1->setGeometry(16, 42, 323, 110);

    QFont big = font();
    big.setPointSize(10);

    Label283 = label(QStringLiteral("Data Inicial"), this, 28, 54);
    DBEdit16 = new DBMaskEdit(this);
    DBEdit16->setObjectName(QStringLiteral("DBEdit16"));
    DBEdit16->setGeometry(178, 51, 151, 26);
    DBEdit16->setFont(big);

    Label316 = label(QStringLiteral("Data Final"), this, 28, 88);
    DBEdit84 = new DBMaskEdit(this);
    DBEdit84->setObjectName(QStringLiteral("DBEdit84"));
    DBEdit84->setGeometry(178, 85, 151, 26);
    DBEdit84->setFont(big);

    LabelDataPag = label(QStringLiteral("Data Pagamento"), this, 28, 123);
    LabelDataPag->setStyleSheet(QStringLiteral("color: #800000;"));
    EditDataPagamento = new MaskEdit(this);
    EditDataPagamento->setObjectName(QStringLiteral("EditDataPagamento"));
    EditDataPagamento->setGeometry(178, 118, 148, 26);
    EditDataPagamento->setFont(big);

    BotTotaliza3 = new QPushButton(QStringLiteral("&OK"), this);
    BotTotaliza3->setObjectName(QStringLiteral("BotTotaliza3"));
    BotTotaliza3->setGeometry(178, 160, 161, 25);
    BotTotaliza3->setAutoDefault(true);
    BotCancTotConv = new QPushButton(QStringLiteral("&Cancelar"), this);
    BotCancTotConv->setObjectName(QStringLiteral("BotCancTotConv"));
    BotCancTotConv->setGeometry(16, 160, 161, 25);
    BotCancTotConv->setAutoDefault(true);

    setTabOrder(DBEdit16, DBEdit84);
    setTabOrder(DBEdit84, EditDataPagamento);
    setTabOrder(EditDataPagamento, BotTotaliza3);
    setTabOrder(BotTotaliza3, BotCancTotConv);
    for (QWidget *w : {static_cast<QWidget *>(DBEdit16), static_cast<QWidget *>(DBEdit84),
                       static_cast<QWidget *>(EditDataPagamento)})
        w->installEventFilter(this);

    connect(BotTotaliza3, &QPushButton::clicked, this, &PeriodDialog::BotTotaliza3Click);
    connect(BotCancTotConv, &QPushButton::clicked, this, &PeriodDialog::BotCancTotConvClick);
    resize(347, 199);
    hide();
}

void PeriodDialog::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    const QRect inner = contentsRect();
    Panel67->setGeometry(inner.left(), inner.top(), inner.width(), 26);
}

CachedTable &PeriodDialog::periodo()
{
    // The interface data module comes to life after the main window: the date boxes are bound to
    // the period record when the dialog is first used.
    if (!m_sessao.interfaceData)
        throw std::runtime_error("The interface data module does not exist");
    CachedTable &p = m_sessao.interfaceData->Periodo;
    if (DBEdit16->table() != &p) {
        DBEdit16->bind(&p, QStringLiteral("DATAINICIAL"));
        DBEdit84->bind(&p, QStringLiteral("DATAFINAL"));
    }
    return p;
}

bool PeriodDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in a date box moves on to the next control in tab order.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(watched, &tab);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void PeriodDialog::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        BotCancTotConvClick();
        return;
    }
    QFrame::keyPressEvent(e);
}

void PeriodDialog::Abre(Modo modo, const QPoint &position, const QString &okCaption)
{
    Tag = modo;
    setGeometry(position.x(), position.y(), 347, 199);
    show();
    raise();
    if (!okCaption.isNull())
        BotTotaliza3->setText(okCaption);
    const bool pagamento = modo == Quitar;
    LabelDataPag->setVisible(pagamento);
    EditDataPagamento->setVisible(pagamento);
    if (pagamento)
        EditDataPagamento->setText(SqlText::dateDMY(QDate::currentDate()));
    abrePeriodo();
    DBEdit16->setFocus();
}

void PeriodDialog::abrePeriodo()
{
    CachedTable &p = periodo();
    p.open();
    if (p.recordCount() > 0)
        p.edit();
    else
        p.append();
    DBEdit16->takeFocus();
}

QDate PeriodDialog::dataPagamento() const { return EditDataPagamento->date(); }

bool PeriodDialog::gravaPeriodo()
{
    CachedTable &p = periodo();
    try {
        p.post();
    } catch (const SilentAbort &) {
        throw;
    } catch (...) {
        // One more try, as the record was left: back into editing and post again.
        p.edit();
        p.post();
    }
    // A change still pending from an earlier failed write (another workstation changed the record
    // since it was read) is written again, and fails again, rather than being dropped unseen.
    if (p.hasPendingUpdates())
        p.writeBack(-1);
    return true;
}

void PeriodDialog::BotTotaliza3Click()
{
    const bool confirmado = ErrorReporter::guard([this] {
        if (!EditDataPagamento->isHidden() && !EditDataPagamento->date().isValid()) {
            Messages::show(QStringLiteral("Data de Pagamento inválida!"));
            EditDataPagamento->takeFocus();
            throw SilentAbort();
        }
        if (!periodo().isOpen()) {
            // The period could not be read when the dialog opened: its cause is met again here,
            // or, once it is gone, the stored period shows and the user confirms it.
            abrePeriodo();
            throw SilentAbort();
        }
        gravaPeriodo();
        CachedTable &p = periodo();
        m_escolha.periodo = {p.value(QStringLiteral("DATAINICIAL")).toDate(), p.value(QStringLiteral("DATAFINAL")).toDate()};
        m_escolha.pagamento = dataPagamento();
        p.close();
        hide();
        const CachedTable &conv = m_dm.Convenios;
        m_escolha.convenio =
            conv.isOpen() && conv.recNo() >= 0 ? conv.text(QStringLiteral("CONVENIO")).left(40) : QString();
    });
    if (!confirmado)
        return;   // the dialog stays open

    switch (Tag) {
    case Totalizar:
        emit totalizar(m_escolha.convenio);
        break;
    case Quitar:
        if (onQuitar)
            ErrorReporter::guard([this] { onQuitar(m_escolha); });
        emit encerrado();
        break;
    case Extrato:
        if (onExtrato)
            ErrorReporter::guard([this] { onExtrato(m_escolha); });
        emit encerrado();
        break;
    default:
        emit encerrado();
        break;
    }
}

void PeriodDialog::BotCancTotConvClick()
{
    ErrorReporter::guard([this] {
        CachedTable &p = periodo();
        p.cancel();
        p.close();
    });
    emit encerrado();
    hide();
}
