#pragma once
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Connection;

// The record of every e-mail the module sent or tried to send (table CONVENIOS_ENVIOS): when, who,
// to whom, what, and how it ended.
namespace Envios {

struct Envio {
    int codigo = 0;
    QDateTime dataHora;
    QString usuario, estacao, convenio;
    QString destinatarios;   // as sent, comma-separated
    QString assunto;
    QString anexos;          // the attachments' file names, comma-separated
    bool enviado = false;
    QString erro;            // why it failed
};

// Records a sending (its number taken as the highest plus one, again when another workstation took
// it first) and returns its number.
int registra(Connection &central, const Envio &envio);
// The convênio's sendings, newest first (every convênio's when `convenio` is empty).
QList<Envio> lista(Connection &central, const QString &convenio = {});

QString sqlRegistra(const Envio &envio);
QString sqlLista(const QString &convenio);

}
