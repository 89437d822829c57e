// The FM marker positions of a 16 M-point FM waveform (a sine of 100 periods over the whole
// code range) with 100 markers inside the window, beside a hand-written single pass that
// compares each sample with one level. Both run over the same samples in one run.
#include "BenchWorkspace.h"
#include "fm/FmMarkerLists.h"
#include "fm/FmSettings.h"
#include "settings/IniFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPoints = 16000000;
constexpr int kMarkers = 100;

const std::vector<std::int32_t>& Sine() {
    static const std::vector<std::int32_t> codes = [] {
        std::vector<std::int32_t> out(kPoints);
        const double step = 2.0 * M_PI * 100.0 / static_cast<double>(kPoints);
        for (std::size_t i = 0; i < kPoints; ++i) {
            out[i] = static_cast<std::int32_t>(5e8 + 5e8 * std::sin(step * static_cast<double>(i)));
        }
        return out;
    }();
    return codes;
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
    const auto& codes = Sine();
    MarkerWorkspace workspace;
    FmMarkerLists lists;
    for (auto _ : state) {
        lists.RebuildSamples(workspace.store, workspace.fm, codes.data(), codes.size());
        benchmark::DoNotOptimize(lists.SampleList().data());
    }
    state.counters["crossings"] = static_cast<double>(lists.SampleList().size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

// The floor: one pass, one level, recording where the samples pass it.
void BM_SinglePassOneLevel(benchmark::State& state) {
    const auto& codes = Sine();
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
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

} // namespace

BENCHMARK(BM_SinglePassOneLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildMarkerSamples)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
