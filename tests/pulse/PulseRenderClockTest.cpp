#include "PulseRenderTestDesigns.h"

#include "pulse/PulseClock.h"
#include "pulse/PulseCompiler.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pulse_test;

namespace {

std::vector<PulseInterval> Intervals(const std::vector<double>& durations) {
    std::vector<PulseInterval> list{PulseInterval::Marker(1, 0, 0)};
    double start = 0.0;
    for (double duration : durations) {
        list.push_back({start, start + duration, 0.0, 0.0});
        start += duration;
    }
    return list;
}

} // namespace

struct QuantumCase {
    std::vector<double> durations;
    int exponent;
    std::int64_t divisor;
    double quantum;
};

class PulseQuantum : public testing::TestWithParam<QuantumCase> {};

TEST_P(PulseQuantum, ExponentDivisorAndQuantumFollowTheDurations) {
    const QuantumCase& c = GetParam();
    const PulseClockChoice choice = PulseClock::Choose(Intervals(c.durations), false, Limits());
    ASSERT_TRUE(choice.accepted) << choice.problem;
    EXPECT_EQ(choice.exponent, c.exponent);
    EXPECT_EQ(choice.divisor, c.divisor);
    EXPECT_DOUBLE_EQ(choice.quantum, c.quantum);
    EXPECT_EQ(choice.clock, std::trunc(1.0 / c.quantum + 0.5));
}

INSTANTIATE_TEST_SUITE_P(
    Durations, PulseQuantum,
    testing::Values(
        // The worked example: 50 and 25 hundredths share 25.
        QuantumCase{{0.5, 0.25}, 2, 25, 0.25}, QuantumCase{{3.0, 12.0, 18.0}, 0, 3, 3.0},
        QuantumCase{{0.02, 0.03}, 2, 1, 0.01},
        // Below 0.01 s the exponent grows until the value is whole, never a divisor of 0.
        QuantumCase{{0.001}, 3, 1, 0.001}, QuantumCase{{0.004, 0.006}, 3, 2, 0.002},
        // A fraction of at most 0.01 counts as whole.
        QuantumCase{{1.005, 2.0}, 0, 1, 1.0},
        // Seven decimals are the most: 1.23456789 ms is taken at 100 ns.
        QuantumCase{{1.23456789e-3}, 7, 12345, 1.2345e-3}));

TEST(PulseClockDivisor, FactorisationFindsTheCommonDivisor) {
    struct Case {
        std::vector<std::int64_t> values;
        std::int64_t divisor;
    };
    const Case cases[] = {
        {{50, 25}, 25},
        {{12, 18, 30}, 6},
        {{8, 12}, 4},
        {{27, 81, 54}, 27},
        {{1, 5}, 1},
        {{7, 11}, 1},
        // A large prime is found without trying every number below it.
        {{9999999967, 19999999934}, 9999999967},
        {{0, 5}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PulseClock::CommonDivisor(c.values), c.divisor) << c.values.front();
    }
}

TEST(PulseClockFit, ClockDoublesUntilAQuantumFitsTheInstrument) {
    // 0.25 s at 4 S/s is 1 point; 64 S/s gives 16 points, a multiple of 4.
    PulseClockChoice choice = PulseClock::Choose(Intervals({0.5, 0.25}), true, Limits());
    EXPECT_EQ(choice.clock, 64.0);
    // Without a section that lasts the clock stays as the quantum gives it.
    choice = PulseClock::Choose(Intervals({0.5, 0.25}), false, Limits());
    EXPECT_EQ(choice.clock, 4.0);
    PulseRenderLimits limits = Limits();
    limits.resFactor = 8;
    limits.minSegLen = 100;
    choice = PulseClock::Choose(Intervals({0.5}), true, limits);
    EXPECT_EQ(choice.clock, 256.0); // 128 points: a multiple of 8 and at least 100
    EXPECT_TRUE(choice.accepted && !choice.asks);
}

TEST(PulseClockFit, ClockAboveSclkMaxAsksAndLowersToAMultipleOfResFactor) {
    PulseRenderLimits limits = Limits();
    limits.minSegLen = 1000; // 100 ns quanta would need 10.24 GS/s
    for (const bool lower : {true, false}) {
        PulseClockChoice choice = PulseClock::Choose(Intervals({1e-7}), true, limits);
        ASSERT_TRUE(choice.asks && !choice.accepted);
        EXPECT_NE(choice.question.find("(SClK max = 1250000000 required = 1.024e+010)"),
                  std::string::npos)
            << choice.question;
        PulseClock::Answer(choice, lower, limits);
        if (lower) {
            EXPECT_TRUE(choice.accepted);
            EXPECT_LE(choice.clock, 1.25e9);
            EXPECT_EQ(PulseClock::QuantumPoints(choice.quantum, choice.clock) % 4, 0);
            EXPECT_NE(PulseClock::QuantumPoints(choice.quantum, choice.clock + 1) % 4, 0);
        } else {
            EXPECT_FALSE(choice.accepted);
            EXPECT_EQ(choice.clock, 1250000001.0);
            EXPECT_TRUE(choice.problem.empty());
        }
    }
}

TEST(PulseClockFit, LoweredClockIsTheHighestThatKeepsTheMultiple) {
    // 120.9999999 points truncate to 120, a multiple of 8.
    EXPECT_EQ(PulseClock::LoweredClock(1e-7, 1.25e9, 8), 1209999999.0);
    EXPECT_EQ(PulseClock::LoweredClock(0.25, 1000, 2), 1000.0); // 250 points already fit
    EXPECT_EQ(PulseClock::LoweredClock(0.25, 1003, 8), 995.0);  // 248.75 points -> 248
}

TEST(PulseCompile, SectionsStartAtZeroAndEqualNodeTimesJump) {
    const PulseCompilation compiled = PulseCompiler::Compile(
        {Dc(0, 3, {{0.01, 0.5}, {0.01, -0.5}}), Dc(1, 2, {{0.02, 0.25}}),
         Points(2, 1, {{0.0, 0.0}, {0.001, 0.0}, {0.001, 1.0}, {0.002, 1.0}})},
        Limits());
    ASSERT_TRUE(compiled.problem.empty()) << compiled.problem;
    const std::vector<PulseInterval> expected{
        PulseInterval::Marker(3, 0, 2), {0.0, 0.01, 0.5, 0.5},   {0.01, 0.02, -0.5, -0.5},
        PulseInterval::Marker(2, 1, 1), {0.0, 0.02, 0.25, 0.25}, PulseInterval::Marker(1, 2, 2),
        {0.0, 0.001, 0.0, 0.0},         {0.001, 0.002, 1.0, 1.0}};
    ASSERT_EQ(compiled.intervals.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(compiled.intervals[i].t0, expected[i].t0) << i;
        EXPECT_DOUBLE_EQ(compiled.intervals[i].t1, expected[i].t1) << i;
        EXPECT_DOUBLE_EQ(compiled.intervals[i].v0, expected[i].v0) << i;
        EXPECT_DOUBLE_EQ(compiled.intervals[i].v1, expected[i].v1) << i;
    }
}

TEST(PulseCompile, IncompleteLinesAreLeftOutAndEmptySectionsAddNothing) {
    PulseSection dc = Dc(0, 1, {{0.01, 0.5}, {0.02, 0.25}});
    dc.items.insert(dc.items.begin() + 1, PulseItem{"0.5", ""});
    dc.items.push_back(PulseItem{"", "0.1"});
    PulseSection single = Points(1, 1, {{0.0, 0.3}}); // one node: no interval
    const PulseCompilation compiled =
        PulseCompiler::Compile({dc, PulseSection{}, single}, Limits());
    ASSERT_TRUE(compiled.problem.empty());
    ASSERT_EQ(compiled.intervals.size(), 4u);
    EXPECT_DOUBLE_EQ(compiled.intervals[2].t0, 0.01); // the half line did not move time
    EXPECT_DOUBLE_EQ(compiled.intervals[2].t1, 0.03);
    EXPECT_TRUE(compiled.intervals[3].IsMarker());
    EXPECT_EQ(compiled.intervals[3].v1, 0.0);

    const PulseCompilation nothing = PulseCompiler::Compile({PulseSection{}}, Limits());
    EXPECT_FALSE(nothing.hasItems);
    EXPECT_TRUE(nothing.problem.empty());
}

TEST(PulseCompile, StoredValuesNoEditorLetsThroughAreRefusedByName) {
    const PulseRenderLimits limits = Limits();
    PulseSection templates = Dc(0, 1, {{0.01, 0.5}});
    templates.train = TrainStyle::PulseSequence;
    struct Case {
        PulseSection section;
        const char* problem;
    };
    const Case cases[] = {
        {Dc(0, 1, {{0.01, 0.5}, {-0.01, 0.5}}), "Section 1, line 2: length -0.01"},
        {Dc(0, 1, {{6e7, 0.5}, {6e7, 0.5}}), "Section 1, line 2: length 6e+007 s"},
        {Dc(0, 1, {{0.01, 1.01}}), "Section 1, line 1: level 1.01"},
        {Points(1, 1, {{0.0, 0.0}, {0.002, 0.0}, {0.001, 0.0}}), "Section 2, line 3: time 0.001"},
        {Points(0, 1, {{0.0, -1.2}, {0.002, 0.0}}), "level -1.2"},
        {Dc(0, 1048576, {{0.01, 0.5}}), "Repeat 1048576 lies outside 1..1048575"},
        {templates, "only DC intervals and time/level points"},
        // Shorter than the finest time step the clock can take: the line is named here, as
        // the clock sees only durations.
        {Dc(0, 1, {{0.01, 0.5}, {5e-8, 0.5}}), "Section 1, line 2: the interval of 5e-008 s"},
        {Points(2, 1, {{0.0, 0.0}, {0.001, 0.0}, {0.00100005, 0.5}}), "Section 3, line 3: the "},
    };
    for (const Case& c : cases) {
        const PulseCompilation compiled = PulseCompiler::Compile({c.section}, limits);
        EXPECT_NE(compiled.problem.find(c.problem), std::string::npos)
            << c.problem << " / " << compiled.problem;
    }
    // The bounds themselves are allowed, and a family without MaxLoopNo bounds nothing.
    EXPECT_TRUE(
        PulseCompiler::Compile({Dc(0, 1048575, {{0.01, 1.0}, {0.01, -1.0}, {1e-7, 0.0}})}, limits)
            .problem.empty());
    PulseRenderLimits noLoopBound = limits;
    noLoopBound.maxLoopNo = 0;
    EXPECT_TRUE(
        PulseCompiler::Compile({Dc(0, 2000000, {{0.01, 0.5}})}, noLoopBound).problem.empty());
}
