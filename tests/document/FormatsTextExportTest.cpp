#include "FormatsTestFiles.h"

#include "document/TextExport.h"
#include "document/TextImport.h"
#include "settings/DecimalReader.h"
#include "settings/NumberFormat.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace {

class FormatsTextExport : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return workspace_.Folder() + name; }
    TempWorkspace workspace_;
};

struct ExportCase {
    SampleKind kind;
    std::vector<double> values;
    bool csv;
    const char* text;
};

// Spaced text is one line of values with single blanks; CSV has "index, value" lines with
// no line end after the last. FM codes and values in Hz are written with six significant
// digits and three-digit exponents in spaced text, and as whole numbers in CSV.
TEST_F(FormatsTextExport, EachKindIsWrittenInItsOwnNumberForm) {
    const ExportCase cases[] = {
        {SampleKind::Code16, {0, -5, 1000}, false, "0 -5 1000"},
        {SampleKind::Code16, {0, -5, 1000}, true, "0, 0\r\n1, -5\r\n2, 1000"},
        {SampleKind::Code32,
         {500000000, 999999, 1000000, 123456789, -2147483648.0},
         false,
         "5e+008 999999 1e+006 1.23457e+008 -2.14748e+009"},
        {SampleKind::Hz64, {10e6, 0.5, 1.5e-7}, false, "1e+007 0.5 1.5e-007"},
        {SampleKind::Code32, {500000000, -7}, true, "0, 500000000\r\n1, -7"},
        {SampleKind::Hz64, {10e6 + 0.75, -2.5}, true, "0, 10000000\r\n1, -2"},
        {SampleKind::Code16, {}, false, ""},
        {SampleKind::Code16, {}, true, ""},
    };
    for (const ExportCase& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = PathOf(c.csv ? "w.csv" : "w.asc");
        const SampleBuffer buffer = MakeBuffer(c.kind, c.values);
        ASSERT_TRUE(c.csv ? TextExport::ExportCsv(buffer, path)
                          : TextExport::ExportSpaced(buffer, path));
        EXPECT_EQ(ReadBytes(path), c.text);
    }
}

TEST_F(FormatsTextExport, UnwritablePathGivesFalseAndNothingWritten) {
    const SampleBuffer buffer = MakeBuffer(SampleKind::Code16, {1});
    EXPECT_FALSE(TextExport::ExportSpaced(buffer, PathOf("no/such/folder/w.asc")));
    EXPECT_FALSE(TextExport::ExportCsv(buffer, PathOf("no/such/folder/w.csv")));
}

TEST_F(FormatsTextExport, LongExportsCrossTheWriteChunksIntact) {
    std::vector<double> values(400000);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<double>(static_cast<int>(i * 7919 % 65536) - 32768);
    }
    const std::string path = PathOf("long.csv");
    ASSERT_TRUE(TextExport::ExportCsv(MakeBuffer(SampleKind::Code16, values), path));
    std::string expected;
    for (std::size_t i = 0; i < values.size(); ++i) {
        expected += std::to_string(i) + ", " + std::to_string(static_cast<int>(values[i]));
        if (i + 1 < values.size()) {
            expected += "\r\n";
        }
    }
    EXPECT_EQ(ReadBytes(path), expected);
}

// The fast formatting must be indistinguishable from the one general formatter.
void ExpectSameAsCrtFormat(double v) {
    std::string fast;
    TextExport::AppendGeneral(fast, v);
    ASSERT_EQ(fast, CrtFormat("%g", v)) << "value bits " << std::hexfloat << v;
}

TEST(FormatsGeneralNumber, MatchesCrtFormatOnTiesAndBoundaries) {
    const double cases[] = {0.0,
                            -0.0,
                            1.0,
                            -1.0,
                            999999.0,
                            1000000.0,
                            999999.5,
                            999999.4,
                            1234565.0,
                            1234575.0,
                            1234555.0,
                            2345665.0,
                            9999995.0,
                            9999985.0,
                            99999950.0,
                            2147483647.0,
                            -2147483648.0,
                            4294967295.0,
                            9007199254740991.0,
                            9007199254740992.0,
                            9007199254740993.0,
                            1e300,
                            1e-300,
                            5e-324,
                            0.0001,
                            0.00001,
                            123456.5,
                            100000.5,
                            0.1,
                            1.0 / 3,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
    for (const double v : cases) {
        ExpectSameAsCrtFormat(v);
    }
}

TEST(FormatsGeneralNumber, MatchesCrtFormatOnRandomIntegersAndDoubles) {
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 200000; ++i) {
        ExpectSameAsCrtFormat(static_cast<double>(static_cast<std::int32_t>(random())));
        // Whole numbers ending in 5 followed by zeros are the exact decimal ties.
        const std::uint64_t digits = random() % 100000000000000ull;
        ExpectSameAsCrtFormat(static_cast<double>(digits - digits % 10 + 5));
        std::uint64_t bits = random();
        double any = 0;
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any)) {
            ExpectSameAsCrtFormat(any);
        }
    }
}

// Formatting from the digits of the text read must equal formatting the value.
void ExpectTextFormattedAsValue(const std::string& token) {
    double value = 0;
    DecimalText text;
    ASSERT_NE(DecimalReader::Read(token.data(), token.data() + token.size(), value, &text), nullptr)
        << token;
    char out[TextExport::kLongestGeneral];
    const std::string fast(out, TextExport::WriteGeneral(out, value, text));
    ASSERT_EQ(fast, CrtFormat("%g", value)) << token;
}

TEST(FormatsGeneralNumber, DigitsOfTheTextRoundLikeTheValue) {
    for (const char* token :
         {"1.234565", "1.2345650000000001", "1.2345649999999999", "9999995", "999999.5", "0.1",
          "123456.5", "1.0000005e-5", "-2.5e-3", "0.000123456789", "99999950", "7", "-0", "0.0",
          "1e22", "1e-22", "123456789012345", "4.9999995", "5.0000005e300"}) {
        ExpectTextFormattedAsValue(token);
    }
    std::mt19937 random(17);
    char token[64];
    for (int i = 0; i < 300000; ++i) {
        const long long digits = static_cast<long long>(random() % 100000000) * 10 + 5;
        const int exponent = static_cast<int>(random() % 60) - 30;
        std::snprintf(token, sizeof token, "%lld.%llde%d", digits / 1000, digits % 1000, exponent);
        ExpectTextFormattedAsValue(token);
        std::snprintf(token, sizeof token, "%.*e", static_cast<int>(random() % 15),
                      (static_cast<double>(random()) - 2147483648.0) * std::pow(10.0, exponent));
        ExpectTextFormattedAsValue(token);
    }
}

TEST_F(FormatsTextExport, SpacedExportReadsBackToTheSameCodes) {
    std::vector<double> all;
    for (int code = -32768; code <= 32767; ++code) {
        all.push_back(code);
    }
    const SampleBuffer buffer = MakeBuffer(SampleKind::Code16, all);
    const std::string text = PathOf("all.asc");
    ASSERT_TRUE(TextExport::ExportSpaced(buffer, text));
    const std::string binary = TextImport::ConvertSpaced(text, SampleKind::Code16);
    ASSERT_EQ(binary, PathOf("all.wav"));
    const std::vector<std::int16_t> back = ReadCodes16(binary);
    ASSERT_EQ(back.size(), all.size());
    EXPECT_EQ(std::memcmp(back.data(), buffer.Codes16(), buffer.ByteSize()), 0);
}

TEST_F(FormatsTextExport, SpacedExportOfSixDigitFmValuesReadsBackExactly) {
    const std::vector<double> values = {500000000, 123456000, 999999, -1, 0, 1000000000};
    const std::string text = PathOf("fm.asf");
    ASSERT_TRUE(TextExport::ExportSpaced(MakeBuffer(SampleKind::Code32, values), text));
    const std::string binary = TextImport::ConvertSpaced(text, SampleKind::Code32);
    const std::vector<std::int32_t> expected(values.begin(), values.end());
    EXPECT_EQ(ReadElements<std::int32_t>(binary), expected);

    const std::vector<double> hz = {10e6, 10.5e6, 0.125, 99999.9};
    const std::string wide = PathOf("fm.afm");
    ASSERT_TRUE(TextExport::ExportSpaced(MakeBuffer(SampleKind::Hz64, hz), wide));
    EXPECT_EQ(ReadElements<double>(TextImport::ConvertSpaced(wide, SampleKind::Hz64)), hz);
}

TEST_F(FormatsTextExport, CsvExportSpanningTheCodeRangeReadsBackUnchanged) {
    // Values that reach both ends of the range scale with slope 1 and intercept 0.
    std::vector<double> values = {-2048, 2047};
    for (int i = 0; i < 5000; ++i) {
        values.push_back((i * 37) % 4096 - 2048);
    }
    const std::string csv = PathOf("round.csv");
    ASSERT_TRUE(TextExport::ExportCsv(MakeBuffer(SampleKind::Code16, values), csv));
    const std::string binary =
        TextImport::ConvertColumns(csv, PathOf("$$.asc"), CodeRange{-2048, 2047});
    const std::vector<std::int16_t> expected(values.begin(), values.end());
    EXPECT_EQ(ReadCodes16(binary), expected);
}

} // namespace
