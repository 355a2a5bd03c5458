#pragma once
#include <QApplication>

// The program's application object: a failure that escapes an event handler is reported to the
// user and logged, and the program goes on.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
