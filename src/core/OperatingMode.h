#pragma once

#include <optional>
#include <string_view>

// The mode is chosen once at start from the command line and never changes.
enum class OperatingMode { Standard = 0, Fm = 1, Pulse = 2 };

inline const char* ModeTitle(OperatingMode mode) {
    switch (mode) {
    case OperatingMode::Fm:
        return "FM Wavesmith";
    case OperatingMode::Pulse:
        return "Pulsesmith";
    default:
        return "Wavesmith";
    }
}

// The mode's word on command lines and in scripts: "std", "fm" or "pulse".
inline const char* ModeWord(OperatingMode mode) {
    switch (mode) {
    case OperatingMode::Fm:
        return "fm";
    case OperatingMode::Pulse:
        return "pulse";
    default:
        return "std";
    }
}

// The mode search of the upper-cased command line: "PLS" wins over "FMS".
inline OperatingMode ModeOfCommandLine(std::string_view upperCommandLine) {
    if (upperCommandLine.find("PLS") != std::string_view::npos) {
        return OperatingMode::Pulse;
    }
    return upperCommandLine.find("FMS") != std::string_view::npos ? OperatingMode::Fm
                                                                  : OperatingMode::Standard;
}

// Only the FM editor has a variant for the wide-FM families (samples in Hz).
inline bool HasWideVariant(OperatingMode mode) {
    return mode == OperatingMode::Fm;
}

inline std::optional<OperatingMode> ModeOfWord(std::string_view word) {
    for (OperatingMode mode : {OperatingMode::Standard, OperatingMode::Fm, OperatingMode::Pulse}) {
        if (word == ModeWord(mode)) {
            return mode;
        }
    }
    return std::nullopt;
}
