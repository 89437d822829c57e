#pragma once

#include "transport/InstrumentAddress.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a consolux run was asked to do, read from its command line by the command table
// in consolux/ConsoluxCommandLine.
struct ConsoluxOptions {
    enum class Command { Prepare, Serve, Request, Demo, Probe };

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
    // Points per channel of the simulated instrument and the workspace family's longest
    // waveform; unset, both keep the family's own.
    std::optional<std::uint64_t> memoryPoints;

    static constexpr const char* kDefaultFamily = "QW2182";
    // The memory range the simulated instrument accepts.
    static constexpr std::uint64_t kMinMemoryPoints = 16;
    static constexpr std::uint64_t kMaxMemoryPoints = 400'000'000;
    // Points of memory: a whole number in the simulator's range.
    static std::optional<std::uint64_t> ParseMemoryPoints(const std::string& text);
    // A request code: a whole number, not negative.
    static std::optional<std::uint32_t> ParseRequestCode(const std::string& text);
    // Request data: a number, or "X,Y" packed as a window message packs a point.
    static std::optional<std::int64_t> ParseRequestData(const std::string& text);
};
