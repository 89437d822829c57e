#pragma once

#include "view/AxisMap.h"

// A rectangle in pixels, right and bottom exclusive as the window system gives them.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const PixelRect&) const = default;
};

// How a stored sample maps to the vertical axis: the encodings of the modes.
enum class CodeEncoding {
    Standard, // signed DAC codes: 0 on the middle line, +-span/2 on the edges
    FmCodes,  // 0 .. 1000000000 over the frequency window, bottom to top
    FmHz,     // values in Hz over the vertical range
};

// The plot of the waveform view: its rectangle, the visible ranges and the linear maps
// from values to pixels that every drawing, hit test and mouse tool shares.
class ViewGeometry {
public:
    // The visible ranges: horizontal in sample positions (time in pulse mode), vertical
    // in the axis unit.
    void SetRanges(double xmin, double xmax, double vmin, double vmax);
    void SetEncoding(CodeEncoding encoding, double span = 0.0);
    // Fills the maps from a rectangle. A zero-width range keeps the previous maps.
    void ComputeMappings(const PixelRect& rect);

    // Value to pixel, truncated toward zero.
    int XToPixel(double x) const { return xMap_.Apply(x); }
    int YToPixel(double v) const { return yMap_.Apply(v); }
    int CodeToPixel(double code) const { return codeMap_.Apply(code); }
    // (px - ox) / sx, computed from the plot's edges so that the edges give the ends of
    // the range exactly (a truncation then never loses the last point).
    double PixelToX(double px) const;
    // The sample code under a pixel row: the inverse of CodeToPixel, exact on the edges.
    double PixelToCode(double py) const;

    const PixelRect& Plot() const { return plot_; }
    double Xmin() const { return xmin_; }
    double Xmax() const { return xmax_; }
    double Vmin() const { return vmin_; }
    double Vmax() const { return vmax_; }
    CodeEncoding Encoding() const { return encoding_; }
    const AxisMap& XMap() const { return xMap_; }
    const AxisMap& YMap() const { return yMap_; }
    const AxisMap& CodeMap() const { return codeMap_; }

    // The screen plot: left wl, top m + m/2, right W - 0.85 wu, bottom H - m, where
    // m = H / 20 and wl, wu are the widths of the sample label and of "Points". Pulse
    // mode moves it up by min(m / 2, 11).
    static PixelRect LayoutPlot(int width, int height, int sampleLabelWidth, int unitWidth,
                                bool pulse);
    // A printed page: the background is a 2:1 band below the top of the clip box, the
    // plot that band shrunk by cx, cy, cx / 2 and 1.5 cy (the sample label's extent).
    static PixelRect PrintBackground(const PixelRect& clip, int pageWidth);
    static PixelRect PrintPlot(const PixelRect& background, int cx, int cy);
    // The label font height (1.1 h, h = plot height / 30 clamped to 10..14 on screen and
    // at most 40 on paper) and the anchor read-out font height (max(h - 2, 10)).
    static double LabelFontHeight(int plotHeight, bool printing);
    static double ReadoutFontHeight(int plotHeight, bool printing);

private:
    static double BaseFontHeight(int plotHeight, bool printing);
    void SetCodeEdges(double bottom, double height, double codeBottom, double codeSpan);

    PixelRect plot_;
    double xmin_ = 0.0;
    double xmax_ = 1.0;
    double vmin_ = 0.0;
    double vmax_ = 1.0;
    CodeEncoding encoding_ = CodeEncoding::Standard;
    double span_ = 16384.0;
    AxisMap xMap_;
    AxisMap yMap_;
    AxisMap codeMap_;
    // The edges the maps were computed from, for the exact inverse maps.
    double mappedLeft_ = 0.0;
    double mappedWidth_ = 0.0;
    double mappedXmin_ = 0.0;
    double mappedXspan_ = 0.0;
    double mappedBottom_ = 0.0;
    double mappedHeight_ = 0.0;
    double mappedCodeBottom_ = 0.0;
    double mappedCodeSpan_ = 0.0;
};
