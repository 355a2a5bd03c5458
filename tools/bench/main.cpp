// convenios-bench: measures the module on a scale suite (praxolin-setup --scale) and prints one
// figure per line: the median of repeated runs of each operation as the program does it, the floor
// (the same statements straight through Firebird's client interface, tools/bench/Floor.h) and the
// ratio of the two; then the part of the program's time its data layer spent on those statements
// (from the statement log) and its ratio to the floor: what is left is building windows, painting
// and layout, which the floor does not contain. Then the growth figures and the peak memory.
//
//   convenios-bench --suite DIR [--small DIR] [--work DIR] [--runs N] [--only WORD,...] [--statements]
//
// DIR is left as it is: the program runs on a copy in the work folder, whose databases are put back
// from DIR before each run that changes them. --small names a second scale suite (100,000 orders)
// for the statement's growth figure. Runs offscreen.
#include "app/Application.h"
#include "app/FormConvenios.h"
#include "app/Globais.h"
#include "app/ProgramEntry.h"
#include "closing/ClosingPanel.h"
#include "closing/PeriodDialog.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/StatementLog.h"
#include "platform/Messages.h"
#include "platform/SuitePaths.h"
#include "register/RegisterPanel.h"
#include "register/SearchPanels.h"
#include "reports/ReportModule.h"
#include "statement/StatementWindow.h"
#include "tools/bench/Floor.h"
#include "tools/bench/SuiteFiles.h"
#include "tools/setup/ScaleData.h"
#include "tools/setup/SuiteBuilder.h"

#include <QAction>
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

StatementWindow *openStatement() { return qobject_cast<StatementWindow *>(QApplication::activeModalWidget()); }

bool statementLoaded(StatementWindow *w)
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
};

// The database side of one run: the floor, and the program's own time over the same statements.
struct Sql {
    double floor = 0;
    double data = 0;
    Sql operator/(double n) const { return {floor / n, data / n}; }
};

// The runs of one figure.
struct Samples {
    QList<double> program, floor, data;
    void add(double ms, const Sql &sql)
    {
        program << ms;
        floor << sql.floor;
        data << sql.data;
    }
};

class Bench {
public:
    Bench(const QString &suite, const QString &work, int runs) : m_suite(suite), m_work(work), m_runs(runs)
    {
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
        const QString central = connectionStringFor(QString(), QStringLiteral("C:\\praxolin\\dados\\praxolin.bd"));
        const QString iface = connectionStringFor(QString(), QStringLiteral("C:\\praxolin\\interfac\\praxolin.bd"));
        m_floor.route(QStringLiteral("QUBDADOS"), central);
        m_floor.route(QStringLiteral("Interfac"), iface);
        m_floor.route(QStringLiteral("Interfac2"), iface);
        Connection c(QStringLiteral("bench-check"));
        c.setDatabase(central);
        m_scale.convenios = c.query(QStringLiteral("select count(*) from CONVENIO")).rows[0][0].toInt();
        m_orders = c.query(QStringLiteral("select count(*) from PEDIDOS")).rows[0][0].toInt();
        m_movements = c.query(QStringLiteral("select count(*) from MOVCAIXA")).rows[0][0].toInt();
        c.close();
    }

    int orders() const { return m_orders; }
    int movements() const { return m_movements; }

    void restore()
    {
        m_floor.detach();
        SuiteFiles::restoreDatabases(m_suite, m_work);
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
            auto p = start({});
            const double ms = msSince(t);
            const auto statements = StatementLog::entries();
            p.reset();
            const Sql sql = floorOf(statements, true);
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
            setPeriod(set.first, set.last);
            QList<StatementLog::Entry> openStatements, moveStatements;
            double openMs = -1, moveMs = -1, moveInput = 0;
            QElapsedTimer t;
            Poll poll([&] {
                StatementWindow *w = openStatement();
                if (!statementLoaded(w))
                    return false;
                pump();
                openMs = msSince(t);
                openStatements = StatementLog::entries();
                const int rows = p->dm->PEDIDOS.recordCount();
                if (rows != set.openOrders)
                    fail(QStringLiteral("the statement lists %1 orders, not %2").arg(rows).arg(set.openOrders));
                StatementLog::clear();
                QElapsedTimer m;
                m.start();
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
                moveStatements = StatementLog::entries();
                if (p->dm->PEDIDOS.recNo() != rows - 1)
                    fail(QStringLiteral("the moves ended on row %1").arg(p->dm->PEDIDOS.recNo()));
                w->close();
                return true;
            });
            StatementLog::clear();
            t.start();
            p->form->PainelPeriodo3->BotTotaliza3->click();
            poll.rethrow();
            if (openMs < 0)
                fail(QStringLiteral("the statement did not open: ") + m_messages.join(QStringLiteral(" | ")));
            const Sql openSql = floorOf(openStatements);
            const Sql moveSql = floorOf(moveStatements) / (set.openOrders - 1);
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

    // Quitar on a settlement convênio with the cash register's arguments: from the period dialog's
    // OK (open-order check, orders marked paid, instalments, one cash movement per order) to the
    // success message.
    void settlement(int size, int runs)
    {
        const ScaleData::Set set = settlementSet(size);
        Samples samples;
        for (int r = 0; r < runs; ++r) {
            restore();
            auto p = start({set.convenio, QStringLiteral("1"), QStringLiteral("S1"), QStringLiteral("Dinheiro")});
            if (p->dm->Convenios.text(QStringLiteral("CONVENIO")) != set.convenio)
                fail(QStringLiteral("convênio %1 not current").arg(set.convenio));
            p->form->BotQuitaConvenio->click();
            setPeriod(set.first, set.last);
            m_messages.clear();
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            p->form->PainelPeriodo3->BotTotaliza3->click();
            pump();
            const double ms = msSince(t);
            if (m_messages.size() != 1 || !m_messages[0].startsWith(QStringLiteral("Procedimento concluído com sucesso.\n")))
                fail(QStringLiteral("settlement: ") + m_messages.join(QStringLiteral(" | ")));
            const auto statements = StatementLog::entries();
            p.reset();
            checkSettled(set, true);
            if (m_measureFloor)
                restore();
            samples.add(ms, floorOf(statements));
            m_floor.detach();
        }
        addPerOrder(QStringLiteral("settlement Quitar, %1 orders").arg(size), samples, size);
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
            setPeriod(set.first, set.last);
            double ms = -1;
            QList<StatementLog::Entry> statements;
            Poll poll([&] {
                StatementWindow *w = openStatement();
                if (!statementLoaded(w))
                    return false;
                if (p->dm->PEDIDOS.recordCount() != size)
                    fail(QStringLiteral("the statement lists %1 orders").arg(p->dm->PEDIDOS.recordCount()));
                pump();
                m_messages.clear();
                StatementLog::clear();
                QElapsedTimer t;
                t.start();
                w->QuitaroPERODOselecionado1->trigger();
                pump();
                ms = msSince(t);
                statements = StatementLog::entries();
                if (m_messages.size() != 1 || !m_messages[0].startsWith(QStringLiteral("Procedimento concluído com sucesso.\n")) ||
                    !p->dm->PEDIDOS.isEmpty())
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
            samples.add(ms, floorOf(statements));
            m_floor.detach();
        }
        addPerOrder(QStringLiteral("settlement of the statement's period, %1 orders").arg(size), samples, size);
    }

    // A changed convênio posted from the register: the write-back and the re-read of all convênios.
    void posting()
    {
        auto p = start({});
        RegisterPanel *reg = p->form->registro;
        Samples samples;
        for (int r = 0; r <= m_runs; ++r) {
            p->form->DBNavigator6->click(DBNavigator::Edit);
            const QString texto = QStringLiteral("Observação alterada %1").arg(r);
            reg->DBEditObservacao->setPlainText(texto);
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            p->form->DBNavigator6->click(DBNavigator::Post);
            pump();
            const double ms = msSince(t);
            if (p->dm->Convenios.text(QStringLiteral("OBSERVACAO")) != texto ||
                p->dm->Convenios.recordCount() != m_scale.convenios)
                fail(QStringLiteral("the change was not posted: ") + m_messages.join(QStringLiteral(" | ")));
            const Sql sql = floorOf(StatementLog::entries());
            if (r > 0)
                samples.add(ms, sql);
        }
        p.reset();
        m_floor.detach();
        add(QStringLiteral("posting a changed convênio (%1 re-read)").arg(m_scale.convenios), samples);
    }

    // Totalizar: the closing list of all convênios from the period dialog's OK; then its report to PDF.
    void closing()
    {
        auto p = start({});
        ClosingPanel *panel = p->form->Painel_Total_Debito;
        const QString pdf = m_work + QStringLiteral("/fechamento.pdf");
        panel->RM().setPreviewRunner([&](ReportModule &m, const ReportDocument &doc) { m.save(doc, pdf); });
        Samples list, report;
        for (int r = 0; r <= m_runs; ++r) {
            QFile::remove(pdf);
            p->form->BotTotalizaDeb->click();
            StatementLog::clear();
            QElapsedTimer t;
            t.start();
            p->form->PainelPeriodo3->BotTotaliza3->click();
            pump();
            const double listMs = msSince(t);
            if (!panel->isVisible() || p->dm->cds_qryConv.recordCount() != m_scale.convenios)
                fail(QStringLiteral("closing list: ") + m_messages.join(QStringLiteral(" | ")));
            const Sql listSql = floorOf(StatementLog::entries());
            StatementLog::clear();
            t.start();
            panel->btn1->click();
            pump();
            const double reportMs = msSince(t);
            if (QFileInfo(pdf).size() == 0)
                fail(QStringLiteral("no PDF: ") + m_messages.join(QStringLiteral(" | ")));
            const Sql reportSql = floorOf(StatementLog::entries());
            panel->BitBtn3->click();
            if (r > 0) {
                list.add(listMs, listSql);
                report.add(reportMs, reportSql);
            }
        }
        p.reset();
        m_floor.detach();
        add(QStringLiteral("closing list with live figures, %1 convênios").arg(m_scale.convenios), list,
            QStringLiteral("%1 orders stored").arg(m_orders));
        add(QStringLiteral("closing report to PDF, %1 convênios").arg(m_scale.convenios), report);
    }

    // "Imprimir" of the statement convênio's statement (its 500 open orders with their items,
    // formulas and components): from the click to the PDF written by the preview's Save.
    void statementDocument()
    {
        const ScaleData::Set set = ScaleData::statementSet(m_scale);
        auto p = start({});
        const QString pdf = m_work + QStringLiteral("/extrato.pdf");
        Samples samples;
        for (int r = 0; r <= m_runs; ++r) {
            if (!p->dm->Convenios.locate(set.convenio))
                fail(QStringLiteral("convênio %1 not in the suite").arg(set.convenio));
            p->form->BitBtn2->click();
            setPeriod(set.first, set.last);
            double ms = -1;
            int pages = 0;
            QList<StatementLog::Entry> statements;
            Poll poll([&] {
                StatementWindow *w = openStatement();
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
                w->BotImprimir->click();
                ms = msSince(t);
                statements = StatementLog::entries();
                w->close();
                return true;
            });
            p->form->PainelPeriodo3->BotTotaliza3->click();
            poll.rethrow();
            if (ms < 0 || QFileInfo(pdf).size() == 0)
                fail(QStringLiteral("no statement PDF: ") + m_messages.join(QStringLiteral(" | ")));
            if (r > 0)
                samples.add(ms, floorOf(statements));
            if (r == m_runs)
                add(QStringLiteral("statement document to PDF, %1 orders").arg(set.openOrders), samples,
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
        m_measureFloor = true;
        m_quiet = false;
        for (const auto &[name, value] : {std::pair{QStringLiteral("peak memory of the program, MB"), program},
                                          std::pair{QStringLiteral("peak memory of this benchmark run, MB"), whole}}) {
            m_figures << Figure{name, value, 0, 0, {}};
            out() << QStringLiteral("%1 %2\n").arg(name.leftJustified(58)).arg(value, 10, 'f', 1);
        }
        out().flush();
    }

private:
    std::unique_ptr<Program> start(const QStringList &args)
    {
        Globais::limpa();
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
    void setPeriod(const QDate &first, const QDate &last)
    {
        CachedTable &periodo = DM2->Periodo;
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
        c.setDatabase(connectionStringFor(QString(), QStringLiteral("C:\\praxolin\\dados\\praxolin.bd")));
        const QString convenio = set.convenio;
        const int open = c.query(QStringLiteral("select count(*) from PEDIDOS where CONVENIO = ? and DATAPAGAMENTO is null"),
                                 {convenio})
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
        Figure f{name, median(samples.program), median(samples.floor), median(samples.data), note};
        m_figures << f;
        auto ratio = [&f](double ms) { return f.floor > 0 ? ms / f.floor : 0; };
        out() << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
                     .arg(name.leftJustified(58))
                     .arg(f.program, 10, 'f', 2)
                     .arg(f.floor, 10, 'f', 2)
                     .arg(ratio(f.program), 6, 'f', 2)
                     .arg(f.data, 10, 'f', 2)
                     .arg(ratio(f.data), 6, 'f', 2)
                     .arg(note);
        out().flush();
    }

    void addPerOrder(const QString &name, const Samples &samples, int orders)
    {
        const double pm = median(samples.program), fm = median(samples.floor);
        add(name, samples,
            QStringLiteral("%1 ms/order (floor %2)").arg(pm / orders, 0, 'f', 3).arg(fm / orders, 0, 'f', 3));
    }

    QString m_suite;
    QString m_work;
    int m_runs;
    bool m_measureFloor = true;   // off for the memory pass
    bool m_quiet = false;
public:
    bool m_listStatements = false;   // print each statement's program and floor times
private:
    ScaleData::Options m_scale;
    int m_orders = 0;
    int m_movements = 0;
    Floor m_floor;
    QStringList m_messages;
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
                       "document, filter, growth, memory."),
        QStringLiteral("LIST"));
    const QCommandLineOption statementsOption(
        QStringLiteral("statements"), QStringLiteral("Also print each statement's program and floor milliseconds."));
    parser.addOptions({suiteOption, smallOption, workOption, runsOption, onlyOption, statementsOption});
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
        Bench bench(suite, work, runs);
        bench.m_listStatements = parser.isSet(statementsOption);
        bench.useSuite(suite);
        out() << "# convenios-bench: suite " << suite << " (" << bench.orders() << " orders, " << bench.movements()
              << " cash movements), median of " << runs << " runs, embedded engine, offscreen\n";
        out() << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
                     .arg(QStringLiteral("# figure").leftJustified(58))
                     .arg(QStringLiteral("program ms"), 10)
                     .arg(QStringLiteral("floor ms"), 10)
                     .arg(QStringLiteral("ratio"), 6)
                     .arg(QStringLiteral("data ms"), 10)
                     .arg(QStringLiteral("ratio"), 6)
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
    } catch (const std::exception &e) {
        fprintf(stderr, "convenios-bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
