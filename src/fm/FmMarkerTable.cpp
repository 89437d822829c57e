#include "fm/FmMarkerTable.h"

#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"
#include "settings/TextFormat.h"

#include <unordered_map>

namespace {

// Keys of a private-profile section are found regardless of case; the first of two
// equal keys counts.
std::unordered_map<std::string, std::string> KeyedByUpperName(const IniEntries& entries) {
    std::unordered_map<std::string, std::string> keyed;
    keyed.reserve(entries.size());
    for (const auto& [key, value] : entries) {
        keyed.emplace(ToUpperAscii(key), value);
    }
    return keyed;
}

} // namespace

FmMarkerTable::FmMarkerTable(ProfileStore& store, int functionMode)
    : store_(store), section_(SectionName(functionMode)) {}

std::string FmMarkerTable::SectionName(int functionMode) {
    return "FmMark" + std::to_string(functionMode);
}

std::vector<std::string> FmMarkerTable::ReadTexts(std::size_t maxChars) const {
    const auto keyed = KeyedByUpperName(store_.ReadProfileSection(section_, store_.ContextFile()));
    std::vector<std::string> texts;
    for (std::size_t i = 0;; ++i) {
        const auto found = keyed.find("MRK" + std::to_string(i));
        if (found == keyed.end()) {
            return texts;
        }
        texts.push_back(found->second.substr(0, maxChars));
    }
}

bool FmMarkerTable::ReadAscending() const {
    const auto keyed = KeyedByUpperName(store_.ReadProfileSection(section_, store_.ContextFile()));
    const auto found = keyed.find("FMSORT");
    return found == keyed.end() || static_cast<int>(LeadingDouble(found->second)) != 0;
}

bool FmMarkerTable::Store(const std::vector<std::int32_t>& markers, bool ascending) const {
    IniEntries entries;
    entries.reserve(markers.size() + 1);
    entries.emplace_back("FmSort", ascending ? "1" : "0");
    for (std::size_t i = 0; i < markers.size(); ++i) {
        entries.emplace_back("Mrk" + std::to_string(i), std::to_string(markers[i]));
    }
    return store_.WriteProfileSection(section_, entries, store_.ContextFile());
}
