// Filter, Smooth and Invert between anchors spanning 16,000,000 16-bit points, beside
// hand-written loops of the same arithmetic on the same array.
#include "document/SampleBuffer.h"
#include "synthesis/EditOperations.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr long long kPoints = 16000000;
constexpr long long kLeft = 0;
constexpr long long kRight = kPoints - 2;

SampleBuffer& Samples() {
    static SampleBuffer samples = [] {
        SampleBuffer buffer(SampleKind::Code16);
        buffer.Assign(kPoints, 0.0);
        std::int16_t* codes = buffer.Codes16();
        unsigned noise = 1;
        for (long long i = 0; i < kPoints; ++i) {
            noise = noise * 214013u + 2531011u;
            codes[i] = static_cast<std::int16_t>(static_cast<int>((noise >> 16) % 16001) - 8000);
        }
        return buffer;
    }();
    return samples;
}

void BM_Filter(benchmark::State& state) {
    SampleBuffer& samples = Samples();
    for (auto _ : state) {
        EditOperations::Filter(samples, kLeft, kRight, kPoints - 1);
        benchmark::DoNotOptimize(samples.Codes16()[kRight / 2]);
    }
    state.SetItemsProcessed(state.iterations() * (kRight - kLeft));
}

void BM_FilterHandWritten(benchmark::State& state) {
    std::int16_t* s = Samples().Codes16();
    // Taken from the data's size at run time, as the anchors are, not a constant.
    const long long right = static_cast<long long>(Samples().Size()) - 2;
    const int w = static_cast<int>((right - kLeft) / 15);
    for (auto _ : state) {
        double sum = 0.0;
        for (long long j = kLeft - w / 2; j <= kLeft + w / 2; ++j) {
            sum += s[j < 0 ? j + kPoints - 1 : j];
        }
        double m = sum / static_cast<double>(w);
        s[kLeft] = static_cast<std::int16_t>(static_cast<int>(m));
        for (long long i = kLeft + 1; i < right; ++i) {
            m += static_cast<double>((s[i] - s[i - 1]) / w);
            s[i] = static_cast<std::int16_t>(static_cast<int>(m));
        }
        benchmark::DoNotOptimize(s[kRight / 2]);
    }
    state.SetItemsProcessed(state.iterations() * (kRight - kLeft));
}

void BM_Smooth(benchmark::State& state) {
    SampleBuffer& samples = Samples();
    for (auto _ : state) {
        EditOperations::Smooth(samples, kLeft, kRight, {-8192, 8191});
        benchmark::DoNotOptimize(samples.Codes16()[kRight / 2]);
    }
    state.SetItemsProcessed(state.iterations() * (kRight - kLeft));
}

void BM_SmoothHandWritten(benchmark::State& state) {
    std::int16_t* s = Samples().Codes16();
    // The vertical range comes from the family file at run time.
    double low = -8192.0;
    double high = 8191.0;
    benchmark::DoNotOptimize(low);
    benchmark::DoNotOptimize(high);
    for (auto _ : state) {
        // The same cubic as the operation: fitted at t = 1, N - 1, N by Cramer's rule.
        const double n = static_cast<double>(kRight - kLeft + 1);
        const double t[3] = {1.0, n - 1.0, n};
        const double s0 = s[kLeft];
        double a[3][4];
        for (int r = 0; r < 3; ++r) {
            a[r][0] = t[r] * t[r] * t[r];
            a[r][1] = t[r] * t[r];
            a[r][2] = t[r];
            a[r][3] = s[kLeft + static_cast<long long>(t[r])] - s0;
        }
        auto det = [&](int c0, int c1, int c2) {
            return a[0][c0] * (a[1][c1] * a[2][c2] - a[1][c2] * a[2][c1]) -
                   a[0][c1] * (a[1][c0] * a[2][c2] - a[1][c2] * a[2][c0]) +
                   a[0][c2] * (a[1][c0] * a[2][c1] - a[1][c1] * a[2][c0]);
        };
        const double d = det(0, 1, 2);
        const double c3 = det(3, 1, 2) / d;
        const double c2 = det(0, 3, 2) / d;
        const double c1 = det(0, 1, 3) / d;
        for (long long k = 0; k <= kRight + 1 - kLeft; ++k) {
            const double x = static_cast<double>(k);
            const double y = std::clamp(((c3 * x + c2) * x + c1) * x + s0, low, high);
            s[kLeft + k] = static_cast<std::int16_t>(static_cast<int>(y));
        }
        benchmark::DoNotOptimize(s[kRight / 2]);
    }
    state.SetItemsProcessed(state.iterations() * (kRight - kLeft));
}

void BM_Invert(benchmark::State& state) {
    SampleBuffer& samples = Samples();
    for (auto _ : state) {
        EditOperations::Invert(samples, kLeft, kRight, {0, -8192, 8191});
        benchmark::DoNotOptimize(samples.Codes16()[kRight / 2]);
    }
    state.SetItemsProcessed(state.iterations() * (kRight - kLeft));
}

void BM_InvertHandWritten(benchmark::State& state) {
    std::int16_t* s = Samples().Codes16();
    double low = -8192.0;
    double high = 8191.0;
    benchmark::DoNotOptimize(low);
    benchmark::DoNotOptimize(high);
    for (auto _ : state) {
        for (long long i = kLeft; i <= kRight; ++i) {
            const double v = std::clamp(-static_cast<double>(s[i]), low, high);
            s[i] = static_cast<std::int16_t>(static_cast<int>(v));
        }
        benchmark::DoNotOptimize(s[kRight / 2]);
    }
    state.SetItemsProcessed(state.iterations() * (kRight - kLeft));
}

BENCHMARK(BM_Filter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterHandWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Smooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmoothHandWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Invert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InvertHandWritten)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
