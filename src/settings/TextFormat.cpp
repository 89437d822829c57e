#include "settings/TextFormat.h"

#include "core/CharClass.h"
#include "settings/NumberFormat.h"

#include <cmath>
#include <cstddef>

namespace {

bool EndsWith(const std::string& text, const char* tail, std::size_t tailLength) {
    return text.size() >= tailLength &&
           text.compare(text.size() - tailLength, tailLength, tail) == 0;
}

bool SameLettersNoCase(const char* a, const char* b, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string FormatCompact(double x) {
    const double rounded = std::trunc(x + 0.5);
    std::string text;
    if (!(std::fabs(rounded - x) < 1e-9)) {
        text = CrtFormat("%.9f", x);
        TrimZeros(text);
    } else if (std::fabs(rounded) < 9e18) {
        text = std::to_string(static_cast<long long>(rounded));
    } else {
        text = CrtFormat("%.0f", rounded);
    }
    if (EndsWith(text, "000000", 6)) {
        text.replace(text.size() - 6, 6, "e6");
    } else if (EndsWith(text, "000", 3)) {
        text.replace(text.size() - 3, 3, "e3");
    }
    return text;
}

void TrimZeros(std::string& text) {
    if (text.find('.') == std::string::npos) {
        return;
    }
    const std::size_t last = text.find_last_not_of('0');
    text.erase(last + 1);
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
}

void StripExponentZeros(std::string& text) {
    const std::size_t plus = text.find("+00");
    if (plus != std::string::npos) {
        text.erase(plus, 3);
    }
    const std::size_t minus = text.find("-00");
    if (minus != std::string::npos) {
        text.erase(minus + 1, 2);
    }
}

std::string ShortenPath(const std::string& path) {
    const std::size_t first = path.find_first_of("\\/");
    if (first == std::string::npos) {
        return path;
    }
    const std::size_t last = path.find_last_of("\\/");
    return path.substr(0, first + 1) + "..." + path.substr(last);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SameLettersNoCase(a.data(), b.data(), a.size());
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           SameLettersNoCase(text.data(), prefix.data(), prefix.size());
}
