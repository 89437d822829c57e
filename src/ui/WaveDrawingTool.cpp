#include "ui/WaveDrawingTool.h"

#include "document/WaveDoc.h"
#include "synthesis/EditOperations.h"
#include "ui/ViewPalette.h"
#include "ui/WaveView.h"
#include "ui/WaveformMap.h"

#include <QCursor>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMarkerRadius = 3;

} // namespace

WaveDrawingTool::WaveDrawingTool(WaveView& view) : view_(view) {}

void WaveDrawingTool::Start(DrawMode mode) {
    // Without an undo copy the drawing does not start (the user was told why).
    if (!view_.document_.SnapshotForUndo()) {
        return;
    }
    mode_ = mode;
    stroke_ = false;
    hasLastPoint_ = false;
    hasRubber_ = false;
    view_.Unmark();
    if (view_.isVisible()) {
        view_.grabMouse(Qt::CrossCursor);
    }
    view_.setCursor(Qt::CrossCursor);
    emit view_.StatusTextChanged(WaveView::CommandStatusText(
        mode == DrawMode::Autoline ? EditCommands::kAutoline : EditCommands::kSketch));
}

void WaveDrawingTool::End() {
    if (QWidget::mouseGrabber() == &view_) {
        view_.releaseMouse();
    }
    view_.unsetCursor();
    hasLastPoint_ = false;
    hasRubber_ = false;
    stroke_ = false;
    mode_ = DrawMode::None;
    view_.document_.CommitToWorkingFile();
    emit view_.WaveformCommitted();
    emit view_.StatusTextChanged(QString());
    emit view_.CommandStateChanged();
    view_.update();
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
        view_.update();
    }
}

void WaveDrawingTool::UpdateRubberBand(QPoint end) {
    const QPoint previous = rubberEnd_;
    rubberEnd_ = end;
    hasRubber_ = true;
    view_.update(QRect(lastPoint_, previous).normalized().adjusted(-2, -2, 2, 2));
    view_.update(QRect(lastPoint_, end).normalized().adjusted(-2, -2, 2, 2));
}

QPoint WaveDrawingTool::ConfineToPlot(QPoint point) {
    const PixelRect& plot = view_.plotRect_;
    const QPoint inside(std::clamp(point.x(), plot.left, plot.right),
                        std::clamp(point.y(), plot.top, plot.bottom));
    if (inside != point) {
        QCursor::setPos(view_.mapToGlobal(inside));
    }
    return inside;
}

void WaveDrawingTool::AutolineClick(QPoint point) {
    if (hasLastPoint_ && point.x() != lastPoint_.x()) {
        DrawSegmentBetween(lastPoint_, point);
    }
    const QRect oldMarker(lastPoint_.x() - kMarkerRadius - 1, lastPoint_.y() - kMarkerRadius - 1,
                          2 * kMarkerRadius + 3, 2 * kMarkerRadius + 3);
    view_.update(oldMarker);
    if (hasRubber_) {
        view_.update(QRect(lastPoint_, rubberEnd_).normalized().adjusted(-2, -2, 2, 2));
    }
    lastPoint_ = point;
    hasLastPoint_ = true;
    hasRubber_ = false;
    view_.update(oldMarker.translated(point - oldMarker.center()));
}

bool WaveDrawingTool::DrawSegmentBetween(QPoint from, QPoint to) {
    const QPoint left = from.x() <= to.x() ? from : to;
    const QPoint right = from.x() <= to.x() ? to : from;
    const ViewGeometry& geometry = *view_.geometry_;
    const long long i0 = static_cast<long long>(std::trunc(geometry.PixelToX(left.x())));
    const long long i1 = static_cast<long long>(std::trunc(geometry.PixelToX(right.x())));
    const double v0 = std::trunc(geometry.PixelToCode(left.y()));
    const double v1 = std::trunc(geometry.PixelToCode(right.y()));
    SampleBuffer& samples = view_.document_.Samples();
    if (!EditOperations::DrawSegment(samples, i0, v0, i1, v1)) {
        return false;
    }
    if (!view_.samplesDirty_ && view_.envelope_->Matches(samples)) {
        const long long last = static_cast<long long>(samples.Size()) - 1;
        view_.envelope_->Update(samples, static_cast<std::size_t>(std::clamp(i0, 0LL, last)),
                                static_cast<std::size_t>(std::clamp(i1, 0LL, last)));
    } else {
        view_.samplesDirty_ = true;
    }
    view_.plotValid_ = false;
    if (view_.map_ != nullptr) {
        view_.map_->InvalidateWaveform();
    }
    view_.UpdateStrip(left.x(), right.x());
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
