#include "ui/PulseDesignRenderer.h"

#include "ui/PlotPainter.h"
#include "ui/PulseDesignPicture.h"
#include "ui/PulseSectionPicker.h"
#include "ui/ViewPalette.h"
#include "view/AxisLabels.h"
#include "view/ViewGeometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

namespace {

constexpr QRgb kBorder = 0xFFBCFFFF;       // section borders
constexpr QRgb kLabelFrame = 0xFF00009E;   // outline of a section label
constexpr QRgb kActiveNumber = 0xFFF00000; // the active section's number
constexpr QRgb kLineMark = 0xFFFF0000;     // the editor's selected line
constexpr int kMarkRadius = 3;

QPointF Map(const ViewGeometry& geometry, const PulsePoint& point) {
    return {geometry.XMap().ApplyExact(point.time), geometry.YMap().ApplyExact(point.level)};
}

QRect PlotRect(const ViewGeometry& geometry) {
    const PixelRect& plot = geometry.Plot();
    return QRect(plot.left, plot.top, plot.Width() + 1, plot.Height() + 1);
}

} // namespace

void PulseDesignRenderer::Paint(QPainter& painter, const Frame& frame, const ViewGeometry& geometry,
                                const PulseDesignPicture& picture,
                                const PulseSectionPicker& labels) {
    PlotPainter::PaintBackground(painter, frame.background);
    PlotPainter::PaintAxes(painter, geometry,
                           AxisLabels::Compute(geometry, AxisStyle::Pulse, picture.timeUnit),
                           frame.labelFont, frame.background);
    painter.save();
    painter.setClipRect(PlotRect(geometry));
    PaintBorders(painter, geometry, labels);
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
    line.reserve(static_cast<qsizetype>(section.curve.size()));
    for (const PulsePoint& point : section.curve) {
        line.append(Map(geometry, point));
    }
    painter.setPen(QPen(QColor(ViewPalette::kAxis), 2));
    painter.drawPolyline(line);
    if (section.hasBand) {
        const PulseRepeatBand& band = section.band;
        const QRectF area(Map(geometry, {band.from, band.high}),
                          Map(geometry, {band.to, band.low}));
        painter.fillRect(area.normalized(), QColor(ViewPalette::kAxis));
    }
}

void PulseDesignRenderer::PaintMark(QPainter& painter, const ViewGeometry& geometry,
                                    const PulseDesignPicture& picture) {
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

void PulseDesignRenderer::PaintLabels(QPainter& painter, const PulseDesignPicture& picture,
                                      const PulseSectionPicker& labels, int plotLeft) {
    const QFontMetrics metrics(painter.font());
    const QString empty = QStringLiteral("Empty");
    for (std::size_t k = 0; k < labels.Labels().size(); ++k) {
        const QRect& label = labels.Labels()[k];
        painter.fillRect(label, QColor(ViewPalette::kBackground));
        painter.setPen(QPen(QColor(kLabelFrame), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(label.adjusted(0, 0, -1, -1));
        const bool active = static_cast<int>(k) == picture.active;
        painter.setPen(active ? QColor(kActiveNumber) : QColor(Qt::black));
        painter.drawText(label, Qt::AlignCenter, QString::number(k + 1));
        if (k < picture.sections.size() && picture.sections[k].Empty()) {
            const int width = metrics.horizontalAdvance(empty);
            QRect beside(label.left() - width - 3, label.top(), width, label.height());
            // At the plot's left edge there is no room before the label: after it then.
            if (beside.left() < plotLeft) {
                beside.moveLeft(label.right() + 4);
            }
            painter.setPen(QColor(ViewPalette::kAxis));
            painter.drawText(beside, Qt::AlignRight | Qt::AlignVCenter, empty);
        }
    }
}
