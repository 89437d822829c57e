#include "settings/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

// The original C library converted at most 17 significant digits and wrote zeros for any
// digit beyond them ("%.20f" of 0.1 is "0.10000000000000001000"); exponents have at least
// three digits. Everything here goes through std::to_chars/from_chars, which ignore the
// process locale, so the decimal point is "." whatever the user's settings are.
// Infinities and NaNs are written "inf" and "nan".

namespace {

constexpr int kLibraryDigits = 17;

struct ConversionSpec {
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool zeroPad = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void AppendExponent(std::string& out, int exponent) {
    out += 'e';
    out += exponent < 0 ? '-' : '+';
    const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < 3) {
        out.append(3 - digits.size(), '0');
    }
    out += digits;
}

// Appends to_chars output, widening a two-digit exponent ("e+06") to three ("e+006").
void AppendWidened(std::string& out, const char* begin, const char* end) {
    const char* e = static_cast<const char*>(std::memchr(begin, 'e', end - begin));
    if (e == nullptr || end - (e + 2) >= 3) {
        out.append(begin, end);
        return;
    }
    out.append(begin, e + 2);
    out += '0';
    out.append(e + 2, end);
}

// The 17 significant digits of a non-negative finite value and the decimal exponent of
// the first one.
struct LibraryDigits {
    char digits[kLibraryDigits];
    int exponent = 0;
};

LibraryDigits SignificantDigits(double magnitude) {
    char buffer[40];
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::scientific, kLibraryDigits - 1)
                          .ptr;
    LibraryDigits result;
    result.digits[0] = buffer[0];
    std::memcpy(result.digits + 1, buffer + 2, kLibraryDigits - 1);
    const char* exponentSign = buffer + kLibraryDigits + 2;
    int exponent = 0;
    std::from_chars(exponentSign + 1, end, exponent);
    result.exponent = *exponentSign == '-' ? -exponent : exponent;
    return result;
}

char DigitAt(const LibraryDigits& digits, int index) {
    return index >= 0 && index < kLibraryDigits ? digits.digits[index] : '0';
}

void AppendFixed(std::string& out, double magnitude, int precision) {
    const LibraryDigits digits = SignificantDigits(magnitude);
    if (digits.exponent + 1 + precision <= kLibraryDigits) {
        // At most 17 digits before the point here, but tiny values may ask for many after it.
        const std::size_t start = out.size();
        out.resize(start + kLibraryDigits + 2 + static_cast<std::size_t>(precision));
        const auto result = std::to_chars(out.data() + start, out.data() + out.size(), magnitude,
                                          std::chars_format::fixed, precision);
        out.resize(static_cast<std::size_t>(result.ptr - out.data()));
        return;
    }
    if (digits.exponent < 0) {
        out += '0';
    }
    for (int index = 0; index <= digits.exponent; ++index) {
        out += DigitAt(digits, index);
    }
    if (precision > 0) {
        out += '.';
        for (int place = 1; place <= precision; ++place) {
            out += DigitAt(digits, digits.exponent + place);
        }
    }
}

void AppendScientific(std::string& out, double magnitude, int precision) {
    if (precision < kLibraryDigits) {
        char buffer[40];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                          std::chars_format::scientific, precision);
        AppendWidened(out, buffer, result.ptr);
        return;
    }
    const LibraryDigits digits = SignificantDigits(magnitude);
    out += digits.digits[0];
    out += '.';
    for (int index = 1; index <= precision; ++index) {
        out += DigitAt(digits, index);
    }
    AppendExponent(out, digits.exponent);
}

int ScientificExponent(double magnitude, int precision) {
    if (precision >= kLibraryDigits) {
        return SignificantDigits(magnitude).exponent;
    }
    std::string text;
    AppendScientific(text, magnitude, precision);
    const std::size_t e = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + e + 2, text.data() + text.size(), exponent);
    return text[e + 1] == '-' ? -exponent : exponent;
}

void StripFractionZeros(std::string& text, std::size_t from) {
    const std::size_t point = text.find('.', from);
    if (point == std::string::npos) {
        return;
    }
    std::size_t end = text.find('e', point);
    if (end == std::string::npos) {
        end = text.size();
    }
    std::size_t keep = end;
    while (keep > point + 1 && text[keep - 1] == '0') {
        --keep;
    }
    if (keep == point + 1) {
        keep = point;
    }
    text.erase(keep, end - keep);
}

// "%g" by the C rule: style e when the exponent X is below -4 or not below the precision P,
// else style f with P - 1 - X decimals; trailing zeros go unless "#" keeps them.
void AppendGeneral(std::string& out, double magnitude, int precision, bool alternate) {
    if (precision == 0) {
        precision = 1;
    }
    if (!alternate && precision <= kLibraryDigits) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                          std::chars_format::general, precision);
        AppendWidened(out, buffer, result.ptr);
        return;
    }
    const std::size_t start = out.size();
    const int exponent = ScientificExponent(magnitude, precision - 1);
    if (precision > exponent && exponent >= -4) {
        AppendFixed(out, magnitude, precision - 1 - exponent);
    } else {
        AppendScientific(out, magnitude, precision - 1);
    }
    if (!alternate) {
        StripFractionZeros(out, start);
    }
}

std::string ConvertMagnitude(const ConversionSpec& spec, double magnitude) {
    std::string body;
    if (std::isnan(magnitude)) {
        body = "nan";
    } else if (std::isinf(magnitude)) {
        body = "inf";
    } else {
        const int precision = spec.precision < 0 ? 6 : spec.precision;
        const char style = static_cast<char>(spec.conversion | 0x20);
        if (style == 'f') {
            AppendFixed(body, magnitude, precision);
        } else if (style == 'e') {
            AppendScientific(body, magnitude, precision);
        } else {
            AppendGeneral(body, magnitude, precision, spec.alternate);
        }
        if (spec.alternate && body.find('.') == std::string::npos) {
            const std::size_t e = body.find('e');
            body.insert(e == std::string::npos ? body.size() : e, 1, '.');
        }
    }
    if (spec.conversion >= 'A' && spec.conversion <= 'Z') {
        for (char& c : body) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
    }
    return body;
}

void AppendConversion(std::string& out, const ConversionSpec& spec, double value) {
    const std::string body = ConvertMagnitude(spec, std::fabs(value));
    std::string sign;
    if (std::signbit(value)) {
        sign = "-";
    } else if (spec.plusSign) {
        sign = "+";
    } else if (spec.spaceSign) {
        sign = " ";
    }
    const std::size_t length = sign.size() + body.size();
    const std::size_t padding =
        spec.width > 0 && static_cast<std::size_t>(spec.width) > length ? spec.width - length : 0;
    if (spec.leftAlign) {
        out += sign;
        out += body;
        out.append(padding, ' ');
    } else if (spec.zeroPad && std::isfinite(value)) {
        out += sign;
        out.append(padding, '0');
        out += body;
    } else {
        out.append(padding, ' ');
        out += sign;
        out += body;
    }
}

int ReadCount(const char*& p) {
    int count = 0;
    while (IsDigit(*p)) {
        if (count < 100000) {
            count = count * 10 + (*p - '0');
        }
        ++p;
    }
    return count;
}

// Reads the conversion after a "%"; p is left after it. False when it is not one
// conversion of a double.
bool ReadSpec(const char*& p, ConversionSpec& spec) {
    for (;; ++p) {
        if (*p == '-') {
            spec.leftAlign = true;
        } else if (*p == '+') {
            spec.plusSign = true;
        } else if (*p == ' ') {
            spec.spaceSign = true;
        } else if (*p == '0') {
            spec.zeroPad = true;
        } else if (*p == '#') {
            spec.alternate = true;
        } else {
            break;
        }
    }
    spec.width = ReadCount(p);
    if (*p == '.') {
        ++p;
        spec.precision = ReadCount(p);
    }
    while (*p == 'l' || *p == 'L' || *p == 'h') {
        ++p;
    }
    if (*p == '\0' || std::strchr("eEfFgG", *p) == nullptr) {
        return false;
    }
    spec.conversion = *p++;
    return true;
}

// The sign of an out-of-range decimal number: true when it overflows, false when it
// underflows. The text is the digits, point and exponent that from_chars matched.
bool Overflows(const char* begin, const char* end) {
    long long leadingPower = 0;
    bool seenPoint = false;
    bool seenNonZero = false;
    const char* p = begin;
    for (; p < end && (IsDigit(*p) || *p == '.'); ++p) {
        if (*p == '.') {
            seenPoint = true;
        } else if (!seenNonZero && *p == '0') {
            if (seenPoint) {
                --leadingPower;
            }
        } else {
            seenNonZero = true;
            if (!seenPoint) {
                ++leadingPower;
            }
        }
    }
    long long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+')) {
            ++p;
        }
        for (; p < end && IsDigit(*p); ++p) {
            if (exponent < 1000000000LL) {
                exponent = exponent * 10 + (*p - '0');
            }
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    return leadingPower + exponent > 0;
}

} // namespace

std::string CrtFormat(const char* format, double value) {
    std::string out;
    bool converted = false;
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        const char* start = p++;
        ConversionSpec spec;
        if (converted || !ReadSpec(p, spec)) {
            out.append(start, p);
            continue;
        }
        AppendConversion(out, spec, value);
        converted = true;
    }
    return out;
}

void AppendCrtGeneral(std::string& out, double value, int precision) {
    if (precision < 0) {
        precision = 6;
    }
    if (precision <= kLibraryDigits) {
        char buffer[64];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                          precision == 0 ? 1 : precision);
        AppendWidened(out, buffer, result.ptr);
        return;
    }
    ConversionSpec spec;
    spec.conversion = 'g';
    spec.precision = precision;
    AppendConversion(out, spec, value);
}

std::size_t ParseLeadingDouble(const char* text, std::size_t length, double& value) {
    value = 0.0;
    std::size_t i = 0;
    while (i < length && IsCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only decimal numbers: the original library read neither "inf", "nan" nor hex.
    const bool startsNumber =
        i < length &&
        (IsDigit(text[i]) || (text[i] == '.' && i + 1 < length && IsDigit(text[i + 1])));
    if (!startsNumber) {
        return 0;
    }
    double magnitude = 0.0;
    const auto result =
        std::from_chars(text + i, text + length, magnitude, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        return 0;
    }
    if (result.ec == std::errc::result_out_of_range) {
        magnitude = Overflows(text + i, result.ptr) ? HUGE_VAL : 0.0;
    }
    value = negative ? -magnitude : magnitude;
    return static_cast<std::size_t>(result.ptr - text);
}

bool ParseWholeDouble(const std::string& text, double& value) {
    const std::size_t used = ParseLeadingDouble(text.data(), text.size(), value);
    if (used == 0) {
        return false;
    }
    for (std::size_t i = used; i < text.size(); ++i) {
        if (!IsCSpace(text[i])) {
            return false;
        }
    }
    return true;
}
