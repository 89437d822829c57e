#include "SimulatorOptions.h"

#include "core/ManualPage.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdint>

namespace {

constexpr std::uint64_t kMaxConnections = 4096;
constexpr std::uint64_t kMaxIdleSeconds = 86400;
constexpr std::size_t kHelpColumn = 26;

bool ParseWhole(const std::string& text, std::uint64_t min, std::uint64_t max,
                std::uint64_t& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && value >= min &&
           value <= max;
}

bool ApplyPort(const std::string& text, SimulatorOptions& options, std::string& error) {
    std::uint64_t number = 0;
    if (!ParseWhole(text, 0, 65535, number)) {
        error = "--port needs a number from 0 to 65535";
        return false;
    }
    options.server.port = static_cast<std::uint16_t>(number);
    return true;
}

bool ApplyBind(const std::string& text, SimulatorOptions& options, std::string&) {
    options.server.bindAddress = text;
    return true;
}

bool ApplyMemory(const std::string& text, SimulatorOptions& options, std::string& error) {
    std::uint64_t number = 0;
    if (!ParseWhole(text, InstrumentState::kMinMemoryPoints, InstrumentState::kMaxMemoryPoints,
                    number)) {
        error = "--memory needs a number of points from " +
                std::to_string(InstrumentState::kMinMemoryPoints) + " to " +
                std::to_string(InstrumentState::kMaxMemoryPoints);
        return false;
    }
    options.server.memoryPoints = number;
    return true;
}

bool ApplyPortFile(const std::string& text, SimulatorOptions& options, std::string&) {
    options.portFile = text;
    return true;
}

bool ApplyMaxConnections(const std::string& text, SimulatorOptions& options, std::string& error) {
    std::uint64_t number = 0;
    if (!ParseWhole(text, 1, kMaxConnections, number)) {
        error = "--max-connections needs a number from 1 to " + std::to_string(kMaxConnections);
        return false;
    }
    options.server.maxClients = static_cast<std::size_t>(number);
    return true;
}

bool ApplyIdleTimeout(const std::string& text, SimulatorOptions& options, std::string& error) {
    std::uint64_t number = 0;
    if (!ParseWhole(text, 0, kMaxIdleSeconds, number)) {
        error =
            "--idle-timeout needs a number of seconds from 0 to " + std::to_string(kMaxIdleSeconds);
        return false;
    }
    options.server.idleTimeout = std::chrono::seconds(number);
    return true;
}

bool ApplyMaxSteps(const std::string& text, SimulatorOptions& options, std::string& error) {
    std::uint64_t number = 0;
    if (!ParseWhole(text, 1, SequenceTable::kMostSteps, number)) {
        error = "--max-steps needs a number from 1 to " + std::to_string(SequenceTable::kMostSteps);
        return false;
    }
    options.server.sequenceLimits.maxSteps = static_cast<int>(number);
    return true;
}

bool ApplyMaxLoops(const std::string& text, SimulatorOptions& options, std::string& error) {
    std::uint64_t number = 0;
    if (!ParseWhole(text, 1, SequenceTable::kMostLoops, number)) {
        error = "--max-loops needs a number from 1 to " + std::to_string(SequenceTable::kMostLoops);
        return false;
    }
    options.server.sequenceLimits.maxLoops = static_cast<std::uint32_t>(number);
    return true;
}

bool ApplyVxi11(const std::string&, SimulatorOptions& options, std::string&) {
    options.vxi11 = true;
    return true;
}

const std::array kOptions{
    SimulatorOption{"--port", "N", "TCP port, 5025 by default; 0 picks a free port", &ApplyPort},
    SimulatorOption{"--bind", "ADDRESS", "IPv4 address to listen on, 127.0.0.1 by default",
                    &ApplyBind},
    SimulatorOption{"--memory", "POINTS", "waveform memory per channel, 16000000 points by default",
                    &ApplyMemory},
    SimulatorOption{"--port-file", "FILE", "write the port number to FILE once listening",
                    &ApplyPortFile},
    SimulatorOption{"--max-connections,--max-clients", "N",
                    "connections served at once (1 to 4096), 256 by default;\nmore are refused "
                    "with a -310 line (also --max-clients)",
                    &ApplyMaxConnections},
    SimulatorOption{"--idle-timeout", "SECONDS",
                    "close a connection on which nothing moves for this long,\n60 by default; 0 "
                    "never",
                    &ApplyIdleTimeout},
    SimulatorOption{"--max-steps", "N",
                    "sequence steps per channel (1 to 32768), 32768 by default;\nthe family's "
                    "MaxSequStp",
                    &ApplyMaxSteps},
    SimulatorOption{"--max-loops", "N",
                    "loops of one sequence step (1 to 16777215), 16777215 by\ndefault; the "
                    "family's MaxLoopNo",
                    &ApplyMaxLoops},
    SimulatorOption{"--vxi11", nullptr,
                    "answer VXI-11 too (TCPIP::HOST::INSTR), registered with the\nsystem's "
                    "rpcbind; same commands and limits as the socket",
                    &ApplyVxi11},
};

std::string LongName(const SimulatorOption& option) {
    const std::string names = option.names;
    return names.substr(0, names.find(','));
}

std::string Call(const SimulatorOption& option) {
    return option.value == nullptr ? LongName(option) : LongName(option) + " " + option.value;
}

std::string Indented(const std::string& help) {
    std::string text;
    for (const char c : help) {
        text += c;
        if (c == '\n') {
            text += std::string(kHelpColumn, ' ');
        }
    }
    return text;
}

} // namespace

std::span<const SimulatorOption> SimulatorOptions::Table() {
    return kOptions;
}

bool SimulatorOptions::Parse(const std::vector<std::string>& arguments, SimulatorOptions& options,
                             std::string& error) {
    CLI::App app("", "awg-sim");
    app.set_help_flag();
    app.allow_extras();
    auto* help = app.add_flag("--help,-h");
    auto* version = app.add_flag("--version");
    auto* manual = app.add_flag("--help-man")->group("");
    std::array<std::string, kOptions.size()> values;
    std::array<CLI::Option*, kOptions.size()> given{};
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        given[i] = kOptions[i].value == nullptr
                       ? app.add_flag(kOptions[i].names)
                       : app.add_option(kOptions[i].names, values[i])
                             ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    }
    try {
        app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
    } catch (const CLI::ParseError& failure) {
        error = failure.what();
        return false;
    }
    if (!app.remaining().empty()) {
        error = "unknown option: " + app.remaining().front();
        return false;
    }
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        if (given[i]->count() > 0 && !kOptions[i].apply(values[i], options, error)) {
            return false;
        }
    }
    options.request = help->count() > 0      ? Request::Help
                      : version->count() > 0 ? Request::Version
                      : manual->count() > 0  ? Request::Manual
                                             : Request::Run;
    return true;
}

std::string SimulatorOptions::Usage() {
    // Four options to a line, as a terminal shows them whole.
    constexpr std::size_t kOptionsPerLine = 4;
    std::string text = "usage: awg-sim";
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        text += i > 0 && i % kOptionsPerLine == 0 ? "\n               " : " ";
        text += "[" + Call(kOptions[i]) + "]";
    }
    text += "\n       awg-sim --help | --version\n";
    for (const SimulatorOption& option : kOptions) {
        const std::string call = "  " + Call(option);
        text += call + std::string(kHelpColumn > call.size() ? kHelpColumn - call.size() : 1, ' ');
        text += Indented(option.help) + "\n";
    }
    return text;
}

std::string SimulatorOptions::Manual(const std::string& version) {
    ManualPage page("awg-sim", version,
                    "a simulated two-channel arbitrary waveform generator on a raw SCPI socket");
    page.AddSynopsis("[OPTION]...");
    page.AddSynopsis("--help | --version");
    page.StartSection("options");
    for (const SimulatorOption& option : kOptions) {
        std::string help = option.help;
        std::replace(help.begin(), help.end(), '\n', ' ');
        page.AddItem(Call(option), help);
    }
    page.StartSection("exit status");
    page.AddParagraph("0 stopped by a signal, 1 could not listen, 2 a usage error.");
    return page.Text();
}
