#include "ui/FmMarkerDots.h"

#include "document/WaveDoc.h"
#include "ui/ViewPalette.h"
#include "view/ViewGeometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

void FmMarkerDots::Paint(QPainter& painter, const ViewGeometry& geometry, const WaveDoc& document) {
    const FmMarkerLists& markers = document.FmMarkers();
    // Without a marker in the window the list holds a lone 0 that marks no crossing.
    if (markers.InsideCount() == 0) {
        return;
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
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(ViewPalette::kMarkerDot));
    QRect previous;
    for (auto it = begin; it != end; ++it) {
        const auto position = static_cast<std::size_t>(*it);
        const QRect dot(geometry.XToPixel(static_cast<double>(position)) - 1,
                        geometry.CodeToPixel(samples.At(position)) - 2, 5, 5);
        if (dot != previous) {
            painter.drawEllipse(dot);
            previous = dot;
        }
    }
    painter.restore();
}
