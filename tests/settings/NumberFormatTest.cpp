#include "settings/NumberFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <random>

namespace {

double Parse(const char* text, std::size_t* used = nullptr) {
    double value = -99.0;
    const std::size_t count = ParseLeadingDouble(text, std::strlen(text), value);
    if (used != nullptr) {
        *used = count;
    }
    return value;
}

std::size_t Used(const char* text) {
    std::size_t used = 0;
    Parse(text, &used);
    return used;
}

} // namespace

TEST(CrtFormat, ExponentsHaveThreeDigits) {
    EXPECT_EQ(CrtFormat("%g", 1e6), "1e+006");
    EXPECT_EQ(CrtFormat("%g", 2e-6), "2e-006");
    EXPECT_EQ(CrtFormat("%g", 1e100), "1e+100");
    EXPECT_EQ(CrtFormat("%g", -1.5e-300), "-1.5e-300");
    EXPECT_EQ(CrtFormat("%e", 1.5), "1.500000e+000");
    EXPECT_EQ(CrtFormat("%.2E", 12345.0), "1.23E+004");
    EXPECT_EQ(CrtFormat("%G", 1e-10), "1E-010");
}

TEST(CrtFormat, GeneralStyleSwitchesAtTheLibrarysLimits) {
    EXPECT_EQ(CrtFormat("%g", 0.0001), "0.0001");
    EXPECT_EQ(CrtFormat("%g", 0.00001), "1e-005");
    EXPECT_EQ(CrtFormat("%g", 123456.0), "123456");
    EXPECT_EQ(CrtFormat("%g", 1234567.0), "1.23457e+006");
    EXPECT_EQ(CrtFormat("%g", 999999.5), "1e+006") << "rounding moves the exponent";
    EXPECT_EQ(CrtFormat("%g", 0.0), "0");
    EXPECT_EQ(CrtFormat("%g", -0.0), "-0");
    EXPECT_EQ(CrtFormat("%.3g", 1000.0), "1e+003");
    EXPECT_EQ(CrtFormat("%.0g", 7.0), "7");
    EXPECT_EQ(CrtFormat("%#.3g", 1.0), "1.00");
}

TEST(CrtFormat, TiesRoundUpAndDigitsPastTheSeventeenthAreZero) {
    EXPECT_EQ(CrtFormat("%.0f", 2.5), "3");
    EXPECT_EQ(CrtFormat("%.2f", 0.125), "0.13");
    EXPECT_EQ(CrtFormat("%g", 1234565.0), "1.23457e+006");
    EXPECT_EQ(CrtFormat("%.2f", 0.006), "0.01");
    EXPECT_EQ(CrtFormat("%.2f", 0.0006), "0.00");
    EXPECT_EQ(CrtFormat("%.17g", 0.1), "0.10000000000000001");
    EXPECT_EQ(CrtFormat("%.20f", 0.1), "0.10000000000000001000");
    EXPECT_EQ(CrtFormat("%.9f", 1e10 / 3), "3333333333.333333500");
    EXPECT_EQ(CrtFormat("%f", 1e20), "100000000000000000000.000000");
}

TEST(CrtFormat, FlagsWidthAndSurroundingText) {
    EXPECT_EQ(CrtFormat("%10.3f", 3.14159), "     3.142");
    EXPECT_EQ(CrtFormat("%-8.2f|", 3.14159), "3.14    |");
    EXPECT_EQ(CrtFormat("%08.3f", -3.14159), "-003.142");
    EXPECT_EQ(CrtFormat("%+g", 5.0), "+5");
    EXPECT_EQ(CrtFormat("% g", 5.0), " 5");
    EXPECT_EQ(CrtFormat("%#.0f", 3.0), "3.");
    EXPECT_EQ(CrtFormat("%#.0e", 3.0), "3.e+000");
    EXPECT_EQ(CrtFormat("%5.4g", 3.14159), "3.142");
    EXPECT_EQ(CrtFormat("%13.4e", -2e-6), " -2.0000e-006");
    EXPECT_EQ(CrtFormat("%lf", 2.0), "2.000000");
    EXPECT_EQ(CrtFormat("Fc=%g Hz (100%%)", 1.5e9), "Fc=1.5e+009 Hz (100%)");
    EXPECT_EQ(CrtFormat("%g %g", 1.0), "1 %g") << "one value, one conversion";
    EXPECT_EQ(CrtFormat("%d", 1.0), "%d");
    EXPECT_EQ(CrtFormat("%g", INFINITY), "inf");
    EXPECT_EQ(CrtFormat("%8.3G", -INFINITY), "    -INF");
    EXPECT_EQ(CrtFormat("%08f", NAN), "     nan");
}

TEST(CrtFormat, AppendCrtGeneralMatchesPercentG) {
    std::mt19937_64 random(7);
    std::string appended;
    for (int i = 0; i < 20000; ++i) {
        double value = 0.0;
        if (i % 2 == 0) {
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
        } else {
            value = static_cast<double>(random() % 2000001) / 1000.0 - 1000.0;
        }
        const int precision = static_cast<int>(random() % 20);
        appended.clear();
        AppendCrtGeneral(appended, value, precision);
        const std::string format = "%." + std::to_string(precision) + "g";
        ASSERT_EQ(appended, CrtFormat(format.c_str(), value)) << format << " of " << value;
    }
    appended = "x=";
    AppendCrtGeneral(appended, 1e6);
    EXPECT_EQ(appended, "x=1e+006");
}

TEST(CrtFormat, TheProcessLocaleDoesNotChangeTheDecimalPoint) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (german == nullptr) {
        german = std::setlocale(LC_ALL, "de_DE");
    }
    if (german == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    const std::string text = CrtFormat("%.2f", 1.25);
    double value = 0.0;
    const std::size_t used = ParseLeadingDouble("2.5", 3, value);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(text, "1.25");
    EXPECT_EQ(used, 3u);
    EXPECT_EQ(value, 2.5);
}

TEST(ParseLeadingDouble, ReadsLikeStrtodInTheCLocale) {
    EXPECT_EQ(Parse("  -1.5e3xyz"), -1500.0);
    EXPECT_EQ(Used("  -1.5e3xyz"), 8u);
    EXPECT_EQ(Parse("+.5"), 0.5);
    EXPECT_EQ(Parse("1."), 1.0);
    EXPECT_EQ(Used("1."), 2u);
    EXPECT_EQ(Parse("\t\n\v\f\r 7"), 7.0);
    EXPECT_EQ(Parse("00012"), 12.0);
    EXPECT_EQ(Parse("1,5"), 1.0);
}

TEST(ParseLeadingDouble, IncompleteExponentIsLeftUnread) {
    EXPECT_EQ(Parse("1e"), 1.0);
    EXPECT_EQ(Used("1e"), 1u);
    EXPECT_EQ(Used("1e+"), 1u);
    EXPECT_EQ(Used("2E-x"), 1u);
    EXPECT_EQ(Used("2e+3"), 4u);
}

TEST(ParseLeadingDouble, TextThatIsNoNumberReadsNothing) {
    for (const char* text :
         {"", "   ", "abc", "-", "+-5", ".", ".e5", "inf", "-INF", "nan", "infinity", "e5"}) {
        EXPECT_EQ(Used(text), 0u) << text;
        EXPECT_EQ(Parse(text), 0.0) << text;
    }
    EXPECT_EQ(Parse("0x10"), 0.0) << "no hexadecimal numbers";
    EXPECT_EQ(Used("0x10"), 1u);
    double value = -1.0;
    EXPECT_EQ(ParseLeadingDouble("12", 1, value), 1u) << "the length bounds the text";
    EXPECT_EQ(value, 1.0);
}

TEST(ParseLeadingDouble, OutOfRangeNumbersOverflowAndUnderflowLikeStrtod) {
    EXPECT_EQ(Parse("1e999"), HUGE_VAL);
    EXPECT_EQ(Parse("-1e999"), -HUGE_VAL);
    EXPECT_EQ(Used("1e999"), 5u);
    EXPECT_EQ(Parse("123456789e99999999999999999999"), HUGE_VAL);
    EXPECT_EQ(Parse("0.0001e-400"), 0.0);
    EXPECT_EQ(Parse("1e-999"), 0.0);
    EXPECT_EQ(Parse("0e999"), 0.0);
    EXPECT_EQ(Parse("4e-320"), 4e-320);
}

TEST(ParseWholeDouble, AcceptsOnlyANumberWithBlanksAfterIt) {
    double value = 0.0;
    EXPECT_TRUE(ParseWholeDouble("  2.5e3  \t", value));
    EXPECT_EQ(value, 2500.0);
    EXPECT_FALSE(ParseWholeDouble("2.5 x", value));
    EXPECT_FALSE(ParseWholeDouble("", value));
    EXPECT_FALSE(ParseWholeDouble("1e", value));
    EXPECT_FALSE(ParseWholeDouble(std::string("1\0", 2), value));
}
