// The C++ calls under the Python module's functions, on 16,000,000 points, as the module
// makes them: bench/python_module.py times the same calls from Python and compares.
#include "core/LargePages.h"
#include "fm/FmMarkerCrossings.h"
#include "platform/recording/RecordingUserInterface.h"
#include "pulse/PulseRenderLimits.h"
#include "synthesis/Expression.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr long long kPoints = 16000000;
constexpr int kAmplitude = 8191;

// The formulas of bench_expression.
const char* const kFormulas[] = {
    "amp*sin(1.5*omg*(p+500))",
    "amp*sin(omg*p)+amp/2*sin(3*omg*p)",
    "(p%100)<50",
    "abs(p%2000-1000)*amp/1000",
};

// wavesmith.evaluate: the values into a new array for every call, memory not yet touched
// that asks for large pages, as numpy allocates an array of this size.
void EvaluateRange(benchmark::State& state, int formula) {
    RecordingUserInterface ui;
    Expression expression(false, "./", ui);
    expression.SetAmplitude(kAmplitude);
    for (auto _ : state) {
        std::string text = kFormulas[formula];
        std::unique_ptr<double[]> values(new double[kPoints]);
        PreferLargePages(values.get(), kPoints * sizeof(double));
        expression.EvaluateInto(text, 0, kPoints - 1, static_cast<int>(kPoints), values.get());
        benchmark::DoNotOptimize(values.get());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

// wavesmith.codes_from_volts: the check of every level and its code, into a new array.
void CodesFromVolts(benchmark::State& state) {
    PulseRenderLimits limits;
    limits.vpp = 2.0;
    limits.vpts = 8191;
    std::vector<double> volts(kPoints);
    for (long long i = 0; i < kPoints; ++i) {
        volts[static_cast<std::size_t>(i)] = static_cast<double>(i % 2001 - 1000) / 1000.0;
    }
    for (auto _ : state) {
        std::vector<std::int16_t> codes(kPoints);
        for (std::size_t i = 0; i < volts.size(); ++i) {
            if (!(std::abs(volts[i]) <= limits.vpp / 2)) {
                state.SkipWithError("a level beyond Vpp/2");
            }
            codes[i] = static_cast<std::int16_t>(limits.Code(volts[i]));
        }
        benchmark::DoNotOptimize(codes.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

// wavesmith.marker_crossings over FM codes.
void MarkerCrossings(benchmark::State& state) {
    std::vector<std::int32_t> samples(kPoints);
    for (long long i = 0; i < kPoints; ++i) {
        samples[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(i % 4000 - 2000);
    }
    const std::vector<std::int32_t> levels{-1500, -500, 0, 700, 1900};
    for (auto _ : state) {
        auto found = FmMarkerCrossings::Find(samples.data(), samples.size(), levels);
        benchmark::DoNotOptimize(found.data());
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}

const int kRegistered = [] {
    for (int i = 0; i < static_cast<int>(std::size(kFormulas)); ++i) {
        benchmark::RegisterBenchmark((std::string("EvaluateRange/") + kFormulas[i]).c_str(),
                                     EvaluateRange, i)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("CodesFromVolts", CodesFromVolts)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("MarkerCrossings", MarkerCrossings)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return 0;
}();

} // namespace

BENCHMARK_MAIN();
