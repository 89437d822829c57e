#pragma once

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
