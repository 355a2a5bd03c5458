#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>

class CentralData;

// The values a settlement reads besides its orders: the convênio, the cash register that started
// the module (if any), who settles and where, and the clock. The program fills it from the values of
// its run; a settlement reads nothing else of the program.
struct ContextoQuitacao {
    QString convenioAtual;
    QString caixaAtual;
    QString sessaoCaixa;
    QString formaPagCaixa;
    QString usuario;   // the logged-on user
    QString estacao;   // the workstation
    std::function<QDateTime()> agora = [] { return QDateTime::currentDateTime(); };
    // Told, before the command waits for it, that another workstation's settlement or reversal
    // holds the convênio (so the window can say what it waits for); none: nobody is told.
    std::function<void()> aguardandoConvenio;
    // Told just before the claim on the convênio is sent (true) and when it returned (false), by a
    // caller whose event loop turns while the claim waits (the calls run in the background): it
    // then tells the user itself once the claim has waited a moment, and no look is taken ahead.
    std::function<void(bool)> reivindicando;

    // Settled orders are posted to the cash register only when it started the module.
    bool rodandoNoCaixa() const { return !caixaAtual.isEmpty() && !sessaoCaixa.isEmpty(); }
};

// Statement texts of the posting, one function per statement; every value placed between
// apostrophes has its apostrophes doubled.
namespace SqlPosting {
QString apagaMovimentosZerados();
QString lePedido(const QString &estacao, const QString &npedido);
QString procuraMovimento(const QString &chavePedido);
QString maiorCodigo();
// The order's movements with a value, and which way the money went: the duplicate test of the
// settlements, which must tell a counter-movement.
QString movimentosDoPedido(const QString &chavePedido);
QString saida();                                  // ENTRADASAIDA of money leaving the drawer: "Saída"
QString valorComSinal(const QString &alias);      // VALOR, negative for a "Saída" ("M." for alias M)
QString insereMovimento(int codigo, const ContextoQuitacao &c, const QDateTime &agora, const QString &valor,
                        const QString &chavePedido, const QString &laboratorio);
QString contaDoPedido(const QString &estacao, const QString &npedido);
QString quitaParcelas(const QDate &pagamento, const QString &codigoConta);
// The convênio settlement's close of an order's PAGPEDID rows, by the order key ESTACAO||NPEDIDO.
QString quitaPagamentos(const QString &pagamento, const QString &pedido);
QString codigoDaConta(const QString &codigoConta);   // as the PARCELAS update places it
}

struct RowSet;
// The duplicate test's decision on the order's movements (NPEDIDO, DATAMOV, VALOR): posted before
// when there is one, unless they are a posting and its reversal, which add up to nothing.
bool jaLancadoPelos(const RowSet &movimentos);

// Posts one settled order as an incoming movement of the cash-register session, once: an order
// that already has a movement is skipped. Movements with a null or zero value are removed first.
// Two workstations posting at once never store the same code: a refused code is taken again.
void LancaMovCaixa(CentralData &dm, const QString &estacao, const QString &npedido, const ContextoQuitacao &c);

// Marks paid, on the payment date, every instalment of the order's receivable account (the first
// account found, coded "017" or "01.7" for station 01 and order 7). No account: nothing to do.
void QuitaParcelas(CentralData &dm, const QString &estacao, const QString &npedido, const QDate &pagamento);
