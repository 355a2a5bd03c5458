#pragma once
#include <QString>
#include <QStringList>
#include <functional>

// Every message box of the program goes through here, so tests can read the messages and answer
// them without a person.
namespace Messages {

// Modal message box with an OK button; Enter closes it.
void show(const QString &text);

// The standard delete confirmation: true when the user answers OK.
bool confirmDelete(const QString &text = QStringLiteral("Excluir o registro?"));

// A message with OK (Enter, Esc) and a second button: true when the second was pressed.
bool showWithOption(const QString &text, const QString &option);

// A question with two answers: Enter gives the first (`sim`), Esc the second; true for the first.
bool confirm(const QString &text, const QString &sim = QStringLiteral("Confirmar"),
             const QString &nao = QStringLiteral("Cancelar"));

// Test support: while an interceptor is set, no box is shown; the interceptor receives the text
// (and, for confirmations, returns the answer).
struct Interceptor {
    std::function<void(const QString &)> onMessage;
    std::function<bool(const QString &)> onConfirm;
    std::function<bool(const QString &)> onOption;   // the answer of showWithOption (the text was a message)
};
void setInterceptor(const Interceptor &interceptor);
void clearInterceptor();

// Convenience for tests: records every message and answers confirmations with `answer`.
class Recorder {
public:
    explicit Recorder(bool answer = true);
    ~Recorder();
    QStringList messages;
    QStringList confirmations;
    bool answer;
    bool option = false;   // showWithOption's answer
};

}
