// The Wave menu generators on 16 M points of a standard waveform, each beside a
// hand-written loop of the same formula and storage rule in the same run. The dialogs run
// with a progress callback, as under the GUI.
#include "BenchWorkspace.h"
#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "settings/IniFile.h"
#include "synthesis/CrtRandom.h"
#include "synthesis/GaussianDialog.h"
#include "synthesis/SineDialog.h"
#include "synthesis/SquareDialog.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPoints = 16000000;
constexpr double kPi = 3.14159265358979323846;
constexpr double kCycles = 1000;
constexpr double kLow = -8000;
constexpr double kHigh = 8000;

// A standard-mode workspace with a 16 M-point document and its view.
struct GeneratorBench : BenchWorkspace {
    GeneratorBench() : BenchWorkspace("generators") {
        Write("Settings", "ActiveSeg", "1 1");
        Write("Settings", "Wfmt", "0");
        document = std::make_unique<WaveDoc>(services, Mode());
        document->SetView(&view);
        document->CreateDefault(kPoints);
        view.SetAnchors(0, kPoints - 1);
    }

    // Opens the form over the whole waveform with the benchmark's levels and parameters.
    void Open(WaveParamDialog& form, const std::string& key, const std::string& text) {
        form.Initialize();
        form.SetFieldByKey("Prv_bgn", "0");
        form.SetFieldByKey("Prv_end", std::to_string(kPoints - 1));
        form.SetFieldByKey("Wavmin", std::to_string(kLow));
        form.SetFieldByKey("Wavmax", std::to_string(kHigh));
        form.SetFieldByKey("Cycl", std::to_string(kCycles));
        if (!key.empty()) {
            form.SetFieldByKey(key, text);
        }
        if (!form.ValidateParams()) {
            std::abort();
        }
    }

    std::int16_t* Codes() { return document->EditAllPoints().Codes16(); }

    HeadlessView view;
    std::unique_ptr<WaveDoc> document;
};

GeneratorBench& Bench() {
    static GeneratorBench bench;
    return bench;
}

// What a GUI progress dialog costs the loop: one call per 65,536 points.
const ProgressCallback kProgress = [](double done) {
    benchmark::DoNotOptimize(done);
    return true;
};

std::int16_t Code16(double v) {
    return static_cast<std::int16_t>(static_cast<int>(v));
}

void Finish(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
    benchmark::DoNotOptimize(Bench().Codes()[kPoints / 2]);
}

void BM_SineDialog(benchmark::State& state) {
    SineDialog form(*Bench().document);
    Bench().Open(form, "Phase", "30");
    for (auto _ : state) {
        form.Generate(kProgress);
    }
    Finish(state);
}

void BM_SineLoop(benchmark::State& state) {
    SineDialog form(*Bench().document);
    Bench().Open(form, "Phase", "30");
    const double a = (kHigh - kLow) * form.CodeFactor() / 2;
    const double c = (kHigh + kLow) * form.CodeFactor() / 2 + form.CodeOffset();
    const double phase = 30 * kPi / 180;
    const double n = kPoints;
    for (auto _ : state) {
        std::int16_t* out = Bench().Codes();
        for (std::size_t i = 0; i < kPoints; ++i) {
            out[i] = Code16(std::sin(i * (2 * kPi) * kCycles / n + phase) * a + c + 0.5);
        }
        benchmark::ClobberMemory();
    }
    Finish(state);
}

void BM_SquareDialog(benchmark::State& state) {
    SquareDialog form(*Bench().document);
    Bench().Open(form, "Duty", "30");
    for (auto _ : state) {
        form.Generate(kProgress);
    }
    Finish(state);
}

void BM_SquareLoop(benchmark::State& state) {
    SquareDialog form(*Bench().document);
    Bench().Open(form, "Duty", "30");
    const double period = kPoints / kCycles;
    const double duty = 30 * 0.01 * period;
    const double high = kHigh * form.CodeFactor() + form.CodeOffset();
    const double low = kLow * form.CodeFactor() + form.CodeOffset();
    for (auto _ : state) {
        std::int16_t* out = Bench().Codes();
        for (std::size_t i = 0; i < kPoints; ++i) {
            out[i] = Code16(std::fmod(double(i), period) < duty ? high : low);
        }
        benchmark::ClobberMemory();
    }
    Finish(state);
}

void BM_GaussianDialog(benchmark::State& state) {
    GaussianDialog form(*Bench().document);
    Bench().Open(form, "Width", "2000");
    for (auto _ : state) {
        form.Generate(kProgress);
    }
    Finish(state);
}

void BM_GaussianLoop(benchmark::State& state) {
    GaussianDialog form(*Bench().document);
    Bench().Open(form, "Width", "2000");
    const double period = kPoints / kCycles;
    const double a = (kHigh - kLow) * form.CodeFactor() / 2;
    const double c = (kHigh + kLow) * form.CodeFactor() / 2 + form.CodeOffset();
    for (auto _ : state) {
        std::int16_t* out = Bench().Codes();
        for (std::size_t i = 0; i < kPoints; ++i) {
            const double x = (std::fmod(double(i), period) - period / 2) / 2000;
            out[i] = Code16((2 * std::exp(-(x * x)) - 1) * a + c);
        }
        benchmark::ClobberMemory();
    }
    Finish(state);
}

void BM_NoiseDialog(benchmark::State& state) {
    WaveParamDialog form(*Bench().document, 171, "ArbNoise");
    Bench().Open(form, "", "");
    CrtRandom random;
    form.UseRandomSource(random);
    for (auto _ : state) {
        form.Generate(kProgress);
    }
    Finish(state);
}

void BM_NoiseLoop(benchmark::State& state) {
    WaveParamDialog form(*Bench().document, 171, "ArbNoise");
    Bench().Open(form, "", "");
    CrtRandom random;
    const double k = form.CodeFactor();
    for (auto _ : state) {
        std::int16_t* out = Bench().Codes();
        for (std::size_t i = 0; i < kPoints; ++i) {
            const double r = random.Next();
            out[i] = Code16((r / 32767 - 0.5) * (kHigh - kLow) * k + (kHigh + kLow) / 2);
        }
        benchmark::ClobberMemory();
    }
    Finish(state);
}

} // namespace

BENCHMARK(BM_SineDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SineLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquareDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquareLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GaussianDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GaussianLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoiseDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoiseLoop)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
