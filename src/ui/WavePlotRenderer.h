#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QSizeF>

class QFontMetrics;
class QPainter;
class ViewGeometry;
class WaveView;

// Draws a view on the screen and on a printed page. On the screen the plot (background,
// grid, labels, waveform, overlays) is rendered into a cached image only when the view
// has marked it invalid or the size changed; every paint copies the cache and then draws
// the anchor read-outs, the shading and the tools' markers on top, so that dragging never
// re-reads the samples.
class WavePlotRenderer {
public:
    explicit WavePlotRenderer(WaveView& view);

    // Paints the dirty part of the view.
    void PaintWidget(const QRect& dirty);
    // The plot laid out on a page of the given size (in the painter's units) at the given
    // resolution in dots per inch.
    void PaintPage(QPainter& painter, const QSizeF& page, qreal resolution);
    // The room of the vertical labels left of the plot.
    static int SampleLabelWidth(const QFontMetrics& metrics, bool fm);

private:
    void EnsurePlotCache();
    bool DrawsSamples() const;
    void PaintAxesLayer(QPainter& painter, const ViewGeometry& geometry, const QRect& background,
                        const QFont& font);
    void PaintOverlays(QPainter& painter, const ViewGeometry& geometry, bool printing);
    void RenderPage(QPainter& painter, const ViewGeometry& geometry, const QRect& background,
                    const QFont& font);
    void PaintDecorations(QPainter& painter);

    WaveView& view_;
    QImage plotCache_;
    QImage frame_;
};
