#include "ui/PulseDesignPicture.h"

#include "pulse/PulseSection.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The points of one pass, and the item index each point came from. An item with a
// missing time or level is left out (of a staircase too: it does not move the next step).
std::vector<PulsePoint> OnePass(const PulseSection& section, double scale,
                                std::vector<int>& itemOfPoint) {
    std::vector<PulsePoint> points;
    double stepStart = section.start * scale;
    for (std::size_t i = 0; i < section.items.size(); ++i) {
        const auto time = section.items[i].Time();
        const auto level = section.items[i].Level();
        if (!time || !level) {
            continue;
        }
        const int item = static_cast<int>(i);
        if (section.train == TrainStyle::TimeLevelPoints) {
            points.push_back({section.start * scale + *time * scale, *level});
            itemOfPoint.push_back(item);
        } else if (section.train == TrainStyle::DcIntervals) {
            const double stepEnd = stepStart + *time * scale;
            points.push_back({stepStart, *level});
            points.push_back({stepEnd, *level});
            itemOfPoint.insert(itemOfPoint.end(), 2, item);
            stepStart = stepEnd;
        }
    }
    return points;
}

void AppendRepeats(const PulseSection& section, double scale, PulseSectionPicture& picture) {
    const std::vector<PulsePoint> pass = picture.curve;
    if (pass.empty() || section.repeat <= 1) {
        return;
    }
    const double shift = section.locDur * scale;
    const std::size_t drawn =
        std::clamp<std::size_t>(PulseSectionPicture::kCurveBudget / pass.size(), 1,
                                static_cast<std::size_t>(section.repeat));
    picture.curve.reserve(pass.size() * drawn);
    for (std::size_t r = 1; r < drawn; ++r) {
        for (const PulsePoint& point : pass) {
            picture.curve.push_back({point.time + static_cast<double>(r) * shift, point.level});
        }
    }
    if (drawn < static_cast<std::size_t>(section.repeat)) {
        const auto [low, high] = std::minmax_element(
            pass.begin(), pass.end(),
            [](const PulsePoint& a, const PulsePoint& b) { return a.level < b.level; });
        picture.hasBand = true;
        picture.band = {section.start * scale + static_cast<double>(drawn) * shift,
                        section.start * scale + section.repeat * shift, low->level, high->level};
    }
}

// Where the last pass ends: the last point of one pass moved on by the passes after it
// (also those drawn only as a band).
PulsePoint EndOf(const PulseSection& section, double scale, const PulsePoint& lastOfPass) {
    const double later = static_cast<double>(section.repeat - 1) * section.locDur * scale;
    return {lastOfPass.time + later, lastOfPass.level};
}

// Times in the shown unit are sums of stored seconds times the scale; a section that
// starts where the one before it ends may differ from that end in its last bits.
bool SameTime(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

} // namespace

PulseDesignPicture PulseDesignPicture::From(const std::vector<PulseSection>& sections, int active,
                                            PulseTimeUnit timeUnit, double durationSeconds,
                                            double vpp, int selectedLine) {
    PulseDesignPicture picture;
    const double scale = PulseTimeUnits::Scale(timeUnit);
    picture.active = active;
    picture.timeUnit = timeUnit;
    picture.duration = durationSeconds * scale;
    picture.vpp = vpp;
    std::optional<PulsePoint> endBefore;
    for (const PulseSection& section : sections) {
        PulseSectionPicture shown;
        shown.start = section.start * scale;
        shown.end = (section.start + section.locDur) * scale;
        std::vector<int> itemOfPoint;
        shown.curve = OnePass(section, scale, itemOfPoint);
        if (!shown.curve.empty()) {
            if (endBefore && SameTime(endBefore->time, shown.curve.front().time)) {
                shown.joinFrom = endBefore;
            }
            endBefore = EndOf(section, scale, shown.curve.back());
        }
        AppendRepeats(section, scale, shown);
        picture.sections.push_back(std::move(shown));
    }
    if (active >= 0 && static_cast<std::size_t>(active) < sections.size()) {
        picture.MarkLine(sections[static_cast<std::size_t>(active)], selectedLine);
    }
    return picture;
}

void PulseDesignPicture::MarkLine(const PulseSection& activeSection, int selectedLine) {
    mark = PulseLineMark::None;
    if (selectedLine < 0 || static_cast<std::size_t>(selectedLine) >= activeSection.items.size()) {
        return;
    }
    std::vector<int> itemOfPoint;
    const std::vector<PulsePoint> pass =
        OnePass(activeSection, PulseTimeUnits::Scale(timeUnit), itemOfPoint);
    const auto first = std::find(itemOfPoint.begin(), itemOfPoint.end(), selectedLine);
    if (first == itemOfPoint.end()) {
        return;
    }
    const auto at = static_cast<std::size_t>(first - itemOfPoint.begin());
    const bool step = activeSection.train == TrainStyle::DcIntervals;
    mark = step ? PulseLineMark::Step : PulseLineMark::Node;
    markFrom = pass[at];
    markTo = step ? pass[at + 1] : pass[at];
}
