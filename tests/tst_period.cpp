// The period dialog of Totalizar, Quitar and Extrato, the closing list and its printing, driven
// offscreen through the real program on a fresh suite: key presses and clicks, then the interface
// database read back.
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "closing/ClosingPanel.h"
#include "closing/GraficoMeses.h"
#include "closing/WrappingHeader.h"
#include "extrato/ExtratoWindow.h"
#include "closing/PeriodDialog.h"
#include "controls/DBGrid.h"
#include "controls/DBMaskEdit.h"
#include "controls/DataControls.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "reports/ReportModule.h"
#include "tests/RtfReader.h"
#include "tests/support/TestSuite.h"
#include "tests/support/Widgets.h"
#include "tools/setup/ReportFiles.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>


class TstPeriod : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<Messages::Recorder> messages;
    std::unique_ptr<Program> program;

    FormConvenios &form() { return *program->form; }
    PeriodDialog &dialog() { return *program->form->PainelPeriodo3; }
    ClosingPanel &closing() { return *program->form->Painel_Total_Debito; }

    void start(const QStringList &args = {QStringLiteral("Beta & Cia")}, const TestSuite::Options &options = {})
    {
        suite = std::make_unique<TestSuite>(options);
        suite->seedRegister();
        suite->writeLogon(QStringLiteral("ADMIN"));
        program = std::make_unique<Program>();
        QVERIFY(program->create(args));
        program->show();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        QVERIFY(form().PainelConvenios->isVisible());
        QVERIFY(messages->messages.isEmpty());
        // The settlement and the statement that modes 2 and 3 hand over to have tests of their own;
        // here the hand-over is observed through the dialog's hooks.
        dialog().onQuitar = nullptr;
        dialog().onExtrato = nullptr;
    }

    // The five register commands.
    bool commandsEnabled()
    {
        bool all = true, none = true;
        for (QPushButton *b : {form().BotSairConv, form().BitBtn2, form().BotQuitaConvenio, form().BotTotalizaDeb,
                               form().BotPesqConvenio}) {
            all = all && b->isEnabled();
            none = none && !b->isEnabled();
        }
        if (all == none)
            qWarning("the register commands are partly enabled");
        return all;
    }

    void command(const QString &name)
    {
        QAbstractButton *b = name == QLatin1String("Totalizar")  ? static_cast<QAbstractButton *>(form().BotTotalizaDeb)
                             : name == QLatin1String("Quitar")   ? form().BotQuitaConvenio
                             : name == QLatin1String("act_Quitar") ? static_cast<QAbstractButton *>(form().btnQuitar)
                             : name == QLatin1String("Extrato")  ? form().BitBtn2
                                                                  : static_cast<QAbstractButton *>(form().btnExtrato);
        QTest::mouseClick(b, Qt::LeftButton);
    }

    // Types into a masked box over what it holds: "010326" becomes "01/03/26".
    void type(QLineEdit *edit, const QString &digits)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        edit->home(false);
        QTest::keyClicks(edit, digits);
    }

    QList<QVector<QVariant>> periodRows()
    {
        return suite->iface()
            .query(QStringLiteral("select DATAINICIAL, DATAFINAL, HORAINICIAL, CHAVE, NPEDIDO, VALORTOTAL from PERIODO"))
            .rows;
    }

    void pedido(int n, const QString &convenio, const QDate &date, const QVariant &restante, const QVariant &pago = {},
                const QString &tipo = QStringLiteral("Pedido"))
    {
        suite->central().execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, "
                                                "VALORRESTANTE, DATAPAGAMENTO) values ('01', ?, ?, ?, ?, ?, ?)"),
                                 {n, convenio, date, tipo, restante, pago});
    }

    // The closing list of the stored period, opened through Totalizar and its OK.
    void openClosing(const QDate &reference = {})
    {
        closing().setReferencia(reference);
        command(QStringLiteral("Totalizar"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QVERIFY(closing().isVisible());
    }

    QStringList shownTitles()
    {
        DBGrid *grid = closing().DBGrid1;
        QStringList titles;
        for (int v = 0; v < grid->horizontalHeader()->count(); ++v) {
            const int c = grid->horizontalHeader()->logicalIndex(v);
            if (!grid->isColumnHidden(c))
                titles << grid->model()->headerData(c, Qt::Horizontal).toString();
        }
        return titles;
    }

    void storePeriod(const QDate &di, const QDate &df)
    {
        suite->iface().execute(QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL, HORAINICIAL, CHAVE, NPEDIDO, "
                                              "VALORTOTAL) values (?, ?, '08:30:00', 'X', 42, 1.5)"),
                               {di, df});
    }

private slots:
    void init()
    {
        messages = std::make_unique<Messages::Recorder>();
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    }

    void cleanup()
    {
        program.reset();
        messages.reset();
        suite.reset();
        QLocale::setDefault(QLocale::c());
    }

    void firstUseAppendsTheRecordAndTheNextOpeningEditsIt()
    {
        start();
        QVERIFY(periodRows().isEmpty());
        command(QStringLiteral("Totalizar"));
        QVERIFY(dialog().isVisible());
        QVERIFY(!commandsEnabled());
        QVERIFY(dialog().DBEdit16->hasFocus());
        QCOMPARE(program->dm2->Periodo.state(), CachedTable::State::Insert);

        // All by keyboard: Enter moves from date to date and presses OK.
        type(dialog().DBEdit16, QStringLiteral("010326"));
        QTest::keyClick(dialog().DBEdit16, Qt::Key_Return);
        QVERIFY(dialog().DBEdit84->hasFocus());
        type(dialog().DBEdit84, QStringLiteral("310326"));
        QTest::keyClick(dialog().DBEdit84, Qt::Key_Return);
        QVERIFY(dialog().BotTotaliza3->hasFocus());
        QTest::keyClick(dialog().BotTotaliza3, Qt::Key_Return);
        QVERIFY(!dialog().isVisible());
        QVERIFY(messages->messages.isEmpty());

        auto rows = periodRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toDate(), QDate(2026, 3, 1));
        QCOMPARE(rows[0][1].toDate(), QDate(2026, 3, 31));
        QCOMPARE(dialog().escolha().periodo.inicioSql(), QStringLiteral("03/01/26"));
        QCOMPARE(dialog().escolha().periodo.fimSql(), QStringLiteral("03/31/26"));

        // Another program fills the carried columns; the next opening edits the same record.
        QTest::mouseClick(closing().BitBtn3, Qt::LeftButton);
        QVERIFY(commandsEnabled());
        suite->iface().execute(
            QStringLiteral("update PERIODO set HORAINICIAL = '08:30:00', CHAVE = 'X', NPEDIDO = 42, VALORTOTAL = 1.5"));
        command(QStringLiteral("act_Extrato"));
        QCOMPARE(program->dm2->Periodo.state(), CachedTable::State::Edit);
        QCOMPARE(dialog().DBEdit16->text(), QStringLiteral("01/03/26"));
        QCOMPARE(dialog().DBEdit84->text(), QStringLiteral("31/03/26"));
        type(dialog().DBEdit84, QStringLiteral("150426"));
        StatementLog::clear();
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QVERIFY(!dialog().isVisible());
        // Only the changed date is written, to the row whose every column is as it was read; then
        // the record is read again.
        const QString select = QStringLiteral("select DATAINICIAL, DATAFINAL, HORAINICIAL, HORAFINAL, CHAVE, ESTACAO, "
                                              "NPEDIDO, NFORMULA, VALORTOTAL, VALORTOTAL2 from PERIODO");
        QStringList sent;
        for (const StatementLog::Entry &e : StatementLog::entries())
            if (e.connection == program->dm2->SQLConnection1.name())
                sent << e.sql;
        QCOMPARE(sent.mid(sent.indexOf(QRegularExpression(QStringLiteral("^UPDATE.*")))),
                 (QStringList{QStringLiteral("UPDATE PERIODO SET DATAFINAL = ? WHERE DATAINICIAL = ? AND DATAFINAL = ? "
                                             "AND HORAINICIAL = ? AND HORAFINAL IS NULL AND CHAVE = ? AND ESTACAO IS NULL "
                                             "AND NPEDIDO = ? AND NFORMULA IS NULL AND VALORTOTAL = ? AND VALORTOTAL2 IS NULL"),
                              select}));
        QVERIFY(commandsEnabled());
        QVERIFY(!program->dm2->Periodo.isOpen());

        rows = periodRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toDate(), QDate(2026, 3, 1));
        QCOMPARE(rows[0][1].toDate(), QDate(2026, 4, 15));
        QCOMPARE(rows[0][2].toTime(), QTime(8, 30));
        QCOMPARE(rows[0][3].toString(), QStringLiteral("X"));
        QCOMPARE(rows[0][4].toInt(), 42);
        QCOMPARE(rows[0][5].value<Decimal>().toSqlText(8), QStringLiteral("1.50000000"));
        QCOMPARE(dialog().escolha().convenio, QStringLiteral("Beta & Cia"));
    }

    void cancelarKeepsTheStoredPeriod()
    {
        start();
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        command(QStringLiteral("Totalizar"));
        type(dialog().DBEdit16, QStringLiteral("010126"));
        QTest::keyClick(dialog().DBEdit16, Qt::Key_Tab);   // the first date is in the record now
        type(dialog().DBEdit84, QStringLiteral("310126"));
        QTest::mouseClick(dialog().BotCancTotConv, Qt::LeftButton);
        QVERIFY(!dialog().isVisible());
        QVERIFY(commandsEnabled());
        QVERIFY(!program->dm2->Periodo.isOpen());
        QVERIFY(messages->messages.isEmpty());
        const auto rows = periodRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][0].toDate(), QDate(2026, 3, 1));
        QCOMPARE(rows[0][1].toDate(), QDate(2026, 3, 31));
        QVERIFY(dialog().escolha().convenio.isEmpty());

        // The dialog shows the stored dates again.
        command(QStringLiteral("Extrato"));
        QCOMPARE(dialog().DBEdit16->text(), QStringLiteral("01/03/26"));
        QCOMPARE(dialog().DBEdit84->text(), QStringLiteral("31/03/26"));
    }

    void emptyDatesAreAccepted_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::newRow("first use") << false;
        QTest::newRow("dates cleared") << true;
    }

    void emptyDatesAreAccepted()
    {
        QFETCH(bool, stored);
        start();
        if (stored)
            storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        command(QStringLiteral("Totalizar"));
        type(dialog().DBEdit16, QString());
        type(dialog().DBEdit84, QString());
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
        QVERIFY(!dialog().isVisible());
        const auto rows = periodRows();
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows[0][0].isNull() && rows[0][1].isNull());
        QCOMPARE(rows[0][3].toString(), stored ? QStringLiteral("X") : QString());
        QVERIFY(dialog().escolha().periodo.inicioSql().isEmpty() && dialog().escolha().periodo.fimSql().isEmpty());
    }

    void openingCommands_data()
    {
        QTest::addColumn<QStringList>("commands");   // each opening but the last is cancelled
        QTest::addColumn<int>("mode");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("paymentDate");
        const QPoint button(133, 114), action(221, 74);
        QTest::newRow("Totalizar") << QStringList{"Totalizar"} << 1 << button << "Totalizar" << false;
        QTest::newRow("Quitar button") << QStringList{"Quitar"} << 2 << button << "Quitar" << true;
        QTest::newRow("Quitar action") << QStringList{"act_Quitar"} << 2 << action << "Quitar" << true;
        QTest::newRow("Extrato action") << QStringList{"act_Extrato"} << 3 << action << "Extrato" << false;
        QTest::newRow("Extrato button first") << QStringList{"Extrato"} << 3 << button << "&OK" << false;
        QTest::newRow("Extrato button after Quitar") << QStringList{"Quitar", "Extrato"} << 3 << button << "Quitar" << false;
        QTest::newRow("Extrato button after Totalizar")
            << QStringList{"Totalizar", "Extrato"} << 3 << button << "Totalizar" << false;
        QTest::newRow("Extrato action after Quitar") << QStringList{"Quitar", "act_Extrato"} << 3 << action << "Extrato"
                                                     << false;
    }

    void openingCommands()
    {
        QFETCH(QStringList, commands);
        QFETCH(int, mode);
        QFETCH(QPoint, position);
        QFETCH(QString, caption);
        QFETCH(bool, paymentDate);
        start();
        for (int i = 0; i < commands.size(); ++i) {
            if (i > 0)
                QTest::mouseClick(dialog().BotCancTotConv, Qt::LeftButton);
            command(commands[i]);
        }
        QVERIFY(dialog().isVisible());
        QCOMPARE(dialog().Tag, mode);
        QCOMPARE(dialog().geometry(), QRect(position, QSize(347, 199)));
        QCOMPARE(dialog().parentWidget(), form().PainelConvenios);
        QCOMPARE(dialog().BotTotaliza3->text(), caption);
        QCOMPARE(dialog().EditDataPagamento->isVisible(), paymentDate);
        QCOMPARE(dialog().LabelDataPag->isVisible(), paymentDate);
        if (paymentDate)
            QCOMPARE(dialog().EditDataPagamento->text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yy")));
        QVERIFY(dialog().DBEdit16->hasFocus());
        QVERIFY(!commandsEnabled());
        QVERIFY(messages->messages.isEmpty());
    }

    void paymentDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("no such day") << "310226" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("year left out") << "1503" << false;
        QTest::newRow("valid") << "150426" << true;
    }

    void paymentDate()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        start();
        int settled = 0;
        QDate paidOn;
        dialog().onQuitar = [&](const PeriodDialog::Escolha &escolha) {
            ++settled;
            paidOn = escolha.pagamento;
        };
        command(QStringLiteral("Quitar"));
        type(dialog().DBEdit16, QStringLiteral("010326"));
        type(dialog().DBEdit84, QStringLiteral("310326"));
        type(dialog().EditDataPagamento, typed);
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        if (!accepted) {
            QCOMPARE(messages->messages, QStringList{QStringLiteral("Data de Pagamento inválida!")});
            QVERIFY(dialog().isVisible());
            QCOMPARE(program->dm2->Periodo.state(), CachedTable::State::Insert);
            QVERIFY(periodRows().isEmpty());
            QCOMPARE(settled, 0);
            QVERIFY(!commandsEnabled());
            QVERIFY(dialog().escolha().convenio.isEmpty());
            return;
        }
        QVERIFY(messages->messages.isEmpty());
        QVERIFY(!dialog().isVisible());
        QCOMPARE(settled, 1);
        QCOMPARE(paidOn, QDate(2026, 4, 15));
        QCOMPARE(dialog().escolha().convenio, QStringLiteral("Beta & Cia"));
        QCOMPARE(periodRows().size(), 1);
        QVERIFY(commandsEnabled());
    }

    // Esc leaves the period dialog as Cancelar does, whatever box holds the focus, and the closing
    // list as Voltar does: the register's commands come back and nothing is stored.
    void escapeLeavesTheDialogAndTheList()
    {
        start();
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        command(QStringLiteral("Quitar"));
        type(dialog().DBEdit84, QStringLiteral("150426"));
        QTest::keyClick(dialog().DBEdit84, Qt::Key_Escape);
        QVERIFY(!dialog().isVisible());
        QVERIFY(commandsEnabled());
        QCOMPARE(periodRows()[0][1].toDate(), QDate(2026, 3, 31));
        QVERIFY(form().isVisible());

        command(QStringLiteral("Totalizar"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QVERIFY(closing().isVisible());
        QTest::keyClick(closing().DBGrid1, Qt::Key_Escape);
        QVERIFY(!closing().isVisible());
        QVERIFY(commandsEnabled());
        QVERIFY(form().isVisible());
    }

    void enterMovesToTheNextControl_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("initial to final") << "Totalizar" << "DBEdit16" << "DBEdit84";
        QTest::newRow("final to OK, payment date hidden") << "Totalizar" << "DBEdit84" << "BotTotaliza3";
        QTest::newRow("final to payment date") << "Quitar" << "DBEdit84" << "EditDataPagamento";
        QTest::newRow("payment date to OK") << "Quitar" << "EditDataPagamento" << "BotTotaliza3";
    }

    void enterMovesToTheNextControl()
    {
        QFETCH(QString, command);
        QFETCH(QString, from);
        QFETCH(QString, to);
        start();
        this->command(command);
        auto *edit = widget<QLineEdit>(&dialog(), from);
        if (!edit)
            return;
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
        QVERIFY(dialog().isVisible());   // swallowed: nothing else happened
        QVERIFY(messages->messages.isEmpty());
    }

    void periodDateThatDoesNotConvertIsRefusedWhenPosting()
    {
        start();
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        command(QStringLiteral("Totalizar"));
        type(dialog().DBEdit16, QStringLiteral("310226"));
        QTest::keyClick(dialog().DBEdit16, Qt::Key_Return);   // leaving the box says nothing yet
        QVERIFY(messages->messages.isEmpty());
        QCOMPARE(dialog().DBEdit16->text(), QStringLiteral("31/02/26"));
        type(dialog().DBEdit84, QStringLiteral("300426"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QCOMPARE(messages->messages, QStringList{QStringLiteral("'31/02/26' não é uma data válida.")});
        QVERIFY(dialog().isVisible());
        QVERIFY(!closing().isVisible());
        QCOMPARE(periodRows()[0][0].toDate(), QDate(2026, 3, 1));
        QCOMPARE(periodRows()[0][1].toDate(), QDate(2026, 3, 31));

        // Corrected, the same dialog stores the period.
        type(dialog().DBEdit16, QStringLiteral("010426"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QCOMPARE(messages->messages.size(), 1);
        QVERIFY(closing().isVisible());
        QCOMPARE(periodRows()[0][0].toDate(), QDate(2026, 4, 1));
        QCOMPARE(periodRows()[0][1].toDate(), QDate(2026, 4, 30));
    }

    void recordChangedByAnotherWorkstationIsNotLostSilently()
    {
        start();
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        command(QStringLiteral("Totalizar"));
        // Meanwhile another workstation stores its own period.
        suite->iface().execute(QStringLiteral("update PERIODO set DATAINICIAL = '05/01/26', DATAFINAL = '05/31/26'"));
        type(dialog().DBEdit16, QStringLiteral("010626"));
        type(dialog().DBEdit84, QStringLiteral("300626"));
        for (int attempt = 1; attempt <= 2; ++attempt) {
            QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
            QCOMPARE(messages->messages.size(), attempt);
            QVERIFY2(messages->messages.last().contains(QStringLiteral("Must apply updates before refreshing data")),
                     qPrintable(messages->messages.last()));
            QVERIFY(dialog().isVisible());
            QVERIFY(!closing().isVisible());
            QVERIFY(dialog().escolha().convenio.isEmpty());
        }
        QCOMPARE(periodRows()[0][0].toDate(), QDate(2026, 5, 1));

        // Cancelled and opened again, the dialog shows the other workstation's period.
        QTest::mouseClick(dialog().BotCancTotConv, Qt::LeftButton);
        QVERIFY(commandsEnabled());
        command(QStringLiteral("Totalizar"));
        QCOMPARE(dialog().DBEdit16->text(), QStringLiteral("01/05/26"));
    }

    void quitarActionMayBeReservedToTheCashRegister_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("opens");
        const QStringList register_{"Beta & Cia"};
        const QStringList cashRegister{"Beta & Cia", "3", "S12", "Dinheiro"};
        QTest::newRow("S outside the cash register") << "S" << register_ << "act_Quitar" << false;
        QTest::newRow("lower-case s") << "sim" << register_ << "act_Quitar" << false;
        QTest::newRow("N") << "N" << register_ << "act_Quitar" << true;
        QTest::newRow("empty") << "" << register_ << "act_Quitar" << true;
        QTest::newRow("S at the cash register") << "S" << cashRegister << "act_Quitar" << true;
        QTest::newRow("S, the register's button") << "S" << register_ << "Quitar" << true;
    }

    void quitarActionMayBeReservedToTheCashRegister()
    {
        QFETCH(QString, setting);
        QFETCH(QStringList, args);
        QFETCH(QString, command);
        QFETCH(bool, opens);
        TestSuite::Options options;
        options.quitarSoNoCaixa = setting;
        start(args, options);
        this->command(command);
        QCOMPARE(dialog().isVisible(), opens);
        QCOMPARE(commandsEnabled(), !opens);
        QCOMPARE(messages->messages,
                 opens ? QStringList() : QStringList{QStringLiteral("A quitação dos convênios deve ser feita no Caixa.")});
    }

    void closingListIsPositionedOnTheConvenio_data()
    {
        QTest::addColumn<QString>("renameTo");   // Beta & Cia renamed by another workstation; empty: kept
        QTest::addColumn<QString>("current");
        QTest::newRow("same name") << "" << "Beta & Cia";
        QTest::newRow("other letter case") << "BETA & CIA" << "BETA & CIA";
        QTest::newRow("no longer there") << "Gama" << "Alfa Ltda";
    }

    void closingListIsPositionedOnTheConvenio()
    {
        QFETCH(QString, renameTo);
        QFETCH(QString, current);
        start();
        suite->exec(QStringLiteral("update CONVENIO set VALORAPAGAR = 1234.5, VENCIMENTO = 5 where CODIGOCONVENIO = 1"));
        if (!renameTo.isEmpty())
            suite->central().execute(QStringLiteral("update CONVENIO set CONVENIO = ? where CODIGOCONVENIO = 2"), {renameTo});
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        command(QStringLiteral("Totalizar"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QVERIFY(messages->messages.isEmpty());
        QCOMPARE(dialog().escolha().convenio, QStringLiteral("Beta & Cia"));

        QVERIFY(closing().isVisible());
        QVERIFY(closing().DBGrid1->hasFocus());
        QVERIFY(!commandsEnabled());
        CachedTable &list = program->dm->cds_qryConv;
        QCOMPARE(list.recordCount(), 3);
        QCOMPARE(list.text(QStringLiteral("CONVENIO")), current);
        QCOMPARE(closing().DBGrid1->currentIndex().row(), list.recNo());
        QCOMPARE(closing().DBText1->text(), QStringLiteral("01/03/26"));
        QCOMPARE(closing().DBText2->text(), QStringLiteral("31/03/26"));

        // The columns and the amounts as the workstation writes money.
        QCOMPARE(shownTitles(),
                 (QStringList{QStringLiteral("Convênio"), QStringLiteral("Valor Total (R$)"), QStringLiteral("Dia Vencimento"),
                              QStringLiteral("Pedidos em Aberto"), QStringLiteral("Valor em Aberto (R$)"),
                              QStringLiteral("Até 30 dias (R$)"), QStringLiteral("31 a 60 dias (R$)"),
                              QStringLiteral("61 a 90 dias (R$)"), QStringLiteral("Mais de 90 dias (R$)")}));
        const int valor = list.fieldIndex(QStringLiteral("VALORAPAGAR"));
        const int alfa = 0;
        QCOMPARE(list.valueAt(alfa, QStringLiteral("CONVENIO")).toString(), QStringLiteral("Alfa Ltda"));
        QCOMPARE(list.data(list.index(alfa, valor)).toString(), QStringLiteral("1.234,50"));

        QTest::mouseClick(closing().BitBtn3, Qt::LeftButton);
        QVERIFY(!closing().isVisible());
        QVERIFY(commandsEnabled());
        QVERIFY(!program->dm2->Periodo.isOpen());
    }

    // Beside the stored amount, each convênio's open orders of the dialog's period and what they
    // still owe, counted as the statement counts them: paid orders, other order types and dates
    // outside the period left out.
    void closingListShowsTheLiveFiguresOfThePeriod()
    {
        start();
        auto order = [this](int n, const QString &convenio, const QDate &date, const QVariant &restante,
                            const QString &tipo = QStringLiteral("Pedido"), const QVariant &pago = {}) {
            suite->central().execute(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, "
                                                    "VALORRESTANTE, DATAPAGAMENTO) values ('01', ?, ?, ?, ?, ?, ?)"),
                                     {n, convenio, date, tipo, restante, pago});
        };
        const QString alfa = QStringLiteral("Alfa Ltda"), beta = QStringLiteral("Beta & Cia");
        order(1, alfa, QDate(2026, 3, 1), QStringLiteral("10.00"));
        order(2, alfa, QDate(2026, 3, 31), QStringLiteral("20.50"));
        order(3, alfa, QDate(2026, 3, 10), QVariant());                                     // counted, adds nothing
        order(4, alfa, QDate(2026, 3, 15), QStringLiteral("100.00"), QStringLiteral("Pedido"), QDate(2026, 3, 20));
        order(5, alfa, QDate(2026, 3, 15), QStringLiteral("50.00"), QStringLiteral("Orcam"));
        order(6, alfa, QDate(2026, 2, 28), QStringLiteral("7.00"));
        order(7, alfa, QDate(2026, 4, 1), QStringLiteral("7.00"));
        order(8, beta, QDate(2026, 3, 5), QStringLiteral("5.25"));
        order(9, QStringLiteral("Gama"), QDate(2026, 3, 5), QStringLiteral("1.00"));   // no such convênio
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));

        StatementLog::clear();
        command(QStringLiteral("Totalizar"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QVERIFY(closing().isVisible());
        QCOMPARE(StatementLog::textsContaining(QStringLiteral("IS NULL group by")).size(), 1);

        const RowSet direct = suite->central().query(
            QStringLiteral("select CONVENIO, count(*), sum(VALORRESTANTE) from PEDIDOS where TIPOPEDIDO = 'Pedido' and "
                           "DATAPEDIDO between ? and ? and DATAPAGAMENTO is null group by CONVENIO"),
            {QDate(2026, 3, 1), QDate(2026, 3, 31)});
        CachedTable &list = program->dm->cds_qryConv;
        const int pedidos = list.fieldIndex(QStringLiteral("PEDIDOSABERTOS"));
        const int aberto = list.fieldIndex(QStringLiteral("VALORABERTO"));
        QStringList shown;
        for (int r = 0; r < list.recordCount(); ++r) {
            const QString name = list.valueAt(r, QStringLiteral("CONVENIO")).toString();
            QVariant count = 0, sum = QVariant::fromValue(Decimal(0, 2));
            for (const auto &row : direct.rows)
                if (row[0].toString() == name)
                    count = row[1], sum = row[2];
            QCOMPARE(list.valueAt(r, pedidos).toInt(), count.toInt());
            QCOMPARE(list.valueAt(r, aberto).value<Decimal>(), Decimal::fromVariant(sum).rescaled(2));
            shown << name + QLatin1Char('=') + list.data(list.index(r, pedidos)).toString() + QLatin1Char('/') +
                         list.data(list.index(r, aberto)).toString();
        }
        QCOMPARE(shown, (QStringList{QStringLiteral("Alfa Ltda=3/30,50"), QStringLiteral("Beta & Cia=1/5,25"),
                                     QStringLiteral("Drogaria São José=0/0,00")}));
        // The totals row, each figure under its column.
        const Decimal stored = Decimal::fromVariant(suite->scalar(QStringLiteral("select sum(VALORAPAGAR) from CONVENIO")));
        QCOMPARE(closing().LabelTotalValor->text(), stored.toDisplayText());
        QCOMPARE(closing().LabelTotalPedidos->text(), QStringLiteral("4"));
        QCOMPARE(closing().LabelTotalAberto->text(), QStringLiteral("35,75"));
        const QHeaderView *h = closing().DBGrid1->horizontalHeader();
        const int left = closing().DBGrid1->viewport()->mapTo(&closing(), QPoint(h->sectionViewportPosition(aberto), 0)).x();
        const int middle = closing().LabelTotalAberto->geometry().center().x();
        QVERIFY(middle > left && middle < left + h->sectionSize(aberto));

        // Another period, other figures.
        QTest::mouseClick(closing().BitBtn3, Qt::LeftButton);
        command(QStringLiteral("Totalizar"));
        type(dialog().DBEdit16, QStringLiteral("010426"));
        type(dialog().DBEdit84, QStringLiteral("300426"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QCOMPARE(list.valueAt(0, pedidos).toInt(), 1);
        QCOMPARE(list.data(list.index(0, aberto)).toString(), QStringLiteral("7,00"));
        QCOMPARE(closing().LabelTotalAberto->text(), QStringLiteral("7,00"));
    }

    // At the window's size of 806 by 600 the closing list, its titles and its figures are in view:
    // no column past the list's edge, no title cut, the widest amounts whole.
    void closingListFitsTheWindowAtItsDefaultSize()
    {
        start();
        QCOMPARE(form().size(), QSize(806, 600));
        suite->exec(QStringLiteral("update CONVENIO set VALORAPAGAR = 9876543.21 where CODIGOCONVENIO = 1"));
        pedido(1, QStringLiteral("Alfa Ltda"), QDate(2026, 3, 2), QStringLiteral("1234567.89"));
        pedido(2, QStringLiteral("Alfa Ltda"), QDate(2025, 10, 2), QStringLiteral("7654321.98"));
        storePeriod(QDate(2025, 1, 1), QDate(2026, 3, 31));
        openClosing(QDate(2026, 3, 31));

        const QRect panel(closing().mapTo(&form(), QPoint(0, 0)), closing().size());
        QVERIFY2(form().rect().contains(panel), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(panel.x()).arg(panel.y())
                                                               .arg(panel.width()).arg(panel.height())));
        DBGrid *grid = closing().DBGrid1;
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
        const QHeaderView *h = grid->horizontalHeader();
        int shown = 0;
        for (int c = 0; c < h->count(); ++c) {
            if (grid->isColumnHidden(c))
                continue;
            ++shown;
            const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(h->sectionViewportPosition(c) + h->sectionSize(c) <= h->viewport()->width(), qPrintable(title));
            QVERIFY2(closing().Cabecalho->titleFits(c), qPrintable(title));
            for (int r = 0; r < grid->model()->rowCount(); ++r) {
                const QString value = grid->model()->index(r, c).data().toString();
                QVERIFY2(grid->fontMetrics().horizontalAdvance(value) + 6 <= grid->columnWidth(c), qPrintable(title + value));
            }
        }
        QCOMPARE(shown, 9);
        // The totals under the list and the chart below it, inside the panel too.
        for (QWidget *w : {static_cast<QWidget *>(closing().LabelTotalAberto), static_cast<QWidget *>(closing().LabelTotalIdade[3]),
                           static_cast<QWidget *>(closing().Grafico)}) {
            QVERIFY(w->isVisible());
            QVERIFY(closing().contentsRect().contains(w->geometry()));
        }
        QCOMPARE(closing().LabelTotalAberto->text(), QStringLiteral("8.888.889,87"));

        // Widened, the chart stands beside the list.
        form().resize(1600, 900);
        QVERIFY(closing().width() > 1500);
        QVERIFY(closing().Grafico->x() > grid->geometry().right());
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
    }

    // Each convênio's open amount by the age of its orders on the reference day, in the same
    // grouped statement as the rest of its figures; the four ages add up to what is open.
    void closingListSplitsTheOpenAmountByAge()
    {
        start();
        const QString alfa = QStringLiteral("Alfa Ltda"), beta = QStringLiteral("Beta & Cia");
        const QDate dia(2026, 3, 31);
        pedido(1, alfa, dia, QStringLiteral("1.00"));                     // 0 days
        pedido(2, alfa, dia.addDays(-30), QStringLiteral("2.00"));        // 30
        pedido(3, alfa, dia.addDays(-31), QStringLiteral("4.00"));        // 31
        pedido(4, alfa, dia.addDays(-60), QStringLiteral("8.00"));        // 60
        pedido(5, alfa, dia.addDays(-61), QStringLiteral("16.00"));       // 61
        pedido(6, alfa, dia.addDays(-90), QStringLiteral("32.00"));       // 90
        pedido(7, alfa, dia.addDays(-91), QStringLiteral("64.00"));       // 91
        pedido(8, alfa, dia.addDays(-200), QStringLiteral("128.00"));
        pedido(9, alfa, dia.addDays(-5), QStringLiteral("256.00"), QDate(2026, 3, 30));   // paid: not open
        pedido(10, beta, dia.addDays(-45), QStringLiteral("0.50"));
        storePeriod(QDate(2025, 1, 1), dia);

        StatementLog::clear();
        openClosing(dia);
        QCOMPARE(StatementLog::textsContaining(QStringLiteral("IS NULL group by")).size(), 1);
        QVERIFY(StatementLog::textsContaining(QStringLiteral("IS NULL group by"))[0].contains(QStringLiteral("IDADE4")));

        CachedTable &list = program->dm->cds_qryConv;
        auto shownRow = [&](int r) {
            QStringList cells;
            for (const QString &f : {QStringLiteral("PEDIDOSABERTOS"), QStringLiteral("VALORABERTO"), QStringLiteral("ATE30DIAS"),
                                     QStringLiteral("DE31A60DIAS"), QStringLiteral("DE61A90DIAS"), QStringLiteral("MAISDE90DIAS")})
                cells << list.data(list.index(r, list.fieldIndex(f))).toString();
            return cells.join(QLatin1Char(' '));
        };
        QCOMPARE(shownRow(0), QStringLiteral("8 255,00 3,00 12,00 48,00 192,00"));
        QCOMPARE(shownRow(1), QStringLiteral("1 0,50 0,00 0,50 0,00 0,00"));
        QCOMPARE(shownRow(2), QStringLiteral("0 0,00 0,00 0,00 0,00 0,00"));
        QStringList totals;
        for (QLabel *l : closing().LabelTotalIdade)
            totals << l->text();
        QCOMPARE(totals, (QStringList{QStringLiteral("3,00"), QStringLiteral("12,50"), QStringLiteral("48,00"), QStringLiteral("192,00")}));
        QCOMPARE(closing().LabelTotalAberto->text(), QStringLiteral("255,50"));

        // Counted to another day, the same orders are of other ages.
        QTest::mouseClick(closing().BitBtn3, Qt::LeftButton);
        openClosing(dia.addDays(31));
        QCOMPARE(shownRow(0), QStringLiteral("8 255,00 0,00 1,00 6,00 248,00"));
    }

    // The chart of the last twelve months: each month's real orders, what is still open and what
    // was settled, of every convênio or of the one selected in the list.
    void closingChartShowsTheLastTwelveMonths()
    {
        start();
        const QString alfa = QStringLiteral("Alfa Ltda"), beta = QStringLiteral("Beta & Cia");
        pedido(1, alfa, QDate(2026, 3, 31), QStringLiteral("10.00"));
        pedido(2, alfa, QDate(2026, 3, 1), QStringLiteral("5.00"), QDate(2026, 3, 20));
        pedido(3, beta, QDate(2026, 3, 15), QStringLiteral("1.25"));
        pedido(4, beta, QDate(2025, 4, 1), QStringLiteral("7.00"), QDate(2025, 5, 1));   // the first month
        pedido(5, beta, QDate(2025, 3, 31), QStringLiteral("100.00"));                    // thirteen months back
        pedido(6, alfa, QDate(2026, 1, 10), QStringLiteral("50.00"), {}, QStringLiteral("Orcam"));
        pedido(7, QStringLiteral("Gama"), QDate(2026, 1, 10), QStringLiteral("3.00"));   // no such convênio
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        openClosing(QDate(2026, 3, 31));

        GraficoMeses *chart = closing().Grafico;
        QTRY_VERIFY(chart->SerieAberto);   // read once the list is on the screen
        auto values = [](QBarSet *set) {
            QStringList out;
            for (int i = 0; i < set->count(); ++i)
                if (set->at(i) != 0)
                    out << QStringLiteral("%1=%2").arg(i).arg(set->at(i));
            return out.join(QLatin1Char(' '));
        };
        // First the selected convênio's months, each convênio read by itself.
        QCOMPARE(chart->SerieAberto->count(), 12);
        QCOMPARE(program->dm->cds_qryConv.text(QStringLiteral("CONVENIO")), beta);
        QCOMPARE(values(chart->SerieAberto), QStringLiteral("11=1.25"));
        QCOMPARE(values(chart->SerieQuitado), QStringLiteral("0=7"));
        auto *axis = qobject_cast<QBarCategoryAxis *>(chart->Grafico->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(axis);
        QCOMPARE(axis->categories().first(), QStringLiteral("abr/25"));
        QCOMPARE(axis->categories().last(), QStringLiteral("mar/26"));
        QTest::keyClick(closing().DBGrid1, Qt::Key_Up);
        QCOMPARE(values(chart->SerieAberto), QStringLiteral("11=10"));
        QCOMPARE(values(chart->SerieQuitado), QStringLiteral("11=5"));
        QVERIFY(chart->Grafico->chart()->title().contains(alfa));
        QTest::keyClick(closing().DBGrid1, Qt::Key_Down);
        QTest::keyClick(closing().DBGrid1, Qt::Key_Down);
        QCOMPARE(values(chart->SerieAberto), QString());
        QCOMPARE(values(chart->SerieQuitado), QString());

        // Every convênio's months in one statement, read once, in the background: meanwhile the
        // chart says so and the list still moves.
        StatementLog::clear();
        chart->ComboAlcance->setCurrentIndex(1);
        QCOMPARE(chart->ComboAlcance->currentText(), QStringLiteral("Todos os convênios"));
        QVERIFY(!chart->SerieAberto);
        QVERIFY(chart->Grafico->chart()->title().startsWith(QStringLiteral("Somando os pedidos de todos")));
        QTest::keyClick(closing().DBGrid1, Qt::Key_Up);
        QTest::keyClick(closing().DBGrid1, Qt::Key_Down);
        QTRY_VERIFY(chart->SerieAberto);
        QCOMPARE(values(chart->SerieAberto), QStringLiteral("11=11.25"));
        QCOMPARE(values(chart->SerieQuitado), QStringLiteral("0=7 11=5"));
        QTest::keyClick(closing().DBGrid1, Qt::Key_Up);
        QCOMPARE(values(chart->SerieAberto), QStringLiteral("11=11.25"));
        QCOMPARE(StatementLog::textsContaining(QStringLiteral("extract(month")).size(), 1);
    }

    // A double click on a row opens that convênio's statement for the period; afterwards the list
    // shows what the statement left.
    void doubleClickOpensTheConveniosStatement()
    {
        start();
        program->form->Painel_Total_Debito->setReferencia(QDate(2026, 3, 31));
        pedido(1, QStringLiteral("Alfa Ltda"), QDate(2026, 3, 10), QStringLiteral("10.00"));
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        openClosing(QDate(2026, 3, 31));
        QCOMPARE(program->dm->cds_qryConv.text(QStringLiteral("CONVENIO")), QStringLiteral("Beta & Cia"));

        QString title, period;
        bool seen = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *w = modal<ExtratoWindow>();
            if (!w || w->Label1->text().isEmpty())
                return;
            poll.stop();
            seen = true;
            title = w->Label1->text();
            period = w->LabelDi->text() + QLatin1Char('-') + w->LabelDf->text();
            // Settled meanwhile (by another workstation): the list shows it on return.
            suite->exec(QStringLiteral("update PEDIDOS set DATAPAGAMENTO = '2026-03-31'"));
            w->reject();
        });
        poll.start();
        DBGrid *grid = closing().DBGrid1;
        const QRect alfa = grid->visualRect(grid->model()->index(0, program->dm->cds_qryConv.fieldIndex(QStringLiteral("CONVENIO"))));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, alfa.center());
        poll.stop();
        QVERIFY(seen);
        QCOMPARE(title, QStringLiteral("Alfa Ltda"));
        QCOMPARE(period, QStringLiteral("01/03/26-31/03/26"));
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
        QVERIFY(closing().isVisible());
        QCOMPARE(program->dm->cds_qryConv.text(QStringLiteral("CONVENIO")), QStringLiteral("Alfa Ltda"));
        QCOMPARE(closing().LabelTotalAberto->text(), QStringLiteral("0,00"));
        QCOMPARE(closing().DBText1->text(), QStringLiteral("01/03/26"));
        QVERIFY(!commandsEnabled());
    }

    void printingTheClosing()
    {
        start();
        SuiteBuilder::writeReportProject(suite->root());
        suite->exec(QStringLiteral("update CONVENIO set VALORAPAGAR = 1234.5, VENCIMENTO = 5 where CODIGOCONVENIO = 1"));
        suite->exec(QStringLiteral("update CONVENIO set VALORAPAGAR = 0.4, VENCIMENTO = 20 where CODIGOCONVENIO = 7"));
        suite->exec(QStringLiteral("insert into PEDIDOS (ESTACAO, NPEDIDO, CONVENIO, DATAPEDIDO, TIPOPEDIDO, VALORRESTANTE) "
                                   "values ('01', 1, 'Alfa Ltda', '2026-03-02', 'Pedido', 1500.25)"));
        closing().setReferencia(QDate(2026, 3, 31));
        command(QStringLiteral("Totalizar"));
        type(dialog().DBEdit16, QStringLiteral("010326"));
        type(dialog().DBEdit84, QStringLiteral("310326"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        QVERIFY(closing().isVisible());

        QTemporaryDir out;
        int runs = 0;
        bool listOpenDuringRun = false;
        QList<PlacedImage> pictures;
        closing().RM().setPreviewRunner([&](ReportModule &rm, const ReportDocument &doc) {
            ++runs;
            pictures = doc.pages.last().images;
            listOpenDuringRun = program->dm->qryConvenios.isOpen();
            QCOMPARE(doc.name, QStringLiteral("fechamento-2026-03-01-a-2026-03-31"));
            rm.save(doc, out.filePath(QStringLiteral("fechamento.pdf")), QStringLiteral("Adobe Acrobat (PDF)"));
            rm.save(doc, out.filePath(QStringLiteral("fechamento.rtf")), QStringLiteral("Rich Text Format (RTF)"));
        });

        // The list left open by an earlier step is read again: a convênio stored since then is printed.
        program->dm->qryConvenios.open();
        suite->exec(QStringLiteral("insert into CONVENIO (CODIGOCONVENIO, CONVENIO, VENCIMENTO, VALORAPAGAR) "
                                   "values (9, 'Zeta Serviços', 15, 1000.00)"));
        QTest::mouseClick(closing().btn1, Qt::LeftButton);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
        QCOMPARE(runs, 1);
        QVERIFY(listOpenDuringRun);
        QVERIFY(!program->dm->qryConvenios.isOpen());
        QVERIFY(closing().isVisible());

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-layout"), out.filePath(QStringLiteral("fechamento.pdf")), QStringLiteral("-")});
        QVERIFY2(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0, "pdftotext (poppler-utils) failed");
        const QString pdf = QString::fromUtf8(pdftotext.readAllStandardOutput());
        for (const QString &pattern :
             {QStringLiteral("Balcao 1\\s+Fechamento de Convênios no Período"), QStringLiteral("Período: 01/03/2026 a 31/03/2026"),
              QStringLiteral("Convênio\\s+Valor Total \\(R\\$\\)\\s+Dia Vencimento\\s+Pedidos\\s+Em Aberto \\(R\\$\\)\\s+"
                             "Até 30 dias \\(R\\$\\)\\s+31 a 60 dias \\(R\\$\\)\\s+61 a 90 dias \\(R\\$\\)\\s+Mais de 90 dias \\(R\\$\\)"),
              QStringLiteral("Alfa Ltda\\s+1\\.234,50\\s+5\\s+1\\s+1\\.500,25\\s+1\\.500,25\\s+0,00\\s+0,00\\s+0,00\\n"),
              QStringLiteral("Beta & Cia\\s+100,00\\s+10\\s+0\\s+0,00\\s+0,00\\s+0,00\\s+0,00\\s+0,00\\n"),
              QStringLiteral("Drogaria São José\\s+0,40\\s+20\\s+0\\s+0,00\\s"),
              QStringLiteral("Zeta Serviços\\s+1\\.000,00\\s+15\\s+0\\s+0,00\\s"),
              // What is open is what the bold line to receive sums; the stored amounts have a line of their own.
              QStringLiteral("Soma dos valores cadastrados\\s+2\\.334,90\\n"),
              QStringLiteral("Total a receber \\(em aberto\\)\\s+1\\s+1\\.500,25\\s+1\\.500,25\\s+0,00\\s+0,00\\s+0,00\\n"),
              QStringLiteral("idade do pedido em 31/03/2026"), QStringLiteral("Página 1 de 1")})
            QVERIFY2(QRegularExpression(pattern).match(pdf).hasMatch(), qPrintable(pattern + QStringLiteral("\n") + pdf));

        // The chart of the months is printed under the totals, as wide as its proportions give.
        QCOMPARE(pictures.size(), 1);
        QVERIFY(pictures[0].image.width() > 1000);
        QVERIFY(qAbs(pictures[0].box.width() / pictures[0].box.height() -
                     double(pictures[0].image.width()) / pictures[0].image.height()) < 0.01);
        QProcess pdfimages;
        pdfimages.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), out.filePath(QStringLiteral("fechamento.pdf"))});
        QVERIFY(pdfimages.waitForFinished(30000) && pdfimages.exitCode() == 0);
        QCOMPARE(QString::fromUtf8(pdfimages.readAllStandardOutput()).trimmed().split(QLatin1Char('\n')).size(), 3);

        QFile rtfFile(out.filePath(QStringLiteral("fechamento.rtf")));
        QVERIFY(rtfFile.open(QIODevice::ReadOnly));
        QString error;
        const QString rtf = RtfReader::text(rtfFile.readAll(), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const QString &line : {QStringLiteral("Período: 01/03/2026 a 31/03/2026"),
                                    QStringLiteral("Alfa Ltda\t1.234,50\t5\t1\t1.500,25\t1.500,25\t0,00\t0,00\t0,00\t"),
                                    QStringLiteral("Drogaria São José\t0,40\t20\t0\t0,00\t"),
                                    QStringLiteral("Soma dos valores cadastrados\t2.334,90\t\t\t\t\t\t\t\t"),
                                    QStringLiteral("Total a receber (em aberto)\t\t\t1\t1.500,25\t1.500,25\t0,00\t0,00\t0,00\t")})
            QVERIFY2(rtf.contains(line), qPrintable(line + QStringLiteral("\n") + rtf));

        // The project stays loaded: printing again runs the report without reading the file.
        QVERIFY(QFile::remove(suite->path(QStringLiteral("RPT/rptConvenio.rav"))));
        QTest::mouseClick(closing().btn1, Qt::LeftButton);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
        QCOMPARE(runs, 2);
    }

    void printingWithoutTheProjectFileReportsItsPath()
    {
        start();
        storePeriod(QDate(2026, 3, 1), QDate(2026, 3, 31));
        command(QStringLiteral("Totalizar"));
        QTest::mouseClick(dialog().BotTotaliza3, Qt::LeftButton);
        int runs = 0;
        closing().RM().setPreviewRunner([&](ReportModule &, const ReportDocument &) { ++runs; });
        QTest::mouseClick(closing().btn1, Qt::LeftButton);
        QCOMPARE(runs, 0);
        QCOMPARE(messages->messages.size(), 1);
        const QString path = QFileInfo(suite->path(QStringLiteral("RPT/rptConvenio.rav"))).absoluteFilePath();
        QVERIFY2(messages->messages[0].contains(path), qPrintable(messages->messages[0]));
        QVERIFY(!program->dm->qryConvenios.isOpen());
        QVERIFY(closing().isVisible());

        // Once the file is there, the next print loads it.
        SuiteBuilder::writeReportProject(suite->root());
        QTest::mouseClick(closing().btn1, Qt::LeftButton);
        QCOMPARE(runs, 1);
        QCOMPARE(messages->messages.size(), 1);
    }
};

QTEST_MAIN(TstPeriod)
#include "tst_period.moc"
