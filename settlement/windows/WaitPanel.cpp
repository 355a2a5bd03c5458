#include "settlement/windows/WaitPanel.h"

#include "data/Connection.h"
#include "platform/ShutdownSignals.h"
#include "platform/UserInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>
#include <QLocale>

const QString WaitPanel::TextoAguardandoConvenio = QStringLiteral("Aguardando outra estação liberar o convênio…");

namespace {
const QString kIssoPodeDemorar = QStringLiteral("Isso pode demorar um pouco");
}

WaitPanel::WaitPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PainelAguarde"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::ToolTipBase));
    setPalette(p);

    Titulo = new QLabel(QStringLiteral("Por favor, aguarde..."), this);
    QFont f = Titulo->font();
    f.setPointSize(18);
    f.setBold(true);
    Titulo->setFont(f);
    Titulo->setStyleSheet(QStringLiteral("color: green;"));
    Titulo->setAlignment(Qt::AlignCenter);
    Titulo->setGeometry(0, 8, 521, 40);

    Label8 = new QLabel(kIssoPodeDemorar, this);
    Label8->move(138, 54);
    Label8->adjustSize();

    Gauge1 = new QProgressBar(this);
    Gauge1->setGeometry(37, 125, 444, 19);
    // A green bar whose percentage stays readable wherever the bar has reached: centred, drawn
    // white over the filled part and black over the rest.
    QPalette barra = Gauge1->palette();
    barra.setColor(QPalette::Highlight, QColor(0, 128, 0));
    barra.setColor(QPalette::HighlightedText, Qt::white);
    barra.setColor(QPalette::Base, Qt::white);
    barra.setColor(QPalette::Text, Qt::black);
    barra.setColor(QPalette::WindowText, Qt::black);
    Gauge1->setPalette(barra);
    Gauge1->setAlignment(Qt::AlignCenter);
    Gauge1->setFormat(QStringLiteral("%p%"));
    Gauge1->hide();

    BotCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    BotCancelar->setObjectName(QStringLiteral("BotCancelar"));
    BotCancelar->setGeometry(210, 150, 100, 24);
    BotCancelar->hide();
    connect(BotCancelar, &QPushButton::clicked, this, &WaitPanel::BotCancelarClick);
    m_vigia.setInterval(250);
    connect(&m_vigia, &QTimer::timeout, this, &WaitPanel::confereProgresso);
    hide();
}

WaitPanel::~WaitPanel()
{
    if (m_emSegundoPlano)
        qApp->removeEventFilter(this);
}

void WaitPanel::mostra(const QString &fazendo)
{
    emit emCurso(true);
    QPoint lugar(136, 96);
    if (centrado && parentWidget())
        lugar = QPoint(std::max(0, (parentWidget()->width() - 521) / 2), std::max(0, (parentWidget()->height() - 177) / 2));
    setGeometry(QRect(lugar, QSize(521, 177)));
    Label8->show();
    m_total = 0;
    Gauge1->setFormat(fazendo);
    Gauge1->show();
    Gauge1->setRange(0, 1);
    Gauge1->setValue(0);
    BotCancelar->hide();
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (cancela && !m_emSegundoPlano) {
        m_emSegundoPlano = std::make_unique<BackgroundCalls>();
        qApp->installEventFilter(this);
        houveProgresso();
        m_vigia.start();
    }
}

void WaitPanel::inicia(int total)
{
    m_total = std::max(total, 0);
    // One step more than the orders: what follows the last one.
    Gauge1->setRange(0, m_total + 1);
    Gauge1->setValue(0);
    textoDaBarra(0);
    Gauge1->show();
    Label8->hide();
    repaint();
    m_inicio.start();
    m_pintura.start();
    houveProgresso();
}

void WaitPanel::avanca(int) { houveProgresso(); }

void WaitPanel::conclui(int feitos)
{
    // The bar shows a whole percentage: it moves, and is repainted, when that changes, at most 20
    // times a second, and on the last order. Moved for every order it repainted itself at each pixel
    // its chunk grew, hundreds of times a settlement, each repaint costing more than an order.
    const auto percent = [this](int v) {
        const int span = std::max(1, Gauge1->maximum() - Gauge1->minimum());
        return qint64(v - Gauge1->minimum()) * 100 / span;
    };
    houveProgresso();
    const bool ultimo = feitos >= m_total;
    if (!ultimo && (percent(feitos) == percent(Gauge1->value()) || (m_pintura.isValid() && m_pintura.elapsed() < 50)))
        return;
    textoDaBarra(feitos);
    Gauge1->setValue(std::min(feitos, m_total));
    Gauge1->repaint();
    m_pintura.restart();
}

// "pedido 1.200 de 20.000 · 6% · faltam cerca de 15 s"; the percentage is the bar's own.
void WaitPanel::textoDaBarra(int feitos)
{
    const QLocale locale;
    QString texto = QStringLiteral("pedido ") + locale.toString(std::min(feitos, m_total)) + QStringLiteral(" de ") +
                    locale.toString(m_total) + QStringLiteral("  ·  %p%");
    if (feitos >= m_total)
        texto += QStringLiteral("  ·  gravando a quitação...");
    else if (feitos > 0 && m_inicio.isValid())
        texto += QStringLiteral("  ·  ") + tempoRestante(m_inicio.elapsed(), feitos, m_total);
    Gauge1->setFormat(texto);
}

QString WaitPanel::tempoRestante(qint64 decorridoMs, int feitos, int total)
{
    const qint64 resta = feitos > 0 ? decorridoMs * (total - feitos) / feitos : 0;
    if (resta < 1000)
        return QStringLiteral("falta menos de 1 s");
    const qint64 s = (resta + 500) / 1000;
    if (s < 60)
        return QStringLiteral("faltam cerca de %1 s").arg(s);
    return QStringLiteral("faltam cerca de %1 min %2 s").arg(s / 60).arg(s % 60);
}

void WaitPanel::esconde()
{
    if (m_emSegundoPlano) {
        m_vigia.stop();
        qApp->removeEventFilter(this);
        m_emSegundoPlano.reset();
    }
    BotCancelar->hide();
    Gauge1->hide();
    hide();
    Label8->setText(kIssoPodeDemorar);
    Label8->adjustSize();
    Label8->move(138, 54);
    Label8->show();
    emit emCurso(false);
}

void WaitPanel::aguardaConvenio()
{
    Label8->setText(TextoAguardandoConvenio);
    Label8->adjustSize();
    Label8->move(std::max(0, (width() - Label8->width()) / 2), 54);
    Label8->show();
    Label8->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitPanel::houveProgresso()
{
    m_progresso.start();
    if (!BotCancelar->isHidden() && BotCancelar->isEnabled())
        BotCancelar->hide();
}

void WaitPanel::confereProgresso()
{
    if (BotCancelar->isHidden() && m_progresso.isValid() && m_progresso.elapsed() >= SemProgressoMs) {
        BotCancelar->setEnabled(true);
        BotCancelar->show();
        BotCancelar->setFocus();
    }
}

void WaitPanel::BotCancelarClick()
{
    BotCancelar->setEnabled(false);
    if (cancela)
        cancela();
}

// While the settlement's calls run in the background, the user's input reaches only Cancelar: the
// rest of the program is in the middle of the settlement and takes no other command.
bool WaitPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (isUserInput(event)) {
        // The window system hands a person's click or key to the window first, which passes it on
        // to the widget it is for: that second delivery is the one judged.
        if (qobject_cast<QWindow *>(watched))
            return false;
        return watched != BotCancelar || BotCancelar->isHidden();
    }
    // A session that ends the program still closes its windows.
    if (event->type() == QEvent::Close)
        return !ShutdownSignals::requested();
    return false;
}

EsperaPeloConvenio::EsperaPeloConvenio(WaitPanel *painel, QLabel *aviso) : m_painel(painel), m_aviso(aviso)
{
    m_demora.setSingleShot(true);
    m_demora.setInterval(AvisoAposMs);
    QObject::connect(&m_demora, &QTimer::timeout, [this] { aguarda(); });
}

bool EsperaPeloConvenio::acompanhaSozinha() const { return m_painel && m_painel->cancela; }

void EsperaPeloConvenio::acompanhaReivindicacao(bool enviada)
{
    if (enviada)
        m_demora.start();
    else
        m_demora.stop();
}

EsperaPeloConvenio::~EsperaPeloConvenio()
{
    if (m_aviso)
        m_aviso->hide();
    if (m_cursor)
        QApplication::restoreOverrideCursor();
}

void EsperaPeloConvenio::aguarda()
{
    if (!m_cursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursor = true;
    }
    if (m_painel)
        m_painel->aguardaConvenio();
    if (m_aviso) {
        m_aviso->setText(WaitPanel::TextoAguardandoConvenio);
        m_aviso->show();
        m_aviso->repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
