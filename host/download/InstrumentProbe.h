#pragma once

#include "transport/InstrumentAddress.h"

#include <string>
#include <vector>

// A first look at an instrument over whatever its address names: who it is, what its error
// queue holds, how much waveform memory is free and the sample clock, and the transport
// that reached it. Each finding is one "name: value" line, as `consolux probe` prints them.
class InstrumentProbe {
public:
    struct Report {
        bool answered = false;
        std::vector<std::string> lines;
        std::string failure; // why nothing answered, or where the conversation broke off
    };

    static Report Run(const InstrumentAddress& address, int timeoutMs);
};
