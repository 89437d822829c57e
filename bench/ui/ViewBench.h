#pragma once

#include "ui/WaveView.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <functional>

// What the view benchmarks share: a full paint of a range, and their main program.
namespace view_bench {

// Paints the view over `from` .. `to` each iteration. The end moves by one point every
// other time, so that each paint takes a changed range: the plot is sampled and drawn
// again instead of coming from the cache.
inline void PaintRangeEachTime(benchmark::State& state, WaveView& view, QImage& target, double from,
                               double to) {
    int flip = 0;
    for (auto _ : state) {
        view.ShowRangeFromMap(from, to - (flip++ & 1));
        view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

// Runs the benchmarks offscreen, or with --snapshot=NAME only `snapshot` (which returns
// whether it saved its pictures). `release` frees the scene before the application goes.
inline int Main(int argc, char** argv, const std::function<bool(const char*)>& snapshot,
                const std::function<void()>& release) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (snapshot && std::strncmp(argv[i], "--snapshot=", 11) == 0) {
            const bool saved = snapshot(argv[i] + 11);
            release();
            return saved ? 0 : 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    release();
    return 0;
}

} // namespace view_bench
