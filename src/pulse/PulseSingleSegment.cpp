#include "pulse/PulseSingleSegment.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

std::int64_t PulseSingleSegment::IntervalPoints(const PulseInterval& interval, double clock) {
    return static_cast<std::int64_t>((interval.t1 - interval.t0) * clock + 0.5);
}

// Summed as doubles: hours of points repeated a million times exceed any integer, and a
// count that large only has to compare above the memory.
std::int64_t PulseSingleSegment::CountPoints(const std::vector<PulseInterval>& intervals,
                                             double clock) {
    double total = 0;
    double block = 0;
    double repeat = 1;
    for (const PulseInterval& interval : intervals) {
        if (interval.IsMarker()) {
            total += block * repeat;
            block = 0;
            repeat = std::max(1.0, std::trunc(interval.t1));
        } else {
            block += static_cast<double>(IntervalPoints(interval, clock));
        }
    }
    total += block * repeat;
    return total < 9e18 ? static_cast<std::int64_t>(total) : INT64_MAX;
}

std::vector<std::int16_t> PulseSingleSegment::Render(const std::vector<PulseInterval>& intervals,
                                                     double clock,
                                                     const PulseRenderLimits& limits) {
    std::vector<std::int16_t> samples;
    samples.reserve(static_cast<std::size_t>(CountPoints(intervals, clock)));
    std::size_t blockStart = 0;
    int repeat = 1;
    for (const PulseInterval& interval : intervals) {
        if (interval.IsMarker()) {
            RepeatBlock(samples, blockStart, repeat);
            blockStart = samples.size();
            repeat = static_cast<int>(interval.t1);
        } else {
            AppendInterval(interval, clock, limits, samples);
        }
    }
    RepeatBlock(samples, blockStart, repeat);
    return samples;
}

void PulseSingleSegment::AppendInterval(const PulseInterval& interval, double clock,
                                        const PulseRenderLimits& limits,
                                        std::vector<std::int16_t>& out) {
    const std::int64_t points = IntervalPoints(interval, clock);
    const double start = limits.Code(interval.v0);
    const double rise = limits.Code(interval.v1 - interval.v0);
    if (rise == 0.0) {
        out.insert(out.end(), static_cast<std::size_t>(std::max<std::int64_t>(points, 0)),
                   static_cast<std::int16_t>(start));
        return;
    }
    const double n = static_cast<double>(points);
    for (std::int64_t i = 0; i < points; ++i) {
        out.push_back(static_cast<std::int16_t>(start + static_cast<double>(i) * rise / n));
    }
}

void PulseSingleSegment::RepeatBlock(std::vector<std::int16_t>& samples, std::size_t blockStart,
                                     int repeat) {
    const std::size_t length = samples.size() - blockStart;
    for (int copy = 1; copy < repeat; ++copy) {
        const std::size_t at = samples.size();
        samples.resize(at + length);
        std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(blockStart), length,
                    samples.begin() + static_cast<std::ptrdiff_t>(at));
    }
}
