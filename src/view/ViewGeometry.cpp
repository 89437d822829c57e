#include "view/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFmCodeSpan = 1e9;

} // namespace

void ViewGeometry::SetRanges(double xmin, double xmax, double vmin, double vmax) {
    xmin_ = xmin;
    xmax_ = xmax;
    vmin_ = vmin;
    vmax_ = vmax;
}

void ViewGeometry::SetEncoding(CodeEncoding encoding, double span) {
    encoding_ = encoding;
    span_ = span;
}

void ViewGeometry::ComputeMappings(const PixelRect& rect) {
    plot_ = rect;
    if (xmax_ == xmin_ || vmax_ == vmin_) {
        return;
    }
    const double l = rect.left;
    const double t = rect.top;
    const double r = rect.right;
    const double b = rect.bottom;
    xMap_.slope = (r - l) / (xmax_ - xmin_);
    xMap_.intercept = l - xMap_.slope * xmin_;
    mappedLeft_ = l;
    mappedWidth_ = r - l;
    mappedXmin_ = xmin_;
    mappedXspan_ = xmax_ - xmin_;
    yMap_.slope = (b - t) / (vmin_ - vmax_);
    yMap_.intercept = b - yMap_.slope * vmin_;
    switch (encoding_) {
    case CodeEncoding::FmCodes:
        codeMap_.slope = (t - b) / kFmCodeSpan;
        codeMap_.intercept = b;
        SetCodeEdges(b, b - t, 0.0, kFmCodeSpan);
        break;
    case CodeEncoding::FmHz:
        codeMap_.slope = (t - b) / (vmax_ - vmin_);
        codeMap_.intercept = b - vmin_ * codeMap_.slope;
        SetCodeEdges(b, b - t, vmin_, vmax_ - vmin_);
        break;
    case CodeEncoding::Standard:
        // A family without a code span keeps the previous code map.
        if (span_ != 0.0) {
            codeMap_.slope = (t - b) / span_;
            codeMap_.intercept = b + 0.5 * span_ * codeMap_.slope;
            SetCodeEdges(b, b - t, -0.5 * span_, span_);
        }
        break;
    }
}

void ViewGeometry::SetCodeEdges(double bottom, double height, double codeBottom, double codeSpan) {
    mappedBottom_ = bottom;
    mappedHeight_ = height;
    mappedCodeBottom_ = codeBottom;
    mappedCodeSpan_ = codeSpan;
}

double ViewGeometry::PixelToX(double px) const {
    if (mappedWidth_ == 0.0) {
        return (px - xMap_.intercept) / xMap_.slope;
    }
    return mappedXmin_ + (px - mappedLeft_) * mappedXspan_ / mappedWidth_;
}

double ViewGeometry::PixelToCode(double py) const {
    if (mappedHeight_ == 0.0) {
        return (py - codeMap_.intercept) / codeMap_.slope;
    }
    return mappedCodeBottom_ + (mappedBottom_ - py) * mappedCodeSpan_ / mappedHeight_;
}

PixelRect ViewGeometry::LayoutPlot(int width, int height, int sampleLabelWidth, int unitWidth,
                                   bool pulse) {
    const int m = height / 20;
    PixelRect rect;
    rect.left = sampleLabelWidth;
    rect.top = m + m / 2;
    rect.right = width - static_cast<int>(0.85 * unitWidth);
    rect.bottom = height - m;
    if (pulse) {
        const int up = std::min(m / 2, 11);
        rect.top -= up;
        rect.bottom -= up;
    }
    return rect;
}

PixelRect ViewGeometry::PrintBackground(const PixelRect& clip, int pageWidth) {
    PixelRect rect;
    rect.left = pageWidth / 10;
    rect.top = clip.top;
    rect.right = clip.right;
    rect.bottom = (clip.right - pageWidth / 10) / 2;
    return rect;
}

PixelRect ViewGeometry::PrintPlot(const PixelRect& background, int cx, int cy) {
    PixelRect rect;
    rect.left = background.left + cx;
    rect.top = background.top + cy;
    rect.right = background.right - cx / 2;
    rect.bottom = background.bottom - static_cast<int>(1.5 * cy);
    return rect;
}

double ViewGeometry::BaseFontHeight(int plotHeight, bool printing) {
    const double h = plotHeight / 30.0;
    if (printing) {
        return std::min(h, 40.0);
    }
    return std::clamp(h, 10.0, 14.0);
}

double ViewGeometry::LabelFontHeight(int plotHeight, bool printing) {
    return 1.1 * BaseFontHeight(plotHeight, printing);
}

double ViewGeometry::ReadoutFontHeight(int plotHeight, bool printing) {
    return std::max(BaseFontHeight(plotHeight, printing) - 2.0, 10.0);
}
