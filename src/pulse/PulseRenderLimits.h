#pragma once

#include "pulse/PulseLimits.h"

// The instrument limits together with the design's amplitude: what sample codes are made of.
struct PulseRenderLimits : PulseLimits {
    double vpp = 0.0;

    PulseRenderLimits() = default;
    // The family's limits as read, with the amplitude of the design being rendered.
    PulseRenderLimits(const PulseLimits& instrument, double designVpp)
        : PulseLimits(instrument), vpp(designVpp) {}

    // The code of a level, not yet truncated: +Vpp/2 maps to vpts.
    double Code(double volts) const { return 2.0 * volts * vpts / vpp; }
};
