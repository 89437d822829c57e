// Painting the waveform view and the waveform map for a 16,000,000-point waveform on a
// 1920 x 1080 image, beside a paint of the same polyline computed beforehand. A full
// paint samples the plot's columns from the waveform's min/max summary; a drag (anchor
// or map mark) repaints from the cached plot. Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_view_paint [--snapshot=prefix] [benchmark flags]
// --snapshot writes prefix-view.png, prefix-map.png and prefix-zoom.png and exits.
#include "../BenchWorkspace.h"
#include "ViewBench.h"
#include "document/WaveDoc.h"
#include "settings/IniFile.h"
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

struct ViewWorkspace : BenchWorkspace {
    ViewWorkspace() : BenchWorkspace("view") {
        Write("Settings", "ActiveCh", "0");
        Write("Settings", "ActiveSeg", "1 1");
        Write("Settings", "Rsclk", "0");
        Write("Settings", "Wfmt", "0");
    }
};

// One 16 M-point waveform (a chirp with noise) in a 1920 x 1080 view with its map.
struct Scene {
    Scene() : document(workspace.services, workspace.Mode()), view(document) {
        view.resize(kScreen);
        view.show();
        view.InitialUpdate();
        document.CreateDefault(kPoints);
        std::int16_t* codes = document.EditAllPoints().Codes16();
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

    ViewWorkspace workspace;
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
    view_bench::PaintRangeEachTime(state, scene.view, scene.target, 0, last);
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
    const std::vector<PlotColumn> columns = scene.view.Columns(scene.view.ViewState().Geometry());
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
        benchmark::DoNotOptimize(scene.view.Columns(scene.view.ViewState().Geometry()).size());
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
    return view_bench::Main(argc, argv, SaveSnapshots, [] { theScene.reset(); });
}
