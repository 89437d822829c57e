#pragma once

#include "pulse/PulseRenderLimits.h"
#include "pulse/PulseSection.h"
#include "settings/NumberFormat.h"

#include <utility>
#include <vector>

// Designs and limits shared by the render tests: the QW2182 family with Vpp 2 V, so that
// +1 V is code 8191 and a quantum must be a multiple of 4 and at least 16 points.
namespace pulse_test {

inline PulseRenderLimits Limits() {
    PulseRenderLimits limits;
    limits.resFactor = 4;
    limits.minSegLen = 16;
    limits.maxWaveLen = 16000000;
    limits.vpts = 8191;
    limits.maxLoopNo = 1048575;
    limits.maxSequStp = 8192;
    limits.sclkMax = 1250000000;
    limits.vpp = 2.0;
    return limits;
}

// Items as (column 1, column 2) numbers.
inline PulseSection Section(int index, TrainStyle train, int repeat,
                            const std::vector<std::pair<double, double>>& items) {
    PulseSection section;
    section.index = index;
    section.train = train;
    section.repeat = repeat;
    for (const auto& [time, level] : items) {
        section.items.push_back({CrtFormat("%.17g", time), CrtFormat("%.17g", level)});
        section.locDur = train == TrainStyle::DcIntervals ? section.locDur + time : time;
    }
    return section;
}

inline PulseSection Dc(int index, int repeat, const std::vector<std::pair<double, double>>& items) {
    return Section(index, TrainStyle::DcIntervals, repeat, items);
}

inline PulseSection Points(int index, int repeat,
                           const std::vector<std::pair<double, double>>& items) {
    return Section(index, TrainStyle::TimeLevelPoints, repeat, items);
}

} // namespace pulse_test
