// Feeds arbitrary bytes to one awg-sim session (message framing, SCPI parsing, every
// command) in chunks whose sizes the input chooses, as a network peer could.
#include "InstrumentCommands.h"
#include "InstrumentState.h"
#include "ResponseBuffer.h"
#include "ScpiSession.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::uint64_t kMemoryPoints = 4096;
constexpr std::size_t kMaxTextBytes = 1 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CommandTable commands = InstrumentCommands::Build();
    InstrumentState instrument(kMemoryPoints);
    ScpiSession session(instrument, commands);
    ResponseBuffer response;
    const char* bytes = reinterpret_cast<const char*>(data);
    std::size_t position = 0;
    while (position < size) {
        std::size_t chunk = 1 + data[position] % 97;
        if (chunk > size - position) {
            chunk = size - position;
        }
        session.Receive(std::string_view(bytes + position, chunk), response);
        position += chunk;
        response.Clear();
    }
    // Whatever arrives, a session holds at most one message's text and blocks.
    if (session.BufferedBytes() > kMaxTextBytes + instrument.MaxMessageBlockBytes() + 512) {
        __builtin_trap();
    }
    if (instrument.Channel(1).UsedPoints() > kMemoryPoints ||
        instrument.Channel(2).UsedPoints() > kMemoryPoints) {
        __builtin_trap();
    }
    return 0;
}
