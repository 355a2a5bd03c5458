#include "settlement/windows/QuitacoesWindow.h"
#include "platform/Contagem.h"

#include "settlement/windows/ContextoDaSessao.h"
#include "data/CentralData.h"
#include "data/SqlText.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/WinText.h"
#include "settlement/Autorizacao.h"
#include "settlement/Desfecho.h"
#include "settlement/windows/Comprovante.h"
#include "settlement/windows/RelatorioQuitacoes.h"
#include "settlement/windows/WaitPanel.h"
#include "reports/ReportModule.h"
#include "settlement/Estorno.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QScopeGuard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QString EstornoDialog::pergunta(const Registro::Quitacao &q, const ContextoQuitacao &estorno)
{
    QStringList linhas;
    linhas << QStringLiteral("Estornar a quitação nº %1 do convênio %2 (%3 a %4, pagamento em %5): %6, total de R$ %7?")
                  .arg(q.codigo)
                  .arg(q.convenio, SqlText::dateDMY(q.dataInicial), SqlText::dateDMY(q.dataFinal),
                       SqlText::dateDMY(q.pagamento),
                       Contagem::pedidos(q.pedidos))
                  .arg(q.total.toDisplayText(QLocale(), 2));
    const int abertos = q.pedidos - q.jaPagos;
    if (q.jaPagos == 0)
        linhas << (q.pedidos == 1 ? QStringLiteral("O pedido volta a ficar em aberto.")
                                  : QStringLiteral("Os pedidos voltam a ficar em aberto."));
    else if (abertos == 0)
        linhas << QStringLiteral("Os pedidos, já pagos antes dela, voltam à data de pagamento que tinham.");
    else
        linhas << Contagem::pedidos(abertos) +
                      (abertos == 1 ? QStringLiteral(" volta a ficar em aberto; ") : QStringLiteral(" voltam a ficar em aberto; ")) +
                      QLocale().toString(q.jaPagos) +
                      (q.jaPagos == 1 ? QStringLiteral(", já pago antes dela, volta à data de pagamento que tinha.")
                                      : QStringLiteral(", já pagos antes dela, voltam à data de pagamento que tinham."));
    if (q.movimentos == 0)
        linhas << QStringLiteral("Ela não lançou movimentos de caixa.");
    else if (estorno.rodandoNoCaixa())
        linhas << (q.movimentos == 1 ? QStringLiteral("O movimento de caixa que ela lançou recebe")
                                     : QStringLiteral("Os ") + Contagem::de(q.movimentos, QString(), QStringLiteral("movimentos de caixa")) +
                                           QStringLiteral(" que ela lançou recebem")) +
                      QStringLiteral(" um contramovimento de saída no caixa %1, sessão %2.").arg(estorno.caixaAtual, estorno.sessaoCaixa);
    else
        linhas << Estorno::mensagemSoNoCaixa(q.movimentos);
    return linhas.join(QLatin1Char('\n'));
}

EstornoDialog::EstornoDialog(const Registro::Quitacao &q, const ContextoQuitacao &estorno, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("EstornoDialog"));
    setWindowTitle(QStringLiteral("Estornar quitação"));
    setModal(true);
    const bool pode = q.movimentos == 0 || estorno.rodandoNoCaixa();
    Pergunta = new QLabel(pergunta(q, estorno) + (pode ? QStringLiteral("\n\nMotivo do estorno:") : QString()), this);
    EditSupervisor = new QLineEdit(estorno.usuario, this);
    EditSupervisor->setObjectName(QStringLiteral("EditSupervisor"));
    EditSupervisor->setMaxLength(31);
    EditSenha = new QLineEdit(this);
    EditSenha->setObjectName(QStringLiteral("EditSenha"));
    EditSenha->setEchoMode(QLineEdit::Password);
    EditSenha->setMaxLength(31);
    Pergunta->setWordWrap(true);
    EditMotivo = new QLineEdit(this);
    EditMotivo->setObjectName(QStringLiteral("EditMotivo"));
    EditMotivo->setMaxLength(200);
    BotEstornar = new QPushButton(QStringLiteral("&Estornar"), this);
    BotEstornar->setDefault(true);
    BotEstornar->setEnabled(false);
    BotCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    connect(EditMotivo, &QLineEdit::textChanged, this,
            [this, pode](const QString &t) { BotEstornar->setEnabled(pode && !t.trimmed().isEmpty()); });
    EditMotivo->setEnabled(pode);
    connect(BotEstornar, &QPushButton::clicked, this, [this] {
        const QString recusa = confere ? confere(supervisor(), EditSenha->text()) : QString();
        if (recusa.isEmpty()) {
            accept();
            return;
        }
        Messages::show(recusa);
        EditSenha->clear();
        EditSenha->setFocus();
    });
    connect(BotCancelar, &QPushButton::clicked, this, &QDialog::reject);

    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(BotEstornar);
    botoes->addWidget(BotCancelar);
    auto *autorizacao = new QFormLayout;
    autorizacao->addRow(QStringLiteral("&Supervisor:"), EditSupervisor);
    autorizacao->addRow(QStringLiteral("Se&nha:"), EditSenha);
    EditSupervisor->setEnabled(pode);
    EditSenha->setEnabled(pode);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Pergunta);
    layout->addWidget(EditMotivo);
    layout->addLayout(autorizacao);
    layout->addLayout(botoes);
    resize(520, sizeHint().height());
    EditMotivo->setFocus();
}

QString EstornoDialog::motivo() const { return EditMotivo->text().trimmed(); }

QString EstornoDialog::supervisor() const { return WinText::upperAscii(EditSupervisor->text().trimmed()); }

// ---------------------------------------------------------------------------------------------

namespace {
enum Coluna {
    Numero, DataHora, Comando, Periodo, Pagamento, Pedidos, Total, Caixa, Usuario, Situacao,
    Convenio, Estacao, EstornoPor, EstornoAutorizado, EstornoMotivo, Colunas
};
}

QuitacoesWindow::QuitacoesWindow(Sessao &sessao, const QString &convenio, QWidget *parent)
    : QDialog(parent), m_dm(*sessao.central), m_convenio(convenio), m_estorno(contextoDaSessao(sessao, convenio)),
      m_soNoCaixa(sessao.configuracao.quitarSoNoCaixa())
{
    setObjectName(QStringLiteral("QuitacoesWindow"));
    setWindowTitle(QStringLiteral("Quitações do convênio ") + convenio);
    setModal(true);

    Lista = new QTableWidget(0, Colunas, this);
    Lista->setObjectName(QStringLiteral("Lista"));
    Lista->setHorizontalHeaderLabels({QStringLiteral("Nº"), QStringLiteral("Data e hora"), QStringLiteral("Comando"),
                                      QStringLiteral("Período"), QStringLiteral("Pagamento"), QStringLiteral("Pedidos"),
                                      QStringLiteral("Total"), QStringLiteral("Caixa / sessão"), QStringLiteral("Usuário"),
                                      QStringLiteral("Situação"), QStringLiteral("Convênio"), QStringLiteral("Estação"),
                                      QStringLiteral("Estornada por"), QStringLiteral("Autorizada por"),
                                      QStringLiteral("Motivo do estorno")});
    Lista->setSelectionBehavior(QAbstractItemView::SelectRows);
    Lista->setSelectionMode(QAbstractItemView::SingleSelection);
    Lista->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Lista->verticalHeader()->hide();
    Lista->horizontalHeader()->setStretchLastSection(true);

    BotComprovante = new QPushButton(QStringLiteral("&Comprovante"), this);
    BotEstornar = new QPushButton(QStringLiteral("&Estornar..."), this);
    BotFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    for (QPushButton *b : {BotComprovante, BotEstornar, BotFechar})
        b->setAutoDefault(true);
    connect(BotComprovante, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { BotComprovanteClick(); }); });
    connect(BotEstornar, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { BotEstornarClick(); }); });
    connect(BotFechar, &QPushButton::clicked, this, &QDialog::accept);
    connect(Lista, &QTableWidget::currentCellChanged, this, [this] { habilita(); });

    auto *botoes = new QVBoxLayout;
    botoes->addWidget(BotComprovante);
    botoes->addWidget(BotEstornar);
    BotEmail = new QPushButton(QStringLiteral("Enviar por e-&mail"), this);
    BotEmail->setObjectName(QStringLiteral("BotEmail"));
    BotEmail->setVisible(bool(enviaPorEmail));
    connect(BotEmail, &QPushButton::clicked, this, [this] {
        ErrorReporter::guard([this] {
            if (const Registro::Quitacao *q = atual())
                enviaPorEmail(this, m_dm.SQLConnection1, *q, m_estorno);
        });
    });
    botoes->addWidget(BotEmail);
    BotPlanilha = new QPushButton(QStringLiteral("&Planilha..."), this);
    BotPlanilha->setObjectName(QStringLiteral("BotPlanilha"));
    BotPlanilha->setVisible(bool(salvaPlanilha));
    connect(BotPlanilha, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { salvaPlanilha(this, mostradas()); }); });
    botoes->addWidget(BotPlanilha);
    BotImprimir = new QPushButton(QStringLiteral("&Imprimir"), this);
    BotImprimir->setObjectName(QStringLiteral("BotImprimir"));
    BotImprimir->setAutoDefault(true);
    connect(BotImprimir, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { BotImprimirClick(); }); });
    botoes->addWidget(BotImprimir);
    botoes->addStretch();
    botoes->addWidget(BotFechar);
    LabelSupervisores = new QLabel(this);
    LabelSupervisores->setObjectName(QStringLiteral("LabelSupervisores"));
    LabelTotais = new QLabel(this);
    LabelTotais->setObjectName(QStringLiteral("LabelTotais"));
    LabelAguarde = new QLabel(this);
    LabelAguarde->setObjectName(QStringLiteral("LabelAguarde"));
    LabelAguarde->setStyleSheet(QStringLiteral("font-weight: bold;"));
    LabelAguarde->hide();
    PainelAguarde = new WaitPanel(this);
    PainelAguarde->centrado = true;
    connect(PainelAguarde, &WaitPanel::emCurso, this, &QuitacoesWindow::estornoEmCurso);
    // Over a network the reversal's calls run in the background, so that a stalled link can be
    // cancelled; the embedded engine has no link to stall.
    if (m_dm.SQLConnection1.isRemote())
        PainelAguarde->cancela = [this] { m_dm.SQLConnection1.cancel(); };

    // Which settlements: this convênio's or all, between two days (the first day of the calendar
    // means no limit), and a text that the shown rows contain.
    CheckTodos = new QCheckBox(QStringLiteral("&Todos os convênios"), this);
    CheckTodos->setObjectName(QStringLiteral("CheckTodos"));
    CheckTodos->setChecked(convenio.isEmpty());
    CheckTodos->setEnabled(!convenio.isEmpty());
    auto dia = [this](const QString &nome) {
        auto *e = new QDateEdit(this);
        e->setObjectName(nome);
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        e->setMinimumDate(SemLimite);
        e->setSpecialValueText(QStringLiteral("sem limite"));
        e->setDate(SemLimite);
        return e;
    };
    EditDe = dia(QStringLiteral("EditDe"));
    EditAte = dia(QStringLiteral("EditAte"));
    EditBusca = new QLineEdit(this);
    EditBusca->setObjectName(QStringLiteral("EditBusca"));
    EditBusca->setPlaceholderText(QStringLiteral("Procurar"));
    EditBusca->setClearButtonEnabled(true);
    for (QDateEdit *e : {EditDe, EditAte})
        connect(e, &QDateEdit::dateChanged, this, [this] { ErrorReporter::guard([this] { Atualiza(); }); });
    connect(CheckTodos, &QCheckBox::toggled, this, [this] { ErrorReporter::guard([this] { Atualiza(); }); });
    connect(EditBusca, &QLineEdit::textChanged, this, [this] { filtra(); });
    auto *filtros = new QHBoxLayout;
    filtros->addWidget(CheckTodos);
    filtros->addWidget(new QLabel(QStringLiteral("De:"), this));
    filtros->addWidget(EditDe);
    filtros->addWidget(new QLabel(QStringLiteral("Até:"), this));
    filtros->addWidget(EditAte);
    filtros->addWidget(EditBusca, 1);

    auto *lista = new QVBoxLayout;
    lista->addLayout(filtros);
    lista->addWidget(Lista, 1);
    lista->addWidget(LabelTotais);
    lista->addWidget(LabelAguarde);
    lista->addWidget(LabelSupervisores);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(lista, 1);
    layout->addLayout(botoes);
    resize(980, 420);

    const QStringList supervisores = Autorizacao::supervisores(m_dm.SQLConnection1);
    LabelSupervisores->setText(supervisores.isEmpty()
                                   ? Autorizacao::mensagemSemSupervisores()
                                   : QStringLiteral("Estornos autorizados por: ") + supervisores.join(QStringLiteral(", ")));
    Atualiza();
}

QuitacoesWindow::~QuitacoesWindow() = default;

void QuitacoesWindow::mostra(Sessao &sessao, const QString &convenio, QWidget *parent)
{
    if (!Registro::disponivel(sessao.central->SQLConnection1)) {
        Messages::show(Registro::mensagemSemRegistro());
        return;
    }
    QuitacoesWindow quitacoes(sessao, convenio, parent);
    quitacoes.exec();
}

void QuitacoesWindow::Atualiza()
{
    const int atualAntes = atual() ? atual()->codigo : 0;
    const QDate de = EditDe->date() == SemLimite ? QDate() : EditDe->date();
    const QDate ate = EditAte->date() == SemLimite ? QDate() : EditAte->date();
    m_quitacoes = Registro::lista(m_dm.SQLConnection1, CheckTodos->isChecked() ? QString() : m_convenio, de, ate);
    Lista->setRowCount(int(m_quitacoes.size()));
    const QLocale locale;
    int linhaAtual = 0;
    for (int r = 0; r < m_quitacoes.size(); ++r) {
        const Registro::Quitacao &q = m_quitacoes[r];
        const QStringList celulas = {
            QString::number(q.codigo),
            q.dataHora.toString(QStringLiteral("dd/MM/yy HH:mm")),
            Registro::nome(q.comando),
            SqlText::dateDMY(q.dataInicial) + QStringLiteral(" a ") + SqlText::dateDMY(q.dataFinal),
            SqlText::dateDMY(q.pagamento),
            QString::number(q.pedidos),
            q.total.toDisplayText(locale, 2),
            q.caixa.isEmpty() || q.movimentos == 0 ? QString() : q.caixa + QStringLiteral(" / ") + q.sessao,
            q.usuario,
            q.estornada() ? QStringLiteral("Estornada em ") + q.estornoDataHora.toString(QStringLiteral("dd/MM/yy HH:mm"))
                          : q.situacao(),
            q.convenio,
            q.estacao,
            q.estornoUsuario,
            q.estornoAutorizado,
            q.estornoMotivo};
        for (int c = 0; c < Colunas; ++c) {
            auto *item = new QTableWidgetItem(celulas[c]);
            if (c == Numero || c == Pedidos || c == Total)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (q.estornada())
                item->setToolTip(q.situacao() + QStringLiteral(" na estação ") + q.estornoEstacao +
                                 QStringLiteral(".\nMotivo: ") + q.estornoMotivo);
            Lista->setItem(r, c, item);
        }
        if (q.codigo == atualAntes)
            linhaAtual = r;
    }
    Lista->resizeColumnsToContents();
    if (!m_quitacoes.isEmpty())
        Lista->setCurrentCell(linhaAtual, 0);
    filtra();
    mostraTotais();
    habilita();
    Lista->setFocus();
}

// Hides the rows that do not contain the text looked for (any column, case and accents as typed).
void QuitacoesWindow::filtra()
{
    const QString busca = EditBusca->text().trimmed();
    for (int r = 0; r < Lista->rowCount(); ++r) {
        bool mostra = busca.isEmpty();
        for (int c = 0; c < Colunas && !mostra; ++c)
            mostra = Lista->item(r, c) && Lista->item(r, c)->text().contains(busca, Qt::CaseInsensitive);
        Lista->setRowHidden(r, !mostra);
    }
}

void QuitacoesWindow::mostraTotais()
{
    int ativas = 0, estornadas = 0;
    Decimal totalAtivas(0, 2), totalEstornadas(0, 2);
    for (const Registro::Quitacao &q : std::as_const(m_quitacoes)) {
        if (q.estornada()) {
            ++estornadas;
            totalEstornadas = totalEstornadas + q.total;
        } else {
            ++ativas;
            totalAtivas = totalAtivas + q.total;
        }
    }
    const QLocale locale;
    LabelTotais->setText(QStringLiteral("%1 ativas, R$ %2; %3 estornadas, R$ %4")
                             .arg(locale.toString(ativas))
                             .arg(totalAtivas.toDisplayText(locale, 2))
                             .arg(locale.toString(estornadas))
                             .arg(totalEstornadas.toDisplayText(locale, 2)));
}

QList<Registro::Quitacao> QuitacoesWindow::mostradas() const
{
    QList<Registro::Quitacao> out;
    for (int r = 0; r < m_quitacoes.size(); ++r)
        if (!Lista->isRowHidden(r))
            out << m_quitacoes[r];
    return out;
}

const Registro::Quitacao *QuitacoesWindow::atual() const
{
    const int r = Lista->currentRow();
    return r >= 0 && r < m_quitacoes.size() ? &m_quitacoes[r] : nullptr;
}

void QuitacoesWindow::habilita()
{
    const Registro::Quitacao *q = atual();
    BotComprovante->setEnabled(q != nullptr);
    BotEstornar->setEnabled(q != nullptr && !q->estornada());
    BotEmail->setEnabled(q != nullptr);
    BotImprimir->setEnabled(!m_quitacoes.isEmpty());
}

void QuitacoesWindow::BotComprovanteClick()
{
    if (const Registro::Quitacao *q = atual())
        Comprovante::mostra(m_dm.SQLConnection1, q->codigo);
}

ReportModule &QuitacoesWindow::RM()
{
    if (!m_rm)
        m_rm = std::make_unique<ReportModule>(QString());
    return *m_rm;
}

void QuitacoesWindow::BotImprimirClick()
{
    const QList<Registro::Quitacao> lista = mostradas();
    if (lista.isEmpty())
        return;
    RelatorioQuitacoes::Filtro filtro;
    filtro.convenio = CheckTodos->isChecked() ? QString() : m_convenio;
    filtro.de = EditDe->date() == SemLimite ? QDate() : EditDe->date();
    filtro.ate = EditAte->date() == SemLimite ? QDate() : EditAte->date();
    filtro.busca = EditBusca->text();
    const Emitente emitente = Emitente::le(m_dm.SQLConnection1, m_estorno.estacao, m_estorno.usuario);
    const QDateTime agora = m_estorno.agora();
    RM().run([&](const std::function<void(int)> &onPage) {
        return RelatorioQuitacoes::gera(lista, emitente, filtro, agora, onPage);
    });
}

// While a reversal runs, nothing that would interrupt it can be used.
void QuitacoesWindow::estornoEmCurso(bool sim)
{
    const QList<QWidget *> comandos{Lista, BotComprovante, BotEstornar, BotEmail, BotPlanilha, BotImprimir, BotFechar,
                                    EditDe, EditAte, EditBusca};
    for (QWidget *w : comandos)
        w->setEnabled(!sim);
    CheckTodos->setEnabled(!sim && !m_convenio.isEmpty());
    if (!sim)
        habilita();
}

void QuitacoesWindow::BotEstornarClick()
{
    const Registro::Quitacao *q = atual();
    if (!q)
        return;
    const Registro::Quitacao quitacao = *q;
    // The rule that may reserve settlements to the cash register holds for their reversal too.
    if (!m_estorno.rodandoNoCaixa() && m_soNoCaixa) {
        Messages::show(QStringLiteral("O estorno das quitações deve ser feito no Caixa."));
        return;
    }
    EstornoDialog pergunta(quitacao, m_estorno, this);
    pergunta.confere = [this](const QString &supervisor, const QString &senha) {
        return Autorizacao::confere(m_dm.SQLConnection1, supervisor, senha);
    };
    if (pergunta.exec() != QDialog::Accepted || pergunta.motivo().isEmpty())
        return;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto cursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        PainelAguarde->mostra(QStringLiteral("Estornando a quitação nº %1...").arg(quitacao.codigo));
        const auto esconde = qScopeGuard([this] { PainelAguarde->esconde(); });
        // A reversal may wait for another workstation's settlement of the convênio to end: it says so.
        EsperaPeloConvenio espera(PainelAguarde, LabelAguarde);
        ContextoQuitacao c = m_estorno;
        c.aguardandoConvenio = [&espera] { espera.aguarda(); };
        if (espera.acompanhaSozinha())
            c.reivindicando = [&espera](bool enviada) { espera.acompanhaReivindicacao(enviada); };
        Estorno::estorna(m_dm, quitacao.codigo, c, pergunta.motivo(), {}, pergunta.supervisor());
    } catch (const Estorno::Recusado &r) {
        Atualiza();
        Messages::show(r.mensagem());
        return;
    } catch (const Desfecho::Incerto &e) {
        ErrorReporter::guard([this] { Atualiza(); });
        ErrorReporter::report(e.mensagem());
        return;
    } catch (...) {
        const QString motivo = Failure::messageOf(std::current_exception());
        ErrorReporter::guard([this] { Atualiza(); });
        ErrorReporter::report(motivo + QStringLiteral("\n\nNada foi estornado: o estorno foi desfeito por inteiro."));
        return;
    }
    Atualiza();
    Messages::show(QStringLiteral("Quitação nº %1 estornada.").arg(quitacao.codigo));
}
