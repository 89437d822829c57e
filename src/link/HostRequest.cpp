#include "link/HostRequest.h"

#include "core/HostBus.h"
#include "link/HostLink.h"
#include "link/LinkMode.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <climits>

namespace {

HostRequest Action(HostAction action) {
    HostRequest request;
    request.action = action;
    return request;
}

} // namespace

HostRequest HostRequest::Decode(std::uint32_t code, std::int64_t data, const LinkMode& mode,
                                ProfileStore& store) {
    std::string tileRect;
    if (code == HostTile) {
        tileRect = store.ReadHostValue(HostLink::kLinkKey, "tileRct");
    }
    return Decode(code, data, mode, tileRect);
}

HostRequest HostRequest::Decode(std::uint32_t code, std::int64_t data, const LinkMode& mode,
                                const std::string& tileRect) {
    const auto signedCode = static_cast<std::int64_t>(code);
    switch (code) {
    case HostCloseStandard:
    case HostCloseFm:
        return Action(signedCode == mode.CloseRequest() ? HostAction::Close : HostAction::None);
    case HostReload:
        return Action(HostAction::Reload);
    case HostPlaceStandard:
    case HostPlaceFm:
        return signedCode == mode.PlaceRequest() ? PlaceAt(data) : HostRequest();
    case HostTile:
        return TileTo(tileRect);
    default:
        return HostRequest();
    }
}

HostRequest HostRequest::TileTo(const std::string& tileRect) {
    int edges[4] = {};
    const char* cursor = tileRect.data();
    const char* end = cursor + tileRect.size();
    for (int& edge : edges) {
        if (!ReadLeadingInt(cursor, end, edge)) {
            return HostRequest();
        }
    }
    const long long width = static_cast<long long>(edges[2]) - edges[0];
    const long long height = static_cast<long long>(edges[3]) - edges[1];
    if (width < INT_MIN || width > INT_MAX || height < INT_MIN || height > INT_MAX) {
        return HostRequest();
    }
    HostRequest request = Action(HostAction::Tile);
    request.x = edges[0];
    request.y = edges[1];
    request.width = static_cast<int>(width);
    request.height = static_cast<int>(height);
    return request;
}

HostRequest HostRequest::PlaceAt(std::int64_t data) {
    HostRequest request = Action(HostAction::Place);
    request.x = static_cast<std::int16_t>(static_cast<std::uint16_t>(data & 0xFFFF));
    request.y = static_cast<std::int16_t>(static_cast<std::uint16_t>((data >> 16) & 0xFFFF));
    return request;
}
