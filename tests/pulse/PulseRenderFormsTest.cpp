#include "PulseRenderTestDesigns.h"

#include "pulse/PulseCompiler.h"
#include "pulse/PulseSequence.h"
#include "pulse/PulseSingleSegment.h"

#include <gtest/gtest.h>

using namespace pulse_test;

namespace {

using Samples = std::vector<std::int16_t>;

// A block at 1 S/s: times are point numbers.
std::vector<PulseInterval> Block(int repeat, const std::vector<PulseInterval>& intervals) {
    std::vector<PulseInterval> list{
        PulseInterval::Marker(repeat, 0, static_cast<int>(intervals.size()))};
    list.insert(list.end(), intervals.begin(), intervals.end());
    return list;
}

Samples Joined(std::initializer_list<Samples> parts) {
    Samples all;
    for (const Samples& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct StepShape {
    std::size_t points;
    std::int64_t repeat;
};

std::vector<StepShape> Shape(const PulseSequencePlan& plan) {
    std::vector<StepShape> shape;
    for (const PulseStep& step : plan.steps) {
        shape.push_back({plan.segments[step.segment].size(), step.repeat});
    }
    return shape;
}

void ExpectShape(const PulseSequencePlan& plan, const std::vector<StepShape>& expected) {
    const std::vector<StepShape> shape = Shape(plan);
    ASSERT_EQ(shape.size(), expected.size());
    for (std::size_t i = 0; i < shape.size(); ++i) {
        EXPECT_EQ(shape[i].points, expected[i].points) << "step " << i + 1;
        EXPECT_EQ(shape[i].repeat, expected[i].repeat) << "step " << i + 1;
    }
}

} // namespace

TEST(PulseSingleSegment, TwoSectionsPlayTheirSamplesRepeatTimesInOrder) {
    const PulseCompilation compiled = PulseCompiler::Compile(
        {Dc(0, 3, {{0.01, 0.5}, {0.01, -0.5}}), Dc(1, 2, {{0.02, 0.25}})}, Limits());
    // Quantum 10 ms, 16 points each at 1600 S/s; codes truncate toward zero.
    const Samples samples = PulseSingleSegment::Render(compiled.intervals, 1600, Limits());
    const Samples first = Joined({Samples(16, 4095), Samples(16, -4095)});
    EXPECT_EQ(samples, Joined({first, first, first, Samples(32, 2047), Samples(32, 2047)}));
}

TEST(PulseSingleSegment, RampCodesTruncateAndBoundsReachVpts) {
    const Samples samples =
        PulseSingleSegment::Render(Block(1, {{0, 4, -1.0, 1.0}, {4, 6, 1.0, 1.0}}), 1, Limits());
    // -8191 + i * 16382 / 4: -8191, -4095.5, 0, 4095.5, then the held +1 V.
    EXPECT_EQ(samples, (Samples{-8191, -4095, 0, 4095, 8191, 8191}));
}

TEST(PulseSingleSegment, BufferHoldsEveryPointTheRoundingProduces) {
    // Two intervals of 1.5 points each round to 2: 4 points where Duration x clock is 3.
    const std::vector<PulseInterval> list = Block(2, {{0, 0.75, 0.5, 0.5}, {0.75, 1.5, 0, 0}});
    EXPECT_EQ(PulseSingleSegment::CountPoints(list, 2), 8);
    // Hours at the highest clock, a million times over, still count above any memory.
    EXPECT_EQ(PulseSingleSegment::CountPoints(Block(1048575, {{0, 1e8, 0, 0}}), 1.25e9), INT64_MAX);
    EXPECT_EQ(PulseSingleSegment::Render(list, 2, Limits()),
              (Samples{4095, 4095, 0, 0, 4095, 4095, 0, 0}));
}

TEST(PulseSequenceBudget, OverTheMemoryInWholeBlockModeStartsOverPiecewise) {
    PulseRenderLimits limits = Limits();
    limits.minSegLen = 4;
    limits.maxWaveLen = 700;
    std::vector<PulseInterval> list;
    for (int k = 0; k < 3; ++k) {
        // 45 flat of 250 points: 18 percent, rendered whole while the memory lasts.
        const std::vector<PulseInterval> block = Block(1, {{0, 45, 0, 0}, {45, 250, 0, 1}});
        list.insert(list.end(), block.begin(), block.end());
    }
    const PulseSequencePlan plan =
        PulseSequence::Build(list, 1, limits, PulseSequence::Form::WholeBlocksAllowed);
    ASSERT_TRUE(plan.problem.empty()) << plan.problem;
    EXPECT_TRUE(plan.restartedPiecewise);
    EXPECT_EQ(plan.memoryPoints, 3 * (4 + 4 + 202));
    ExpectShape(plan,
                {{4, 11}, {4, 1}, {202, 1}, {4, 11}, {4, 1}, {202, 1}, {4, 11}, {4, 1}, {202, 1}});
}

TEST(PulseSequenceBudget, HoursOfFlatRunTakeMemoryOfTheirSegmentsOnly) {
    // Three hours at 1 MS/s: 1.08e10 points of one level.
    const PulseSequencePlan plan = PulseSequence::Build(
        Block(1, {{0, 10800, 0.5, 0.5}}), 1e6, Limits(), PulseSequence::Form::MinimizeMemory);
    ASSERT_TRUE(plan.problem.empty()) << plan.problem;
    EXPECT_EQ(plan.memoryPoints, 16);
    ASSERT_EQ(plan.segments.size(), 1u);
    std::int64_t played = 0;
    for (const PulseStep& step : plan.steps) {
        EXPECT_LE(step.repeat, Limits().maxLoopNo); // longer counts are split into steps
        played += step.repeat * 16;
    }
    EXPECT_EQ(played, 10800000000);
}

TEST(PulseSequenceBudget, InstrumentLimitsRefuseTheSequenceWithAReason) {
    PulseRenderLimits limits = Limits();
    limits.maxSequStp = 5;
    // Three segments copied for Repeat 2 need 6 steps.
    const std::vector<PulseInterval> list = Block(2, {{0, 20, 0, 0}, {20, 60, 0, 1}});
    PulseSequencePlan plan =
        PulseSequence::Build(list, 1, limits, PulseSequence::Form::WholeBlocksAllowed);
    EXPECT_NE(plan.problem.find("more than the instrument's 5 steps"), std::string::npos);
    limits.maxSequStp = 0; // a family without the key
    plan = PulseSequence::Build(list, 1, limits, PulseSequence::Form::WholeBlocksAllowed);
    EXPECT_TRUE(plan.problem.empty()) << plan.problem;
    EXPECT_EQ(plan.steps.size(), 6u);
    limits = Limits();
    limits.maxWaveLen = 50;
    // One ramp of 60 points cannot be made smaller.
    plan = PulseSequence::Build(Block(1, {{0, 60, -1, 1}}), 1, limits,
                                PulseSequence::Form::WholeBlocksAllowed);
    EXPECT_NE(plan.problem.find("need 60 points; the instrument holds 50"), std::string::npos)
        << plan.problem;
    // A ramp of 1e8 s at the highest clock is refused without being rendered.
    plan = PulseSequence::Build(Block(1, {{0, 1e8, -1, 1}}), 1.25e9, Limits(),
                                PulseSequence::Form::WholeBlocksAllowed);
    EXPECT_NE(plan.problem.find("need 125000000000000000 points"), std::string::npos)
        << plan.problem;
    EXPECT_TRUE(plan.segments.front().empty());
}

TEST(PulseSequenceForms, WholeQuantumDcDesignExpandsToTheSingleSegment) {
    const PulseCompilation compiled =
        PulseCompiler::Compile({Dc(0, 3, {{0.01, 0.5}, {0.05, -0.5}, {0.01, 0.25}}),
                                Dc(1, 2, {{0.02, 0.25}}), Dc(2, 1, {{0.2, -1.0}, {0.01, 1.0}})},
                               Limits());
    for (const auto form :
         {PulseSequence::Form::WholeBlocksAllowed, PulseSequence::Form::MinimizeMemory}) {
        const PulseSequencePlan plan =
            PulseSequence::Build(compiled.intervals, 1600, Limits(), form);
        EXPECT_EQ(PulseSequence::Expand(plan),
                  PulseSingleSegment::Render(compiled.intervals, 1600, Limits()));
    }
}

struct ShapeCase {
    const char* name;
    std::vector<PulseInterval> list;
    PulseSequence::Form form;
    std::vector<StepShape> shape;
    std::size_t segments = 0; // 0: neither checked
    std::int64_t memoryPoints = 0;
};

// Flat runs are cut into MinSegLen pieces played by a repeat count, with the last points
// merged into the tail; the memory-saving form keeps a segment once however often the design
// comes back to it, the other writes one file per step (copies of a repeated block reuse
// theirs) and renders a block whole when less than 20 percent of it is flat. Every form
// plays the very samples of the single segment.
TEST(PulseSequenceShapes, EachFormCutsTheDesignIntoItsSteps) {
    const auto least = PulseSequence::Form::MinimizeMemory;
    const auto whole = PulseSequence::Form::WholeBlocksAllowed;
    const std::vector<PulseInterval> highLowHigh =
        Block(1, {{0, 16, 0.5, 0.5}, {16, 32, -0.5, -0.5}, {32, 48, 0.5, 0.5}});
    const std::vector<PulseInterval> varying =
        Block(2, {{0, 40, -1, 1}, {40, 56, 1, 1}, {56, 100, 1, -1}});
    const ShapeCase cases[] = {
        // 10 x MinSegLen + 3 points of one level keep nine repeats.
        {"long flat run", Block(1, {{0, 163, 0.5, 0.5}}), whole, {{16, 9}, {19, 1}}},
        // A ramp of 20 points, then 10 flat ones: the ramp's piece is taken back whole.
        {"tail takes back", Block(1, {{0, 20, -1, 1}, {20, 30, 1, 1}}), least, {{30, 1}}},
        {"19 percent flat", Block(3, {{0, 19, 0.5, 0.5}, {19, 100, 0.5, -1.0}}), whole, {{100, 3}}},
        // Flat 16 x 1, then 16 varying, then the rest of the ramp; copied for Repeat 3.
        {"20 percent flat",
         Block(3, {{0, 20, 0.5, 0.5}, {20, 100, 0.5, -1.0}}),
         whole,
         {{16, 1}, {16, 1}, {68, 1}, {16, 1}, {16, 1}, {68, 1}, {16, 1}, {16, 1}, {68, 1}},
         3,
         100},
        {"flat block's repeat in the count", Block(4, {{0, 80, -0.5, -0.5}}), whole, {{16, 20}}},
        {"varying block whole", varying, whole, {{100, 2}}},
        // The ramp; 16 points after it, as any piece after an interval boundary; 16 more; the
        // rest of the fall; twice.
        {"varying block piecewise",
         varying,
         least,
         {{40, 1}, {16, 1}, {16, 1}, {28, 1}, {40, 1}, {16, 1}, {16, 1}, {28, 1}}},
        {"flat runs, least", highLowHigh, least, {{16, 1}, {16, 1}, {16, 1}}, 2, 32},
        {"flat runs, whole", highLowHigh, whole, {{16, 1}, {16, 1}, {16, 1}}, 3, 48},
        // The third flat run shares the first one's segment and is then taken back by the
        // 10-point tail: the second run's segment must stay.
        {"shared then taken back",
         Block(1,
               {{0, 16, 0.5, 0.5}, {16, 32, -0.5, -0.5}, {32, 48, 0.5, 0.5}, {48, 58, 0.5, 0.5}}),
         least,
         {{16, 1}, {16, 1}, {26, 1}},
         3,
         58},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PulseSequencePlan plan = PulseSequence::Build(c.list, 1, Limits(), c.form);
        ASSERT_TRUE(plan.problem.empty()) << plan.problem;
        ExpectShape(plan, c.shape);
        if (c.segments != 0) {
            EXPECT_EQ(plan.segments.size(), c.segments);
            EXPECT_EQ(plan.memoryPoints, c.memoryPoints);
        }
        EXPECT_EQ(PulseSequence::Expand(plan), PulseSingleSegment::Render(c.list, 1, Limits()));
    }
}
