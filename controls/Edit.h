#pragma once
#include <QLineEdit>

class QFocusEvent;

// Tells the user's moves into and out of a control from focus changes that only reflect another
// window or a popup taking the focus for a while.
class FocusTracker {
public:
    bool enters(const QFocusEvent *e);   // true when this focus-in is the user entering
    bool leaves(const QFocusEvent *e);   // true when this focus-out is the user leaving
    bool inside() const { return m_inside; }

private:
    bool m_inside = false;
};

// A single-line box that behaves like a Windows edit: entering it from the keyboard or by the
// program selects its whole text, so what is typed replaces it; a mouse click places the cursor,
// and coming back from another window or a popup leaves the cursor where it was.
//
// It signals entered() when the user moves into it and exited() when the user moves out of it.
class Edit : public QLineEdit {
    Q_OBJECT
public:
    explicit Edit(QWidget *parent = nullptr);

    // Gives the box the focus as the program does, its whole text selected, also when it had the
    // focus already (a message box closed over it, for instance).
    void takeFocus();

signals:
    void entered();
    void exited();

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    FocusTracker m_focus;
};
