#include "settings/ProfileSnapshot.h"

#include "ScratchFolder.h"
#include "core/AppState.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/IniText.h"
#include "settings/ProfileStore.h"

#include <gtest/gtest.h>

// The snapshot reads the file with its own lazy walk over the sections; what it finds must
// be what the store finds, line rules and value rules alike.
TEST(ProfileSnapshot, ReadsEveryKeyAndSectionAsTheStoreReadsThem) {
    const std::string texts[] = {
        "\xEF\xBB\xBF[A]\r\n  k = 1 // c\r\nq=\"a b\"\r\nn=noo\r\n[ b ]\r\nk=2",
        "lost=1\n[A]\njunk line\n;k=0\n[k=9\nk = a = b\n[B] trailing\nk=3\n",
        "[A]\nk=1\nk=2\n[a]\nk=3\nm=4\n[B\nm=5\n",
    };
    const std::pair<const char*, const char*> lookups[] = {
        {"A", "k"}, {"a", "Q"},    {"A", "n"},         {"A", "m"}, {"B", "k"},
        {"b", "m"}, {"A", "lost"}, {"A", "junk line"}, {"C", "k"},
    };
    for (const std::string& text : texts) {
        ScratchFolder folder;
        AppState state;
        state.contextFile = folder.Write("TempGlyp.cad", text);
        RecordingUserInterface ui;
        ProfileStore store(state, ui);
        ProfileSnapshot snapshot(store);
        snapshot.Refresh();
        for (const auto& [section, key] : lookups) {
            std::string read;
            const bool found =
                store.ReadProfileText(section, key, read, 1000, state.contextFile, true);
            EXPECT_EQ(snapshot.Text(section, key), found ? std::optional(read) : std::nullopt)
                << text << " [" << section << "] " << key;
            EXPECT_EQ(snapshot.HasSection(section), HasIniSection(text, section)) << section;
        }
    }
}
