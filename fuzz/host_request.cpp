// The host's requests: a code, a 64-bit data word and the "tileRct" text the host left in
// the link key, all outside the tool's control.
#include "core/HostBus.h"
#include "document/DocumentMode.h"
#include "link/HostRequest.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 13) {
        return 0;
    }
    std::uint32_t code = 0;
    std::int64_t word = 0;
    std::memcpy(&code, data, 4);
    std::memcpy(&word, data + 4, 8);
    const DocumentMode& mode =
        DocumentMode::For(static_cast<OperatingMode>(data[12] % 3), (data[12] / 3) % 2 == 1);
    const std::string tileRect(reinterpret_cast<const char*>(data + 13), size - 13);

    const HostRequest request = HostRequest::Decode(code % 16, word, mode, tileRect);
    if (request.action == HostAction::Place &&
        (request.x < -32768 || request.x > 32767 || request.y < -32768 || request.y > 32767)) {
        std::abort();
    }
    if (request.action != HostAction::None && code % 16 != HostCloseStandard &&
        code % 16 != HostReload && code % 16 != HostPlaceStandard && code % 16 != HostTile &&
        code % 16 != HostCloseFm && code % 16 != HostPlaceFm) {
        std::abort();
    }
    return 0;
}
