#include "pulse/PulseTrainStyles.h"

#include "settings/TextFormat.h"

#include <array>

namespace {

constexpr std::array kStyles{
    TrainStyleNames{TrainStyle::DcIntervals, "dc", "DC Intervals", "DC Intervals", "Link",
                    "Time Interval", "Level (V)", "Time Interval", "Level"},
    TrainStyleNames{TrainStyle::TimeLevelPoints, "points", "Time/Level Points", "Points", "Node",
                    "Time", "Level (V)", " Time", "Level"},
    TrainStyleNames{TrainStyle::PulseSequence, "sequence", "Pulse Sequence", "Pulse Sequence",
                    "Tmpl", "Pulse Template", "", "Pulse Template", "Loops"},
};

} // namespace

std::span<const TrainStyleNames> PulseTrainStyles::All() {
    return kStyles;
}

const TrainStyleNames& PulseTrainStyles::Of(TrainStyle style) {
    for (const TrainStyleNames& names : kStyles) {
        if (names.style == style) {
            return names;
        }
    }
    return Of(kDefault);
}

std::optional<TrainStyle> PulseTrainStyles::Named(std::string_view word) {
    for (const TrainStyleNames& names : kStyles) {
        if (word == names.word) {
            return names.style;
        }
    }
    return std::nullopt;
}

TrainStyle PulseTrainStyles::FromStored(int number) {
    for (const TrainStyleNames& names : kStyles) {
        if (Stored(names.style) == number) {
            return names.style;
        }
    }
    return kDefault;
}

std::string PulseTrainStyles::Words(std::string_view separator, std::string_view lastSeparator) {
    return JoinWords(kStyles, &TrainStyleNames::word, separator, lastSeparator);
}
