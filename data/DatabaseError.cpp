#include "data/Connection.h"

#include <QHash>

namespace {

// What the codes of the Firebird status the users meet mean, in their words.
QString explicacao(long gdsCode, bool linkLost)
{
    static const QHash<long, QString> textos = {
        {335544665, QStringLiteral("O banco de dados recusou a gravação: já existe um registro com a mesma chave.")},
        {335544349, QStringLiteral("O banco de dados recusou a gravação: já existe um registro com a mesma chave.")},
        {335544466, QStringLiteral("O banco de dados recusou a operação: há registros de outra tabela ligados a este.")},
        {335544347, QStringLiteral("O banco de dados recusou um valor: um campo obrigatório ficou vazio ou o valor não "
                                   "é aceito pela coluna.")},
        {335544321, QStringLiteral("Um valor não cabe na coluna do banco de dados: um texto longo demais ou um número "
                                   "grande demais.")},
        {335544336, QStringLiteral("Outra estação está alterando os mesmos registros neste momento. Tente de novo em "
                                   "instantes.")},
        {335544345, QStringLiteral("Outra estação está alterando os mesmos registros neste momento. Tente de novo em "
                                   "instantes.")},
        {335545096, QStringLiteral("Outra estação está alterando os mesmos registros neste momento. Tente de novo em "
                                   "instantes.")},
        {335544878, QStringLiteral("Outra estação está alterando os mesmos registros neste momento. Tente de novo em "
                                   "instantes.")},
        {335544375, QStringLiteral("O banco de dados não está disponível: o servidor não está rodando ou não foi "
                                   "encontrado.")},
        {335544344, QStringLiteral("O arquivo do banco de dados não pôde ser aberto ou lido: confira o caminho, se o "
                                   "arquivo existe e se há permissão para usá-lo.")},
        {335544472, QStringLiteral("O servidor do banco de dados recusou o usuário ou a senha de acesso.")},
        {335544352, QStringLiteral("O usuário do banco de dados não tem permissão para esta operação.")},
        {335544569, QStringLiteral("O banco de dados não aceitou um comando do programa: falta uma tabela ou coluna, ou "
                                   "a estrutura do banco não é a esperada.")},
        {335544528, QStringLiteral("O banco de dados está fora do ar para manutenção.")},
        {335544794, QStringLiteral("A operação foi cancelada.")},
        {335544517, QStringLiteral("O banco de dados recusou a operação por uma regra própria.")},
    };
    if (const auto it = textos.constFind(gdsCode); it != textos.cend())
        return *it;
    if (linkLost)
        return QStringLiteral("A conexão com o servidor do banco de dados falhou ou foi perdida: confira a rede e se o "
                              "servidor está ligado.");
    return {};
}

}

QString DatabaseError::explicada() const
{
    const QString texto = explicacao(m_gdsCode, m_linkLost);
    if (texto.isEmpty())
        return m_message;
    return texto + QStringLiteral("\n\nTexto original do banco de dados:\n") + m_message;
}
