#include "settlement/Autorizacao.h"

#include "data/CodificaSenha.h"
#include "data/Connection.h"
#include "platform/WinText.h"

#include <stdexcept>

namespace Autorizacao {

namespace {

QString nome(const QString &usuario) { return WinText::upperAscii(usuario.trimmed()).left(60); }

// The suite's row of the user, looked up by the coded name as the login looks it up.
RowSet usuarioDaSuite(Connection &central, const QString &usuario)
{
    return central.query(QStringLiteral("select USUARIO, SENHA from USUARIOS where USUARIO = ?"),
                         {CodificaSenha(nome(usuario)).left(60)});
}

}

QString mensagemSemSupervisores()
{
    return QStringLiteral("Nenhum supervisor das quitações foi cadastrado; só um supervisor autoriza um estorno. Ele é "
                          "cadastrado pelo programa de instalação: praxolin-setup --suite <pasta da suíte> --supervisor "
                          "NOME");
}

QStringList supervisores(Connection &central)
{
    QStringList out;
    for (const auto &row : central.query(QStringLiteral("select USUARIO from CONVENIOS_SUPERVISORES order by USUARIO")).rows)
        out << row.value(0).toString().trimmed();
    return out;
}

QString confere(Connection &central, const QString &usuario, const QString &senha)
{
    const QStringList lista = supervisores(central);
    if (lista.isEmpty())
        return mensagemSemSupervisores();
    if (!lista.contains(nome(usuario)))
        return QStringLiteral("%1 não é supervisor das quitações: o estorno precisa da senha de um supervisor (%2).")
            .arg(nome(usuario), lista.join(QStringLiteral(", ")));
    const RowSet rs = usuarioDaSuite(central, usuario);
    const QString gravada = rs.rows.isEmpty() ? QString() : rs.rows[0].value(1).toString().left(20);
    if (rs.rows.isEmpty() || senha.size() > 31 || CodificaSenha(WinText::upperAscii(senha)) != gravada)
        return QStringLiteral("Senha incorreta. Tente novamente.");
    return {};
}

void acrescenta(Connection &central, const QString &usuario)
{
    if (nome(usuario).isEmpty() || usuarioDaSuite(central, usuario).rows.isEmpty())
        throw std::runtime_error(QStringLiteral("a suíte não tem o usuário %1").arg(nome(usuario)).toStdString());
    central.execute(QStringLiteral("update or insert into CONVENIOS_SUPERVISORES (USUARIO, DATAHORA) values (?, "
                                   "CURRENT_TIMESTAMP) matching (USUARIO)"),
                    {nome(usuario)});
}

}
