#pragma once
#include <QStringList>
#include <memory>

class CentralData;
class InterfaceData;
class FormConvenios;

// The program's windows and modules, created in the suite's order: the main window (which loads
// the configuration), the central data module, the interface data module.
class Program {
public:
    Program();
    ~Program();
    // False when PRAXOLIN.INI is missing: its message was shown and the program must end (code 0).
    bool create(const QStringList &args);
    void show();

    std::unique_ptr<FormConvenios> form;
    std::unique_ptr<CentralData> dm;
    std::unique_ptr<InterfaceData> dm2;
};

// The program entry: creates everything, runs the message loop, returns the exit code.
int runProgram(int argc, char **argv);
