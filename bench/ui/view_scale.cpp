// The view actions on waveforms of 16 M, 64 M and 256 M points (the 256 M-point test
// family), on a 1920 x 1080 view with its map, each against the 0.5 s a view action may
// take: the first paint of the whole waveform (summary built), zooming in step by step
// down to two points and back out, scrolling a zoomed range (what a drag of the map's
// mark does), and the repaint after an edit of the whole waveform or of a few points.
// The peer is a plain min/max scan of every visible point. The peak memory of the process
// is given after the first paint and the zoom steps (run one length alone, e.g.
// --benchmark_filter=/256M, for that length's figure). Run offscreen:
//   QT_QPA_PLATFORM=offscreen bench_view_scale [--snapshot=prefix] [benchmark flags]
// --snapshot writes prefix-scale-view.png, -scale-edit.png (after an Invert) and
// -scale-zoom.png of a 1 M-point waveform and exits, to compare the pictures before and
// after a change of the view code.
#include "../BenchWorkspace.h"
#include "ViewBench.h"
#include "document/WaveDoc.h"
#include "synthesis/EditCommands.h"
#include "synthesis/EditOperations.h"
#include "ui/WaveView.h"
#include "ui/WaveformMap.h"
#include "view/WaveViewState.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const QSize kScreen(1920, 1080);
constexpr double kLimitSeconds = 0.5;

struct ScaleWorkspace : BenchWorkspace {
    ScaleWorkspace() : BenchWorkspace("view-scale", OperatingMode::Standard, "QW2182L") {
        Write("Settings", "ActiveCh", "0");
        Write("Settings", "ActiveSeg", "1 1");
        Write("Settings", "Rsclk", "0");
        Write("Settings", "Wfmt", "0");
    }
};

// A waveform of `points` points (a chirp with noise, as the paint benchmark draws) in a
// 1920 x 1080 view with its map, painted once.
struct Scene {
    explicit Scene(long long points)
        : length(points), document(workspace.services, workspace.Mode()), view(document) {
        view.resize(kScreen);
        view.show();
        document.CreateDefault(static_cast<std::size_t>(points));
        Fill();
        view.InitialUpdate();
        target = QImage(kScreen, QImage::Format_RGB32);
        view.render(&target);
    }

    void Fill() {
        std::int16_t* codes = document.EditAllPoints().Codes16();
        unsigned noise = 1;
        const double n = static_cast<double>(length);
        for (long long i = 0; i < length; ++i) {
            noise = noise * 214013u + 2531011u;
            const double t = static_cast<double>(i) / n;
            const double phase = 20 * t + 400 * t * t;
            // A triangle chirp: the same shape as a sine, without a sine per point.
            const double frac = phase - static_cast<long long>(phase);
            const double wave = 6000 * (frac < 0.5 ? 4 * frac - 1 : 3 - 4 * frac);
            codes[i] =
                static_cast<std::int16_t>(wave + static_cast<int>((noise >> 16) % 801) - 400);
        }
    }

    void Paint() {
        view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }

    // The anchors, then Zoom in, then the paint that follows.
    void ZoomTo(long long left, long long right) {
        view.SetAnchorFromEditor(1, right);
        view.SetAnchorFromEditor(0, left);
        view.OnCommand(EditCommands::kZoomIn);
        Paint();
    }

    void ShowWhole() {
        view.SetAnchorFromEditor(0, 0);
        view.SetAnchorFromEditor(1, length - 1);
        if (view.IsCommandEnabled(EditCommands::kZoomOut)) {
            view.OnCommand(EditCommands::kZoomOut);
        }
        Paint();
    }

    long long length;
    ScaleWorkspace workspace;
    WaveDoc document;
    WaveView view;
    QImage target;
};

// One scene at a time: the longest takes 512 MiB of samples.
std::unique_ptr<Scene> theScene;

Scene& SceneOf(long long points) {
    if (!theScene || theScene->length != points) {
        theScene.reset();
        theScene = std::make_unique<Scene>(points);
    }
    return *theScene;
}

using Clock = std::chrono::steady_clock;

// The process's peak resident memory so far (VmHWM), in MiB.
double PeakMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reports the worst of an iteration's steps as its time, and how it compares to the limit.
struct WorstStep {
    double worst = 0;
    double total = 0;
    int steps = 0;

    template <typename Step> void Time(Step&& step) {
        const Clock::time_point start = Clock::now();
        step();
        const double seconds = SecondsSince(start);
        worst = std::max(worst, seconds);
        total += seconds;
        ++steps;
    }
    void Report(benchmark::State& state) {
        state.SetIterationTime(worst);
        state.counters["steps"] = steps;
        state.counters["mean_ms"] = steps > 0 ? 1000 * total / steps : 0;
        state.counters["of_limit"] = worst / kLimitSeconds;
    }
};

// The whole waveform shown once its samples changed (a load, a generated waveform, an
// edit of every point): the summary of every point built, the view and map painted.
void FirstPaint(benchmark::State& state, long long points) {
    Scene& scene = SceneOf(points);
    scene.ShowWhole();
    double worst = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        scene.view.UpdateAllViews();
        scene.Paint();
        worst = std::max(worst, SecondsSince(start));
        state.SetIterationTime(SecondsSince(start));
    }
    state.counters["of_limit"] = worst / kLimitSeconds;
    // One scene at a time: run one length alone for its own figure.
    state.counters["peak_MiB"] = PeakMiB();
}

// Zoom in on the middle half of what is shown, step after step, down to two points
// (the closest the anchors may stand), then Zoom out to the whole waveform.
void ZoomSteps(benchmark::State& state, long long points) {
    Scene& scene = SceneOf(points);
    for (auto _ : state) {
        scene.ShowWhole();
        WorstStep steps;
        long long left = 0;
        long long right = points - 1;
        while (right - left > 1) {
            const long long quarter = std::max((right - left) / 4, 1LL);
            left += quarter;
            right = std::max(right - quarter, left + 1);
            steps.Time([&] { scene.ZoomTo(left, right); });
        }
        steps.Time([&] {
            scene.view.OnCommand(EditCommands::kZoomOut);
            scene.Paint();
        });
        steps.Report(state);
    }
    state.counters["peak_MiB"] = PeakMiB();
}

// A zoomed range of 1/64 of the waveform moved by half its width per step, over
// the whole waveform, as a drag of the map's mark shows it.
void Scroll(benchmark::State& state, long long points) {
    Scene& scene = SceneOf(points);
    const long long width = points / 64;
    for (auto _ : state) {
        scene.ShowWhole();
        WorstStep steps;
        for (long long first = 0; first + width < points; first += width / 2) {
            steps.Time([&] {
                scene.view.ShowRangeFromMap(static_cast<double>(first),
                                            static_cast<double>(first + width));
                scene.Paint();
            });
        }
        steps.Report(state);
    }
    scene.ShowWhole();
}

// Invert between two positions, the edit itself not timed: what the view's state does
// after Filter, Smooth or Invert changed the samples (the summary brought up to date, the
// plot's columns and runs taken again), on the Qt-free view state over the scene's
// document. `span` points are edited in the middle of the waveform, all of them when 0.
// The widget's paint of a changed plot costs what a zoom step's does.
void RepaintAfterEdit(benchmark::State& state, long long points, long long span) {
    Scene& scene = SceneOf(points);
    WaveViewState view(scene.document);
    view.SetLayout(scene.view.ViewState().Plot(), scene.view.ViewState().HandleHeight());
    view.FitToDocument();
    view.UpdateGeometry();
    benchmark::DoNotOptimize(view.Columns(view.Geometry()).size());
    const long long left = span == 0 ? 0 : points / 2;
    const long long right = span == 0 ? points - 1 : left + span - 1;
    const MirrorRule rule = EditOperations::InvertRule(scene.document);
    double worst = 0;
    for (auto _ : state) {
        EditOperations::Invert(scene.document.EditAllPoints(), left, right, rule);
        const Clock::time_point start = Clock::now();
        view.SamplesChangedBetween(left, right + 1);
        const std::vector<PixelRun> runs = WaveformEnvelope::Runs(view.Columns(view.Geometry()));
        benchmark::DoNotOptimize(runs.data());
        const double seconds = SecondsSince(start);
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["of_limit"] = worst / kLimitSeconds;
    // The scene's own view summarises the edited samples again.
    scene.view.UpdateAllViews();
}

// The peer: the lowest and highest of every point, as a plot without a summary reads them.
void MinMaxScan(benchmark::State& state, long long points) {
    Scene& scene = SceneOf(points);
    const std::int16_t* codes = scene.document.Samples().Codes16();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::int16_t lo = codes[0];
        std::int16_t hi = codes[0];
        for (long long i = 1; i < points; ++i) {
            lo = std::min(lo, codes[i]);
            hi = std::max(hi, codes[i]);
        }
        benchmark::DoNotOptimize(lo + hi);
        state.SetIterationTime(SecondsSince(start));
    }
}

constexpr long long kLengths[] = {16000000, 64000000, 256000000};

void Register() {
    for (long long points : kLengths) {
        const std::string suffix = "/" + std::to_string(points / 1000000) + "M";
        auto add = [&](const std::string& name, auto function) {
            benchmark::RegisterBenchmark((name + suffix).c_str(), function)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(3);
        };
        add("FirstPaint", [points](benchmark::State& s) { FirstPaint(s, points); });
        add("ZoomStepWorst", [points](benchmark::State& s) { ZoomSteps(s, points); });
        add("ScrollStepWorst", [points](benchmark::State& s) { Scroll(s, points); });
        add("RepaintAfterEditAll",
            [points](benchmark::State& s) { RepaintAfterEdit(s, points, 0); });
        add("RepaintAfterEdit1000",
            [points](benchmark::State& s) { RepaintAfterEdit(s, points, 1000); });
        add("MinMaxScan", [points](benchmark::State& s) { MinMaxScan(s, points); });
    }
}

// The whole view, then a zoom to 40 points, of a 1 M-point waveform.
bool SaveSnapshots(const std::string& prefix) {
    Scene& scene = SceneOf(1000000);
    scene.view.resize(1200, 700);
    scene.view.Map()->resize(220, 140);
    scene.view.SetAnchorFromEditor(0, 200000);
    scene.view.SetAnchorFromEditor(1, 700000);
    const bool whole = scene.view.grab().save(QString::fromStdString(prefix + "-scale-view.png"));
    // An edit of the marked half, the whole view again, then a zoom into the edited part.
    scene.view.OnCommand(EditCommands::kInvert);
    const bool edited = scene.view.grab().save(QString::fromStdString(prefix + "-scale-edit.png"));
    scene.ZoomTo(400000, 400040);
    return whole && edited &&
           scene.view.grab().save(QString::fromStdString(prefix + "-scale-zoom.png"));
}

} // namespace

int main(int argc, char** argv) {
    Register();
    return view_bench::Main(argc, argv, SaveSnapshots, [] { theScene.reset(); });
}
