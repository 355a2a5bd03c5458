#pragma once
#include <QString>
#include <QStringList>

class Connection;

// The billing settings of the pharmacy, kept in the module's own table CONVENIOS_FATURAMENTO (one
// row per setting) and edited by a supervisor: the mail server the statements leave by, and the
// PIX receiver the statements and receipts charge to.
struct ServidorEmail {
    enum class Seguranca { Nenhuma, StartTls, Tls };   // plain, STARTTLS on the port, TLS from the start
    QString servidor;
    int porta = 587;
    Seguranca seguranca = Seguranca::StartTls;
    QString usuario, senha;   // no authentication when the user is empty
    QString remetente;        // the From address
    QString nomeRemetente;

    // "smtp://host:port" or "smtps://host:port".
    QString url() const;
    // What is missing for sending, in Portuguese; empty when nothing is.
    QString falta() const;
};

struct RecebedorPix {
    QString chave, nome, cidade;
    bool completo() const { return !chave.trimmed().isEmpty() && !nome.trimmed().isEmpty() && !cidade.trimmed().isEmpty(); }
};

struct ConfiguracoesFaturamento {
    ServidorEmail email;
    RecebedorPix pix;
};

namespace ConfiguracoesDados {

// The module's billing tables, as step 5 of its schema adds them.
const QStringList &tabelas();
// True when the central database has them; one query.
bool disponivel(Connection &central);
// What billing says where they are missing: the command that adds them.
QString mensagemSemTabelas();

ConfiguracoesFaturamento le(Connection &central);
// Writes every setting in one transaction.
void grava(Connection &central, const ConfiguracoesFaturamento &c, const QString &usuario);

QString sqlLe();
QString sqlGrava(const QString &chave, const QString &valor, const QString &usuario);

}
