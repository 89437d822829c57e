#pragma once

#include "pulse/PulseInterval.h"
#include "pulse/PulseRenderLimits.h"

#include <cstdint>
#include <vector>

// The whole design in one waveform segment: every interval in its own number of points,
// each section's samples repeated right after themselves as often as its Repeat says.
class PulseSingleSegment {
public:
    // Points an interval gets at a clock: its duration rounded to whole points.
    static std::int64_t IntervalPoints(const PulseInterval& interval, double clock);
    // Every point Render() produces; the rounding of each interval may make this more
    // than Duration x clock.
    static std::int64_t CountPoints(const std::vector<PulseInterval>& intervals, double clock);
    static std::vector<std::int16_t> Render(const std::vector<PulseInterval>& intervals,
                                            double clock, const PulseRenderLimits& limits);

private:
    static void AppendInterval(const PulseInterval& interval, double clock,
                               const PulseRenderLimits& limits, std::vector<std::int16_t>& out);
    static void RepeatBlock(std::vector<std::int16_t>& samples, std::size_t blockStart, int repeat);
};
