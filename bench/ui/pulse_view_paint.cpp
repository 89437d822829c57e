// Repainting the pulse designer's view of a large design: 1,000 DC Intervals sections of
// 100 lines each (100,000 items, a context file of some 4 MB), and one section of 100
// nodes repeated 1,048,575 times (the family's highest Repeat), on a 1920 x 1080 image,
// beside reading the context file once. A change of the design reads every section from
// the design's checked copy and builds the picture; a paint only maps and draws it.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_pulse_view_paint [benchmark flags]
#include "../BenchWorkspace.h"
#include "ViewBench.h"
#include "pulse/PulseDesign.h"
#include "ui/PlotPainter.h"
#include "ui/PulseDesignPicture.h"
#include "ui/PulseDesignRenderer.h"
#include "ui/PulseSectionPicker.h"
#include "view/ViewGeometry.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const QSize kScreen(1920, 1080);

std::string Header() {
    return "[Instrument]\nFamily=QW2182\nChannels=2\n[Settings]\nActiveCh=0\nAmpl=1\n";
}

std::string ManySections() {
    std::string text = Header() + "[PulseRoot-ch1]\nqPls=1000\nactivePls=1\nVpp=1\nDuration=100\n";
    for (int k = 0; k < 1000; ++k) {
        text += "[Pulse" + std::to_string(k) +
                "-ch1]\nTrain=0\ntmUnitInd=1\nStart=" + std::to_string(k / 10.0) +
                "\nLocDur=0.1\nRepeat=1\nqItm=100\n";
        for (int i = 0; i < 100; ++i) {
            text += "Link" + std::to_string(i) + "-sub1=0.001\nLink" + std::to_string(i) +
                    "-sub2=" + (i % 2 == 0 ? "0.1" : "-0.1") + "\n";
        }
    }
    return text;
}

std::string LongRepeat() {
    std::string text = Header() + "[PulseRoot-ch1]\nqPls=1\nactivePls=0\nVpp=1\n"
                                  "Duration=104857.5\n[Pulse0-ch1]\nTrain=1\ntmUnitInd=1\n"
                                  "Start=0\nLocDur=0.1\nRepeat=1048575\nqItm=100\n";
    for (int i = 0; i < 100; ++i) {
        text += "Node" + std::to_string(i) + "-sub1=" + std::to_string(i / 990.0) + "\nNode" +
                std::to_string(i) + "-sub2=" + (i % 2 == 0 ? "0.2" : "-0.2") + "\n";
    }
    return text;
}

// A workspace holding one design, opened as the view opens it.
class Scene : public BenchWorkspace {
public:
    Scene(const std::string& name, const std::string& design)
        : BenchWorkspace(name, OperatingMode::Pulse), design_(services) {
        std::ofstream(state.contextFile, std::ios::binary) << design;
        design_.Open(0);
        geometry.SetRanges(0.0, design_.Duration() * design_.Scale(), -0.5, 0.5);
        geometry.ComputeMappings({60, 40, kScreen.width() - 40, kScreen.height() - 40});
    }

    PulseDesignPicture Picture() {
        return PulseDesignPicture::From(design_.Sections(), design_.ActiveSection(),
                                        design_.TimeUnit(), design_.Duration(), design_.Vpp(), 1);
    }
    // A write of the host or of the editor: the design reads the file again.
    void Touch() { design_.Keys().Refresh(); }

    ViewGeometry geometry;

private:
    PulseDesign design_;
};

void ReadContextFileOnce(benchmark::State& run, Scene& scene) {
    std::string text;
    for (auto _ : run) {
        std::FILE* file = std::fopen(scene.state.contextFile.c_str(), "rb");
        text.resize(fs::file_size(scene.state.contextFile));
        benchmark::DoNotOptimize(std::fread(text.data(), 1, text.size(), file));
        std::fclose(file);
    }
    run.counters["bytes"] = static_cast<double>(text.size());
}

void PictureAfterAChange(benchmark::State& run, Scene& scene) {
    std::size_t points = 0;
    for (auto _ : run) {
        const PulseDesignPicture picture = scene.Picture();
        points = 0;
        for (const PulseSectionPicture& section : picture.sections) {
            points += section.curve.size();
        }
        run.PauseTiming();
        scene.Touch();
        run.ResumeTiming();
    }
    run.counters["points"] = static_cast<double>(points);
}

void Paint(benchmark::State& run, Scene& scene) {
    const PulseDesignPicture picture = scene.Picture();
    const QFont font = PlotPainter::LabelFont(14);
    QImage target(kScreen, QImage::Format_RGB32);
    for (auto _ : run) {
        PulseSectionPicker labels;
        labels.Place(picture, scene.geometry, QFontMetrics(font));
        QPainter painter(&target);
        PulseDesignRenderer::Paint(painter, {target.rect(), font, true}, scene.geometry, picture,
                                   labels);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}

Scene& Many() {
    static Scene scene("pulse-sections", ManySections());
    return scene;
}

Scene& Repeated() {
    static Scene scene("pulse-repeat", LongRepeat());
    return scene;
}

void BM_PeerReadContextFileOnce(benchmark::State& run) {
    ReadContextFileOnce(run, Many());
}
void BM_ManySectionsPictureAfterAChange(benchmark::State& run) {
    PictureAfterAChange(run, Many());
}
void BM_ManySectionsPaint(benchmark::State& run) {
    Paint(run, Many());
}
void BM_LongRepeatPictureAfterAChange(benchmark::State& run) {
    PictureAfterAChange(run, Repeated());
}
void BM_LongRepeatPaint(benchmark::State& run) {
    Paint(run, Repeated());
}

BENCHMARK(BM_PeerReadContextFileOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManySectionsPictureAfterAChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManySectionsPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongRepeatPictureAfterAChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongRepeatPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return view_bench::Main(argc, argv, nullptr, [] {});
}
