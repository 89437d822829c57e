#pragma once

#include "core/OperatingMode.h"
#include "platform/console/ConsoleUserInterface.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The command line of wavesmith-cli: global options, the command, its words and its
// options ("--name value"; "--set KEY=TEXT" may repeat; "--anchors A B").
struct CliOptions {
    OperatingMode mode = OperatingMode::Standard;
    ConsoleUserInterface::Policy policy = ConsoleUserInterface::Policy::FirstButton;
    std::string command;
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
    std::vector<std::pair<std::string, std::string>> settings;
    std::optional<std::pair<double, double>> anchors;
    bool textDump = false;

    // Fills the options from argv; an error text when the words are off.
    static std::optional<std::string> Parse(int argc, const char* const* argv, CliOptions& out);
    static const char* Usage();
};
