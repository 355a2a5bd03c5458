#include "app/FormConvenios.h"

#include "session/Configuracao.h"
#include "session/Estacao.h"
#include "session/Sessao.h"
#include "app/ConnectingWindow.h"
#include "app/Login.h"
#include "app/ProgramasIrmaos.h"
#include "app/LoginPanel.h"
#include "session/SessaoGravada.h"
#include "settlement/windows/ContextoDaSessao.h"
#include "closing/ClosingPanel.h"
#include "closing/PeriodDialog.h"
#include "controls/DBNavigator.h"
#include "data/CentralData.h"
#include "data/SqlText.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/ProcessStart.h"
#include "platform/ShutdownSignals.h"
#include "platform/SuitePaths.h"
#include "platform/UserName.h"
#include "platform/WinText.h"
#include "register/RegisterPanel.h"
#include "settlement/Atomic.h"
#include "settlement/windows/Comprovante.h"
#include "settlement/windows/Confirmacao.h"
#include "settlement/QuitacaoConvenio.h"
#include "settlement/Rastro.h"
#include "settlement/windows/QuitacoesWindow.h"
#include "settlement/windows/WaitPanel.h"
#include "extrato/ExtratoWindow.h"
#include "data/InterfaceData.h"
#include "register/SearchPanels.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <optional>


namespace {
const QString kCaption = QStringLiteral(" QUB SISTEMAS  -  Cadastro  de  Convênios");

// A Windows colour value (0x00BBGGRR, or a system colour when the top byte is 0xFF).
QColor corWindows(qint32 value, const QPalette &palette)
{
    const quint32 v = quint32(value);
    if ((v >> 24) == 0xFF) {
        switch (v & 0xFF) {
        case 5: return palette.color(QPalette::Base);         // window background
        case 24: return palette.color(QPalette::ToolTipBase); // info background
        default: return palette.color(QPalette::Window);      // button face and the rest
        }
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

// The user's own settings on this computer (never the suite's shared files): where the window was.
QSettings configuracaoDoUsuario()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Praxolin"), QStringLiteral("Convenios"));
}
const QString kPosicao = QStringLiteral("JanelaPrincipal/Geometria");

// "Alt+Z Totalizar" for "Totali&zar".
QString teclaDe(const QAbstractButton *b)
{
    QString caption = b->text();
    const int e = caption.indexOf(QLatin1Char('&'));
    if (e < 0 || e + 1 >= caption.size())
        return caption;
    const QChar letra = caption.at(e + 1).toUpper();
    caption.remove(e, 1);
    return QStringLiteral("Alt+") + letra + QLatin1Char(' ') + caption;
}

QPushButton *commandButton(QWidget *parent, const QString &caption, int top)
{
    auto *b = new QPushButton(caption, parent);
    b->setGeometry(907, top, 117, 44);
    b->setAutoDefault(true);
    return b;
}

QToolButton *speedButton(QWidget *parent, const QString &caption, QStyle::StandardPixmap icon, int left)
{
    auto *b = new QToolButton(parent);
    b->setText(caption);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setGeometry(left, 3, 133, 41);
    return b;
}
}

FormConvenios::FormConvenios(Sessao &sessao, QWidget *parent) : QWidget(parent), m_sessao(sessao)
{
    setObjectName(QStringLiteral("FormConvenios"));
    setWindowTitle(kCaption);
    QFont f(QStringLiteral("MS Sans Serif"), 8);
    f.setStyleHint(QFont::SansSerif);
    setFont(f);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &FormConvenios::focoMudou);
}

FormConvenios::~FormConvenios()
{
}

bool FormConvenios::FormCreate()
{
    resize(806, 600);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Where the user left the window the last time, when the program ran here before.
    const QByteArray lembrada = configuracaoDoUsuario().value(kPosicao).toByteArray();
    if (!lembrada.isEmpty())
        restoreGeometry(lembrada);
    return CarregaConfiguracao(m_sessao.configuracao);
}

void FormConvenios::attach(CentralData &dm)
{
    m_dm = &dm;
    buildButtonBar();
    buildRegisterPanel();
    buildStatusLine();
    PainelLogin = new LoginPanel(this);
    PainelLogin->hide();
    wireLogin();
    wireRegister();
    wirePeriod();
    wireStatement();
    wireSettlement();
}

void FormConvenios::wireLogin()
{
    connect(PainelLogin->BotCancSenha, &QPushButton::clicked, this, &FormConvenios::BotCancSenhaClick);
    login = new Login(*PainelLogin, *m_dm, m_sessao, this);
    login->logado = [this] { usuarioLogado(); };
    connect(BitBtn1, &QPushButton::clicked, this, &FormConvenios::BitBtn1Click);
}

void FormConvenios::usuarioLogado()
{
    PainelLogin->hide();
    pnlBotoes->show();
    PainelLogin->EditNome->clear();
    PainelLogin->EditSenhaU->clear();
    PainelConvenios->show();
    // The register takes the focus from the hidden password box, where Enter would log in again.
    cadastro->DBEdit2->setFocus(Qt::OtherFocusReason);
    // From here Esc means "Sair" (keyPressEvent follows the login panel's visibility).
    PainelLogin->EditNome->setText(m_sessao.usuarioLogado);
    EfeitosEstacao efeitos;
    const QString area = VerificaEstacao(*m_dm, m_sessao, efeitos);
    if (area.isEmpty()) {
        Messages::show(QStringLiteral("Não foi identificada uma área de trabalho para o usuáro ") +
                       WinText::upperAscii(PainelLogin->EditNome->text()));
        close();
        return;
    }
    setWindowTitle(efeitos.legenda);
    m_areaDeTrabalho = area;
    emit registerReady();
}

void FormConvenios::BitBtn1Click()
{
    ErrorReporter::guard([this] {
        const QString convenio = m_dm->Convenios.isOpen() ? m_dm->Convenios.text(QStringLiteral("CONVENIO")) : QString();
        ProgramasIrmaos::abreRebatex(m_sessao.configuracao.PastaPrograma, convenio);
    });
}

void FormConvenios::wireRegister()
{
    pesquisa = new ConvenioSearch(*m_dm, PainelConvenios, this);
    PainelPesqNomeConv = pesquisa->PainelPesqNomeConv;
    PainelPesqConv = pesquisa->PainelPesqConv;
    connect(pesquisa, &ConvenioSearch::desabilitaBotoes, this, &FormConvenios::DesabilitaBotoes);
    connect(pesquisa, &ConvenioSearch::habilitaBotoes, this, &FormConvenios::HabilitaBotoes);
    connect(BotPesqConvenio, &QPushButton::clicked, pesquisa, &ConvenioSearch::BotPesqConvenioClick);
    connect(btnPesquisar, &QToolButton::clicked, pesquisa, &ConvenioSearch::act_PesquisarExecute);
    const auto pergunta = [this] { return cadastro->perguntaExclusao(); };
    DBNavigator6->perguntaExclusao = pergunta;
    PainelPesqConv->GradePesqConvenio->perguntaExclusao = pergunta;
}

void FormConvenios::wirePeriod()
{
    PainelPeriodo3 = new PeriodDialog(*m_dm, m_sessao, PainelConvenios);
    Painel_Total_Debito = new ClosingPanel(*m_dm, m_sessao, PainelConvenios);
    connect(BotTotalizaDeb, &QPushButton::clicked, this, &FormConvenios::BotTotalizaDebClick);
    connect(BotQuitaConvenio, &QPushButton::clicked, this, &FormConvenios::BotQuitaConvenioClick);
    connect(btnQuitar, &QToolButton::clicked, this, &FormConvenios::act_QuitarExecute);
    connect(BitBtn2, &QPushButton::clicked, this, &FormConvenios::BitBtn2Click);
    connect(btnExtrato, &QToolButton::clicked, this, &FormConvenios::act_ExtratoExecute);
    connect(PainelPeriodo3, &PeriodDialog::totalizar, this, [this](const QString &convenio) {
        ErrorReporter::guard([this, convenio] { Painel_Total_Debito->Totaliza(convenio); });
    });
    connect(PainelPeriodo3, &PeriodDialog::encerrado, this, &FormConvenios::HabilitaBotoes);
    connect(Painel_Total_Debito, &ClosingPanel::voltou, this, &FormConvenios::HabilitaBotoes);
}

// Each command disables the register commands and opens the period dialog in its mode, at its
// place, with its OK caption (the button "E&xtrato" keeps the caption of the previous opening).
void FormConvenios::BotTotalizaDebClick()
{
    DesabilitaBotoes();
    ErrorReporter::guard([this] { PainelPeriodo3->Abre(PeriodDialog::Totalizar, {133, 114}, QStringLiteral("Totalizar")); });
}

void FormConvenios::BotQuitaConvenioClick()
{
    DesabilitaBotoes();
    ErrorReporter::guard([this] { PainelPeriodo3->Abre(PeriodDialog::Quitar, {133, 114}, QStringLiteral("Quitar")); });
}

void FormConvenios::act_QuitarExecute()
{
    // Settling may be reserved to the cash register.
    if (!m_sessao.rodandoNoCaixa() && m_sessao.configuracao.quitarSoNoCaixa()) {
        Messages::show(QStringLiteral("A quitação dos convênios deve ser feita no Caixa."));
        return;
    }
    DesabilitaBotoes();
    ErrorReporter::guard([this] { PainelPeriodo3->Abre(PeriodDialog::Quitar, {221, 74}, QStringLiteral("Quitar")); });
}

void FormConvenios::BitBtn2Click()
{
    DesabilitaBotoes();
    ErrorReporter::guard([this] { PainelPeriodo3->Abre(PeriodDialog::Extrato, {133, 114}, QString()); });
}

void FormConvenios::act_ExtratoExecute()
{
    DesabilitaBotoes();
    ErrorReporter::guard([this] { PainelPeriodo3->Abre(PeriodDialog::Extrato, {221, 74}, QStringLiteral("Extrato")); });
}

void FormConvenios::wireStatement()
{
    PainelPeriodo3->onExtrato = [this](const PeriodDialog::Escolha &escolha) { abreExtrato(escolha); };
    Painel_Total_Debito->onExtrato = [this](const QString &convenio) {
        PeriodDialog::Escolha escolha;
        escolha.convenio = convenio;
        abreExtrato(escolha);   // the stored period, read by the statement
    };
}

// A new statement window per statement, shown modally and destroyed when it closes.
void FormConvenios::abreExtrato(const PeriodDialog::Escolha &escolha)
{
    ExtratoWindow extrato(m_sessao, escolha.convenio, this);
    if (escolha.periodo.valido())
        extrato.comecaNoPeriodo(escolha.periodo);
    extrato.exec();
}

void FormConvenios::wireSettlement()
{
    PainelAguarde = new WaitPanel(PainelConvenios);
    connect(PainelAguarde, &WaitPanel::emCurso, this, &FormConvenios::quitacaoEmCurso);
    // Over a network the settlement's calls run in the background, so that a stalled link can be
    // cancelled; the embedded engine has no link to stall.
    if (m_dm->SQLConnection1.isRemote())
        PainelAguarde->cancela = [this] { m_dm->SQLConnection1.cancel(); };
    PainelPeriodo3->onQuitar = [this](const PeriodDialog::Escolha &escolha) { quitaConvenio(escolha); };
    connect(BotQuitacoes, &QPushButton::clicked, this, &FormConvenios::BotQuitacoesClick);
}

// The settlements of the register's current convênio.
void FormConvenios::BotQuitacoesClick()
{
    ErrorReporter::guard([this] {
        CachedTable &convenios = m_dm->Convenios;
        const QString convenio = convenios.isOpen() ? convenios.text(QStringLiteral("CONVENIO")) : QString();
        QuitacoesWindow::mostra(m_sessao, convenio, this);
    });
}

// The open-order check on the shared interface database, then the settlement with the wait panel.
// A failure hides the panel and is reported; the settlement then left nothing in the database.
void FormConvenios::quitaConvenio(const PeriodDialog::Escolha &escolha)
{
    using namespace QuitacaoConvenio;
    InterfaceData &dm2 = *m_sessao.interfaceData;
    const Periodo &periodo = escolha.periodo;
    const auto avisa = [](const QString &aviso) { Messages::show(aviso); };
    QList<PedidoAberto> quais;
    const Abertos abertos = verificaPedidosAbertos(dm2, escolha.convenio, periodo.inicioSql(), periodo.fimSql(), avisa, &quais);
    if (abertos != Abertos::Nenhum) {
        Messages::show(mensagemAbertos(abertos, quais));
        return;
    }
    // What would stop the settlement is checked before the question, and the counter's orders
    // again once confirmed.
    Rastro::verifica(Rastro::arquivo());
    Confirmacao::Reacoes reacoes;
    reacoes.antes = [&] {
        QList<PedidoAberto> agoraQuais;
        const Abertos agora = verificaPedidosAbertos(dm2, escolha.convenio, periodo.inicioSql(), periodo.fimSql(), avisa, &agoraQuais);
        if (agora != Abertos::Nenhum)
            throw std::runtime_error(mensagemAbertos(agora, agoraQuais).toStdString());
    };
    reacoes.painel = PainelAguarde;
    Confirmacao::quita(*m_dm, contextoDaSessao(m_sessao, escolha.convenio),
                       ServicoQuitacao::QuitaConvenio{escolha.convenio, periodo, escolha.pagamento}, reacoes);
}

void FormConvenios::buildButtonBar()
{
    pnlBotoes = new QFrame(this);
    pnlBotoes->setObjectName(QStringLiteral("pnlBotoes"));
    pnlBotoes->setGeometry(0, 0, width(), 47);
    DBNavigator6 = new DBNavigator(&m_dm->Convenios, pnlBotoes);
    DBNavigator6->setGeometry(4, 3, 234, 41);
    btnPesquisar = speedButton(pnlBotoes, QStringLiteral("Pesquisar"), QStyle::SP_FileDialogContentsView, 240);
    btnExtrato = speedButton(pnlBotoes, QStringLiteral("Extrato"), QStyle::SP_FileDialogDetailedView, 374);
    btnQuitar = speedButton(pnlBotoes, QStringLiteral("Quitar"), QStyle::SP_DialogApplyButton, 508);
    btnSair = speedButton(pnlBotoes, QStringLiteral("Sair"), QStyle::SP_DialogCloseButton, 642);
    connect(btnSair, &QToolButton::clicked, this, &FormConvenios::act_SairExecute);
    pnlBotoes->hide();
}

void FormConvenios::buildRegisterPanel()
{
    PainelConvenios = new QFrame(this);
    PainelConvenios->setObjectName(QStringLiteral("PainelConvenios"));
    PainelConvenios->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PainelConvenios->setAutoFillBackground(true);
    PainelConvenios->setGeometry(0, 47, width(), height() - 47);
    cadastro = new RegisterPanel(*m_dm, PainelConvenios);
    cadastro->setGeometry(4, 4, 900, 400);

    BotSairConv = commandButton(PainelConvenios, QStringLiteral("&Sair"), 43);
    BotPesqConvenio = commandButton(PainelConvenios, QStringLiteral("&Pesquisar"), 90);
    BitBtn2 = commandButton(PainelConvenios, QStringLiteral("E&xtrato"), 137);
    BotQuitaConvenio = commandButton(PainelConvenios, QStringLiteral("&Quitar"), 184);
    BotTotalizaDeb = commandButton(PainelConvenios, QStringLiteral("Totali&zar"), 231);
    BitBtn1 = commandButton(PainelConvenios, QStringLiteral("&Desc./Classe"), 278);
    BotQuitacoes = commandButton(PainelConvenios, QStringLiteral("Q&uitações"), 325);
    BotQuitacoes->setObjectName(QStringLiteral("BotQuitacoes"));
    connect(BotSairConv, &QPushButton::clicked, this, &FormConvenios::BotSairConvClick);
    PainelConvenios->hide();
}

void FormConvenios::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    posicionaPaineis();
}

void FormConvenios::posicionaPaineis()
{
    if (pnlBotoes)
        pnlBotoes->setGeometry(0, 0, width(), 47);
    if (TeclasDaColuna) {
        const bool colunaOculta = BotSairConv && BotQuitacoes->geometry().right() >= width();
        TeclasDaColuna->setVisible(BarraDeStatus && !BarraDeStatus->isHidden() && colunaOculta);
    }
    const int status = alturaDoStatus(), teclas = alturaDasTeclas();
    if (PainelConvenios)
        PainelConvenios->setGeometry(0, 47, width(), height() - 47 - status - teclas);
    if (TeclasDaColuna)
        TeclasDaColuna->setGeometry(0, height() - status - teclas, width(), teclas);
    if (BarraDeStatus)
        BarraDeStatus->setGeometry(0, height() - status, width(), status);
    focoSoNoQueSeVe();
}

// A command of the column beyond the window's edge takes no focus: Enter or Space would run a
// button the user cannot see (Sair closing the module). Its Alt key still runs it; widened, the
// window shows it and it takes the focus again.
void FormConvenios::focoSoNoQueSeVe()
{
    if (!PainelConvenios)
        return;
    const QRect visivel = PainelConvenios->rect();
    for (QPushButton *b : PainelConvenios->findChildren<QPushButton *>(Qt::FindDirectChildrenOnly)) {
        const bool aVista = visivel.contains(b->geometry());
        if (!aVista && b->hasFocus())
            focusNextChild();
        b->setFocusPolicy(aVista ? Qt::StrongFocus : Qt::NoFocus);
    }
}

int FormConvenios::alturaDoStatus() const
{
    return BarraDeStatus && !BarraDeStatus->isHidden() ? BarraDeStatus->sizeHint().height() : 0;
}

int FormConvenios::alturaDasTeclas() const
{
    return TeclasDaColuna && !TeclasDaColuna->isHidden() ? TeclasDaColuna->heightForWidth(width()) : 0;
}

void FormConvenios::buildStatusLine()
{
    // The commands of the column beyond the window's edge are found by their keys, named here.
    QStringList teclas;
    for (const QAbstractButton *b : std::initializer_list<const QAbstractButton *>{
             BotSairConv, BotPesqConvenio, BitBtn2, BotQuitaConvenio, BotTotalizaDeb, BitBtn1, BotQuitacoes})
        teclas << teclaDe(b);
    TeclasDaColuna = new QLabel(QStringLiteral("Comandos à direita: ") + teclas.join(QStringLiteral("   ")), this);
    TeclasDaColuna->setObjectName(QStringLiteral("TeclasDaColuna"));
    TeclasDaColuna->setTextFormat(Qt::PlainText);
    TeclasDaColuna->setWordWrap(true);
    TeclasDaColuna->setContentsMargins(4, 1, 4, 1);
    TeclasDaColuna->hide();

    BarraDeStatus = new QLabel(this);
    BarraDeStatus->setObjectName(QStringLiteral("BarraDeStatus"));
    BarraDeStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    BarraDeStatus->setTextFormat(Qt::PlainText);
    BarraDeStatus->setContentsMargins(4, 1, 4, 1);
    BarraDeStatus->hide();
    connect(this, &FormConvenios::registerReady, this, &FormConvenios::mostraStatus);
}

// "Usuário: MARIA   Estação: 02 - Caixa" and, for the cash register, its number, session and
// payment form, so the user sees that settlements are posted to it.
void FormConvenios::mostraStatus()
{
    QStringList partes{QStringLiteral("Usuário: ") + m_sessao.nomeUsuario};
    if (!m_sessao.estacaoAtual.isEmpty())
        partes << QStringLiteral("Estação: ") + m_sessao.estacaoAtual +
                      (m_areaDeTrabalho.isEmpty() ? QString() : QStringLiteral(" - ") + m_areaDeTrabalho);
    if (m_sessao.rodandoNoCaixa())
        partes << QStringLiteral("Caixa: ") + m_sessao.caixaAtual << QStringLiteral("Sessão: ") + m_sessao.sessaoCaixa
               << QStringLiteral("Forma de pagamento: ") + m_sessao.formaPagCaixa;
    if (!m_aviso.isEmpty())
        partes << m_aviso;
    BarraDeStatus->setText(partes.join(QStringLiteral("     ")));
    BarraDeStatus->show();
    posicionaPaineis();
}

void FormConvenios::avisaReconexao()
{
    m_aviso = QStringLiteral("Conexão com o servidor restabelecida.");
    mostraStatus();
    QTimer::singleShot(15000, this, [this] {
        m_aviso.clear();
        if (!BarraDeStatus->isHidden())
            mostraStatus();
    });
}

// The register's command buttons, and with them the speed buttons that would open another
// panel over the one shown: one command at a time.
void FormConvenios::DesabilitaBotoes() { habilitaComandos(false); }

void FormConvenios::HabilitaBotoes() { habilitaComandos(true); }

// While a settlement runs, nothing that would leave the window or move the register interrupts it:
// the button bar's Sair and the navigator wait with the other commands (already disabled).
void FormConvenios::quitacaoEmCurso(bool sim)
{
    m_quitando = sim;
    btnSair->setEnabled(!sim);
    if (sim) {
        m_navegadorAntes = DBNavigator6->isEnabled();
        DBNavigator6->setEnabled(false);
    } else {
        DBNavigator6->setEnabled(m_navegadorAntes);
    }
}

void FormConvenios::habilitaComandos(bool on)
{
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{BotSairConv, BitBtn2, BotQuitaConvenio, BotTotalizaDeb,
                                                                        BotPesqConvenio, BotQuitacoes, btnPesquisar, btnExtrato,
                                                                        btnQuitar})
        b->setEnabled(on);
}

// ---------------------------------------------------------------------------------------------
// Showing

void FormConvenios::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        ErrorReporter::guard([this] { FormShow(); });
        if (!m_desistiu)
            ErrorReporter::guardRepeated(m_falhaBanco, [this] { FormActivate(); });
    }
}

void FormConvenios::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    // Coming back from another application is no activation of the program's: an edit in progress
    // keeps its fields.
    const bool deOutraAplicacao = m_focoForaDoPrograma;
    m_focoForaDoPrograma = false;
    if (m_shown && !m_closing && !m_closed && !deOutraAplicacao)
        ErrorReporter::guardRepeated(m_falhaBanco, [this] { FormActivate(); });
}

void FormConvenios::focoMudou(QWindow *window)
{
    const QWidgetList janelas = QApplication::topLevelWidgets();
    const bool doPrograma = window && std::any_of(janelas.cbegin(), janelas.cend(), [window](const QWidget *w) {
                                return w->windowHandle() == window;
                            });
    if (!doPrograma)
        m_focoForaDoPrograma = true;
}

void FormConvenios::leLinhaDeComando()
{
    m_sessao.caixaAtual.clear();
    m_sessao.sessaoCaixa.clear();
    m_sessao.formaPagCaixa.clear();
    if (m_args.isEmpty())
        return;
    m_sessao.caixaAtual = m_args.value(1).left(20);
    m_sessao.sessaoCaixa = m_args.value(2).left(20);
    m_sessao.formaPagCaixa = m_args.value(3).left(40);
}

void FormConvenios::FormShow()
{
    CentralData &dm = *m_dm;
    leLinhaDeComando();
    const QString argumento1 = m_args.value(0).left(60);

    // Each step that fails is reported; the later steps still run, so the user reaches the login
    // or the register whatever a single step met. Giving up on a server that does not answer ends
    // the program.
    const bool aberto = ErrorReporter::guardRepeated(m_falhaBanco, [&] {
        if (conectaAoServidor())
            dm.Convenios.open();
    });
    if (m_desistiu)
        return;

    if (!aberto) {
        // The database could not be reached: its message was shown; nothing else can be read.
    } else if (m_args.size() == 1 || !m_sessao.caixaAtual.isEmpty()) {
        ErrorReporter::guard([&] {
            if (!dm.Convenios.locate(argumento1))
                Messages::show(QStringLiteral("Convênio \"") + argumento1 + QStringLiteral("\" não encontrado."));
        });
    } else if (m_args.size() == 2) {
        ErrorReporter::guard([&] {
            PainelConvenios->show();
            dm.Convenios.append();
            dm.Convenios.setValue(QStringLiteral("CONVENIO"), argumento1);
            dm.Convenios.setValue(QStringLiteral("TIPO"), QStringLiteral("Particular"));
            dm.Convenios.post();
        });
    }

    DBNavigator6->setEnabled(!(m_sessao.rodandoNoCaixa()));
    aplicaCorDeFundo();
    PainelConvenios->show();
    pnlBotoes->show();
    if (aberto)
        ErrorReporter::guard([this] { preencheListas(); });

    if (aberto && sessaoGravadaAceita()) {
        emit registerReady();
        return;
    }
    mostraLogin();
}

void FormConvenios::aplicaCorDeFundo()
{
    const QColor cor = corWindows(m_sessao.configuracao.CorFundoTelas, palette());
    for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(PainelConvenios)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, cor);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
}

void FormConvenios::preencheListas()
{
    CentralData &dm = *m_dm;
    struct Lista {
        DBComboBox *combo;
        CachedTable *table;
        QString column;
    };
    for (const Lista &l : {Lista{cadastro->DBCBFormaPagto, &dm.FormaPag, QStringLiteral("FORMAPAGTO")},
                           Lista{cadastro->DBRotaConv, &dm.Rotas, QStringLiteral("ROTA")}}) {
        l.combo->clear();
        l.table->open();
        for (int r = 0; r < l.table->recordCount(); ++r)
            l.combo->addItem(l.table->valueAt(r, l.column).toString());
        l.table->close();
    }
}

bool FormConvenios::sessaoGravadaAceita()
{
    const LogonGravado logon = leLogonGravado(SuitePaths::map(QStringLiteral("c:\\praxolin\\LOGON.LLF")));
    if (!logon.existe)
        return false;
    if (!logon.erro.isEmpty()) {
        ErrorReporter::report(logon.erro);
        return false;
    }
    m_sessao.usuarioLogado = logon.usuario;
    m_sessao.nomeUsuario = logon.nome.trimmed().left(60);   // line 1 holds the coded key
    QString acesso;
    ErrorReporter::guard([&] { acesso = VerificaSessaoGravada(*m_dm, m_sessao, logon.usuario, logon.nome); });
    return !acesso.isEmpty();
}

void FormConvenios::mostraLogin()
{
    BarraDeStatus->hide();
    TeclasDaColuna->hide();
    pnlBotoes->hide();
    PainelConvenios->hide();
    m_sessao.usuarioLogado = UserName::current();
    m_sessao.nomeUsuario = m_sessao.usuarioLogado;
    PainelLogin->EditNome->setText(m_sessao.usuarioLogado);
    PainelLogin->setGeometry(212, 178, 331, 130);
    PainelLogin->show();
    PainelLogin->raise();
    if (PainelLogin->EditNome->isEnabled() && PainelLogin->EditNome->isVisible())
        PainelLogin->EditNome->setFocus();
}

void FormConvenios::FormActivate()
{
    // An activation while the server is being reached (the window that says so came and went)
    // waits for that attach to end, as the user's input does.
    if (m_conectando)
        return;
    cadastro->DesabilitaCampos();
    if (!conectaAoServidor())
        return;
    preencheCategorias();
    m_dm->Convenios.open();
}

// A server that does not answer at once is waited for under a window that offers Cancelar; giving
// up there ends the program as its close box does.
bool FormConvenios::conectaAoServidor()
{
    if (m_desistiu)
        return false;
    m_conectando = true;
    const auto fim = qScopeGuard([this] { m_conectando = false; });
    if (ConnectingWindow::conecta(m_dm->SQLConnection1, this))
        return true;
    m_desistiu = true;
    m_closing = true;
    close();
    // Inside the message loop (a later activation) the program ends with it.
    QCoreApplication::exit(0);
    return false;
}

void FormConvenios::preencheCategorias()
{
    DBComboBox *combo = cadastro->DBComboTipoConv;
    combo->clear();
    // Read at every activation of the window: kept prepared.
    const RowSet rs = m_dm->SQLConnection1.query(QStringLiteral("Select CATEGORIACONV from CATECONV order by CODCATECONV"),
                                                 {}, Connection::Prepare::Keep);
    for (const auto &row : rs.rows)
        combo->addItem(row[0].isNull() ? QString() : row[0].toString());
}

// ---------------------------------------------------------------------------------------------
// Leaving

void FormConvenios::BotSairConvClick() { SairDoCadastro(); }

void FormConvenios::act_SairExecute() { SairDoCadastro(); }

void FormConvenios::BotCancSenhaClick()
{
    PainelLogin->hide();
    close();
}

void FormConvenios::SairDoCadastro()
{
    // A change the database refuses is not lost on the way out: the user is told why (or was told,
    // by the register's own message) and the window stays open with the change on the screen. The
    // close box still discards it.
    CachedTable &convenios = m_dm->Convenios;
    const bool pendente = convenios.isOpen() && (convenios.state() == CachedTable::State::Edit ||
                                                 convenios.state() == CachedTable::State::Insert);
    try {
        convenios.post();
        convenios.close();
    } catch (const SilentAbort &) {
        if (pendente)
            return;
    } catch (const std::exception &) {
        if (pendente) {
            ErrorReporter::report(Failure::messageOf(std::current_exception()));
            return;
        }
    }
    close();
}

void FormConvenios::encerraPorSinal()
{
    m_closing = true;   // the windows closed here give this one no activation to act on
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    close();
    // Modal windows and message boxes run loops of their own: all of them end.
    QCoreApplication::exit(0);
}

void FormConvenios::closeEvent(QCloseEvent *e)
{
    // The close box waits for a settlement under way; a session that ends the program does not.
    if (m_quitando && !m_closing && !ShutdownSignals::requested()) {
        e->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        if (m_shown)
            configuracaoDoUsuario().setValue(kPosicao, saveGeometry());
        ErrorReporter::guard([this] { FormClose(); });
    }
    QWidget::closeEvent(e);
}

void FormConvenios::FormClose()
{
    if (m_dm) {
        m_dm->Convenios.cancel();
        m_dm->Convenios.close();
    }
    const QString mirrorup = SuitePaths::map(QStringLiteral("c:\\praxolin\\Mirrorup.exe"));
    if (QFileInfo::exists(mirrorup))
        ProcessStart::start(QStringLiteral("c:\\praxolin\\Mirrorup.exe CONVENIO"));
    QFile::remove(SuitePaths::map(QStringLiteral("C:\\PRAXOLIN\\Em_Uso.txt")));
}

void FormConvenios::keyPressEvent(QKeyEvent *e)
{
    // Esc presses the window's cancel button: "Cancela" while the login shows, "Sair" afterwards.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (PainelLogin && PainelLogin->isVisible())
            PainelLogin->BotCancSenha->click();
        else if (BotSairConv && BotSairConv->isEnabled())
            BotSairConv->click();
        return;
    }
    if (teclaDoNavegador(e))
        return;
    QWidget::keyPressEvent(e);
}

// Keys for the navigator's buttons, on the register when no panel lies over it; a key that the
// control in the focus uses (a list moving by pages, for one) never arrives here.
bool FormConvenios::teclaDoNavegador(const QKeyEvent *e)
{
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    std::optional<DBNavigator::Button> botao;
    if (mods == Qt::NoModifier) {
        switch (e->key()) {
        case Qt::Key_PageUp: botao = DBNavigator::Prior; break;
        case Qt::Key_PageDown: botao = DBNavigator::Next; break;
        case Qt::Key_Insert: botao = DBNavigator::Insert; break;
        case Qt::Key_F2: botao = DBNavigator::Edit; break;
        case Qt::Key_F10: botao = DBNavigator::Post; break;
        default: break;
        }
    } else if (mods == Qt::ControlModifier) {
        if (e->key() == Qt::Key_Home)
            botao = DBNavigator::First;
        else if (e->key() == Qt::Key_End)
            botao = DBNavigator::Last;
    }
    if (!botao)
        return false;
    const bool noRegistro = PainelConvenios && PainelConvenios->isVisible() && !(PainelLogin && PainelLogin->isVisible()) &&
                            BotPesqConvenio->isEnabled();
    if (!noRegistro || !DBNavigator6->isEnabled() || !DBNavigator6->button(*botao)->isEnabled())
        return false;
    DBNavigator6->click(*botao);
    return true;
}
