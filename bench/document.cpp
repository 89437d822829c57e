// Loading and writing long waveforms through the document, beside a plain fread/fwrite of
// the same bytes, and the length change from 16 M to 8 M points and back. The document's
// write goes through the safe writer (temporary file, fsync, rename, folder sync): compare
// it with the plain write that includes fsync.
#include "BenchWorkspace.h"
#include "document/HeadlessView.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "document/WaveFileWriter.h"
#include "settings/IniFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPoints = 16000000;

// A workspace in the temporary folder with the shipped families and a context file.
struct DocumentWorkspace : BenchWorkspace {
    DocumentWorkspace(const std::string& family, OperatingMode mode)
        : BenchWorkspace("document-" + family, mode, family) {
        state.wideFmSamples = mode == OperatingMode::Fm && family == "G4270";
        Write("Settings", "ActiveSeg", "1 1");
        Write("Settings", "FmCarFrq", "10e6");
        Write("Settings", "FmDev0", "1e6");
        Write("FmSmith", "FmLen", "1000");
        // The wide family's FM length allows the long waveform of the benchmark.
        Write("Settings", "Rsclk", "0");
    }
};

std::string MakeFile(const fs::path& path, std::size_t bytes) {
    std::vector<char> data(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), out);
    std::fclose(out);
    return path.string();
}

void PlainRead(benchmark::State& state, std::size_t width) {
    DocumentWorkspace workspace("QW2182", OperatingMode::Standard);
    const std::string path = MakeFile(workspace.root / "plain.bin", kPoints * width);
    for (auto _ : state) {
        std::unique_ptr<char[]> buffer(new char[kPoints * width]);
        std::FILE* in = std::fopen(path.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(buffer.get(), 1, kPoints * width, in));
        std::fclose(in);
    }
    state.SetBytesProcessed(state.iterations() * kPoints * width);
}

// The peer of the document's write: fwrite over the old file, and, as the document's
// writer always does, fsync before the file counts as written (synced = true). Like the
// document's write, every timed write replaces a file of the same length: the first write
// of a new file takes memory and disk blocks the machine has not used yet, which swings
// the time of a single write by a factor of three.
void PlainWrite(benchmark::State& state, std::size_t width, bool synced) {
    DocumentWorkspace workspace("QW2182", OperatingMode::Standard);
    std::vector<char> data(kPoints * width, 1);
    const std::string path = MakeFile(workspace.root / "plain-out.bin", kPoints * width);
    for (auto _ : state) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(data.data(), 1, data.size(), out));
        std::fflush(out);
        if (synced) {
            ::fsync(::fileno(out));
        }
        std::fclose(out);
    }
    state.SetBytesProcessed(state.iterations() * kPoints * width);
}

void DocumentLoad(benchmark::State& state, const char* family, OperatingMode mode, const char* name,
                  std::size_t width) {
    DocumentWorkspace workspace(family, mode);
    const std::string path = MakeFile(workspace.root / name, kPoints * width);
    WaveDoc document(workspace.services, workspace.Mode());
    for (auto _ : state) {
        benchmark::DoNotOptimize(document.LoadWaveform(path, false));
    }
    state.SetBytesProcessed(state.iterations() * kPoints * width);
}

void DocumentWrite(benchmark::State& state, const char* family, OperatingMode mode,
                   const char* name, std::size_t width) {
    DocumentWorkspace workspace(family, mode);
    const std::string path = MakeFile(workspace.root / name, kPoints * width);
    WaveDoc document(workspace.services, workspace.Mode());
    document.LoadWaveform(path, false);
    const std::string out = (workspace.root / (std::string("out-") + name)).string();
    document.WriteWaveform(out); // each timed write replaces a file, as the peer's does
    for (auto _ : state) {
        benchmark::DoNotOptimize(document.WriteWaveform(out));
    }
    state.SetBytesProcessed(state.iterations() * kPoints * width);
}

void SetLengthHalfAndBack(benchmark::State& state) {
    DocumentWorkspace workspace("QW2182", OperatingMode::Standard);
    WaveDoc document(workspace.services, workspace.Mode());
    HeadlessView view;
    document.SetView(&view);
    SegmentCommands(document, workspace.services).OpenActiveSegment();
    document.SetLength("16000000");
    for (auto _ : state) {
        document.SetLength("8000000");
        document.SetLength("16000000");
    }
    document.SetView(nullptr);
}

} // namespace

BENCHMARK_CAPTURE(PlainRead, wav_16M, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DocumentLoad, wav_16M, "QW2182", OperatingMode::Standard, "w.wav", 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainRead, wfm_16M, 8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DocumentLoad, wfm_16M, "G4270", OperatingMode::Fm, "w.wfm", 8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainWrite, wav_16M, 2, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PlainWrite, wav_16M_fsync, 2, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DocumentWrite, wav_16M, "QW2182", OperatingMode::Standard, "w.wav", 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(PlainWrite, wfm_16M, 8, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PlainWrite, wfm_16M_fsync, 8, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DocumentWrite, wfm_16M, "G4270", OperatingMode::Fm, "w.wfm", 8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(SetLengthHalfAndBack)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
