#include "FormatsTestFiles.h"
#include "TraceTestFiles.h"

#include "document/FormatConverter.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace {

using Codes = std::vector<std::int16_t>;

class FormatsConverter : public FormatsFolder {
protected:
    explicit FormatsConverter(OperatingMode mode = OperatingMode::Standard,
                              const std::string& family = "QW2182")
        : FormatsFolder(family, mode),
          converter_(workspace_.state, workspace_.store, workspace_.Mode()) {}
    FormatConverter converter_;
    CodeRange range_{0, 4095};
};

TEST_F(FormatsConverter, ExtensionDecidesTheConversionWhenNoIndexIsGiven) {
    std::string path = Write("w.ASC", "1.9 -1.9 3");
    EXPECT_EQ(converter_.ConvertToBinary(path, -1, range_), ConversionResult::Converted);
    EXPECT_EQ(path, PathOf("w.wav"));
    EXPECT_EQ(ReadCodes16(path), (Codes{1, -1, 3}));

    path = Write("c.txt", "Time,Ampl\r\n0,1\r\n1,3\r\n2,2");
    EXPECT_EQ(converter_.ConvertToBinary(path, -1, range_), ConversionResult::Converted);
    EXPECT_EQ(ReadCodes16(path), (Codes{0, 4095, 2047}));
    EXPECT_FALSE(std::filesystem::exists(converter_.ScratchPath()));
    EXPECT_EQ(converter_.ScratchPath(), workspace_.state.startupFolder + "$$.asc");

    path = Write("scope.trc", BuildTrace({.points = {100, 300, 200}}));
    EXPECT_EQ(converter_.ConvertToBinary(path, -1, range_), ConversionResult::Converted);
    EXPECT_EQ(ReadCodes16(path), (Codes{-8192, 8191, 0})); // QW2182 converts to 14 bits
}

// Also any name when the binary type is chosen.
TEST_F(FormatsConverter, BinaryFilesAndWorkingFilesAreLeftAsTheyAre) {
    const std::pair<const char*, int> cases[] = {{"w.wav", -1}, {"seg1.WA3", -1}, {"any.name", 0}};
    for (const auto& [name, index] : cases) {
        std::string path = Write(name, "ab");
        EXPECT_EQ(converter_.ConvertToBinary(path, index, range_), ConversionResult::Converted);
        EXPECT_EQ(path, PathOf(name));
    }
}

TEST_F(FormatsConverter, PathFailingTheExtensionRulesIsNotConvertible) {
    for (const std::string name : {"noext", "x.ab", "x.asci", "x.xyz", "scope.001", "a.wa"}) {
        std::string path = Write(name, "1 2 3");
        EXPECT_EQ(converter_.ConvertToBinary(path, -1, range_), ConversionResult::NotConvertible)
            << name;
        EXPECT_EQ(path, PathOf(name));
    }
    std::string missing = PathOf("missing.asc");
    EXPECT_EQ(converter_.ConvertToBinary(missing, -1, range_), ConversionResult::NotConvertible);
}

TEST_F(FormatsConverter, ChosenIndexDecidesTheConversion) {
    std::string numbered =
        Write("scope.001", BuildTrace({.points = {100, 300, 200}, .bigEndian = true}));
    EXPECT_EQ(converter_.ConvertToBinary(numbered, 3, range_), ConversionResult::Converted);
    EXPECT_EQ(numbered, PathOf("scope.wav"));

    std::string spaced = Write("data.prn", "4 5 6");
    EXPECT_EQ(converter_.ConvertToBinary(spaced, 1, range_), ConversionResult::Converted);
    EXPECT_EQ(ReadCodes16(spaced), (Codes{4, 5, 6}));
}

TEST_F(FormatsConverter, FailedConversionEmptiesThePath) {
    std::string path = Write("broken.trc", "not a trace");
    EXPECT_EQ(converter_.ConvertToBinary(path, -1, range_), ConversionResult::Converted);
    EXPECT_EQ(path, "");
    path = Write("x.asc", "1");
    EXPECT_EQ(converter_.ConvertToBinary(path, 7, range_), ConversionResult::Converted);
    EXPECT_EQ(path, "");
}

TEST_F(FormatsConverter, RefusedTextIsReportedOnceNamingTheLine) {
    for (const auto& [name, text, line] :
         {std::tuple<std::string, std::string, std::string>{"v.asc", "1 2\n3 4.5.6",
                                                            "Line 2: \"4.5.6\" is not a number."},
          {"v.csv", "Time,V\n0,1\n1\n", "Line 3: \"1\" is not a record of two numbers."},
          {"v.prn", "0 1e400\n", "Line 1: \"1e400\" is out of range."}}) {
        FormatConverter converter(workspace_.state, workspace_.store, workspace_.Mode());
        workspace_.ui.Clear();
        std::string path = Write(name, text);
        EXPECT_EQ(converter.ConvertToBinary(path, -1, range_), ConversionResult::Converted);
        EXPECT_EQ(path, "");
        EXPECT_TRUE(converter.ProblemShown());
        ASSERT_EQ(workspace_.ui.messages.size(), 1u) << name;
        EXPECT_EQ(workspace_.ui.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(workspace_.ui.messages[0].text,
                  "Cannot import " + PathOf(name) + "\n" + line + "\nThe file was not converted.");
        EXPECT_FALSE(std::filesystem::exists(PathOf("v.wav")));
    }
    std::string good = Write("g.asc", "1 2");
    converter_.ConvertToBinary(good, -1, range_);
    EXPECT_FALSE(converter_.ProblemShown());
}

class FormatsConverterFm : public FormatsConverter {
protected:
    FormatsConverterFm() : FormatsConverter(OperatingMode::Fm) {}
};

TEST_F(FormatsConverterFm, SpacedTextBecomesThirtyTwoBitCodes) {
    std::string path = Write("f.asf", "500000000 1e9");
    EXPECT_EQ(converter_.ConvertToBinary(path, -1, range_), ConversionResult::Converted);
    EXPECT_EQ(path, PathOf("f.wvf"));
    EXPECT_EQ(ReadElements<std::int32_t>(path), (std::vector<std::int32_t>{500000000, 1000000000}));
}

TEST_F(FormatsConverterFm, ColumnAndTraceTypesAreNotOffered) {
    std::string csv = Write("f.csv", "0,1\n1,2");
    EXPECT_EQ(converter_.ConvertToBinary(csv, -1, range_), ConversionResult::NotConvertible);
    EXPECT_EQ(converter_.ConvertToBinary(csv, 2, range_), ConversionResult::Converted);
    EXPECT_EQ(csv, "");
    std::string trace = Write("f.trc", BuildTrace({.points = {1, 2}}));
    EXPECT_EQ(converter_.ConvertToBinary(trace, 4, range_), ConversionResult::Converted);
    EXPECT_EQ(trace, "");
}

class FormatsConverterWideFm : public FormatsConverter {
protected:
    FormatsConverterWideFm() : FormatsConverter(OperatingMode::Fm, "G4270") {}
};

TEST_F(FormatsConverterWideFm, SpacedTextBecomesSixtyFourBitValuesInHz) {
    std::string path = Write("f.afm", "10000000.25 9.5e6 -0.125");
    EXPECT_EQ(converter_.ConvertToBinary(path, -1, range_), ConversionResult::Converted);
    EXPECT_EQ(path, PathOf("f.wfm"));
    EXPECT_EQ(ReadElements<double>(path), (std::vector<double>{10000000.25, 9.5e6, -0.125}));
    std::string asf = Write("g.asf", "1");
    EXPECT_EQ(converter_.ConvertToBinary(asf, -1, range_), ConversionResult::NotConvertible);
}

} // namespace
