#include "FormatsTestFiles.h"
#include "TraceTestFiles.h"

#include "document/TraceImport.h"
#include "settings/IniFile.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Codes = std::vector<std::int16_t>;

class TraceImportTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return workspace_.Folder() + name; }
    // Imports layout as "scope.trc" onto the 12-bit range and returns the codes written.
    Codes Import12(const TraceLayout& layout) {
        const std::string path = PathOf("scope.trc");
        WriteBytes(path, BuildTrace(layout));
        const std::string target = TraceImport::ImportTrace(path, false);
        EXPECT_EQ(target, PathOf("scope.wav"));
        return ReadCodes16(target);
    }
    // Imports raw bytes and expects the import to fail without leaving a file: the
    // waveform an earlier import left beside the trace goes too.
    void ExpectRefused(const std::string& bytes) {
        const std::string path = PathOf("bad.trc");
        WriteBytes(path, bytes);
        WriteBytes(PathOf("bad.wav"), "old");
        EXPECT_EQ(TraceImport::ImportTrace(path, false), "");
        EXPECT_FALSE(std::filesystem::exists(PathOf("bad.wav")));
    }
    TempWorkspace workspace_;
};

TEST_F(TraceImportTest, LittleEndianWordsAreScaledOntoTheTwelveBitRange) {
    // 200 x 20.475 - 4095.5 = -0.5, truncated toward zero.
    EXPECT_EQ(Import12({.points = {100, 300, 200}}), (Codes{-2048, 2047, 0}));
}

TEST_F(TraceImportTest, BigEndianTraceGivesTheSameCodes) {
    EXPECT_EQ(Import12({.points = {100, 300, 200}, .bigEndian = true}), (Codes{-2048, 2047, 0}));
    EXPECT_EQ(Import12({.points = {-30000, 30000, 0, 15000}, .bigEndian = true}),
              (Codes{-2048, 2047, 0, 1023}));
}

TEST_F(TraceImportTest, ByteDataBecomesTheHighByteOfEachPoint) {
    // 1, -1, 0 are 256, -256, 0: slope 4095 / 512.
    EXPECT_EQ(Import12({.points = {1, -1, 0}, .commType = 0}), (Codes{2047, -2048, 0}));
    EXPECT_EQ(Import12({.points = {-128, 127}, .bigEndian = true, .commType = 0}),
              (Codes{-2048, 2047}));
}

TEST_F(TraceImportTest, DescriptorAfterABlockHeaderIsFound) {
    const std::string header = "#9000000512" + std::string(5, ' '); // 16 bytes
    EXPECT_EQ(Import12({.points = {100, 300, 200}, .prefix = header}), (Codes{-2048, 2047, 0}));
    EXPECT_EQ(Import12({.points = {1, 2}, .prefix = std::string(250, 'x')}), (Codes{-2048, 2047}));
}

TEST_F(TraceImportTest, OnlyTheValidPointsAreTaken) {
    EXPECT_EQ(Import12({.points = {9999, 100, 300, 200, -9999}, .first = 1, .last = 3}),
              (Codes{-2048, 2047, 0}));
    EXPECT_EQ(Import12({.points = {127, 10, 20, -127}, .commType = 0, .first = 1, .last = 2}),
              (Codes{-2048, 2047}));
}

TEST_F(TraceImportTest, EqualPointsAllBecomeTheLowestCode) {
    EXPECT_EQ(Import12({.points = {5, 5, 5}}), (Codes{-2048, -2048, -2048}));
}

TEST_F(TraceImportTest, DataAfterUserTextIsFoundThroughTheDescriptorLengths) {
    // Read at the bare template length, the text "ABCDEFGH" would be taken for points.
    EXPECT_EQ(Import12({.points = {100, 300, 200}, .userText = "ABCDEFGH"}),
              (Codes{-2048, 2047, 0}));
    EXPECT_EQ(Import12({.points = {100, 300, 200}, .bigEndian = true, .userText = "ABCDEFGH"}),
              (Codes{-2048, 2047, 0}));
}

TEST_F(TraceImportTest, ZeroOrImpossibleLengthsFallBackToTheTemplateLength) {
    EXPECT_EQ(Import12({.points = {100, 300, 200}, .writeLengths = false}),
              (Codes{-2048, 2047, 0}));
    TraceLayout layout{.points = {100, 300, 200}};
    std::string bytes = BuildTrace(layout);
    PutInteger(bytes, 40, 0x7FFFFFF0u, 4, false); // user text far longer than the file
    WriteBytes(PathOf("scope.trc"), bytes);
    EXPECT_EQ(ReadCodes16(TraceImport::ImportTrace(PathOf("scope.trc"), false)),
              (Codes{-2048, 2047, 0}));
    PutInteger(bytes, 40, 0xFFFFFFF0u, 4, false); // negative
    WriteBytes(PathOf("scope.trc"), bytes);
    EXPECT_EQ(ReadCodes16(TraceImport::ImportTrace(PathOf("scope.trc"), false)),
              (Codes{-2048, 2047, 0}));
}

TEST_F(TraceImportTest, FewerThanTwoValidPointsGiveNoFile) {
    ExpectRefused(BuildTrace({.points = {100, 300}, .first = 0, .last = 0}));
    ExpectRefused(BuildTrace({.points = {100, 300}, .first = 1, .last = 0}));
    ExpectRefused(BuildTrace({.points = {100, 300}, .first = -1, .last = 1}));
}

TEST_F(TraceImportTest, TraceWithOnlyPointZeroValidRemovesTheWaveformOfAnEarlierImport) {
    const std::string path = PathOf("scope.trc");
    WriteBytes(path, BuildTrace({.points = {100, 300, 200}}));
    ASSERT_EQ(TraceImport::ImportTrace(path, false), PathOf("scope.wav"));
    WriteBytes(path, BuildTrace({.points = {100}, .first = 0, .last = 0}));
    EXPECT_EQ(TraceImport::ImportTrace(path, false), "");
    EXPECT_FALSE(std::filesystem::exists(PathOf("scope.wav")));
}

TEST_F(TraceImportTest, TraceThatCannotBeOpenedOrAFolderInTheWayIsLeftAlone) {
    WriteBytes(PathOf("missing.wav"), "old");
    EXPECT_EQ(TraceImport::ImportTrace(PathOf("missing.trc"), false), "");
    EXPECT_EQ(ReadBytes(PathOf("missing.wav")), "old");
    WriteBytes(PathOf("dir.trc"), BuildTrace({.points = {100}, .first = 0, .last = 0}));
    std::filesystem::create_directory(PathOf("dir.wav"));
    EXPECT_EQ(TraceImport::ImportTrace(PathOf("dir.trc"), false), "");
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("dir.wav")));
}

TEST_F(TraceImportTest, TraceAnnouncingMorePointsThanItHoldsIsRefused) {
    ExpectRefused(BuildTrace({.points = {100, 300, 200}, .last = 0x7FFFFFFF}));
    ExpectRefused(BuildTrace({.points = {100, 300, 200}, .first = 0x7FFFFFF0, .last = 0x7FFFFFFF}));
    std::string truncated = BuildTrace({.points = {100, 300, 200}});
    truncated.pop_back();
    ExpectRefused(truncated);
}

TEST_F(TraceImportTest, FilesWithoutAUsableDescriptorAreRefused) {
    ExpectRefused("");
    ExpectRefused("0123456789");
    ExpectRefused(std::string(4000, 'W'));
    // Found, but its fields would lie beyond the 400 bytes searched.
    ExpectRefused(BuildTrace({.points = {1, 2}, .prefix = std::string(300, 'x')}));
    // Beyond the 400 bytes altogether.
    ExpectRefused(BuildTrace({.points = {1, 2}, .prefix = std::string(400, 'x')}));
    // A descriptor of neither byte nor word data.
    ExpectRefused(BuildTrace({.points = {1, 2}, .commType = 2}));
    EXPECT_EQ(TraceImport::ImportTrace(PathOf("missing.trc"), false), "");
    std::filesystem::create_directory(PathOf("folder.trc"));
    EXPECT_EQ(TraceImport::ImportTrace(PathOf("folder.trc"), false), "");
}

TEST_F(TraceImportTest, DescriptorNameIsFoundWhateverItsCase) {
    std::string bytes = BuildTrace({.points = {100, 300, 200}});
    bytes.replace(0, 8, "WaveDesc");
    WriteBytes(PathOf("mixed.trc"), bytes);
    EXPECT_EQ(ReadCodes16(TraceImport::ImportTrace(PathOf("mixed.trc"), false)),
              (Codes{-2048, 2047, 0}));
}

TEST_F(TraceImportTest, NumberedTraceIsWrittenBesideItAsWav) {
    const std::string path = PathOf("scope.001");
    WriteBytes(path, BuildTrace({.points = {1, 2}}));
    EXPECT_EQ(TraceImport::ImportTrace(path, false), PathOf("scope.wav"));
}

TEST_F(TraceImportTest, FamilyConvertModeChoosesTheFourteenBitRange) {
    // The shipped QW2182 family converts with "CONV_DMA14".
    const std::string path = PathOf("scope.trc");
    WriteBytes(path, BuildTrace({.points = {100, 300, 200}}));
    TraceImport import(workspace_.store);
    EXPECT_TRUE(import.FourteenBitTarget());
    EXPECT_EQ(ReadCodes16(import.ImportTrace(path)), (Codes{-8192, 8191, 0}));

    IniFile family(workspace_.state.familyFile);
    ASSERT_TRUE(family.Write("WaveDown", "ConvertMode", "conv_dma14_fast"));
    EXPECT_TRUE(import.FourteenBitTarget());
    ASSERT_TRUE(family.Write("WaveDown", "ConvertMode", "CONV_DMA12"));
    EXPECT_FALSE(import.FourteenBitTarget());
    EXPECT_EQ(ReadCodes16(import.ImportTrace(path)), (Codes{-2048, 2047, 0}));
}

TEST_F(TraceImportTest, MissingConvertModeMeansTwelveBitsWithoutAMessage) {
    IniFile family(workspace_.state.familyFile);
    ASSERT_TRUE(family.DeleteSection("WaveDown"));
    TraceImport import(workspace_.store);
    EXPECT_FALSE(import.FourteenBitTarget());
    EXPECT_TRUE(workspace_.ui.messages.empty());
}

} // namespace
