#include "controls/DBNavigator.h"

#include "platform/ErrorReporter.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QStyle>

DBNavigator::DBNavigator(CachedTable *table, QWidget *parent) : QWidget(parent), m_table(table)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    struct Def {
        const char *name;
        QString glyph;
        const char *hint;
    };
    const Def defs[ButtonCount] = {
        {"First", QStringLiteral("|\u25C0"), "Primeiro"}, {"Prior", QStringLiteral("\u25C0"), "Anterior"},
        {"Next", QStringLiteral("\u25B6"), "Próximo"},    {"Last", QStringLiteral("\u25B6|"), "Último"},
        {"Insert", QStringLiteral("+"), "Incluir"},       {"Delete", QStringLiteral("\u2212"), "Excluir"},
        {"Edit", QStringLiteral("\u25B2"), "Alterar"},    {"Post", QStringLiteral("\u2713"), "Gravar"},
        {"Cancel", QStringLiteral("\u2717"), "Cancelar"},
    };
    for (int i = 0; i < ButtonCount; ++i) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(defs[i].name));
        b->setText(defs[i].glyph);
        b->setToolTip(QString::fromUtf8(defs[i].hint));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(b);
        m_buttons[i] = b;
        connect(b, &QToolButton::clicked, this, [this, i] { click(Button(i)); });
    }
    connect(table, &CachedTable::stateChanged, this, &DBNavigator::updateButtons);
    connect(table, &CachedTable::currentChanged, this, &DBNavigator::updateButtons);
    connect(table, &QAbstractItemModel::modelReset, this, &DBNavigator::updateButtons);
    updateButtons();
}

void DBNavigator::click(Button b)
{
    ErrorReporter::guard([&] {
        switch (b) {
        case First: m_table->first(); break;
        case Prior: m_table->prior(); break;
        case Next: m_table->next(); break;
        case Last: m_table->last(); break;
        case Insert: m_table->insert(); break;
        case Delete:
            if (perguntaExclusao ? Messages::confirmDelete(perguntaExclusao()) : Messages::confirmDelete())
                m_table->remove();
            break;
        case Edit: m_table->edit(); break;
        case Post: m_table->post(); break;
        case Cancel: m_table->cancel(); break;
        default: break;
        }
    });
    updateButtons();
}

void DBNavigator::updateButtons()
{
    const bool open = m_table->isOpen();
    const bool editing = m_table->state() == CachedTable::State::Edit || m_table->state() == CachedTable::State::Insert;
    const bool hasRows = open && !m_table->isEmpty();
    const bool atFirst = m_table->recNo() <= 0;
    const bool atLast = m_table->recNo() >= m_table->recordCount() - 1;
    m_buttons[First]->setEnabled(hasRows && !atFirst);
    m_buttons[Prior]->setEnabled(hasRows && !atFirst);
    m_buttons[Next]->setEnabled(hasRows && !atLast);
    m_buttons[Last]->setEnabled(hasRows && !atLast);
    m_buttons[Insert]->setEnabled(open);
    m_buttons[Delete]->setEnabled(hasRows);
    m_buttons[Edit]->setEnabled(hasRows && !editing);
    m_buttons[Post]->setEnabled(editing);
    m_buttons[Cancel]->setEnabled(editing);
}
