#pragma once

#include "settings/DecimalReader.h"

#include <bit>
#include <cstdint>
#include <optional>

// The six significant digits "%g" keeps of a number read from text, worked out from the
// digits of the text. Inline, because the two-column import asks it once for every value.
//
// The original library rounds the 17 digits it converts to, not the number's own text; but
// those 17 digits lie within 12 units of the 17th digit of any text that reads as the
// same double. The text's digits therefore round the same way unless they are that close
// to a tie at the 7th digit; only the double itself settles a text exactly at the tie.
class SixDigitText {
public:
    // Six digits and the decimal exponent of the first of them.
    struct Digits {
        std::uint64_t mantissa = 0;
        int exponent = 0;
    };

    // The text's digits cut to six, and whether the cut rounds up; `tie` when the digits
    // cut off are exactly a half, where the double decides `up`.
    struct Rounding {
        Digits six;
        int count = 0; // digits of the text
        bool up = false;
        bool tie = false;

        Digits Result() const {
            Digits rounded = six;
            if (up && ++rounded.mantissa == 1000000) {
                rounded.mantissa = 100000;
                ++rounded.exponent;
            }
            return rounded;
        }
    };

    // nullopt when the text's digits are not known, or so close to a tie that they do not
    // tell the rounding without being one.
    static std::optional<Rounding> Round(const DecimalText& text) {
        if (text.digits == 0) {
            return std::nullopt;
        }
        Rounding rounding;
        const int count = DigitCount(text.digits);
        rounding.count = count;
        rounding.six.exponent = count - 1 + text.exponent;
        if (count <= 6) {
            rounding.six.mantissa = text.digits * kPowersOfTen[6 - count];
            return rounding;
        }
        const std::uint64_t divisor = kPowersOfTen[count - 6];
        const std::uint64_t quotient = DivideByPowerOfTen(text.digits, count - 6);
        const std::uint64_t rest = text.digits - quotient * divisor;
        const std::uint64_t half = divisor / 2;
        const std::uint64_t distance = rest > half ? rest - half : half - rest;
        if (distance * kPowersOfTen[17 - count] < 100) { // in units of the 17th digit
            if (distance != 0) {
                return std::nullopt;
            }
            rounding.tie = true;
        }
        rounding.six.mantissa = quotient;
        rounding.up = rest >= half;
        return rounding;
    }

    // The six digits as a double: both factors are exact doubles when the power of ten is
    // within 10^22, so one multiplication or division rounds correctly, as any correct
    // reading of their text does; nullopt otherwise.
    static std::optional<double> Magnitude(const Digits& six) {
        const int power = six.exponent - 5;
        if (power < -22 || power > 22) {
            return std::nullopt;
        }
        const double mantissa = static_cast<double>(six.mantissa);
        return power < 0 ? mantissa / DecimalReader::kExactPowers[-power]
                         : mantissa * DecimalReader::kExactPowers[power];
    }

    // What the "%g" text of the number reads back as, from the text's digits alone, which
    // saves forming the double; false when the double is needed after all (a tie at the
    // 7th digit, no digits known): TextExport::GeneralValue gives it.
    static bool ValueOfText(const DecimalText& text, double& rounded) {
        if (text.digits != 0 && text.digits < 1000000) {
            rounded = DecimalReader::Value(text); // "%g" writes all six digits or fewer
            return true;
        }
        const std::optional<Rounding> rounding = Round(text);
        if (!rounding || rounding->tie) {
            return false;
        }
        const std::optional<double> magnitude = Magnitude(rounding->Result());
        if (!magnitude) {
            return false;
        }
        rounded = text.negative ? -*magnitude : *magnitude;
        return true;
    }

private:
    static constexpr std::uint64_t kPowersOfTen[18] = {1ull,
                                                       10ull,
                                                       100ull,
                                                       1000ull,
                                                       10000ull,
                                                       100000ull,
                                                       1000000ull,
                                                       10000000ull,
                                                       100000000ull,
                                                       1000000000ull,
                                                       10000000000ull,
                                                       100000000000ull,
                                                       1000000000000ull,
                                                       10000000000000ull,
                                                       100000000000000ull,
                                                       1000000000000000ull,
                                                       10000000000000000ull,
                                                       100000000000000000ull};

    // The decimal digits of a whole number from 1 on, at most 17 counted.
    static int DigitCount(std::uint64_t digits) {
        if (digits >= kPowersOfTen[17]) {
            return 17;
        }
        // log10 of 2 is about 1233 / 4096.
        const int guess = (static_cast<int>(std::bit_width(digits)) * 1233) >> 12;
        return guess + (digits >= kPowersOfTen[guess] ? 1 : 0);
    }

    // value / 10^power for a power from 1 to 11, by constants the compiler turns into
    // multiplications rather than a division instruction.
    static std::uint64_t DivideByPowerOfTen(std::uint64_t value, int power) {
        switch (power) {
        case 1:
            return value / 10ull;
        case 2:
            return value / 100ull;
        case 3:
            return value / 1000ull;
        case 4:
            return value / 10000ull;
        case 5:
            return value / 100000ull;
        case 6:
            return value / 1000000ull;
        case 7:
            return value / 10000000ull;
        case 8:
            return value / 100000000ull;
        case 9:
            return value / 1000000000ull;
        case 10:
            return value / 10000000000ull;
        default:
            return value / 100000000000ull;
        }
    }
};
