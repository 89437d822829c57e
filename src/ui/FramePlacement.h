#pragma once

#include "view/ViewGeometry.h"

#include <optional>
#include <string>

// A window rectangle in screen pixels, as the profile stores it (right and bottom are
// exclusive: width = right - left), the same rectangle the view geometry uses.
using WindowRect = PixelRect;

// The names the window's placement is kept under in the profile, and how far to the
// right of the standard editor's default place the mode's window opens when none is kept.
struct PlacementKeys {
    const char* rectName;
    const char* barsName;
    int defaultShift;
};

// Where the main window was last left, kept in the program's own profile (not the host's
// key): the rectangle under the mode's name ("Rect", "FmRect" for the FM editor, which
// opens beside the standard one), "max" and "icon", plus the arrangement of the tool bars.
class FramePlacement {
public:
    explicit FramePlacement(const PlacementKeys& keys);

    // The stored normal rectangle, or the default one when none is stored.
    WindowRect ReadRect() const;
    bool ReadMaximized() const;
    bool ReadMinimized() const;
    void Write(const WindowRect& normal, bool maximized) const;
    // The arrangement of the tool bars, one per mode: the modes have different bars.
    std::string ReadBarState() const;
    void WriteBarState(const std::string& state) const;

    // "%04d %04d %04d %04d" read back from the character positions 0, 5, 10 and 15. No
    // rectangle for a text too short for four fields or one with no area.
    static std::optional<WindowRect> ParseRect(const std::string& text);
    static std::string FormatRect(const WindowRect& rect);
    static WindowRect DefaultRect(int shift);

    static constexpr const char* kProfileKey = "Software\\Quellwerk\\Wavesmith\\Settings";

private:
    std::string Read(const char* name) const;

    PlacementKeys keys_;
};
