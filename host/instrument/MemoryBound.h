#pragma once

#include "ScpiServer.h"

#include <cstdint>

// The most memory awg-sim can hold with the given options, whatever its clients send or
// fail to read, part by part. host/instrument/README.md gives the same formula.
struct MemoryBound {
    std::uint64_t base = 0;          // program, libraries, accept thread, allocator slack
    std::uint64_t perConnection = 0; // stack, receive buffer, text, own answers, error queue
    std::uint64_t connections = 0;   // the connection limit times perConnection
    std::uint64_t blockBudgets = 0;  // blocks arriving and answers not taken, all connections
    std::uint64_t keptBuffers = 0;   // released block buffers kept for the next download
    std::uint64_t instrument = 0;    // segments, FM tables and sequences of both channels
    std::uint64_t execution = 0;     // the one message running under the instrument's lock

    static MemoryBound For(const ScpiServer::Options& options);
    std::uint64_t Total() const;
};
