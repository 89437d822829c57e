#pragma once

#include "core/OperatingMode.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseEditor.h"

#include <span>
#include <string>
#include <vector>

class DocumentMode;
class ToolSession;

// The pulse designer of wavesmith-cli in pulse mode: made at the start of every run, it
// opens the active channel's design as the view does (writing the default design on a
// first run) and makes the editor on it; the verbs of the "pulse" command then act
// through the editor as the window's controls do.
class CliPulseCommands {
public:
    // A verb of "pulse": its name, the words after it as the usage shows them, the number
    // of those words (kAnyWords: the verb checks them), and what it does. Returns the run's exit
    // status.
    static constexpr std::size_t kAnyWords = static_cast<std::size_t>(-1);
    struct Verb {
        const char* name;
        std::string synopsis;
        std::size_t words;
        // What is wrong with the words whatever the design holds; empty when they fit.
        std::string (*check)(const std::vector<std::string>& words);
        int (*run)(CliPulseCommands& commands, const std::vector<std::string>& words);
    };

    explicit CliPulseCommands(ToolSession& session);

    // Runs "pulse VERB WORDS..." whose words passed WordsProblem.
    int Run(const std::vector<std::string>& words);
    // Why "pulse WORDS..." cannot run, found before the start-up (the mode, the verb, its
    // words); empty when they fit.
    static std::string WordsProblem(const std::vector<std::string>& words,
                                    const DocumentMode& mode);
    static std::span<const Verb> Verbs();
    // The verbs for the usage: "show | cell LINE COL TEXT | ...".
    static std::string Synopsis();

    ToolSession& Session() { return session_; }
    PulseDesign& Design() { return design_; }
    PulseEditor& Editor() { return editor_; }

    // The verbs' work, each returning the exit status.
    int Show();
    int Cell(const std::vector<std::string>& words);
    int Line(const std::vector<std::string>& words);
    int Section(const std::vector<std::string>& words);
    int Train(const std::string& name);
    int Unit(const std::string& name);
    int Repeat(const std::string& text);
    int Vpp(const std::string& text);
    int Options(const std::vector<std::string>& words);

private:
    ToolSession& session_;
    PulseDesign design_;
    PulseEditor editor_;
};
