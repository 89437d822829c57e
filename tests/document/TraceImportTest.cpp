#include "FormatsTestFiles.h"
#include "TraceTestFiles.h"

#include "document/FormatConverter.h"
#include "document/TraceImport.h"
#include "settings/IniFile.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using Codes = std::vector<std::int16_t>;

class TraceImportTest : public FormatsFolder {
protected:
    // Imports bytes as "scope.trc" onto the 12-bit range and returns the codes written.
    Codes Import12(const std::string& bytes) {
        const std::string path = Write("scope.trc", bytes);
        const std::string target = TraceImport::ImportTrace(path, false);
        EXPECT_EQ(target, PathOf("scope.wav"));
        return ReadCodes16(target);
    }
    // Imports raw bytes and expects the import to fail without leaving a file: the
    // waveform an earlier import left beside the trace goes too.
    void ExpectRefused(const std::string& bytes) {
        const std::string path = Write("bad.trc", bytes);
        Write("bad.wav", "old");
        EXPECT_EQ(TraceImport::ImportTrace(path, false), "");
        EXPECT_FALSE(std::filesystem::exists(PathOf("bad.wav")));
    }
};

struct TraceCase {
    TraceLayout layout;
    Codes codes;
};

// The smallest valid point goes to the lowest code and the largest to the highest:
// 200 x 20.475 - 4095.5 = -0.5, truncated toward zero.
TEST_F(TraceImportTest, ValidPointsAreScaledOntoTheTwelveBitRange) {
    const Codes ends{-2048, 2047, 0};
    const TraceCase cases[] = {
        {{.points = {100, 300, 200}}, ends},
        {{.points = {100, 300, 200}, .bigEndian = true}, ends},
        {{.points = {-30000, 30000, 0, 15000}, .bigEndian = true}, {-2048, 2047, 0, 1023}},
        // Bytes are the high byte of each point: 1, -1, 0 are 256, -256, 0.
        {{.points = {1, -1, 0}, .commType = 0}, {2047, -2048, 0}},
        {{.points = {-128, 127}, .bigEndian = true, .commType = 0}, {-2048, 2047}},
        {{.points = {100, 300, 200}, .prefix = "#9000000512     "}, ends}, // a block header
        {{.points = {1, 2}, .prefix = std::string(250, 'x')}, {-2048, 2047}},
        {{.points = {9999, 100, 300, 200, -9999}, .first = 1, .last = 3}, ends},
        {{.points = {127, 10, 20, -127}, .commType = 0, .first = 1, .last = 2}, {-2048, 2047}},
        {{.points = {5, 5, 5}}, {-2048, -2048, -2048}},
        // Read at the bare template length, the text "ABCDEFGH" would be taken for points.
        {{.points = {100, 300, 200}, .userText = "ABCDEFGH"}, ends},
        {{.points = {100, 300, 200}, .bigEndian = true, .userText = "ABCDEFGH"}, ends},
        // Block lengths left at zero: the template length is used.
        {{.points = {100, 300, 200}, .writeLengths = false}, ends},
    };
    for (const TraceCase& c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(Import12(BuildTrace(c.layout)), c.codes);
    }
}

// A descriptor name in mixed case is found; a user-text length beyond the file or negative
// falls back to the template length.
TEST_F(TraceImportTest, PatchedDescriptorsStillLeadToThePoints) {
    const std::string plain = BuildTrace({.points = {100, 300, 200}});
    std::string mixedCase = plain;
    mixedCase.replace(0, 8, "WaveDesc");
    std::string longText = plain;
    PutInteger(longText, 40, 0x7FFFFFF0u, 4, false);
    std::string negative = plain;
    PutInteger(negative, 40, 0xFFFFFFF0u, 4, false);
    for (const std::string& bytes : {mixedCase, longText, negative}) {
        EXPECT_EQ(Import12(bytes), (Codes{-2048, 2047, 0}));
    }
}

TEST_F(TraceImportTest, UnusableTracesGiveNoFile) {
    std::string truncated = BuildTrace({.points = {100, 300, 200}});
    truncated.pop_back();
    const std::string refused[] = {
        // Fewer than two valid points.
        BuildTrace({.points = {100, 300}, .first = 0, .last = 0}),
        BuildTrace({.points = {100, 300}, .first = 1, .last = 0}),
        BuildTrace({.points = {100, 300}, .first = -1, .last = 1}),
        BuildTrace({.points = {100}, .first = 0, .last = 0}),
        // More points announced than the file holds.
        BuildTrace({.points = {100, 300, 200}, .last = 0x7FFFFFFF}),
        BuildTrace({.points = {100, 300, 200}, .first = 0x7FFFFFF0, .last = 0x7FFFFFFF}),
        truncated,
        // No usable descriptor: none at all, its fields beyond the 400 bytes searched, the
        // whole descriptor beyond them, or neither byte nor word data.
        "",
        "0123456789",
        std::string(4000, 'W'),
        BuildTrace({.points = {1, 2}, .prefix = std::string(300, 'x')}),
        BuildTrace({.points = {1, 2}, .prefix = std::string(400, 'x')}),
        BuildTrace({.points = {1, 2}, .commType = 2}),
    };
    for (const std::string& bytes : refused) {
        SCOPED_TRACE(&bytes - refused);
        ExpectRefused(bytes);
    }
}

TEST_F(TraceImportTest, TraceThatCannotBeOpenedOrAFolderInTheWayIsLeftAlone) {
    Write("missing.wav", "old");
    EXPECT_EQ(TraceImport::ImportTrace(PathOf("missing.trc"), false), "");
    EXPECT_EQ(ReadBytes(PathOf("missing.wav")), "old");
    Write("dir.trc", BuildTrace({.points = {100}, .first = 0, .last = 0}));
    std::filesystem::create_directory(PathOf("dir.wav"));
    EXPECT_EQ(TraceImport::ImportTrace(PathOf("dir.trc"), false), "");
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("dir.wav")));
    std::filesystem::create_directory(PathOf("folder.trc"));
    EXPECT_EQ(TraceImport::ImportTrace(PathOf("folder.trc"), false), "");
}

// A trace of several pieces, of byte and of word points, read and written a piece at a time:
// its smallest point in the first piece and its largest in the last still span the whole
// 14-bit range. Its progress reaches the display, rises in proportion and ends at 1. A Cancel
// at the first report (the points being read) or at the last (the codes written, the file
// not yet in place) leaves the folder as it was, the waveform of an earlier import included.
TEST_F(TraceImportTest, CancelledImportLeavesTheFolderAsItWas) {
    std::vector<int> points(700000, 0);
    points.front() = -100;
    points.back() = 100;
    Codes codes(points.size(), 0);
    codes.front() = -8192;
    codes.back() = 8191;
    const std::string path = PathOf("big.trc");
    for (const int commType : {0, 1}) {
        SCOPED_TRACE(commType == 0 ? "bytes" : "words");
        Write("big.trc", BuildTrace({.points = points, .commType = commType}));
        workspace_.ui.Clear();
        FormatConverter converter(workspace_.state, workspace_.store, workspace_.Mode());
        ASSERT_EQ(converter.ImportTrace(path), PathOf("big.wav"));
        EXPECT_TRUE(ReadCodes16(PathOf("big.wav")) == codes);
        EXPECT_EQ(workspace_.ui.progressTitles, std::vector<std::string>{"Importing big.trc"});
        const std::vector<double> reports = workspace_.ui.progressReports;
        ASSERT_GE(reports.size(), 3u);
        EXPECT_LT(reports.front(), 0.5);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
        EXPECT_DOUBLE_EQ(reports.back(), 1.0);
        EXPECT_FALSE(converter.Cancelled());
        for (const int cancelAt : {0, static_cast<int>(reports.size()) - 1}) {
            SCOPED_TRACE(cancelAt);
            Write("big.wav", "earlier");
            const std::vector<std::string> entries = Entries();
            workspace_.ui.Clear();
            workspace_.ui.cancelAtReport = cancelAt;
            FormatConverter cancelled(workspace_.state, workspace_.store, workspace_.Mode());
            EXPECT_EQ(cancelled.ImportTrace(path), "");
            EXPECT_TRUE(cancelled.Cancelled());
            EXPECT_EQ(workspace_.ui.progressReports.size(), static_cast<std::size_t>(cancelAt + 1));
            EXPECT_EQ(ReadBytes(PathOf("big.wav")), "earlier");
            EXPECT_EQ(Entries(), entries);
        }
    }
}

TEST_F(TraceImportTest, FamilyConvertModeChoosesTheFourteenBitRange) {
    // The shipped QW2182 family converts with "CONV_DMA14".
    const std::string path = Write("scope.trc", BuildTrace({.points = {100, 300, 200}}));
    TraceImport import(workspace_.store);
    EXPECT_TRUE(import.FourteenBitTarget());
    EXPECT_EQ(ReadCodes16(import.ImportTrace(path)), (Codes{-8192, 8191, 0}));

    IniFile family(workspace_.state.familyFile);
    ASSERT_TRUE(family.Write("WaveDown", "ConvertMode", "conv_dma14_fast"));
    EXPECT_TRUE(import.FourteenBitTarget());
    ASSERT_TRUE(family.Write("WaveDown", "ConvertMode", "CONV_DMA12"));
    EXPECT_FALSE(import.FourteenBitTarget());
    EXPECT_EQ(ReadCodes16(import.ImportTrace(path)), (Codes{-2048, 2047, 0}));
    // Without a convert mode: twelve bits and no message.
    ASSERT_TRUE(family.DeleteSection("WaveDown"));
    EXPECT_FALSE(import.FourteenBitTarget());
    EXPECT_TRUE(workspace_.ui.messages.empty());
}

} // namespace
