// Rendering a pulse design of 1,000 sections into a 16 M-point single segment and into the
// sequence form, each beside a hand-written loop that writes the same samples; and the
// sequence form of a design whose flat runs last an hour, whose memory follows its
// segments, not the length it plays.
#include "pulse/PulseClock.h"
#include "pulse/PulseCompiler.h"
#include "pulse/PulseRenderTestDesigns.h"
#include "pulse/PulseSequence.h"
#include "pulse/PulseSingleSegment.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kSections = 1000;

using pulse_test::Limits;
using pulse_test::Points;

// 1 ms a section: a ramp and a flat stretch, then a jump. Even sections are half flat
// (piecewise in the sequence form), odd ones a tenth flat (whole). The 499 us and 901 us
// ramps make the quantum 1 us and the clock 16 MS/s: 16,000 points a section.
std::vector<PulseSection> Design() {
    std::vector<PulseSection> sections;
    for (int k = 0; k < kSections; ++k) {
        const double ramp = k % 2 == 0 ? 499e-6 : 901e-6;
        sections.push_back(Points(k, 1, {{0.0, -0.8}, {ramp, 0.8}, {ramp, 0.1}, {1e-3, 0.1}}));
    }
    return sections;
}

struct Prepared {
    std::vector<PulseInterval> intervals;
    double clock = 0.0;
};

Prepared Prepare(const std::vector<PulseSection>& sections) {
    Prepared prepared;
    prepared.intervals = PulseCompiler::Compile(sections, Limits()).intervals;
    prepared.clock = PulseClock::Choose(prepared.intervals, true, Limits()).clock;
    return prepared;
}

// The peer: the same codes written by a plain loop over the intervals, no blocks, no
// checks, into a buffer of the known size.
void HandWrittenPoints(const std::vector<PulseInterval>& intervals, double clock,
                       std::vector<std::int16_t>& out) {
    const double scale = 2.0 * 8191 / 2.0;
    std::size_t at = 0;
    for (const PulseInterval& interval : intervals) {
        if (interval.t0 < 0) {
            continue;
        }
        const auto n = static_cast<std::int64_t>((interval.t1 - interval.t0) * clock + 0.5);
        const double start = interval.v0 * scale;
        const double rise = (interval.v1 - interval.v0) * scale;
        for (std::int64_t i = 0; i < n; ++i) {
            out[at++] = static_cast<std::int16_t>(start + static_cast<double>(i) * rise /
                                                              static_cast<double>(n));
        }
    }
}

void BM_SingleSegment(benchmark::State& state) {
    const std::vector<PulseSection> sections = Design();
    std::size_t points = 0;
    for (auto _ : state) {
        const Prepared prepared = Prepare(sections);
        const std::vector<std::int16_t> samples =
            PulseSingleSegment::Render(prepared.intervals, prepared.clock, Limits());
        points = samples.size();
        benchmark::DoNotOptimize(samples.data());
    }
    state.counters["points"] = static_cast<double>(points);
}

void BM_SingleSegmentHandWritten(benchmark::State& state) {
    const Prepared prepared = Prepare(Design());
    const auto points = static_cast<std::size_t>(
        PulseSingleSegment::CountPoints(prepared.intervals, prepared.clock));
    for (auto _ : state) {
        std::vector<std::int16_t> samples(points);
        HandWrittenPoints(prepared.intervals, prepared.clock, samples);
        benchmark::DoNotOptimize(samples.data());
    }
    state.counters["points"] = static_cast<double>(points);
}

void BM_Sequence(benchmark::State& state) {
    const std::vector<PulseSection> sections = Design();
    PulseSequencePlan plan;
    for (auto _ : state) {
        const Prepared prepared = Prepare(sections);
        plan = PulseSequence::Build(prepared.intervals, prepared.clock, Limits(),
                                    PulseSequence::Form::WholeBlocksAllowed);
        benchmark::DoNotOptimize(plan.segments.data());
    }
    state.counters["segment_points"] = static_cast<double>(plan.memoryPoints);
    state.counters["steps"] = static_cast<double>(plan.steps.size());
    if (!plan.problem.empty()) {
        state.SkipWithError(plan.problem.c_str());
    }
}

// The peer writes as many points as the sequence's segments hold, by the same formula,
// into one buffer per segment of the same sizes.
void BM_SequenceHandWritten(benchmark::State& state) {
    const Prepared prepared = Prepare(Design());
    const PulseSequencePlan plan = PulseSequence::Build(
        prepared.intervals, prepared.clock, Limits(), PulseSequence::Form::WholeBlocksAllowed);
    std::vector<std::size_t> sizes;
    for (const auto& segment : plan.segments) {
        sizes.push_back(segment.size());
    }
    for (auto _ : state) {
        std::vector<std::vector<std::int16_t>> segments;
        segments.reserve(sizes.size());
        for (std::size_t size : sizes) {
            std::vector<std::int16_t> segment(size);
            const double slope = 1.0 / static_cast<double>(size);
            for (std::size_t p = 0; p < size; ++p) {
                segment[p] = static_cast<std::int16_t>(-6553.0 + slope * static_cast<double>(p));
            }
            segments.push_back(std::move(segment));
        }
        benchmark::DoNotOptimize(segments.data());
    }
    state.counters["segment_points"] = static_cast<double>(plan.memoryPoints);
}

long MaxResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Two sections of a 1 us pulse and an hour at rest, at 16 MS/s: 1.15e11 points played.
void BM_SequenceOfHours(benchmark::State& state) {
    std::vector<PulseSection> sections;
    for (int k = 0; k < 2; ++k) {
        sections.push_back(pulse_test::Dc(k, 1, {{1e-6, 0.5}, {3600, 0}}));
    }
    PulseSequencePlan plan;
    double played = 0;
    for (auto _ : state) {
        const Prepared prepared = Prepare(sections);
        plan = PulseSequence::Build(prepared.intervals, prepared.clock, Limits(),
                                    PulseSequence::Form::WholeBlocksAllowed);
        played = static_cast<double>(
            PulseSingleSegment::CountPoints(prepared.intervals, prepared.clock));
    }
    state.counters["played_points"] = played;
    state.counters["segment_points"] = static_cast<double>(plan.memoryPoints);
    state.counters["steps"] = static_cast<double>(plan.steps.size());
    // The peak of the whole process: run this benchmark alone to see what it takes.
    state.counters["max_rss_KiB"] = static_cast<double>(MaxResidentKiB());
    if (!plan.problem.empty()) {
        state.SkipWithError(plan.problem.c_str());
    }
}

} // namespace

BENCHMARK(BM_SingleSegment)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SingleSegmentHandWritten)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Sequence)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SequenceHandWritten)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SequenceOfHours)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
