// The FM marker positions of an FM waveform of 16 M, 64 M and 256 M points (a sine of 100
// periods over the whole code range) with 100 markers inside the window, beside a
// hand-written single pass that compares each sample with one level. Both run over the
// same samples in one run.
#include "BenchWorkspace.h"
#include "fm/FmMarkerLists.h"
#include "fm/FmSettings.h"
#include "settings/IniFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kMarkers = 100;

// The sine of `points` samples, made once per length for all benchmarks of the run.
const std::vector<std::int32_t>& Sine(std::size_t points) {
    static std::map<std::size_t, std::vector<std::int32_t>> made;
    std::vector<std::int32_t>& out = made[points];
    if (out.empty()) {
        out.resize(points);
        const double step = 2.0 * M_PI * 100.0 / static_cast<double>(points);
        for (std::size_t i = 0; i < points; ++i) {
            out[i] = static_cast<std::int32_t>(5e8 + 5e8 * std::sin(step * static_cast<double>(i)));
        }
    }
    return out;
}

// A context file with the markers of FM function mode 0, evenly spread over the window
// the family's FM settings give.
struct MarkerWorkspace : BenchWorkspace {
    MarkerWorkspace() : BenchWorkspace("fm-markers", OperatingMode::Fm), fm(services, Mode()) {
        fm.LoadLimits();
        IniEntries entries;
        for (int i = 0; i < kMarkers; ++i) {
            const double frequency = fm.Fmin() + (fm.Fmax() - fm.Fmin()) * (i + 0.5) / kMarkers;
            entries.emplace_back("Mrk" + std::to_string(i),
                                 std::to_string(static_cast<long long>(frequency)));
        }
        store.WriteProfileSection("FmMark0", entries, state.contextFile);
    }
    FmSettings fm;
};

void BM_RebuildMarkerSamples(benchmark::State& state) {
    const auto& codes = Sine(static_cast<std::size_t>(state.range(0)));
    MarkerWorkspace workspace;
    FmMarkerLists lists;
    for (auto _ : state) {
        lists.RebuildSamples(workspace.store, workspace.fm, codes.data(), codes.size());
        benchmark::DoNotOptimize(lists.SampleList().data());
    }
    state.counters["crossings"] = static_cast<double>(lists.SampleList().size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * codes.size()));
}

// The floor: one pass, one level, recording where the samples pass it.
void BM_SinglePassOneLevel(benchmark::State& state) {
    const auto& codes = Sine(static_cast<std::size_t>(state.range(0)));
    const std::int32_t level = 500000000;
    std::vector<std::int32_t> positions;
    for (auto _ : state) {
        positions.clear();
        bool below = codes[0] < level;
        for (std::size_t p = 1; p < codes.size(); ++p) {
            const bool now = codes[p] < level;
            if (now != below) {
                positions.push_back(static_cast<std::int32_t>(p));
                below = now;
            }
        }
        benchmark::DoNotOptimize(positions.data());
    }
    state.counters["crossings"] = static_cast<double>(positions.size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * codes.size()));
}

} // namespace

BENCHMARK(BM_SinglePassOneLevel)
    ->ArgName("points")
    ->Arg(16000000)
    ->Arg(64000000)
    ->Arg(256000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildMarkerSamples)
    ->ArgName("points")
    ->Arg(16000000)
    ->Arg(64000000)
    ->Arg(256000000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
