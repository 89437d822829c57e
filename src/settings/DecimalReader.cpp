#include "settings/DecimalReader.h"

#include "settings/NumberFormat.h"

const char* DecimalReader::ReadGeneral(const char* first, const char* last, double& value,
                                       DecimalText* text) {
    if (text != nullptr) {
        *text = DecimalText{};
    }
    const std::size_t used =
        ParseLeadingDouble(first, static_cast<std::size_t>(last - first), value);
    return used == 0 ? nullptr : first + used;
}

// Kept apart from Skip, which is then small enough to be built into its callers' loops.
const char* DecimalReader::SkipGeneral(const char* first, const char* last, bool& finite) {
    double value = 0;
    const char* end = Read(first, last, value);
    finite = std::isfinite(value);
    return end;
}
