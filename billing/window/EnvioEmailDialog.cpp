#include "billing/window/EnvioEmailDialog.h"

#include "billing/Configuracoes.h"
#include "billing/Envios.h"
#include "data/Connection.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

EnvioEmailDialog::EnvioEmailDialog(Connection &central, const PedidoDeEnvio &pedido, QWidget *parent)
    : QDialog(parent), m_central(central), m_pedido(pedido)
{
    setWindowTitle(QStringLiteral("Enviar por e-mail - ") + pedido.convenio);
    montaTela();
    ErrorReporter::guard([this] { mostraEnvios(); });
}

EnvioEmailDialog::~EnvioEmailDialog()
{
    if (m_thread) {
        m_thread->disconnect(this);
        m_thread->wait();
        delete m_thread;
    }
}

void EnvioEmailDialog::montaTela()
{
    resize(640, 560);
    EditPara = new QLineEdit(m_pedido.para, this);
    EditPara->setObjectName(QStringLiteral("EditPara"));
    EditAssunto = new QLineEdit(m_pedido.assunto, this);
    EditAssunto->setObjectName(QStringLiteral("EditAssunto"));
    EditCorpo = new QPlainTextEdit(m_pedido.corpo, this);
    EditCorpo->setObjectName(QStringLiteral("EditCorpo"));
    auto *campos = new QFormLayout;
    campos->addRow(QStringLiteral("&Para:"), EditPara);
    campos->addRow(QStringLiteral("&Assunto:"), EditAssunto);
    campos->addRow(QStringLiteral("&Mensagem:"), EditCorpo);

    auto *grupo = new QGroupBox(QStringLiteral("Anexos"), this);
    auto *anexos = new QVBoxLayout(grupo);
    for (const AnexoOpcional &a : m_pedido.anexos) {
        auto *c = new QCheckBox(a.rotulo, grupo);
        c->setChecked(a.marcado);
        anexos->addWidget(c);
        CheckAnexos << c;
    }

    LabelAviso = new QLabel(m_pedido.aviso, this);
    LabelAviso->setWordWrap(true);
    LabelAviso->setStyleSheet(QStringLiteral("color: maroon;"));
    LabelAviso->setVisible(!m_pedido.aviso.isEmpty());
    LabelSituacao = new QLabel(this);
    LabelSituacao->setObjectName(QStringLiteral("LabelSituacao"));
    LabelSituacao->setWordWrap(true);
    Progresso = new QProgressBar(this);
    Progresso->setRange(0, 100);
    Progresso->setValue(0);

    ListaEnvios = new QTableWidget(0, 4, this);
    ListaEnvios->setObjectName(QStringLiteral("ListaEnvios"));
    ListaEnvios->setHorizontalHeaderLabels(
        {QStringLiteral("Quando"), QStringLiteral("Para"), QStringLiteral("Anexos"), QStringLiteral("Resultado")});
    ListaEnvios->horizontalHeader()->setStretchLastSection(true);
    ListaEnvios->verticalHeader()->hide();
    ListaEnvios->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListaEnvios->setSelectionBehavior(QAbstractItemView::SelectRows);

    BotEnviar = new QPushButton(QStringLiteral("&Enviar"), this);
    BotEnviar->setObjectName(QStringLiteral("BotEnviar"));
    BotFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    connect(BotEnviar, &QPushButton::clicked, this, [this] { ErrorReporter::guard([this] { BotEnviarClick(); }); });
    connect(BotFechar, &QPushButton::clicked, this, &EnvioEmailDialog::reject);
    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(BotEnviar);
    botoes->addWidget(BotFechar);

    auto *tudo = new QVBoxLayout(this);
    tudo->addLayout(campos, 3);
    tudo->addWidget(grupo);
    tudo->addWidget(LabelAviso);
    tudo->addWidget(Progresso);
    tudo->addWidget(LabelSituacao);
    tudo->addWidget(new QLabel(QStringLiteral("Envios anteriores deste convênio:"), this));
    tudo->addWidget(ListaEnvios, 2);
    tudo->addLayout(botoes);
}

void EnvioEmailDialog::mostraEnvios()
{
    if (!ConfiguracoesDados::disponivel(m_central)) {
        LabelSituacao->setText(ConfiguracoesDados::mensagemSemTabelas());
        return;
    }
    const QList<Envios::Envio> envios = Envios::lista(m_central, m_pedido.convenio);
    ListaEnvios->setRowCount(int(envios.size()));
    for (int r = 0; r < envios.size(); ++r) {
        const Envios::Envio &e = envios[r];
        const QStringList celulas{e.dataHora.toString(QStringLiteral("dd/MM/yy HH:mm")), e.destinatarios, e.anexos,
                                  e.enviado ? QStringLiteral("Enviado") : QStringLiteral("Falhou: ") + e.erro};
        for (int c = 0; c < celulas.size(); ++c) {
            auto *item = new QTableWidgetItem(celulas[c]);
            item->setToolTip(celulas[c]);
            ListaEnvios->setItem(r, c, item);
        }
    }
    ListaEnvios->resizeColumnsToContents();
}

void EnvioEmailDialog::BotEnviarClick()
{
    if (m_thread)
        return;
    if (!ConfiguracoesDados::disponivel(m_central)) {
        Messages::show(ConfiguracoesDados::mensagemSemTabelas());
        return;
    }
    const ServidorEmail servidor = ConfiguracoesDados::le(m_central).email;
    if (const QString falta = servidor.falta(); !falta.isEmpty()) {
        Messages::show(falta + QStringLiteral(" Um supervisor o configura em \"Configurações de faturamento\"."));
        return;
    }
    Mensagem m;
    m.remetente = servidor.remetente;
    m.nomeRemetente = servidor.nomeRemetente;
    m.destinatarios = Smtp::enderecos(EditPara->text());
    m.assunto = EditAssunto->text().trimmed();
    m.corpo = EditCorpo->toPlainText();
    if (m.destinatarios.isEmpty()) {
        Messages::show(QStringLiteral("Informe o e-mail do destinatário."));
        return;
    }
    for (const QString &d : m.destinatarios)
        if (!Smtp::enderecoValido(d)) {
            Messages::show(QStringLiteral("O endereço \"%1\" não é um e-mail válido.").arg(d));
            return;
        }
    LabelSituacao->setText(QStringLiteral("Preparando os anexos..."));
    for (int i = 0; i < m_pedido.anexos.size(); ++i) {
        if (!CheckAnexos[i]->isChecked())
            continue;
        const AnexoOpcional &a = m_pedido.anexos[i];
        try {
            m.anexos << Anexo{a.nome, Mime::tipoDe(a.nome), a.gera()};
        } catch (const std::exception &e) {
            LabelSituacao->clear();
            Messages::show(QStringLiteral("Não foi possível preparar o anexo \"%1\": %2").arg(a.rotulo, QString::fromUtf8(e.what())));
            return;
        }
    }

    BotEnviar->setEnabled(false);
    Progresso->setValue(0);
    LabelSituacao->setText(QStringLiteral("Enviando para %1...").arg(m.destinatarios.join(QStringLiteral(", "))));
    auto resultado = std::make_shared<ResultadoEnvio>();
    m_thread = QThread::create([this, servidor, m, resultado] {
        *resultado = Smtp::envia(servidor, m, [this](qint64 enviados, qint64 total) {
            const int pct = int(enviados * 100 / std::max<qint64>(total, 1));
            QMetaObject::invokeMethod(Progresso, [this, pct] { Progresso->setValue(pct); }, Qt::QueuedConnection);
        });
    });
    connect(m_thread, &QThread::finished, this, [this, resultado, m] {
        m_thread->deleteLater();
        m_thread = nullptr;
        ErrorReporter::guard([&] { conclui(*resultado, m); });
    });
    m_thread->start();
}

void EnvioEmailDialog::registra(const ResultadoEnvio &r, const Mensagem &m)
{
    Envios::Envio e;
    e.usuario = m_pedido.usuario;
    e.estacao = m_pedido.estacao;
    e.convenio = m_pedido.convenio;
    e.destinatarios = m.destinatarios.join(QStringLiteral(", "));
    e.assunto = m.assunto;
    QStringList nomes;
    for (const Anexo &a : m.anexos)
        nomes << a.nome;
    e.anexos = nomes.join(QStringLiteral(", "));
    e.enviado = r.ok();
    e.erro = r.ok() ? QString() : r.erro + QLatin1Char(' ') + r.detalhe;
    Envios::registra(m_central, e);
}

void EnvioEmailDialog::conclui(const ResultadoEnvio &r, const Mensagem &m)
{
    BotEnviar->setEnabled(true);
    QString naoRegistrado;
    try {
        registra(r, m);
    } catch (const DatabaseError &e) {
        naoRegistrado = QStringLiteral(" O envio não pôde ser registrado: ") + e.message();
    }
    mostraEnvios();
    if (r.ok()) {
        Progresso->setValue(100);
        LabelSituacao->setText(QStringLiteral("E-mail enviado para %1.").arg(m.destinatarios.join(QStringLiteral(", "))) +
                               naoRegistrado);
    } else {
        LabelSituacao->setText(r.erro + QStringLiteral(" (") + r.detalhe + QLatin1Char(')') + naoRegistrado);
        Messages::show(r.erro + QStringLiteral("\n\n") + r.detalhe + naoRegistrado);
    }
    emit terminou(r.ok());
}

void EnvioEmailDialog::closeEvent(QCloseEvent *e)
{
    if (m_thread) {
        LabelSituacao->setText(QStringLiteral("Aguarde o fim do envio."));
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void EnvioEmailDialog::reject()
{
    if (m_thread) {
        LabelSituacao->setText(QStringLiteral("Aguarde o fim do envio."));
        return;
    }
    QDialog::reject();
}
