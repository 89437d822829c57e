#pragma once

#include "document/SampleEdit.h"

class WaveDoc;

// The limits a Smooth result is kept within.
struct ValueLimits {
    double low = 0.0;
    double high = 0.0;
};

// Invert: each value v becomes mirror - v, kept within low..high.
struct MirrorRule {
    double mirror = 0.0;
    double low = 0.0;
    double high = 0.0;
};

// The edits between the view's anchors a < b. The sample operations change the array in
// place, in the form the document holds (16-bit codes keep the low 16 bits of the
// truncated value, 32-bit codes are truncated, values in Hz as the operation says); the
// document operations add the undo snapshot and the commit around them.
class EditOperations {
public:
    // --- on the samples -----------------------------------------------------------
    // Moving average with W = (b - a) / 15 points: point a starts from the average of a
    // window around it (indices below 0 wrap by xmax), the following points follow with
    // integer steps (x - y) / W; point b is left alone. With W = 0 (fewer than 15 points
    // between the anchors) nothing changes and the result is false.
    static bool Filter(const SampleEdit& samples, long long a, long long b, double xmax);
    // A cubic through points a, a + 1, b and b + 1 replaces a..b + 1, limited. When b is
    // the last point there is no b + 1: the cubic then goes through a, a + 1, b - 1 and
    // b and replaces a..b, so that both ends keep their level and slope. False (nothing
    // changed) when the four points do not determine a cubic (too few points).
    static bool Smooth(const SampleEdit& samples, long long a, long long b, ValueLimits limits);
    // False when fewer than two points lie between the anchors.
    static bool Invert(const SampleEdit& samples, long long a, long long b, MirrorRule rule);
    // The straight line from (i0, v0) to (i1, v1), i0 < i1 after ordering by index:
    // every point i0..i1 gets i*k + v0 - i0*k truncated toward zero, not limited. False
    // (nothing written) when the line covers fewer than two points.
    static bool DrawSegment(const SampleEdit& samples, long long i0, double v0, long long i1,
                            double v1);

    // --- the mode's rules -----------------------------------------------------------
    // Standard: the vertical code range; FM: 0..1000000000; Hz: 0..the upper frequency
    // limit.
    static ValueLimits SmoothLimits(WaveDoc& document);
    // Standard: -v within the code range; FM: 1000000000 - v within 0..1000000000; Hz:
    // mirrored inside the frequency window fmin..fmax.
    static MirrorRule InvertRule(WaveDoc& document);

    // --- on the document ------------------------------------------------------------
    // Filter (32780), Smooth (32781) or Invert (32782) between a and b: the undo
    // snapshot, the change, the commit (the working file becomes the path, is written
    // and entered in the segment table). False when the samples did not change.
    static bool Apply(WaveDoc& document, int commandId, long long a, long long b, double xmax);
    // Trim Left (32807): keeps points a..L - 1; Trim right (32808): keeps 0..b. The
    // anchors come from the document's view. Runs the resolution check, the length
    // field and the document's length change; after Trim Left, Undo returns to the
    // waveform before the trim. False when nothing changed.
    static bool TrimLeft(WaveDoc& document);
    static bool TrimRight(WaveDoc& document);
};
