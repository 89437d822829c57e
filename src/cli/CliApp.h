#pragma once

#include "cli/CliOptions.h"

struct CliCommand;
class CliPulseCommands;
class DocumentMode;
class ToolSession;
class WaveDoc;
class ConsoleUserInterface;

// One run of wavesmith-cli: start-up, the document, the first view update, one command,
// then the document's destruction — the same core objects the GUI uses. --help, --version
// and --help-man are answered without a start-up.
class CliApp {
public:
    enum ExitCode { Success = 0, Refused = 1, UsageError = 2 };

    explicit CliApp(const CliOptions& options) : options_(options) {}

    int Run();

    // The commands, as the command table names them; each runs after the start-up.
    int Paths(ToolSession& session, ConsoleUserInterface& ui);
    int Info(ToolSession& session, ConsoleUserInterface& ui);
    int Dump(ToolSession& session, ConsoleUserInterface& ui);
    int New(ToolSession& session, ConsoleUserInterface& ui);
    int Length(ToolSession& session, ConsoleUserInterface& ui);
    int Segment(ToolSession& session, ConsoleUserInterface& ui);
    int Channel(ToolSession& session, ConsoleUserInterface& ui);
    int Open(ToolSession& session, ConsoleUserInterface& ui);
    int Save(ToolSession& session, ConsoleUserInterface& ui);
    int SaveAs(ToolSession& session, ConsoleUserInterface& ui);
    int Undo(ToolSession& session, ConsoleUserInterface& ui);
    int Export(ToolSession& session, ConsoleUserInterface& ui);
    int Eval(ToolSession& session, ConsoleUserInterface& ui);
    int Generate(ToolSession& session, ConsoleUserInterface& ui);
    int Edit(ToolSession& session, ConsoleUserInterface& ui);
    int Convert(ToolSession& session, ConsoleUserInterface& ui);
    int Download(ToolSession& session, ConsoleUserInterface& ui);
    // In CliPulseCommands.cpp.
    int Pulse(ToolSession& session, ConsoleUserInterface& ui);
    // In CliFmCommands.cpp.
    int Fm(ToolSession& session, ConsoleUserInterface& ui);
    // The words of "fm" that cannot run whatever the workspace holds (the mode, the
    // verbs, the markers' actions), found before the start-up; empty when they fit.
    static std::string FmWordsProblem(const std::vector<std::string>& words,
                                      const DocumentMode& mode);

private:
    int AnswerRequest() const;
    int RunCommand(const CliCommand& command, ToolSession& session, ConsoleUserInterface& ui);

    const CliOptions& options_;
    // In pulse mode, the design and the editor of this run.
    CliPulseCommands* pulse_ = nullptr;
};
