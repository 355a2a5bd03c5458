#include "app/Application.h"

#include "platform/ErrorReporter.h"
#include "platform/QtTranslations.h"

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Cadastro de Convênios"));
    QtTranslations::install();
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const SilentAbort &) {
        return false;
    } catch (...) {
        ErrorReporter::report(Failure::messageOf(std::current_exception()));
        return false;
    }
}
