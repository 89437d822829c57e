// Settings store speed against the plain file operations it is built on, on a context file
// of about 300 keys as the host writes it (CR LF lines).
#include "core/AppState.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ContextText() {
    std::string text = "[Instrument]\r\nFamily=QW2182\r\nChannels=2\r\n\r\n[Settings]\r\n"
                       "ActiveCh=0\r\nActiveSeg=1 3 // per channel\r\nRsclk=0\r\nWfmt=0\r\n"
                       "FmDev=1e6\r\nFmDev0=0\r\nFmFuncMode=0\r\nFmCarFrq=1e7\r\nFmSt0=0\r\n"
                       "WformMode=0\r\nAmpl=1.5\r\n\r\n[SegmTbl]\r\n";
    for (int channel = 0; channel < 2; ++channel) {
        for (int segment = 1; segment <= 80; ++segment) {
            text += "Segm" + std::to_string(segment) + "-" + std::to_string(channel) +
                    "=C:\\Consolux\\$usr\\Segm" + std::to_string(segment) + "-" +
                    std::to_string(channel) + ".wav\r\n";
        }
        text += "LastSegm#" + std::to_string(channel) + "=80\r\n";
    }
    text += "FmWave=FmDef.wvf\r\n\r\n[Modif]\r\nCommon=0\r\n";
    for (int segment = 1; segment <= 60; ++segment) {
        text += "Segm" + std::to_string(segment) + "-0=" + std::to_string(segment % 2) + "\r\n";
    }
    text += "\r\n[SegmStt]\r\n";
    for (int segment = 1; segment <= 30; ++segment) {
        text += "Segm" + std::to_string(segment) + "-0=Loaded\r\n";
    }
    text +=
        "\r\n[FmSmith]\r\nFmLen=1024\r\nFMax=2e7\r\nFMin=1e6\r\nStdFmbase=1e7\r\n\r\n[FmMark]\r\n";
    for (int marker = 0; marker < 10; ++marker) {
        text += "Mrk" + std::to_string(marker) + "=" + std::to_string(1e6 * marker) + "\r\n";
    }
    text += "FmSort=1\r\n\r\n[Sine]\r\nPrv_bgn=0\r\nPrv_end=1023\r\nCycl=1\r\nWavmin=-8191\r\n"
            "Wavmax=8191\r\n\r\n[PulseRoot-ch0]\r\nqPls=2\r\nactivePls=1\r\nVpp=2\r\n\r\n";
    for (int pulse = 1; pulse <= 2; ++pulse) {
        text += "[Pulse" + std::to_string(pulse) +
                "-ch0]\r\nDuration=1e-3\r\nTrain=0\r\n"
                "tmUnitInd=2\r\nStart=0\r\nLocDur=1e-4\r\nRepeat=1\r\nqItm=3\r\nqLnk=2\r\n"
                "Seg1=0 0\r\nSeg2=1e-5 1\r\nRpt1=1\r\n\r\n";
    }
    return text;
}

class ContextFixture : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        folder_ = (fs::temp_directory_path() / "ws-bench-settings").string();
        fs::create_directories(folder_);
        state_.contextFile = folder_ + "/TempGlyp.cad";
        std::ofstream(state_.contextFile, std::ios::binary) << ContextText();
    }
    void TearDown(const benchmark::State&) override { fs::remove_all(folder_); }

protected:
    std::string folder_;
    AppState state_;
    RecordingUserInterface ui_;
};

BENCHMARK_F(ContextFixture, ReadProfileText)(benchmark::State& state) {
    ProfileStore store(state_, ui_);
    std::string value;
    for (auto _ : state) {
        store.ReadProfileText("Pulse2-ch0", "Seg2", value, 256, state_.contextFile, true);
        benchmark::DoNotOptimize(value);
    }
}

BENCHMARK_F(ContextFixture, ReadProfileNumber)(benchmark::State& state) {
    ProfileStore store(state_, ui_);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.ReadProfileNumber("ActiveSeg", 1, "Settings", -1.1e61));
    }
}

// Peer of the reads: the bare cost of getting the file's bytes.
BENCHMARK_F(ContextFixture, PeerFopenFread)(benchmark::State& state) {
    std::string buffer(1 << 16, '\0');
    for (auto _ : state) {
        std::FILE* file = std::fopen(state_.contextFile.c_str(), "rb");
        const std::size_t size = std::fread(buffer.data(), 1, buffer.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(size);
    }
}

BENCHMARK_F(ContextFixture, WriteProfileText)(benchmark::State& state) {
    ProfileStore store(state_, ui_);
    int turn = 0;
    for (auto _ : state) {
        store.WriteProfileText("Modif", "Segm30-0", (++turn & 1) != 0 ? "2" : "3",
                               state_.contextFile);
    }
}

// Peers of the write: the same bytes written to a new file that replaces the old one,
// without and with the two fsyncs (file, folder) that make a replace survive a crash.
void FwriteRename(const std::string& text, const std::string& path, bool synced) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
    if (synced) {
        ::fsync(::fileno(file));
    }
    std::fclose(file);
    std::rename(temporary.c_str(), path.c_str());
    if (synced) {
        const int folder = ::open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY);
        ::fsync(folder);
        ::close(folder);
    }
}

BENCHMARK_F(ContextFixture, PeerFwriteRename)(benchmark::State& state) {
    const std::string text = ContextText();
    for (auto _ : state) {
        FwriteRename(text, state_.contextFile, false);
    }
}

BENCHMARK_F(ContextFixture, PeerFwriteFsyncRename)(benchmark::State& state) {
    const std::string text = ContextText();
    for (auto _ : state) {
        FwriteRename(text, state_.contextFile, true);
    }
}

void AppendCrtGeneral6(benchmark::State& state) {
    std::string text;
    double value = 1.0 / 3.0;
    for (auto _ : state) {
        text.clear();
        AppendCrtGeneral(text, value);
        value += 1.1;
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(AppendCrtGeneral6);

// Peer: the C library of this platform (two-digit exponents, locale dependent).
void PeerSnprintfG(benchmark::State& state) {
    char text[32];
    double value = 1.0 / 3.0;
    for (auto _ : state) {
        std::snprintf(text, sizeof text, "%g", value);
        value += 1.1;
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(PeerSnprintfG);

} // namespace

BENCHMARK_MAIN();
