#include "pulse/PulseCellCheck.h"

#include "core/CharClass.h"
#include "core/StringTable.h"
#include "settings/NumberFormat.h"
#include "settings/TextFormat.h"

#include <cmath>

std::string PulseCellCheck::Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsCSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsCSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// One decimal number and nothing after it but blanks. A number beyond the range of a
// double ("1e400") is no number the design could hold; "nan", "inf" and hexadecimal
// are not read as numbers at all.
std::optional<double> PulseCellCheck::NumberOf(const std::string& text) {
    double value = 0.0;
    if (!ParseWholeDouble(text, value) || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

int PulseCellCheck::Refusal(int line, int column, const std::string& text) const {
    if (Trimmed(text).empty()) {
        return MsgEmptyInput;
    }
    const std::optional<double> number = NumberOf(text);
    if (!number) {
        return MsgNonNumeric;
    }
    const double value = *number;
    if (column == 2) {
        return value < levelLow || value > levelHigh ? MsgLevelOutOfRange : 0;
    }
    if (train == TrainStyle::DcIntervals) {
        return value > 0 ? 0 : MsgTimeNotPositive;
    }
    if (train != TrainStyle::TimeLevelPoints) {
        return 0;
    }
    // Compared as the table shows times: a typed 2 is the Start of 0.002 s in msec
    // although 0.002 x 1000 is not exactly 2 in binary.
    if (line == 0 && FormatCompact(value) != FormatCompact(shownStart)) {
        return MsgFirstNodeTime;
    }
    return TimeOrder(line, value);
}

int PulseCellCheck::TimeOrder(int line, double value) const {
    for (int above = line - 1; above >= 0; --above) {
        const auto& time = shownTimes[static_cast<std::size_t>(above)];
        if (!time) {
            continue;
        }
        if (value < *time) {
            return MsgInvalidTimeOrder;
        }
        if (value > *time && value - *time < shownSample) {
            return MsgImplementationRestriction;
        }
        break;
    }
    for (std::size_t below = static_cast<std::size_t>(line) + 1; below < shownTimes.size();
         ++below) {
        if (shownTimes[below]) {
            return value > *shownTimes[below] ? MsgInvalidTimeOrder : 0;
        }
    }
    return 0;
}
