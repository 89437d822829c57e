#include "fm/FmMarkerLists.h"

#include "fm/FmMarkerCrossings.h"
#include "fm/FmMarkerTable.h"
#include "fm/FmSettings.h"
#include "settings/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kBarTextLimit = 79;
constexpr std::size_t kLevelTextLimit = 39;
constexpr double kCodeSpan = 1e9;

bool InWindow(double frequency, const FmSettings& fm) {
    return fm.Fmin() <= frequency && frequency <= fm.Fmax();
}

} // namespace

void FmMarkerLists::RebuildBar(ProfileStore& store, const FmSettings& fm) {
    barItems_.clear();
    const FmMarkerTable table(store, fm.FunctionMode());
    for (const std::string& text : table.ReadTexts(kBarTextLimit)) {
        if (InWindow(LeadingDouble(text), fm)) {
            barItems_.push_back(text);
        }
    }
    // Each marker goes on top of the list: the bar shows them in reverse file order.
    std::reverse(barItems_.begin(), barItems_.end());
    if (barItems_.empty()) {
        barItems_.push_back("0");
    }
}

std::vector<double> FmMarkerLists::FrequenciesInWindow(ProfileStore& store, const FmSettings& fm) {
    samples_.clear();
    insideCount_ = 0;
    std::vector<double> frequencies;
    const FmMarkerTable table(store, fm.FunctionMode());
    for (const std::string& text : table.ReadTexts(kLevelTextLimit)) {
        const double frequency = LeadingDouble(text);
        if (InWindow(frequency, fm)) {
            frequencies.push_back(frequency);
            ++insideCount_;
        }
    }
    if (frequencies.empty()) {
        samples_.push_back(0);
    }
    return frequencies;
}

std::int32_t FmMarkerLists::LevelCode(double frequency, double fmin, double fmax) {
    const double scale = kCodeSpan / (fmax - fmin);
    const double code = frequency * scale - scale * fmin;
    // A window of zero width has no scale; its one frequency lies at code 0.
    if (!std::isfinite(code)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::trunc(code));
}

void FmMarkerLists::RebuildSamples(ProfileStore& store, const FmSettings& fm,
                                   const std::int32_t* codes, std::size_t count) {
    const std::vector<double> frequencies = FrequenciesInWindow(store, fm);
    if (frequencies.empty()) {
        return;
    }
    std::vector<std::int32_t> levels;
    levels.reserve(frequencies.size());
    for (const double frequency : frequencies) {
        levels.push_back(LevelCode(frequency, fm.Fmin(), fm.Fmax()));
    }
    samples_ = FmMarkerCrossings::Find(codes, count, levels);
}

void FmMarkerLists::RebuildSamples(ProfileStore& store, const FmSettings& fm, const double* hz,
                                   std::size_t count) {
    const std::vector<double> frequencies = FrequenciesInWindow(store, fm);
    if (frequencies.empty()) {
        return;
    }
    samples_ = FmMarkerCrossings::Find(hz, count, frequencies);
}
