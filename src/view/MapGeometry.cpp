#include "view/MapGeometry.h"

#include <algorithm>
#include <cmath>

ViewGeometry MapGeometry::ForClient(int width, int height, double length, double vmin, double vmax,
                                    CodeEncoding encoding, double span) {
    ViewGeometry map;
    map.SetEncoding(encoding, span);
    map.SetRanges(0.0, std::max(length - 1.0, 1.0), vmin, vmax);
    map.ComputeMappings({0, 0, width, height});
    return map;
}

PixelRect MapGeometry::VisibleRect(const ViewGeometry& map, double xmin, double xmax) {
    PixelRect rect;
    rect.left = map.XToPixel(xmin);
    rect.right = map.XToPixel(xmax);
    rect.top = map.Plot().top;
    rect.bottom = map.Plot().bottom;
    return rect;
}

PixelRect MapGeometry::Dragged(const PixelRect& start, int dx, int dy, const PixelRect& client) {
    PixelRect rect = start;
    const int width = start.Width();
    const int height = start.Height();
    rect.left =
        std::clamp(start.left + dx, client.left, std::max(client.left, client.right - width));
    rect.right = rect.left + width;
    rect.top = std::clamp(start.top + dy, client.top, std::max(client.top, client.bottom - height));
    rect.bottom = rect.top + height;
    return rect;
}

std::pair<double, double> MapGeometry::RangeOf(const PixelRect& rect, const ViewGeometry& map,
                                               double length) {
    const double last = std::max(length - 1.0, 1.0);
    const int rightPixel = std::max(rect.left + kNarrowestRelease, rect.right);
    double first = std::clamp(std::round(map.PixelToX(rect.left)), 0.0, last - 1.0);
    double end = std::clamp(std::round(map.PixelToX(rightPixel)), 0.0, last);
    if (end <= first) {
        end = first + 1.0;
    }
    return {first, end};
}

std::pair<double, double> MapGeometry::CentredRange(const ViewGeometry& map, double xmin,
                                                    double xmax, int x, double length) {
    const double width = xmax - xmin;
    return StartingAt(map.PixelToX(x) - width / 2.0, width, length);
}

std::pair<double, double> MapGeometry::StartingAt(double first, double width, double length) {
    const double last = std::max(length - 1.0, 1.0);
    const double kept = std::clamp(width, 1.0, last);
    const double start = std::clamp(std::round(first), 0.0, last - kept);
    return {start, start + kept};
}
