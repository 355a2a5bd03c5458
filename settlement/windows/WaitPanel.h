#pragma once
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>

// The wait panel shown over the register while a settlement runs, with its progress bar.
class WaitPanel : public QFrame {
    Q_OBJECT
public:
    explicit WaitPanel(QWidget *parent = nullptr);

    void mostra();              // at its place, with the label and without the bar
    void inicia(int total);     // the bar replaces the label
    void avanca(int posicao);   // repaints the bar only, when its percentage changes (20 times a second at most)
    void esconde();             // hidden, the label back for the next time

    QLabel *Titulo;
    QLabel *Label8;
    QProgressBar *Gauge1;

private:
    QElapsedTimer m_pintura;   // since the bar was last repainted
};
