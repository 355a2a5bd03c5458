#include "app/ProgramEntry.h"

#include "app/Application.h"
#include "app/Configuracao.h"
#include "app/FormConvenios.h"
#include "app/Globais.h"
#include "app/VerificaEsquema.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "platform/ErrorReporter.h"
#include "platform/SuitePaths.h"

Program::Program() = default;

Program::~Program()
{
    form.reset();
    dm2.reset();
    dm.reset();
}

bool Program::create(const QStringList &args)
{
    form = std::make_unique<FormConvenios>();
    if (!form->FormCreate())
        return false;
    dm = std::make_unique<CentralData>(Configuracao.IpServidorCentral);
    DM = dm.get();
    if (!dm->creationError().isEmpty())
        ErrorReporter::report(dm->creationError());
    form->attach(*dm);
    form->setCommandLine(args);
    dm2 = std::make_unique<InterfaceData>(Configuracao.IpServidorCentral, Globais::EstacaoAtual);
    DM2 = dm2.get();
    if (!dm2->creationError().isEmpty())
        ErrorReporter::report(dm2->creationError());
    return true;
}

void Program::show()
{
    form->show();
    // Showing opened the register; without that connection there is nothing to check.
    if (dm->SQLConnection1.isOpen())
        verificaEsquema(dm->SQLConnection1, SuitePaths::suiteRoot(), Configuracao.IpServidorCentral);
}

int runProgram(int argc, char **argv)
{
    Application app(argc, argv);
    Program program;
    if (!program.create(app.arguments().mid(1)))
        return 0;
    program.show();
    return app.exec();
}
