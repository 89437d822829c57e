// Painting the FM editor's view for a 16,000,000-point FM waveform (a sine of 1,000 periods
// over the whole frequency window) with 100 markers inside the window, so about 200,000
// crossings; beside the same view with no marker inside the window. The crossing dots are
// looked up by the visible range, so a zoomed view paints only its own. Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_fm_view_paint [--snapshot=file.png] [benchmark flags]
#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/WaveDoc.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/IniFile.h"
#include "settings/ProfileStore.h"
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
struct FmBenchWorkspace {
    FmBenchWorkspace() : store(state, ui), services{state, store, ui, bus} {
        root = fs::temp_directory_path() / "wavesmith-bench-fm-view";
        fs::remove_all(root);
        fs::create_directories(root / "$bch");
        ::setenv("WAVESMITH_REGISTRY_DIR", (root / "registry").c_str(), 1);
        state.mode = OperatingMode::Fm;
        state.familyName = "QW2182";
        state.startupFolder = root.string() + "/";
        state.userFolder = state.startupFolder + "$bch";
        state.contextFile = state.userFolder + "/TempGlyp.cad";
        state.familyFile = state.startupFolder + "QW2182.fam";
        state.logFile = state.startupFolder + "Glyp.log";
        fs::copy_file(fs::path(WAVESMITH_FAMILIES) / "QW2182.fam", state.familyFile);
        IniFile context(state.contextFile);
        context.Write("Instrument", "Family", "QW2182");
        context.Write("Settings", "Sclk", "1e9");
        context.Write("Settings", "WformMode", "1");
        context.Write("Settings", "FmFuncMode", "0");
        context.Write("Settings", "FmDev0", "10e6");
        context.Write("FmSmith", "FmLen", "1000");
        IniEntries markers;
        for (int i = 0; i < kMarkers; ++i) {
            const long long hz = 990000000LL + 20000000LL * (2 * i + 1) / (2 * kMarkers);
            markers.emplace_back("Mrk" + std::to_string(i), std::to_string(hz));
        }
        store.WriteProfileSection("FmMark0", markers, state.contextFile);
    }
    ~FmBenchWorkspace() { fs::remove_all(root); }

    fs::path root;
    AppState state;
    RecordingUserInterface ui;
    RecordingHostBus bus;
    ProfileStore store;
    AppServices services;
};

struct FmScene {
    FmScene() : document(workspace.services), view(document) {
        view.resize(kScreen);
        view.show();
        view.InitialUpdate();
        document.CreateDefault(kPoints);
        std::int32_t* codes = document.Samples().Codes32();
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
    int flip = 0;
    for (auto _ : state) {
        scene.view.ShowRangeFromMap(0, last - (flip++ & 1));
        scene.view.render(&scene.target);
        benchmark::DoNotOptimize(scene.target.constBits());
    }
    state.counters["crossings"] =
        static_cast<double>(scene.document.FmMarkers().SampleList().size());
}

// The same paint zoomed to 100,000 points: only the dots of that range are looked at.
void BM_FmViewZoomedPaintWithDots(benchmark::State& state) {
    FmScene& scene = TheScene();
    int flip = 0;
    for (auto _ : state) {
        scene.view.ShowRangeFromMap(8000000, 8100000 - (flip++ & 1));
        scene.view.render(&scene.target);
        benchmark::DoNotOptimize(scene.target.constBits());
    }
    scene.view.ShowRangeFromMap(0, static_cast<double>(kPoints - 1));
}

// The reference: the same full paint with no marker inside the window.
void BM_FmViewFullPaintWithoutDots(benchmark::State& state) {
    FmScene& scene = TheScene();
    scene.workspace.store.DeleteProfileSection("FmMark0", scene.workspace.state.contextFile);
    scene.document.RebuildMarkerSamples();
    const double last = static_cast<double>(kPoints - 1);
    int flip = 0;
    for (auto _ : state) {
        scene.view.ShowRangeFromMap(0, last - (flip++ & 1));
        scene.view.render(&scene.target);
        benchmark::DoNotOptimize(scene.target.constBits());
    }
}

BENCHMARK(BM_FmViewFullPaintWithDots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FmViewZoomedPaintWithDots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FmViewFullPaintWithoutDots)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--snapshot=", 11) == 0) {
            FmScene& scene = TheScene();
            scene.view.resize(1200, 700);
            scene.view.ShowRangeFromMap(8000000, 8040000);
            const bool saved = scene.view.grab().save(QString::fromLatin1(argv[i] + 11));
            theScene.reset();
            return saved ? 0 : 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theScene.reset();
    return 0;
}
