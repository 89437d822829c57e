#include "core/CharClass.h"
#include "settings/DecimalReader.h"
#include "settings/NumberFormat.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

// The fast reader of the imports and the general reader must agree to the bit and to the
// character on every text; these are the texts where a hand-written reader goes wrong.

namespace {

struct Reading {
    std::size_t used = 0;
    double value = 0.0;
};

// The value starts as a sentinel: a reader that reads nothing must still set it to zero.
Reading General(const std::string& text) {
    Reading reading{0, -99.0};
    reading.used = ParseLeadingDouble(text.data(), text.size(), reading.value);
    return reading;
}

Reading Fast(const std::string& text) {
    Reading reading;
    const char* end = DecimalReader::Read(text.data(), text.data() + text.size(), reading.value);
    reading.used = end == nullptr ? 0 : static_cast<std::size_t>(end - text.data());
    if (end == nullptr) {
        reading.value = 0.0;
    }
    return reading;
}

std::optional<std::pair<int, int>> TwoInts(const std::string& text) {
    const char* cursor = text.data();
    const char* end = text.data() + text.size();
    std::pair<int, int> pair;
    if (!ReadLeadingInt(cursor, end, pair.first) || !ReadLeadingInt(cursor, end, pair.second)) {
        return std::nullopt;
    }
    return pair;
}

std::optional<std::pair<int, int>> TwoIntsFromStream(const std::string& text) {
    std::istringstream stream(text);
    std::pair<int, int> pair;
    if (!(stream >> pair.first >> pair.second)) {
        return std::nullopt;
    }
    return pair;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(NumberReading, FastAndGeneralReadersAgreeWithStrtodOnEdgeCases) {
    const std::string digits(10000, '7');
    const std::string zeros(10000, '0');
    const struct {
        std::string text;
        double value;
        std::size_t used;
    } cases[] = {{"+5", 5.0, 2},
                 {"-0", -0.0, 2},
                 {".5", 0.5, 2},
                 {"+.5", 0.5, 3},
                 {"5.", 5.0, 2},
                 {"00012", 12.0, 5},
                 {"1e", 1.0, 1},
                 {"1e-", 1.0, 1},
                 {"1e+", 1.0, 1},
                 {"2E-x", 2.0, 1},
                 {"2e+3", 2000.0, 4},
                 {"-1.5e3xyz", -1500.0, 6},
                 {"1e400", HUGE_VAL, 5},
                 {"-1e400", -HUGE_VAL, 6},
                 {"1e-400", 0.0, 6},
                 {"0.0001e-400", 0.0, 11},
                 {"0e999", 0.0, 5},
                 {"4e-320", 4e-320, 6},
                 {"123456789e99999999999999999999", HUGE_VAL, 30},
                 {"0x10", 0.0, 1},
                 {"1,5", 1.0, 1},
                 {"123456789012345", 123456789012345.0, 15},
                 {"1234567890123456", 1234567890123456.0, 16},
                 {"1e22", 1e22, 4},
                 {"1e23", 1e23, 4},
                 {zeros + "3", 3.0, 10001},
                 {"0." + zeros + "1e10000", 0.1, 10009},
                 {digits, HUGE_VAL, 10000},
                 {"1" + zeros + "e-10000", 1.0, 10008}};
    for (const auto& c : cases) {
        const Reading general = General(c.text);
        EXPECT_TRUE(SameBits(general.value, c.value)) << c.text.substr(0, 40);
        EXPECT_EQ(general.used, c.used) << c.text.substr(0, 40);
        const Reading fast = Fast(c.text);
        EXPECT_TRUE(SameBits(fast.value, general.value)) << c.text.substr(0, 40);
        EXPECT_EQ(fast.used, general.used) << c.text.substr(0, 40);
    }
    for (const char* text :
         {"", "abc", "-", "+", "+-5", ".", ".e5", "e5", "inf", "-INF", "infinity", "nan"}) {
        EXPECT_EQ(General(text).used, 0u) << text;
        EXPECT_EQ(General(text).value, 0.0) << text << ": no number reads as zero";
        EXPECT_EQ(Fast(text).used, 0u) << text;
    }
}

TEST(NumberReading, GeneralReaderSkipsLeadingWhiteSpaceAndReadsOnlyTheGivenLength) {
    const std::string blanks(10000, ' ');
    EXPECT_EQ(General(blanks + "\t-2.5x").used, blanks.size() + 5);
    EXPECT_EQ(General(blanks + "\t-2.5x").value, -2.5);
    EXPECT_EQ(General("\t\n\v\f\r 7").used, 7u);
    EXPECT_EQ(General("   ").used, 0u);
    double value = -1.0;
    EXPECT_EQ(ParseLeadingDouble("12", 1, value), 1u);
    EXPECT_EQ(value, 1.0);

    const std::pair<std::string, std::optional<double>> whole[] = {
        {"  2.5e3  \t", 2500.0},
        {blanks + "4" + blanks, 4.0},
        {blanks, std::nullopt},
        {"2.5 x", std::nullopt},
        {"", std::nullopt},
        {"1e", std::nullopt},
        {std::string("1\0", 2), std::nullopt}};
    for (const auto& [text, expected] : whole) {
        const bool accepted = ParseWholeDouble(text, value);
        EXPECT_EQ(accepted ? std::optional<double>(value) : std::nullopt, expected)
            << text.substr(0, 40);
    }
}

TEST(CharClass, MatchesTheCLibraryInTheCLocaleForEveryByte) {
    ASSERT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(IsDigit(c), std::isdigit(byte) != 0) << byte;
        EXPECT_EQ(IsCSpace(c), std::isspace(byte) != 0) << byte;
        EXPECT_EQ(IsBlankInLine(c), std::isspace(byte) != 0 && byte != '\n') << byte;
        EXPECT_EQ(IsAsciiLetter(c), std::isalpha(byte) != 0) << byte;
        EXPECT_EQ(ToLowerAscii(c), static_cast<char>(std::tolower(byte))) << byte;
    }
}

TEST(NumberReading, IntegerPairsReadAsTheStreamReadsThem) {
    for (const std::string text :
         {"12 34", " -7\t+8", "\n5\n6\n", "+-5 1", "-+5 1", "- 5 1", "+ 5 1", "5 +", "12", "",
          "12abc 5", "12 5abc", "1.5 2", "0x10 2", "2147483647 -2147483648", "2147483648 0",
          "0 -2147483649", "007 -0"}) {
        EXPECT_EQ(TwoInts(text), TwoIntsFromStream(text)) << text;
    }
}

TEST(NumberReading, LeadingIntReadsWhatAtoiReads) {
    for (const char* text : {"12", "  -7", "+8", "\t\n 42x", "1.5", "abc", "", "0x10", "+-5", "-",
                             "007", "2147483647", "-2147483648"}) {
        EXPECT_EQ(LeadingInt(text), std::atoi(text)) << text;
    }
    // atoi leaves these undefined; the reader gives "no number".
    EXPECT_EQ(LeadingInt("2147483648"), 0);
    EXPECT_EQ(LeadingInt("-99999999999"), 0);
}

TEST(NumberReading, FamilyValuesGiveTheirFiniteNumbersAfterTheLeadingWords) {
    EXPECT_EQ(NumbersAfterWords("Hz MHz 1e6\t2e9 x 3", 2), (std::vector<double>{1e6, 2e9, 3}));
    // Leading words are skipped even when they are numbers; garbage and overflow are not
    // counted as numbers, so a hand-edited limit never becomes infinite.
    EXPECT_EQ(NumbersAfterWords("5 6 7", 1), (std::vector<double>{6, 7}));
    EXPECT_EQ(NumbersAfterWords(" 10 1e400 inf nan 4096\r\n", 0), (std::vector<double>{10, 4096}));
    EXPECT_TRUE(NumbersAfterWords("", 0).empty());
    EXPECT_TRUE(NumbersAfterWords("only words", 0).empty());
}
