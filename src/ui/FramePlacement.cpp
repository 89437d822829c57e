#include "ui/FramePlacement.h"

#include "settings/NumberFormat.h"
#include "settings/RegistryKey.h"

#include <cstdio>

namespace {

RegistryKey ProfileKey() {
    return RegistryKey(RegistryRoot::CurrentUser, FramePlacement::kProfileKey);
}

const char* BarStateName(OperatingMode mode) {
    switch (mode) {
    case OperatingMode::Fm:
        return "FmBars";
    case OperatingMode::Pulse:
        return "PulseBars";
    default:
        return "Bars";
    }
}

} // namespace

FramePlacement::FramePlacement(bool fmEditor) : fmEditor_(fmEditor) {}

std::string FramePlacement::Read(const char* name) const {
    return ProfileKey().ReadValue(name).value_or(std::string());
}

WindowRect FramePlacement::ReadRect() const {
    return ParseRect(Read(fmEditor_ ? "FmRect" : "Rect")).value_or(DefaultRect(fmEditor_));
}

bool FramePlacement::ReadMaximized() const {
    return LeadingInt(Read("max")) != 0;
}

bool FramePlacement::ReadMinimized() const {
    return LeadingInt(Read("icon")) != 0;
}

std::string FramePlacement::ReadBarState(OperatingMode mode) const {
    return Read(BarStateName(mode));
}

void FramePlacement::Write(const WindowRect& normal, bool maximized) const {
    const RegistryKey key = ProfileKey();
    key.WriteValue(fmEditor_ ? "FmRect" : "Rect", FormatRect(normal));
    key.WriteValue("icon", "0");
    key.WriteValue("max", maximized ? "1" : "0");
}

void FramePlacement::WriteBarState(OperatingMode mode, const std::string& state) const {
    ProfileKey().WriteValue(BarStateName(mode), state);
}

std::optional<WindowRect> FramePlacement::ParseRect(const std::string& text) {
    if (text.size() < 16) {
        return std::nullopt;
    }
    // Each edge is read at its own column, whatever the field before it held.
    const std::string_view fields(text);
    const WindowRect rect{LeadingInt(fields), LeadingInt(fields.substr(5)),
                          LeadingInt(fields.substr(10)), LeadingInt(fields.substr(15))};
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        return std::nullopt;
    }
    return rect;
}

std::string FramePlacement::FormatRect(const WindowRect& rect) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", rect.left, rect.top, rect.right,
                  rect.bottom);
    return text;
}

WindowRect FramePlacement::DefaultRect(bool fmEditor) {
    const int shift = fmEditor ? 100 : 0;
    return {100 + shift, 50, 800 + shift, 600};
}
