#include "platform/UserName.h"

#ifdef Q_OS_WIN
#include <QtGlobal>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace UserName {

QString current()
{
    QString name;
#ifdef Q_OS_WIN
    name = qEnvironmentVariable("USERNAME");
#else
    if (const passwd *pw = getpwuid(geteuid()))
        name = QString::fromLocal8Bit(pw->pw_name);
    if (name.isEmpty())
        name = qEnvironmentVariable("USER");
#endif
    return name.left(50);
}

}
