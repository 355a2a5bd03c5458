#pragma once
#include <QStringList>

// The people and places the demo and the scale suites are filled with: Brazilian names with
// accents and apostrophes, so every suite also exercises the code page and the quoting.
namespace DemoNames {

inline const QStringList kClientes = {
    QStringLiteral("José da Silva"),           QStringLiteral("Maria Aparecida Gonçalves"),
    QStringLiteral("João Pedro Araújo"),       QStringLiteral("Ana Cláudia Ribeiro"),
    QStringLiteral("Antônio Carlos Souza"),    QStringLiteral("Francisca Conceição"),
    QStringLiteral("Luís Fernando Brandão"),   QStringLiteral("Márcia Helena Simões"),
    QStringLiteral("Sebastião Nogueira"),      QStringLiteral("Patrícia D'Ávila"),
    QStringLiteral("Raimundo Nonato Lima"),    QStringLiteral("Luíza Magalhães"),
    QStringLiteral("Cecília Assunção"),        QStringLiteral("Otávio Guimarães"),
    QStringLiteral("Joaquim Falcão"),          QStringLiteral("Vinícius Peçanha"),
    QStringLiteral("Débora Cunha"),            QStringLiteral("Benedito Estêvão"),
    QStringLiteral("Fátima Rosário"),          QStringLiteral("Ângela Müller"),
    QStringLiteral("Rogério Tôrres"),          QStringLiteral("Glória Piñeiro"),
    QStringLiteral("Heloísa Bastos"),          QStringLiteral("Ivone Gusmão"),
};
inline const QStringList kMedicos = {QStringLiteral("Dr. Paulo Rezende"), QStringLiteral("Dra. Célia Monteiro"),
                              QStringLiteral("Dr. Ênio Barbosa"), QStringLiteral("Dra. Íris Fontana"),
                              QStringLiteral("Dr. Caio Sant'Anna")};
inline const QStringList kVendedores = {QStringLiteral("Renata"), QStringLiteral("Júlio"), QStringLiteral("Aline"),
                                 QStringLiteral("Tânia")};
inline const QStringList kLaboratorios = {QStringLiteral("Matriz"), QStringLiteral("Filial 2"), QStringLiteral("Lab Centro")};

}
