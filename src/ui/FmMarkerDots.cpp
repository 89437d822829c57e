#include "ui/FmMarkerDots.h"

#include "document/WaveDoc.h"
#include "ui/PlotPainter.h"
#include "ui/ViewPalette.h"
#include "view/ViewGeometry.h"
#include "view/WaveformEnvelope.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

constexpr int kDotSize = 5;

// The places of the dots in the current pixel column, forgotten when the column changes:
// the list is in position order, so a column's dots come together.
class ColumnPlaces {
public:
    bool FirstVisit(const QRect& dot) {
        if (dot.x() != column_) {
            column_ = dot.x();
            tops_.clear();
        }
        return tops_.insert(dot.y()).second;
    }

private:
    int column_ = 0;
    std::unordered_set<int> tops_;
};

} // namespace

std::vector<QRect> FmMarkerDots::Dots(const ViewGeometry& geometry, const WaveDoc& document) {
    std::vector<QRect> dots;
    const FmMarkerLists& markers = document.FmMarkers();
    // Without a marker in the window the list holds a lone 0 that marks no crossing.
    if (markers.InsideCount() == 0) {
        return dots;
    }
    const SampleBuffer& samples = document.Samples();
    const auto& positions = markers.SampleList();
    const double first = std::max(std::ceil(geometry.Xmin()), 0.0);
    const double last = std::min(geometry.Xmax(), samples.Length() - 1);
    const auto begin =
        std::lower_bound(positions.begin(), positions.end(), first,
                         [](std::int32_t position, double x) { return position < x; });
    const auto end = std::upper_bound(begin, positions.end(), last,
                                      [](double x, std::int32_t position) { return x < position; });
    ColumnPlaces places;
    // The positions lie far apart in a long waveform; their samples are fetched ahead.
    constexpr std::ptrdiff_t kAhead = 16;
    const auto* bytes = static_cast<const char*>(samples.Bytes());
    const auto width = static_cast<std::size_t>(samples.ElementWidth());
    for (auto it = begin; it != end; ++it) {
        if (end - it > kAhead) {
            __builtin_prefetch(bytes + static_cast<std::size_t>(*(it + kAhead)) * width);
        }
        const auto position = static_cast<std::size_t>(*it);
        const QRect dot(geometry.XToPixel(static_cast<double>(position)) - 1,
                        geometry.CodeToPixel(samples.At(position)) - 2, kDotSize, kDotSize);
        if (places.FirstVisit(dot)) {
            dots.push_back(dot);
        }
    }
    return dots;
}

void FmMarkerDots::Paint(QPainter& painter, const ViewGeometry& geometry, const WaveDoc& document) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(ViewPalette::kMarkerDot));
    for (const QRect& dot : Dots(geometry, document)) {
        painter.drawEllipse(dot);
    }
    painter.restore();
}

void FmMarkerDots::Stamp(QImage& image, const QRect& clip, const ViewGeometry& geometry,
                         const WaveDoc& document) {
    // A 5 by 5 disc: three pixels high at its outer columns, five in between.
    static constexpr int kTop[kDotSize] = {1, 0, 0, 0, 1};
    static constexpr int kBottom[kDotSize] = {3, 4, 4, 4, 3};
    const std::vector<QRect> dots = Dots(geometry, document);
    if (image.depth() != 32 || image.devicePixelRatio() != 1.0) {
        std::vector<PixelRun> runs;
        runs.reserve(dots.size() * kDotSize);
        for (const QRect& dot : dots) {
            for (int column = 0; column < kDotSize; ++column) {
                runs.push_back(
                    {dot.x() + column, dot.y() + kTop[column], dot.y() + kBottom[column]});
            }
        }
        PlotPainter::PaintRuns(image, runs, clip, ViewPalette::kMarkerDot);
        return;
    }
    // Straight into the pixels: a dense crossing list paints hundreds of thousands of dots.
    const QRect area = clip.intersected(image.rect());
    const qsizetype stride = image.bytesPerLine() / 4;
    auto* bits = reinterpret_cast<quint32*>(image.bits());
    for (const QRect& dot : dots) {
        for (int column = 0; column < kDotSize; ++column) {
            const int x = dot.x() + column;
            if (x < area.left() || x > area.right()) {
                continue;
            }
            const int top = std::max(dot.y() + kTop[column], area.top());
            const int bottom = std::min(dot.y() + kBottom[column], area.bottom());
            for (int y = top; y <= bottom; ++y) {
                bits[static_cast<qsizetype>(y) * stride + x] = ViewPalette::kMarkerDot;
            }
        }
    }
}
