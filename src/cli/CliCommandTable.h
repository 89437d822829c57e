#pragma once

#include <cstddef>
#include <span>
#include <string>

class CliApp;
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

    const char* name;
    const char* synopsis; // its words and options as the usage shows them
    const char* summary;
    // The number of words after the name; kSubcommandWords takes one or more (a command
    // with its own verbs, such as "fm markers add 1e6 store"), which the handler checks.
    std::size_t words;
    unsigned options;
    // Runs in pulse mode before the design is rendered: it needs no waveform.
    bool withoutDesign;
    Handler run;
};

class CliCommandTable {
public:
    static std::span<const CliCommand> Commands();
    // nullptr for a name that is no command.
    static const CliCommand* Find(const std::string& name);
    static std::string Usage();
    // The manual page in troff (man macros).
    static std::string Manual(const std::string& version);
};
