#include "download/FmMarkerFile.h"

#include <cstring>

namespace {

constexpr std::size_t kEntryBytes = 4;
constexpr std::size_t kMostShown = 20;

// Little-endian on the wire; the host stand-in runs on little-endian machines.
std::int32_t EntryAt(const std::string& bytes, std::size_t index) {
    std::int32_t value = 0;
    std::memcpy(&value, bytes.data() + index * kEntryBytes, kEntryBytes);
    return value;
}

} // namespace

std::optional<std::vector<std::int32_t>>
FmMarkerFile::Parse(const std::string& bytes, std::size_t points, std::string& error) {
    if (bytes.empty()) {
        error = "the marker file is empty (the tool writes at least the entry 0)";
        return std::nullopt;
    }
    if (bytes.size() % kEntryBytes != 0) {
        error = "the marker file has " + std::to_string(bytes.size()) +
                " bytes, not a whole number of 32-bit entries (cut short?)";
        return std::nullopt;
    }
    std::vector<std::int32_t> markers(bytes.size() / kEntryBytes);
    for (std::size_t i = 0; i < markers.size(); ++i) {
        markers[i] = EntryAt(bytes, i);
        if (markers[i] < 0 || static_cast<std::size_t>(markers[i]) >= points) {
            error = "marker " + std::to_string(i + 1) + " names sample " +
                    std::to_string(markers[i]) + ", outside the FM waveform of " +
                    std::to_string(points) + " points";
            return std::nullopt;
        }
    }
    return markers;
}

std::string FmMarkerFile::Describe(const std::vector<std::int32_t>& markers) {
    if (markers.size() == 1 && markers.front() == 0) {
        return "no marker in the frequency window";
    }
    std::string text = std::to_string(markers.size()) +
                       (markers.size() == 1 ? " marker at sample " : " markers at samples ");
    for (std::size_t i = 0; i < markers.size() && i < kMostShown; ++i) {
        text += (i > 0 ? ", " : "") + std::to_string(markers[i]);
    }
    if (markers.size() > kMostShown) {
        text += " and " + std::to_string(markers.size() - kMostShown) + " more";
    }
    return text;
}
