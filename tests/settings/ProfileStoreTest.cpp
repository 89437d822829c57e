#include "settings/ProfileStore.h"

#include "ScratchFolder.h"
#include "core/AppState.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/RegistryKey.h"
#include "support/ReplacementCounter.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace {

class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStoreTest()
        : registry_("WAVESMITH_REGISTRY_DIR", (folder_.Path() + "/registry").c_str()),
          store_(state_, ui_) {
        state_.contextFile = folder_.File("TempGlyp.cad");
        state_.familyFile = folder_.File("QW2182.fam");
    }

    void Context(const std::string& text) { folder_.Write("TempGlyp.cad", text); }

    // Reads from the context file with room for 20 characters.
    std::optional<std::string> Read(std::string_view section, std::string_view key,
                                    bool quiet = true, int size = 20) {
        std::string text;
        const bool found = store_.ReadProfileText(section, key, text, size, Ctx(), quiet);
        return found ? std::optional<std::string>(text) : std::nullopt;
    }

    const std::string& Ctx() const { return state_.contextFile; }

    ScratchFolder folder_;
    ScopedEnvironment registry_;
    AppState state_;
    RecordingUserInterface ui_;
    ProfileStore store_;
};

} // namespace

TEST_F(ProfileStoreTest, ValuesLoseCommentsAndMatchingQuotesAndNooIsMissing) {
    Context("[S]\nch=1 // channel\nletters=a\tb\nboth=a\tb //c\nonly=//x\nurl=a//b\n"
            "upper=NOO\nmixed=nOo\nlonger=noo2\nq=\"a b\"\ns='x'\nodd=\"a'\none=\"\n"
            "[Names]\nfirst=1\nsecond=2\n");
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"ch", "1"},
        {"letters", "a\tb"}, // tabs stay when there is no comment
        {"both", "a b"},
        {"only", ""},
        {"url", "a"},
        {"upper", std::nullopt},
        {"mixed", std::nullopt},
        {"longer", "noo2"},
        {"q", "a b"},
        {"s", "x"},
        {"odd", "\"a'"},
        {"one", "\""}};
    for (const auto& [key, expected] : cases) {
        EXPECT_EQ(Read("S", key), expected) << key;
    }
    EXPECT_EQ(Read("Names", ""), std::string("first\0second\0", 13))
        << "an empty key lists the keys";
    EXPECT_TRUE(ui_.messages.empty()) << "quiet reads show nothing";
}

TEST_F(ProfileStoreTest, MissingRecordIsReportedUnlessQuiet) {
    Context("[S]\nk=1\n");
    EXPECT_EQ(Read("S", "absent", false), std::nullopt);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].caption, "Record not found");
    EXPECT_EQ(ui_.messages[0].text, "File " + Ctx() + "\nSect=S\nKey=absent");
    EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(ui_.messages[0].id, 0);

    EXPECT_EQ(Read("Nowhere", "", false), std::nullopt);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[1].text, "File " + Ctx() + "\nSect=Nowhere\nKey=NULL");
}

// Numbers are read through a room of 80 characters.
TEST_F(ProfileStoreTest, ValueOfSizeMinusTwoCharactersDoesNotFitEvenWhenQuiet) {
    Context("[S]\nseven=1234567\neight=12345678\nlong=123456789012345\nlist=" +
            std::string(78, '1') + "\n");
    EXPECT_EQ(Read("S", "seven", true, 10), "1234567");
    EXPECT_EQ(Read("S", "eight", true, 10), std::nullopt);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].caption, "Too few room in destination");
    EXPECT_EQ(ui_.messages[0].text, "File " + Ctx() + "\nSect=S\nKey=eight");

    std::string text;
    EXPECT_FALSE(store_.ReadProfileText("S", "long", text, 10, Ctx(), true));
    EXPECT_EQ(text, "123456789") << "the buffer holds size - 1 characters";
    EXPECT_FALSE(store_.ReadProfileText("S", "seven", text, 0, Ctx(), true));
    EXPECT_EQ(text, "");

    const std::size_t shown = ui_.messages.size();
    EXPECT_EQ(store_.ReadProfileNumber("list", 0, "S", -7), -7);
    ASSERT_EQ(ui_.messages.size(), shown + 1);
    EXPECT_EQ(ui_.messages.back().caption, "Too few room in destination");
}

TEST_F(ProfileStoreTest, NumbersAreReadByIndexFromTheContextFile) {
    // How a value's leading number is read is NumberReading's; a value without one gives the
    // default.
    Context("[Settings]\ntwo=5 6\nthree=5 6 7 // c\nnone=abc\nActiveSeg=3\t4\n");
    EXPECT_EQ(store_.ReadProfileNumber("two", 2, "Settings", kMissingNumber), 6);
    EXPECT_EQ(store_.ReadProfileNumber("three", 2, "Settings", kMissingNumber), 7);
    EXPECT_EQ(store_.ReadProfileNumber("three", 0, "Settings", kMissingNumber), 5);
    EXPECT_EQ(store_.ReadProfileNumber("absent", 0, "Settings", kMissingNumber), kMissingNumber);
    EXPECT_EQ(store_.ReadProfileNumber("none", 0, "Settings", 42), 42);
    EXPECT_EQ(store_.ReadProfileNumber("ActiveSeg", 1, "Settings", 0), 4);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ProfileStoreTest, HostValuesOfSettingsAndModelListComeFromTheMachineRoot) {
    store_.WriteHostValue("SmOrg", "10 20", "DrawRect");
    EXPECT_EQ(store_.ReadHostValue("DrawRect", "smorg"), "10 20");
    EXPECT_EQ(
        RegistryKey(RegistryRoot::CurrentUser, state_.hostKey + "\\DrawRect").ReadValue("SmOrg"),
        "10 20");

    RegistryKey(RegistryRoot::LocalMachine, state_.hostKey + "\\Settings").WriteValue("a", "m");
    RegistryKey(RegistryRoot::LocalMachine, state_.hostKey + "\\modelList").WriteValue("b", "n");
    RegistryKey(RegistryRoot::LocalMachine, state_.hostKey).WriteValue("Path", "p");
    RegistryKey(RegistryRoot::CurrentUser, state_.hostKey + "\\Settings").WriteValue("a", "user");
    EXPECT_EQ(store_.ReadHostValue("SETTINGS", "a"), "m");
    EXPECT_EQ(store_.ReadHostValue("ModelList", "b"), "n");
    EXPECT_EQ(store_.ReadHostValue("", "Path"), "p");
    EXPECT_EQ(store_.ReadHostValue("DrawRect", "missing"), "");
    EXPECT_EQ(store_.ReadHostValue("NoKey", "x"), "");
}

TEST_F(ProfileStoreTest, PlainWritesDeletionsAndWholeSections) {
    ASSERT_TRUE(store_.WriteProfileText("Modif", "Segm1-0", "1", Ctx()));
    ASSERT_TRUE(store_.WriteProfileText("Modif", "Common", "0", Ctx()));
    EXPECT_EQ(Read("modif", "segm1-0"), "1");
    ASSERT_TRUE(store_.DeleteProfileKey("Modif", "SEGM1-0", Ctx()));
    EXPECT_EQ(Read("Modif", "Segm1-0"), std::nullopt);

    const IniEntries pulse{{"qPls", "2"}, {"activePls", "1"}};
    ASSERT_TRUE(store_.WriteProfileSection("PulseRoot-ch0", pulse, Ctx()));
    EXPECT_EQ(store_.ReadProfileSection("pulseroot-CH0", Ctx()), pulse);
    ASSERT_TRUE(store_.DeleteProfileSection("PulseRoot-ch0", Ctx()));
    EXPECT_TRUE(store_.ReadProfileSection("PulseRoot-ch0", Ctx()).empty());
    EXPECT_EQ(ScratchFolder::Read(Ctx()), "[Modif]\nCommon=0\n");
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ProfileStoreTest, SeveralKeysGoInOneRewriteAndAValueOfTwoLinesIsRefusedAndTold) {
    Context("[F]\nA=0\n");
    ReplacementCounter rewrites(Ctx());
    EXPECT_FALSE(store_.WriteProfileTexts("F", {{"A", "1"}, {"B", "x\ny"}, {"C", "3"}}, Ctx()));
    EXPECT_EQ(rewrites.Count(), 1);
    EXPECT_EQ(ScratchFolder::Read(Ctx()), "[F]\nA=1\nC=3\n");
    EXPECT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(store_.WriteFailed());
}

TEST_F(ProfileStoreTest, FailedWritesAreReportedOncePerFile) {
    const std::string lost = folder_.File("gone/TempGlyp.cad");
    EXPECT_FALSE(store_.WriteProfileText("A", "k", "1", lost));
    EXPECT_FALSE(store_.WriteProfileText("A", "k", "2", lost));
    const std::string other = folder_.File("gone/x.cad");
    EXPECT_TRUE(store_.DeleteProfileSection("A", other)) << "nothing to delete, nothing to write";
    EXPECT_FALSE(store_.WriteProfileSection("A", {{"k", "1"}}, other));
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].caption, "Settings not saved");
    EXPECT_NE(ui_.messages[0].text.find(lost), std::string::npos);
    EXPECT_NE(ui_.messages[0].text.find("No such file or directory"), std::string::npos)
        << ui_.messages[0].text;
    EXPECT_NE(ui_.messages[1].text.find("gone/x.cad"), std::string::npos);
}
