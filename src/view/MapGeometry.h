#pragma once

#include "view/ViewGeometry.h"

#include <utility>

// The waveform map: the whole waveform scaled to the map's client area, and the
// rectangle of the view's visible range that the user drags to choose what the view
// shows.
class MapGeometry {
public:
    // A rectangle narrower than this is drawn as a circle around its centre.
    static constexpr int kMarkerWidth = 5;
    static constexpr int kMarkerRadius = 5;
    // The map's plot: points 0..length - 1 across the client area, the vertical range
    // from bottom to top.
    static ViewGeometry ForClient(int width, int height, double length, double vmin, double vmax,
                                  CodeEncoding encoding, double span);
    // The view's visible range xmin..xmax over the whole height; right is the pixel of
    // xmax itself.
    static PixelRect VisibleRect(const ViewGeometry& map, double xmin, double xmax);
    static bool DrawnAsMarker(const PixelRect& rect) { return rect.Width() < kMarkerWidth; }
    // The rectangle moved by the mouse's travel and kept inside the client area.
    static PixelRect Dragged(const PixelRect& start, int dx, int dy, const PixelRect& client);
    // The visible range xmin..xmax moved by the rectangle's travel in map pixels, or
    // centred on a map pixel (a click). Either keeps its width in points: a map pixel spans
    // many points, so a range taken from the rectangle's edges would widen a narrow zoom
    // to several pixels' worth. The first point is whole and the range stays inside
    // 0..length - 1.
    static std::pair<double, double> MovedRange(const ViewGeometry& map, double xmin, double xmax,
                                                int travel, double length);
    static std::pair<double, double> CentredRange(const ViewGeometry& map, double xmin, double xmax,
                                                  int x, double length);

private:
    static std::pair<double, double> StartingAt(double first, double width, double length);
};
