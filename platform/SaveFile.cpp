#include "platform/SaveFile.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace SaveFile {

namespace {
Chooser &chooser()
{
    static Chooser f;
    return f;
}
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QDir().mkpath(documents))
        return QDir::homePath();
    return documents;
}

QString ask(QWidget *parent, const QString &title, const QString &name, const QString &filters, QString *chosenFilter)
{
    const QString proposed = QDir(documentsFolder()).filePath(name);
    if (chooser())
        return chooser()(proposed, filters, chosenFilter);
    return QFileDialog::getSaveFileName(parent, title, proposed, filters, chosenFilter);
}

QString savedMessage(const QString &path)
{
    return QStringLiteral("Arquivo salvo em %1.").arg(QDir::toNativeSeparators(path));
}

void setChooser(const Chooser &f) { chooser() = f; }

}
