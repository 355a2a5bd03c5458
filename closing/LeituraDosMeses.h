#pragma once
#include "closing/ClosingFigures.h"

#include <QFutureWatcher>
#include <QObject>
#include <memory>

class Connection;

// Every convênio's twelve months, a year of all the pharmacy's orders, summed on a connection of
// their own on another thread: the window stays usable while the server works, and a reading no
// longer wanted is cancelled on the server.
class LeituraDosMeses : public QObject {
    Q_OBJECT
public:
    explicit LeituraDosMeses(QObject *parent = nullptr);
    ~LeituraDosMeses() override;   // cancels a reading under way and waits for its thread

    // Starts reading the months up to `referencia` from the database `modelo` reaches; a reading
    // under way for another day is cancelled first.
    void inicia(const Connection &modelo, const QDate &referencia);
    bool emCurso() const;
    // Waits for the reading under way, turning no event loop, and tells its outcome at once (for
    // the printed closing).
    void espera();
    void cancela();

signals:
    void lidos(const YearOfMonths &meses);
    void falhou(const QString &mensagem);

private:
    struct Resultado {
        YearOfMonths meses;
        QString falha;   // why nothing was read
    };
    void terminou();

    std::shared_ptr<Connection> m_conexao;
    QFutureWatcher<Resultado> m_leitura;
    bool m_cancelada = false;
    bool m_contada = false;   // its outcome was told
};
