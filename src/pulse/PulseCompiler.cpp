#include "pulse/PulseCompiler.h"

#include "pulse/PulseClock.h"
#include "settings/NumberFormat.h"

#include <cmath>
#include <optional>

namespace {

// Longer sections would overflow the clock choice's count of tenths of nanoseconds, and
// their point numbers at the highest clocks.
constexpr double kLongestSection = 1e8;

// A line counts when both its cells hold finite numbers.
struct Line {
    double time = 0.0;
    double level = 0.0;
};

std::optional<Line> LineOf(const PulseItem& item) {
    const std::optional<double> time = item.Time();
    const std::optional<double> level = item.Level();
    if (!time || !level || !std::isfinite(*time) || !std::isfinite(*level)) {
        return std::nullopt;
    }
    return Line{*time, *level};
}

std::string Where(int section, std::size_t line) {
    return "Section " + std::to_string(section + 1) + ", line " + std::to_string(line + 1) + ": ";
}

bool Refuse(PulseCompilation& result, std::string problem) {
    result.problem = std::move(problem);
    return false;
}

// The clock could name no quantum for such an interval; refused here, where its line is
// known, rather than by the clock, which sees only durations.
bool RefuseUnresolved(PulseCompilation& result, int section, std::size_t line, double duration) {
    return Refuse(result, Where(section, line) + "the interval of " + CrtFormat("%g", duration) +
                              " s is shorter than 1e-007 s, the finest time step.");
}

} // namespace

bool PulseCompilation::HasIntervals() const {
    for (const PulseInterval& interval : intervals) {
        if (!interval.IsMarker()) {
            return true;
        }
    }
    return false;
}

std::string PulseCompilation::PlaceOf(std::size_t index) const {
    if (index >= intervals.size() || index >= lines.size() || lines[index] < 0) {
        return {};
    }
    std::size_t marker = index;
    while (marker > 0 && !intervals[marker].IsMarker()) {
        --marker;
    }
    return "Section " + std::to_string(static_cast<int>(intervals[marker].v0) + 1) + ", line " +
           std::to_string(lines[index] + 1);
}

PulseCompilation PulseCompiler::Compile(const std::vector<PulseSection>& sections,
                                        const PulseRenderLimits& limits) {
    PulseCompilation result;
    for (const PulseSection& section : sections) {
        if (section.items.empty()) {
            continue;
        }
        result.hasItems = true;
        if (!CheckRepeat(section, limits, result)) {
            return result;
        }
        const std::size_t markerAt = result.intervals.size();
        result.intervals.push_back(PulseInterval::Marker(section.repeat, section.index, 0));
        result.lines.push_back(-1);
        bool compiled = false;
        switch (section.train) {
        case TrainStyle::DcIntervals:
            compiled = AddDcIntervals(section, limits, result);
            break;
        case TrainStyle::TimeLevelPoints:
            compiled = AddTimeLevelPoints(section, limits, result);
            break;
        default:
            compiled = Refuse(result, "Section " + std::to_string(section.index + 1) +
                                          ": only DC intervals and time/level points can be "
                                          "rendered.");
            break;
        }
        if (!compiled) {
            return result;
        }
        result.intervals[markerAt].v1 = static_cast<double>(result.intervals.size() - markerAt - 1);
    }
    return result;
}

bool PulseCompiler::CheckRepeat(const PulseSection& section, const PulseRenderLimits& limits,
                                PulseCompilation& result) {
    // A family without "MaxLoopNo" bounds Repeat by nothing, as the editor does.
    if (section.repeat >= 1 && (limits.maxLoopNo < 1 || section.repeat <= limits.maxLoopNo)) {
        return true;
    }
    return Refuse(result, "Section " + std::to_string(section.index + 1) + ": Repeat " +
                              std::to_string(section.repeat) + " lies outside 1.." +
                              std::to_string(limits.maxLoopNo) + ".");
}

bool PulseCompiler::CheckLevel(double level, int index, std::size_t line,
                               const PulseRenderLimits& limits, PulseCompilation& result) {
    // A level typed exactly at the bound may come back from its text a hair beyond it.
    const double bound = limits.vpp / 2.0 * (1.0 + 1e-12);
    if (std::fabs(level) <= bound) {
        return true;
    }
    return Refuse(result, Where(index, line) + "level " + CrtFormat("%g", level) +
                              " V lies outside -Vpp/2..+Vpp/2 (Vpp = " +
                              CrtFormat("%g", limits.vpp) + " V).");
}

bool PulseCompiler::AddDcIntervals(const PulseSection& section, const PulseRenderLimits& limits,
                                   PulseCompilation& result) {
    double start = 0.0;
    for (std::size_t i = 0; i < section.items.size(); ++i) {
        const std::optional<Line> line = LineOf(section.items[i]);
        if (!line) {
            continue;
        }
        if (line->time < 0.0 || start + line->time > kLongestSection) {
            return Refuse(result, Where(section.index, i) + "length " +
                                      CrtFormat("%g", line->time) +
                                      " s is not a length of 0 to 1e8 s within its section.");
        }
        if (!CheckLevel(line->level, section.index, i, limits, result)) {
            return false;
        }
        if (line->time > 0.0 && !PulseClock::Resolves(line->time)) {
            return RefuseUnresolved(result, section.index, i, line->time);
        }
        if (line->time > 0.0) {
            result.intervals.push_back({start, start + line->time, line->level, line->level});
            result.lines.push_back(static_cast<int>(i));
            start += line->time;
        }
    }
    return true;
}

bool PulseCompiler::AddTimeLevelPoints(const PulseSection& section, const PulseRenderLimits& limits,
                                       PulseCompilation& result) {
    std::optional<Line> previous;
    for (std::size_t i = 0; i < section.items.size(); ++i) {
        const std::optional<Line> node = LineOf(section.items[i]);
        if (!node) {
            continue;
        }
        if (!CheckLevel(node->level, section.index, i, limits, result)) {
            return false;
        }
        if (!previous) {
            // The first node lies at the section's start whatever its stored time says.
            previous = Line{0.0, node->level};
            continue;
        }
        if (node->time < previous->time || node->time > kLongestSection) {
            return Refuse(result, Where(section.index, i) + "time " + CrtFormat("%g", node->time) +
                                      " s does not follow " + CrtFormat("%g", previous->time) +
                                      " s within 1e8 s.");
        }
        if (node->time != previous->time && !PulseClock::Resolves(node->time - previous->time)) {
            return RefuseUnresolved(result, section.index, i, node->time - previous->time);
        }
        if (node->time != previous->time) {
            result.intervals.push_back({previous->time, node->time, previous->level, node->level});
            result.lines.push_back(static_cast<int>(i));
        }
        previous = node;
    }
    return true;
}
