#pragma once

#include "cli/CliOptions.h"

class ToolSession;
class WaveDoc;
class ConsoleUserInterface;

// One run of wavesmith-cli: start-up, the document, the first view update, one command,
// then the document's destruction — the same core objects the GUI uses.
class CliApp {
public:
    enum ExitCode { Success = 0, Refused = 1, UsageError = 2 };

    explicit CliApp(const CliOptions& options) : options_(options) {}

    int Run();

private:
    int RunCommand(ToolSession& session, ConsoleUserInterface& ui);
    int Paths(ToolSession& session);
    int Info(ToolSession& session);
    int Dump(ToolSession& session);
    int Length(ToolSession& session);
    int Segment(ToolSession& session);
    int Channel(ToolSession& session);
    int Open(ToolSession& session, ConsoleUserInterface& ui);
    int Save(ToolSession& session, ConsoleUserInterface& ui);
    int SaveAs(ToolSession& session, ConsoleUserInterface& ui);
    int Undo(ToolSession& session);
    int Export(ToolSession& session);
    int Eval(ToolSession& session);
    int Generate(ToolSession& session);
    int Edit(ToolSession& session);
    int Convert(ToolSession& session);
    int Download(ToolSession& session);

    bool NeedWords(std::size_t count) const;
    // After a command that changes the waveform: the current file holds it.

    const CliOptions& options_;
};
