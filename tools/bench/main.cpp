// convenios-bench: measures the module on a scale suite (praxolin-setup --scale) and prints one
// figure per line: the median of repeated runs of each operation as the program does it, the floor
// (the same statements straight through Firebird's client interface, tools/bench/Floor.h) and the
// ratio of the two; then the part of the program's time its data layer spent on those statements
// (from the statement log) and its ratio to the floor: what is left is building windows, painting
// and layout, which the floor does not contain. Then the growth figures and the peak memory.
//
//   convenios-bench --suite DIR [--small DIR] [--work DIR] [--runs N] [--only WORD,...] [--statements]
//                   [--old-style DIR --upgraded DIR]
//
// DIR is left as it is: the program runs on a copy in the work folder, whose databases are put back
// from DIR before each run that changes them. --small names a second scale suite (100,000 orders)
// for the statement's growth figure; --old-style and --upgraded name the same-sized suite made like
// the old programs', before and after praxolin-setup --upgrade (the closing list and the statement
// document are measured on the upgraded one too). Runs offscreen.
#include "app/Application.h"
#include "app/FormConvenios.h"
#include "app/ProgramEntry.h"
#include "closing/ClosingPanel.h"
#include "closing/GraficoMeses.h"
#include "closing/PeriodDialog.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/ModuleSchema.h"
#include "data/RoundTrips.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "platform/SuitePaths.h"
#include "register/RegisterPanel.h"
#include "register/SearchPanels.h"
#include "reports/ReportModule.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Estorno.h"
#include "extrato/ExtratoWindow.h"
#include "tools/bench/Floor.h"
#include "tools/bench/SuiteFiles.h"
#include "tools/setup/ScaleData.h"
#include "tools/setup/SuiteBuilder.h"

#include <QAction>
#include <QBarSet>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

[[noreturn]] void fail(const QString &what) { throw std::runtime_error(what.toStdString()); }

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double msSince(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void pump() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void pressKey(QWidget *w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

// Runs `step` on every turn of the event loops (the modal statement window's included) until it
// returns true. A failure stops it and closes the modal window; rethrow() raises it afterwards.
class Poll {
public:
    explicit Poll(std::function<bool()> step) : m_step(std::move(step))
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            try {
                if (m_step())
                    m_timer.stop();
            } catch (...) {
                m_error = std::current_exception();
                m_timer.stop();
                if (QWidget *w = QApplication::activeModalWidget())
                    w->close();
            }
        });
        m_timer.start();
    }
    ~Poll() { m_timer.stop(); }
    void rethrow() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    std::function<bool()> m_step;
    QTimer m_timer;
    std::exception_ptr m_error;
};

ExtratoWindow *openStatement() { return qobject_cast<ExtratoWindow *>(QApplication::activeModalWidget()); }

bool statementLoaded(ExtratoWindow *w)
{
    return w && w->Label6->text().startsWith(QStringLiteral("Lista de pagamentos"));
}

// ---------------------------------------------------------------------------------------------

struct Figure {
    QString name;
    double program = 0;   // median milliseconds
    double floor = 0;
    double data = 0;      // of the program's time, what its data layer spent on the statements
    QString note;
    double trips = 0;     // calls that reach the database server (round trips on a network)
};

// The database side of one run: the floor, and the program's own time over the same statements.
struct Sql {
    double floor = 0;
    double data = 0;
    double trips = 0;
    Sql operator/(double n) const { return {floor / n, data / n, trips / n}; }
};

// Counts the round trips from its creation.
struct Trips {
    quint64 start = RoundTrips::count();
    double since() const { return double(RoundTrips::count() - start); }
};

// The runs of one figure.
struct Samples {
    QList<double> program, floor, data, trips;
    void add(double ms, const Sql &sql)
    {
        program << ms;
        floor << sql.floor;
        data << sql.data;
        trips << sql.trips;
    }
    void append(const Samples &more)
    {
        program << more.program;
        floor << more.floor;
        data << more.data;
        trips << more.trips;
    }
};

class Bench {
public:
    // `server`: the address of a Firebird server that serves the work copy's databases; empty for the
    // embedded engine.
    Bench(const QString &suite, const QString &work, int runs, const QString &server)
        : m_suite(suite), m_work(work), m_runs(runs), m_server(server)
    {
        // The floor replays the statements one by one, locally: a measure of the embedded engine.
        m_measureFloor = server.isEmpty();
        const ScaleData::Options defaults;
        m_scale = defaults;
        Messages::setInterceptor({[this](const QString &m) { m_messages << m; }, [](const QString &) { return true; }, {}});
    }

    // Makes the work copy of `suite` and points the program at it.
    void useSuite(const QString &suite)
    {
        m_suite = suite;
        m_floor.detach();
        SuiteFiles::copySuite(suite, m_work);
        qputenv("PRAXOLIN_HOME", QFile::encodeName(m_work));
        if (!m_server.isEmpty()) {
            // The server runs on this machine: its suite folder is the work copy.
            qputenv("PRAXOLIN_SERVER_HOME", QFile::encodeName(m_work));
            SuiteFiles::setServerAddress(m_work, m_server);
        }
        const QString central = centralDatabase();
        const QString iface = connectionStringFor(m_server, QStringLiteral("C:\\praxolin\\interfac\\praxolin.bd"));
        m_floor.route(QStringLiteral("QUBDADOS"), central);
        m_floor.route(QStringLiteral("MesesDeTodos"), central);
        m_floor.route(QStringLiteral("Interfac"), iface);
        m_floor.route(QStringLiteral("Interfac2"), iface);
        Connection c(QStringLiteral("bench-check"));
        c.setDatabase(central);
        m_scale.convenios = c.query(QStringLiteral("select count(*) from CONVENIO")).rows[0][0].toInt();
        m_orders = c.query(QStringLiteral("select count(*) from PEDIDOS")).rows[0][0].toInt();
        const QDate ultimo = c.query(QStringLiteral("select max(DATAPEDIDO) from PEDIDOS")).rows[0][0].toDate();
        if (ultimo.isValid())
            m_scale.lastDay = ultimo;
        m_movements = c.query(QStringLiteral("select count(*) from MOVCAIXA")).rows[0][0].toInt();
        c.close();
    }

    int orders() const { return m_orders; }
    int movements() const { return m_movements; }

    // Whether the program's central connection, set up as the program sets it (the module's own
    // Convenios.ini, compression on by default), has its traffic compressed; empty when embedded.
    QString wireCompression() const
    {
        if (m_server.isEmpty())
            return {};
        CentralData dm(m_server);
        const RowSet rs = dm.SQLConnection1.query(
            QStringLiteral("select RDB$GET_CONTEXT('SYSTEM', 'WIRE_COMPRESSED') from RDB$DATABASE"));
        const bool on = rs.rows.value(0).value(0).toString().trimmed().compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
        return on ? QStringLiteral("in force") : QStringLiteral("not in force");
    }

    void restore()
    {
        m_floor.detach();
        SuiteFiles::restoreDatabases(m_suite, m_work);
        if (m_withRecordTables)
            addRecordTables();
    }

    // The settlement record's tables alone, none of the module's indexes: the settlement then
    // writes its record as it does after the upgrade, and the old-style figure is about the indexes.
    void addRecordTables()
    {
        Connection c(QStringLiteral("bench-records"));
        c.setDatabase(centralDatabase());
        ModuleSchema::applySteps(c);
        c.close();
    }

    const QList<Figure> &figures() const { return m_figures; }

    // -----------------------------------------------------------------------------------------
    // Start-up to the register shown: creating the windows and modules, attaching, the register's
    // convênios and lists, the stored logon.
    void startup()
    {
        Samples runs;
        for (int r = 0; r <= m_runs; ++r) {
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            const Trips trips;
            auto p = start({});
            const double ms = msSince(t);
            const double calls = trips.since();
            const auto statements = StatementLog::entries();
            p.reset();
            Sql sql = floorOf(statements, true);
            sql.trips = calls;
            m_floor.detach();
            if (r > 0)   // the first run warms the process up
                runs.add(ms, sql);
        }
        add(QStringLiteral("startup, to the register shown"), runs, QStringLiteral("data: statements only, not attaching"));
    }

    // The statement of the statement convênio (its open orders of the stored period), opened from
    // the period dialog's OK; then every move to the next order, the detail panes reloaded.
    void statement(const QString &label, bool moves = true)
    {
        const ScaleData::Set set = ScaleData::statementSet(m_scale);
        auto p = start({});
        Samples open, move;
        QList<double> input;
        for (int r = 0; r <= m_runs; ++r) {
            if (!p->dm->Convenios.locate(set.convenio))
                fail(QStringLiteral("convênio %1 not in the suite").arg(set.convenio));
            p->form->BitBtn2->click();
            setPeriod(*p, set.first, set.last);
            QList<StatementLog::Entry> openStatements, moveStatements;
            double openMs = -1, moveMs = -1, moveInput = 0, openTrips = 0, moveTrips = 0;
            QElapsedTimer t;
            Trips trips;
            Poll poll([&] {
                ExtratoWindow *w = openStatement();
                if (!statementLoaded(w))
                    return false;
                pump();
                openMs = msSince(t);
                openTrips = trips.since();
                openStatements = StatementLog::entries();
                const int rows = p->dm->PEDIDOS.recordCount();
                if (rows != set.openOrders)
                    fail(QStringLiteral("the statement lists %1 orders, not %2").arg(rows).arg(set.openOrders));
                StatementLog::clear();
                QElapsedTimer m;
                m.start();
                const Trips moving;
                double input = 0;
                for (int i = 1; i < rows; ++i) {
                    QElapsedTimer x;
                    x.start();
                    pressKey(w->DBGrid1, Qt::Key_Down);
                    input += msSince(x);
                    pump();
                }
                moveInput = input / (rows - 1);
                moveMs = msSince(m) / (rows - 1);
                moveTrips = moving.since();
                moveStatements = StatementLog::entries();
                if (p->dm->PEDIDOS.recNo() != rows - 1)
                    fail(QStringLiteral("the moves ended on row %1").arg(p->dm->PEDIDOS.recNo()));
                w->close();
                return true;
            });
            StatementLog::clear();
            t.start();
            trips = Trips();
            p->form->PainelPeriodo3->BotTotaliza3->click();
            poll.rethrow();
            if (openMs < 0)
                fail(QStringLiteral("the statement did not open: ") + m_messages.join(QStringLiteral(" | ")));
            Sql openSql = floorOf(openStatements);
            openSql.trips = openTrips;
            Sql moveSql = floorOf(moveStatements);
            moveSql.trips = moveTrips;
            moveSql = moveSql / (set.openOrders - 1);
            if (r > 0) {
                open.add(openMs, openSql);
                move.add(moveMs, moveSql);
                input << moveInput;
            }
        }
        p.reset();
        m_floor.detach();
        add(QStringLiteral("statement open, %1 open orders%2").arg(set.openOrders).arg(label), open);
        if (moves)
            add(QStringLiteral("statement move to the next order"), move,
                QStringLiteral("key and detail panes %1 ms, the rest painting").arg(median(input), 0, 'f', 2));
    }

    // The reversal of a Quitar with cash posting (as the list of settlements runs it, without its
    // windows): from the call to the commit. No floor: its statements need the settlement before them.
    void reversal(int size, int runs)
    {
        const ScaleData::Set set = settlementSet(size);
        Samples samples;
        for (int r = 0; r < runs; ++r) {
            restore();
            CentralData dm(m_server);
            ContextoQuitacao c;
            c.convenioAtual = set.convenio;
            c.caixaAtual = QStringLiteral("1");
            c.sessaoCaixa = QStringLiteral("S1");
            c.formaPagCaixa = QStringLiteral("Dinheiro");
            c.usuario = QStringLiteral("ADMIN");
            c.estacao = QStringLiteral("01");
            const int codigo = QuitacaoConvenio::QuitaConvenio(dm, c, set.first, set.last, QDate::currentDate()).codigo;
            if (codigo == 0)
                fail(QStringLiteral("reversal: the settlement kept no record"));
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            const Trips trips;
            Estorno::estorna(dm, codigo, c, QStringLiteral("benchmark"));
            const double ms = msSince(t);
            Sql sql;
            sql.trips = trips.since();
            auto entries = StatementLog::entries();
            for (const StatementLog::Entry &e : entries)
                sql.data += std::max(0.0, e.ms);
            if (m_listStatements && r == 0) {
                std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.ms > b.ms; });
                for (const StatementLog::Entry &e : entries.mid(0, 6))
                    out() << QStringLiteral("  %1 ms  %2\n").arg(e.ms, 9, 'f', 2).arg(e.sql.simplified().left(160));
            }
            samples.add(ms, sql);
        }
        addPerOrder(QStringLiteral("reversal of Quitar with cash, %1 orders").arg(size), samples, size);
    }

    // Quitar of a settlement convênio's orders (settle() below).
    void settlement(int size, int runs)
    {
        addPerOrder(QStringLiteral("settlement Quitar, %1 orders").arg(size), settle(settlementSet(size), runs), size);
    }

    // Quitar of 1,000 orders on a suite the old programs made (no character set, keys only), before
    // and after --upgrade, beside the same settlement on the set-up tool's suite of the same size.
    // Before the upgrade one run settles only the orders of the period's first day (each of them
    // scans the large tables); after it, the runs alternate with those on the set-up tool's suite,
    // so that both meet the same load of the machine.
    void oldStyle(const QString &setupSuite, const QString &oldSuite, const QString &upgradedSuite)
    {
        const int size = 1000;
        ScaleData::Set firstDay = settlementSet(size);
        firstDay.last = firstDay.first;
        useSuite(oldSuite);
        firstDay.openOrders = ordersOf(firstDay);
        m_withRecordTables = true;
        const Samples before = settle(firstDay, 1);
        m_withRecordTables = false;
        addPerOrder(QStringLiteral("settlement Quitar, %1 of %2 orders, old-style before --upgrade (record tables added)").arg(firstDay.openOrders).arg(size),
                    before, firstDay.openOrders,
                    QStringLiteral(", ~%1 s for %2").arg(median(before.program) / firstDay.openOrders * size / 1000, 0, 'f', 0).arg(size));

        Samples after, own;
        for (int r = 0; r < m_runs; ++r) {
            useSuite(upgradedSuite);
            after.append(settle(settlementSet(size), 1));
            useSuite(setupSuite);
            own.append(settle(settlementSet(size), 1));
        }
        addPerOrder(QStringLiteral("settlement Quitar, %1 orders, old-style after --upgrade").arg(size), after, size);
        addPerOrder(QStringLiteral("settlement Quitar, %1 orders, set-up tool's suite, %2 orders").arg(size).arg(m_orders), own, size);
        const QString name = QStringLiteral("old-style after --upgrade / set-up tool's suite");
        const double ratio = median(after.program) / median(own.program);
        m_figures << Figure{name, ratio, 0, 0, QStringLiteral("target <= 1.25")};
        out() << QStringLiteral("%1 %2  target <= 1.25 (floors %3)\n")
                     .arg(name.leftJustified(58))
                     .arg(ratio, 10, 'f', 2)
                     .arg(median(after.floor) / median(own.floor), 0, 'f', 2);
        out().flush();
    }

    // The statement's "Quitar todos os pedidos do período especificado" on a settlement convênio's
    // period, with the cash register's arguments.
    void periodSettlement(int size)
    {
        const ScaleData::Set set = settlementSet(size);
        Samples samples;
        for (int r = 0; r < m_runs; ++r) {
            restore();
            auto p = start({set.convenio, QStringLiteral("1"), QStringLiteral("S1"), QStringLiteral("Dinheiro")});
            p->form->BitBtn2->click();
            setPeriod(*p, set.first, set.last);
            double ms = -1, calls = 0;
            QList<StatementLog::Entry> statements;
            Poll poll([&] {
                ExtratoWindow *w = openStatement();
                if (!statementLoaded(w))
                    return false;
                if (p->dm->PEDIDOS.recordCount() != size)
                    fail(QStringLiteral("the statement lists %1 orders").arg(p->dm->PEDIDOS.recordCount()));
                pump();
                m_messages.clear();
                StatementLog::clear();
                QElapsedTimer t;
                t.start();
                const Trips trips;
                w->QuitaroPERODOselecionado1->trigger();
                pump();
                ms = msSince(t);
                calls = trips.since();
                statements = StatementLog::entries();
                if (!settled() || !p->dm->PEDIDOS.isEmpty())
                    fail(QStringLiteral("period settlement: ") + m_messages.join(QStringLiteral(" | ")));
                w->close();
                return true;
            });
            p->form->PainelPeriodo3->BotTotaliza3->click();
            poll.rethrow();
            if (ms < 0)
                fail(QStringLiteral("the statement did not open: ") + m_messages.join(QStringLiteral(" | ")));
            p.reset();
            checkSettled(set, false);
            if (m_measureFloor)
                restore();
            Sql sql = floorOf(statements);
            sql.trips = calls;
            samples.add(ms, sql);
            m_floor.detach();
        }
        addPerOrder(QStringLiteral("settlement of the statement's period, %1 orders").arg(size), samples, size);
    }

    // A changed convênio posted from the register: the write-back and the re-read of all convênios.
    void posting()
    {
        auto p = start({});
        RegisterPanel *reg = p->form->cadastro;
        Samples samples;
        for (int r = 0; r <= m_runs; ++r) {
            p->form->DBNavigator6->click(DBNavigator::Edit);
            const QString texto = QStringLiteral("Observação alterada %1").arg(r);
            reg->DBEditObservacao->setPlainText(texto);
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            const Trips trips;
            p->form->DBNavigator6->click(DBNavigator::Post);
            pump();
            const double ms = msSince(t);
            const double calls = trips.since();
            if (p->dm->Convenios.text(QStringLiteral("OBSERVACAO")) != texto ||
                p->dm->Convenios.recordCount() != m_scale.convenios)
                fail(QStringLiteral("the change was not posted: ") + m_messages.join(QStringLiteral(" | ")));
            Sql sql = floorOf(StatementLog::entries());
            sql.trips = calls;
            if (r > 0)
                samples.add(ms, sql);
        }
        p.reset();
        m_floor.detach();
        add(QStringLiteral("posting a changed convênio (%1 re-read)").arg(m_scale.convenios), samples);
    }

    // Totalizar: the closing list of all convênios from the period dialog's OK with its figures and
    // their ages, then the chart that follows it (the selected convênio's months), then every
    // convênio's months, then the report to PDF.
    // `label` follows the figures' names (the suite, when it is not the main one).
    void closing(const QString &label = {})
    {
        auto p = start({});
        ClosingPanel *panel = p->form->Painel_Total_Debito;
        // The ages and the twelve months are counted to the suite's last order day: a year of
        // orders, a third of all on the scale suite.
        panel->setReferencia(m_scale.lastDay);
        const QString pdf = m_work + QStringLiteral("/fechamento.pdf");
        panel->RM().setPreviewRunner([&](ReportModule &m, const ReportDocument &doc) { m.save(doc, pdf); });
        Samples list, chart, chartAll, chartAnswer, report;
        for (int r = 0; r <= m_runs; ++r) {
            QFile::remove(pdf);
            p->form->BotTotalizaDeb->click();
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            Trips trips;
            p->form->PainelPeriodo3->BotTotaliza3->click();
            // The list as the user sees it first: read and painted (the chart follows on the next
            // turn of the event loop).
            p->form->repaint();
            const double listMs = msSince(t);
            const double listTrips = trips.since();
            if (!panel->isVisible() || p->dm->cds_qryConv.recordCount() != m_scale.convenios)
                fail(QStringLiteral("closing list: ") + m_messages.join(QStringLiteral(" | ")));
            Sql listSql = floorOf(StatementLog::entries());
            listSql.trips = listTrips;

            // Then the chart that follows it: the selected convênio's twelve months, read and drawn;
            // then every convênio's, as "Todos os convênios" reads them.
            auto semPedidos = [panel] {
                return !panel->Grafico->SerieAberto || panel->Grafico->SerieAberto->count() != 12 ||
                       panel->Grafico->SerieAberto->sum() + panel->Grafico->SerieQuitado->sum() <= 0;
            };
            StatementLog::clear();
            t.start();
            trips = Trips();
            pump();
            panel->Grafico->repaint();
            const double chartMs = msSince(t);
            Sql chartSql = floorOf(StatementLog::entries());
            chartSql.trips = trips.since();
            StatementLog::clear();
            t.start();
            trips = Trips();
            // Read in the background: the window answers at once, the chart follows when read.
            panel->Grafico->ComboAlcance->setCurrentIndex(1);
            const double answerMs = msSince(t);
            while (!panel->Grafico->SerieAberto) {
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
                if (t.elapsed() > 600000)
                    fail(QStringLiteral("closing chart of all convênios: never read"));
            }
            panel->Grafico->repaint();
            const double allMs = msSince(t);
            Sql allSql = floorOf(StatementLog::entries());
            allSql.trips = trips.since();
            if (semPedidos())
                fail(QStringLiteral("closing chart: no orders in the last twelve months"));
            panel->Grafico->ComboAlcance->setCurrentIndex(0);

            StatementLog::clear();
            t.start();
            trips = Trips();
            panel->btn1->click();
            pump();
            const double reportMs = msSince(t);
            const double reportTrips = trips.since();
            if (QFileInfo(pdf).size() == 0)
                fail(QStringLiteral("no PDF: ") + m_messages.join(QStringLiteral(" | ")));
            Sql reportSql = floorOf(StatementLog::entries());
            reportSql.trips = reportTrips;
            panel->BitBtn3->click();
            if (r > 0) {
                list.add(listMs, listSql);
                chart.add(chartMs, chartSql);
                chartAll.add(allMs, allSql);
                chartAnswer.add(answerMs, Sql{});
                report.add(reportMs, reportSql);
            }
        }
        p.reset();
        m_floor.detach();
        add(QStringLiteral("closing list with ages, %1 convênios%2").arg(m_scale.convenios).arg(label), list,
            QStringLiteral("%1 orders stored").arg(m_orders));
        add(QStringLiteral("closing chart of 12 months, the selected convênio%1").arg(label), chart,
            QStringLiteral("after the list: its statement and drawing"));
        add(QStringLiteral("closing chart of 12 months, all %1 convênios%2").arg(m_scale.convenios).arg(label), chartAll,
            QStringLiteral("\"Todos os convênios\": a year of orders read, in the background"));
        add(QStringLiteral("closing window answers after choosing all convênios%1").arg(label), chartAnswer,
            QStringLiteral("the chart says it is summing; the list moves meanwhile"));
        add(QStringLiteral("closing report to PDF, %1 convênios%2").arg(m_scale.convenios).arg(label), report);
    }

    // "Imprimir" of the statement convênio's statement (its 500 open orders with their items,
    // formulas and components): from the click to the PDF written by the preview's Save.
    void statementDocument(const QString &label = {})
    {
        const ScaleData::Set set = ScaleData::statementSet(m_scale);
        auto p = start({});
        const QString pdf = m_work + QStringLiteral("/extrato.pdf");
        Samples samples;
        for (int r = 0; r <= m_runs; ++r) {
            if (!p->dm->Convenios.locate(set.convenio))
                fail(QStringLiteral("convênio %1 not in the suite").arg(set.convenio));
            p->form->BitBtn2->click();
            setPeriod(*p, set.first, set.last);
            double ms = -1, calls = 0;
            int pages = 0;
            QList<StatementLog::Entry> statements;
            Poll poll([&] {
                ExtratoWindow *w = openStatement();
                if (!statementLoaded(w))
                    return false;
                pump();
                w->RM().setPreviewRunner([&](ReportModule &m, const ReportDocument &doc) {
                    pages = int(doc.pages.size());
                    m.save(doc, pdf);
                });
                QFile::remove(pdf);
                StatementLog::clear();
                QElapsedTimer t;
                t.start();
                const Trips trips;
                w->BotImprimir->click();
                ms = msSince(t);
                calls = trips.since();
                statements = StatementLog::entries();
                w->close();
                return true;
            });
            p->form->PainelPeriodo3->BotTotaliza3->click();
            poll.rethrow();
            if (ms < 0 || QFileInfo(pdf).size() == 0)
                fail(QStringLiteral("no statement PDF: ") + m_messages.join(QStringLiteral(" | ")));
            if (r > 0) {
                Sql sql = floorOf(statements);
                sql.trips = calls;
                samples.add(ms, sql);
            }
            if (r == m_runs)
                add(QStringLiteral("statement document to PDF, %1 orders%2").arg(set.openOrders).arg(label), samples,
                    QStringLiteral("%1 pages, %2 KB").arg(pages).arg(QFileInfo(pdf).size() / 1024));
        }
        p.reset();
        m_floor.detach();
    }

    // The search list's filter box: each keystroke of typing a name's part and deleting it again,
    // the list narrowed (rows hidden and shown) and painted.
    void searchFilter()
    {
        auto p = start({});
        ConvenioSearch *search = p->form->pesquisa;
        Samples samples;
        const QString typed = QStringLiteral("sao jo");
        for (int r = 0; r <= m_runs; ++r) {
            p->form->BotPesqConvenio->click();
            search->PainelPesqNomeConv->EditPesqConv->setText(QStringLiteral("zz"));
            search->BotPesqConviClick();
            pump();
            QLineEdit *filtro = search->PainelPesqConv->EditFiltroConv;
            if (!search->PainelPesqConv->isVisible())
                fail(QStringLiteral("the search list did not open"));
            QList<double> keys;
            auto key = [&](int code, const QString &text) {
                QElapsedTimer t;
                t.start();
                QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
                QCoreApplication::sendEvent(filtro, &press);
                pump();
                keys << msSince(t);
            };
            for (QChar c : typed)
                key(c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_A + (c.unicode() - 'a'), QString(c));
            if (filtro->text() != typed)
                fail(QStringLiteral("the filter box holds \"%1\"").arg(filtro->text()));
            for (int i = 0; i < typed.size(); ++i)
                key(Qt::Key_Backspace, QString());
            pressKey(search->PainelPesqConv->GradePesqConvenio, Qt::Key_Escape);
            pump();
            if (r > 0)
                samples.add(median(keys), Sql{});
        }
        p.reset();
        add(QStringLiteral("search filter keystroke, %1 convênios").arg(m_scale.convenios), samples,
            QStringLiteral("median keystroke of typing \"%1\" and deleting it").arg(typed));
    }

    // The peak memory of the program alone: the heaviest operations once more, without the floor
    // and with the statement log at the program's own size.
    void programMemory(int logCapacity)
    {
        const double whole = SuiteFiles::peakMegabytes();
        const int runs = m_runs;
        m_runs = 1;
        m_measureFloor = false;
        m_quiet = true;
        m_floor.detach();
        StatementLog::setCapacity(logCapacity);
        StatementLog::clear();
        SuiteFiles::resetPeak();
        startup();
        statement({});
        posting();
        closing();
        settlement(20000, 1);
        const double program = SuiteFiles::peakMegabytes();
        m_runs = runs;
        m_measureFloor = m_server.isEmpty();
        m_quiet = false;
        for (const auto &[name, value] : {std::pair{QStringLiteral("peak memory of the program, MB"), program},
                                          std::pair{QStringLiteral("peak memory of this benchmark run, MB"), whole}}) {
            m_figures << Figure{name, value, 0, 0, {}};
            out() << QStringLiteral("%1 %2\n").arg(name.leftJustified(58)).arg(value, 10, 'f', 1);
        }
        out().flush();
    }

private:
    // Quitar on a settlement convênio with the cash register's arguments: from the period dialog's
    // OK (open-order check, orders marked paid, instalments, one cash movement per order) to the
    // success message.
    Samples settle(const ScaleData::Set &set, int runs)
    {
        Samples samples;
        for (int r = 0; r < runs; ++r) {
            restore();
            auto p = start({set.convenio, QStringLiteral("1"), QStringLiteral("S1"), QStringLiteral("Dinheiro")});
            if (p->dm->Convenios.text(QStringLiteral("CONVENIO")) != set.convenio)
                fail(QStringLiteral("convênio %1 not current").arg(set.convenio));
            p->form->BotQuitaConvenio->click();
            setPeriod(*p, set.first, set.last);
            m_messages.clear();
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            const Trips trips;
            p->form->PainelPeriodo3->BotTotaliza3->click();
            pump();
            const double ms = msSince(t);
            const double calls = trips.since();
            if (!settled())
                fail(QStringLiteral("settlement: ") + m_messages.join(QStringLiteral(" | ")));
            const auto statements = StatementLog::entries();
            p.reset();
            checkSettled(set, true);
            if (m_measureFloor)
                restore();
            Sql sql = floorOf(statements);
            sql.trips = calls;
            samples.add(ms, sql);
            m_floor.detach();
        }
        return samples;
    }

    std::unique_ptr<Program> start(const QStringList &args)
    {
        m_messages.clear();
        auto p = std::make_unique<Program>();
        if (!p->create(args))
            fail(QStringLiteral("PRAXOLIN.INI not found in ") + m_work);
        bool ready = false;
        const auto c = QObject::connect(p->form.get(), &FormConvenios::registerReady, [&ready] { ready = true; });
        p->show();
        pump();
        QObject::disconnect(c);
        if (!ready)
            fail(QStringLiteral("the register was not shown: ") + m_messages.join(QStringLiteral(" | ")));
        return p;
    }

    // Fills the period dialog (open in its mode) with the period.
    void setPeriod(Program &program, const QDate &first, const QDate &last)
    {
        CachedTable &periodo = program.dm2->Periodo;
        periodo.setValue(QStringLiteral("DATAINICIAL"), first);
        periodo.setValue(QStringLiteral("DATAFINAL"), last);
    }

    ScaleData::Set settlementSet(int size) const
    {
        for (const ScaleData::Set &s : ScaleData::settlementSets(m_scale))
            if (s.openOrders == size)
                return s;
        fail(QStringLiteral("no settlement convênio of %1 orders").arg(size));
    }

    // Every order of the set paid, and (for Quitar) one cash movement per order.
    void checkSettled(const ScaleData::Set &set, bool quitar)
    {
        Connection c(QStringLiteral("bench-check"));
        c.setDatabase(centralDatabase());
        const QString convenio = set.convenio;
        const int open = c.query(QStringLiteral("select count(*) from PEDIDOS where CONVENIO = ? and DATAPAGAMENTO is null "
                                                "and DATAPEDIDO between ? and ?"),
                                 {convenio, set.first, set.last})
                             .rows[0][0]
                             .toInt();
        const int posted =
            c.query(QStringLiteral("select count(*) from MOVCAIXA where HISTORICO = ? and CAIXA = '1' and SESSAO = 'S1'"),
                    {QStringLiteral("Convênio ") + convenio.left(8)})
                .rows[0][0]
                .toInt();
        c.close();
        if (open != 0 || posted != set.openOrders)
            fail(QStringLiteral("%1: %2 orders left open, %3 movements posted%4")
                     .arg(convenio)
                     .arg(open)
                     .arg(posted)
                     .arg(quitar ? QString() : QStringLiteral(" (statement)")));
    }

    Sql floorOf(const QList<StatementLog::Entry> &statements, bool attach = false)
    {
        Sql sql;
        for (const StatementLog::Entry &e : statements)
            sql.data += std::max(0.0, e.ms);
        if (!m_measureFloor)
            return sql;
        QList<double> each;
        sql.floor = m_floor.run(statements, attach, &each);
        if (m_listStatements)
            for (int i = 0; i < statements.size() && i < 40; ++i)
                out() << QStringLiteral("#   %1 %2  %3\n")
                             .arg(statements[i].ms, 8, 'f', 3)
                             .arg(each[i], 8, 'f', 3)
                             .arg(statements[i].sql.left(110));
        return sql;
    }

    // One line: the program's median, the floor's, their ratio; then the program's data-layer
    // time over the same statements and its ratio to the floor, so that what is left of the
    // program's time (windows, painting, layout) shows.
    void add(const QString &name, const Samples &samples, const QString &note = {})
    {
        if (m_quiet)
            return;
        Figure f{name, median(samples.program), median(samples.floor), median(samples.data), note,
                 median(samples.trips)};
        m_figures << f;
        auto ratio = [&f](double ms) { return f.floor > 0 ? ms / f.floor : 0; };
        out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7  %8\n")
                     .arg(name.leftJustified(58))
                     .arg(f.program, 10, 'f', 2)
                     .arg(f.floor, 10, 'f', 2)
                     .arg(ratio(f.program), 6, 'f', 2)
                     .arg(f.data, 10, 'f', 2)
                     .arg(ratio(f.data), 6, 'f', 2)
                     .arg(f.trips, 7, 'f', f.trips < 100 && f.trips != int(f.trips) ? 1 : 0)
                     .arg(note);
        out().flush();
    }

    void addPerOrder(const QString &name, const Samples &samples, int orders, const QString &more = {})
    {
        const double pm = median(samples.program), fm = median(samples.floor);
        add(name, samples,
            QStringLiteral("%1 ms/order (floor %2)%3").arg(pm / orders, 0, 'f', 3).arg(fm / orders, 0, 'f', 3).arg(more));
    }

    // The settlement set's orders in its (possibly shortened) period.
    int ordersOf(const ScaleData::Set &set)
    {
        Connection c(QStringLiteral("bench-check"));
        c.setDatabase(connectionStringFor(QString(), QStringLiteral("C:\\praxolin\\dados\\praxolin.bd")));
        return c.query(QStringLiteral("select count(*) from PEDIDOS where CONVENIO = ? and DATAPEDIDO between ? and ?"),
                       {set.convenio, set.first, set.last})
            .rows[0][0]
            .toInt();
    }

    QString centralDatabase() const
    {
        return connectionStringFor(m_server, QStringLiteral("C:\\praxolin\\dados\\praxolin.bd"));
    }

    QString m_suite;
    QString m_work;
    int m_runs;
    QString m_server;
    bool m_measureFloor = true;   // off for the memory pass
    bool m_quiet = false;
    bool m_withRecordTables = false;   // the old-style suite before --upgrade
public:
    bool m_listStatements = false;   // print each statement's program and floor times
private:
    ScaleData::Options m_scale;
    int m_orders = 0;
    int m_movements = 0;
    Floor m_floor;
    QStringList m_messages;
    // The settlement's one message: its success, with the line of what was settled.
    bool settled() const
    {
        return m_messages.size() == 1 && m_messages[0].startsWith(QStringLiteral("Procedimento concluído com sucesso.\n"));
    }
    QList<Figure> m_figures;
};

} // namespace

// The offscreen platform's notes on what it cannot do (raise a window, size hints) are not figures.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietOffscreen);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures the convênio module on a scale suite."));
    parser.addHelpOption();
    const QCommandLineOption suiteOption(QStringLiteral("suite"), QStringLiteral("The scale suite (1,000,000 orders)."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption smallOption(QStringLiteral("small"),
                                         QStringLiteral("A scale suite of 100,000 orders, for the statement's growth."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption workOption(QStringLiteral("work"), QStringLiteral("Folder of the work copy."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs per figure (median)."),
                                        QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption onlyOption(
        QStringLiteral("only"),
        QStringLiteral("Comma-separated figures to run: startup, statement, moves, quitar, period, posting, closing, "
                       "document, filter, growth, memory, upgrade."),
        QStringLiteral("LIST"));
    const QCommandLineOption serverOption(
        QStringLiteral("server"),
        QStringLiteral("Run on a Firebird server on this machine (host/port) that serves the work folder."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption statementsOption(
        QStringLiteral("statements"), QStringLiteral("Also print each statement's program and floor milliseconds."));
    const QCommandLineOption oldStyleOption(
        QStringLiteral("old-style"),
        QStringLiteral("A suite made like the old programs' (praxolin-setup --scale --old-style) with as many orders as "
                       "--small, for the settlement before --upgrade."),
        QStringLiteral("DIR"));
    const QCommandLineOption upgradedOption(QStringLiteral("upgraded"),
                                            QStringLiteral("The same old-style suite after praxolin-setup --upgrade."),
                                            QStringLiteral("DIR"));
    parser.addOptions({suiteOption, smallOption, workOption, runsOption, onlyOption, serverOption, statementsOption, oldStyleOption,
                       upgradedOption});
    parser.process(app);
    if (!parser.isSet(suiteOption)) {
        fprintf(stderr, "convenios-bench: --suite DIR is required\n");
        return 1;
    }
    const QString suite = QDir(parser.value(suiteOption)).absolutePath();
    const QString work = parser.isSet(workOption) ? QDir(parser.value(workOption)).absolutePath()
                                                  : QDir(suite + QStringLiteral("/../bench-work")).absolutePath();
    const int runs = std::max(1, parser.value(runsOption).toInt());
    const QStringList only = parser.value(onlyOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
    auto wanted = [&](const char *name) { return only.isEmpty() || only.contains(QLatin1String(name)); };

    // The floors replay every statement of an operation (six an order for a settlement): the log
    // keeps them all while measuring, and the program's own size for the memory pass.
    const int programLog = StatementLog::capacity();
    StatementLog::setCapacity(std::max(programLog, 1000000));
    try {
        const QString server = parser.value(serverOption);
        Bench bench(suite, work, runs, server);
        bench.m_listStatements = parser.isSet(statementsOption);
        bench.useSuite(suite);
        out() << "# convenios-bench: suite " << suite << " (" << bench.orders() << " orders, " << bench.movements()
              << " cash movements), median of " << runs << " runs, "
              << (server.isEmpty() ? QStringLiteral("embedded engine") : QStringLiteral("server ") + server)
              << ", offscreen\n";
        if (!server.isEmpty())
            out() << "# wire compression " << bench.wireCompression() << "\n";
        out() << QStringLiteral("%1 %2 %3 %4 %5 %6 %7  %8\n")
                     .arg(QStringLiteral("# figure").leftJustified(58))
                     .arg(QStringLiteral("program ms"), 10)
                     .arg(QStringLiteral("floor ms"), 10)
                     .arg(QStringLiteral("ratio"), 6)
                     .arg(QStringLiteral("data ms"), 10)
                     .arg(QStringLiteral("ratio"), 6)
                     .arg(QStringLiteral("trips"), 7)
                     .arg(QStringLiteral("note"));
        out().flush();
        if (wanted("startup"))
            bench.startup();
        if (wanted("statement") || wanted("moves"))
            bench.statement(QStringLiteral(", %1 orders stored").arg(bench.orders()));
        if (wanted("quitar")) {
            bench.settlement(1000, runs);
            bench.settlement(5000, runs);
        }
        if (wanted("period"))
            bench.periodSettlement(1000);
        if (wanted("reversal")) {
            bench.reversal(1000, runs);
            bench.reversal(5000, runs);
        }
        if (wanted("posting"))
            bench.posting();
        if (wanted("closing"))
            bench.closing();
        if (wanted("document"))
            bench.statementDocument();
        if (wanted("filter"))
            bench.searchFilter();
        if (wanted("growth"))
            bench.settlement(20000, std::min(runs, 3));
        if (wanted("memory"))
            bench.programMemory(programLog);
        if (wanted("growth") && parser.isSet(smallOption)) {
            // The same statement with a tenth of the orders stored.
            bench.useSuite(QDir(parser.value(smallOption)).absolutePath());
            bench.statement(QStringLiteral(", %1 orders stored").arg(bench.orders()), false);
        }
        if (parser.isSet(upgradedOption) && (wanted("closing") || wanted("document"))) {
            // The live figures and the document on the old programs' suite, through what --upgrade added.
            bench.useSuite(QDir(parser.value(upgradedOption)).absolutePath());
            const QString label = QStringLiteral(", old-style upgraded");
            if (wanted("closing"))
                bench.closing(label);
            if (wanted("document"))
                bench.statementDocument(label);
        }
        if (wanted("upgrade") && parser.isSet(smallOption) && parser.isSet(oldStyleOption) && parser.isSet(upgradedOption))
            bench.oldStyle(QDir(parser.value(smallOption)).absolutePath(), QDir(parser.value(oldStyleOption)).absolutePath(),
                           QDir(parser.value(upgradedOption)).absolutePath());
    } catch (const std::exception &e) {
        fprintf(stderr, "convenios-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
