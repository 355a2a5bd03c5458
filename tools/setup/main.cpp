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

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates a suite folder for the convênio module: PRAXOLIN.INI, the central and interface "
                       "databases with demo rows, and stand-ins for the sibling programs."));
    parser.addHelpOption();
    const QCommandLineOption suiteOption(QStringLiteral("suite"), QStringLiteral("Folder of the suite to create."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption forceOption(QStringLiteral("force"), QStringLiteral("Replace a suite already in DIR."));
    const QCommandLineOption emptyOption(QStringLiteral("empty"), QStringLiteral("Create the tables without demo rows."));
    const QCommandLineOption serverOption(
        QStringLiteral("server"),
        QStringLiteral("Address of the database server written to PRAXOLIN.INI (empty: local embedded databases)."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption cashOnlyOption(
        QStringLiteral("cash-only"),
        QStringLiteral("Value of \"PERMITIR QUITAR CONVENIOS APENAS NO CAIXA\" (SIM reserves settlements to the cash register)."),
        QStringLiteral("VALUE"));
    const QCommandLineOption scaleOption(
        QStringLiteral("scale"),
        QStringLiteral("Fill the suite like a large pharmacy: by default 2,000 convênios, 1,000,000 orders with their "
                       "items, formulas, components, instalments and accounts, 1,000,000 cash movements."));
    const QCommandLineOption ordersOption(QStringLiteral("orders"), QStringLiteral("Orders of --scale."), QStringLiteral("N"));
    const QCommandLineOption conveniosOption(QStringLiteral("convenios"), QStringLiteral("Convênios of --scale."),
                                             QStringLiteral("N"));
    const QCommandLineOption movementsOption(QStringLiteral("movements"),
                                             QStringLiteral("Cash-register movements of --scale."), QStringLiteral("N"));
    const QCommandLineOption oldStyleOption(
        QStringLiteral("old-style"),
        QStringLiteral("With --scale: databases as the suite's old programs made them: no character set, only the "
                       "suite's keys and a few indexes of its own, none of this module's."));
    const QCommandLineOption upgradeOption(
        QStringLiteral("upgrade"),
        QStringLiteral("Add to the databases of the existing suite in DIR (on the server of --server, if given) the "
                       "indexes and tables this module needs and they lack. Changes nothing else; safe to repeat."));
    const QCommandLineOption checkOption(
        QStringLiteral("check"),
        QStringLiteral("Prepare every statement of this module on the databases of the existing suite in DIR (on the "
                       "server of --server, if given) and report each that would fail. Changes nothing."));
    const QCommandLineOption supervisorOption(
        QStringLiteral("supervisor"),
        QStringLiteral("Name the suite's user NAME as a supervisor who may authorise the reversal of settlements, in "
                       "the existing suite in DIR (on the server of --server, if given)."),
        QStringLiteral("NAME"));
    parser.addOptions({suiteOption, forceOption, emptyOption, serverOption, cashOnlyOption, scaleOption, ordersOption,
                       conveniosOption, movementsOption, oldStyleOption, upgradeOption, checkOption, supervisorOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.isSet(suiteOption) || parser.value(suiteOption).trimmed().isEmpty()) {
        err << "praxolin-setup: --suite DIR is required.\n\n" << parser.helpText();
        return 1;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "praxolin-setup: unexpected argument " << parser.positionalArguments().first() << "\n";
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
                err << "praxolin-setup: " << mode << " takes only --suite and --server, not --" << other->names().first()
                    << ".\n";
                return 1;
            }
        if (!QDir(root).exists()) {
            err << "praxolin-setup: no suite folder " << root << "\n";
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
        err << "praxolin-setup: --old-style goes with --scale.\n";
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
                err << "praxolin-setup: --" << option->names().first() << " needs a whole number.\n";
                return 1;
            }
        }
        try {
            ScaleData::createSuite(root, options, scale, [&](const QString &step) {
                out << "  " << step << " (" << timer.elapsed() / 1000 << " s)\n";
                out.flush();
            });
        } catch (const std::exception &e) {
            err << "praxolin-setup: " << QString::fromLocal8Bit(e.what()) << "\n";
            return 1;
        }
        out << "Scale suite created in " << root << " (" << timer.elapsed() / 1000 << " s)\n";
        const ScaleData::Set extrato = ScaleData::statementSet(scale);
        out << "  statement: \"" << extrato.convenio << "\", " << extrato.openOrders << " open orders from "
            << extrato.first.toString(Qt::ISODate) << " to " << extrato.last.toString(Qt::ISODate) << "\n";
        for (const ScaleData::Set &s : ScaleData::settlementSets(scale))
            out << "  settlement: \"" << s.convenio << "\", " << s.openOrders << " open orders from "
                << s.first.toString(Qt::ISODate) << " to " << s.last.toString(Qt::ISODate) << "\n";
        out << "  stored logon: ADMIN (password 123)\n";
        return 0;
    }
    try {
        DemoData::createSuite(root, options, withRows);
    } catch (const std::exception &e) {
        err << "praxolin-setup: " << QString::fromLocal8Bit(e.what()) << "\n";
        return 1;
    }

    out << "Suite created in " << root << " (" << timer.elapsed() << " ms)\n";
    out << "  " << QDir::toNativeSeparators(root + QStringLiteral("/PRAXOLIN.INI")) << "  server: "
        << (options.serverAddress.isEmpty() ? QStringLiteral("(embedded, local files)") : options.serverAddress)
        << ", settlements only at the cash register: "
        << (options.quitarSoNoCaixa.isEmpty() ? QStringLiteral("(not set)") : options.quitarSoNoCaixa) << "\n";
    out << "  " << QDir::toNativeSeparators(SuiteBuilder::centralDatabasePath(root)) << "  central database\n";
    out << "  " << QDir::toNativeSeparators(SuiteBuilder::interfaceDatabasePath(root)) << "  interface database\n";
    out << "  " << QDir::toNativeSeparators(root + QStringLiteral("/Rebatex.exe")) << ", "
        << QDir::toNativeSeparators(root + QStringLiteral("/Mirrorup.exe"))
        << "  stand-ins; they log their arguments to Rebatex.log and Mirrorup.log\n";
    if (!withRows) {
        out << "No demo rows (--empty).\n";
        return 0;
    }
    out << "Demo logins (name / password):\n";
    for (const DemoData::Login &l : DemoData::logins()) {
        out << "  " << l.name.leftJustified(6) << "/ " << l.password.leftJustified(5);
        if (!l.hasRight)
            out << " no right to the module (refused)";
        else if (l.workstation.isEmpty())
            out << " no workstation (the program closes after the login)";
        else
            out << " workstation " << l.workstation;
        out << "\n";
    }
    out << "Settling \"" << DemoData::convenioWithCounterOrders()
        << "\" in the stored period (this month) is refused: it has orders open at the counter.\n";
    return 0;
}
