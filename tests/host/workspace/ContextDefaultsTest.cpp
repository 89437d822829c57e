#include "workspace/ContextDefaults.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string SettingOf(const std::vector<ContextDefaults::Section>& sections, const char* key) {
    for (const auto& section : sections) {
        if (section.name != "Settings") {
            continue;
        }
        const auto found = std::find_if(section.entries.begin(), section.entries.end(),
                                        [key](const auto& entry) { return entry.first == key; });
        return found == section.entries.end() ? "<missing>" : found->second;
    }
    return "<no Settings>";
}

} // namespace

// A variant key whose number does not fit, or is no number, is passed over, not read.
TEST(ContextDefaults, SelectorsNameTheLowestNumberedVariantOfTheFamily) {
    TempWorkspace workspace;
    const std::string family = workspace.WriteFile(
        "Odd.fam", "[Axis]\nVpts99999999999=-1 1\nVptsX=-2 2\nVpts3=-3 3\nVpts1=-4 4\n"
                   "resFactor07=1\nresFactor+2=1\n");
    const auto sections = ContextDefaults::ForFamily("Odd", family);
    EXPECT_EQ(SettingOf(sections, "Wfmt"), "1");
    EXPECT_EQ(SettingOf(sections, "Rsclk"), "07");
    const std::string none = workspace.WriteFile("None.fam", "[Axis]\nVpts=1\n");
    EXPECT_EQ(SettingOf(ContextDefaults::ForFamily("None", none), "Wfmt"), "0");
}
