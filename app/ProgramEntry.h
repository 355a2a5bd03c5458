#pragma once
#include "session/Sessao.h"

#include <QStringList>
#include <functional>
#include <memory>

class QLockFile;

class CentralData;
class InterfaceData;
class FormConvenios;

// The program's windows and modules, created in the suite's order: the main window (which loads
// the configuration), the central data module, the interface data module.
class Program {
public:
    Program();
    ~Program();
    // False when the program must end (code 0) before its window shows: PRAXOLIN.INI is missing, or
    // the module is already open on this computer's local database. The message was shown.
    bool create(const QStringList &args);
    // False when the user gave up reaching the database server (or a signal came meanwhile): the
    // window closed and the program is to end.
    bool show();
    // The session ends the program (a signal): it closes as its close box closes it.
    void endBySignal();

    Sessao sessao;
    std::unique_ptr<FormConvenios> form;
    std::unique_ptr<CentralData> dm;
    std::unique_ptr<InterfaceData> dm2;

private:
    bool firstOnThisComputer();
    std::unique_ptr<QLockFile> m_instance;
};

// The module's own arguments as they were given: the toolkit sees none of them, so none is taken
// for one of its options ("-reverse", "-style x").
QStringList moduleArguments(int argc, char **argv);

// The program entry: creates everything, runs the message loop, returns the exit code. A scripted
// session (a test playing the user) runs once the window shows.
int runProgram(int argc, char **argv, const std::function<void(Program &)> &session = {});
