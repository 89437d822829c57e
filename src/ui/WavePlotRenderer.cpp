#include "ui/WavePlotRenderer.h"

#include "core/AppState.h"
#include "document/WaveDoc.h"
#include "settings/AppServices.h"
#include "ui/AnchorDragController.h"
#include "ui/PlotPainter.h"
#include "ui/ViewPalette.h"
#include "ui/WaveDrawingTool.h"
#include "ui/WaveView.h"
#include "view/AxisLabels.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

namespace {

// The space between the vertical labels' tick marks and the plot.
constexpr int kLabelMargin = 8;

const char* SampleLabel(bool fm) {
    return fm ? "2.2345678" : "23456";
}

QRect ToQRect(const PixelRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

} // namespace

WavePlotRenderer::WavePlotRenderer(WaveView& view) : view_(view) {}

int WavePlotRenderer::SampleLabelWidth(const QFontMetrics& metrics, bool fm) {
    return metrics.horizontalAdvance(QString::fromLatin1(SampleLabel(fm))) + kLabelMargin;
}

bool WavePlotRenderer::DrawsSamples() const {
    const auto& overlays = view_.overlays_;
    const bool replaced = std::any_of(overlays.begin(), overlays.end(), [](const auto& entry) {
        return entry.second == WaveOverlay::Stage::InsteadOfWaveform;
    });
    return !replaced && !view_.IsPulse();
}

void WavePlotRenderer::PaintAxesLayer(QPainter& painter, const ViewGeometry& geometry,
                                      const QRect& background, const QFont& font) {
    PlotPainter::PaintBackground(painter, background);
    const AppState& state = view_.document_.Services().state;
    const AxisStyle style =
        state.IsPulse() ? AxisStyle::Pulse : (state.IsFm() ? AxisStyle::Fm : AxisStyle::Standard);
    PlotPainter::PaintAxes(painter, geometry,
                           AxisLabels::Compute(geometry, style, view_.timeUnitIndex_), font,
                           background);
}

void WavePlotRenderer::PaintOverlays(QPainter& painter, const ViewGeometry& geometry,
                                     bool printing) {
    if (view_.overlays_.empty()) {
        return;
    }
    painter.save();
    painter.setClipRect(ToQRect(geometry.Plot()).adjusted(0, 0, 1, 1));
    for (const auto& [overlay, stage] : view_.overlays_) {
        overlay->Paint(painter, geometry, printing);
    }
    painter.restore();
}

void WavePlotRenderer::RenderPage(QPainter& painter, const ViewGeometry& geometry,
                                  const QRect& background, const QFont& font) {
    PaintAxesLayer(painter, geometry, background, font);
    if (DrawsSamples()) {
        painter.save();
        painter.setClipRect(ToQRect(geometry.Plot()).adjusted(0, 0, 1, 1));
        PlotPainter::PaintWaveform(painter, view_.Columns(geometry), 2.0);
        painter.restore();
    }
    PaintOverlays(painter, geometry, true);
}

void WavePlotRenderer::EnsurePlotCache() {
    const qreal ratio = view_.devicePixelRatioF();
    const QSize pixels = view_.size() * ratio;
    if (view_.plotValid_ && plotCache_.size() == pixels) {
        return;
    }
    view_.UpdateGeometry();
    if (plotCache_.size() != pixels) {
        plotCache_ = QImage(pixels, QImage::Format_RGB32);
    }
    plotCache_.setDevicePixelRatio(ratio);
    const ViewGeometry& geometry = *view_.geometry_;
    {
        QPainter painter(&plotCache_);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        PaintAxesLayer(painter, geometry, view_.rect(), view_.labelFont_);
    }
    if (DrawsSamples()) {
        const QRect plot = ToQRect(geometry.Plot()).adjusted(0, 0, 1, 1);
        PlotPainter::PaintRuns(plotCache_, WaveformEnvelope::Runs(view_.Columns(geometry)), plot,
                               ViewPalette::kAxis);
    }
    if (!view_.overlays_.empty()) {
        QPainter painter(&plotCache_);
        PaintOverlays(painter, geometry, false);
    }
    view_.plotValid_ = true;
}

void WavePlotRenderer::PaintDecorations(QPainter& painter) {
    if (view_.IsPulse()) {
        return;
    }
    const PixelRect& plot = view_.plotRect_;
    // Read-outs above the plot.
    painter.setFont(view_.readoutFont_);
    painter.setPen(QColor(ViewPalette::kAxis));
    const QFontMetrics metrics(view_.readoutFont_);
    const QRect band(plot.left, 1, plot.Width(), metrics.height());
    painter.fillRect(band, QColor(ViewPalette::kBackground));
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("L. Anchor = ") + QString::number(view_.left_));
    painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("R. Anchor = ") + QString::number(view_.right_));

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    view_.anchors_->PaintShading(painter);
    view_.tool_->PaintMarkers(painter);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void WavePlotRenderer::PaintWidget(const QRect& dirty) {
    EnsurePlotCache();
    QPainter painter(&view_);
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
    const bool fm = view_.document_.Services().state.IsFm();
    const QFontMetrics pageMetrics(PlotPainter::LabelFont(13));
    const int cx = SampleLabelWidth(pageMetrics, fm);
    const int cy = pageMetrics.height();
    const PixelRect plot = ViewGeometry::PrintPlot(background, cx, cy);

    view_.UpdateGeometry();
    ViewGeometry geometry = *view_.geometry_;
    geometry.ComputeMappings(plot);
    const QFont font = PlotPainter::LabelFont(ViewGeometry::LabelFontHeight(plot.Height(), true));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    RenderPage(painter, geometry, ToQRect(background), font);
    painter.restore();
}
