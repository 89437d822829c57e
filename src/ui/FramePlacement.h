#pragma once

#include "core/OperatingMode.h"
#include "view/ViewGeometry.h"

#include <optional>
#include <string>

// A window rectangle in screen pixels, as the profile stores it (right and bottom are
// exclusive: width = right - left), the same rectangle the view geometry uses.
using WindowRect = PixelRect;

// Where the main window was last left, kept in the program's own profile (not the host's
// key): "Rect" ("FmRect" for the FM editor, which opens beside the standard one), "max"
// and "icon", plus the arrangement of the tool bars.
class FramePlacement {
public:
    explicit FramePlacement(bool fmEditor);

    // The stored normal rectangle, or the default one when none is stored.
    WindowRect ReadRect() const;
    bool ReadMaximized() const;
    bool ReadMinimized() const;
    void Write(const WindowRect& normal, bool maximized) const;
    // The arrangement of the tool bars, one per mode: the modes have different bars.
    std::string ReadBarState(OperatingMode mode) const;
    void WriteBarState(OperatingMode mode, const std::string& state) const;

    // "%04d %04d %04d %04d" read back from the character positions 0, 5, 10 and 15. No
    // rectangle for a text too short for four fields or one with no area.
    static std::optional<WindowRect> ParseRect(const std::string& text);
    static std::string FormatRect(const WindowRect& rect);
    static WindowRect DefaultRect(bool fmEditor);

    static constexpr const char* kProfileKey = "Software\\Quellwerk\\Wavesmith\\Settings";

private:
    std::string Read(const char* name) const;

    bool fmEditor_;
};
