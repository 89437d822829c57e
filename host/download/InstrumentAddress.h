#pragma once

#include <optional>
#include <string>

// Where the instrument listens for SCPI: "HOST", "HOST:PORT" or "[V6ADDR]:PORT".
struct InstrumentAddress {
    static constexpr int kScpiPort = 5025;

    std::string host = "127.0.0.1";
    int port = kScpiPort;

    static std::optional<InstrumentAddress> Parse(const std::string& text);
    std::string ToString() const;
};
