#include "pulse/PulseSection.h"

#include "settings/NumberFormat.h"

#include <cmath>

std::optional<double> PulseItem::NumberOf(const std::string& text) {
    double value = 0.0;
    if (ParseLeadingDouble(text.data(), text.size(), value) == 0 || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}
