#include "CliFixture.h"
#include "document/FormatsTestFiles.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace {

// An FM workspace: window 990 MHz .. 1010 MHz.
class CliFmTest : public CliFixture {
protected:
    CliFmTest() : CliFixture("QW2182", OperatingMode::Fm) { modeWords = {"--mode", "fm"}; }

    // What an FM run prints, with the answer policy if any.
    std::string Fm(std::vector<std::string> words, const char* answer = nullptr) {
        if (answer != nullptr) {
            words.insert(words.begin(), answer);
        }
        return RunForOutput(std::move(words));
    }
};

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\n";
    }
    return text;
}

} // namespace

TEST_F(CliFmTest, MarkerActionsRunInOrderOnOneOpeningOfTheTable) {
    EXPECT_EQ(Fm({"fm", "markers", "add", "1e9", "add", "995e6", "add", "995e6", "add", "", "sort",
                  "desc", "list", "delete", "2", "list", "store"}),
              Lines({"1.00000000e9", "9.95000000e8", "1.00000000e9"}));
    EXPECT_EQ(lastCode, 0);
    EXPECT_EQ(workspace.Context("FmMark0", "FmSort"), "0");
    EXPECT_EQ(workspace.Context("FmMark0", "Mrk0"), "1000000000");
    EXPECT_EQ(workspace.Context("FmMark0", "Mrk1"), "");
    EXPECT_EQ(Fm({"fm", "markers", "list"}), "1.00000000e9\n");
}

// That Remove All leaves the table unmodified, so that no question comes, is the dialog's
// (FmMarkersDialog.StoreReplacesTheSectionAndCloseAsksOnlyWhenModified).
TEST_F(CliFmTest, WithoutStoreTheCloseQuestionDecides) {
    workspace.SetContext("FmMark0", "Mrk0", "1000000000");
    Fm({"fm", "markers", "add", "1001000000"}, "--no");
    EXPECT_EQ(lastCode, 0);
    EXPECT_EQ(workspace.Context("FmMark0", "Mrk1"), "");
    Fm({"fm", "markers", "add", "1001000000"}, "--yes");
    EXPECT_EQ(workspace.Context("FmMark0", "Mrk1"), "1001000000");
}

// Which markers count and where the crossings lie is FmMarkerLists' and
// FmMarkerCrossings'; the run prints what the download sends.
TEST_F(CliFmTest, CrossingsAreWhatTheDownloadHandsTheHost) {
    Fm({"fm", "markers", "add", "1e9", "add", "5e6", "store"}, "--yes");
    ASSERT_EQ(Run({"generate", "sine"}), 0);
    const std::string printed = Fm({"fm", "crossings"});
    std::vector<std::int32_t> positions;
    std::istringstream lines(printed);
    for (std::int32_t p = 0; lines >> p;) {
        positions.push_back(p);
    }
    ASSERT_GE(positions.size(), 2u);
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Run({"download"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr().find("download:"), std::string::npos);
    EXPECT_EQ(ReadElements<std::int32_t>(workspace.state.userFolder + "/$xMark"), positions);
}

// The window the deviation sets and the values it refuses are FmSettings' (its
// DeviationField... and OnlyFunctionModeZero... tests); the run prints the field's text.
TEST_F(CliFmTest, DeviationIsTheConfirmedField) {
    EXPECT_EQ(Fm({"fm", "deviation", "5e6"}), "5e6\n");
    EXPECT_EQ(lastCode, 0);
    EXPECT_EQ(workspace.Context("Settings", "FmDev0"), "5e6");
    for (const char* bad : {"9e9", "-5", "0", "abc", ""}) {
        EXPECT_EQ(Fm({"fm", "deviation", bad}), "5e6\n") << bad;
        EXPECT_EQ(lastCode, 1) << bad;
    }
}

TEST_F(CliFmTest, BadWordsAreUsageErrorsAndBadValuesAreRefused) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"fm"},
             {"fm", "bar", "x"},
             {"fm", "deviation"},
             {"fm", "markers", "add"},
             {"fm", "markers", "delete", "x"},
             {"fm", "markers", "delete", "0"},
             {"fm", "markers", "store", "twice"},
         }) {
        Fm(words);
        EXPECT_EQ(lastCode, 2) << words.back();
    }

    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"fm", "markers", "add", "MHz", "store"},
             {"fm", "markers", "add", "99999999999", "store"},
             {"fm", "markers", "delete", "1", "store"},
         }) {
        Fm(words);
        EXPECT_EQ(lastCode, 1) << words[3];
    }
    EXPECT_EQ(workspace.Context("FmMark0", "Mrk0"), "");
}

// How a hole or a text that is no number reads is FmMarkerLists' and FmMarkersDialog's
// (BarKeepsTheStoredTextInReverseFileOrderUpToTheFirstHole, StoredValuesReadAsWholeNumbers).
TEST_F(CliFmTest, TenThousandStoredMarkersAreListedBarredAndSearched) {
    IniEntries entries;
    for (int i = 0; i < 10000; ++i) {
        entries.emplace_back("Mrk" + std::to_string(i), std::to_string(990000000 + i * 2000));
    }
    workspace.store.WriteProfileSection("FmMark0", entries, workspace.store.ContextFile());

    const std::string list = Fm({"fm", "markers", "list"});
    EXPECT_EQ(lastCode, 0);
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 10000);
    EXPECT_EQ(list.substr(0, 13), "9.90000000e8\n");

    const std::string bar = Fm({"fm", "bar"});
    EXPECT_EQ(std::count(bar.begin(), bar.end(), '\n'), 10000);
    EXPECT_EQ(bar.substr(0, 10), "1009998000");
    // The new waveform lies flat on the marker at 1 GHz: no crossing at all.
    EXPECT_EQ(Fm({"fm", "crossings"}), "");
}

// A wide-FM family's download has no marker file: a run whose window holds markers says how
// many were not sent (the new wide waveform is flat on 10 MHz, its window 9 .. 11 MHz).
class CliWideFmTest : public CliFixture {
protected:
    CliWideFmTest() : CliFixture("G4270", OperatingMode::Fm) { modeWords = {"--mode", "fm"}; }
};

TEST_F(CliWideFmTest, DownloadTellsTheMarkersInTheWindowThatWereNotSent) {
    const std::string line = "wavesmith-cli: download: ";
    for (const auto& [key, marker, told] :
         {std::tuple{"Mrk0", "50000000", ""}, {"Mrk1", "9500000", "1 FM marker not sent"}}) {
        workspace.SetContext("FmMark0", key, marker);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Run({"download"}), CliApp::Success);
        const std::string err = ::testing::internal::GetCapturedStderr();
        const std::string expected = line + told + ": a wide-FM family has no marker file\n";
        EXPECT_EQ(err.find(*told == '\0' ? line : expected) != std::string::npos, *told != '\0')
            << err;
    }
}
