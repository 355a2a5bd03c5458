#include "register/EnterKey.h"

#include <QKeyEvent>
#include <QWidget>

void EnterMovesOn::install(QWidget *control) { control->installEventFilter(this); }

QWidget *EnterMovesOn::nextControl(QWidget *from)
{
    QWidget *const window = from->window();
    for (QWidget *w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        if (w->window() == window && !w->focusProxy() && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
            return w;
    }
    return nullptr;
}

bool EnterMovesOn::moveOn(QWidget *from)
{
    QWidget *next = nextControl(from);
    if (!next)
        return false;
    next->setFocus(Qt::TabFocusReason);
    return true;
}

bool EnterMovesOn::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
            if (auto *w = qobject_cast<QWidget *>(watched))
                moveOn(w);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
