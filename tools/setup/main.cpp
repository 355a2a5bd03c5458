// praxolin-setup: creates a suite folder for the convênio module, or upgrades an existing one.
//
//   praxolin-setup --suite DIR [--force] [--empty] [--server ADDRESS] [--cash-only VALUE]
//                  [--scale [--orders N] [--convenios N] [--movements N] [--old-style]]
//   praxolin-setup --suite DIR --upgrade [--server ADDRESS]
//   praxolin-setup --suite DIR --check [--server ADDRESS]
//   praxolin-setup --suite DIR --supervisor NAME [--server ADDRESS]
//
// DIR receives PRAXOLIN.INI, dados/praxolin.bd, interfac/praxolin.bd, RPT/, and the stand-ins
// Rebatex.exe and Mirrorup.exe; the databases get the demo rows unless --empty is given, or the
// rows of a large pharmacy (tools/setup/ScaleData.h) with --scale. --upgrade adds to the databases
// of an existing suite the indexes and tables this module needs and they lack, and nothing else.
#include "tools/setup/DemoData.h"
#include "tools/setup/ScaleData.h"
#include "tools/setup/SuiteBuilder.h"
#include "tools/setup/SuiteUpgrade.h"
#include "platform/QtTranslations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <exception>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("praxolin-setup"));
    QtTranslations::install();   // the parser's own texts ("Uso:", the help option) in Portuguese

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Cria a pasta de uma suíte para o módulo de convênios: PRAXOLIN.INI, os bancos central e de "
                       "interface com dados de demonstração e substitutos dos programas irmãos."));
    parser.addHelpOption();
    const QCommandLineOption suiteOption(QStringLiteral("suite"), QStringLiteral("Pasta da suíte a criar."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption forceOption(QStringLiteral("force"), QStringLiteral("Substitui uma suíte que já esteja em DIR."));
    const QCommandLineOption emptyOption(QStringLiteral("empty"), QStringLiteral("Cria as tabelas sem dados de demonstração."));
    const QCommandLineOption serverOption(
        QStringLiteral("server"),
        QStringLiteral("Endereço do servidor de banco de dados gravado no PRAXOLIN.INI (vazio: bancos locais embutidos)."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption cashOnlyOption(
        QStringLiteral("cash-only"),
        QStringLiteral("Valor de \"PERMITIR QUITAR CONVENIOS APENAS NO CAIXA\" (SIM reserva as quitações ao Caixa)."),
        QStringLiteral("VALUE"));
    const QCommandLineOption scaleOption(
        QStringLiteral("scale"),
        QStringLiteral("Preenche a suíte como a de uma farmácia grande: por padrão 2.000 convênios, 1.000.000 de pedidos "
                       "com itens, fórmulas, componentes, parcelas e contas, 1.000.000 de movimentos de caixa."));
    const QCommandLineOption ordersOption(QStringLiteral("orders"), QStringLiteral("Pedidos de --scale."), QStringLiteral("N"));
    const QCommandLineOption conveniosOption(QStringLiteral("convenios"), QStringLiteral("Convênios de --scale."),
                                             QStringLiteral("N"));
    const QCommandLineOption movementsOption(QStringLiteral("movements"),
                                             QStringLiteral("Movimentos de caixa de --scale."), QStringLiteral("N"));
    const QCommandLineOption oldStyleOption(
        QStringLiteral("old-style"),
        QStringLiteral("Com --scale: bancos como os programas antigos da suíte os faziam: sem conjunto de caracteres, só "
                       "as chaves e alguns índices da suíte, nenhum deste módulo."));
    const QCommandLineOption upgradeOption(
        QStringLiteral("upgrade"),
        QStringLiteral("Acrescenta aos bancos da suíte existente em DIR (no servidor de --server, se dado) os índices e "
                       "tabelas de que este módulo precisa e que faltam. Não muda mais nada; pode ser repetido."));
    const QCommandLineOption checkOption(
        QStringLiteral("check"),
        QStringLiteral("Prepara cada comando deste módulo nos bancos da suíte existente em DIR (no servidor de --server, "
                       "se dado) e informa cada um que falharia. Não muda nada."));
    const QCommandLineOption supervisorOption(
        QStringLiteral("supervisor"),
        QStringLiteral("Torna o usuário NAME da suíte um supervisor, que pode autorizar o estorno de quitações, na "
                       "suíte existente em DIR (no servidor de --server, se dado)."),
        QStringLiteral("NAME"));
    parser.addOptions({suiteOption, forceOption, emptyOption, serverOption, cashOnlyOption, scaleOption, ordersOption,
                       conveniosOption, movementsOption, oldStyleOption, upgradeOption, checkOption, supervisorOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.isSet(suiteOption) || parser.value(suiteOption).trimmed().isEmpty()) {
        err << "praxolin-setup: --suite DIR é obrigatório.\n\n" << parser.helpText();
        return 1;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "praxolin-setup: argumento inesperado " << parser.positionalArguments().first() << "\n";
        return 1;
    }

    const QString root = QDir(parser.value(suiteOption)).absolutePath();
    if (parser.isSet(upgradeOption) || parser.isSet(checkOption) || parser.isSet(supervisorOption)) {
        const QString mode = parser.isSet(upgradeOption) ? QStringLiteral("--upgrade")
                             : parser.isSet(checkOption) ? QStringLiteral("--check")
                                                         : QStringLiteral("--supervisor");
        for (const QCommandLineOption *other : {&forceOption, &emptyOption, &cashOnlyOption, &scaleOption, &ordersOption,
                                                &conveniosOption, &movementsOption, &oldStyleOption})
            if (parser.isSet(*other)) {
                err << "praxolin-setup: " << mode << " aceita só --suite e --server, não --" << other->names().first()
                    << ".\n";
                return 1;
            }
        if (!QDir(root).exists()) {
            err << "praxolin-setup: a pasta da suíte não existe: " << root << "\n";
            return 1;
        }
        // The databases are found under the suite folder (on the server, under its own suite folder).
        qputenv("PRAXOLIN_HOME", QFile::encodeName(root));
        try {
            const QString server = parser.value(serverOption).trimmed();
            const SuiteUpgrade::Report report =
                parser.isSet(upgradeOption) ? SuiteUpgrade::run(server)
                : parser.isSet(checkOption) ? SuiteUpgrade::check(server)
                                            : SuiteUpgrade::supervisor(server, parser.value(supervisorOption));
            for (const QString &line : report.lines)
                out << line << "\n";
            return report.complete ? 0 : 1;
        } catch (const std::exception &e) {
            out.flush();
            err << "praxolin-setup: " << QString::fromUtf8(e.what()) << "\n";
            return 1;
        }
    }
    if (parser.isSet(oldStyleOption) && !parser.isSet(scaleOption)) {
        err << "praxolin-setup: --old-style só vale com --scale.\n";
        return 1;
    }
    SuiteBuilder::Options options;
    options.serverAddress = parser.value(serverOption);
    options.quitarSoNoCaixa = parser.value(cashOnlyOption);
    options.overwrite = parser.isSet(forceOption);
    options.oldStyle = parser.isSet(oldStyleOption);
    const bool withRows = !parser.isSet(emptyOption);

    QElapsedTimer timer;
    timer.start();
    if (parser.isSet(scaleOption)) {
        ScaleData::Options scale;
        for (const auto &[option, target] : {std::pair{&ordersOption, &scale.orders},
                                             std::pair{&conveniosOption, &scale.convenios},
                                             std::pair{&movementsOption, &scale.movements}}) {
            if (!parser.isSet(*option))
                continue;
            bool ok = false;
            *target = parser.value(*option).toInt(&ok);
            if (!ok || *target < 0) {
                err << "praxolin-setup: --" << option->names().first() << " pede um número inteiro.\n";
                return 1;
            }
        }
        try {
            ScaleData::createSuite(root, options, scale, [&](const QString &step) {
                out << "  " << step << " (" << timer.elapsed() / 1000 << " s)\n";
                out.flush();
            });
        } catch (const std::exception &e) {
            err << "praxolin-setup: " << QString::fromUtf8(e.what()) << "\n";
            return 1;
        }
        out << "Suíte de escala criada em " << root << " (" << timer.elapsed() / 1000 << " s)\n";
        const ScaleData::Set extrato = ScaleData::statementSet(scale);
        out << "  extrato: \"" << extrato.convenio << "\", " << extrato.openOrders << " pedidos abertos de "
            << extrato.first.toString(QStringLiteral("dd/MM/yyyy")) << " a " << extrato.last.toString(QStringLiteral("dd/MM/yyyy")) << "\n";
        for (const ScaleData::Set &s : ScaleData::settlementSets(scale))
            out << "  quitação: \"" << s.convenio << "\", " << s.openOrders << " pedidos abertos de "
                << s.first.toString(QStringLiteral("dd/MM/yyyy")) << " a " << s.last.toString(QStringLiteral("dd/MM/yyyy")) << "\n";
        out << "  logon gravado: ADMIN (senha 123)\n";
        return 0;
    }
    try {
        DemoData::createSuite(root, options, withRows);
    } catch (const std::exception &e) {
        err << "praxolin-setup: " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }

    out << "Suíte criada em " << root << " (" << timer.elapsed() << " ms)\n";
    out << "  " << QDir::toNativeSeparators(root + QStringLiteral("/PRAXOLIN.INI")) << "  servidor: "
        << (options.serverAddress.isEmpty() ? QStringLiteral("(embutido, arquivos locais)") : options.serverAddress)
        << ", quitação só no Caixa: "
        << (options.quitarSoNoCaixa.isEmpty() ? QStringLiteral("(não definido)") : options.quitarSoNoCaixa) << "\n";
    out << "  " << QDir::toNativeSeparators(SuiteBuilder::centralDatabasePath(root)) << "  banco central\n";
    out << "  " << QDir::toNativeSeparators(SuiteBuilder::interfaceDatabasePath(root)) << "  banco de interface\n";
    out << "  " << QDir::toNativeSeparators(root + QStringLiteral("/Rebatex.exe")) << ", "
        << QDir::toNativeSeparators(root + QStringLiteral("/Mirrorup.exe"))
        << "  substitutos; anotam seus argumentos em Rebatex.log e Mirrorup.log\n";
    if (!withRows) {
        out << "Sem dados de demonstração (--empty).\n";
        return 0;
    }
    out << "Usuários de demonstração (nome / senha):\n";
    for (const DemoData::Login &l : DemoData::logins()) {
        out << "  " << l.name.leftJustified(6) << "/ " << l.password.leftJustified(5);
        if (!l.hasRight)
            out << " sem direito ao módulo (recusado)";
        else if (l.workstation.isEmpty())
            out << " sem estação (o programa fecha depois do login)";
        else
            out << " estação " << l.workstation;
        out << "\n";
    }
    out << "A quitação de \"" << DemoData::convenioWithCounterOrders()
        << "\" no período gravado (este mês) é recusada: ele tem pedidos abertos no balcão.\n";
    return 0;
}
