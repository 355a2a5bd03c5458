#include "billing/window/ConfiguracoesDialog.h"

#include "data/Connection.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "settlement/Autorizacao.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

SupervisorDialog::SupervisorDialog(Connection &central, const QString &usuario, QWidget *parent)
    : QDialog(parent), m_central(central)
{
    setWindowTitle(QStringLiteral("Configurações de faturamento"));
    EditSupervisor = new QLineEdit(usuario, this);
    EditSupervisor->setObjectName(QStringLiteral("EditSupervisor"));
    EditSenha = new QLineEdit(this);
    EditSenha->setObjectName(QStringLiteral("EditSenha"));
    EditSenha->setEchoMode(QLineEdit::Password);
    auto *form = new QFormLayout;
    form->addRow(new QLabel(QStringLiteral("As configurações de faturamento são alteradas por um supervisor."), this));
    form->addRow(QStringLiteral("&Supervisor:"), EditSupervisor);
    form->addRow(QStringLiteral("S&enha:"), EditSenha);
    auto *botoes = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    BotOk = botoes->button(QDialogButtonBox::Ok);
    connect(botoes, &QDialogButtonBox::accepted, this, &SupervisorDialog::accept);
    connect(botoes, &QDialogButtonBox::rejected, this, &SupervisorDialog::reject);
    auto *tudo = new QVBoxLayout(this);
    tudo->addLayout(form);
    tudo->addWidget(botoes);
    EditSenha->setFocus();
}

QString SupervisorDialog::supervisor() const { return EditSupervisor->text().trimmed(); }

void SupervisorDialog::accept()
{
    QString resposta;
    ErrorReporter::guard([&] { resposta = Autorizacao::confere(m_central, supervisor(), EditSenha->text()); });
    if (!resposta.isEmpty()) {
        Messages::show(resposta);
        EditSenha->clear();
        return;
    }
    QDialog::accept();
}

ConfiguracoesDialog::ConfiguracoesDialog(Connection &central, const QString &convenio, const QString &supervisor,
                                         QWidget *parent)
    : QDialog(parent), m_central(central), m_convenio(convenio), m_supervisor(supervisor)
{
    setWindowTitle(QStringLiteral("Configurações de faturamento"));
    montaTela();
    mostra(ConfiguracoesDados::le(central));
    mostraLayout(convenio.isEmpty() ? LayoutFolha::padrao() : DescontoFolha::le(central, convenio));
}

void ConfiguracoesDialog::abre(Connection &central, const QString &convenio, const QString &usuario, QWidget *parent)
{
    if (!ConfiguracoesDados::disponivel(central)) {
        Messages::show(ConfiguracoesDados::mensagemSemTabelas());
        return;
    }
    SupervisorDialog pergunta(central, usuario, parent);
    if (pergunta.exec() != QDialog::Accepted)
        return;
    ConfiguracoesDialog janela(central, convenio, pergunta.supervisor(), parent);
    janela.exec();
}

void ConfiguracoesDialog::montaTela()
{
    auto linha = [this](const QString &nome) {
        auto *e = new QLineEdit(this);
        e->setObjectName(nome);
        return e;
    };
    EditServidor = linha(QStringLiteral("EditServidor"));
    EditPorta = new QSpinBox(this);
    EditPorta->setRange(1, 65535);
    ComboSeguranca = new QComboBox(this);
    ComboSeguranca->addItems({QStringLiteral("Nenhuma"), QStringLiteral("STARTTLS"), QStringLiteral("TLS (SMTPS)")});
    EditUsuario = linha(QStringLiteral("EditUsuario"));
    EditSenha = linha(QStringLiteral("EditSenha"));
    EditSenha->setEchoMode(QLineEdit::Password);
    EditRemetente = linha(QStringLiteral("EditRemetente"));
    EditNomeRemetente = linha(QStringLiteral("EditNomeRemetente"));
    auto *email = new QGroupBox(QStringLiteral("Servidor de e-mail (SMTP)"), this);
    auto *fe = new QFormLayout(email);
    fe->addRow(QStringLiteral("Servidor:"), EditServidor);
    fe->addRow(QStringLiteral("Porta:"), EditPorta);
    fe->addRow(QStringLiteral("Segurança:"), ComboSeguranca);
    fe->addRow(QStringLiteral("Usuário:"), EditUsuario);
    fe->addRow(QStringLiteral("Senha:"), EditSenha);
    fe->addRow(QStringLiteral("E-mail do remetente:"), EditRemetente);
    fe->addRow(QStringLiteral("Nome do remetente:"), EditNomeRemetente);

    EditPixChave = linha(QStringLiteral("EditPixChave"));
    EditPixNome = linha(QStringLiteral("EditPixNome"));
    EditPixNome->setMaxLength(25);
    EditPixCidade = linha(QStringLiteral("EditPixCidade"));
    EditPixCidade->setMaxLength(15);
    auto *pix = new QGroupBox(QStringLiteral("PIX da farmácia"), this);
    auto *fp = new QFormLayout(pix);
    fp->addRow(QStringLiteral("Chave:"), EditPixChave);
    fp->addRow(QStringLiteral("Nome do recebedor:"), EditPixNome);
    fp->addRow(QStringLiteral("Cidade:"), EditPixCidade);

    ComboFormato = new QComboBox(this);
    ComboFormato->addItems({QStringLiteral("Largura fixa"), QStringLiteral("Separado por caractere")});
    EditSeparador = linha(QStringLiteral("EditSeparador"));
    EditSeparador->setMaxLength(1);
    EditColunas = linha(QStringLiteral("EditColunas"));
    EditColunas->setToolTip(QStringLiteral("Campos na ordem do arquivo, com a largura: MATRICULA:10,NOME:40,EVENTO:4,MES:6,VALOR:12"));
    EditEvento = linha(QStringLiteral("EditEvento"));
    BotPadrao = new QPushButton(QStringLiteral("Layout &padrão"), this);
    connect(BotPadrao, &QPushButton::clicked, this, &ConfiguracoesDialog::BotPadraoClick);
    auto *folha = new QGroupBox(QStringLiteral("Arquivo para desconto em folha de ") + m_convenio, this);
    folha->setEnabled(!m_convenio.isEmpty());
    auto *ff = new QFormLayout(folha);
    ff->addRow(QStringLiteral("Formato:"), ComboFormato);
    ff->addRow(QStringLiteral("Separador:"), EditSeparador);
    ff->addRow(QStringLiteral("Campos:"), EditColunas);
    ff->addRow(QStringLiteral("Código do evento:"), EditEvento);
    ff->addRow(QString(), BotPadrao);

    BotGravar = new QPushButton(QStringLiteral("&Gravar"), this);
    BotGravar->setObjectName(QStringLiteral("BotGravar"));
    BotCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    connect(BotGravar, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { BotGravarClick(); }); });
    connect(BotCancelar, &QPushButton::clicked, this, &QDialog::reject);
    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(BotGravar);
    botoes->addWidget(BotCancelar);
    auto *tudo = new QVBoxLayout(this);
    tudo->addWidget(email);
    tudo->addWidget(pix);
    tudo->addWidget(folha);
    tudo->addLayout(botoes);
}

void ConfiguracoesDialog::mostra(const ConfiguracoesFaturamento &c)
{
    EditServidor->setText(c.email.servidor);
    EditPorta->setValue(c.email.porta);
    ComboSeguranca->setCurrentIndex(int(c.email.seguranca));
    EditUsuario->setText(c.email.usuario);
    EditSenha->setText(c.email.senha);
    EditRemetente->setText(c.email.remetente);
    EditNomeRemetente->setText(c.email.nomeRemetente);
    EditPixChave->setText(c.pix.chave);
    EditPixNome->setText(c.pix.nome);
    EditPixCidade->setText(c.pix.cidade);
}

void ConfiguracoesDialog::mostraLayout(const LayoutFolha &l)
{
    ComboFormato->setCurrentIndex(l.formato == LayoutFolha::Formato::LarguraFixa ? 0 : 1);
    EditSeparador->setText(l.separador);
    EditColunas->setText(l.colunasTexto());
    EditEvento->setText(l.evento);
}

void ConfiguracoesDialog::BotPadraoClick()
{
    LayoutFolha l = LayoutFolha::padrao();
    l.evento = EditEvento->text().trimmed();
    mostraLayout(l);
}

void ConfiguracoesDialog::BotGravarClick()
{
    ConfiguracoesFaturamento c;
    c.email.servidor = EditServidor->text();
    c.email.porta = EditPorta->value();
    c.email.seguranca = ServidorEmail::Seguranca(ComboSeguranca->currentIndex());
    c.email.usuario = EditUsuario->text();
    c.email.senha = EditSenha->text();
    c.email.remetente = EditRemetente->text();
    c.email.nomeRemetente = EditNomeRemetente->text();
    c.pix = {EditPixChave->text(), EditPixNome->text(), EditPixCidade->text()};
    if (!c.email.remetente.trimmed().isEmpty() && !Smtp::enderecoValido(c.email.remetente.trimmed())) {
        Messages::show(QStringLiteral("O e-mail do remetente não é válido."));
        return;
    }
    LayoutFolha l;
    l.formato = ComboFormato->currentIndex() == 0 ? LayoutFolha::Formato::LarguraFixa : LayoutFolha::Formato::Separado;
    l.separador = EditSeparador->text().isEmpty() ? QStringLiteral(";") : EditSeparador->text();
    l.colunas = LayoutFolha::colunasDe(EditColunas->text());
    l.evento = EditEvento->text().trimmed();
    const bool fixo = l.formato == LayoutFolha::Formato::LarguraFixa;
    if (!m_convenio.isEmpty() &&
        (l.colunas.isEmpty() || (fixo && std::any_of(l.colunas.begin(), l.colunas.end(), [](const auto &c) { return c.largura <= 0; })))) {
        Messages::show(QStringLiteral("Os campos do arquivo de desconto em folha devem ser MATRICULA, NOME, EVENTO, MES e "
                                      "VALOR, separados por vírgulas, cada um com a largura (NOME:40)."));
        return;
    }
    ConfiguracoesDados::grava(m_central, c, m_supervisor);
    if (!m_convenio.isEmpty())
        DescontoFolha::grava(m_central, m_convenio, l, m_supervisor);
    accept();
}
