#pragma once
#include <QObject>

class QWidget;

// Enter in a field moves the focus to the next control in tab order, as the suite's windows do:
// installed as an event filter on a control, it swallows Enter and steps the focus on.
class EnterMovesOn : public QObject {
    Q_OBJECT
public:
    explicit EnterMovesOn(QObject *parent = nullptr) : QObject(parent) {}
    void install(QWidget *control);

    // The next control of `from`'s window in tab order that can take the focus; nullptr if none.
    static QWidget *nextControl(QWidget *from);
    // Gives that control the focus; false when there is none.
    static bool moveOn(QWidget *from);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
