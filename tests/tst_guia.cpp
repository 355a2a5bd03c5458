// The pictures of the counter's guide (docs/guia-do-balcao.md), taken on every run from the real
// windows on the demo suite, so that they show the windows as they are. Each picture is written
// into docs/img of the source tree when it differs from the one there (into a temporary folder when
// the tests run without the source tree). The windows are driven as the guide tells the clerk to.
#include "app/FormConvenios.h"
#include "app/ProgramEntry.h"
#include "billing/window/EnvioEmailDialog.h"
#include "closing/ClosingPanel.h"
#include "closing/GraficoMeses.h"
#include "closing/PeriodDialog.h"
#include "controls/DBGrid.h"
#include "controls/DBMaskEdit.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "extrato/ExtratoWindow.h"
#include "platform/Messages.h"
#include "settlement/windows/QuitacoesWindow.h"
#include "tests/support/TestSuite.h"
#include "tests/support/Widgets.h"
#include "tools/setup/DemoData.h"
#include "tools/setup/ReportFiles.h"

#include <QBuffer>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class TstGuia : public QObject {
    Q_OBJECT

    // The demo's "today": its orders are dated from it, and the pictures do not change from day to day.
    const QDate hoje{2026, 11, 20};
    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<Messages::Recorder> messages;
    std::unique_ptr<Program> program;
    QTemporaryDir semFontes;
    QString pasta;
    QStringList tiradas;

    FormConvenios &form() { return *program->form; }

    // Saves the widget as it shows, under `nome`.png.
    void foto(QWidget *w, const QString &nome)
    {
        QTest::qWait(50);   // what the window lays out after its last change (the chart's axes)
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(w->grab().toImage().save(&buffer, "PNG"));
        QFile f(pasta + QLatin1Char('/') + nome + QStringLiteral(".png"));
        if (!f.open(QIODevice::ReadOnly) || f.readAll() != png) {
            f.close();
            QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(f.fileName()));
            f.write(png);
        }
        tiradas << nome;
    }

    // Runs `abre`, which shows a modal window of type W and waits in it, and `age` on that window
    // once it is up. False when no such window came up.
    template <class W>
    bool naJanela(const std::function<void()> &abre, const std::function<void(W *)> &age)
    {
        bool veio = false;
        QTimer espera;
        espera.setInterval(20);
        connect(&espera, &QTimer::timeout, this, [&] {
            if (auto *w = modal<W>()) {
                espera.stop();
                veio = true;
                age(w);
            }
        });
        espera.start();
        abre();
        espera.stop();
        return veio;
    }

private slots:
    void initTestCase()
    {
        const QString fontes = qEnvironmentVariable("CONVENIOS_SOURCE_DIR");
        pasta = fontes.isEmpty() ? semFontes.path() : fontes + QStringLiteral("/docs/img");
        QVERIFY(QDir().mkpath(pasta));
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        suite = std::make_unique<TestSuite>();
        DemoData::fill(suite->central(), suite->iface(), hoje);
        SuiteBuilder::writeReportProject(suite->root());
        suite->writeLogon(QStringLiteral("ADMIN"));
        messages = std::make_unique<Messages::Recorder>();
        program = std::make_unique<Program>();
        QVERIFY(program->create({QStringLiteral("Padaria D'Ouro")}));
        program->show();
        QApplication::setActiveWindow(&form());
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        foto(&form(), QStringLiteral("cadastro"));
    }

    void cleanupTestCase()
    {
        program.reset();
        messages.reset();
        suite.reset();
        QLocale::setDefault(QLocale::c());
    }

    // Abrir o extrato; quitar um pedido (the list's menu); enviar o extrato.
    void abrirOExtrato()
    {
        QTest::mouseClick(form().BitBtn2, Qt::LeftButton);
        QVERIFY(form().PainelPeriodo3->isVisible());
        foto(&form(), QStringLiteral("extrato-periodo"));
        int pedidos = 0;
        bool email = false;
        QVERIFY(naJanela<ExtratoWindow>([this] { QTest::mouseClick(form().PainelPeriodo3->BotTotaliza3, Qt::LeftButton); },
                                        [&](ExtratoWindow *w) {
                                            QTRY_VERIFY(program->dm->PEDIDOS.isOpen());
                                            pedidos = program->dm->PEDIDOS.recordCount();
                                            w->MaskEdit1->setText(hoje.toString(QStringLiteral("dd/MM/yy")));
                                            foto(w, QStringLiteral("extrato"));
                                            const QRect linha = w->DBGrid1->visualRect(w->DBGrid1->model()->index(0, 0));
                                            w->PopupMenu1->popup(w->DBGrid1->viewport()->mapToGlobal(linha.center()));
                                            QTRY_VERIFY(w->PopupMenu1->isVisible());
                                            foto(w->PopupMenu1, QStringLiteral("extrato-menu"));
                                            w->PopupMenu1->hide();
                                            w->BotEmail->click();
                                            auto *envio = widget<EnvioEmailDialog>(w);
                                            email = envio && envio->isVisible() && !envio->EditAssunto->text().isEmpty();
                                            if (envio) {
                                                foto(envio, QStringLiteral("enviar-extrato"));
                                                envio->close();
                                            }
                                            w->reject();
                                        }));
        QVERIFY(pedidos > 0);
        QVERIFY(email);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
    }

    // Quitar um período: the period dialog with the payment date, then the settlement.
    void quitarUmPeriodo()
    {
        QTest::mouseClick(form().BotQuitaConvenio, Qt::LeftButton);
        PeriodDialog *dialogo = form().PainelPeriodo3;
        QVERIFY(dialogo->EditDataPagamento->isVisible());
        dialogo->EditDataPagamento->setText(hoje.toString(QStringLiteral("dd/MM/yy")));
        foto(&form(), QStringLiteral("quitar-periodo"));
        QTest::mouseClick(dialogo->BotTotaliza3, Qt::LeftButton);
        QTRY_VERIFY(!messages->messages.isEmpty());
        QVERIFY2(messages->messages.last().contains(QStringLiteral("Procedimento concluído com sucesso.")),
                 qPrintable(messages->messages.join('\n')));
        QCOMPARE(messages->confirmations.size(), 1);
        messages->messages.clear();
        // Made at the demo's "today", so that the list of settlements looks the same on every run.
        suite->exec(QStringLiteral("update QUITACOES set DATAHORA = '2026-11-20 10:30:00'"));
    }

    // Estornar: the list of settlements and the reversal's question.
    void estornar()
    {
        bool perguntou = false;
        QVERIFY(naJanela<QuitacoesWindow>([this] { form().BotQuitacoes->click(); }, [&](QuitacoesWindow *lista) {
            QTRY_VERIFY(lista->Lista->rowCount() > 0);
            foto(lista, QStringLiteral("quitacoes"));
            perguntou = naJanela<EstornoDialog>([lista] { lista->BotEstornar->click(); }, [this](EstornoDialog *d) {
                d->EditMotivo->setText(QStringLiteral("Pedido quitado por engano"));
                foto(d, QStringLiteral("estornar"));
                d->reject();
            });
            lista->reject();
        }));
        QVERIFY(perguntou);
    }

    // Fechar o mês: the closing list with the ages of what is open and the chart of the months.
    void fecharOMes()
    {
        form().Painel_Total_Debito->setReferencia(hoje);
        QTest::mouseClick(form().BotTotalizaDeb, Qt::LeftButton);
        QTest::mouseClick(form().PainelPeriodo3->BotTotaliza3, Qt::LeftButton);
        QVERIFY(form().Painel_Total_Debito->isVisible());
        QTRY_VERIFY(form().Painel_Total_Debito->Grafico->SerieAberto);
        foto(&form(), QStringLiteral("fechamento"));
        QTest::mouseClick(form().Painel_Total_Debito->BitBtn3, Qt::LeftButton);
        QVERIFY2(messages->messages.isEmpty(), qPrintable(messages->messages.join('\n')));
    }

    // Every picture the guide shows was taken, and the guide shows every picture taken.
    void oGuiaMostraCadaFoto()
    {
        const QString fontes = qEnvironmentVariable("CONVENIOS_SOURCE_DIR");
        if (fontes.isEmpty())
            QSKIP("the source tree is not known");
        QFile guia(fontes + QStringLiteral("/docs/guia-do-balcao.md"));
        QVERIFY(guia.open(QIODevice::ReadOnly));
        const QString texto = QString::fromUtf8(guia.readAll());
        QCOMPARE(tiradas.size(), 9);
        for (const QString &nome : std::as_const(tiradas))
            QVERIFY2(texto.contains(QStringLiteral("(img/%1.png)").arg(nome)), qPrintable(nome));
        QCOMPARE(texto.count(QStringLiteral("](img/")), tiradas.size());
    }
};

QTEST_MAIN(TstGuia)
#include "tst_guia.moc"
