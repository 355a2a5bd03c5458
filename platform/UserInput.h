#pragma once
#include <QEvent>

// A key, a shortcut, a click or the wheel: what a person does, which a window that takes the
// program's input for a while (a wait) keeps from the others.
inline bool isUserInput(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}
