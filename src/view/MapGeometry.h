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
    // The narrowest range a release may choose, in map pixels.
    static constexpr int kNarrowestRelease = 3;
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
    // The visible range a released mark selects: xmin at its left edge, xmax at
    // max(left + 3 pixels, right), each rounded to the nearest point (a map pixel spans many
    // points); within 0..length - 1, xmax > xmin. A zoom narrower than three map pixels
    // therefore widens to three when its mark is dragged.
    static std::pair<double, double> RangeOf(const PixelRect& rect, const ViewGeometry& map,
                                             double length);
    // The visible range xmin..xmax centred on a map pixel (a click off the mark), keeping its
    // width in points; the first point is whole and the range stays inside 0..length - 1.
    static std::pair<double, double> CentredRange(const ViewGeometry& map, double xmin, double xmax,
                                                  int x, double length);

private:
    static std::pair<double, double> StartingAt(double first, double width, double length);
};
