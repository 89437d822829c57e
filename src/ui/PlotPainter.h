#pragma once

#include "view/AxisLabels.h"
#include "view/WaveformEnvelope.h"

#include <QFont>
#include <QImage>
#include <QRect>

#include <vector>

class QPainter;
class ViewGeometry;

// Draws what the plot math computed: the background, the division grid, the frame, the
// labels and unit tags, and the waveform columns. No mapping is done here.
class PlotPainter {
public:
    // Room enough for the one-pixel waveform of the standard and FM views.
    static constexpr int kFrameOutset = 2;

    // The label font: "Arial" (or the platform's sans serif), weight 400, pixel height.
    static QFont LabelFont(double pixelHeight);

    static void PaintBackground(QPainter& painter, const QRect& rect);
    // `bounds` is the area the labels may use: a label at either end of the horizontal
    // axis is moved inwards rather than cut off at the edge of the view or page, and labels
    // that would run into each other are thinned out (AxisLabels::PlaceAcross).
    // The frame stands `frameOutset` pixels outside the plot, so that a curve at full scale
    // (drawn in the frame's colour) runs beside the frame, not under it.
    static void PaintAxes(QPainter& painter, const ViewGeometry& geometry, const AxisLabels& labels,
                          const QFont& font, const QRect& bounds, int frameOutset = kFrameOutset);
    // The room left of the plot that PaintAxes needs for the widest vertical label with
    // its gaps and tick.
    static int VerticalLabelRoom(const AxisLabels& labels, const QFontMetrics& metrics);
    // Each column's extent as a vertical stroke, then the polyline through the vertices
    // (the vector form, for paper).
    static void PaintWaveform(QPainter& painter, const std::vector<PlotColumn>& columns,
                              qreal penWidth = 1.0);
    // The screen form: one vertical run of pixels per column written straight into a
    // 32-bit image (logical coordinates scaled by its device pixel ratio), clipped to
    // `clip`. A painter draws long vertical runs one span per pixel row, which for a
    // dense waveform costs several times more than the whole rest of the plot.
    static void PaintRuns(QImage& image, const std::vector<PixelRun>& runs, const QRect& clip,
                          QRgb colour);
};
