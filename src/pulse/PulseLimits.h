#pragma once

#include <cstdint>
#include <optional>
#include <utility>

struct AppServices;

// The instrument limits a pulse design is edited and rendered against, read from the
// family file (and, for the keys that depend on the clock and the waveform format, the
// context file) when the pulse editor is created. "Hrange", the Vpts key, the "SegmTbl"
// keys and "Sclk" are reported with the settings store's "Record not found" box when the
// family lacks them, and stay 0; the others are read quietly.
struct PulseLimits {
    int resFactor = 2;            // points of a time quantum are a multiple of it
    std::int64_t minSegLen = 0;   // points
    std::int64_t maxWaveLen = 0;  // points; also the memory budget of a sequence
    int vpts = 0;                 // highest sample code: +Vpp/2 maps to it
    std::int64_t maxLoopNo = 0;   // upper bound of Repeat
    std::int64_t maxLinkNo = 0;   // kept; nothing tests it
    std::int64_t maxSequStp = 0;  // kept; nothing tests it
    double minSequLoopTime = 0.0; // seconds; kept, nothing tests it
    std::int64_t sclkMax = 0;     // highest sample clock, samples per second
    double amplitudeLow = 0.0;    // lowest allowed Vpp ("ParmLst"/"Ampl"), volts
    double amplitudeHigh = 0.0;   // highest allowed Vpp
    bool hasAmplitudeRange = false;

    static PulseLimits Read(AppServices& services);
    // The family's amplitude range ("ParmLst"/"Ampl": a word, then the default, the lowest
    // and the highest Vpp), read quietly; nullopt when the family gives none.
    static std::optional<std::pair<double, double>> AmplitudeRange(AppServices& services);
};

// The name the rules give these limits.
using InstrumentLimits = PulseLimits;
