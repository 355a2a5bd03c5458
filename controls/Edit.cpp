#include "controls/Edit.h"

#include <QFocusEvent>

bool FocusTracker::enters(const QFocusEvent *)
{
    if (m_inside)
        return false;   // the window came back to the control the user was in
    m_inside = true;
    return true;
}

bool FocusTracker::leaves(const QFocusEvent *e)
{
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason)
        return false;
    if (!m_inside)
        return false;
    m_inside = false;
    return true;
}

// ---------------------------------------------------------------------------------------------

Edit::Edit(QWidget *parent) : QLineEdit(parent) {}

void Edit::takeFocus()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void Edit::focusInEvent(QFocusEvent *e)
{
    // Qt's own handling selects only on Tab and never in a masked box; it runs first, then the
    // whole text is selected over whatever cursor it placed.
    QLineEdit::focusInEvent(e);
    if (!m_focus.enters(e))
        return;
    if (e->reason() != Qt::MouseFocusReason)
        selectAll();
    emit entered();
}

void Edit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    if (m_focus.leaves(e))
        emit exited();
}
