#include "FormatsTestFiles.h"

#include "document/SixDigitText.h"
#include "document/TextExport.h"
#include "document/TextImport.h"
#include "settings/DecimalReader.h"
#include "settings/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

namespace {

class FormatsTextExport : public FormatsFolder {
protected:
    // Exports values as spaced text, imports that text again and gives the binary file.
    std::string SpacedRoundTrip(SampleKind kind, const std::vector<double>& values,
                                const std::string& name) const {
        EXPECT_TRUE(TextExport::ExportSpaced(MakeBuffer(kind, values), PathOf(name)));
        return TextImport::ConvertSpaced(PathOf(name), kind);
    }
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

// Values that reach both ends of the 12-bit range scale with slope 1 and intercept 0, so
// the column import gives back the very codes.
TEST_F(FormatsTextExport, LongCsvExportCrossesTheWriteChunksIntactAndReadsBackUnchanged) {
    std::vector<double> values = {-2048, 2047};
    for (std::size_t i = 0; i < 400000; ++i) {
        values.push_back(static_cast<int>(i * 7919 % 4096) - 2048);
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
    EXPECT_TRUE(ReadBytes(path) == expected); // too long to print
    const std::string binary =
        TextImport::ConvertColumns(path, PathOf("$$.asc"), CodeRange{-2048, 2047});
    EXPECT_EQ(ReadCodes16(binary), std::vector<std::int16_t>(values.begin(), values.end()));
}

// The fast formatting must be indistinguishable from the one general formatter.
void ExpectSameAsCrtFormat(double v) {
    std::string fast;
    TextExport::AppendGeneral(fast, v);
    ASSERT_EQ(fast, CrtFormat("%g", v)) << "value bits " << std::hexfloat << v;
}

TEST(FormatsGeneralNumber, MatchesCrtFormatOnTiesAndBoundaries) {
    using Limits = std::numeric_limits<double>;
    const std::vector<double> groups[] = {
        {0.0, -0.0, 1.0, -1.0, 0.1, 1.0 / 3, 0.0001, 0.00001},
        // Around the sixth significant digit, including exact decimal ties.
        {999999.0, 1000000.0, 999999.5, 999999.4, 123456.5, 100000.5},
        {1234565.0, 1234575.0, 1234555.0, 2345665.0, 9999995.0, 9999985.0, 99999950.0},
        // Integer and mantissa boundaries.
        {2147483647.0, -2147483648.0, 4294967295.0},
        {9007199254740991.0, 9007199254740992.0, 9007199254740993.0},
        {1e300, 1e-300, 5e-324, Limits::max(), Limits::infinity(), -Limits::infinity(),
         Limits::quiet_NaN()},
    };
    for (const std::vector<double>& group : groups) {
        for (const double v : group) {
            ExpectSameAsCrtFormat(v);
        }
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

// Formatting from the digits of the text read must equal formatting the value, and the
// value worked out from those digits (with the value, and alone) must be what that text
// reads back as, bit for bit.
void ExpectTextFormattedAsValue(const std::string& token) {
    double value = 0;
    DecimalText text;
    ASSERT_NE(DecimalReader::Read(token.data(), token.data() + token.size(), value, &text), nullptr)
        << token;
    char out[TextExport::kLongestGeneral];
    const std::string fast(out, TextExport::WriteGeneral(out, value, text));
    ASSERT_EQ(fast, CrtFormat("%g", value)) << token;
    const double readBack = std::strtod(fast.c_str(), nullptr);
    double rounded = TextExport::GeneralValue(value, text);
    ASSERT_EQ(std::memcmp(&rounded, &readBack, sizeof rounded), 0) << token;
    if (SixDigitText::ValueOfText(text, rounded)) { // the digits alone, where they tell it
        ASSERT_EQ(std::memcmp(&rounded, &readBack, sizeof rounded), 0) << token << " (digits)";
    }
}

TEST(FormatsGeneralNumber, DigitsOfTheTextRoundLikeTheValue) {
    for (const char* token : {"1.234565",
                              "1.2345650000000001",
                              "1.2345649999999999",
                              "9999995",
                              "999999.5",
                              "0.1",
                              "123456.5",
                              "1.0000005e-5",
                              "-2.5e-3",
                              "0.000123456789",
                              "99999950",
                              "7",
                              "-0",
                              "0.0",
                              "1e22",
                              "1e-22",
                              "123456789012345",
                              "4.9999995",
                              "5.0000005e300",
                              "-1.2345678e-17",
                              "9.9999996e-20",
                              "1.5e27",
                              "-0.1"}) {
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

TEST_F(FormatsTextExport, SpacedExportReadsBackToTheSameCodesAndSixDigitFmValues) {
    std::vector<double> all;
    for (int code = -32768; code <= 32767; ++code) {
        all.push_back(code);
    }
    EXPECT_EQ(ReadCodes16(SpacedRoundTrip(SampleKind::Code16, all, "all.asc")),
              std::vector<std::int16_t>(all.begin(), all.end()));
    const std::vector<double> fm = {500000000, 123456000, 999999, -1, 0, 1000000000};
    EXPECT_EQ(ReadElements<std::int32_t>(SpacedRoundTrip(SampleKind::Code32, fm, "fm.asf")),
              std::vector<std::int32_t>(fm.begin(), fm.end()));
    const std::vector<double> hz = {10e6, 10.5e6, 0.125, 99999.9};
    EXPECT_EQ(ReadElements<double>(SpacedRoundTrip(SampleKind::Hz64, hz, "fm.afm")), hz);
}

} // namespace
