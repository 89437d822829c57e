#include "pulse/PulseTimeUnits.h"

#include "settings/TextFormat.h"

#include <array>

namespace {

constexpr std::array kUnits{
    PulseTimeUnitName{PulseTimeUnit::Sec, "sec", 1.0},
    PulseTimeUnitName{PulseTimeUnit::Msec, "msec", 1e3},
    PulseTimeUnitName{PulseTimeUnit::Usec, "usec", 1e6},
};

const PulseTimeUnitName& Of(PulseTimeUnit unit) {
    for (const PulseTimeUnitName& each : kUnits) {
        if (each.unit == unit) {
            return each;
        }
    }
    return Of(PulseTimeUnits::kDefault);
}

} // namespace

std::span<const PulseTimeUnitName> PulseTimeUnits::All() {
    return kUnits;
}

const char* PulseTimeUnits::Name(PulseTimeUnit unit) {
    return Of(unit).name;
}

double PulseTimeUnits::Scale(PulseTimeUnit unit) {
    return Of(unit).scale;
}

std::optional<PulseTimeUnit> PulseTimeUnits::Named(std::string_view name) {
    for (const PulseTimeUnitName& each : kUnits) {
        if (name == each.name) {
            return each.unit;
        }
    }
    return std::nullopt;
}

PulseTimeUnit PulseTimeUnits::FromStored(int number) {
    for (const PulseTimeUnitName& each : kUnits) {
        if (Stored(each.unit) == number) {
            return each.unit;
        }
    }
    return kDefault;
}

std::string PulseTimeUnits::Names(std::string_view separator, std::string_view lastSeparator) {
    return JoinWords(kUnits, &PulseTimeUnitName::name, separator, lastSeparator);
}
