#include "DocumentFixture.h"
#include "document/SegmentCommands.h"
#include "fm/FmMarkerCrossings.h"
#include "fm/FmMarkerLists.h"
#include "fm/FmMarkerTable.h"
#include "fm/FmMarkersDialog.h"
#include "fm/FmSettings.h"
#include "support/TempWorkspace.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

using Positions = std::vector<std::int32_t>;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// The rule read literally, one level at a time, for comparison with the banded search.
Positions LiteralRule(const std::vector<std::int32_t>& x, const std::vector<std::int32_t>& levels) {
    Positions out;
    for (std::size_t p = 1; p < x.size(); ++p) {
        const std::int64_t s0 = x[p - 1];
        const std::int64_t s1 = x[p];
        for (const std::int64_t c : levels) {
            if ((s0 - c) * (s1 - c) <= 0 && s1 != c) {
                out.push_back(
                    static_cast<std::int32_t>(std::llabs(s1 - c) > std::llabs(s0 - c) ? p - 1 : p));
                break;
            }
        }
    }
    return out;
}

struct CrossingCase {
    const char* name;
    std::vector<std::int32_t> samples;
    std::vector<std::int32_t> levels;
    Positions expected;
};

// The normal variant's window in the test workspace: base 1 GHz, deviation 10 MHz.
struct FmWorkspace {
    FmWorkspace() : fm(workspace.services, workspace.Mode()) { fm.LoadLimits(); }
    void Markers(const std::vector<std::string>& values, const char* section = "FmMark0") {
        for (std::size_t i = 0; i < values.size(); ++i) {
            workspace.SetContext(section, "Mrk" + std::to_string(i), values[i]);
        }
    }

    // Lists rebuilt from the stored markers: the bar, then the samples' crossings of codes.
    FmMarkerLists Rebuilt(const std::vector<std::int32_t>& codes) {
        FmMarkerLists lists;
        lists.RebuildBar(workspace.store, fm);
        lists.RebuildSamples(workspace.store, fm, codes.data(), codes.size());
        return lists;
    }

    TempWorkspace workspace{"QW2182", OperatingMode::Fm};
    FmSettings fm;
};

using FmMarkersInTheDocument = FmDocumentFixture;

} // namespace

TEST(FmMarkerCrossings, EdgeCasesOfTheRule) {
    const std::vector<CrossingCase> cases = {
        {"rising between samples, nearer the later", {0, 40, 55, 100}, {50}, {2}},
        {"rising between samples, nearer the earlier", {0, 45, 90}, {50}, {1}},
        {"falling, a tie takes the later position", {100, 60, 40}, {50}, {2}},
        {"touching exactly records the touching sample", {0, 10, 50, 20}, {50}, {2}},
        {"resting on the level records where it leaves", {0, 50, 50, 50, 80}, {50}, {3}},
        {"flat on the level records nothing", {50, 50, 50, 50}, {50}, {}},
        {"touched only by the last sample", {0, 10, 20, 50}, {50}, {}},
        {"the first level in file order, once per position", {0, 100}, {70, 30}, {1}},
        {"every level the waveform passes", {0, 25, 50, 75, 100}, {30, 70}, {1, 3}},
        {"extreme codes do not overflow", {kMin, kMax, kMin}, {0}, {1, 1}},
        {"a single sample has no pairs", {50}, {50}, {}},
    };
    for (const CrossingCase& c : cases) {
        EXPECT_EQ(FmMarkerCrossings::Find(c.samples.data(), c.samples.size(), c.levels), c.expected)
            << c.name;
        EXPECT_EQ(LiteralRule(c.samples, c.levels), c.expected) << c.name;
    }
}

TEST(FmMarkerCrossings, BandedSearchAgreesWithTheLiteralRule) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        // Few distinct values, so that samples land on levels and stay there.
        std::uniform_int_distribution<int> value(0, 12);
        std::vector<std::int32_t> samples(400);
        for (auto& s : samples) {
            s = value(random) * 10;
        }
        std::vector<std::int32_t> levels(1 + round % 6);
        for (auto& level : levels) {
            level = value(random) * 10 + (round % 2 == 0 ? 0 : 5);
        }
        ASSERT_EQ(FmMarkerCrossings::Find(samples.data(), samples.size(), levels),
                  LiteralRule(samples, levels))
            << "round " << round;
    }
}

TEST(FmMarkerCrossings, SamplesInHzIncludingNaN) {
    const std::vector<double> hz = {9.0e6, 10.2e6, std::nan(""), 9.5e6, 11e6};
    EXPECT_EQ(FmMarkerCrossings::Find(hz.data(), hz.size(), {10e6}), (Positions{1, 3}));
}

TEST(FmMarkerLists, MarkersOutsideTheWindowLeaveTheSingleEntries) {
    FmWorkspace f;
    f.Markers({"5e6", "2000000000"});
    const FmMarkerLists lists = f.Rebuilt(std::vector<std::int32_t>(10, 500000000));
    EXPECT_EQ(lists.BarItems(), std::vector<std::string>{"0"});
    EXPECT_EQ(lists.SampleList(), Positions{0});
    EXPECT_EQ(lists.InsideCount(), 0);
}

TEST(FmMarkerLists, BarKeepsTheStoredTextInReverseFileOrderUpToTheFirstHole) {
    FmWorkspace f;
    // Window 990 MHz .. 1010 MHz; Mrk3 is missing, so Mrk4 is never read.
    f.Markers({"995000000", "1.005e9", "abc"});
    f.workspace.SetContext("FmMark0", "Mrk4", "1000000000");
    EXPECT_EQ(f.Rebuilt({}).BarItems(), (std::vector<std::string>{"1.005e9", "995000000"}));
}

TEST(FmMarkerLists, LevelCodesSpanTheWindowAndTheSamplesFollowThem) {
    FmWorkspace f;
    EXPECT_EQ(FmMarkerLists::LevelCode(990e6, f.fm.Fmin(), f.fm.Fmax()), 0);
    EXPECT_EQ(FmMarkerLists::LevelCode(1e9, f.fm.Fmin(), f.fm.Fmax()), 500000000);
    EXPECT_EQ(FmMarkerLists::LevelCode(1010e6, f.fm.Fmin(), f.fm.Fmax()), 1000000000);
    EXPECT_EQ(FmMarkerLists::LevelCode(1e9, 1e9, 1e9), 0); // a closed window does not trap

    f.Markers({"1000000000"});
    const FmMarkerLists lists = f.Rebuilt({0, 400000000, 600000000, 500000000, 700000000});
    EXPECT_EQ(lists.SampleList(), (Positions{2, 3}));
    EXPECT_EQ(lists.InsideCount(), 1);
    // Flat on the only marker's level: an empty list, not the single entry 0.
    EXPECT_TRUE(f.Rebuilt(std::vector<std::int32_t>(5, 500000000)).SampleList().empty());
}

TEST(FmMarkersDialog, LoadShowsEachModesOwnListInItsOrder) {
    FmWorkspace f;
    f.Markers({"1000000", "2500000", "-7"}, "FmMark1");
    f.workspace.SetContext("FmMark1", "FmSort", "0");
    f.workspace.SetContext("Settings", "FmFuncMode", "1");
    f.fm.LoadFmSettings();
    FmMarkersDialog dialog(f.workspace.services, f.fm);
    dialog.Load();
    EXPECT_EQ(dialog.Section(), "FmMark1");
    EXPECT_FALSE(dialog.Ascending());
    EXPECT_EQ(dialog.DisplayTexts(),
              (std::vector<std::string>{"-7.00000000e0", "2.50000000e6", "1.00000000e6"}));
    EXPECT_FALSE(dialog.Modified());
}

TEST(FmMarkersDialog, AddFollowsTheRulesOfTheEditText) {
    FmWorkspace f;
    f.Markers({"995000000", "1005000000"});
    FmMarkersDialog dialog(f.workspace.services, f.fm);
    dialog.Load();
    using O = FmMarkersDialog::AddOutcome;
    struct Step {
        const char* text;
        O outcome;
        std::vector<int> messages;
    };
    const std::vector<Step> steps = {
        {"", O::Empty, {}},
        {"1000000000.9", O::Added, {}}, // truncated toward zero
        {"1e9", O::Duplicate, {}},      // silently ignored
        {"5e6", O::Added, {3016}},      // outside the window: warned, still added
        {"5000000.5", O::Duplicate, {3016}},
        {"kHz", O::NotANumber, {0}},
        {"3e9", O::TooLarge, {0}},
        {"12345678901234567890123", O::TooLarge, {0}}, // only 19 characters are read
    };
    for (const Step& step : steps) {
        f.workspace.ui.Clear();
        EXPECT_EQ(dialog.Add(step.text), step.outcome) << step.text;
        EXPECT_EQ(f.workspace.ui.MessageIds(), step.messages) << step.text;
    }
    EXPECT_EQ(dialog.Markers(),
              (std::vector<std::int32_t>{5000000, 995000000, 1000000000, 1005000000}));
    EXPECT_TRUE(dialog.Modified());
    f.workspace.ui.Clear();
    dialog.Add("6e6");
    ASSERT_EQ(f.workspace.ui.messages.size(), 1u);
    EXPECT_EQ(f.workspace.ui.messages[0].caption, "Warning");
    EXPECT_EQ(f.workspace.ui.messages[0].text,
              "The FM marker value will be added but note it is out of current range.");
}

TEST(FmMarkersDialog, DeleteMapsTheDisplayRowAndOrderChangesDoNotModify) {
    FmWorkspace f;
    f.Markers({"1", "2", "3"});
    FmMarkersDialog dialog(f.workspace.services, f.fm);
    dialog.Load();
    dialog.SetAscending(false);
    EXPECT_FALSE(dialog.Modified());
    EXPECT_FALSE(dialog.DeleteRow(-1));
    EXPECT_FALSE(dialog.DeleteRow(3));
    EXPECT_TRUE(dialog.DeleteRow(0)); // the top row of a descending display: the largest
    EXPECT_EQ(dialog.Markers(), (std::vector<std::int32_t>{1, 2}));
    dialog.SetAscending(true);
    EXPECT_TRUE(dialog.DeleteRow(0));
    EXPECT_EQ(dialog.Markers(), std::vector<std::int32_t>{2});
}

TEST(FmMarkersDialog, StoreReplacesTheSectionAndCloseAsksOnlyWhenModified) {
    FmWorkspace f;
    f.Markers({"10", "20", "30", "40"});
    {
        FmMarkersDialog dialog(f.workspace.services, f.fm);
        dialog.Load();
        dialog.RemoveAll();
        EXPECT_FALSE(dialog.Close()); // Remove All does not modify: no question
        EXPECT_TRUE(f.workspace.ui.messages.empty());
    }
    {
        FmMarkersDialog dialog(f.workspace.services, f.fm);
        dialog.Load();
        dialog.Add("15");
        f.workspace.ui.Clear();
        f.workspace.ui.answers.push_back(MessageAnswer::No);
        EXPECT_FALSE(dialog.Close());
        ASSERT_EQ(f.workspace.ui.messages.size(), 1u);
        EXPECT_EQ(f.workspace.ui.messages[0].text, "Do you want to save changes ?");
        EXPECT_EQ(f.workspace.ui.messages[0].caption, "Data is modified");
        EXPECT_EQ(f.workspace.Context("FmMark0", "Mrk1"), "20");
    }
    FmMarkersDialog dialog(f.workspace.services, f.fm);
    dialog.Load();
    dialog.DeleteRow(3);
    dialog.DeleteRow(2);
    dialog.Add("15");
    dialog.SetAscending(false);
    f.workspace.ui.answers.push_back(MessageAnswer::Yes);
    EXPECT_TRUE(dialog.Close());
    EXPECT_EQ(f.workspace.Context("FmMark0", "FmSort"), "0");
    EXPECT_EQ(f.workspace.Context("FmMark0", "Mrk0"), "10");
    EXPECT_EQ(f.workspace.Context("FmMark0", "Mrk1"), "15");
    EXPECT_EQ(f.workspace.Context("FmMark0", "Mrk2"), "20");
    EXPECT_EQ(FmMarkerTable(f.workspace.store, 0).ReadTexts(39).size(), 3u); // Mrk3 gone
    EXPECT_FALSE(dialog.Modified());
}

TEST(FmMarkersDialog, StoredValuesReadAsWholeNumbers) {
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"1000000", 1000000},   {" -5", -5}, {"12x", 12},
        {"1.5e6", 1},           {"abc", 0},  {"99999999999", kMax},
        {"-99999999999", kMin},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(FmMarkersDialog::ReadStoredMarker(text), value) << text;
    }
    EXPECT_EQ(FmMarkersDialog::FormatMarker(0), "0.00000000e0");
    EXPECT_EQ(FmMarkersDialog::FormatMarker(kMax), "2.14748365e9");
}

TEST_F(FmMarkersInTheDocument, DeviationRebuildsBothListsAndAReloadOnlyTheBar) {
    workspace.SetContext("FmMark0", "Mrk0", "1004000000");
    workspace.OpenActiveSegment(document); // flat on the base, window 990 MHz .. 1010 MHz
    EXPECT_EQ(document.FmMarkers().BarItems(), std::vector<std::string>{"1004000000"});
    EXPECT_EQ(document.FmMarkers().InsideCount(), 1);

    // Letters are refused with a message and change nothing.
    EXPECT_EQ(document.SetFmDeviation("abc"), "1e7");
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{0});
    EXPECT_EQ(document.Fm().Deviation(), 10e6);

    const int updates = view.updates;
    EXPECT_EQ(document.SetFmDeviation("3e6"), "3e6");
    EXPECT_EQ(document.FmMarkers().BarItems(), std::vector<std::string>{"0"});
    EXPECT_EQ(document.FmMarkers().SampleList(), Positions{0});
    EXPECT_GT(view.updates, updates);

    // The host widens the window again: the bar follows, the sample list waits.
    workspace.SetContext("Settings", "FmDev0", "8e6");
    SegmentCommands(document, workspace.services).ReloadSharedState();
    EXPECT_EQ(document.FmMarkers().BarItems(), std::vector<std::string>{"1004000000"});
    EXPECT_EQ(document.FmMarkers().SampleList(), Positions{0});
}
