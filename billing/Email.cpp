#include "billing/Email.h"

#include <QLocale>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>
#include <curl/curl.h>

#include <cstdlib>
#include <cstring>

#include <memory>
#include <mutex>

namespace Mime {

namespace {

bool asciiSimples(const QString &s)
{
    for (const QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

// Base64 lines of 76 characters.
QByteArray base64Linhas(const QByteArray &dados)
{
    const QByteArray b = dados.toBase64();
    QByteArray out;
    out.reserve(b.size() + b.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < b.size(); i += 76) {
        out += b.mid(i, 76);
        out += "\r\n";
    }
    return out;
}

// "Thu, 10 Dec 2026 12:00:00 -0300", in English whatever the locale.
QByteArray dataRfc(const QDateTime &d)
{
    const QLocale c(QLocale::C);
    const int offset = d.offsetFromUtc() / 60;
    const QString zona = QStringLiteral("%1%2%3")
                             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
                             .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'));
    return (c.toString(d, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) + zona).toLatin1();
}

// The file name parameter: plain when ASCII, and RFC 2231's extended form beside it otherwise.
QByteArray parametroNome(const QString &param, const QString &nome)
{
    QString plano = nome;
    plano.replace(QLatin1Char('"'), QLatin1Char('\''));
    if (asciiSimples(plano))
        return param.toLatin1() + "=\"" + plano.toLatin1() + '"';
    QString semAcento;
    for (const QChar c : nome.normalized(QString::NormalizationForm_D))
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != QLatin1Char('"'))
            semAcento += c;
    // The extended form first: readers that know it take it, the others find the plain one.
    return param.toLatin1() + "*=UTF-8''" + QUrl::toPercentEncoding(nome) + ";\r\n " + param.toLatin1() + "=\"" +
           semAcento.toLatin1() + '"';
}

}

QByteArray cabecalho(const QString &valor)
{
    if (asciiSimples(valor))
        return valor.toLatin1();
    // Each word holds whole characters: at most 45 bytes of UTF-8 make 60 of base64, which with
    // "=?UTF-8?B?" and "?=" stays within 75.
    QList<QByteArray> palavras;
    QByteArray atual;
    for (qsizetype i = 0; i < valor.size(); ++i) {
        const qsizetype n = valor[i].isHighSurrogate() && i + 1 < valor.size() ? 2 : 1;
        const QByteArray c = valor.mid(i, n).toUtf8();
        i += n - 1;
        if (atual.size() + c.size() > 45) {
            palavras << atual;
            atual.clear();
        }
        atual += c;
    }
    if (!atual.isEmpty())
        palavras << atual;
    QByteArray out;
    for (const QByteArray &p : palavras) {
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + p.toBase64() + "?=";
    }
    return out;
}

QByteArray endereco(const QString &nome, const QString &endereco)
{
    if (nome.trimmed().isEmpty())
        return endereco.toLatin1();
    if (asciiSimples(nome)) {
        QString n = nome;
        n.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
        return '"' + n.toLatin1() + "\" <" + endereco.toLatin1() + '>';
    }
    return cabecalho(nome) + " <" + endereco.toLatin1() + '>';
}

QString tipoDe(const QString &nomeArquivo)
{
    const QString s = nomeArquivo.section(QLatin1Char('.'), -1).toLower();
    if (s == QLatin1String("pdf"))
        return QStringLiteral("application/pdf");
    if (s == QLatin1String("xlsx"))
        return QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");
    if (s == QLatin1String("txt"))
        return QStringLiteral("text/plain");
    return QStringLiteral("application/octet-stream");
}

QByteArray mensagem(const Mensagem &m)
{
    const QByteArray fronteira = "=_conv_" + QUuid::createUuid().toByteArray(QUuid::Id128);
    const QString dominio = m.remetente.section(QLatin1Char('@'), 1).trimmed();
    QByteArray out;
    out += "From: " + endereco(m.nomeRemetente, m.remetente) + "\r\n";
    out += "To: " + m.destinatarios.join(QStringLiteral(", ")).toLatin1() + "\r\n";
    out += "Subject: " + cabecalho(m.assunto) + "\r\n";
    out += "Date: " + dataRfc(m.data) + "\r\n";
    out += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' +
           (dominio.isEmpty() ? QByteArray("convenios") : dominio.toLatin1()) + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/mixed; boundary=\"" + fronteira + "\"\r\n\r\n";
    out += "This is a multi-part message in MIME format.\r\n";
    out += "--" + fronteira + "\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    QString corpo = m.corpo;
    corpo.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    out += base64Linhas(corpo.toUtf8());
    for (const Anexo &a : m.anexos) {
        out += "--" + fronteira + "\r\n";
        out += "Content-Type: " + (a.tipo.isEmpty() ? tipoDe(a.nome) : a.tipo).toLatin1() + "; " + parametroNome(QStringLiteral("name"), a.nome) + "\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment; " + parametroNome(QStringLiteral("filename"), a.nome) + "\r\n\r\n";
        out += base64Linhas(a.conteudo);
    }
    out += "--" + fronteira + "--\r\n";
    return out;
}

}

namespace Smtp {

bool enderecoValido(const QString &endereco)
{
    static const QRegularExpression forma(QStringLiteral("^[^@\\s<>,;\"]+@[^@\\s<>,;\"]+\\.[^@\\s<>,;\"]+$"));
    return forma.match(endereco).hasMatch();
}

QStringList enderecos(const QString &texto)
{
    static const QRegularExpression separadores(QStringLiteral("[,;]"));
    QStringList out;
    for (const QString &e : texto.split(separadores, Qt::SkipEmptyParts))
        if (!e.trimmed().isEmpty())
            out << e.trimmed();
    return out;
}

namespace {

struct Leitura {
    const QByteArray *dados;
    qsizetype posicao = 0;
};

size_t le(char *destino, size_t tamanho, size_t n, void *userp)
{
    auto *l = static_cast<Leitura *>(userp);
    const qsizetype resta = l->dados->size() - l->posicao;
    const qsizetype k = std::min<qsizetype>(resta, qsizetype(tamanho * n));
    if (k <= 0)
        return 0;
    memcpy(destino, l->dados->constData() + l->posicao, size_t(k));
    l->posicao += k;
    return size_t(k);
}

int progresso(void *userp, curl_off_t, curl_off_t, curl_off_t total, curl_off_t enviados)
{
    const auto *f = static_cast<const std::function<void(qint64, qint64)> *>(userp);
    if (*f && total > 0)
        (*f)(qint64(enviados), qint64(total));
    return 0;
}

void iniciaBiblioteca()
{
    static std::once_flag uma;
    std::call_once(uma, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

ResultadoEnvio resultado(CURLcode codigo, const char *erro, long resposta, const ServidorEmail &servidor)
{
    ResultadoEnvio r;
    if (codigo == CURLE_OK)
        return r;
    r.detalhe = QString::fromUtf8(erro[0] ? erro : curl_easy_strerror(codigo)).trimmed();
    if (resposta > 0)
        r.detalhe += QStringLiteral(" (resposta %1 do servidor)").arg(resposta);
    const QString onde = QStringLiteral("%1, porta %2").arg(servidor.servidor).arg(servidor.porta);
    switch (codigo) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
        r.causa = ResultadoEnvio::Causa::ServidorInacessivel;
        r.erro = QStringLiteral("O servidor de e-mail não pôde ser alcançado (%1).").arg(onde);
        return r;
    case CURLE_LOGIN_DENIED:
        r.causa = ResultadoEnvio::Causa::Autenticacao;
        r.erro = QStringLiteral("O servidor de e-mail recusou o usuário ou a senha configurados.");
        return r;
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        r.causa = ResultadoEnvio::Causa::Seguranca;
        r.erro = QStringLiteral("Não foi possível estabelecer a conexão segura (TLS) com o servidor de e-mail (%1).").arg(onde);
        return r;
    default: break;
    }
    // libcurl names the SMTP command that the server refused.
    if (resposta == 530 || resposta == 535) {
        r.causa = ResultadoEnvio::Causa::Autenticacao;
        r.erro = QStringLiteral("O servidor de e-mail exige autenticação ou recusou a senha.");
    } else if (r.detalhe.contains(QLatin1String("RCPT"))) {
        r.causa = ResultadoEnvio::Causa::EnderecoRecusado;
        r.erro = QStringLiteral("O servidor de e-mail recusou o endereço do destinatário.");
    } else if (r.detalhe.contains(QLatin1String("MAIL"))) {
        r.causa = ResultadoEnvio::Causa::EnderecoRecusado;
        r.erro = QStringLiteral("O servidor de e-mail recusou o endereço do remetente.");
    } else {
        r.causa = ResultadoEnvio::Causa::Outra;
        r.erro = QStringLiteral("O e-mail não foi enviado.");
    }
    return r;
}

}

ResultadoEnvio envia(const ServidorEmail &servidor, const Mensagem &m, const std::function<void(qint64, qint64)> &avisa)
{
    ResultadoEnvio invalido;
    invalido.causa = ResultadoEnvio::Causa::EnderecoRecusado;
    if (const QString falta = servidor.falta(); !falta.isEmpty()) {
        invalido.causa = ResultadoEnvio::Causa::Outra;
        invalido.erro = falta;
        return invalido;
    }
    if (!enderecoValido(m.remetente)) {
        invalido.erro = QStringLiteral("O endereço do remetente \"%1\" não é válido.").arg(m.remetente);
        return invalido;
    }
    if (m.destinatarios.isEmpty()) {
        invalido.erro = QStringLiteral("Nenhum destinatário foi informado.");
        return invalido;
    }
    for (const QString &d : m.destinatarios)
        if (!enderecoValido(d)) {
            invalido.erro = QStringLiteral("O endereço do destinatário \"%1\" não é válido.").arg(d);
            return invalido;
        }

    iniciaBiblioteca();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    const QByteArray dados = Mime::mensagem(m);
    Leitura leitura{&dados};
    const QByteArray url = servidor.url().toUtf8();
    const QByteArray de = '<' + m.remetente.toLatin1() + '>';
    const QByteArray usuario = servidor.usuario.toUtf8(), senha = servidor.senha.toUtf8();
    curl_slist *para = nullptr;
    for (const QString &d : m.destinatarios)
        para = curl_slist_append(para, ('<' + d.toLatin1() + '>').constData());
    const auto liberaPara = qScopeGuard([&] { curl_slist_free_all(para); });
    char erro[CURL_ERROR_SIZE] = {0};
    CURL *c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, erro);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 300L);
    if (servidor.seguranca == ServidorEmail::Seguranca::StartTls)
        curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!servidor.usuario.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, usuario.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, senha.constData());
    }
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, de.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, para);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(dados.size()));
    curl_easy_setopt(c, CURLOPT_READFUNCTION, &le);
    curl_easy_setopt(c, CURLOPT_READDATA, &leitura);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &progresso);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &avisa);
    const CURLcode codigo = curl_easy_perform(c);
    long resposta = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &resposta);
    return resultado(codigo, erro, resposta, servidor);
}

}
