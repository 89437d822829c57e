#include "consolux/ConsoluxCommandLine.h"

#include "consolux/ConsoluxCommands.h"
#include "core/ManualPage.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <map>

namespace {

using Command = ConsoluxOptions::Command;

const std::array kCommands{
    ConsoluxCommand{"prepare",
                    Command::Prepare,
                    "DIR [--family NAME] [--user NAME]",
                    "makes DIR a workspace for the tool",
                    {"--family", "--user", nullptr, nullptr},
                    1,
                    1,
                    false,
                    &ConsoluxCommands::Prepare},
    ConsoluxCommand{"serve",
                    Command::Serve,
                    "DIR [--instrument ADDRESS] [--mode std|fm|pulse] [--user NAME]",
                    "performs the notifications of the tools working in DIR",
                    {"--instrument", "--mode", "--user", nullptr},
                    1,
                    1,
                    false,
                    &ConsoluxCommands::Serve},
    ConsoluxCommand{"request",
                    Command::Request,
                    "CODE [DATA|X,Y] [--rect \"L T R B\"] [--family NAME] [--to BUSNAME]",
                    "sends a host request to the tools",
                    {"--rect", "--family", "--to", nullptr},
                    1,
                    2,
                    false,
                    &ConsoluxCommands::Request},
    ConsoluxCommand{
        "demo",
        Command::Demo,
        "[--mode std|fm|pulse] [--family NAME] [--instrument ADDRESS] [--memory POINTS]",
        "the control panel over a workspace, the simulator and the tool",
        {"--mode", "--family", "--instrument", "--memory"},
        0,
        0,
        true,
        &ConsoluxCommands::Demo},
    ConsoluxCommand{"probe",
                    Command::Probe,
                    "ADDRESS",
                    "connects to an instrument and prints what it says of itself",
                    {nullptr, nullptr, nullptr, nullptr},
                    1,
                    1,
                    false,
                    &ConsoluxCommands::Probe},
};

bool IsLongOption(const std::string& word) {
    return word.rfind("--", 0) == 0 && word.size() > 2;
}

bool ApplyOption(ConsoluxOptions& options, const std::string& name, const std::string& value,
                 std::string& error) {
    if (name == "--family") {
        options.family = value;
    } else if (name == "--user") {
        options.user = value;
    } else if (name == "--to") {
        options.destination = value;
    } else if (name == "--rect") {
        options.tileRect = value;
    } else if (name == "--mode") {
        if (value != "std" && value != "fm" && value != "pulse") {
            error = "--mode must be std, fm or pulse";
            return false;
        }
        options.mode = value;
    } else if (name == "--memory") {
        options.memoryPoints = ConsoluxOptions::ParseMemoryPoints(value);
        if (!options.memoryPoints) {
            error = "--memory needs a number of points from " +
                    std::to_string(ConsoluxOptions::kMinMemoryPoints) + " to " +
                    std::to_string(ConsoluxOptions::kMaxMemoryPoints);
            return false;
        }
    } else if (name == "--instrument") {
        options.instrument = InstrumentAddress::Parse(value);
        if (!options.instrument) {
            error = "--instrument: " + InstrumentAddress::ParseError(value);
            return false;
        }
    }
    return true;
}

bool ApplyPositionals(ConsoluxOptions& options, const std::vector<std::string>& positionals,
                      std::string& error) {
    if (options.command == Command::Prepare || options.command == Command::Serve) {
        options.folder = positionals[0];
        return true;
    }
    if (options.command == Command::Probe) {
        options.instrument = InstrumentAddress::Parse(positionals[0]);
        if (!options.instrument) {
            error = InstrumentAddress::ParseError(positionals[0]);
            return false;
        }
        return true;
    }
    if (options.command != Command::Request) {
        return true;
    }
    const auto code = ConsoluxOptions::ParseRequestCode(positionals[0]);
    if (!code) {
        error = "request code must be a whole number, not " + positionals[0];
        return false;
    }
    options.requestCode = *code;
    if (positionals.size() > 1) {
        const auto data = ConsoluxOptions::ParseRequestData(positionals[1]);
        if (!data) {
            error = "request data must be a number or X,Y, not " + positionals[1];
            return false;
        }
        options.requestData = *data;
    }
    return true;
}

// The request flags that need no command; the command and its arguments are left in `rest`.
bool ParseRequest(std::vector<std::string> arguments, ConsoluxCommandLine::Request& request,
                  std::vector<std::string>& rest, std::string& error) {
    CLI::App app("", "consolux");
    app.set_help_flag();
    app.prefix_command();
    auto* help = app.add_flag("--help");
    auto* version = app.add_flag("--version");
    auto* manual = app.add_flag("--help-man")->group("");
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& failure) {
        error = failure.what();
        return false;
    }
    using Request = ConsoluxCommandLine::Request;
    request = help->count() > 0      ? Request::Help
              : version->count() > 0 ? Request::Version
              : manual->count() > 0  ? Request::Manual
                                     : Request::Run;
    rest = app.remaining();
    return true;
}

// The command's arguments and the options the table allows it, in `options`.
bool ParseCommand(const ConsoluxCommand& command, std::vector<std::string> arguments,
                  ConsoluxOptions& options, std::string& error) {
    CLI::App app("", command.name);
    app.set_help_flag();
    app.allow_extras();
    std::map<std::string, std::string> values;
    for (const char* name : command.options) {
        if (name != nullptr) {
            app.add_option(name, values[name])
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        }
    }
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& failure) {
        error = failure.what();
        return false;
    }
    std::vector<std::string> positionals;
    for (const std::string& word : app.remaining()) {
        if (IsLongOption(word)) {
            error = "unknown option " + word;
            return false;
        }
        positionals.push_back(word);
    }
    for (const auto& [name, value] : values) {
        if (app.count(name) > 0 && !ApplyOption(options, name, value, error)) {
            return false;
        }
    }
    if (positionals.size() < command.fewest || positionals.size() > command.most) {
        error = std::string("wrong number of arguments for ") + command.name;
        return false;
    }
    return ApplyPositionals(options, positionals, error);
}

} // namespace

std::span<const ConsoluxCommand> ConsoluxCommandLine::Commands() {
    return kCommands;
}

const ConsoluxCommand& ConsoluxCommandLine::Of(ConsoluxOptions::Command command) {
    return *std::find_if(
        kCommands.begin(), kCommands.end(),
        [command](const ConsoluxCommand& entry) { return entry.command == command; });
}

std::optional<ConsoluxOptions> ConsoluxCommandLine::Parse(const std::vector<std::string>& arguments,
                                                          std::string& error, Request& request) {
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    std::vector<std::string> rest;
    if (!ParseRequest(std::move(reversed), request, rest, error)) {
        return std::nullopt;
    }
    ConsoluxOptions options;
    options.family = ConsoluxOptions::kDefaultFamily;
    if (request != Request::Run || rest.empty()) {
        return options;
    }
    const auto command =
        std::find_if(kCommands.begin(), kCommands.end(),
                     [&rest](const ConsoluxCommand& entry) { return rest.front() == entry.name; });
    if (command == kCommands.end()) {
        error =
            (IsLongOption(rest.front()) ? "unknown option " : "unknown command ") + rest.front();
        return std::nullopt;
    }
    options.command = command->command;
    // `consolux demo --help` is someone asking, not a misfit command line.
    if (std::find(rest.begin() + 1, rest.end(), "--help") != rest.end()) {
        request = Request::Help;
        return options;
    }
    std::vector<std::string> words(rest.rbegin(), rest.rend() - 1);
    if (!ParseCommand(*command, std::move(words), options, error)) {
        return std::nullopt;
    }
    return options;
}

std::string ConsoluxCommandLine::Usage() {
    std::string text = "usage:\n";
    for (const ConsoluxCommand& command : kCommands) {
        text += std::string("  consolux ") + command.name + " " + command.synopsis + "\n";
    }
    return text + "  consolux --help | --version\n";
}

std::string ConsoluxCommandLine::Manual(const std::string& version) {
    ManualPage page("consolux", version, "the host stand-in for the waveform composer");
    for (const ConsoluxCommand& command : kCommands) {
        page.AddSynopsis(std::string(command.name) + " " + command.synopsis);
    }
    page.AddSynopsis("--help | --version");
    page.StartSection("commands");
    for (const ConsoluxCommand& command : kCommands) {
        page.AddItem(command.name, command.summary);
    }
    page.StartSection("exit status");
    page.AddParagraph("0 done, 1 failed, 2 a usage error.");
    return page.Text();
}
