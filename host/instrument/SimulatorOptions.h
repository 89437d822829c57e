#pragma once

#include "ScpiServer.h"

#include <span>
#include <string>
#include <vector>

struct SimulatorOptions;

// One option of awg-sim. The option table is the one list of them: the parser, the usage
// and the manual page are made from it.
struct SimulatorOption {
    const char* names; // the long name first, then its aliases, comma-separated
    const char* value; // the value's name in the usage; none for a flag
    const char* help;  // a line feed continues the text on a line of its own
    // False with the reason in `error` when `text` is no value of the option.
    bool (*apply)(const std::string& text, SimulatorOptions& options, std::string& error);
};

// The command line of awg-sim: the options of the table, --help (-h) and --version.
struct SimulatorOptions {
    // What the run answers: the simulator, or one of the texts that need no start-up.
    enum class Request { Run, Help, Version, Manual };

    ScpiServer::Options server;
    std::string portFile;
    bool vxi11 = false;
    Request request = Request::Run;

    static std::span<const SimulatorOption> Table();
    // False with the reason in `error` on an unknown option or a bad value.
    static bool Parse(const std::vector<std::string>& arguments, SimulatorOptions& options,
                      std::string& error);
    static std::string Usage();
    static std::string Manual(const std::string& version);
};
