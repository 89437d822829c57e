#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The unit a section's times are shown and typed in. The stored "tmUnitInd" value is the
// enumerator's number.
enum class PulseTimeUnit { Sec = 0, Msec = 1, Usec = 2 };

struct PulseTimeUnitName {
    PulseTimeUnit unit;
    const char* name; // on screen, on the command line and in scripts ("msec")
    double scale;     // stored seconds times the scale are the shown times
};

class PulseTimeUnits {
public:
    // A missing or unusable stored "tmUnitInd" reads as this unit.
    static constexpr PulseTimeUnit kDefault = PulseTimeUnit::Msec;

    // In the order of their stored numbers (the editor's list shows them so).
    static std::span<const PulseTimeUnitName> All();
    static const char* Name(PulseTimeUnit unit);
    static double Scale(PulseTimeUnit unit);
    static std::optional<PulseTimeUnit> Named(std::string_view name);
    // The stored number of a unit, and back (kDefault for a number that is none).
    static int Stored(PulseTimeUnit unit) { return static_cast<int>(unit); }
    static PulseTimeUnit FromStored(int number);
    // The names joined as PulseTrainStyles::Words joins its words.
    static std::string Names(std::string_view separator, std::string_view lastSeparator);
};
