#pragma once

#include "session/ConsoluxOptions.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

class ConsoluxCommands;

// One command of consolux. The command table is the one list of them: the parser checks a
// command line against it, main dispatches through it, and the usage and the manual page
// are rendered from it.
struct ConsoluxCommand {
    const char* name;
    ConsoluxOptions::Command command;
    const char* synopsis; // its arguments and options as the usage shows them
    const char* summary;
    std::array<const char*, 4> options; // the options it takes; unused places are nullptr
    std::size_t fewest;                 // positional arguments
    std::size_t most;
    bool needsWidgets; // runs a window, so main creates a widget application
    int (ConsoluxCommands::*run)();
};

class ConsoluxCommandLine {
public:
    // What a run answers: a command, or one of the texts that need no start-up.
    enum class Request { Run, Help, Version, Manual };

    static std::span<const ConsoluxCommand> Commands();
    static const ConsoluxCommand& Of(ConsoluxOptions::Command command);
    // nullopt with `error` set for a command line that does not fit the usage. Without a
    // command the demo runs.
    static std::optional<ConsoluxOptions> Parse(const std::vector<std::string>& arguments,
                                                std::string& error, Request& request);
    static std::string Usage();
    static std::string Manual(const std::string& version);
};
