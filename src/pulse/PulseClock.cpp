#include "pulse/PulseClock.h"

#include "core/StringTable.h"
#include "settings/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000000; // 0.1 ns
constexpr int kTickDigits = 10;
// Doubling a clock this often leaves any instrument far behind.
constexpr int kMostDoublings = 64;

std::int64_t PowerOfTen(int exponent) {
    std::int64_t value = 1;
    for (int i = 0; i < exponent; ++i) {
        value *= 10;
    }
    return value;
}

bool FitsInstrument(std::int64_t points, const PulseRenderLimits& limits) {
    return points % std::max(limits.resFactor, 1) == 0 && points >= limits.minSegLen;
}

std::string ClockRestrictionText(const PulseRenderLimits& limits, double required) {
    std::string text = MessageText(MsgClockRestriction);
    const auto replace = [&text](const char* field, const std::string& value) {
        const std::size_t at = text.find(field);
        if (at != std::string::npos) {
            text.replace(at, 2, value);
        }
    };
    replace("%d", std::to_string(static_cast<std::int64_t>(limits.sclkMax)));
    replace("%g", CrtFormat("%g", required));
    return text;
}

} // namespace

std::int64_t PulseClock::Ticks(double seconds) {
    return static_cast<std::int64_t>(seconds * 1e10 + 0.5);
}

bool PulseClock::Resolves(double seconds) {
    return Ticks(seconds) / PowerOfTen(kTickDigits - kMostExponent) > 0;
}

// Worked in whole ticks, so that 0.001 s times 1000 is exactly 1 and never 0.999...; a
// value whose whole part is still 0 raises the exponent too, as a divisor of 0 would make
// the quantum meaningless.
int PulseClock::Exponent(const std::vector<std::int64_t>& ticks) {
    int exponent = 0;
    for (std::int64_t value : ticks) {
        while (exponent < kMostExponent) {
            const std::int64_t unit = PowerOfTen(kTickDigits - exponent);
            const bool fractional = (value % unit) * 100 > unit;
            if (!fractional && value / unit > 0) {
                break;
            }
            ++exponent;
        }
    }
    return exponent;
}

// Trial division stops at the square root of what is left, so that a large prime costs
// microseconds; the divisor is the same as when every candidate up to the value is tried.
std::int64_t PulseClock::CommonDivisor(const std::vector<std::int64_t>& values) {
    if (values.empty()) {
        return 0;
    }
    std::int64_t rest = *std::min_element(values.begin(), values.end());
    std::vector<std::pair<std::int64_t, int>> primes;
    if (rest < 2) {
        primes.emplace_back(rest, 1);
    }
    for (std::int64_t p = 2; rest >= 2 && p * p <= rest; p += (p == 2 ? 1 : 2)) {
        int exponent = 0;
        while (rest % p == 0) {
            rest /= p;
            ++exponent;
        }
        if (exponent > 0) {
            primes.emplace_back(p, exponent);
        }
    }
    if (rest >= 2) {
        primes.emplace_back(rest, 1);
    }
    std::int64_t divisor = 1;
    for (auto& [prime, exponent] : primes) {
        for (std::int64_t value : values) {
            int shared = 0;
            while (shared < exponent && prime > 0 && value % prime == 0) {
                value /= prime;
                ++shared;
            }
            exponent = prime > 1 ? shared : exponent;
        }
        for (int i = 0; i < exponent; ++i) {
            divisor *= prime;
        }
    }
    return divisor;
}

std::int64_t PulseClock::QuantumPoints(double quantum, double clock) {
    return static_cast<std::int64_t>(quantum * clock);
}

double PulseClock::LoweredClock(double quantum, double sclkMax, int resFactor) {
    const std::int64_t factor = std::max(resFactor, 1);
    double clock = std::trunc(sclkMax);
    const std::int64_t points = QuantumPoints(quantum, clock);
    const std::int64_t wanted = points - points % factor;
    if (wanted == points) {
        return clock;
    }
    // The highest clock whose quantum still truncates to `wanted` points, then a few steps
    // of one to undo the rounding of the division.
    clock = std::min(clock, std::ceil(static_cast<double>(wanted + 1) / quantum));
    while (clock > 0 && QuantumPoints(quantum, clock) % factor != 0) {
        --clock;
    }
    while (clock + 1 <= sclkMax && QuantumPoints(quantum, clock + 1) % factor == 0) {
        ++clock;
    }
    return clock;
}

PulseClockChoice PulseClock::Choose(const std::vector<PulseInterval>& intervals,
                                    bool anySectionLasts, const PulseRenderLimits& limits) {
    PulseClockChoice choice;
    std::vector<std::int64_t> distinct;
    for (const PulseInterval& interval : intervals) {
        if (interval.IsMarker()) {
            continue;
        }
        const std::int64_t ticks = Ticks(interval.t1 - interval.t0);
        if (std::find(distinct.begin(), distinct.end(), ticks) == distinct.end()) {
            distinct.push_back(ticks);
        }
    }
    if (distinct.empty()) {
        choice.problem = "The design has no interval to render.";
        return choice;
    }
    choice.exponent = Exponent(distinct);
    const std::int64_t unit = PowerOfTen(kTickDigits - choice.exponent);
    std::vector<std::int64_t> scaled;
    for (std::int64_t ticks : distinct) {
        scaled.push_back(ticks / unit);
    }
    choice.divisor = CommonDivisor(scaled);
    if (choice.divisor < 1) {
        choice.problem = "An interval is shorter than 1e-07 s, the finest time step.";
        return choice;
    }
    std::int64_t shared = 0;
    for (std::size_t i = 0; i < intervals.size() && shared != choice.divisor; ++i) {
        if (!intervals[i].IsMarker()) {
            shared = std::gcd(shared, Ticks(intervals[i].t1 - intervals[i].t0) / unit);
            choice.finest = i;
        }
    }
    choice.quantum =
        static_cast<double>(choice.divisor) / static_cast<double>(PowerOfTen(choice.exponent));
    choice.clock = std::trunc(1.0 / choice.quantum + 0.5);
    choice.accepted = true;
    if (!anySectionLasts) {
        return choice;
    }
    for (int i = 0;
         i < kMostDoublings && !FitsInstrument(QuantumPoints(choice.quantum, choice.clock), limits);
         ++i) {
        choice.clock *= 2;
    }
    if (choice.clock <= limits.sclkMax &&
        FitsInstrument(QuantumPoints(choice.quantum, choice.clock), limits)) {
        return choice;
    }
    choice.accepted = false;
    choice.asks = true;
    choice.question = ClockRestrictionText(limits, choice.clock);
    choice.clock = LoweredClock(choice.quantum, limits.sclkMax, limits.resFactor);
    return choice;
}

void PulseClock::Answer(PulseClockChoice& choice, bool lowerClock,
                        const PulseRenderLimits& limits) {
    if (!lowerClock) {
        choice.clock = static_cast<double>(limits.sclkMax + 1);
        choice.accepted = false;
        return;
    }
    choice.accepted = choice.clock >= 1;
    if (!choice.accepted) {
        choice.problem = "Even the highest sample clock gives one time quantum no point.";
    }
}
