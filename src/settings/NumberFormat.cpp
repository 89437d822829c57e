#include "settings/NumberFormat.h"

#include "core/CharClass.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

// Number text as the original platform's C library wrote it. That library converted a
// double to 17 significant decimal digits, then rounded this digit string to what the
// conversion shows, a 5 rounding up: "%.0f" of 2.5 is "3", "%.2f" of 0.125 is "0.13", and
// digits past the 17th are zeros ("%.20f" of 0.1 is "0.10000000000000001000").
// Exponents have at least three digits. The 17 digits come from std::to_chars, which
// ignores the process locale, so the decimal point is "." whatever the user's settings.
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

void AppendExponent(std::string& out, int exponent) {
    out += 'e';
    out += exponent < 0 ? '-' : '+';
    const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < 3) {
        out.append(3 - digits.size(), '0');
    }
    out += digits;
}

// The value is 0.d1d2d3... times 10 to the power `point`.
struct DecimalDigits {
    std::string digits;
    int point = 0;
};

// The library's 17 significant digits of a finite non-negative value, before rounding to
// the conversion; zero is "0000..." with its point after the first digit.
DecimalDigits LibraryDigits(double magnitude) {
    char buffer[40];
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::scientific, kLibraryDigits - 1)
                          .ptr;
    DecimalDigits result;
    result.digits.reserve(kLibraryDigits + 1);
    result.digits += buffer[0];
    result.digits.append(buffer + 2, kLibraryDigits - 1);
    const char* exponentSign = buffer + kLibraryDigits + 2;
    int exponent = 0;
    std::from_chars(exponentSign + 1, end, exponent);
    result.point = (*exponentSign == '-' ? -exponent : exponent) + 1;
    return result;
}

// The first `count` digits, zeros past the 17th, rounded up when the next digit is 5 or
// more; a carry out of the first digit adds a leading "1" and moves the point. A negative
// count shows no digit and rounds nothing.
DecimalDigits RoundTo(const DecimalDigits& exact, int count) {
    DecimalDigits rounded;
    rounded.point = exact.point;
    if (count < 0) {
        return rounded;
    }
    const std::size_t shown = static_cast<std::size_t>(count);
    rounded.digits = exact.digits.substr(0, shown);
    rounded.digits.resize(shown, '0');
    if (shown < exact.digits.size() && exact.digits[shown] >= '5') {
        std::size_t i = shown;
        while (i > 0 && rounded.digits[i - 1] == '9') {
            rounded.digits[--i] = '0';
        }
        if (i > 0) {
            ++rounded.digits[i - 1];
        } else {
            rounded.digits.insert(rounded.digits.begin(), '1');
            ++rounded.point;
        }
    }
    return rounded;
}

// The digit for 10 to the power `power`.
char DigitAt(const DecimalDigits& number, int power) {
    const int index = number.point - 1 - power;
    return index >= 0 && index < static_cast<int>(number.digits.size()) ? number.digits[index]
                                                                        : '0';
}

void LayOutFixed(std::string& out, const DecimalDigits& number, int precision, bool point) {
    if (number.point <= 0) {
        out += '0';
    }
    for (int power = number.point - 1; power >= 0; --power) {
        out += DigitAt(number, power);
    }
    if (precision > 0 || point) {
        out += '.';
    }
    for (int place = 1; place <= precision; ++place) {
        out += DigitAt(number, -place);
    }
}

void LayOutScientific(std::string& out, const DecimalDigits& number, int precision, bool point) {
    out += number.digits[0];
    if (precision > 0 || point) {
        out += '.';
    }
    out.append(number.digits, 1, static_cast<std::size_t>(precision));
    AppendExponent(out, number.point - 1);
}

DecimalDigits RoundToSignificant(const DecimalDigits& exact, int count) {
    DecimalDigits rounded = RoundTo(exact, count);
    rounded.digits.resize(static_cast<std::size_t>(count)); // a carry leaves "100...0"
    return rounded;
}

void AppendFixed(std::string& out, double magnitude, int precision, bool point) {
    const DecimalDigits exact = LibraryDigits(magnitude);
    LayOutFixed(out, RoundTo(exact, exact.point + precision), precision, point);
}

void AppendScientific(std::string& out, double magnitude, int precision, bool point) {
    LayOutScientific(out, RoundToSignificant(LibraryDigits(magnitude), precision + 1), precision,
                     point);
}

// Removes the zeros at the end of the fraction, and the point when nothing is left after it.
void CropZeros(std::string& text, std::size_t from) {
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

// "%g": style e when the exponent X of the value rounded to P digits is below -4 or not
// below P, else style f with P - 1 - X decimals; trailing zeros go unless "#" keeps them.
void AppendGeneral(std::string& out, double magnitude, int precision, bool alternate) {
    const int significant = precision == 0 ? 1 : precision;
    const DecimalDigits rounded = RoundToSignificant(LibraryDigits(magnitude), significant);
    const int exponent = rounded.point - 1;
    const std::size_t start = out.size();
    if (exponent < -4 || exponent >= significant) {
        LayOutScientific(out, rounded, significant - 1, alternate);
    } else {
        LayOutFixed(out, rounded, significant - 1 - exponent, alternate);
    }
    if (!alternate) {
        CropZeros(out, start);
    }
}

void AppendMagnitude(std::string& out, const ConversionSpec& spec, double magnitude) {
    const std::size_t start = out.size();
    if (std::isnan(magnitude)) {
        out += "nan";
    } else if (std::isinf(magnitude)) {
        out += "inf";
    } else {
        const int precision = spec.precision < 0 ? 6 : spec.precision;
        const char style = static_cast<char>(spec.conversion | 0x20);
        if (style == 'f') {
            AppendFixed(out, magnitude, precision, spec.alternate);
        } else if (style == 'e') {
            AppendScientific(out, magnitude, precision, spec.alternate);
        } else {
            AppendGeneral(out, magnitude, precision, spec.alternate);
        }
    }
    if (spec.conversion >= 'A' && spec.conversion <= 'Z') {
        for (std::size_t i = start; i < out.size(); ++i) {
            if (out[i] >= 'a' && out[i] <= 'z') {
                out[i] = static_cast<char>(out[i] - 'a' + 'A');
            }
        }
    }
}

void AppendConversion(std::string& out, const ConversionSpec& spec, double value) {
    std::string body;
    AppendMagnitude(body, spec, std::fabs(value));
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
    if (std::signbit(value)) {
        out += '-';
    }
    const double magnitude = std::fabs(value);
    if (!std::isfinite(magnitude)) {
        out += std::isnan(magnitude) ? "nan" : "inf";
        return;
    }
    AppendGeneral(out, magnitude, precision < 0 ? 6 : precision, false);
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

double LeadingDouble(const std::string& text) {
    double value = 0.0;
    ParseLeadingDouble(text.data(), text.size(), value);
    return value;
}

bool ReadLeadingInt(const char*& cursor, const char* end, int& value) {
    const char* p = cursor;
    while (p != end && IsCSpace(*p)) {
        ++p;
    }
    // from_chars takes a "-" itself but no "+".
    if (p != end && *p == '+' && end - p > 1 && IsDigit(p[1])) {
        ++p;
    }
    int read = 0;
    const auto result = std::from_chars(p, end, read);
    if (result.ec != std::errc()) {
        return false;
    }
    value = read;
    cursor = result.ptr;
    return true;
}

int LeadingInt(std::string_view text) {
    const char* cursor = text.data();
    int value = 0;
    return ReadLeadingInt(cursor, cursor + text.size(), value) ? value : 0;
}

std::vector<double> NumbersAfterWords(const std::string& text, int skipWords) {
    // What a C++ stream's `>> word` skips in the classic locale.
    constexpr const char* kBlanks = " \t\n\v\f\r";
    std::vector<double> numbers;
    std::size_t position = 0;
    for (int index = 0;; ++index) {
        const std::size_t first = text.find_first_not_of(kBlanks, position);
        if (first == std::string::npos) {
            return numbers;
        }
        const std::size_t end = std::min(text.find_first_of(kBlanks, first), text.size());
        double value = 0.0;
        if (index >= skipWords && ParseWholeDouble(text.substr(first, end - first), value) &&
            std::isfinite(value)) {
            numbers.push_back(value);
        }
        position = end;
    }
}
