// Painting the waveform view and the waveform map for a 16,000,000-point waveform on a
// 1920 x 1080 image, beside a paint of the same polyline computed beforehand. A full
// paint samples the plot's columns from the waveform's min/max summary; a drag (anchor
// or map mark) repaints from the cached plot. Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_view_paint [--snapshot=prefix] [benchmark flags]
// --snapshot writes prefix-view.png, prefix-map.png and prefix-zoom.png and exits.
#include "core/AppServices.h"
#include "core/AppState.h"
#include "document/WaveDoc.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/IniFile.h"
#include "settings/ProfileStore.h"
#include "ui/PlotPainter.h"
#include "ui/WaveView.h"
#include "ui/WaveformMap.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

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
const QSize kScreen(1920, 1080);

struct BenchWorkspace {
    BenchWorkspace() : store(state, ui), services{state, store, ui, bus} {
        root = fs::temp_directory_path() / "wavesmith-bench-view";
        fs::remove_all(root);
        fs::create_directories(root / "$bch");
        ::setenv("WAVESMITH_REGISTRY_DIR", (root / "registry").c_str(), 1);
        state.familyName = "QW2182";
        state.startupFolder = root.string() + "/";
        state.userFolder = state.startupFolder + "$bch";
        state.contextFile = state.userFolder + "/TempGlyp.cad";
        state.familyFile = state.startupFolder + "QW2182.fam";
        state.logFile = state.startupFolder + "Glyp.log";
        fs::copy_file(fs::path(WAVESMITH_FAMILIES) / "QW2182.fam", state.familyFile);
        IniFile context(state.contextFile);
        context.Write("Instrument", "Family", "QW2182");
        context.Write("Settings", "ActiveCh", "0");
        context.Write("Settings", "ActiveSeg", "1 1");
        context.Write("Settings", "Rsclk", "0");
        context.Write("Settings", "Wfmt", "0");
    }
    ~BenchWorkspace() { fs::remove_all(root); }

    fs::path root;
    AppState state;
    RecordingUserInterface ui;
    RecordingHostBus bus;
    ProfileStore store;
    AppServices services;
};

// One 16 M-point waveform (a chirp with noise) in a 1920 x 1080 view with its map.
struct Scene {
    Scene() : document(workspace.services), view(document) {
        view.resize(kScreen);
        view.show();
        view.InitialUpdate();
        document.SetLength(std::to_string(kPoints));
        std::int16_t* codes = document.Samples().Codes16();
        unsigned noise = 1;
        for (std::size_t i = 0; i < kPoints; ++i) {
            noise = noise * 214013u + 2531011u;
            const double t = static_cast<double>(i) / kPoints;
            const double wave = 6000 * std::sin(6.283185307 * (20 * t + 400 * t * t));
            codes[i] =
                static_cast<std::int16_t>(wave + static_cast<int>((noise >> 16) % 801) - 400);
        }
        view.UpdateAllViews();
        view.SetAnchorFromEditor(0, 2000000);
        view.SetAnchorFromEditor(1, 12000000);
        view.Map()->resize(kScreen);
        target = QImage(kScreen, QImage::Format_RGB32);
        view.render(&target); // builds the waveform summary once
        view.Map()->render(&target);
    }

    BenchWorkspace workspace;
    WaveDoc document;
    WaveView view;
    QImage target;
};

// Made on first use, destroyed before the application object.
std::unique_ptr<Scene> theScene;

Scene& TheScene() {
    if (!theScene) {
        theScene = std::make_unique<Scene>();
    }
    return *theScene;
}

// A full paint: the visible range changes, so every column is sampled again and the
// whole plot (grid, labels, waveform) is rendered before the anchors are drawn on it.
void BM_ViewFullPaint(benchmark::State& state) {
    Scene& scene = TheScene();
    const double last = static_cast<double>(kPoints - 1);
    int flip = 0;
    for (auto _ : state) {
        scene.view.ShowRangeFromMap(0, last - (flip++ & 1));
        scene.view.render(&scene.target);
        benchmark::DoNotOptimize(scene.target.constBits());
    }
    scene.view.ShowRangeFromMap(0, last);
    scene.view.SetAnchorFromEditor(0, 2000000);
    scene.view.SetAnchorFromEditor(1, 12000000);
}

// A step of an anchor drag: the anchor moves, the view repaints from its cached plot.
void BM_ViewAnchorDragPaint(benchmark::State& state) {
    Scene& scene = TheScene();
    long long position = 1000000;
    for (auto _ : state) {
        position = position == 1000000 ? 1500000 : 1000000;
        scene.view.SetAnchorFromEditor(0, position);
        scene.view.render(&scene.target);
        benchmark::DoNotOptimize(scene.target.constBits());
    }
}

// A full paint of the map: the whole waveform over the map's area, then its mark.
void BM_MapFullPaint(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.view.Map()->InvalidateWaveform();
        scene.view.Map()->render(&scene.target);
        benchmark::DoNotOptimize(scene.target.constBits());
    }
}

// A step of a map drag: the mark moves over the cached miniature.
void BM_MapDragPaint(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.view.Map()->render(&scene.target);
        benchmark::DoNotOptimize(scene.target.constBits());
    }
}

// The peer: the same columns computed beforehand, only painted (background + polyline).
void BM_PrecomputedPolylinePaint(benchmark::State& state) {
    Scene& scene = TheScene();
    const std::vector<PlotColumn> columns = scene.view.Columns(scene.view.Geometry());
    for (auto _ : state) {
        QPainter painter(&scene.target);
        PlotPainter::PaintBackground(painter, QRect(QPoint(0, 0), kScreen));
        PlotPainter::PaintWaveform(painter, columns);
        painter.end();
        benchmark::DoNotOptimize(scene.target.constBits());
    }
    state.counters["columns"] = static_cast<double>(columns.size());
}

// What a change of the samples costs once: the min/max summary of all 16 M points.
void BM_SummaryRebuildAfterChange(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.view.UpdateAllViews();
        benchmark::DoNotOptimize(scene.view.Columns(scene.view.Geometry()).size());
    }
}

BENCHMARK(BM_ViewFullPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewAnchorDragPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapFullPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapDragPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrecomputedPolylinePaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SummaryRebuildAfterChange)->Unit(benchmark::kMillisecond);

bool SaveSnapshots(const std::string& prefix) {
    Scene& scene = TheScene();
    scene.view.resize(1200, 700);
    scene.view.SetAnchorFromEditor(0, 2000000);
    scene.view.SetAnchorFromEditor(1, 12000000);
    scene.view.Map()->resize(220, 140);
    const bool saved = scene.view.grab().save(QString::fromStdString(prefix + "-view.png")) &&
                       scene.view.Map()->grab().save(QString::fromStdString(prefix + "-map.png"));
    // Zoomed to 60 points: the column rule's steps, the anchors at the edges.
    scene.view.SetAnchorFromEditor(0, 8000000);
    scene.view.SetAnchorFromEditor(1, 8000060);
    scene.view.OnCommand(EditCommands::kZoomIn);
    scene.view.SetAnchorFromEditor(0, 8000010);
    return saved && scene.view.grab().save(QString::fromStdString(prefix + "-zoom.png"));
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--snapshot=", 11) == 0) {
            const bool saved = SaveSnapshots(argv[i] + 11);
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
