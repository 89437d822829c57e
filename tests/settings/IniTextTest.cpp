#include "settings/IniText.h"

#include <gtest/gtest.h>

namespace {

std::string Value(std::string_view text, std::string_view section, std::string_view key) {
    const auto value = FindIniValue(text, section, key);
    return value ? std::string(*value) : std::string("<missing>");
}

std::string AfterSet(std::string text, std::string_view section, std::string_view key,
                     std::optional<std::string_view> value) {
    SetIniValue(text, section, key, value);
    return text;
}

} // namespace

TEST(IniText, NamesIgnoreCaseAndBlanksAroundKeysAndValuesAreTrimmed) {
    const std::string text = "[Settings]\n  ActiveCh =  2 \t\n[ Spaced Name ]\nk=v\n";
    EXPECT_EQ(Value(text, "settings", "ACTIVECH"), "2");
    EXPECT_EQ(Value(text, "spaced name", "K"), "v");
    EXPECT_EQ(Value(text, "Settings", "k"), "<missing>");
}

TEST(IniText, LinesWithoutEqualsCommentsAndTextBeforeTheFirstHeaderMeanNothing) {
    const std::string text = "lost=1\n[A]\njunk line\n;hidden=1\nk = a = b\n";
    EXPECT_EQ(Value(text, "A", "junk line"), "<missing>");
    EXPECT_EQ(Value(text, "A", ";hidden"), "<missing>");
    EXPECT_EQ(Value(text, "A", "lost"), "<missing>");
    EXPECT_EQ(Value(text, "A", "k"), "a = b");
    EXPECT_EQ(ReadIniSection(text, "a"), (IniEntries{{"k", "a = b"}}));
}

TEST(IniText, HeaderWithoutClosingBracketKeepsFollowingKeysInTheSectionAbove) {
    const std::string text = "[A]\na=1\n[B\nb=2\n[C] trailing\nc=3\n";
    EXPECT_EQ(Value(text, "A", "b"), "2");
    EXPECT_EQ(Value(text, "B", "b"), "<missing>");
    EXPECT_EQ(Value(text, "C", "c"), "3");
    EXPECT_EQ(IniSectionNames(text), (std::vector<std::string>{"A", "C"}));
}

TEST(IniText, CrLfAndLfLinesReadAlike) {
    EXPECT_EQ(Value("[A]\r\na=1\r\nb= 2 \r\n", "A", "b"), "2");
    EXPECT_EQ(Value("[A]\na=1\nb= 2 \n", "A", "b"), "2");
    EXPECT_EQ(Value("[A]\r\na=1", "A", "a"), "1");
}

TEST(IniText, FirstOfDuplicateKeysAndSectionsWinsForReadsAndWrites) {
    std::string text = "[A]\nk=1\nk=2\n[a]\nk=3\nm=4\n";
    EXPECT_EQ(Value(text, "A", "k"), "1");
    EXPECT_EQ(Value(text, "A", "m"), "4");
    EXPECT_EQ(ReadIniSection(text, "A"), (IniEntries{{"k", "1"}, {"m", "4"}}));
    EXPECT_TRUE(SetIniValue(text, "A", "K", "9"));
    EXPECT_EQ(text, "[A]\nk=9\nk=2\n[a]\nk=3\nm=4\n");
    EXPECT_TRUE(SetIniValue(text, "A", "n", "5"));
    EXPECT_EQ(text, "[A]\nk=9\nk=2\nn=5\n[a]\nk=3\nm=4\n");
}

TEST(IniText, WritingTheValueAlreadyThereChangesNothing) {
    std::string text = "[A]\nk=1\n";
    EXPECT_FALSE(SetIniValue(text, "A", "k", "1"));
    std::string spaced = "[A]\nk = 1\n";
    EXPECT_TRUE(SetIniValue(spaced, "A", "k", "1"));
    EXPECT_EQ(spaced, "[A]\nk=1\n");
}

TEST(IniText, NewKeyFollowsTheLastKeyOfItsSection) {
    EXPECT_EQ(AfterSet("[A]\na=1\n; about B\n\n[B]\nb=2\n", "a", "c", "3"),
              "[A]\na=1\nc=3\n; about B\n\n[B]\nb=2\n");
    EXPECT_EQ(AfterSet("[A]\n\n[B]\n", "A", "c", "3"), "[A]\nc=3\n\n[B]\n");
    EXPECT_EQ(AfterSet("[A]", "A", "c", "3"), "[A]\nc=3\n");
    EXPECT_EQ(AfterSet("[A]\na=1", "A", "c", "3"), "[A]\na=1\nc=3\n");
}

TEST(IniText, NewSectionGoesAtTheEndInTheFilesLineEnds) {
    EXPECT_EQ(AfterSet("", "A", "k", "v"), "[A]\nk=v\n");
    EXPECT_EQ(AfterSet("[A]\na=1", "B", "k", "v"), "[A]\na=1\n[B]\nk=v\n");
    EXPECT_EQ(AfterSet("[A]\r\na=1\r\n", "B", "k", "v"), "[A]\r\na=1\r\n[B]\r\nk=v\r\n");
    EXPECT_EQ(AfterSet("[A]\r\na=1\r\n", "A", "k", "v"), "[A]\r\na=1\r\nk=v\r\n");
}

TEST(IniText, DeletingAKeyRemovesItsLineOnly) {
    EXPECT_EQ(AfterSet("[A]\r\na=1\r\nb=2\r\n", "A", "A", std::nullopt), "[A]\r\nb=2\r\n");
    std::string text = "[A]\na=1\n";
    EXPECT_FALSE(SetIniValue(text, "A", "missing", std::nullopt));
    EXPECT_FALSE(SetIniValue(text, "Missing", "a", std::nullopt));
    EXPECT_EQ(text, "[A]\na=1\n");
}

TEST(IniText, DeletingASectionRemovesEveryHeaderOfItsNameWithItsBody) {
    std::string text = "[A]\na=1\n\n[B]\nb=1\n; c\n[a]\nx=2\n[C]\nc=1";
    EXPECT_TRUE(RemoveIniSection(text, "A"));
    EXPECT_EQ(text, "[B]\nb=1\n; c\n[C]\nc=1");
    EXPECT_FALSE(RemoveIniSection(text, "A"));
}

TEST(IniText, ReplacingASectionKeepsItsPlaceAndTheBlankLinesAfterIt) {
    std::string text = "[A]\na=1\n;c\nb=2\n\n[B]\nb=1\n[a]\nz=9\n";
    EXPECT_TRUE(ReplaceIniSection(text, "a", {{"x", "1"}, {"y", "2"}}));
    EXPECT_EQ(text, "[A]\nx=1\ny=2\n\n[B]\nb=1\n");
    EXPECT_FALSE(ReplaceIniSection(text, "A", {{"x", "1"}, {"y", "2"}}));
    EXPECT_TRUE(ReplaceIniSection(text, "C", {{"k", "v"}}));
    EXPECT_EQ(text, "[A]\nx=1\ny=2\n\n[B]\nb=1\n[C]\nk=v\n");
    EXPECT_TRUE(ReplaceIniSection(text, "B", {}));
    EXPECT_EQ(text, "[A]\nx=1\ny=2\n\n[B]\n[C]\nk=v\n");
}
