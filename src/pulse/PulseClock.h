#pragma once

#include "pulse/PulseInterval.h"
#include "pulse/PulseRenderLimits.h"

#include <cstdint>
#include <string>
#include <vector>

struct PulseClockChoice {
    bool accepted = false;
    // The clock needed exceeds SclkMax: message 3024, whose text is `question`, offers the
    // lowered `clock` instead. Nothing is accepted until PulseClock::Answer has the reply.
    bool asks = false;
    std::string question;
    int exponent = 0;
    std::int64_t divisor = 0; // of the durations scaled by 10^exponent
    double quantum = 0.0;     // seconds
    double clock = 0.0;       // samples per second, a whole number
    // Why no clock could be chosen; empty when the user refused the lowered clock.
    std::string problem;
    // The index in the list of the first interval up to which the durations share no
    // more than the quantum: the one that asks for the finest time step.
    std::size_t finest = 0;
};

// The sample clock: every interval must span a whole number of time quanta, and one
// quantum a multiple of resFactor points and at least MinSegLen points.
class PulseClock {
public:
    // anySectionLasts: some section has a LocDur other than 0 (only then is the clock
    // fitted to the instrument, and message 3024 may have to be asked).
    static PulseClockChoice Choose(const std::vector<PulseInterval>& intervals,
                                   bool anySectionLasts, const PulseRenderLimits& limits);
    // The reply to message 3024: Yes keeps the lowered clock, No refuses the render.
    static void Answer(PulseClockChoice& choice, bool lowerClock, const PulseRenderLimits& limits);

    // A duration in whole tenths of nanoseconds.
    static std::int64_t Ticks(double seconds);
    // A duration of at least one time step at the largest exponent (100 ns): shorter ones
    // scale to 0 and leave no quantum.
    static bool Resolves(double seconds);
    // The exponent that makes every duration (in ticks) whole to within 0.01, at most 7.
    static int Exponent(const std::vector<std::int64_t>& ticks);
    // The greatest common divisor, by factorising the smallest value.
    static std::int64_t CommonDivisor(const std::vector<std::int64_t>& values);
    // The highest clock not above sclkMax that keeps a quantum a multiple of resFactor points.
    static double LoweredClock(double quantum, double sclkMax, int resFactor);
    // Points of one quantum at a clock.
    static std::int64_t QuantumPoints(double quantum, double clock);
    static constexpr int kMostExponent = 7;
};
