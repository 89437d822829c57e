#include "ConsoluxOptions.h"

#include <charconv>
#include <map>

namespace {

using Command = ConsoluxOptions::Command;

const std::map<std::string, Command> kCommands = {{"prepare", Command::Prepare},
                                                  {"serve", Command::Serve},
                                                  {"request", Command::Request},
                                                  {"demo", Command::Demo}};

// The options each command accepts, and how many positional arguments (lowest, highest).
struct Grammar {
    std::vector<std::string> options;
    std::size_t fewest;
    std::size_t most;
};

Grammar GrammarOf(Command command) {
    switch (command) {
    case Command::Prepare:
        return {{"--family", "--user"}, 1, 1};
    case Command::Serve:
        return {{"--instrument", "--mode", "--user"}, 1, 1};
    case Command::Request:
        return {{"--rect", "--family", "--to"}, 1, 2};
    default:
        return {{"--mode", "--family", "--instrument"}, 0, 0};
    }
}

template <typename Number> std::optional<Number> ParseNumber(const std::string& text) {
    Number value{};
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end || begin == end) {
        return std::nullopt;
    }
    return value;
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
    } else if (name == "--instrument") {
        options.instrument = InstrumentAddress::Parse(value);
        if (!options.instrument) {
            error = "--instrument wants HOST[:PORT], not " + value;
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
    if (options.command != Command::Request) {
        return true;
    }
    const auto code = ParseNumber<std::uint32_t>(positionals[0]);
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

} // namespace

const char* ConsoluxOptions::Usage() {
    return "usage:\n"
           "  consolux prepare DIR [--family NAME] [--user NAME]\n"
           "  consolux serve DIR [--instrument HOST[:PORT]] [--mode std|fm|pulse] "
           "[--user NAME]\n"
           "  consolux request CODE [DATA|X,Y] [--rect \"L T R B\"] [--family NAME] "
           "[--to BUSNAME]\n"
           "  consolux demo [--mode std|fm|pulse] [--family NAME] "
           "[--instrument HOST[:PORT]]\n";
}

std::optional<ConsoluxOptions> ConsoluxOptions::Parse(const std::vector<std::string>& arguments,
                                                      std::string& error) {
    ConsoluxOptions options;
    options.family = kDefaultFamily;
    if (arguments.empty()) {
        return options;
    }
    const auto command = kCommands.find(arguments[0]);
    if (command == kCommands.end()) {
        error = "unknown command " + arguments[0];
        return std::nullopt;
    }
    options.command = command->second;
    const Grammar grammar = GrammarOf(options.command);
    std::vector<std::string> positionals;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.rfind("--", 0) != 0) {
            positionals.push_back(argument);
            continue;
        }
        bool known = false;
        for (const auto& option : grammar.options) {
            known = known || option == argument;
        }
        if (!known || i + 1 >= arguments.size()) {
            error = known ? argument + " needs a value" : "unknown option " + argument;
            return std::nullopt;
        }
        if (!ApplyOption(options, argument, arguments[++i], error)) {
            return std::nullopt;
        }
    }
    if (positionals.size() < grammar.fewest || positionals.size() > grammar.most) {
        error = "wrong number of arguments for " + arguments[0];
        return std::nullopt;
    }
    if (!ApplyPositionals(options, positionals, error)) {
        return std::nullopt;
    }
    return options;
}

std::optional<std::int64_t> ConsoluxOptions::ParseRequestData(const std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return ParseNumber<std::int64_t>(text);
    }
    const auto x = ParseNumber<std::int16_t>(text.substr(0, comma));
    const auto y = ParseNumber<std::int16_t>(text.substr(comma + 1));
    if (!x || !y) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(static_cast<std::uint16_t>(*y)) << 16 |
           static_cast<std::uint16_t>(*x);
}
