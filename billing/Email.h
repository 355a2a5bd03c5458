#pragma once
#include "billing/Configuracoes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// An e-mail with its attachments, made into a MIME message (headers encoded, body and attachments in
// base64) and sent to an SMTP server through libcurl.
struct Anexo {
    QString nome;          // the file name the receiver sees
    QString tipo;          // MIME type: "application/pdf", ...
    QByteArray conteudo;
};

struct Mensagem {
    QString remetente, nomeRemetente;
    QStringList destinatarios;
    QString assunto;
    QString corpo;          // plain text
    QList<Anexo> anexos;
    QDateTime data = QDateTime::currentDateTime();
};

namespace Mime {

// A header value: as it is when plain ASCII, otherwise RFC 2047 encoded words ("=?UTF-8?B?...?="),
// each at most 75 characters, folded onto continuation lines.
QByteArray cabecalho(const QString &valor);
// "Nome <endereco>" with the name encoded as above.
QByteArray endereco(const QString &nome, const QString &endereco);
// The whole message, CRLF line ends.
QByteArray mensagem(const Mensagem &m);
// The MIME type of a file name by its suffix (pdf, xlsx, txt; anything else is octet-stream).
QString tipoDe(const QString &nomeArquivo);

}

// The result of one sending: empty `erro` when the server took the message.
struct ResultadoEnvio {
    enum class Causa { Nenhuma, ServidorInacessivel, EnderecoRecusado, Autenticacao, Seguranca, Outra };
    Causa causa = Causa::Nenhuma;
    QString erro;      // in Portuguese, naming the cause
    QString detalhe;   // the library's or the server's own words
    bool ok() const { return causa == Causa::Nenhuma; }
};

namespace Smtp {

// A plain address: something@something, no spaces, no angle brackets or line breaks.
bool enderecoValido(const QString &endereco);
// The addresses of a text separated by commas or semicolons.
QStringList enderecos(const QString &texto);

// Sends a message; blocks until the server answered, so it runs off the window's thread.
// `progresso` is told the bytes sent and the bytes to send; it must not block.
ResultadoEnvio envia(const ServidorEmail &servidor, const Mensagem &mensagem,
                     const std::function<void(qint64, qint64)> &progresso = {});

}
