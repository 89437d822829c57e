#include "settings/NumberFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <random>

struct FormatCase {
    const char* format;
    double value;
    const char* expected;
};

void ExpectFormats(std::initializer_list<FormatCase> cases) {
    for (const FormatCase& c : cases) {
        EXPECT_EQ(CrtFormat(c.format, c.value), c.expected) << c.format << " of " << c.value;
    }
}

TEST(CrtFormat, ExponentsHaveThreeDigitsAndGeneralStyleSwitchesAtTheUsualLimits) {
    ExpectFormats({{"%g", 1e6, "1e+006"},
                   {"%g", 2e-6, "2e-006"},
                   {"%g", 1e100, "1e+100"},
                   {"%g", -1.5e-300, "-1.5e-300"},
                   {"%e", 1.5, "1.500000e+000"},
                   {"%.2E", 12345.0, "1.23E+004"},
                   {"%G", 1e-10, "1E-010"},
                   {"%g", 0.0001, "0.0001"},
                   {"%g", 0.00001, "1e-005"},
                   {"%g", 123456.0, "123456"},
                   {"%g", 1234567.0, "1.23457e+006"},
                   {"%g", 999999.5, "1e+006"},
                   {"%g", 0.0, "0"},
                   {"%g", -0.0, "-0"},
                   {"%.3g", 1000.0, "1e+003"},
                   {"%.0g", 7.0, "7"},
                   {"%#.3g", 1.0, "1.00"}});
}

TEST(CrtFormat, TiesRoundUpAndDigitsPastTheSeventeenthAreZero) {
    ExpectFormats({{"%.0f", 2.5, "3"},
                   {"%.2f", 0.125, "0.13"},
                   {"%g", 1234565.0, "1.23457e+006"},
                   {"%.2f", 0.006, "0.01"},
                   {"%.2f", 0.0006, "0.00"},
                   {"%.17g", 0.1, "0.10000000000000001"},
                   {"%.20f", 0.1, "0.10000000000000001000"},
                   {"%.9f", 1e10 / 3, "3333333333.333333500"},
                   {"%f", 1e20, "100000000000000000000.000000"}});
}

TEST(CrtFormat, FlagsWidthAndSurroundingText) {
    ExpectFormats({{"%10.3f", 3.14159, "     3.142"},
                   {"%-8.2f|", 3.14159, "3.14    |"},
                   {"%08.3f", -3.14159, "-003.142"},
                   {"%+g", 5.0, "+5"},
                   {"% g", 5.0, " 5"},
                   {"%#.0f", 3.0, "3."},
                   {"%#.0e", 3.0, "3.e+000"},
                   {"%13.4e", -2e-6, " -2.0000e-006"},
                   {"%lf", 2.0, "2.000000"},
                   {"Fc=%g Hz (100%%)", 1.5e9, "Fc=1.5e+009 Hz (100%)"},
                   {"%g %g", 1.0, "1 %g"},
                   {"%d", 1.0, "%d"},
                   {"%g", INFINITY, "inf"},
                   {"%8.3G", -INFINITY, "    -INF"},
                   {"%08f", NAN, "     nan"}});
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
