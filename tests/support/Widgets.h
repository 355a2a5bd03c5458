#pragma once
#include <QApplication>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <QtTest>

// How the tests reach a window's widgets: by type and objectName (the name the suite and the
// tests know it by, where it has one). A missing widget fails the test there, saying what was looked
// for and where; the caller then leaves the test function ("if (!w) return;").
template <class T>
T *widget(const QObject *parent, const QString &name = {}, const char *file = __builtin_FILE(), int line = __builtin_LINE())
{
    T *found = parent ? parent->findChild<T *>(name) : nullptr;
    if (!found) {
        const QString where = parent ? QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(parent->metaObject()->className()),
                                                                       parent->objectName())
                                     : QStringLiteral("no window");
        const QString what = name.isEmpty() ? QStringLiteral("any") : QStringLiteral("\"%1\"").arg(name);
        QTest::qFail(qPrintable(QStringLiteral("no %1 named %2 in %3")
                                    .arg(QString::fromLatin1(T::staticMetaObject.className()), what, where)),
                     file, line);
    }
    return found;
}

// The application's modal window when it is a T, or null (a modal loop's window while it waits).
template <class T>
T *modal()
{
    return qobject_cast<T *>(QApplication::activeModalWidget());
}

// Calls `act` with the modal window of type T as soon as it shows (whatever loop shows it); the
// watch belongs to `owner`.
template <class T>
void onceShown(QObject *owner, const std::function<void(T *)> &act)
{
    auto *timer = new QTimer(owner);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, owner, [timer, act] {
        if (auto *w = modal<T>()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}
