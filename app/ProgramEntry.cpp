#include "app/ProgramEntry.h"

#include "app/Application.h"
#include "session/Configuracao.h"
#include "app/FormConvenios.h"
#include "session/Sessao.h"
#include "app/VerificaEsquema.h"
#include "billing/window/FaturamentoQuitacao.h"
#include "data/CentralData.h"
#include "data/InterfaceData.h"
#include "data/EngineStop.h"
#include "platform/ErrorReporter.h"
#include "platform/Messages.h"
#include "platform/ShutdownSignals.h"
#include "platform/SuitePaths.h"
#include "settlement/windows/QuitacoesWindow.h"

#include <QLockFile>
#include <cstdio>
#include <cstdlib>
#include <QScopeGuard>

Program::Program() = default;

Program::~Program()
{
    form.reset();
    dm2.reset();
    dm.reset();
}

// The embedded engine opens the local database for one process only: a second instance would meet
// only the engine's lock errors, and its closing would delete the in-use marker and start Mirrorup
// under the first one. Over a server, several instances are the server's business.
bool Program::firstOnThisComputer()
{
    if (!sessao.configuracao.IpServidorCentral.trimmed().isEmpty())
        return true;
    m_instance = std::make_unique<QLockFile>(SuitePaths::suiteRoot() + QStringLiteral("/Convenios.lck"));
    // A folder where the lock cannot be written says nothing of other instances: the program goes on.
    if (m_instance->tryLock(0) || m_instance->error() != QLockFile::LockFailedError)
        return true;
    m_instance.reset();
    Messages::show(QStringLiteral("O Cadastro de Convênios já está aberto neste computador."));
    return false;
}

bool Program::create(const QStringList &args)
{
    QuitacoesWindow::enviaPorEmail = &FaturamentoQuitacao::enviaDaLista;
    QuitacoesWindow::salvaPlanilha = &FaturamentoQuitacao::salvaPlanilhaDaLista;
    form = std::make_unique<FormConvenios>(sessao);
    if (!form->FormCreate() || !firstOnThisComputer())
        return false;
    dm = std::make_unique<CentralData>(sessao.configuracao.IpServidorCentral);
    sessao.central = dm.get();
    if (!dm->creationError().isEmpty())
        ErrorReporter::report(dm->creationError());
    form->attach(*dm);
    form->setCommandLine(args);
    dm2 = std::make_unique<InterfaceData>(sessao.configuracao.IpServidorCentral, sessao.estacaoAtual);
    sessao.interfaceData = dm2.get();
    // Said once the command that found the link broken has ended, not in the middle of it.
    const auto avisa = [f = form.get()] { QMetaObject::invokeMethod(f, &FormConvenios::avisaReconexao, Qt::QueuedConnection); };
    for (Connection *c : {&dm->SQLConnection1, &dm2->SQLConnection1, &dm2->SQLConnection2})
        c->setReconnectedHandler(avisa);
    if (!dm2->creationError().isEmpty())
        ErrorReporter::report(dm2->creationError());
    return true;
}

bool Program::show()
{
    form->show();
    if (form->desistiu())
        return false;
    // Showing opened the register; without that connection there is nothing to check.
    if (dm->SQLConnection1.isOpen())
        verificaEsquema(dm->SQLConnection1, SuitePaths::suiteRoot(), sessao.configuracao.IpServidorCentral);
    return true;
}

void Program::endBySignal()
{
    if (form)
        form->encerraPorSinal();
}

QStringList moduleArguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

namespace {
// A server that never answered an attach is not waited for on the way out: the client library
// would wait for it while the process unloads it. What the program writes is written by now.
int endsNow(int code)
{
    if (!Connection::attachesLeftRunning())
        return code;
    std::fflush(nullptr);
    std::_Exit(code);
}
}

int runProgram(int argc, char **argv, const std::function<void(Program &)> &session)
{
    ShutdownSignals::install();
    ShutdownSignals::setInterruption(&stopAllDatabaseWork);
    const QStringList args = moduleArguments(argc, argv);
    int toolkitArgc = 1;
    Application app(toolkitArgc, argv);
    Program program;
    ShutdownSignals::setCloser([&program] { program.endBySignal(); });
    const auto forget = qScopeGuard([] { ShutdownSignals::setCloser(nullptr); });
    if (!program.create(args))
        return 0;
    if (!program.show())
        return endsNow(0);
    if (session)
        QMetaObject::invokeMethod(&app, [&] { session(program); }, Qt::QueuedConnection);
    return endsNow(app.exec());
}
