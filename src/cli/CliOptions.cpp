#include "cli/CliOptions.h"

#include "cli/CliCommandTable.h"
#include "settings/NumberFormat.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace {

using Error = std::optional<std::string>;

bool IsLongOption(const std::string& word) {
    return word.rfind("--", 0) == 0 && word.size() > 2;
}

// Everything up to the command: the mode, the answer policy and the requests that need no
// command. The command and its own words are left in `rest`.
Error ParseGlobal(std::vector<std::string> arguments, CliOptions& out,
                  std::vector<std::string>& rest) {
    CLI::App app("", "wavesmith-cli");
    app.set_help_flag();
    app.prefix_command();
    std::string mode;
    auto* modeOption =
        app.add_option("--mode", mode)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    auto* yes = app.add_flag("--yes");
    auto* no = app.add_flag("--no");
    auto* cancel = app.add_flag("--cancel");
    auto* help = app.add_flag("--help");
    auto* version = app.add_flag("--version");
    auto* manual = app.add_flag("--help-man")->group("");
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError&) {
        return "--mode takes std, fm or pulse";
    }
    const std::optional<OperatingMode> chosen = ModeOfWord(mode);
    if (chosen) {
        out.mode = *chosen;
    }
    if (modeOption->count() > 0 && !chosen) {
        return "--mode takes std, fm or pulse";
    }
    // The last of --yes, --no and --cancel counts.
    for (const CLI::Option* option : app.parse_order()) {
        if (option == yes) {
            out.policy = ConsoleUserInterface::Policy::Yes;
        } else if (option == no) {
            out.policy = ConsoleUserInterface::Policy::No;
        } else if (option == cancel) {
            out.policy = ConsoleUserInterface::Policy::Cancel;
        }
    }
    if (help->count() > 0) {
        out.request = CliOptions::Request::Help;
    } else if (version->count() > 0) {
        out.request = CliOptions::Request::Version;
    } else if (manual->count() > 0) {
        out.request = CliOptions::Request::Manual;
    }
    rest = app.remaining();
    return std::nullopt;
}

Error ReadSettings(const std::vector<std::string>& texts, CliOptions& out) {
    for (const std::string& setting : texts) {
        const auto equals = setting.find('=');
        if (equals == std::string::npos || equals == 0) {
            return "--set takes KEY=TEXT, not " + setting;
        }
        out.settings.emplace_back(setting.substr(0, equals), setting.substr(equals + 1));
    }
    return std::nullopt;
}

Error ReadAnchors(const std::vector<std::string>& texts, CliOptions& out) {
    double a = 0;
    double b = 0;
    if (texts.size() != 2 || !ParseWholeDouble(texts[0], a) || !ParseWholeDouble(texts[1], b)) {
        return "--anchors takes two point numbers";
    }
    out.anchors = std::make_pair(a, b);
    return std::nullopt;
}

// The command's words and the options the command table allows it. Words may begin
// with a single dash ("eval -p"); only "--name" is read as an option.
Error ParseCommand(const CliCommand& command, std::vector<std::string> arguments, CliOptions& out) {
    CLI::App app("", command.name);
    app.set_help_flag();
    app.allow_extras();
    std::vector<std::string> settings;
    std::vector<std::string> anchors;
    std::map<std::string, std::string> values;
    CLI::Option* text = nullptr;
    if (command.options & CliCommand::kSet) {
        app.add_option("--set", settings)->allow_extra_args(false);
    }
    if (command.options & CliCommand::kAnchors) {
        app.add_option("--anchors", anchors)
            ->expected(2)
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    }
    if (command.options & CliCommand::kText) {
        text = app.add_flag("--text");
    }
    if (command.options & CliCommand::kRange) {
        for (const char* name : {"from", "to", "amp", "period"}) {
            app.add_option(std::string("--") + name, values[name])
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        }
    }
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& error) {
        return std::string(error.what());
    }
    for (const std::string& word : app.remaining()) {
        if (IsLongOption(word)) {
            return "unknown option " + word;
        }
        out.words.push_back(word);
    }
    if (text != nullptr) {
        out.textDump = text->count() > 0;
    }
    for (const auto& [name, value] : values) {
        double number = 0;
        if (app.get_option("--" + name)->count() == 0) {
            continue;
        }
        if (!ParseWholeDouble(value, number)) {
            return "--" + name + " takes a number";
        }
        out.options[name] = value;
    }
    if (const auto error = ReadSettings(settings, out)) {
        return error;
    }
    if ((command.options & CliCommand::kAnchors) && app.count("--anchors") > 0) {
        return ReadAnchors(anchors, out);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> CliOptions::Parse(int argc, const char* const* argv, CliOptions& out) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::reverse(arguments.begin(), arguments.end());
    std::vector<std::string> rest;
    if (const auto error = ParseGlobal(std::move(arguments), out, rest)) {
        return error;
    }
    if (out.request != Request::Run) {
        return std::nullopt;
    }
    if (rest.empty()) {
        return "no command given";
    }
    if (IsLongOption(rest.front())) {
        return "unknown option " + rest.front();
    }
    out.command = rest.front();
    const CliCommand* command = CliCommandTable::Find(out.command);
    if (command == nullptr) {
        return "unknown command " + out.command;
    }
    rest.erase(rest.begin());
    std::reverse(rest.begin(), rest.end());
    if (const auto error = ParseCommand(*command, std::move(rest), out)) {
        return error;
    }
    if (auto problem = CliCommandTable::WordsProblem(*command, out.words, out.mode);
        !problem.empty()) {
        return problem;
    }
    return std::nullopt;
}
