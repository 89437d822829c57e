#pragma once

#include "view/AxisLabels.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QSizeF>

class AnchorDragController;
class QFontMetrics;
class QPainter;
class QWidget;
class ViewGeometry;
struct ViewMode;
class WaveDrawingTool;
class WaveViewState;

// Lays out and draws a view on the screen and on a printed page. On the screen the plot
// (background, grid, labels, waveform) is rendered into a cached image only when the
// state has been marked invalid or the size changed; every paint copies the cache and
// then draws the anchor read-outs, the shading and the tools' markers on top, so that
// dragging never re-reads the samples.
class WavePlotRenderer {
public:
    WavePlotRenderer(QWidget& widget, WaveViewState& state, const AnchorDragController& anchors,
                     const WaveDrawingTool& tool);

    // Fonts, plot rectangle and handle room for a widget of the given size and the ranges
    // the view shows; the plot is laid out anew only when its rectangle changes.
    void Layout(int width, int height);
    // Paints the dirty part of the widget.
    void PaintWidget(const QRect& dirty);
    // The plot laid out on a page of the given size (in the painter's units) at the given
    // resolution in dots per inch.
    void PaintPage(QPainter& painter, const QSizeF& page, qreal resolution);
    // The room of the vertical labels left of the plot.
    static int SampleLabelWidth(const QFontMetrics& metrics, const ViewMode& mode);

private:
    void EnsurePlotCache();
    AxisStyle Style() const;
    void PaintAxesLayer(QPainter& painter, const ViewGeometry& geometry, const QRect& background,
                        const QFont& font);
    void RenderPage(QPainter& painter, const ViewGeometry& geometry, const QRect& background,
                    const QFont& font);
    void PaintDecorations(QPainter& painter);

    QWidget& widget_;
    WaveViewState& state_;
    const AnchorDragController& anchors_;
    const WaveDrawingTool& tool_;
    QFont labelFont_;
    QFont readoutFont_;
    QImage plotCache_;
    QImage frame_;
};
