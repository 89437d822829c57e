#pragma once

#include "view/ViewGeometry.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <utility>

class QPainter;
class WaveViewState;

// The "--- Waveform Map ---" window: the whole waveform in miniature, with the view's
// visible range marked in XOR. Dragging the mark chooses what the view shows; a click off
// the mark centres the view there with the width it shows (and may go on into a drag). The
// miniature is rendered once per change of the waveform or of the window's size, so a
// drag only moves the mark over the cached picture.
class WaveformMap : public QWidget {
    Q_OBJECT
public:
    static constexpr int kId = 2300;

    // A tool window over the view widget, showing the view's state.
    WaveformMap(WaveViewState& state, QWidget* view);

    // The waveform changed: the miniature is rendered again at the next paint.
    void InvalidateWaveform();
    // Shows the map; a hidden one first goes where it leaves the view's trace visible.
    void ShowClearOfTrace(QWidget* view);
    // The mark as it is drawn now (during a drag, where the mouse has moved it).
    PixelRect MarkRect() const;
    bool Dragging() const { return dragging_; }

signals:
    // A drag of the mark has begun.
    void DragStarted();
    // The drag ended on the range first..last.
    void RangeChosen(double first, double last);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void UpdateGeometry();
    void PlaceClearOfTrace(QWidget* view);
    void BeginDrag(QPoint point, std::pair<double, double> range);
    void PaintMark(QPainter& painter) const;
    void RenderPicture();
    bool MarkContains(QPoint point) const;

    WaveViewState& state_;
    ViewGeometry geometry_;
    QImage picture_;
    QImage frame_;
    bool pictureValid_ = false;
    bool dragging_ = false;
    bool moved_ = false; // beyond a click's jitter
    bool pressedOnMark_ = false;
    QPoint pressPoint_;
    PixelRect dragStart_;
    PixelRect dragRect_;
    // The visible range as the drag began.
    std::pair<double, double> dragRange_;
};
