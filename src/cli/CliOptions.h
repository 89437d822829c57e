#pragma once

#include "core/OperatingMode.h"
#include "platform/console/ConsoleUserInterface.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The command line of wavesmith-cli: global options, the command, its words and the
// options the command table allows it ("--name value"; "--set KEY=TEXT" may repeat;
// "--anchors A B").
struct CliOptions {
    // What the run answers: a command, or one of the texts that need no start-up.
    enum class Request { Run, Help, Version, Manual };

    Request request = Request::Run;
    OperatingMode mode{}; // the standard editor unless --mode says otherwise
    ConsoleUserInterface::Policy policy = ConsoleUserInterface::Policy::FirstButton;
    std::string command;
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
    std::vector<std::pair<std::string, std::string>> settings;
    std::optional<std::pair<double, double>> anchors;
    bool textDump = false;

    // Fills the options from argv; an error text when the command line does not fit the
    // usage, which is then reported before anything is started.
    static std::optional<std::string> Parse(int argc, const char* const* argv, CliOptions& out);
};
