#pragma once
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

class BackgroundCalls;

// The wait panel shown over the register while a settlement runs, with its progress bar. When it
// is given a way to cancel, the settlement's calls to the server run in the background while it is
// shown, and after a few seconds without progress it offers "Cancelar"; the rest of the window
// takes no input meanwhile.
class WaitPanel : public QFrame {
    Q_OBJECT
public:
    explicit WaitPanel(QWidget *parent = nullptr);
    ~WaitPanel() override;

    // At its place, with the label, and the bar at once saying what is being done (by default that
    // the orders are being read).
    void mostra(const QString &fazendo = QStringLiteral("Lendo os pedidos..."));
    // The orders are listed: the bar counts them ("pedido n de N") and the label goes. The bar's
    // last step is the recording and the commit after the last order, so it shows 100 % only then.
    void inicia(int total);
    void avanca(int posicao);   // orders up to `posicao` are being settled: progress for the watch of a stalled link
    // Orders up to `feitos` are settled: the bar, its text and the time left, repainted when its
    // percentage changes (20 times a second at most) and on the last order.
    void conclui(int feitos);
    void esconde();             // hidden, the label back for the next time
    // Says that the command waits for another workstation's settlement or reversal of the convênio
    // to end (TextoAguardandoConvenio in place of the label).
    void aguardaConvenio();
    static const QString TextoAguardandoConvenio;   // "Aguardando outra estação liberar o convênio…"

    // "faltam cerca de 1 min 20 s", what is left of a work of `total` steps of which `feitos` took `decorridoMs`.
    static QString tempoRestante(qint64 decorridoMs, int feitos, int total);

signals:
    // The panel is shown for a settlement (true) and hidden after it (false): the window disables
    // meanwhile every command that could interrupt it.
    void emCurso(bool sim);

public:

    // What Cancelar does: ends the call under way (Connection::cancel), from the event loop that
    // turns while that call waits.
    std::function<void()> cancela;
    // Over the middle of its window rather than at the register's place for it.
    bool centrado = false;
    // Without progress for this long, Cancelar is offered.
    static constexpr int SemProgressoMs = 3000;

    QLabel *Titulo;
    QLabel *Label8;
    QProgressBar *Gauge1;
    QPushButton *BotCancelar;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void houveProgresso();
    void confereProgresso();
    void BotCancelarClick();

    void textoDaBarra(int feitos);

    int m_total = 0;
    QElapsedTimer m_inicio;     // since the orders were listed
    QElapsedTimer m_pintura;    // since the bar was last repainted
    QElapsedTimer m_progresso;  // since the settlement last moved
    QTimer m_vigia;
    std::unique_ptr<BackgroundCalls> m_emSegundoPlano;
};

// While a settlement or a reversal waits for another workstation to release the convênio: the
// wait cursor, and the text that says so on the wait panel or on a label of the window. The cursor
// and the label go back when the object ends.
class EsperaPeloConvenio {
public:
    explicit EsperaPeloConvenio(WaitPanel *painel, QLabel *aviso = nullptr);
    ~EsperaPeloConvenio();
    EsperaPeloConvenio(const EsperaPeloConvenio &) = delete;
    EsperaPeloConvenio &operator=(const EsperaPeloConvenio &) = delete;

    // What ContextoQuitacao::aguardandoConvenio calls.
    void aguarda();
    // What ContextoQuitacao::reivindicando calls: a claim still waiting after AvisoAposMs is told
    // as aguarda() tells it.
    void acompanhaReivindicacao(bool enviada);
    static constexpr int AvisoAposMs = 500;
    // Whether this wait can watch the claim itself: its panel's calls run in the background.
    bool acompanhaSozinha() const;
    bool aguardou() const { return m_cursor; }

private:
    WaitPanel *m_painel;
    QLabel *m_aviso;
    bool m_cursor = false;
    QTimer m_demora;   // a claim sent and not yet answered
};
