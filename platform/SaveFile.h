#pragma once
#include <QString>
#include <functional>

class QWidget;

// Where the user saves a document: a save dialog that proposes the file's name in the user's
// documents folder, and the message that says where it went.
namespace SaveFile {

// The user's documents folder (made when missing), or the home folder when the system has none.
QString documentsFolder();

// Asks where to save, proposing `name` in the documents folder. `filters` as QFileDialog takes
// them; `chosenFilter`, when given, holds the filter proposed and receives the one chosen. Empty
// when cancelled.
QString ask(QWidget *parent, const QString &title, const QString &name, const QString &filters,
            QString *chosenFilter = nullptr);

// "Arquivo salvo em <path>."
QString savedMessage(const QString &path);

// Test support: the dialog replaced by a function that gets the proposed path and answers.
using Chooser = std::function<QString(const QString &proposedPath, const QString &filters, QString *chosenFilter)>;
void setChooser(const Chooser &chooser);

}
