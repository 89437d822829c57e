#include "document/DecimalReader.h"

#include "settings/NumberFormat.h"

#include <cstdint>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Up to 15 digits with no fraction or exponent after them: the exact integer, which is
// what the general reader gives too, only faster. Most imported text is whole numbers.
const char* ReadPlainInteger(const char* first, const char* last, double& magnitude) {
    std::uint64_t accumulated = 0;
    const char* p = first;
    const char* limit = last - first > 15 ? first + 15 : last;
    while (p != limit && IsDigit(*p)) {
        accumulated = accumulated * 10 + static_cast<unsigned>(*p - '0');
        ++p;
    }
    if (p == first || (p != last && (IsDigit(*p) || *p == '.' || *p == 'e' || *p == 'E'))) {
        return nullptr;
    }
    magnitude = static_cast<double>(accumulated);
    return p;
}

} // namespace

const char* DecimalReader::Read(const char* first, const char* last, double& value) {
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '-' || *p == '+')) {
        ++p;
    }
    double magnitude = 0;
    if (const char* end = ReadPlainInteger(p, last, magnitude)) {
        value = negative ? -magnitude : magnitude;
        return end;
    }
    const std::size_t used =
        ParseLeadingDouble(first, static_cast<std::size_t>(last - first), value);
    return used == 0 ? nullptr : first + used;
}
