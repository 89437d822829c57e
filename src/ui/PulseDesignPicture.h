#pragma once

#include "pulse/PulseTimeUnits.h"

#include <optional>
#include <vector>

struct PulseSection;

// A point of a section's curve: a time in the shown section's unit and a level in volts.
struct PulsePoint {
    double time = 0.0;
    double level = 0.0;

    bool operator==(const PulsePoint&) const = default;
};

// The passes of a section that are not drawn point by point: the area between the lowest
// and the highest level of the curve, from the end of the last drawn pass to the end of
// the section.
struct PulseRepeatBand {
    double from = 0.0;
    double to = 0.0;
    double low = 0.0;
    double high = 0.0;
};

// One section as the view draws it: its two section marks (start and end of one pass)
// and its curve with the repeats appended.
//
// A section may repeat a million times; the passes after the first are appended only up
// to a budget of points (far more than a screen's columns can show apart), and the rest
// of the section is drawn as the band its curve fills.
struct PulseSectionPicture {
    static constexpr std::size_t kCurveBudget = 50000;

    double start = 0.0;
    double end = 0.0;
    std::vector<PulsePoint> curve;
    bool hasBand = false;
    PulseRepeatBand band;
    // Where the curve drawn before this one ends, when that is where this curve begins:
    // the jump from that level to this curve's first one is drawn as part of this curve.
    std::optional<PulsePoint> joinFrom;

    // A section without duration: its label says "Empty".
    bool Empty() const { return start == end; }
};

// How the pulse editor's selected table line is marked on the curve.
enum class PulseLineMark {
    None,
    Node, // a circle around a point of a Time/Level Points section
    Step, // a line along a step of a DC Intervals section
};

// Everything the view draws of a pulse design, read from the design once per change so
// that painting and label picking never read the context file.
struct PulseDesignPicture {
    std::vector<PulseSectionPicture> sections;
    int active = 0;
    // Total duration in the shown section's unit, the amplitude and the unit.
    double duration = 0.0;
    double vpp = 0.0;
    PulseTimeUnit timeUnit = PulseTimeUnits::kDefault;
    PulseLineMark mark = PulseLineMark::None;
    PulsePoint markFrom; // the node, or the start of the step
    PulsePoint markTo;   // the end of the step

    // The picture of stored sections. Every time is shown in the unit of the shown
    // section, so that curves, borders and the time axis agree even where sections keep
    // different units. `selectedLine` is the editor's selected table line (-1 none).
    static PulseDesignPicture From(const std::vector<PulseSection>& sections, int active,
                                   PulseTimeUnit timeUnit, double durationSeconds, double vpp,
                                   int selectedLine);
    // Marks the editor's selected line of the active section (as stored) again, without
    // rebuilding the curves.
    void MarkLine(const PulseSection& activeSection, int selectedLine);
};
