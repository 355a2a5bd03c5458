#pragma once
#include "session/Sessao.h"
#include "app/ProgramEntry.h"
#include "platform/Messages.h"
#include "tests/support/TestSuite.h"

#include <memory>

// What a test of the whole program holds: a fresh suite with the small register, the messages the
// program shows, and the program once a test starts it. The program goes before the suite it uses.
struct ProgramFixture {
    std::unique_ptr<TestSuite> suite;
    std::unique_ptr<Messages::Recorder> messages;
    std::unique_ptr<Program> program;

    void setUpProgram()
    {
        suite = std::make_unique<TestSuite>();
        suite->seedRegister();
        messages = std::make_unique<Messages::Recorder>();
    }

    void tearDownProgram()
    {
        program.reset();
        messages.reset();
        suite.reset();
    }
};
