#include "ui/WaveformMap.h"

#include "document/WaveDoc.h"
#include "ui/PlotPainter.h"
#include "ui/ViewPalette.h"
#include "view/MapGeometry.h"
#include "view/MapPlacement.h"
#include "view/WaveViewState.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>

#include <cstdlib>

WaveformMap::WaveformMap(WaveViewState& state, QWidget* view)
    : QWidget(view, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), state_(state) {
    setWindowTitle(QStringLiteral("--- Waveform Map ---"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 10, 220, 140);
    setMinimumSize(60, 30);
}

void WaveformMap::InvalidateWaveform() {
    pictureValid_ = false;
    update();
}

void WaveformMap::ShowClearOfTrace(QWidget* view) {
    if (!isVisible()) {
        PlaceClearOfTrace(view);
    }
    show();
    raise();
    update();
}

void WaveformMap::PlaceClearOfTrace(QWidget* view) {
    const QPoint origin = view->mapToGlobal(QPoint(0, 0));
    const auto global = [&](PixelRect rect) {
        return PixelRect{rect.left + origin.x(), rect.top + origin.y(), rect.right + origin.x(),
                         rect.bottom + origin.y()};
    };
    const auto pixels = [](const QRect& rect) {
        return PixelRect{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    };
    MapPlacement::Scene scene;
    scene.screen = pixels(view->screen()->availableGeometry());
    scene.mainWindow = pixels(view->window()->frameGeometry());
    scene.plot = global(state_.Geometry().Plot());
    scene.trace = WaveformEnvelope::Runs(state_.Columns(state_.Geometry()));
    for (PixelRun& run : scene.trace) {
        run.x += origin.x();
        run.top += origin.y();
        run.bottom += origin.y();
    }
    // Before its first showing the window manager's frame is not known: a title bar is
    // reckoned with.
    const QSize frame = frameGeometry().size() != size()
                            ? frameGeometry().size()
                            : size() + QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const PixelRect place = MapPlacement::Place(scene, frame.width(), frame.height());
    move(place.left, place.top);
}

void WaveformMap::UpdateGeometry() {
    geometry_ = state_.WholeWaveformGeometry(width(), height());
}

PixelRect WaveformMap::MarkRect() const {
    if (dragging_) {
        return dragRect_;
    }
    return MapGeometry::VisibleRect(geometry_, state_.VisibleMin(), state_.VisibleMax());
}

bool WaveformMap::MarkContains(QPoint point) const {
    const PixelRect mark = MarkRect();
    if (MapGeometry::DrawnAsMarker(mark)) {
        const int centre = (mark.left + mark.right) / 2;
        return std::abs(point.x() - centre) <= MapGeometry::kMarkerRadius;
    }
    return point.x() >= mark.left && point.x() <= mark.right && point.y() >= mark.top &&
           point.y() <= mark.bottom;
}

void WaveformMap::RenderPicture() {
    UpdateGeometry();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (picture_.size() != pixels) {
        picture_ = QImage(pixels, QImage::Format_RGB32);
        picture_.setDevicePixelRatio(ratio);
    }
    {
        QPainter painter(&picture_);
        PlotPainter::PaintBackground(painter, rect());
    }
    PlotPainter::PaintRuns(picture_, WaveformEnvelope::Runs(state_.Columns(geometry_)), rect(),
                           ViewPalette::kAxis);
    pictureValid_ = true;
}

void WaveformMap::paintEvent(QPaintEvent* event) {
    if (!pictureValid_ || picture_.size() != size() * devicePixelRatioF()) {
        RenderPicture();
    }
    const QRect dirty = event->rect();
    QPainter painter(this);
    if (painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        painter.setClipRect(dirty);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, picture_);
        PaintMark(painter);
        return;
    }
    // Engines without XOR get the mark composed on an image first.
    if (frame_.size() != picture_.size()) {
        frame_ = QImage(picture_.size(), QImage::Format_RGB32);
    }
    frame_.setDevicePixelRatio(picture_.devicePixelRatio());
    {
        QPainter compose(&frame_);
        compose.setCompositionMode(QPainter::CompositionMode_Source);
        compose.drawImage(0, 0, picture_);
        PaintMark(compose);
    }
    const qreal ratio = frame_.devicePixelRatio();
    painter.drawImage(dirty, frame_,
                      QRectF(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio,
                             dirty.height() * ratio));
}

void WaveformMap::PaintMark(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    // Strong enough to find on the small map (the view's shade is a faint tint), and framed.
    const QColor xorColour(ViewPalette::kMapMarkXor);
    const PixelRect mark = MarkRect();
    if (MapGeometry::DrawnAsMarker(mark)) {
        const int r = MapGeometry::kMarkerRadius;
        const QPoint centre((mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
        // XOR with this turns the background into the waveform's colour.
        const QColor ink(QColor((ViewPalette::kBackground ^ ViewPalette::kAxis) & 0xFFFFFF));
        painter.setPen(QPen(ink, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, r, r);
        painter.drawLine(centre.x(), mark.top, centre.x(), mark.bottom);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    const QRect area(QPoint(mark.left, mark.top), QPoint(mark.right, mark.bottom));
    painter.fillRect(area, xorColour);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(QColor(ViewPalette::kAxis), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void WaveformMap::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pictureValid_ = false;
    UpdateGeometry();
}

void WaveformMap::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    UpdateGeometry();
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const double length = state_.Document().Length();
    const std::pair<double, double> shown{state_.VisibleMin(), state_.VisibleMax()};
    pressedOnMark_ = MarkContains(point);
    BeginDrag(point, pressedOnMark_ ? shown
                                    : MapGeometry::CentredRange(geometry_, shown.first,
                                                                shown.second, point.x(), length));
}

void WaveformMap::BeginDrag(QPoint point, std::pair<double, double> range) {
    emit DragStarted();
    dragRange_ = range;
    dragStart_ = MapGeometry::VisibleRect(geometry_, range.first, range.second);
    dragRect_ = dragStart_;
    pressPoint_ = point;
    dragging_ = true;
    moved_ = false;
    update();
}

void WaveformMap::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const QPoint travel = point - pressPoint_;
    moved_ = moved_ || travel.manhattanLength() >= QApplication::startDragDistance();
    const PixelRect client{0, 0, width(), height()};
    dragRect_ = MapGeometry::Dragged(dragStart_, travel.x(), travel.y(), client);
    const QPoint kept(pressPoint_.x() + dragRect_.left - dragStart_.left,
                      pressPoint_.y() + dragRect_.top - dragStart_.top);
    // The rectangle stopped at an edge: the cursor stays on the rectangle with it.
    if (kept.x() != point.x()) {
        QCursor::setPos(mapToGlobal(QPoint(kept.x(), point.y())));
    }
    update();
}

void WaveformMap::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = false;
    // A click off the mark centres the view there with its width; a released mark, moved
    // or not, selects the range under it.
    const auto [first, last] =
        pressedOnMark_ || moved_
            ? MapGeometry::RangeOf(dragRect_, geometry_, state_.Document().Length())
            : dragRange_;
    emit RangeChosen(first, last);
    update();
}
