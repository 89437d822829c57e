#pragma once

#include "core/CharClass.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

// A number as its text wrote it: digits x 10^exponent, the digits without leading zeros.
// Known only for numbers of up to 15 digits with an exponent within 22 of them; `digits`
// is 0 otherwise (and for zero).
struct DecimalText {
    std::uint64_t digits = 0;
    int exponent = 0;
    bool negative = false;
};

// Reads decimal numbers out of imported text as the C library's strtod does in the "C"
// locale (ParseLeadingDouble), without the hexadecimal forms and the words "inf" and
// "nan", which are not numbers in an imported waveform.
//
// Numbers of up to 15 digits with a decimal exponent within 22 of their digits (nearly
// all that is imported) are converted here: their digits and the power of ten are both
// exact doubles, so one multiplication or division rounds the result correctly, which is
// the result strtod gives. Everything else goes to the general reader.
class DecimalReader {
public:
    // Reads the number at first, which must not be white space. Returns the end of the
    // number, or nullptr when the text there does not start a number. `text`, when given,
    // receives the digits and exponent of a number converted here. Without `valueWanted`
    // a number whose digits `text` receives reads as 0, which saves its multiplication or
    // division (Value(text) gives it when it is wanted after all); any other number is read.
    static const char* Read(const char* first, const char* last, double& value,
                            DecimalText* text = nullptr, bool valueWanted = true) {
        if (first == last) {
            return nullptr;
        }
        // Without a branch: the signs of imported values follow no pattern to predict.
        const bool negative = *first == '-';
        const char* p = first + static_cast<int>(negative || *first == '+');
        Digits digits;
        const char* start = p;
        if (last - p >= 2 && IsDigit(p[0]) && !IsDigit(p[1])) {
            // One digit before the point, as in every number of exponent form: the eight
            // at a time would be wasted on it.
            digits.value = static_cast<unsigned>(p[0] - '0');
            digits.significant = digits.value != 0 ? 1 : 0;
            ++p;
        } else {
            p = TakeDigits(p, last, digits);
        }
        bool any = p != start;
        if (p != last && *p == '.') {
            const char* fraction = p + 1;
            const char* end = TakeDigits(fraction, last, digits);
            digits.exponent -= static_cast<int>(end - fraction);
            any = any || end != fraction;
            p = any ? end : p;
        }
        if (!any || digits.significant > 15) {
            return ReadGeneral(first, last, value, text);
        }
        p = ReadExponent(p, last, digits.exponent);
        if (digits.exponent < -22 || digits.exponent > 22) {
            return ReadGeneral(first, last, value, text);
        }
        const DecimalText read{digits.value, digits.exponent, negative};
        if (text != nullptr) {
            *text = read;
        }
        // At most 15 digits times 10^22: always finite.
        value = valueWanted || text == nullptr || read.digits == 0 ? Value(read) : 0.0;
        return p;
    }

    // The double of a number whose digits Read gave (or of zero, with its sign).
    static double Value(const DecimalText& text) {
        const double mantissa = static_cast<double>(static_cast<std::int64_t>(text.digits));
        const double power = kExactPowers[text.exponent < 0 ? -text.exponent : text.exponent];
        const double magnitude = text.exponent < 0 ? mantissa / power : mantissa * power;
        return std::copysign(magnitude, text.negative ? -1.0 : 1.0);
    }

    // The end of the number at first, as Read gives it, and whether the number is finite;
    // cheaper than Read where only that matters: the digits are skipped, not added up.
    static const char* Skip(const char* first, const char* last, bool& finite) {
        const char* p = first;
        if (p != last && (*p == '-' || *p == '+')) {
            ++p;
        }
        const char* integer = p;
        p = SkipDigits(p, last);
        const auto integerDigits = p - integer;
        bool any = integerDigits != 0;
        if (p != last && *p == '.') {
            const char* end = SkipDigits(p + 1, last);
            any = any || end != p + 1;
            p = any ? end : p;
        }
        int exponent = 0;
        if (any) {
            p = ReadExponent(p, last, exponent);
        }
        // Below 10^(integer digits + exponent), so surely finite within 10^300.
        if (!any || integerDigits > 300 || integerDigits + exponent > 300) {
            return SkipGeneral(first, last, finite);
        }
        finite = true;
        return p;
    }

    // The powers of ten that are exact doubles: a whole number below 2^53 times or divided
    // by one of them is rounded once, correctly.
    static constexpr double kExactPowers[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

private:
    struct Digits {
        std::uint64_t value = 0;
        int significant = 0; // digits taken since the first non-zero one
        int exponent = 0;
    };

    static constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;

    // Takes digits while they come, eight at a time where the text allows; beyond 19
    // significant ones the value is no longer kept (the count tells the number is too
    // long for the fast road).
    static const char* TakeDigits(const char* p, const char* last, Digits& digits) {
        if constexpr (std::endian::native == std::endian::little) {
            while (last - p >= 8) {
                const int count = LeadingEightDigits(p, digits);
                p += count;
                if (count < 8) {
                    return p;
                }
            }
        }
        for (; p != last && IsDigit(*p); ++p) {
            const unsigned digit = static_cast<unsigned>(*p - '0');
            if (digits.significant > 0 || digit != 0) {
                ++digits.significant;
                if (digits.significant <= 19) {
                    digits.value = digits.value * 10 + digit;
                }
            }
        }
        return p;
    }

    static const char* SkipDigits(const char* p, const char* last) {
        if constexpr (std::endian::native == std::endian::little) {
            while (last - p >= 8) {
                std::uint64_t chunk = 0;
                std::memcpy(&chunk, p, 8);
                const std::uint64_t nonDigit = NonDigitBytes(chunk);
                if (nonDigit != 0) {
                    return p + std::countr_zero(nonDigit) / 8;
                }
                p += 8;
            }
        }
        while (p != last && IsDigit(*p)) {
            ++p;
        }
        return p;
    }

    // The high bit of each byte of a little-endian chunk that is no digit, and maybe of
    // bytes after it. A byte is a digit when its high nibble is 3 and adding 6 keeps it
    // so; a carry out of a byte only disturbs the bytes after a non-digit.
    static std::uint64_t NonDigitBytes(std::uint64_t chunk) {
        constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull;
        const std::uint64_t misfit =
            ((chunk & kHigh) ^ 0x3030303030303030ull) |
            (((chunk + 0x0606060606060606ull) & kHigh) ^ 0x3030303030303030ull);
        return (((misfit & kLow7) + kLow7) | misfit) & ~kLow7;
    }

    // An exponent is taken only when a digit follows "e", "e+" or "e-", as strtod does.
    static const char* ReadExponent(const char* p, const char* last, int& exponent) {
        if (p == last || (*p != 'e' && *p != 'E')) {
            return p;
        }
        const char* q = p + 1;
        const bool negative = q != last && *q == '-';
        if (q != last && (*q == '-' || *q == '+')) {
            ++q;
        }
        if (q == last || !IsDigit(*q)) {
            return p;
        }
        int value = 0;
        for (; q != last && IsDigit(*q); ++q) {
            value = value < 100000 ? value * 10 + (*q - '0') : value;
        }
        exponent += negative ? -value : value;
        return q;
    }

    // Takes the digits that begin the eight characters at p (a little-endian load),
    // without a branch per digit; returns how many there were.
    static int LeadingEightDigits(const char* p, Digits& digits) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, p, 8);
        const std::uint64_t nonDigit = NonDigitBytes(chunk);
        const int count = nonDigit == 0 ? 8 : std::countr_zero(nonDigit) / 8;
        if (count == 0) {
            return 0;
        }
        // The digits moved to the top, zeros (leading zero digits) below them.
        std::uint64_t v = (chunk - 0x3030303030303030ull) << (8 * (8 - count));
        v = (v * 10) + (v >> 8);
        v = (((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
             (((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
            32;
        const std::uint32_t value = static_cast<std::uint32_t>(v);
        if (digits.significant > 0) {
            digits.significant += count;
            if (digits.significant <= 19) {
                digits.value = digits.value * kScale[count] + value;
            }
            return count;
        }
        // Leading "0" characters are not significant digits.
        const std::uint64_t zeros = chunk ^ 0x3030303030303030ull;
        const std::uint64_t nonZero = (((zeros & kLow7) + kLow7) | zeros) & ~kLow7;
        const int leadingZeros = nonZero == 0 ? 8 : std::countr_zero(nonZero) / 8;
        digits.significant = count - (leadingZeros < count ? leadingZeros : count);
        digits.value = value;
        return count;
    }

    static constexpr std::uint64_t kScale[9] = {1,      10,      100,      1000,     10000,
                                                100000, 1000000, 10000000, 100000000};

    static const char* ReadGeneral(const char* first, const char* last, double& value,
                                   DecimalText* text);
    static const char* SkipGeneral(const char* first, const char* last, bool& finite);
};
