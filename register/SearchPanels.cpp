#include "register/SearchPanels.h"

#include "controls/DBGrid.h"
#include "data/CentralData.h"
#include "platform/ErrorReporter.h"
#include "register/EnterKey.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalBlocker>

namespace {

QLabel *titleBar(const QString &caption, QWidget *parent)
{
    auto *t = new QLabel(caption, parent);
    t->setAlignment(Qt::AlignCenter);
    t->setAutoFillBackground(true);
    QPalette p = t->palette();
    p.setColor(QPalette::Window, QColor(0, 0, 128));
    p.setColor(QPalette::WindowText, Qt::white);
    t->setPalette(p);
    QFont f = t->font();
    f.setBold(true);
    t->setFont(f);
    return t;
}

void raisedPanel(QFrame *panel)
{
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
}

} // namespace

// ---------------------------------------------------------------------------------------------

SearchNamePanel::SearchNamePanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PainelPesqNomeConv"));
    raisedPanel(this);
    Panel13 = titleBar(QStringLiteral("Pesquisa"), this);
    Label401 = new QLabel(QStringLiteral("Digite o nome do convênio"), this);
    EditPesqConv = new Edit(this);
    EditPesqConv->setObjectName(QStringLiteral("EditPesqConv"));
    BotPesqConvi = new QPushButton(QStringLiteral("&Localizar"), this);
    BotPesqConvi->setObjectName(QStringLiteral("BotPesqConvi"));
    BotPesqConvi->setAutoDefault(true);   // Enter on the focused button presses it
    BotCancPesqConv = new QPushButton(QStringLiteral("Cancelar"), this);
    BotCancPesqConv->setObjectName(QStringLiteral("BotCancPesqConv"));
    BotCancPesqConv->setAutoDefault(true);
    setTabOrder(EditPesqConv, BotPesqConvi);
    setTabOrder(BotPesqConvi, BotCancPesqConv);
    hide();
}

// Esc, wherever the focus is in the panel, is "Cancelar".
void SearchNamePanel::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        BotCancPesqConv->click();
        return;
    }
    QFrame::keyPressEvent(e);
}

SearchNamePanel::~SearchNamePanel() { emit beingDestroyed(); }

void SearchNamePanel::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    const int w = width();
    Panel13->setGeometry(3, 3, w - 6, 20);
    Label401->setGeometry(16, 34, w - 32, 16);
    EditPesqConv->setGeometry(16, 52, w - 32, 21);
    BotPesqConvi->setGeometry(w - 16 - 100, height() - 12 - 30, 100, 30);
    BotCancPesqConv->setGeometry(w - 16 - 100 - 8 - 100, height() - 12 - 30, 100, 30);
}

// ---------------------------------------------------------------------------------------------

const QString SearchListPanel::NenhumEncontrado = QStringLiteral("Nenhum convênio encontrado");

const QString SearchListPanel::Instrucao =
    QStringLiteral("Tecle") + QString(16, QLatin1Char(' ')) + QStringLiteral("para confirmar ou") +
    QString(16, QLatin1Char(' ')) + QStringLiteral("para cancelar.");

SearchListPanel::SearchListPanel(CentralData &dm, QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PainelPesqConv"));
    raisedPanel(this);
    Panel89 = titleBar(QStringLiteral("Relação de Convênios"), this);
    LabelFiltro = new QLabel(QStringLiteral("Filtrar:"), this);
    EditFiltroConv = new Edit(this);
    EditFiltroConv->setObjectName(QStringLiteral("EditFiltroConv"));
    EditFiltroConv->setClearButtonEnabled(true);
    EditFiltroConv->setPlaceholderText(QStringLiteral("parte do nome, código ou referência"));
    LabelNenhum = new QLabel(NenhumEncontrado, this);
    LabelNenhum->setStyleSheet(QStringLiteral("color: maroon;"));
    LabelNenhum->hide();
    GradePesqConvenio = new DBGrid(&dm.Convenios, this);
    GradePesqConvenio->setObjectName(QStringLiteral("GradePesqConvenio"));
    GradePesqConvenio->setColumns({{QStringLiteral("CONVENIO"), QStringLiteral("Descrição"), 327},
                                   {QStringLiteral("CONTATO"), QStringLiteral("CONTATO"), 0},
                                   {QStringLiteral("REFERENCIA"), QStringLiteral("Referência"), 64},
                                   {QStringLiteral("ROTA"), QStringLiteral("ROTA"), 64},
                                   // the filter also finds a convênio by its code: the list shows it
                                   {QStringLiteral("CODIGOCONVENIO"), QStringLiteral("Código"), 64}});
    GradePesqConvenio->setCtrlDeleteAllowed(true);
    Label403 = new QLabel(Instrucao, this);
    BotEnterPesqConv = new QPushButton(QStringLiteral("Enter"), this);
    BotEscPesqConv = new QPushButton(QStringLiteral("Esc"), this);
    for (QPushButton *b : {BotEnterPesqConv, BotEscPesqConv}) {
        b->setAutoDefault(true);
        QFont f = b->font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        b->setFont(f);
    }
    hide();
}

void SearchListPanel::resizeEvent(QResizeEvent *e)
{
    QFrame::resizeEvent(e);
    const int w = width(), h = height();
    Panel89->setGeometry(3, 3, w - 6, 20);
    LabelFiltro->setGeometry(8, 30, 50, 22);
    EditFiltroConv->setGeometry(60, 30, 327, 22);
    LabelNenhum->setGeometry(397, 30, w - 405, 22);
    GradePesqConvenio->setGeometry(8, 56, w - 16, h - 56 - 36);
    const QFontMetrics fm = Label403->fontMetrics();
    const int lineTop = h - 28;
    Label403->setGeometry(12, lineTop, fm.horizontalAdvance(Instrucao) + 4, 20);
    // The two buttons cover the gaps of sixteen blanks, so the line reads as an instruction.
    const int blank = fm.horizontalAdvance(QLatin1Char(' '));
    const int gap = fm.horizontalAdvance(QString(16, QLatin1Char(' ')));
    const int gap1 = 12 + fm.horizontalAdvance(QStringLiteral("Tecle"));
    const int gap2 = 12 + fm.horizontalAdvance(QStringLiteral("Tecle") + QString(16, QLatin1Char(' ')) +
                                               QStringLiteral("para confirmar ou"));
    BotEnterPesqConv->setGeometry(gap1 + blank, lineTop, gap - 2 * blank, 20);
    BotEscPesqConv->setGeometry(gap2 + blank, lineTop, gap - 2 * blank, 20);
}

// ---------------------------------------------------------------------------------------------

const QRect ConvenioSearch::PlacementFromRegister(108, 147, 336, 134);
const QRect ConvenioSearch::PlacementFromButtonBar(211, 89, 345, 145);
const QRect ConvenioSearch::PlacementOfList(8, 5, 769, 452);

ConvenioSearch::ConvenioSearch(CentralData &dm, QWidget *painelConvenios, QObject *parent)
    : QObject(parent), m_dm(dm), m_enter(new EnterMovesOn(this))
{
    PainelPesqNomeConv = new SearchNamePanel(painelConvenios);
    PainelPesqConv = new SearchListPanel(dm, painelConvenios);

    QLineEdit *edit = PainelPesqNomeConv->EditPesqConv;
    m_editNome = edit;
    m_grade = PainelPesqConv->GradePesqConvenio;
    m_filtro = PainelPesqConv->EditFiltroConv;
    m_enter->install(edit);
    edit->installEventFilter(this);
    m_grade->installEventFilter(this);
    m_filtro->installEventFilter(this);
    connect(PainelPesqConv->EditFiltroConv, &QLineEdit::textChanged, this,
            [this] { ErrorReporter::guard([this] { EditFiltroConvChange(); }); });
    // Rows read again, added or deleted (Ctrl+Delete in the list): the filter looks at them afresh.
    CachedTable *tabela = &dm.Convenios;
    auto releFiltro = [this] {
        m_filter.invalidate();
        if (PainelPesqConv->isVisible() && !PainelPesqConv->EditFiltroConv->text().isEmpty())
            EditFiltroConvChange();
    };
    connect(tabela, &QAbstractItemModel::modelReset, this, releFiltro);
    connect(tabela, &QAbstractItemModel::rowsInserted, this, releFiltro);
    connect(tabela, &QAbstractItemModel::rowsRemoved, this, releFiltro);
    // The box loses its focus when the panel is destroyed, after the panel has ended: that is no
    // leaving of the box, so the filter goes first.
    connect(PainelPesqNomeConv, &SearchNamePanel::beingDestroyed, this, [this, edit] { edit->removeEventFilter(this); });

    connect(PainelPesqNomeConv->BotPesqConvi, &QPushButton::clicked, this, &ConvenioSearch::BotPesqConviClick);
    connect(PainelPesqNomeConv->BotCancPesqConv, &QPushButton::clicked, this, &ConvenioSearch::BotCancPesqConvClick);
    connect(PainelPesqConv->BotEnterPesqConv, &QPushButton::clicked, this, &ConvenioSearch::BotEnterPesqConvClick);
    connect(PainelPesqConv->BotEscPesqConv, &QPushButton::clicked, this, &ConvenioSearch::BotEscPesqConvClick);
}

void ConvenioSearch::BotPesqConvenioClick()
{
    ErrorReporter::guard([this] { inicia(PlacementFromRegister); });
}

void ConvenioSearch::act_PesquisarExecute()
{
    ErrorReporter::guard([this] { inicia(PlacementFromButtonBar); });
}

void ConvenioSearch::inicia(const QRect &placement)
{
    NomeAntesPesquisa = m_dm.Convenios.text(QStringLiteral("CONVENIO")).left(100);
    emit desabilitaBotoes();
    PainelPesqNomeConv->setGeometry(placement);
    PainelPesqNomeConv->show();
    PainelPesqNomeConv->raise();
    PainelPesqNomeConv->EditPesqConv->setFocus(Qt::OtherFocusReason);
}

void ConvenioSearch::EditPesqConvExit()
{
    // Leaving the name box goes to "&Localizar", unless the user went to "Cancelar".
    QPushButton *cancela = PainelPesqNomeConv->BotCancPesqConv;
    if (PainelPesqNomeConv->isVisible() && !cancela->hasFocus() && !cancela->underMouse())
        PainelPesqNomeConv->BotPesqConvi->setFocus(Qt::OtherFocusReason);
}

void ConvenioSearch::BotCancPesqConvClick()
{
    if (!PainelPesqNomeConv->isVisible())
        return;
    PainelPesqNomeConv->hide();
    emit habilitaBotoes();
}

void ConvenioSearch::BotPesqConviClick()
{
    ErrorReporter::guard([this] {
        CachedTable &c = m_dm.Convenios;
        const QString nome = PainelPesqNomeConv->EditPesqConv->text();
        // Both lookups first end an insert or edit under way; a post that fails stops here.
        if (c.locate(nome)) {
            PainelPesqNomeConv->hide();
            emit habilitaBotoes();
            return;
        }
        c.locateNearest(nome);
        abreLista();
    });
}

void ConvenioSearch::abreLista()
{
    // The list opens on the nearest name, narrowed by the text typed in the name panel when some
    // convênio holds it (the nearest name stays chosen while it is listed); otherwise unfiltered.
    m_filter.invalidate();
    QLineEdit *filtro = PainelPesqConv->EditFiltroConv;
    {
        const QSignalBlocker calado(filtro);
        filtro->setText(PainelPesqNomeConv->EditPesqConv->text());
    }
    EditFiltroConvChange();
    if (!algumVisivel())
        filtro->clear();   // its change lists every convênio again
    PainelPesqConv->setGeometry(PlacementOfList);
    PainelPesqConv->show();
    PainelPesqConv->raise();
    PainelPesqNomeConv->hide();
    PainelPesqConv->GradePesqConvenio->setFocus(Qt::OtherFocusReason);
}

void ConvenioSearch::EditFiltroConvChange()
{
    CachedTable &c = m_dm.Convenios;
    DBGrid *grade = PainelPesqConv->GradePesqConvenio;
    if (!m_filter.isIndexed())
        m_filter.index(c);
    const QVector<bool> mostra = m_filter.matches(PainelPesqConv->EditFiltroConv->text());
    // Only the rows whose state changes are touched: a keystroke usually hides or shows a few.
    int primeiro = -1;
    for (int r = 0; r < mostra.size() && r < c.recordCount(); ++r) {
        if (grade->isRowHidden(r) == mostra[r])
            grade->setRowHidden(r, !mostra[r]);
        if (mostra[r] && primeiro < 0)
            primeiro = r;
    }
    PainelPesqConv->LabelNenhum->setVisible(primeiro < 0);
    // The current convênio stays while it is listed; otherwise the first one listed is chosen.
    if (primeiro >= 0 && (c.recNo() < 0 || c.recNo() >= mostra.size() || !mostra[c.recNo()]))
        c.moveTo(primeiro);
}

bool ConvenioSearch::algumVisivel() const { return PainelPesqConv->LabelNenhum->isHidden(); }

void ConvenioSearch::fechaLista()
{
    PainelPesqConv->hide();
    emit habilitaBotoes();
}

bool ConvenioSearch::GradePesqConvenioKeyPress(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (algumVisivel())
            fechaLista();   // the register stays on the convênio chosen in the list
        return true;
    case Qt::Key_Escape:
        ErrorReporter::guard([this] {
            // Back to the convênio of before the search; when it is gone, the list stays open.
            if (m_dm.Convenios.locate(NomeAntesPesquisa))
                fechaLista();
        });
        return true;
    default:
        return false;
    }
}

// The two buttons close the list where it stands: unlike the Esc key, "Esc" keeps the chosen convênio.
void ConvenioSearch::BotEnterPesqConvClick() { fechaLista(); }

void ConvenioSearch::BotEscPesqConvClick() { fechaLista(); }

// In the filter box, Enter and Esc act as in the list, and the arrow and page keys move the list.
bool ConvenioSearch::EditFiltroConvKeyPress(QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return GradePesqConvenioKeyPress(key->key());
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        QKeyEvent copia(key->type(), key->key(), key->modifiers(), key->text());
        QCoreApplication::sendEvent(PainelPesqConv->GradePesqConvenio, &copia);
        return true;
    }
    default:
        return false;
    }
}

bool ConvenioSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filtro && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && EditFiltroConvKeyPress(key))
            return true;
    } else if (watched == m_grade && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && GradePesqConvenioKeyPress(key->key()))
            return true;
        // Letters typed in the list go to the filter box, which narrows the list as they come.
        const QString texto = key->text();
        if (!texto.isEmpty() && texto.at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            QLineEdit *filtro = PainelPesqConv->EditFiltroConv;
            filtro->setFocus(Qt::OtherFocusReason);
            filtro->insert(texto);
            return true;
        }
    } else if (watched == m_editNome && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            EditPesqConvExit();
    }
    return QObject::eventFilter(watched, event);
}
