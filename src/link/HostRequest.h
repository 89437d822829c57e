#pragma once

#include <cstdint>
#include <string>

class LinkMode;
class ProfileStore;

enum class HostAction { None, Close, Reload, Place, Tile };

// A request of the host (HostCommandMessage) turned into what the main frame must do.
// Which codes act depends on the mode: the mode names its close and place codes (the FM
// editor has its own), and a code meant for another mode is ignored.
struct HostRequest {
    HostAction action = HostAction::None;
    // Place: the new top-left corner. Tile: the corner and the new size.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    // Reads "tileRct" from the link key only for a tile request.
    static HostRequest Decode(std::uint32_t code, std::int64_t data, const LinkMode& mode,
                              ProfileStore& store);
    // The same with the link key's "tileRct" text already read.
    static HostRequest Decode(std::uint32_t code, std::int64_t data, const LinkMode& mode,
                              const std::string& tileRect);
    // "left top right bottom"; a text without four whole numbers (or with a size beyond
    // an int) gives no action, as moving the window to a rectangle nobody described
    // helps no one.
    static HostRequest TileTo(const std::string& tileRect);
    // x in the low 16 bits and y in the next 16, each signed.
    static HostRequest PlaceAt(std::int64_t data);
};
