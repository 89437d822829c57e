#pragma once

#include <QRect>

#include <vector>

class QImage;
class QPainter;
class ViewGeometry;
class WaveDoc;

// The FM marker crossings in the waveform view: a pure blue dot of 5 by 5 pixels at each
// position of the document's marker list, its top-left corner one pixel left of and two
// above the sample there (a code, or the value in Hz in the wide-sample variant). Only
// positions inside the visible range are looked at, and a dot already drawn in the same
// place is not drawn again, so a long waveform with many crossings stays quick.
class FmMarkerDots {
public:
    // The dots' rectangles, each place once, in position order.
    static std::vector<QRect> Dots(const ViewGeometry& geometry, const WaveDoc& document);
    // Draws the dots with a painter (a printed page).
    static void Paint(QPainter& painter, const ViewGeometry& geometry, const WaveDoc& document);
    // Writes the dots straight into a 32-bit image (the view's cached plot), clipped.
    static void Stamp(QImage& image, const QRect& clip, const ViewGeometry& geometry,
                      const WaveDoc& document);
};
