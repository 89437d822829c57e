#include "ScpiParser.h"
#include "CommandUnit.h"
#include "HeaderPattern.h"
#include "ScpiError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<CommandUnit> ParseAll(std::string_view message) {
    ScpiParser parser(message);
    std::vector<CommandUnit> units;
    CommandUnit unit;
    while (parser.Next(unit)) {
        units.push_back(unit);
    }
    return units;
}

int ErrorCodeOf(std::string_view message) {
    try {
        ParseAll(message);
    } catch (const ScpiError& error) {
        return error.code;
    }
    return 0;
}

using Path = std::vector<std::string>;

} // namespace

// Short and long forms in any case but nothing in between; optional nodes may be left out
// anywhere.
TEST(HeaderPattern, MatchesShortLongAndOptionalFormsOnly) {
    const struct {
        const char* pattern;
        Path path;
        bool matches;
    } cases[] = {
        {":TRACe:DEFine", {"TRAC", "DEF"}, true},
        {":TRACe:DEFine", {"TRACE", "DEFINE"}, true},
        {":TRACe:DEFine", {"TRACE", "DEF"}, true},
        {":TRACe:DEFine", {"TRA", "DEF"}, false},
        {":TRACe:DEFine", {"TRACEX", "DEF"}, false},
        {":TRACe:DEFine", {"TRAC"}, false},
        {":TRACe:DEFine", {"TRAC", "DEF", "ALL"}, false},
        {"[:SOURce]:FREQuency:RASTer", {"FREQ", "RAST"}, true},
        {"[:SOURce]:FREQuency:RASTer", {"SOUR", "FREQUENCY", "RASTER"}, true},
        {"[:SOURce]:FREQuency:RASTer", {"SOUR", "RAST"}, false},
        {":SYSTem:ERRor[:NEXT]", {"SYST", "ERR"}, true},
        {":SYSTem:ERRor[:NEXT]", {"SYSTEM", "ERROR", "NEXT"}, true},
        {":SYSTem:ERRor[:NEXT]", {"SYST", "NEXT"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HeaderPattern(c.pattern).Matches(c.path), c.matches)
            << c.pattern << " " << c.path.size() << " " << c.path[0];
    }
}

// Units without a colon stay in the subsystem of the previous header, common commands leave
// that path alone, and white space, a carriage return and empty units make no units.
TEST(ScpiParser, HeadersOfTheUnitsOfACompoundMessage) {
    const std::string spaced = "  :FREQ:RAST\t1e+08 ; :TRAC:DEF  2 , 500 ;;:TRAC:SEL 2;\r";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {":TRAC:DEF 1,4096;SEL 1;:INST 2;TRAC:SEL 3", {"TRAC:DEF", "TRAC:SEL", "INST", "TRAC:SEL"}},
        {":syst:err?;*OPC?;err?", {"SYST:ERR?", "*OPC?", "SYST:ERR?"}},
        {spaced, {"FREQ:RAST", "TRAC:DEF", "TRAC:SEL"}},
    };
    for (const auto& [message, headers] : cases) {
        std::vector<std::string> read;
        for (const CommandUnit& unit : ParseAll(message)) {
            read.push_back(unit.HeaderText());
        }
        EXPECT_EQ(read, headers) << message;
    }
    const auto arguments = ParseAll(spaced).at(1).arguments;
    ASSERT_EQ(arguments.size(), 2u);
    EXPECT_EQ(arguments[0].number, 2.0);
    EXPECT_EQ(arguments[1].number, 500.0);
}

TEST(ScpiParser, ReadsEveryFormOfDecimalNumberAndItsSuffix) {
    const auto units = ParseAll("X 1e8,100E+6,-.5,+7.,2.5e-3,1e+008,100 MHZ,3khz,#HFF,#Q17,#B101");
    ASSERT_EQ(units.size(), 1u);
    const std::pair<double, const char*> expected[] = {
        {1e8, ""},    {100e6, ""}, {-0.5, ""}, {7.0, ""}, {2.5e-3, ""}, {1e8, ""},
        {100, "MHZ"}, {3, "KHZ"},  {255, ""},  {15, ""},  {5, ""},
    };
    const auto& a = units[0].arguments;
    ASSERT_EQ(a.size(), std::size(expected));
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_DOUBLE_EQ(a[i].number, expected[i].first) << i;
        EXPECT_EQ(a[i].suffix, expected[i].second) << i;
    }
}

TEST(ScpiParser, ReadsCharacterDataAndStringsWithDoubledQuotes) {
    const auto units = ParseAll("X max,ch2,\"say \"\"hi\"\"\",'a;b'");
    const auto& a = units.at(0).arguments;
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].kind, ScpiArgument::Kind::Word);
    EXPECT_EQ(a[0].text, "MAX");
    EXPECT_EQ(a[1].text, "CH2");
    EXPECT_EQ(a[2].kind, ScpiArgument::Kind::String);
    EXPECT_EQ(a[2].text, "say \"hi\"");
    EXPECT_EQ(a[3].text, "a;b");
}

TEST(ScpiParser, BlockBytesMayHoldSeparatorsAndAreViewedExactly) {
    const std::string data("a;b\n\0#9\"", 8);
    const std::string message = ":TRAC:DATA #18" + data + ";:TRAC:SEL?";
    const auto units = ParseAll(message);
    ASSERT_EQ(units.size(), 2u);
    ASSERT_EQ(units[0].arguments.size(), 1u);
    EXPECT_EQ(units[0].arguments[0].kind, ScpiArgument::Kind::Block);
    EXPECT_EQ(units[0].arguments[0].block, data);
    EXPECT_EQ(units[1].HeaderText(), "TRAC:SEL?");
    EXPECT_TRUE(ParseAll("TRAC:DATA #10").at(0).arguments.at(0).block.empty());
}

TEST(ScpiParser, ReportsBrokenSyntaxWithItsScpiErrorNumber) {
    EXPECT_EQ(ErrorCodeOf("TRAC:DATA #0abc"), scpi_errors::kInvalidBlockData);
    EXPECT_EQ(ErrorCodeOf("TRAC:DATA #5123"), scpi_errors::kInvalidBlockData);
    EXPECT_EQ(ErrorCodeOf("TRAC:DATA #3999ab"), scpi_errors::kInvalidBlockData);
    EXPECT_EQ(ErrorCodeOf("TRAC:DEF 1 2"), scpi_errors::kInvalidSeparator);
    EXPECT_EQ(ErrorCodeOf("TRAC:DEF 1.2.3"), scpi_errors::kInvalidCharacterInNumber);
    EXPECT_EQ(ErrorCodeOf("X 1e999"), scpi_errors::kExponentTooLarge);
    EXPECT_EQ(ErrorCodeOf("X \"open"), scpi_errors::kInvalidStringData);
    EXPECT_EQ(ErrorCodeOf("X 1,,2"), scpi_errors::kSyntaxError);
    EXPECT_EQ(ErrorCodeOf("TRAC::DEF 1"), scpi_errors::kSyntaxError);
    EXPECT_EQ(ErrorCodeOf("*IDN?x"), scpi_errors::kSyntaxError);
    EXPECT_EQ(ErrorCodeOf("ABCDEFGHIJKLMN 1"), scpi_errors::kMnemonicTooLong);
    EXPECT_EQ(ErrorCodeOf("\x81\x92garbage"), scpi_errors::kInvalidCharacter);
}

TEST(ScpiParser, UnitsBeforeABrokenOneAreStillDelivered) {
    ScpiParser parser("*CLS;TRAC:DEF 1 2;*RST");
    CommandUnit unit;
    ASSERT_TRUE(parser.Next(unit));
    EXPECT_EQ(unit.HeaderText(), "*CLS");
    EXPECT_THROW(parser.Next(unit), ScpiError);
}

// Plain entries are read back through the error queue (SessionTest).
TEST(ScpiError, ADetailEchoingClientBytesCannotBreakTheQuotingOfTheResponse) {
    EXPECT_EQ(ScpiError(-102, "a\"b\n\x90").Format(), "-102,\"Syntax error;a?b??\"");
}
