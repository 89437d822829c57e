// Rendering a pulse design of 1,000 sections into a 16 M-point single segment and into the
// sequence form, each beside a hand-written loop that writes the same samples; the single
// segment again at 64 M and 256 M points (sections 4 and 16 times as long, for a family of
// that memory), to show the cost linear in the points; and the sequence form of designs
// whose flat runs last hours, whose memory follows their segments, not the length they play.
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

// 1 ms a section (times `stretch`): a ramp and a flat stretch, then a jump. At 1 ms even
// sections are half flat (piecewise in the sequence form), odd ones a tenth flat (whole).
// The 499 us and 901 us ramps make the quantum 1 us and the clock 16 MS/s: 16,000 points
// a section.
std::vector<PulseSection> Design(int stretch = 1) {
    std::vector<PulseSection> sections;
    const double length = 1e-3 * stretch;
    for (int k = 0; k < kSections; ++k) {
        const double ramp = k % 2 == 0 ? 499e-6 : 901e-6;
        sections.push_back(Points(k, 1, {{0.0, -0.8}, {ramp, 0.8}, {ramp, 0.1}, {length, 0.1}}));
    }
    return sections;
}

// A family whose memory holds 256 M points per channel.
PulseRenderLimits LargeLimits() {
    PulseRenderLimits limits = Limits();
    limits.maxWaveLen = 268435456;
    return limits;
}

struct Prepared {
    std::vector<PulseInterval> intervals;
    double clock = 0.0;
};

Prepared Prepare(const std::vector<PulseSection>& sections,
                 const PulseRenderLimits& limits = Limits()) {
    Prepared prepared;
    prepared.intervals = PulseCompiler::Compile(sections, limits).intervals;
    prepared.clock = PulseClock::Choose(prepared.intervals, true, limits).clock;
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

// Argument: the stretch of the sections (1: 16 M points, 4: 64 M, 16: 256 M).
void BM_SingleSegment(benchmark::State& state) {
    const std::vector<PulseSection> sections = Design(static_cast<int>(state.range(0)));
    const PulseRenderLimits limits = LargeLimits();
    std::size_t points = 0;
    for (auto _ : state) {
        const Prepared prepared = Prepare(sections, limits);
        const std::vector<std::int16_t> samples =
            PulseSingleSegment::Render(prepared.intervals, prepared.clock, limits);
        points = samples.size();
        benchmark::DoNotOptimize(samples.data());
    }
    state.counters["points"] = static_cast<double>(points);
}

void BM_SingleSegmentHandWritten(benchmark::State& state) {
    const Prepared prepared = Prepare(Design(static_cast<int>(state.range(0))), LargeLimits());
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

// The sequence form of a design and what it plays, with the peak memory of the process.
void RenderSequence(benchmark::State& state, const std::vector<PulseSection>& sections) {
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

// Two sections of a 1 us pulse and an hour at rest, at 16 MS/s: 1.15e11 points played.
void BM_SequenceOfHours(benchmark::State& state) {
    std::vector<PulseSection> sections;
    for (int k = 0; k < 2; ++k) {
        sections.push_back(pulse_test::Dc(k, 1, {{1e-6, 0.5}, {3600, 0}}));
    }
    RenderSequence(state, sections);
}

// Sixty 1 ms sections (a ramp and a tenth flat: whole blocks), each repeated MaxLoopNo
// times, at 16 MS/s: 60 x 16,000 x 1,048,575 = 1.007e12 points played. A flat hour cannot
// get there: its steps of MinSegLen points would outnumber MaxSequStp.
void BM_SequenceOfATeraPoint(benchmark::State& state) {
    std::vector<PulseSection> sections;
    for (int k = 0; k < 60; ++k) {
        sections.push_back(
            Points(k, 1048575, {{0.0, -0.8}, {901e-6, 0.8}, {901e-6, 0.1}, {1e-3, 0.1}}));
    }
    RenderSequence(state, sections);
}

// 16 M, 64 M and 256 M points, in milliseconds of wall time.
void AtEachScale(benchmark::internal::Benchmark* family) {
    family->ArgName("stretch")->Arg(1)->Arg(4)->Arg(16);
    family->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_SingleSegment)->Apply(AtEachScale);
BENCHMARK(BM_SingleSegmentHandWritten)->Apply(AtEachScale);
BENCHMARK(BM_Sequence)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SequenceHandWritten)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SequenceOfHours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SequenceOfATeraPoint)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
