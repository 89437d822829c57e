#pragma once

#include "pulse/PulseTimeUnits.h"
#include "pulse/PulseTrainStyles.h"

#include <optional>
#include <string>
#include <vector>

// One item (one line of the editor's table) as stored: the two cell texts, each empty when
// its key is missing. Times are seconds; for Time/Level Points they are measured from the
// section's Start. Levels are volts as typed.
struct PulseItem {
    std::string time;
    std::string level;

    // The first number of a cell as the settings store reads numbers; nullopt when the
    // cell is empty, starts no number or holds one too large for a double.
    static std::optional<double> NumberOf(const std::string& text);
    std::optional<double> Time() const { return NumberOf(time); }
    std::optional<double> Level() const { return NumberOf(level); }
    // Both cells hold a number: the line counts for the section's duration and its curve.
    bool IsComplete() const { return Time().has_value() && Level().has_value(); }
};

// One section of a design as it is stored, with the defaults of missing or unusable keys
// already applied: Train and tmUnitInd outside 0..2 read as 1 (Time/Level Points, msec),
// Start and LocDur as 0, Repeat below 1 as 1 (repeatStored then false), qItm below 0 as 0.
struct PulseSection {
    int index = 0; // 0-based; the editor calls it section index + 1
    TrainStyle train = PulseTrainStyles::kDefault;
    PulseTimeUnit timeUnit = PulseTimeUnits::kDefault;
    double start = 0.0;  // seconds from the start of the design
    double locDur = 0.0; // seconds, one pass
    int repeat = 1;      // passes, at least 1
    bool repeatStored = false;
    std::vector<PulseItem> items; // qItm entries

    // 1, 1e3 or 1e6: stored seconds times the scale are the shown times.
    double Scale() const { return PulseTimeUnits::Scale(timeUnit); }
    // Repeat x LocDur: how far the section moves the sections after it.
    double TotalDuration() const { return repeat * locDur; }
    double End() const { return start + TotalDuration(); }
    bool IsEmpty() const { return items.empty(); }
};
