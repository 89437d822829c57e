#pragma once

#include "pulse/PulseInterval.h"
#include "pulse/PulseRenderLimits.h"
#include "pulse/PulseSection.h"

#include <string>
#include <vector>

struct PulseCompilation {
    std::vector<PulseInterval> intervals;
    // True when some section has at least one item: a design without any renders nothing
    // and fails without a word.
    bool hasItems = false;
    // Why the design cannot be rendered, naming the section and line; empty when it can.
    std::string problem;
    // For each entry of `intervals`, the table line (from 0) that ends it; -1 for a marker.
    std::vector<int> lines;

    bool HasIntervals() const;
    // "Section 2, line 3": where interval `index` comes from, for a refusal that has to
    // name it; empty for a marker or an index beyond the list.
    std::string PlaceOf(std::size_t index) const;
};

// Turns the sections into one flat list: per section with items its marker, then its
// intervals. Items with a missing time or level are left out, as the view leaves them out
// of its drawing; a DC interval of length 0 adds nothing, and two points at the same time
// make a jump without an interval. Stored values that no editor lets through (a negative
// length, falling times, a level beyond the amplitude, a Repeat outside 1..MaxLoopNo) are
// refused with a problem text rather than rendered into nonsense.
class PulseCompiler {
public:
    static PulseCompilation Compile(const std::vector<PulseSection>& sections,
                                    const PulseRenderLimits& limits);

private:
    static bool AddDcIntervals(const PulseSection& section, const PulseRenderLimits& limits,
                               PulseCompilation& result);
    static bool AddTimeLevelPoints(const PulseSection& section, const PulseRenderLimits& limits,
                                   PulseCompilation& result);
    static bool CheckLevel(double level, int index, std::size_t line,
                           const PulseRenderLimits& limits, PulseCompilation& result);
    static bool CheckRepeat(const PulseSection& section, const PulseRenderLimits& limits,
                            PulseCompilation& result);
};
