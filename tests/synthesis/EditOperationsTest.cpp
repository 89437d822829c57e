#include "support/TempWorkspace.h"

#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "settings/IniFile.h"
#include "synthesis/EditCommands.h"
#include "synthesis/EditOperations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <vector>

namespace {

SampleBuffer Codes16(std::size_t n, double value) {
    SampleBuffer samples(SampleKind::Code16);
    samples.Assign(n, value);
    return samples;
}

SampleBuffer Ramp16(std::size_t n) {
    SampleBuffer samples(SampleKind::Code16);
    samples.Assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        samples.Store(i, static_cast<double>(i));
    }
    return samples;
}

std::vector<double> Values(const SampleBuffer& samples) {
    std::vector<double> values(samples.Size());
    for (std::size_t i = 0; i < samples.Size(); ++i) {
        values[i] = samples.At(i);
    }
    return values;
}

} // namespace

TEST(Filter, ConstantWaveformStartsHighAndSettlesInShrinkingIntegerSteps) {
    SampleBuffer samples = Codes16(1000, 1000);
    ASSERT_TRUE(EditOperations::Filter(samples, 100, 400, 999));
    const std::vector<double> expected = {1050, 1048, 1046, 1044, 1042, 1040, 1038, 1037, 1036};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(samples.At(100 + k), expected[k]) << "point " << 100 + k;
    }
    EXPECT_EQ(samples.At(99), 1000);
    EXPECT_EQ(samples.At(400), 1000) << "point b is not changed";
}

TEST(Filter, StartValueIsTheWindowSumAroundTheLeftAnchorDividedByW) {
    SampleBuffer samples = Ramp16(1000);
    ASSERT_TRUE(EditOperations::Filter(samples, 100, 400, 999));
    // W = 20: points 90..110 (21 of them) sum to 2100.
    EXPECT_EQ(samples.At(100), 105);
}

TEST(Filter, WindowIndicesBelowZeroWrapByTheVisibleEnd) {
    SampleBuffer samples = Ramp16(1000);
    ASSERT_TRUE(EditOperations::Filter(samples, 2, 302, 999));
    // W = 20: j = -8..12; -8..-1 read points 991..998.
    const double sum = (991 + 998) * 8 / 2 + (0 + 12) * 13 / 2;
    EXPECT_EQ(samples.At(2), std::trunc(sum / 20));
}

TEST(Filter, FewerThanFifteenPointsBetweenAnchorsLeaveTheWaveformUnchanged) {
    SampleBuffer samples = Ramp16(100);
    const auto before = Values(samples);
    EXPECT_FALSE(EditOperations::Filter(samples, 10, 24, 99));
    EXPECT_EQ(Values(samples), before);
}

TEST(Filter, ValuesInHertzFollowWithExactSteps) {
    SampleBuffer samples(SampleKind::Hz64);
    samples.Assign(1000, 1000.0);
    ASSERT_TRUE(EditOperations::Filter(samples, 100, 400, 999));
    EXPECT_EQ(samples.At(100), 1050.0);
    // m = 1050 - 50/20 = 1047.5, stored truncated; then 1047.5 + (1000 - 1047)/20.
    EXPECT_EQ(samples.At(101), 1047.0);
    EXPECT_EQ(samples.At(102), 1045.0);
}

TEST(Filter, FmCodesStepInIntegersWithoutOverflow) {
    SampleBuffer samples(SampleKind::Code32);
    samples.Assign(1000, 1000000000.0);
    samples.Store(101, 0.0);
    ASSERT_TRUE(EditOperations::Filter(samples, 100, 400, 999));
    // Window 90..110 holds one zero: 20e9 / 20.
    EXPECT_EQ(samples.At(100), 1000000000.0);
    EXPECT_EQ(samples.At(101), 1000000000.0 - 50000000.0);
}

TEST(Smooth, KeepsItsFourFittingPointsAndReplacesTheInsideByTheCubic) {
    struct Case {
        const char* rule;
        std::size_t length;
        long long left, right;
        long long farT; // fitting points at t = 0, 1, farT and farT + 1 from the left anchor
    };
    const Case cases[] = {
        {"anchors inside the waveform", 400, 100, 200, 100},
        {"right anchor on the last point fits the end from inside", 300, 200, 299, 98}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        // A cubic with whole values on the four fitting points.
        const double m = static_cast<double>(c.farT);
        auto cubic = [m](double t) { return 40 + 2 * t + t * (t - 1) * (t - m) / m; };
        SampleBuffer samples = Codes16(c.length, 0);
        for (std::size_t i = 0; i < samples.Size(); ++i) {
            samples.Store(i, static_cast<double>((i * 7919) % 300));
        }
        for (long long t : {0LL, 1LL, c.farT, c.farT + 1}) {
            samples.Store(c.left + t, cubic(t));
        }
        const auto before = Values(samples);
        ASSERT_TRUE(EditOperations::Smooth(samples, c.left, c.right, {-8192, 8191}));
        for (long long t : {0LL, 1LL, c.farT, c.farT + 1}) {
            EXPECT_NEAR(samples.At(c.left + t), before[c.left + t], 1.0) << "fitting t " << t;
        }
        EXPECT_NEAR(samples.At(c.left + 50), cubic(50), 1.0);
        EXPECT_NEAR(samples.At(c.left + 75), cubic(75), 1.0);
        EXPECT_EQ(samples.At(c.left - 1), before[c.left - 1]);
        const std::size_t after = c.left + c.farT + 2;
        if (after < c.length) {
            EXPECT_EQ(samples.At(after), before[after]);
        }
    }
}

TEST(Smooth, ResultIsLimitedToTheVerticalRange) {
    SampleBuffer samples = Codes16(100, 0);
    samples.Store(10, 0);
    samples.Store(11, 8000);
    samples.Store(50, 8000);
    samples.Store(51, 0);
    ASSERT_TRUE(EditOperations::Smooth(samples, 10, 50, {-8192, 8191}));
    double highest = -1e9;
    for (std::size_t i = 10; i <= 51; ++i) {
        highest = std::max(highest, samples.At(i));
    }
    EXPECT_EQ(highest, 8191);
}

TEST(Smooth, TwoPointsBetweenAnchorsCannotDetermineACubicAndChangeNothing) {
    SampleBuffer samples = Ramp16(100);
    const auto before = Values(samples);
    EXPECT_FALSE(EditOperations::Smooth(samples, 10, 11, {-8192, 8191}));
    EXPECT_EQ(Values(samples), before);
}

TEST(Invert, TwiceRestoresCodesThatWereNotLimited) {
    SampleBuffer samples = Ramp16(1000);
    for (std::size_t i = 0; i < samples.Size(); ++i) {
        samples.Store(i, static_cast<double>(i) * 13 - 6000);
    }
    const auto before = Values(samples);
    const MirrorRule rule{0, -8192, 8191};
    ASSERT_TRUE(EditOperations::Invert(samples, 0, 999, rule));
    EXPECT_EQ(samples.At(0), 6000);
    ASSERT_TRUE(EditOperations::Invert(samples, 0, 999, rule));
    EXPECT_EQ(Values(samples), before);
}

TEST(Invert, LowestCodeIsLimitedToTheHighest) {
    SampleBuffer samples = Codes16(10, -8192);
    ASSERT_TRUE(EditOperations::Invert(samples, 2, 5, {0, -8192, 8191}));
    EXPECT_EQ(samples.At(2), 8191);
    EXPECT_EQ(samples.At(6), -8192);
}

TEST(Invert, FmCodesMirrorAroundTheWindow) {
    SampleBuffer samples(SampleKind::Code32);
    samples.Assign(10, 300000000.0);
    ASSERT_TRUE(EditOperations::Invert(samples, 0, 9, {1e9, 0, 1e9}));
    EXPECT_EQ(samples.At(4), 700000000.0);
}

TEST(Invert, SinglePointBetweenAnchorsChangesNothing) {
    SampleBuffer samples = Ramp16(10);
    EXPECT_FALSE(EditOperations::Invert(samples, 4, 4, {0, -8192, 8191}));
    EXPECT_EQ(samples.At(4), 4);
}

TEST(DrawSegment, WritesTheTruncatedLineBetweenBothEndsInEitherOrder) {
    SampleBuffer forward = Codes16(50, 7);
    SampleBuffer backward = Codes16(50, 7);
    ASSERT_TRUE(EditOperations::DrawSegment(forward, 10, 100, 13, -101));
    ASSERT_TRUE(EditOperations::DrawSegment(backward, 13, -101, 10, 100));
    // k = -67: 100, 33, -34, -101.
    EXPECT_EQ(Values(forward), Values(backward));
    EXPECT_EQ(forward.At(10), 100);
    EXPECT_EQ(forward.At(11), 33);
    EXPECT_EQ(forward.At(12), -34);
    EXPECT_EQ(forward.At(13), -101);
    EXPECT_EQ(forward.At(9), 7);
    EXPECT_EQ(forward.At(14), 7);
}

TEST(DrawSegment, OnePointIsNotASegment) {
    SampleBuffer samples = Codes16(20, 7);
    EXPECT_FALSE(EditOperations::DrawSegment(samples, 5, 100, 5, 200));
    EXPECT_EQ(samples.At(5), 7);
}

TEST(DrawSegment, ValuesAreNotLimitedButKeepTheLow16Bits) {
    SampleBuffer samples = Codes16(20, 0);
    ASSERT_TRUE(EditOperations::DrawSegment(samples, 0, 32767, 1, 32768));
    EXPECT_EQ(samples.At(1), -32768);
}

// The document-level commands, in a workspace with the QW2182 family (resolution 4).
class DocumentEdits : public ::testing::Test {
protected:
    void SetUp() override {
        document.SetView(&view);
        document.LoadActiveSegment();
        document.SetLength("1000");
        const SampleEdit samples = document.EditAllPoints();
        for (std::size_t i = 0; i < samples.Size(); ++i) {
            samples.Store(i, static_cast<double>(i));
        }
        document.CommitToWorkingFile();
        workspace.ui.Clear();
    }

    void Undo() {
        FileChooser chooser(workspace.state, workspace.ui, workspace.Mode());
        FileCommands(document, chooser).OnUndo();
    }

    TempWorkspace workspace;
    HeadlessView view;
    WaveDoc document{workspace.services, workspace.Mode()};
};

TEST_F(DocumentEdits, TrimRightKeepsPointsUpToTheRightAnchorAndUndoRestoresThem) {
    view.SetAnchors(0, 99);
    ASSERT_TRUE(EditOperations::TrimRight(document));
    EXPECT_EQ(document.Length(), 100);
    EXPECT_EQ(view.lengthText, "100");
    EXPECT_EQ(document.Samples().At(99), 99);
    EXPECT_EQ(view.RightAnchor(), 99) << "anchors reset to the new length";
    Undo();
    ASSERT_EQ(document.Length(), 1000);
    EXPECT_EQ(document.Samples().At(999), 999);
}

TEST_F(DocumentEdits, TrimLeftKeepsPointsFromTheLeftAnchorAndUndoRestoresThem) {
    view.SetAnchors(900, 999);
    ASSERT_TRUE(EditOperations::TrimLeft(document));
    ASSERT_EQ(document.Length(), 100);
    EXPECT_EQ(document.Samples().At(0), 900);
    EXPECT_EQ(document.Samples().At(99), 999);
    EXPECT_FALSE(std::filesystem::exists(workspace.state.startupFolder + "AA.tmp"));
    Undo();
    ASSERT_EQ(document.Length(), 1000);
    EXPECT_EQ(document.Samples().At(0), 0);
    EXPECT_EQ(document.Samples().At(999), 999);
}

TEST_F(DocumentEdits, TrimLeftNeverWritesIntoAFileTheUserOpened) {
    const std::string opened = workspace.state.startupFolder + "mine.wav";
    document.WriteWaveform(opened);
    document.AdoptFile(opened);
    const std::string bytes = TempWorkspace::ReadFile(opened);
    view.SetAnchors(500, 999);
    ASSERT_TRUE(EditOperations::TrimLeft(document));
    EXPECT_EQ(TempWorkspace::ReadFile(opened), bytes);
    EXPECT_EQ(document.CurrentPath(), document.ActiveWorkingFile());
}

TEST_F(DocumentEdits, TrimCancelledAtTheResolutionQuestionChangesNothing) {
    view.SetAnchors(0, 100); // 101 points: not a multiple of 4
    workspace.ui.answers.push_back(MessageAnswer::Cancel);
    EXPECT_FALSE(EditOperations::TrimRight(document));
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{3001});
    EXPECT_EQ(document.Length(), 1000);
}

TEST_F(DocumentEdits, TrimCorrectedByTheResolutionRuleKeepsTheRoundedLength) {
    view.SetAnchors(898, 999); // 102 points -> 104
    workspace.ui.answers.push_back(MessageAnswer::Ok);
    ASSERT_TRUE(EditOperations::TrimLeft(document));
    EXPECT_EQ(document.Length(), 104);
    EXPECT_EQ(document.Samples().At(0), 896);
}

TEST_F(DocumentEdits, TrimsAreRefusedWhenTheAnchorIsAtTheEnd) {
    view.SetAnchors(0, 999);
    EXPECT_FALSE(EditOperations::TrimLeft(document));
    EXPECT_FALSE(EditOperations::TrimRight(document));
    EXPECT_EQ(document.Length(), 1000);
}

TEST_F(DocumentEdits, TrimBelowTheShortestLengthShowsOutOfRangeAndKeepsTheWaveform) {
    view.SetAnchors(992, 999); // 8 points, below the family's 16
    EXPECT_FALSE(EditOperations::TrimLeft(document));
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{3002});
    EXPECT_EQ(document.Samples().At(0), 0);
}

TEST_F(DocumentEdits, InvertCommitsToTheWorkingFileAndMarksTheSegment) {
    ASSERT_TRUE(EditOperations::Apply(document, EditCommands::kInvert, 10, 20, 999));
    EXPECT_EQ(document.Samples().At(15), -15);
    const std::string file = TempWorkspace::ReadFile(document.ActiveWorkingFile());
    ASSERT_EQ(file.size(), 2000u);
    std::int16_t stored = 0;
    std::memcpy(&stored, file.data() + 30, 2);
    EXPECT_EQ(stored, -15);
    EXPECT_EQ(workspace.Context("Modif", "Segm1-0"), "Yes");
    Undo();
    EXPECT_EQ(document.Samples().At(15), 15);
}

TEST_F(DocumentEdits, FilterWithTooFewPointsTakesNoSnapshotAndWritesNothing) {
    std::filesystem::remove(document.Undo().Path());
    EXPECT_FALSE(EditOperations::Apply(document, EditCommands::kFilter, 10, 20, 999));
    EXPECT_FALSE(std::filesystem::exists(document.Undo().Path()));
}

TEST(EditCommandEnabling, DrawingModesExcludeEachOtherAndTheSingleStepEdits) {
    EditState state{10, 20, 0, 999, 1000, DrawMode::Autoline};
    EXPECT_TRUE(EditCommands::IsEnabled(EditCommands::kAutoline, state));
    EXPECT_TRUE(EditCommands::IsChecked(EditCommands::kAutoline, state));
    EXPECT_FALSE(EditCommands::IsEnabled(EditCommands::kSketch, state));
    for (int id : {EditCommands::kFilter, EditCommands::kSmooth, EditCommands::kInvert,
                   EditCommands::kUnmark}) {
        EXPECT_FALSE(EditCommands::IsEnabled(id, state)) << id;
    }
    state.mode = DrawMode::None;
    EXPECT_TRUE(EditCommands::IsEnabled(EditCommands::kSketch, state));
    EXPECT_FALSE(EditCommands::IsChecked(EditCommands::kAutoline, state));
    EXPECT_TRUE(EditCommands::IsEnabled(EditCommands::kFilter, state));
}

TEST(EditCommandEnabling, TrimsAndZoomsFollowTheAnchorsAndTheVisibleRange) {
    EditState full{0, 999, 0, 999, 1000, DrawMode::None};
    EXPECT_FALSE(EditCommands::IsEnabled(EditCommands::kTrimLeft, full));
    EXPECT_FALSE(EditCommands::IsEnabled(EditCommands::kTrimRight, full));
    EXPECT_FALSE(EditCommands::IsEnabled(EditCommands::kZoomIn, full));
    EXPECT_FALSE(EditCommands::IsEnabled(EditCommands::kZoomOut, full));
    EditState marked{100, 200, 0, 999, 1000, DrawMode::None};
    EXPECT_TRUE(EditCommands::IsEnabled(EditCommands::kTrimLeft, marked));
    EXPECT_TRUE(EditCommands::IsEnabled(EditCommands::kTrimRight, marked));
    EXPECT_TRUE(EditCommands::IsEnabled(EditCommands::kZoomIn, marked));
    EditState zoomed{100, 200, 100, 200, 1000, DrawMode::None};
    EXPECT_FALSE(EditCommands::IsEnabled(EditCommands::kZoomIn, zoomed));
    EXPECT_TRUE(EditCommands::IsEnabled(EditCommands::kZoomOut, zoomed));
}

TEST(EditCommandPrompts, StatusTextAndToolTipSplitAtTheNewline) {
    EXPECT_EQ(EditCommands::StatusText(EditCommands::kAutoline),
              "Draw stright line sections. Press right button to stop.");
    EXPECT_EQ(EditCommands::ToolTip(EditCommands::kAutoline), "Autoline");
    EXPECT_EQ(EditCommands::ToolTip(EditCommands::kTrimRight), "Trim Right");
    EXPECT_EQ(EditCommands::StatusText(EditCommands::kZoomOut), "View full wave area");
    EXPECT_FALSE(EditCommands::IsEditCommand(32790));
    EXPECT_EQ(EditCommands::StatusText(32790), "");
}
