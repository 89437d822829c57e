#include "PulseRenderTestDesigns.h"

#include "core/StringTable.h"
#include "pulse/PulseOptions.h"
#include "pulse/PulseRenderer.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pulse_test;
namespace fs = std::filesystem;

namespace {

// Two sections of 20 ms: 160 points at 1600 S/s.
std::vector<PulseSection> TwoSections() {
    return {Dc(0, 3, {{0.01, 0.5}, {0.01, -0.5}}), Dc(1, 2, {{0.02, 0.25}})};
}
constexpr double kTwoSectionsDuration = 0.1;

std::vector<std::string> RenderedFiles(const TempWorkspace& ws) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(ws.state.userFolder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("PulsSing", 0) == 0 || name.rfind("Seg-", 0) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class PulseRenderFiles : public testing::Test {
protected:
    PulseRenderFiles() : ws("QW2182", OperatingMode::Pulse) {}

    // Renders with the segmentation choice; `choice` shows it afterwards. The renderer
    // never asks: every test also proves that nothing was shown.
    PulseRenderOutcome Render(const std::vector<PulseSection>& sections, int& choice,
                              const PulseRenderLimits& limits = Limits(),
                              const PulseRenderAnswers& answers = {},
                              double duration = kTwoSectionsDuration) {
        PulseOptions options(ws.store);
        if (options.SegmentationChoice() != choice) {
            options.StoreSegmentation(choice);
        }
        const PulseRenderOutcome outcome =
            PulseRenderer(ws.services, {2, 0}).Render(sections, duration, limits, options, answers);
        choice = options.SegmentationChoice();
        EXPECT_TRUE(ws.ui.messages.empty());
        return outcome;
    }

    TempWorkspace ws;
};

} // namespace

TEST_F(PulseRenderFiles, SingleSegmentIsWrittenAndEnteredForTheActiveSegment) {
    int segmentation = PulseOptions::kForceSingleSegment;
    const PulseRenderOutcome outcome = Render(TwoSections(), segmentation);
    ASSERT_TRUE(outcome.succeeded) << outcome.problem;
    EXPECT_FALSE(outcome.asSequence);
    EXPECT_EQ(outcome.sampleClock, 1600.0);
    EXPECT_EQ(outcome.lengthPoints, 160);
    const std::string path = ws.state.userFolder + "/PulsSing2-0.wav";
    EXPECT_EQ(ws.Context("SegmTbl", "Segm2-0"), path);
    const std::string bytes = TempWorkspace::ReadFile(path);
    ASSERT_EQ(bytes.size(), 320u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF); // 4095 little-endian
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x0F);
    EXPECT_EQ(PulseRenderer::Summary(outcome), "1600 S/s, single segment of 160 points");
}

TEST_F(PulseRenderFiles, SequenceWritesItsFilesAndTheTableOfTheActiveChannel) {
    ws.SetContext("Settings", "ActiveCh", "1.7");
    ws.SetContext("PulsSeq-1", "Seg9", "left over from an earlier render");
    int segmentation = PulseOptions::kSequenceAllowed;
    const PulseRenderOutcome outcome = Render(TwoSections(), segmentation);
    ASSERT_TRUE(outcome.succeeded) << outcome.problem;
    EXPECT_TRUE(outcome.asSequence);
    // Section 1: a flat step, a varying one, and two copies of both; section 2: one
    // flat segment carrying 2 x its Repeat of 2.
    ASSERT_EQ(outcome.steps.size(), 7u);
    const std::string folder = ws.state.userFolder + "/";
    const char* files[] = {"Seg-1", "Seg-2", "Seg-1", "Seg-2", "Seg-1", "Seg-2", "Seg-7"};
    const char* repeats[] = {"1", "1", "1", "1", "1", "1", "4"};
    for (int m = 1; m <= 7; ++m) {
        EXPECT_EQ(ws.Context("PulsSeq-1", "Seg" + std::to_string(m)),
                  folder + files[m - 1] + ".wav");
        EXPECT_EQ(ws.Context("PulsSeq-1", "Rpt" + std::to_string(m)), repeats[m - 1]);
    }
    EXPECT_EQ(ws.Context("PulsSeq-1", "Seg9"), "");
    EXPECT_EQ(ws.Context("PulsSeq-1", "Sclk"), "1600");
    EXPECT_EQ(RenderedFiles(ws), (std::vector<std::string>{"Seg-1.wav", "Seg-2.wav", "Seg-7.wav"}));
    EXPECT_EQ(TempWorkspace::ReadFile(folder + "Seg-7.wav").size(), 32u);
    EXPECT_EQ(PulseRenderer::Summary(outcome), "1600 S/s, sequence of 7 steps");
}

// 100 ns against 1 ms: the quantum would need 10.24 GS/s for 1000 points, more than the
// instrument has; a No to message 3024 names the line that needs the fine step.
TEST_F(PulseRenderFiles, ARefusedLowerClockNamesTheLineThatNeedsIt) {
    PulseRenderLimits limits = Limits();
    limits.minSegLen = 1000;
    int segmentation = PulseOptions::kForceSingleSegment;
    const std::vector<PulseSection> design{Dc(0, 1, {{0.001, 0.5}, {0.001, 0.0}}),
                                           Dc(1, 1, {{0.001, 0.5}, {1e-7, 0.0}})};
    EXPECT_EQ(Render(design, segmentation, limits).question.id, MsgClockRestriction);
    PulseRenderAnswers refused;
    refused.lowerClock = false;
    const PulseRenderOutcome outcome = Render(design, segmentation, limits, refused);
    EXPECT_FALSE(outcome.NeedsAnswer() || outcome.tell);
    EXPECT_EQ(outcome.problem, "The lower sample clock was refused (Section 2, line 2 needs the "
                               "finest time step).");
}

// One point over the memory: message 3023 comes back unanswered with nothing written; the
// reply finishes the render. A fraction of a point over it is no point: that fits.
TEST_F(PulseRenderFiles, TooLongForOneSegmentOffersTheSequenceForm) {
    PulseRenderLimits limits = Limits();
    limits.maxWaveLen = 159;
    int segmentation = PulseOptions::kForceSingleSegment;
    EXPECT_EQ(Render(TwoSections(), segmentation, limits).question.id, MsgMemoryRestriction);
    EXPECT_TRUE(RenderedFiles(ws).empty());
    for (const bool yes : {false, true}) {
        PulseRenderAnswers answers;
        answers.sequenceInstead = yes;
        segmentation = PulseOptions::kForceSingleSegment;
        const PulseRenderOutcome outcome = Render(TwoSections(), segmentation, limits, answers);
        EXPECT_FALSE(outcome.NeedsAnswer());
        if (!yes) {
            EXPECT_FALSE(outcome.succeeded);
            EXPECT_EQ(segmentation, PulseOptions::kForceSingleSegment);
            EXPECT_TRUE(RenderedFiles(ws).empty());
            EXPECT_EQ(ws.store.ReadHostValue("PulseSmith", "forceSingSeg"), "");
        } else {
            ASSERT_TRUE(outcome.succeeded) << outcome.problem;
            EXPECT_TRUE(outcome.asSequence && outcome.switchedToSequence);
            EXPECT_EQ(segmentation, PulseOptions::kSequenceAllowed);
            EXPECT_EQ(ws.store.ReadHostValue("PulseSmith", "forceSingSeg"), "0");
            EXPECT_EQ(ws.Context("SegmTbl", "Segm2-0"), "");
        }
    }
    limits.maxWaveLen = 160;
    segmentation = PulseOptions::kForceSingleSegment;
    // Duration x clock is 160.0005: its whole points fit.
    EXPECT_TRUE(Render(TwoSections(), segmentation, limits, {}, 0.1000003).succeeded);
}

TEST_F(PulseRenderFiles, BadDesignsWriteNothing) {
    PulseRenderLimits lowVpp = Limits();
    lowVpp.vpp = 0.0;
    PulseRenderLimits tinyMemory = Limits();
    tinyMemory.maxWaveLen = 10;
    PulseRenderLimits fewSteps = Limits();
    fewSteps.maxSequStp = 3;
    struct Case {
        const char* name;
        std::vector<PulseSection> sections;
        PulseRenderLimits limits;
        int segmentation;
        bool tell;
    };
    const Case cases[] = {
        {"no items", {PulseSection{}, PulseSection{}}, Limits(), 1, false},
        {"single node", {Points(0, 1, {{0.0, 0.5}})}, Limits(), 1, true},
        {"section of zero duration", {Dc(0, 1, {{0.0, 0.5}})}, Limits(), 1, true},
        // One of the stored values the compiler refuses, each named in PulseCompile.
        {"level beyond Vpp/2", {Dc(0, 1, {{0.01, 1.5}})}, Limits(), 1, true},
        {"Vpp of 0", TwoSections(), lowVpp, 1, true},
        {"sequence over the memory", TwoSections(), tinyMemory, 2, true},
        {"sequence over MaxSequStp", TwoSections(), fewSteps, 0, true},
    };
    for (const Case& c : cases) {
        int segmentation = c.segmentation;
        const PulseRenderOutcome outcome = Render(c.sections, segmentation, c.limits);
        EXPECT_FALSE(outcome.succeeded) << c.name;
        EXPECT_FALSE(outcome.problem.empty()) << c.name;
        EXPECT_EQ(outcome.tell, c.tell) << c.name;
        EXPECT_TRUE(RenderedFiles(ws).empty()) << c.name;
        EXPECT_EQ(PulseRenderer::Summary(outcome).rfind("not rendered: ", 0), 0u) << c.name;
    }
}
