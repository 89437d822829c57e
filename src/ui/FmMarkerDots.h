#pragma once

class QPainter;
class ViewGeometry;
class WaveDoc;

// The FM marker crossings in the waveform view: a pure blue dot of 5 by 5 pixels at each
// position of the document's marker list, at the height of the sample there (a code, or
// the value in Hz in the wide-sample variant). Only positions inside the visible range are
// looked at, and a dot that would cover the previous one exactly is not drawn again, so a
// long waveform with many crossings paints as fast as a short one.
class FmMarkerDots {
public:
    static void Paint(QPainter& painter, const ViewGeometry& geometry, const WaveDoc& document);
};
