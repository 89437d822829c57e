#include "SimulatorOptions.h"

#include <charconv>
#include <chrono>
#include <cstdint>

namespace {

constexpr std::uint64_t kMaxConnections = 4096;
constexpr std::uint64_t kMaxIdleSeconds = 86400;

bool ParseWhole(const std::string& text, std::uint64_t min, std::uint64_t max,
                std::uint64_t& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && value >= min &&
           value <= max;
}

} // namespace

const char* SimulatorOptions::Usage() {
    return "usage: awg-sim [--port N] [--bind ADDRESS] [--memory POINTS] [--port-file FILE]\n"
           "               [--max-connections N] [--idle-timeout SECONDS]\n"
           "  --port N                TCP port, 5025 by default; 0 picks a free port\n"
           "  --bind ADDRESS          IPv4 address to listen on, 127.0.0.1 by default\n"
           "  --memory POINTS         waveform memory per channel, 16000000 points by default\n"
           "  --port-file FILE        write the port number to FILE once listening\n"
           "  --max-connections N     connections served at once (1 to 4096), 256 by default;\n"
           "                          more are refused with a -310 line (also --max-clients)\n"
           "  --idle-timeout SECONDS  close a connection on which nothing moves for this long,\n"
           "                          60 by default; 0 never\n";
}

bool SimulatorOptions::Parse(const std::vector<std::string>& arguments, SimulatorOptions& options,
                             std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = "unknown option or missing value: " + name;
            return false;
        }
        const std::string& value = arguments[++i];
        std::uint64_t number = 0;
        if (name == "--port") {
            if (!ParseWhole(value, 0, 65535, number)) {
                error = "--port needs a number from 0 to 65535";
                return false;
            }
            options.server.port = static_cast<std::uint16_t>(number);
        } else if (name == "--bind") {
            options.server.bindAddress = value;
        } else if (name == "--memory") {
            if (!ParseWhole(value, InstrumentState::kMinMemoryPoints,
                            InstrumentState::kMaxMemoryPoints, number)) {
                error = "--memory needs a number of points from " +
                        std::to_string(InstrumentState::kMinMemoryPoints) + " to " +
                        std::to_string(InstrumentState::kMaxMemoryPoints);
                return false;
            }
            options.server.memoryPoints = number;
        } else if (name == "--port-file") {
            options.portFile = value;
        } else if (name == "--max-connections" || name == "--max-clients") {
            if (!ParseWhole(value, 1, kMaxConnections, number)) {
                error = name + " needs a number from 1 to " + std::to_string(kMaxConnections);
                return false;
            }
            options.server.maxClients = static_cast<std::size_t>(number);
        } else if (name == "--idle-timeout") {
            if (!ParseWhole(value, 0, kMaxIdleSeconds, number)) {
                error = "--idle-timeout needs a number of seconds from 0 to " +
                        std::to_string(kMaxIdleSeconds);
                return false;
            }
            options.server.idleTimeout = std::chrono::seconds(number);
        } else {
            error = "unknown option: " + name;
            return false;
        }
    }
    return true;
}
