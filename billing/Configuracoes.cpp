#include "billing/Configuracoes.h"

#include "data/Connection.h"
#include "data/SqlText.h"

#include <QHash>

QString ServidorEmail::url() const
{
    return QStringLiteral("%1://%2:%3")
        .arg(seguranca == Seguranca::Tls ? QStringLiteral("smtps") : QStringLiteral("smtp"), servidor.trimmed())
        .arg(porta);
}

QString ServidorEmail::falta() const
{
    if (servidor.trimmed().isEmpty())
        return QStringLiteral("O servidor de e-mail (SMTP) não foi configurado.");
    if (remetente.trimmed().isEmpty())
        return QStringLiteral("O endereço do remetente dos e-mails não foi configurado.");
    return {};
}

namespace ConfiguracoesDados {

namespace {

const char *const kServidor = "SMTP_SERVIDOR";
const char *const kPorta = "SMTP_PORTA";
const char *const kSeguranca = "SMTP_SEGURANCA";
const char *const kUsuario = "SMTP_USUARIO";
const char *const kSenha = "SMTP_SENHA";
const char *const kRemetente = "SMTP_REMETENTE";
const char *const kNomeRemetente = "SMTP_NOME_REMETENTE";
const char *const kPixChave = "PIX_CHAVE";
const char *const kPixNome = "PIX_NOME";
const char *const kPixCidade = "PIX_CIDADE";

QString nomeSeguranca(ServidorEmail::Seguranca s)
{
    switch (s) {
    case ServidorEmail::Seguranca::Nenhuma: return QStringLiteral("NENHUMA");
    case ServidorEmail::Seguranca::Tls: return QStringLiteral("TLS");
    case ServidorEmail::Seguranca::StartTls: break;
    }
    return QStringLiteral("STARTTLS");
}

ServidorEmail::Seguranca segurancaDe(const QString &s)
{
    if (s == QLatin1String("NENHUMA"))
        return ServidorEmail::Seguranca::Nenhuma;
    if (s == QLatin1String("TLS"))
        return ServidorEmail::Seguranca::Tls;
    return ServidorEmail::Seguranca::StartTls;
}

}

const QStringList &tabelas()
{
    static const QStringList t{QStringLiteral("CONVENIOS_FATURAMENTO"), QStringLiteral("CONVENIOS_LAYOUT_FOLHA"),
                               QStringLiteral("CONVENIOS_ENVIOS")};
    return t;
}

bool disponivel(Connection &central)
{
    const RowSet rs = central.query(
        QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME in ('%1')").arg(tabelas().join(QStringLiteral("', '"))));
    return !rs.rows.isEmpty() && rs.rows[0].value(0).toInt() == tabelas().size();
}

QString mensagemSemTabelas()
{
    return QStringLiteral("O banco central ainda não tem as tabelas de faturamento do módulo (configurações, "
                          "arquivos de desconto em folha e registro dos envios). Para acrescentá-las, execute "
                          "praxolin-setup --upgrade.");
}

QString sqlLe() { return QStringLiteral("select CHAVE, VALOR from CONVENIOS_FATURAMENTO"); }

QString sqlGrava(const QString &chave, const QString &valor, const QString &usuario)
{
    return QStringLiteral("update or insert into CONVENIOS_FATURAMENTO (CHAVE, VALOR, USUARIO, DATAHORA) values ('%1', "
                          "'%2', '%3', CURRENT_TIMESTAMP) matching (CHAVE)")
        .arg(SqlText::quoted(chave), SqlText::quoted(valor.left(500)), SqlText::quoted(usuario.left(60)));
}

ConfiguracoesFaturamento le(Connection &central)
{
    QHash<QString, QString> v;
    for (const QVector<QVariant> &row : central.query(sqlLe()).rows)
        v.insert(row[0].toString().trimmed(), row[1].toString());
    auto de = [&](const char *k) { return v.value(QLatin1String(k)); };
    ConfiguracoesFaturamento c;
    c.email.servidor = de(kServidor);
    bool ok = false;
    const int porta = de(kPorta).toInt(&ok);
    if (ok && porta > 0)
        c.email.porta = porta;
    c.email.seguranca = segurancaDe(de(kSeguranca));
    c.email.usuario = de(kUsuario);
    c.email.senha = QString::fromUtf8(QByteArray::fromBase64(de(kSenha).toLatin1()));
    c.email.remetente = de(kRemetente);
    c.email.nomeRemetente = de(kNomeRemetente);
    c.pix.chave = de(kPixChave);
    c.pix.nome = de(kPixNome);
    c.pix.cidade = de(kPixCidade);
    return c;
}

void grava(Connection &central, const ConfiguracoesFaturamento &c, const QString &usuario)
{
    // The password is kept out of plain sight, not secret: whoever reads the table can decode it.
    const QList<std::pair<const char *, QString>> valores = {
        {kServidor, c.email.servidor.trimmed()},
        {kPorta, QString::number(c.email.porta)},
        {kSeguranca, nomeSeguranca(c.email.seguranca)},
        {kUsuario, c.email.usuario.trimmed()},
        {kSenha, QString::fromLatin1(c.email.senha.toUtf8().toBase64())},
        {kRemetente, c.email.remetente.trimmed()},
        {kNomeRemetente, c.email.nomeRemetente.trimmed()},
        {kPixChave, c.pix.chave.trimmed()},
        {kPixNome, c.pix.nome.trimmed()},
        {kPixCidade, c.pix.cidade.trimmed()},
    };
    Transaction t(central);
    for (const auto &[chave, valor] : valores)
        central.execute(sqlGrava(QLatin1String(chave), valor, usuario));
    t.commit();
}

}
