#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ProfileStore;

// The FM markers of one FM function mode as the context file keeps them: section
// "FmMark<mode>", the display order in "FmSort" and the markers in "Mrk0", "Mrk1", ...
// (whole Hz, ascending). The section is read once per call: a hand-edited file with
// thousands of markers costs one parse, not one per key. Reading stops at the first
// missing index, so a hole hides every marker after it.
class FmMarkerTable {
public:
    FmMarkerTable(ProfileStore& store, int functionMode);

    static std::string SectionName(int functionMode);
    const std::string& Section() const { return section_; }

    // The stored texts of "Mrk0", "Mrk1", ... up to the first missing key, each cut to
    // at most maxChars characters.
    std::vector<std::string> ReadTexts(std::size_t maxChars) const;
    // "FmSort" as an integer, ascending (true) when missing.
    bool ReadAscending() const;
    // The section replaced whole: "FmSort", then the markers in list order. False (told
    // to the user by the store) when the file could not be written.
    bool Store(const std::vector<std::int32_t>& markers, bool ascending) const;

private:
    ProfileStore& store_;
    std::string section_;
};
