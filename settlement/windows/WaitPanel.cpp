#include "settlement/windows/WaitPanel.h"

#include <QCoreApplication>

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

    Label8 = new QLabel(QStringLiteral("Isso pode demorar um pouco"), this);
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
    hide();
}

void WaitPanel::mostra()
{
    setGeometry(136, 96, 521, 177);
    Label8->show();
    Gauge1->hide();
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void WaitPanel::inicia(int total)
{
    Gauge1->setRange(0, std::max(total, 1));
    Gauge1->setValue(0);
    Gauge1->show();
    Label8->hide();
    repaint();
    m_pintura.start();
}

void WaitPanel::avanca(int posicao)
{
    // The bar shows a whole percentage: it moves, and is repainted, when that changes, at most 20
    // times a second, and on the last order. Moved for every order it repainted itself at each pixel
    // its chunk grew, hundreds of times a settlement, each repaint costing more than an order.
    const auto percent = [this](int v) {
        const int span = std::max(1, Gauge1->maximum() - Gauge1->minimum());
        return qint64(v - Gauge1->minimum()) * 100 / span;
    };
    const bool ultimo = posicao >= Gauge1->maximum();
    if (!ultimo && (percent(posicao) == percent(Gauge1->value()) || (m_pintura.isValid() && m_pintura.elapsed() < 50)))
        return;
    Gauge1->setValue(posicao);
    Gauge1->repaint();
    m_pintura.restart();
}

void WaitPanel::esconde()
{
    Gauge1->hide();
    hide();
    Label8->show();
}
