#include "workspace/ContextDefaults.h"

#include "core/CharClass.h"
#include "settings/NumberFormat.h"
#include "settings/TextFormat.h"

#include <algorithm>
#include <sstream>

namespace {

struct Range {
    double preferred;
    double lowest;
    double highest;
};

Range ReadRange(const IniFile& family, const char* section, const char* key, Range fallback) {
    const std::string line = family.Read(section, key).value_or("");
    return {ContextDefaults::ParameterField(line, 1, fallback.preferred),
            ContextDefaults::ParameterField(line, 2, fallback.lowest),
            ContextDefaults::ParameterField(line, 3, fallback.highest)};
}

// The preferred value when it lies strictly inside the range, else the middle.
double StrictlyInside(const Range& range) {
    if (range.preferred > range.lowest && range.preferred < range.highest) {
        return range.preferred;
    }
    return (range.lowest + range.highest) / 2;
}

// The lowest numbered variant of a family key ("Vpts0", "resFactor1", ...), so that the
// selector the context names exists in the family file.
std::string FirstVariant(const IniFile& family, const std::string& section,
                         const std::string& prefix) {
    std::string best;
    int bestNumber = 0;
    for (const auto& [key, value] : family.ReadSection(section)) {
        if (key.size() <= prefix.size() || !StartsWithNoCase(key, prefix)) {
            continue;
        }
        const std::string suffix = key.substr(prefix.size());
        const char* cursor = suffix.data();
        const char* end = cursor + suffix.size();
        int number = 0;
        // Digits only, and a number that fits: a key such as "Vpts99999999999" is no variant.
        if (!std::all_of(suffix.begin(), suffix.end(), IsDigit) ||
            !ReadLeadingInt(cursor, end, number)) {
            continue;
        }
        if (best.empty() || number < bestNumber) {
            best = suffix;
            bestNumber = number;
        }
    }
    return best.empty() ? "0" : best;
}

} // namespace

double ContextDefaults::ParameterField(const std::string& line, int index, double fallback) {
    std::istringstream stream(line);
    std::string word;
    for (int i = 0; i <= index; ++i) {
        if (!(stream >> word)) {
            return fallback;
        }
    }
    double value = 0;
    return ParseWholeDouble(word, value) ? value : fallback;
}

std::string ContextDefaults::FormatNumber(double value) {
    std::string text = CrtFormat("%g", value);
    StripExponentZeros(text);
    return text;
}

std::vector<ContextDefaults::Section>
ContextDefaults::ForFamily(const std::string& family, const std::string& familyFile, int channels) {
    const IniFile file(familyFile);
    const Range segments = ReadRange(file, "ParmLst", "ActiveSeg", {1, 1, 1});
    const Range clock = ReadRange(file, "ParmLst", "Sclk", {1e8, 1e6, 1e9});
    const Range carrier = ReadRange(file, "ParmLst", "FmCarFrq", {1e7, 1e3, 1e8});
    const Range amplitude = ReadRange(file, "ParmLst", "Ampl", {1, 0.01, 10});
    const Range fmLength = ReadRange(file, "FmSmith", "FmLen", {0, 10, 100000});

    const double sampleClock = std::clamp(clock.preferred, clock.lowest, clock.highest);
    const double carrierFrequency = StrictlyInside(carrier);
    const double standardBase = StrictlyInside({carrierFrequency, clock.lowest, clock.highest});
    // The FM base must lie strictly inside the clock range: the sample clock when it does
    // (WformMode 1), else the standard FM base. The FM editor of the exact family "G4270"
    // centres its window on the carrier instead.
    const bool clockIsBase = sampleClock > clock.lowest && sampleClock < clock.highest;
    const double fmBase =
        family == "G4270" ? carrierFrequency : (clockIsBase ? sampleClock : standardBase);
    const double deviation = fmBase * 0.1;
    const double fmPoints = std::clamp(1000.0, fmLength.lowest, fmLength.highest);

    std::string activeSegments;
    for (int channel = 0; channel < channels; ++channel) {
        if (channel > 0) {
            activeSegments += ' ';
        }
        activeSegments += FormatNumber(segments.lowest);
    }
    return {
        {"Instrument", {{"Family", family}, {"Channels", std::to_string(channels)}}},
        {"Settings",
         {{"ActiveCh", "0"},
          {"ActiveSeg", activeSegments},
          {"Rsclk", FirstVariant(file, "Axis", "resFactor")},
          {"Wfmt", FirstVariant(file, "Axis", "Vpts")},
          {"Sclk", FormatNumber(sampleClock)},
          {"WformMode", clockIsBase ? "1" : "0"},
          {"FmFuncMode", "0"},
          {"FmCarFrq", FormatNumber(carrierFrequency)},
          {"FmDev0", FormatNumber(deviation)},
          {"Ampl", FormatNumber(amplitude.preferred)}}},
        {"FmSmith",
         {{"FmLen", FormatNumber(fmPoints)},
          {"StdFmbase", FormatNumber(standardBase)},
          {"FMax", FormatNumber(fmBase + deviation)},
          {"FMin", FormatNumber(fmBase - deviation)}}},
    };
}
