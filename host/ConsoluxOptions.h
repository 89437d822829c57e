#pragma once

#include "InstrumentAddress.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The command line of consolux:
//   consolux prepare DIR [--family NAME] [--user NAME]
//   consolux serve DIR [--instrument HOST[:PORT]] [--mode std|fm|pulse] [--user NAME]
//   consolux request CODE [DATA] [--rect "L T R B"] [--family NAME] [--to BUSNAME]
//   consolux demo [--mode std|fm|pulse] [--family NAME] [--instrument HOST[:PORT]]
struct ConsoluxOptions {
    enum class Command { Prepare, Serve, Request, Demo };

    Command command = Command::Demo;
    std::string folder;
    std::string family;
    std::optional<std::string> user;
    std::optional<InstrumentAddress> instrument;
    std::string mode = "std";
    std::uint32_t requestCode = 0;
    std::int64_t requestData = 0;
    std::optional<std::string> tileRect;
    std::string destination;

    static constexpr const char* kDefaultFamily = "QW2182";
    static const char* Usage();

    // nullopt with `error` set for a command line that does not fit the usage.
    static std::optional<ConsoluxOptions> Parse(const std::vector<std::string>& arguments,
                                                std::string& error);
    // Request data: a number, or "X,Y" packed as a window message packs a point.
    static std::optional<std::int64_t> ParseRequestData(const std::string& text);
};
