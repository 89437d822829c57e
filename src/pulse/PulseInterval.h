#pragma once

// One element of a compiled pulse design. A section marker (t0 < 0) carries the section's
// Repeat in t1, its index in v0 and the number of intervals that follow it in v1. An
// interval as compiled runs from t0 to t1 seconds (from the start of its section) with the
// levels v0 and v1 in volts at its ends.
struct PulseInterval {
    double t0 = 0.0;
    double t1 = 0.0;
    double v0 = 0.0;
    double v1 = 0.0;

    bool IsMarker() const { return t0 < 0.0; }
    static PulseInterval Marker(int repeat, int section, int intervals) {
        return {-1.0, static_cast<double>(repeat), static_cast<double>(section),
                static_cast<double>(intervals)};
    }
};
