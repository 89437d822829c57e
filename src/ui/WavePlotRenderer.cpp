#include "ui/WavePlotRenderer.h"

#include "document/WaveDoc.h"
#include "ui/AnchorDragController.h"
#include "ui/FmMarkerDots.h"
#include "ui/PlotPainter.h"
#include "ui/ViewPalette.h"
#include "ui/WaveDrawingTool.h"
#include "view/AxisLabels.h"
#include "view/ViewMode.h"
#include "view/WaveViewState.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace {

// The space between the vertical labels' tick marks and the plot.
constexpr int kLabelMargin = 8;

QRect ToQRect(const PixelRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

} // namespace

WavePlotRenderer::WavePlotRenderer(QWidget& widget, WaveViewState& state,
                                   const AnchorDragController& anchors, const WaveDrawingTool& tool)
    : widget_(widget), state_(state), anchors_(anchors), tool_(tool) {}

void WavePlotRenderer::Layout(int width, int height) {
    const int m = height / 20;
    const int plotHeight = (height - m) - (m + m / 2);
    labelFont_ = PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plotHeight, false));
    readoutFont_ = PlotPainter::LabelFont(ViewGeometry::ReadoutFontHeight(plotHeight, false));
    const QFontMetrics metrics(labelFont_);
    // The sample label's room, or more where a vertical label is wider (a frequency with
    // many digits), so that no label is cut off at the view's edge.
    state_.UpdateGeometry();
    const int labelRoom = std::max(
        SampleLabelWidth(metrics, state_.Mode()),
        PlotPainter::VerticalLabelRoom(AxisLabels::Compute(state_.Geometry(), Style()), metrics));
    const int unitWidth = metrics.horizontalAdvance(QStringLiteral("Points"));
    const PixelRect plot = ViewGeometry::LayoutPlot(width, height, labelRoom, unitWidth, false);
    const int readoutHeight = QFontMetrics(readoutFont_).height();
    const int handleHeight = std::clamp(plot.top - readoutHeight - 2, 6, 18);
    if (plot != state_.Plot() || handleHeight != state_.HandleHeight()) {
        state_.SetLayout(plot, handleHeight);
    }
}

AxisStyle WavePlotRenderer::Style() const {
    return state_.Mode().axis;
}

int WavePlotRenderer::SampleLabelWidth(const QFontMetrics& metrics, const ViewMode& mode) {
    return metrics.horizontalAdvance(QString::fromLatin1(mode.widestSampleLabel)) + kLabelMargin;
}

void WavePlotRenderer::PaintAxesLayer(QPainter& painter, const ViewGeometry& geometry,
                                      const QRect& background, const QFont& font) {
    PlotPainter::PaintBackground(painter, background);
    PlotPainter::PaintAxes(painter, geometry, AxisLabels::Compute(geometry, Style()), font,
                           background);
}

void WavePlotRenderer::RenderPage(QPainter& painter, const ViewGeometry& geometry,
                                  const QRect& background, const QFont& font) {
    PaintAxesLayer(painter, geometry, background, font);
    painter.save();
    painter.setClipRect(ToQRect(geometry.Plot()).adjusted(0, 0, 1, 1));
    PlotPainter::PaintWaveform(painter, state_.Columns(geometry), 2.0);
    if (state_.Mode().showsFmMarkers) {
        FmMarkerDots::Paint(painter, geometry, state_.Document());
    }
    painter.restore();
}

void WavePlotRenderer::EnsurePlotCache() {
    const qreal ratio = widget_.devicePixelRatioF();
    const QSize pixels = widget_.size() * ratio;
    if (state_.PlotValid() && plotCache_.size() == pixels) {
        return;
    }
    state_.UpdateGeometry();
    if (plotCache_.size() != pixels) {
        plotCache_ = QImage(pixels, QImage::Format_RGB32);
    }
    plotCache_.setDevicePixelRatio(ratio);
    const ViewGeometry& geometry = state_.Geometry();
    {
        QPainter painter(&plotCache_);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        PaintAxesLayer(painter, geometry, widget_.rect(), labelFont_);
    }
    const QRect plot = ToQRect(geometry.Plot()).adjusted(0, 0, 1, 1);
    PlotPainter::PaintRuns(plotCache_, WaveformEnvelope::Runs(state_.Columns(geometry)), plot,
                           ViewPalette::kAxis);
    if (state_.Mode().showsFmMarkers) {
        FmMarkerDots::Stamp(plotCache_, plot, geometry, state_.Document());
    }
    state_.MarkPlotValid();
}

void WavePlotRenderer::PaintDecorations(QPainter& painter) {
    const PixelRect& plot = state_.Plot();
    // Read-outs above the plot.
    painter.setFont(readoutFont_);
    painter.setPen(QColor(ViewPalette::kAxis));
    const QFontMetrics metrics(readoutFont_);
    const QRect band(plot.left, 1, plot.Width(), metrics.height());
    painter.fillRect(band, QColor(ViewPalette::kBackground));
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("L. Anchor = ") + QString::number(state_.Left()));
    painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("R. Anchor = ") + QString::number(state_.Right()));

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    anchors_.PaintShading(painter);
    tool_.PaintMarkers(painter);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void WavePlotRenderer::PaintWidget(const QRect& dirty) {
    EnsurePlotCache();
    QPainter painter(&widget_);
    // The raster engine (every QImage and most backing stores) draws XOR itself; other
    // engines get the decorations composed on an image first.
    if (painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        painter.setClipRect(dirty);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), plotCache_);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        PaintDecorations(painter);
        return;
    }
    if (frame_.size() != plotCache_.size()) {
        frame_ = QImage(plotCache_.size(), QImage::Format_RGB32);
    }
    frame_.setDevicePixelRatio(plotCache_.devicePixelRatio());
    {
        QPainter compose(&frame_);
        compose.setClipRect(dirty);
        compose.setCompositionMode(QPainter::CompositionMode_Source);
        compose.drawImage(0, 0, plotCache_);
        compose.setCompositionMode(QPainter::CompositionMode_SourceOver);
        compose.setRenderHint(QPainter::TextAntialiasing, true);
        PaintDecorations(compose);
    }
    const qreal ratio = frame_.devicePixelRatio();
    painter.drawImage(dirty, frame_,
                      QRectF(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio,
                             dirty.height() * ratio));
}

void WavePlotRenderer::PaintPage(QPainter& painter, const QSizeF& page, qreal resolution) {
    // Laid out in 1/96 inch so that the page reads like the screen at any resolution.
    const qreal scale = resolution / 96.0;
    painter.save();
    painter.scale(scale, scale);
    const int pageWidth = static_cast<int>(page.width() / scale);
    const int pageHeight = static_cast<int>(page.height() / scale);
    const PixelRect background =
        ViewGeometry::PrintBackground({0, 0, pageWidth, pageHeight}, pageWidth);
    const QFontMetrics pageMetrics(PlotPainter::LabelFont(13));
    const int cx = SampleLabelWidth(pageMetrics, state_.Mode());
    const int cy = pageMetrics.height();
    const PixelRect plot = ViewGeometry::PrintPlot(background, cx, cy);

    state_.UpdateGeometry();
    ViewGeometry geometry = state_.Geometry();
    geometry.ComputeMappings(plot);
    const QFont font = PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plot.Height(), true));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    RenderPage(painter, geometry, ToQRect(background), font);
    painter.restore();
}
