#include "ui/FramePlacement.h"

#include "settings/NumberFormat.h"
#include "settings/RegistryKey.h"

#include <cstdio>

namespace {

RegistryKey ProfileKey() {
    return RegistryKey(RegistryRoot::CurrentUser, FramePlacement::kProfileKey);
}

} // namespace

FramePlacement::FramePlacement(const PlacementKeys& keys) : keys_(keys) {}

std::string FramePlacement::Read(const char* name) const {
    return ProfileKey().ReadValue(name).value_or(std::string());
}

WindowRect FramePlacement::ReadRect() const {
    return ParseRect(Read(keys_.rectName)).value_or(DefaultRect(keys_.defaultShift));
}

bool FramePlacement::ReadMaximized() const {
    return LeadingInt(Read("max")) != 0;
}

bool FramePlacement::ReadMinimized() const {
    return LeadingInt(Read("icon")) != 0;
}

std::string FramePlacement::ReadBarState() const {
    return Read(keys_.barsName);
}

void FramePlacement::Write(const WindowRect& normal, bool maximized) const {
    const RegistryKey key = ProfileKey();
    key.WriteValue(keys_.rectName, FormatRect(normal));
    key.WriteValue("icon", "0");
    key.WriteValue("max", maximized ? "1" : "0");
}

void FramePlacement::WriteBarState(const std::string& state) const {
    ProfileKey().WriteValue(keys_.barsName, state);
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

WindowRect FramePlacement::DefaultRect(int shift) {
    return {100 + shift, 50, 800 + shift, 600};
}
