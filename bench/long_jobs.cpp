// Invert, Save and Undo of 16 M, 64 M and 256 M 16-bit points, each with its progress
// display (the recording one), in the 256 M-point test family: is each job linear in the
// length? Every job goes through the disk: the undo copy, the safe writer's temporary file
// with its flushes, the rename.
#include "BenchWorkspace.h"

#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "synthesis/EditCommands.h"
#include "synthesis/EditOperations.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

// A document of `points` points of a ramp, written to its working file and saved once
// under a name, so that Save writes again to it.
struct LongDocument {
    explicit LongDocument(long long points)
        : workspace("long-jobs", OperatingMode::Standard, "QW2182L"),
          document(workspace.services, workspace.Mode()),
          chooser(workspace.state, workspace.ui, workspace.Mode()), files(document, chooser) {
        document.SetView(&view);
        document.CreateDefault(static_cast<std::size_t>(points));
        std::int16_t* codes = document.EditAllPoints().Codes16();
        for (long long i = 0; i < points; ++i) {
            codes[i] = static_cast<std::int16_t>(i % 16000 - 8000);
        }
        document.CommitToWorkingFile();
        view.SetAnchors(0, static_cast<double>(points - 1));
        workspace.ui.fileAnswers.push_back(
            FileChoice{workspace.state.startupFolder + "saved.wav", 0});
        files.OnSaveAs();
    }
    ~LongDocument() { document.SetView(nullptr); }

    void Invert() {
        const auto last = static_cast<long long>(document.Length()) - 1;
        EditOperations::Apply(document, EditCommands::kInvert, 0, last, static_cast<double>(last));
    }
    // The recording interface keeps every report; a long run must not grow it without end.
    void Forget() { workspace.ui.Clear(); }

    BenchWorkspace workspace;
    HeadlessView view;
    WaveDoc document;
    FileChooser chooser;
    FileCommands files;
};

void BM_Invert(benchmark::State& state) {
    LongDocument longDocument(state.range(0));
    for (auto _ : state) {
        longDocument.Invert();
        longDocument.Forget();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Save(benchmark::State& state) {
    LongDocument longDocument(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(longDocument.files.OnSave());
        longDocument.Forget();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Undo(benchmark::State& state) {
    LongDocument longDocument(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        longDocument.Invert();
        state.ResumeTiming();
        benchmark::DoNotOptimize(longDocument.files.OnUndo());
        longDocument.Forget();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

constexpr long long kLengths[] = {16000000, 64000000, 256000000};

void Lengths(benchmark::internal::Benchmark* benchmark) {
    for (long long points : kLengths) {
        benchmark->Arg(points);
    }
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}

} // namespace

BENCHMARK(BM_Invert)->Apply(Lengths);
BENCHMARK(BM_Save)->Apply(Lengths);
BENCHMARK(BM_Undo)->Apply(Lengths);

BENCHMARK_MAIN();
