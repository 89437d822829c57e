#include "ui/PulseDesignRenderer.h"

#include "pulse/PulseTimeUnits.h"
#include "ui/PlotPainter.h"
#include "ui/PulseDesignPicture.h"
#include "ui/PulseSectionPicker.h"
#include "ui/ViewPalette.h"
#include "view/AxisLabels.h"
#include "view/ViewGeometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb kBorder = 0xFFBCFFFF;       // section borders
constexpr QRgb kLabelFrame = 0xFF00009E;   // outline of a section label
constexpr QRgb kActiveNumber = 0xFFF00000; // the active section's number
constexpr QRgb kLineMark = 0xFFFF0000;     // the editor's selected line
constexpr int kMarkRadius = 3;

QPointF Map(const ViewGeometry& geometry, const PulsePoint& point) {
    return {geometry.XMap().ApplyExact(point.time), geometry.YMap().ApplyExact(point.level)};
}

// Points that fall into one pixel column are drawn as the column's first, lowest, highest
// and last point, in the order they come: the same pixels, four points instead of the
// hundreds a long design puts into one column.
QPolygonF OnePointRunPerColumn(const QPolygonF& line) {
    QPolygonF kept;
    kept.reserve(std::min<qsizetype>(line.size(), 8192));
    qsizetype first = 0;
    while (first < line.size()) {
        const double column = std::floor(line[first].x());
        qsizetype end = first + 1;
        qsizetype low = first;
        qsizetype high = first;
        while (end < line.size() && std::floor(line[end].x()) == column) {
            low = line[end].y() > line[low].y() ? end : low; // pixel rows grow downwards
            high = line[end].y() < line[high].y() ? end : high;
            ++end;
        }
        if (end - first <= 4) {
            for (qsizetype i = first; i < end; ++i) {
                kept.append(line[i]);
            }
        } else {
            kept.append(line[first]);
            kept.append(line[std::min(low, high)]);
            kept.append(line[std::max(low, high)]);
            kept.append(line[end - 1]);
        }
        first = end;
    }
    return kept;
}

constexpr int kCurveWidth = 2;
// Half the curve's width, a gap of two pixels and half the frame's width: a level of
// +-Vpp/2 is a line of its own beside the frame, not a thicker frame.
constexpr int kFrameOutset = kCurveWidth / 2 + 3;

QRect PlotRect(const ViewGeometry& geometry) {
    const PixelRect& plot = geometry.Plot();
    return QRect(plot.left, plot.top, plot.Width() + 1, plot.Height() + 1);
}

// The curves' area: the plot and, above and below it, the half of the pen that a level
// of +-Vpp/2 draws outside it.
QRect CurveRect(const ViewGeometry& geometry) {
    return PlotRect(geometry).adjusted(0, -kCurveWidth / 2, 0, kCurveWidth / 2);
}

} // namespace

void PulseDesignRenderer::Paint(QPainter& painter, const Frame& frame, const ViewGeometry& geometry,
                                const PulseDesignPicture& picture,
                                const PulseSectionPicker& labels) {
    PlotPainter::PaintBackground(painter, frame.background);
    PlotPainter::PaintAxes(
        painter, geometry,
        AxisLabels::Compute(geometry, AxisStyle::Pulse, PulseTimeUnits::Name(picture.timeUnit)),
        frame.labelFont, frame.background, kFrameOutset);
    painter.save();
    painter.setClipRect(PlotRect(geometry));
    PaintBorders(painter, geometry, labels);
    painter.setClipRect(CurveRect(geometry));
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const PulseSectionPicture& section : picture.sections) {
        PaintCurve(painter, geometry, section);
    }
    if (frame.markVisible) {
        PaintMark(painter, geometry, picture);
    }
    painter.restore();
    painter.save();
    painter.setFont(frame.labelFont);
    PaintLabels(painter, picture, labels, geometry.Plot().left);
    painter.restore();
}

void PulseDesignRenderer::PaintBorders(QPainter& painter, const ViewGeometry& geometry,
                                       const PulseSectionPicker& labels) {
    const PixelRect& plot = geometry.Plot();
    painter.setPen(QPen(QColor(kBorder), 1));
    for (int x : labels.Borders()) {
        painter.drawLine(x, plot.top, x, plot.bottom);
    }
}

void PulseDesignRenderer::PaintCurve(QPainter& painter, const ViewGeometry& geometry,
                                     const PulseSectionPicture& section) {
    if (section.curve.empty()) {
        return;
    }
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(section.curve.size()) + 1);
    if (section.joinFrom) {
        line.append(Map(geometry, *section.joinFrom));
    }
    for (const PulsePoint& point : section.curve) {
        line.append(Map(geometry, point));
    }
    painter.setPen(QPen(QColor(ViewPalette::kAxis), kCurveWidth));
    const QPolygonF kept = OnePointRunPerColumn(line);
    // A curve denser than the pixel columns is a band of vertical strokes; smoothing their
    // edges shows nothing and costs most of a repaint of a long design.
    painter.setRenderHint(QPainter::Antialiasing, kept.size() == line.size());
    painter.drawPolyline(kept);
    if (section.hasBand) {
        const PulseRepeatBand& band = section.band;
        const QRectF area(Map(geometry, {band.from, band.high}),
                          Map(geometry, {band.to, band.low}));
        painter.fillRect(area.normalized(), QColor(ViewPalette::kAxis));
    }
}

void PulseDesignRenderer::PaintMark(QPainter& painter, const ViewGeometry& geometry,
                                    const PulseDesignPicture& picture) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(kLineMark), 3));
    painter.setBrush(Qt::NoBrush);
    switch (picture.mark) {
    case PulseLineMark::Node:
        painter.drawEllipse(Map(geometry, picture.markFrom), kMarkRadius, kMarkRadius);
        break;
    case PulseLineMark::Step:
        painter.drawLine(Map(geometry, picture.markFrom), Map(geometry, picture.markTo));
        break;
    case PulseLineMark::None:
        break;
    }
}

// The active label last, on top of any neighbour it covers.
void PulseDesignRenderer::PaintLabels(QPainter& painter, const PulseDesignPicture& picture,
                                      const PulseSectionPicker& labels, int plotLeft) {
    const int count = static_cast<int>(labels.Labels().size());
    for (int k = 0; k < count; ++k) {
        if (k != picture.active) {
            PaintLabel(painter, picture, labels, k, plotLeft);
        }
    }
    if (picture.active >= 0 && picture.active < count) {
        PaintLabel(painter, picture, labels, picture.active, plotLeft);
    }
}

void PulseDesignRenderer::PaintLabel(QPainter& painter, const PulseDesignPicture& picture,
                                     const PulseSectionPicker& labels, int k, int plotLeft) {
    const QRect& label = labels.Labels()[static_cast<std::size_t>(k)];
    if (label.isNull()) {
        return;
    }
    painter.fillRect(label, QColor(ViewPalette::kBackground));
    painter.setPen(QPen(QColor(kLabelFrame), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(label.adjusted(0, 0, -1, -1));
    painter.setPen(k == picture.active ? QColor(kActiveNumber) : QColor(Qt::black));
    painter.drawText(label, Qt::AlignCenter, QString::number(k + 1));
    if (k < static_cast<int>(picture.sections.size()) &&
        picture.sections[static_cast<std::size_t>(k)].Empty()) {
        const QString empty = QStringLiteral("Empty");
        const int width = painter.fontMetrics().horizontalAdvance(empty);
        QRect beside(label.left() - width - 3, label.top(), width, label.height());
        // At the plot's left edge there is no room before the label: after it then.
        if (beside.left() < plotLeft) {
            beside.moveLeft(label.right() + 4);
        }
        painter.setPen(QColor(ViewPalette::kAxis));
        painter.drawText(beside, Qt::AlignRight | Qt::AlignVCenter, empty);
    }
}
