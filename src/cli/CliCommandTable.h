#pragma once

#include "core/OperatingMode.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

class CliApp;
class DocumentMode;
class ToolSession;
class ConsoleUserInterface;

// One command of wavesmith-cli. The command table is the one list of the commands: the
// parser checks a command line against it, the run dispatches through it, and the usage
// text and the manual page are rendered from it.
struct CliCommand {
    // The options a command takes after its words.
    enum Option : unsigned {
        kNoOptions = 0,
        kSet = 1,     // --set KEY=TEXT, repeatable
        kAnchors = 2, // --anchors A B
        kText = 4,    // --text
        kRange = 8,   // --from S --to E --amp A --period P
    };
    static constexpr std::size_t kSubcommandWords = static_cast<std::size_t>(-1);
    using Handler = int (CliApp::*)(ToolSession&, ConsoleUserInterface&);
    // What is wrong with the words of a command with its own verbs, found before the
    // start-up; empty when they fit. What only the workspace can tell (a line beyond the
    // last one of a design) is left to the handler.
    using WordsCheck = std::string (*)(const std::vector<std::string>& words,
                                       const DocumentMode& mode);

    const char* name;
    const char* synopsis; // its words and options as the usage shows them
    std::string summary;
    // The number of words after the name; kSubcommandWords takes one or more (a command
    // with its own verbs, such as "fm markers add 1e6 store"), which the handler checks.
    std::size_t words;
    unsigned options;
    // Runs in pulse mode before the design is rendered: it needs no waveform.
    bool withoutDesign;
    Handler run;
    WordsCheck checkWords = nullptr;
};

class CliCommandTable {
public:
    static std::span<const CliCommand> Commands();
    // nullptr for a name that is no command.
    static const CliCommand* Find(const std::string& name);
    // Why these words do not fit the command, or empty: the word count, then the
    // command's own check of its verbs.
    static std::string WordsProblem(const CliCommand& command,
                                    const std::vector<std::string>& words, OperatingMode mode);
    static std::string Usage();
    // The manual page in troff (man macros).
    static std::string Manual(const std::string& version);
};
