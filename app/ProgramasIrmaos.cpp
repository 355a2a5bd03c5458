#include "app/ProgramasIrmaos.h"

#include "platform/Messages.h"
#include "platform/ProcessStart.h"

#include <QFileInfo>

namespace ProgramasIrmaos {

QString linhaRebatex(const QString &pastaPrograma, const QString &convenio)
{
    return (pastaPrograma + QStringLiteral("Rebatex.exe ") + convenio).left(255);
}

void abreRebatex(const QString &pastaPrograma, const QString &convenio)
{
    if (!QFileInfo::exists(pastaPrograma + QStringLiteral("Rebatex.exe"))) {
        Messages::show(QStringLiteral("Atenção: \"Rebatex.exe\" não encontrado, favor entrar em contato com a QUB Sistemas"));
        return;
    }
    ProcessStart::start(linhaRebatex(pastaPrograma, convenio));
}

}
