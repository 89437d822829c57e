// Painting the FM editor's view for a 16,000,000-point FM waveform (a sine of 1,000 periods
// over the whole frequency window) with 100 markers inside the window, so about 200,000
// crossings; beside the same view with no marker inside the window. The crossing dots are
// looked up by the visible range, so a zoomed view paints only its own. Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_fm_view_paint [--snapshot=file.png] [benchmark flags]
#include "../BenchWorkspace.h"
#include "ViewBench.h"
#include "document/WaveDoc.h"
#include "settings/IniFile.h"
#include "ui/WaveView.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPoints = 16000000;
constexpr int kMarkers = 100;
const QSize kScreen(1920, 1080);

// An FM workspace: base 1 GHz, deviation 10 MHz, markers spread over the window.
struct FmBenchWorkspace : BenchWorkspace {
    FmBenchWorkspace() : BenchWorkspace("fm-view", OperatingMode::Fm) {
        Write("Settings", "Sclk", "1e9");
        Write("Settings", "WformMode", "1");
        Write("Settings", "FmFuncMode", "0");
        Write("Settings", "FmDev0", "10e6");
        Write("FmSmith", "FmLen", "1000");
        IniEntries markers;
        for (int i = 0; i < kMarkers; ++i) {
            const long long hz = 990000000LL + 20000000LL * (2 * i + 1) / (2 * kMarkers);
            markers.emplace_back("Mrk" + std::to_string(i), std::to_string(hz));
        }
        store.WriteProfileSection("FmMark0", markers, state.contextFile);
    }
};

struct FmScene {
    FmScene() : document(workspace.services, workspace.Mode()), view(document) {
        view.resize(kScreen);
        view.show();
        view.InitialUpdate();
        document.CreateDefault(kPoints);
        std::int32_t* codes = document.EditAllPoints().Codes32();
        const double step = 6.283185307179586 * 1000.0 / static_cast<double>(kPoints);
        for (std::size_t i = 0; i < kPoints; ++i) {
            codes[i] =
                static_cast<std::int32_t>(5e8 + 5e8 * std::sin(step * static_cast<double>(i)));
        }
        document.RebuildMarkerSamples();
        view.UpdateAllViews();
        target = QImage(kScreen, QImage::Format_RGB32);
        view.render(&target); // builds the waveform summary once
    }

    FmBenchWorkspace workspace;
    WaveDoc document;
    WaveView view;
    QImage target;
};

std::unique_ptr<FmScene> theScene;

FmScene& TheScene() {
    if (!theScene) {
        theScene = std::make_unique<FmScene>();
    }
    return *theScene;
}

// A full paint of the whole waveform (range changed, plot rendered again) with its dots.
void BM_FmViewFullPaintWithDots(benchmark::State& state) {
    FmScene& scene = TheScene();
    const double last = static_cast<double>(kPoints - 1);
    view_bench::PaintRangeEachTime(state, scene.view, scene.target, 0, last);
    state.counters["crossings"] =
        static_cast<double>(scene.document.FmMarkers().SampleList().size());
}

// The same paint zoomed to 100,000 points: only the dots of that range are looked at.
void BM_FmViewZoomedPaintWithDots(benchmark::State& state) {
    FmScene& scene = TheScene();
    view_bench::PaintRangeEachTime(state, scene.view, scene.target, 8000000, 8100000);
    scene.view.ShowRangeFromMap(0, static_cast<double>(kPoints - 1));
}

// The reference: the same full paint with no marker inside the window.
void BM_FmViewFullPaintWithoutDots(benchmark::State& state) {
    FmScene& scene = TheScene();
    scene.workspace.store.DeleteProfileSection("FmMark0", scene.workspace.state.contextFile);
    scene.document.RebuildMarkerSamples();
    const double last = static_cast<double>(kPoints - 1);
    view_bench::PaintRangeEachTime(state, scene.view, scene.target, 0, last);
}

BENCHMARK(BM_FmViewFullPaintWithDots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FmViewZoomedPaintWithDots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FmViewFullPaintWithoutDots)->Unit(benchmark::kMillisecond);

// A picture of a zoomed stretch with its dots.
bool SaveSnapshot(const char* path) {
    FmScene& scene = TheScene();
    scene.view.resize(1200, 700);
    scene.view.ShowRangeFromMap(8000000, 8040000);
    return scene.view.grab().save(QString::fromLatin1(path));
}

} // namespace

int main(int argc, char** argv) {
    return view_bench::Main(argc, argv, SaveSnapshot, [] { theScene.reset(); });
}
