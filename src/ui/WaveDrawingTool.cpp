#include "ui/WaveDrawingTool.h"

#include "document/WaveDoc.h"
#include "synthesis/EditOperations.h"
#include "ui/ViewPalette.h"
#include "ui/ViewSurface.h"
#include "view/WaveViewState.h"

#include <QCursor>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMarkerRadius = 3;

} // namespace

WaveDrawingTool::WaveDrawingTool(ViewSurface& surface) : surface_(surface) {}

void WaveDrawingTool::Start(DrawMode mode) {
    // Without an undo copy the drawing does not start (the user was told why).
    if (!surface_.State().Document().SnapshotForUndo()) {
        return;
    }
    mode_ = mode;
    stroke_ = false;
    hasLastPoint_ = false;
    hasRubber_ = false;
    surface_.State().Unmark();
    surface_.ViewChanged();
    QWidget& view = surface_.Widget();
    if (view.isVisible()) {
        view.grabMouse(Qt::CrossCursor);
    }
    view.setCursor(Qt::CrossCursor);
    surface_.ShowStatusText(QString::fromStdString(EditCommands::StatusText(
        mode == DrawMode::Autoline ? EditCommands::kAutoline : EditCommands::kSketch)));
}

void WaveDrawingTool::End() {
    QWidget& view = surface_.Widget();
    if (QWidget::mouseGrabber() == &view) {
        view.releaseMouse();
    }
    view.unsetCursor();
    hasLastPoint_ = false;
    hasRubber_ = false;
    stroke_ = false;
    mode_ = DrawMode::None;
    surface_.State().Document().CommitToWorkingFile();
    surface_.DrawingCommitted();
    surface_.ShowStatusText(QString());
    surface_.CommandStateMayHaveChanged();
    view.update();
}

void WaveDrawingTool::Press(QPoint point) {
    if (mode_ == DrawMode::Autoline) {
        AutolineClick(ConfineToPlot(point));
    } else if (mode_ == DrawMode::Sketch) {
        lastPoint_ = ConfineToPlot(point);
        hasLastPoint_ = true;
        stroke_ = true;
    }
}

QPoint WaveDrawingTool::Move(QPoint point) {
    point = ConfineToPlot(point);
    if (mode_ == DrawMode::Autoline && hasLastPoint_) {
        UpdateRubberBand(point);
    } else if (mode_ == DrawMode::Sketch && stroke_ && DrawSegmentBetween(lastPoint_, point)) {
        lastPoint_ = point;
    }
    return point;
}

void WaveDrawingTool::Release() {
    if (mode_ == DrawMode::Sketch && stroke_) {
        stroke_ = false;
        surface_.Widget().update();
    }
}

void WaveDrawingTool::UpdateRubberBand(QPoint end) {
    const QPoint previous = rubberEnd_;
    rubberEnd_ = end;
    hasRubber_ = true;
    surface_.Widget().update(QRect(lastPoint_, previous).normalized().adjusted(-2, -2, 2, 2));
    surface_.Widget().update(QRect(lastPoint_, end).normalized().adjusted(-2, -2, 2, 2));
}

QPoint WaveDrawingTool::ConfineToPlot(QPoint point) {
    const PixelRect& plot = surface_.State().Plot();
    const QPoint inside(std::clamp(point.x(), plot.left, plot.right),
                        std::clamp(point.y(), plot.top, plot.bottom));
    if (inside != point) {
        QCursor::setPos(surface_.Widget().mapToGlobal(inside));
    }
    return inside;
}

void WaveDrawingTool::AutolineClick(QPoint point) {
    if (hasLastPoint_ && point.x() != lastPoint_.x()) {
        DrawSegmentBetween(lastPoint_, point);
    }
    const QRect oldMarker(lastPoint_.x() - kMarkerRadius - 1, lastPoint_.y() - kMarkerRadius - 1,
                          2 * kMarkerRadius + 3, 2 * kMarkerRadius + 3);
    surface_.Widget().update(oldMarker);
    if (hasRubber_) {
        surface_.Widget().update(QRect(lastPoint_, rubberEnd_).normalized().adjusted(-2, -2, 2, 2));
    }
    lastPoint_ = point;
    hasLastPoint_ = true;
    hasRubber_ = false;
    surface_.Widget().update(oldMarker.translated(point - oldMarker.center()));
}

bool WaveDrawingTool::DrawSegmentBetween(QPoint from, QPoint to) {
    const QPoint left = from.x() <= to.x() ? from : to;
    const QPoint right = from.x() <= to.x() ? to : from;
    const ViewGeometry& geometry = surface_.State().Geometry();
    const long long i0 = static_cast<long long>(std::trunc(geometry.PixelToX(left.x())));
    const long long i1 = static_cast<long long>(std::trunc(geometry.PixelToX(right.x())));
    const double v0 = std::trunc(geometry.PixelToCode(left.y()));
    const double v1 = std::trunc(geometry.PixelToCode(right.y()));
    const SampleEdit samples = surface_.State().Document().EditAllPoints();
    if (!EditOperations::DrawSegment(samples, i0, v0, i1, v1)) {
        return false;
    }
    surface_.State().SamplesChangedBetween(i0, i1);
    surface_.SamplesDrawn();
    surface_.RepaintStrip(left.x(), right.x());
    return true;
}

void WaveDrawingTool::PaintMarkers(QPainter& painter) const {
    if (mode_ != DrawMode::Autoline || !hasLastPoint_) {
        return;
    }
    painter.setPen(QPen(QColor(ViewPalette::kMarker), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(lastPoint_, kMarkerRadius, kMarkerRadius);
    if (hasRubber_) {
        painter.setPen(QPen(QColor(ViewPalette::kRubberBand), 1));
        painter.drawLine(lastPoint_, rubberEnd_);
    }
}
