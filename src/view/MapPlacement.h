#pragma once

#include "view/ViewGeometry.h"
#include "view/WaveformEnvelope.h"

#include <vector>

// Where the waveform map window opens, in screen pixels. The map shows the whole waveform
// so that the view can show a part of it; over the view's trace it would hide what it is
// there to help find. It therefore opens at its own place, the screen's top left corner
// (0, 10), when that leaves the main window free; else beside the main window where the
// screen has room; else, with the main window filling the screen, in the corner of the
// plot where it covers the fewest pixels of the trace.
class MapPlacement {
public:
    // Where the map's own place puts its top left corner, from the screen's corner.
    static constexpr int kHomeLeft = 0;
    static constexpr int kHomeTop = 10;
    // Room left between the map and what it stays clear of.
    static constexpr int kGap = 6;

    struct Scene {
        PixelRect screen;            // the screen's room for windows
        PixelRect mainWindow;        // with its frame
        PixelRect plot;              // the view's plot
        std::vector<PixelRun> trace; // the view's trace as drawn
    };

    // The map's rectangle with its frame, of the given size.
    static PixelRect Place(const Scene& scene, int width, int height);
    // The trace pixels that `rect` covers.
    static long long CoveredTrace(const PixelRect& rect, const std::vector<PixelRun>& trace);

private:
    static bool Fits(const PixelRect& rect, const PixelRect& screen);
    static bool Overlaps(const PixelRect& a, const PixelRect& b);
    static PixelRect LeastCoveringCorner(const Scene& scene, int width, int height);
};
