#include "pulse/PulseLimits.h"

#include "core/AppServices.h"
#include "settings/NumberFormat.h"
#include "settings/ProfileStore.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kNumberText = 80;

class FamilyReader {
public:
    explicit FamilyReader(AppServices& services) : store_(services.store) {}

    // The n-th number (0-based) after `skipWords` words, or nullopt; a missing key is
    // reported unless quiet.
    std::optional<double> Number(const char* section, const std::string& key, int skipWords,
                                 std::size_t n, bool quiet) {
        std::string text;
        if (!store_.ReadProfileText(section, key, text, kNumberText, store_.FamilyFile(), quiet)) {
            return std::nullopt;
        }
        const std::vector<double> numbers = NumbersAfterWords(text, skipWords);
        return n < numbers.size() ? std::optional<double>(numbers[n]) : std::nullopt;
    }

    // The key made of `base` and the text of a context-file setting ("Vpts" + "Wfmt").
    std::string KeyWithSetting(const std::string& base, const char* setting) {
        std::string text;
        return store_.ReadProfileText("Settings", setting, text, kNumberText, store_.ContextFile(),
                                      true)
                   ? base + text
                   : base;
    }

private:
    ProfileStore& store_;
};

// Truncated and kept within what the limits can hold; 0 when missing.
std::int64_t Whole(std::optional<double> value) {
    constexpr double kMost = 4.0e18;
    return value ? static_cast<std::int64_t>(std::clamp(std::trunc(*value), -kMost, kMost)) : 0;
}

} // namespace

PulseLimits PulseLimits::Read(AppServices& services) {
    FamilyReader family(services);
    PulseLimits limits;
    const std::optional<double> factor =
        family.Number("Axis", family.KeyWithSetting("resFactor", "Rsclk"), 0, 0, true);
    limits.resFactor = factor && *factor >= 1 ? static_cast<int>(*factor) : 2;
    limits.minSegLen = Whole(family.Number("Axis", "Hrange", 0, 1, false));
    limits.maxWaveLen = Whole(family.Number("Axis", "Hrange", 0, 2, true));
    limits.vpts = static_cast<int>(std::clamp<std::int64_t>(
        Whole(family.Number("Axis", family.KeyWithSetting("Vpts", "Wfmt"), 0, 1, false)), INT_MIN,
        INT_MAX));
    limits.maxLoopNo = Whole(family.Number("SegmTbl", "MaxLoopNo", 0, 0, false));
    limits.maxLinkNo = Whole(family.Number("SegmTbl", "MaxLinkNo", 0, 0, false));
    limits.maxSequStp = Whole(family.Number("SegmTbl", "MaxSequStp", 0, 0, false));
    limits.minSequLoopTime = family.Number("SegmTbl", "MinSequLoopTime", 0, 0, false).value_or(0.0);
    limits.sclkMax = Whole(family.Number("ParmLst", "Sclk", 1, 2, false));
    const std::optional<std::pair<double, double>> range = AmplitudeRange(services);
    limits.hasAmplitudeRange = range.has_value();
    limits.amplitudeLow = range ? range->first : 0.0;
    limits.amplitudeHigh = range ? range->second : 0.0;
    return limits;
}

std::optional<std::pair<double, double>> PulseLimits::AmplitudeRange(AppServices& services) {
    FamilyReader family(services);
    const std::optional<double> low = family.Number("ParmLst", "Ampl", 1, 1, true);
    const std::optional<double> high = family.Number("ParmLst", "Ampl", 1, 2, true);
    if (!low || !high) {
        return std::nullopt;
    }
    return std::make_pair(*low, *high);
}
