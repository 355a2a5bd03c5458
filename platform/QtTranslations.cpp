#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace QtTranslations {

bool install()
{
    static QTranslator *installed = nullptr;
    if (installed)
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    // Qt's own folder, or beside the program where a Windows installation puts them.
    const auto carrega = [translator](const QString &pasta) { return translator->load(QStringLiteral("qtbase_pt_BR"), pasta); };
    if (!(carrega(QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
          carrega(QCoreApplication::applicationDirPath() + QStringLiteral("/translations"))) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

}
