#include "GeneratorFixture.h"

#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "synthesis/EditCommands.h"
#include "synthesis/EditOperations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

// Each case fills a waveform, edits it and expects values at points (given as point, value,
// point, value, ...); a case that must change nothing (the edit answers false) expects every
// point as it was.
TEST(SampleEdits, EachEditWritesItsRuleOrLeavesTheWaveformAlone) {
    using Fill = std::function<double(std::size_t)>;
    const Fill ramp = [](std::size_t i) { return static_cast<double>(i); };
    const auto flat = [](double v) -> Fill { return [v](std::size_t) { return v; }; };
    using Edit = std::function<bool(SampleBuffer&)>;
    const auto filter = [](long long a, long long b, double xmax) -> Edit {
        return [=](SampleBuffer& s) { return EditOperations::Filter(s, a, b, xmax); };
    };
    const auto invert = [](long long a, long long b, MirrorRule rule) -> Edit {
        return [=](SampleBuffer& s) { return EditOperations::Invert(s, a, b, rule); };
    };
    const auto draw = [](long long i0, double v0, long long i1, double v1) -> Edit {
        return [=](SampleBuffer& s) { return EditOperations::DrawSegment(s, i0, v0, i1, v1); };
    };
    const Edit smooth = [](SampleBuffer& s) {
        return EditOperations::Smooth(s, 10, 11, {-8192, 8191});
    };
    const MirrorRule codes{0, -8192, 8191};
    const auto K16 = SampleKind::Code16;
    // k = -67: 100, 33, -34, -101, and the points around the line as they were.
    const std::vector<double> line = {9, 7, 10, 100, 11, 33, 12, -34, 13, -101, 14, 7};
    const std::vector<double> unchanged;
    struct Case {
        const char* rule;
        SampleKind kind;
        std::size_t length;
        Fill fill;
        Edit edit;
        std::vector<double> expected; // empty: nothing changes
    };
    const Case cases[] = {
        {"filter: a constant starts high and settles in shrinking integer steps; b stays", K16,
         1000, flat(1000), filter(100, 400, 999),
         std::vector<double>{99,   1000, 100,  1050, 101,  1048, 102,  1046, 103,  1044, 104,
                             1042, 105,  1040, 106,  1038, 107,  1037, 108,  1036, 400,  1000}},
        // W = 20: points 90..110 (21 of them) sum to 2100.
        {"filter: the start is the window sum around the left anchor divided by W", K16, 1000, ramp,
         filter(100, 400, 999), std::vector<double>{100, 105}},
        // W = 20: j = -8..12; -8..-1 read points 991..998.
        {"filter: window indices below zero wrap by the visible end", K16, 1000, ramp,
         filter(2, 302, 999),
         std::vector<double>{2, std::trunc(((991 + 998) * 8 / 2 + 12 * 13 / 2) / 20.0)}},
        {"filter: fewer than fifteen points between the anchors", K16, 100, ramp,
         filter(10, 24, 99), unchanged},
        // m = 1050 - 50/20 = 1047.5, stored truncated; then 1047.5 + (1000 - 1047)/20.
        {"filter: values in Hz follow with exact steps", SampleKind::Hz64, 1000, flat(1000),
         filter(100, 400, 999), std::vector<double>{100, 1050, 101, 1047, 102, 1045}},
        // Window 90..110 holds one zero: 20e9 / 20.
        {"filter: FM codes step in integers without overflow", SampleKind::Code32, 1000,
         [](std::size_t i) { return i == 101 ? 0.0 : 1e9; }, filter(100, 400, 999),
         std::vector<double>{100, 1e9, 101, 1e9 - 5e7}},
        {"smooth: two points between the anchors cannot determine a cubic", K16, 100, ramp, smooth,
         unchanged},
        {"invert: the lowest code is limited to the highest", K16, 10, flat(-8192),
         invert(2, 5, codes), std::vector<double>{2, 8191, 6, -8192}},
        {"invert: FM codes mirror around the window", SampleKind::Code32, 10, flat(3e8),
         invert(0, 9, {1e9, 0, 1e9}), std::vector<double>{4, 7e8}},
        {"invert: a single point between the anchors", K16, 10, ramp, invert(4, 4, codes),
         unchanged},
        {"draw: the truncated line between both ends", K16, 50, flat(7), draw(10, 100, 13, -101),
         line},
        {"draw: the same line drawn backwards", K16, 50, flat(7), draw(13, -101, 10, 100), line},
        {"draw: one point is not a segment", K16, 20, flat(7), draw(5, 100, 5, 200), unchanged},
        {"draw: values are not limited but keep the low 16 bits", K16, 20, flat(0),
         draw(0, 32767, 1, 32768), std::vector<double>{1, -32768}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        SampleBuffer samples = Filled(c.kind, c.length, 0.0);
        for (std::size_t i = 0; i < c.length; ++i) {
            samples.Store(i, c.fill(i));
        }
        const auto before = Values(samples);
        EXPECT_EQ(c.edit(samples), !c.expected.empty());
        if (c.expected.empty()) {
            EXPECT_EQ(Values(samples), before);
        }
        for (std::size_t k = 0; k + 1 < c.expected.size(); k += 2) {
            const auto point = static_cast<std::size_t>(c.expected[k]);
            EXPECT_EQ(samples.At(point), c.expected[k + 1]) << "point " << point;
        }
    }
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
        SampleBuffer samples = Filled(SampleKind::Code16, c.length, 0);
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
    SampleBuffer samples = Filled(SampleKind::Code16, 100, 0);
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

TEST(Invert, TwiceRestoresCodesThatWereNotLimited) {
    SampleBuffer samples = Filled(SampleKind::Code16, 1000, 0);
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

// A 1000-point ramp in a workspace with the QW2182 family (resolution 4).
struct RampDocument : GeneratorFixture {
    void Undo() {
        FileChooser chooser(workspace.state, workspace.ui, workspace.Mode());
        FileCommands(document, chooser).OnUndo();
    }
};

// The document-level commands.
class DocumentEdits : public ::testing::Test, protected RampDocument {};

// A trim keeps the points on its side of the anchor, resets the anchors to the new length
// and can be undone; the resolution question may correct or cancel it.
TEST(DocumentTrims, KeepTheirSideOfTheAnchorOrAskOrRefuse) {
    using Answers = std::vector<MessageAnswer>;
    using Ids = std::vector<int>;
    constexpr auto Ok = MessageAnswer::Ok;
    constexpr auto Cancel = MessageAnswer::Cancel;
    struct Case {
        const char* rule;
        double left, right;
        bool trimLeft;
        Answers answers;
        bool trimmed;
        int length;
        int first; // the first point kept
        Ids messages = {};
    };
    const Case cases[] = {
        {"right keeps the points up to the right anchor", 0, 99, false, {}, true, 100, 0},
        {"left keeps the points from the left anchor", 900, 999, true, {}, true, 100, 900},
        {"101 points cancelled at the resolution question", 0, 100, false, Answers{Cancel}, false,
         1000, 0, Ids{3001}},
        {"102 points corrected to 104", 898, 999, true, Answers{Ok}, true, 104, 896, Ids{3001}},
        {"left with the anchor at the end", 0, 999, true, {}, false, 1000, 0},
        {"right with the anchor at the end", 0, 999, false, {}, false, 1000, 0},
        {"8 points, below the family's 16", 992, 999, true, {}, false, 1000, 0, Ids{3002}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        RampDocument bench;
        const auto before = bench.Samples();
        bench.view.SetAnchors(c.left, c.right);
        bench.workspace.ui.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(c.trimLeft ? EditOperations::TrimLeft(bench.document)
                             : EditOperations::TrimRight(bench.document),
                  c.trimmed);
        EXPECT_EQ(bench.workspace.ui.MessageIds(), c.messages);
        EXPECT_EQ(bench.Samples(), std::vector<double>(before.begin() + c.first,
                                                       before.begin() + c.first + c.length));
        if (!c.trimmed) {
            continue;
        }
        EXPECT_EQ(bench.view.lengthText, std::to_string(c.length));
        EXPECT_EQ(bench.view.RightAnchor(), c.length - 1) << "anchors reset to the new length";
        EXPECT_FALSE(std::filesystem::exists(bench.workspace.state.startupFolder + "AA.tmp"));
        bench.Undo();
        EXPECT_EQ(bench.Samples(), before);
    }
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

TEST(EditCommandEnabling, DrawingModesAnchorsAndTheVisibleRangeDecide) {
    using C = EditCommands;
    const EditState drawing{10, 20, 0, 999, 1000, DrawMode::Autoline};
    const EditState marked{100, 200, 0, 999, 1000, DrawMode::None};
    const EditState full{0, 999, 0, 999, 1000, DrawMode::None};
    const EditState zoomed{100, 200, 100, 200, 1000, DrawMode::None};
    struct Case {
        const EditState& state;
        std::vector<int> enabled, disabled;
    };
    // A drawing mode excludes the other and the single-step edits.
    const Case cases[] = {
        {drawing, {C::kAutoline}, {C::kSketch, C::kFilter, C::kSmooth, C::kInvert, C::kUnmark}},
        {marked, {C::kSketch, C::kFilter, C::kTrimLeft, C::kTrimRight, C::kZoomIn}, {}},
        {full, {}, {C::kTrimLeft, C::kTrimRight, C::kZoomIn, C::kZoomOut}},
        {zoomed, {C::kZoomOut}, {C::kZoomIn}},
    };
    for (const Case& c : cases) {
        for (const bool enabled : {true, false}) {
            for (const int id : enabled ? c.enabled : c.disabled) {
                EXPECT_EQ(C::IsEnabled(id, c.state), enabled) << id << " in case " << (&c - cases);
            }
        }
    }
    EXPECT_TRUE(C::IsChecked(C::kAutoline, drawing));
    EXPECT_FALSE(C::IsChecked(C::kAutoline, marked));
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
