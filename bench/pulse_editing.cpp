// Editing a large pulse design: 1,000 sections of 100 lines each (100,000 items, a context
// file of some 4 MB) against reading that file once. Each edit reads the file (once, into
// the design's checked copy), writes it once under its lock, and re-reads it.
#include "BenchWorkspace.h"
#include "pulse/PulseDesign.h"
#include "pulse/PulseEditor.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kSections = 1000;
constexpr int kLines = 100;

// A DC Intervals design: each line 1 ms at 0.1 V, Start and LocDur in step.
std::string DesignText() {
    std::string text = "[Instrument]\nFamily=QW2182\nChannels=2\n[Settings]\nActiveCh=0\n"
                       "Ampl=1\nRsclk=0\nWfmt=0\n";
    text += "[PulseRoot-ch1]\nqPls=" + std::to_string(kSections) +
            "\nactivePls=1\nVpp=1\nDuration=" + std::to_string(kSections * kLines / 1000) + "\n";
    for (int k = 0; k < kSections; ++k) {
        text += "[Pulse" + std::to_string(k) +
                "-ch1]\nTrain=0\ntmUnitInd=1\nStart=" + std::to_string(k * kLines / 1000.0) +
                "\nLocDur=0.1\nRepeat=1\nqItm=" + std::to_string(kLines) + "\n";
        for (int i = 0; i < kLines; ++i) {
            text += "Link" + std::to_string(i) + "-sub1=0.001\nLink" + std::to_string(i) +
                    "-sub2=0.1\n";
        }
    }
    return text;
}

struct Workspace : BenchWorkspace {
    Workspace() : BenchWorkspace("pulse-editing", OperatingMode::Pulse) {
        std::ofstream(state.contextFile, std::ios::binary) << DesignText();
    }
};

Workspace& Shared() {
    static Workspace workspace;
    return workspace;
}

void BM_PeerReadContextFileOnce(benchmark::State& run) {
    const std::string path = Shared().state.contextFile;
    std::string text;
    for (auto _ : run) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        text.resize(fs::file_size(path));
        benchmark::DoNotOptimize(std::fread(text.data(), 1, text.size(), file));
        std::fclose(file);
    }
    run.counters["bytes"] = static_cast<double>(text.size());
}

// What the design would pay per key without its checked copy: one read of the file each.
void BM_PeerOneUncachedKeyRead(benchmark::State& run) {
    ProfileStore& store = Shared().store;
    for (auto _ : run) {
        benchmark::DoNotOptimize(
            store.ReadProfileNumber("Start", 0, "Pulse999-ch1", kMissingNumber));
    }
}

void BM_OpenDesignAndEditor(benchmark::State& run) {
    for (auto _ : run) {
        PulseDesign design(Shared().services);
        design.Open(0);
        PulseEditor editor(design);
        benchmark::DoNotOptimize(editor.LineCount());
    }
}

// A repaint of the view reads every section with its items.
void BM_ReadAllSections(benchmark::State& run) {
    PulseDesign design(Shared().services);
    design.Open(0);
    for (auto _ : run) {
        benchmark::DoNotOptimize(design.Sections().size());
        // The design checks its copy against the file; a new write makes it read again.
        run.PauseTiming();
        design.Keys().Refresh();
        run.ResumeTiming();
    }
}

// An interval of section 1 changes: its LocDur, the Starts of the 998 sections after it
// and the Duration follow, in one write.
void BM_CellEditWithUpkeep(benchmark::State& run) {
    PulseDesign design(Shared().services);
    design.Open(0);
    PulseEditor editor(design);
    bool longer = false;
    for (auto _ : run) {
        longer = !longer;
        if (!editor.EndCellEdit(50, 1, longer ? "2" : "1")) {
            run.SkipWithError("the edit was refused");
        }
    }
}

// A section inserted at index 1 copies the 999 sections after it one name up; deleting it
// again (not timed) moves them back.
void BM_SectionInsertNearTheFront(benchmark::State& run) {
    PulseDesign design(Shared().services);
    design.Open(0);
    PulseEditor editor(design);
    for (auto _ : run) {
        if (!editor.InsertSection()) {
            run.SkipWithError("the insert was refused");
        }
        run.PauseTiming();
        editor.DeleteSection();
        run.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_PeerReadContextFileOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerOneUncachedKeyRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDesignAndEditor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllSections)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CellEditWithUpkeep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SectionInsertNearTheFront)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
