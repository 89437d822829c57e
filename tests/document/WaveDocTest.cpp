#include "DocumentFixture.h"
#include "support/SampleValues.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::string Codes(const std::vector<std::int16_t>& codes) {
    return std::string(reinterpret_cast<const char*>(codes.data()), codes.size() * 2);
}

} // namespace

using WaveDocTest = DocumentFixture;

TEST_F(WaveDocTest, ReadsTheFamilyLimits) {
    EXPECT_EQ(document.Limits().LengthLow(), 16);
    EXPECT_EQ(document.Limits().LengthHigh(), 16000000);
    EXPECT_EQ(document.Limits().SecondHigh(), 256);
    EXPECT_EQ(document.Limits().VerticalLow(), -8192);
    EXPECT_EQ(document.Limits().VerticalHigh(), 8191);
    EXPECT_EQ(workspace.state.verticalSpan, 16383);
    EXPECT_EQ(document.Limits().ResolutionFactor(), 4);
    EXPECT_EQ(document.Limits().ChannelCount(), 2);
    EXPECT_EQ(document.Undo().Path(), workspace.state.userFolder + "/UndoSM.wav");
}

TEST_F(WaveDocTest, ResolutionRoundsHalvesUpAndCancelLeavesTheWaveform) {
    const std::string odd = workspace.WriteFile("odd.wav", std::string(2002, '\0'));
    workspace.ui.Clear();
    ASSERT_TRUE(document.LoadWaveform(odd, true));
    EXPECT_EQ(document.Length(), 1000);
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{3001});
    EXPECT_EQ(std::filesystem::file_size(odd), 2000u);

    const std::string up = workspace.WriteFile("up.wav", std::string(2004, '\0'));
    ASSERT_TRUE(document.LoadWaveform(up, true));
    EXPECT_EQ(document.Length(), 1004);
    EXPECT_EQ(std::filesystem::file_size(up), 2008u);

    const std::string cancelled = workspace.WriteFile("c.wav", std::string(2002, '\0'));
    workspace.ui.answers.push_back(MessageAnswer::Cancel);
    EXPECT_FALSE(document.LoadWaveform(cancelled, true));
    EXPECT_EQ(document.Length(), 1004);
    EXPECT_EQ(std::filesystem::file_size(cancelled), 2002u);
}

TEST_F(WaveDocTest, ExtendingKeepsTheSamplesAndPadsWithZeros) {
    document.SetLength("1000");
    auto samples = Values(document.Samples());
    ASSERT_EQ(samples.size(), 1000u);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        document.EditAllPoints().Codes16()[i] = static_cast<std::int16_t>(i + 1);
    }
    document.WriteWaveform();
    document.SetLength("1200");
    samples = Values(document.Samples());
    ASSERT_EQ(samples.size(), 1200u);
    EXPECT_EQ(samples[0], 1);
    EXPECT_EQ(samples[999], 1000);
    EXPECT_EQ(samples[1000], 0);
    EXPECT_EQ(samples[1199], 0);
    EXPECT_EQ(view.RightAnchor(), 1199);
    EXPECT_EQ(std::filesystem::file_size(document.CurrentPath()), 2400u);

    document.SetLength("400");
    samples = Values(document.Samples());
    ASSERT_EQ(samples.size(), 400u);
    EXPECT_EQ(samples[399], 400);
}

TEST_F(WaveDocTest, LengthOutsideTheRangeIsRefusedAndTheFieldRestored) {
    workspace.ui.Clear();
    document.SetLength("8");
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{3002});
    EXPECT_EQ(view.lengthText, "1024");
    document.SetLength("not a number");
    EXPECT_EQ(document.Length(), 1024);
    document.SetLength("16000004");
    EXPECT_EQ(document.Length(), 1024);
}

TEST_F(WaveDocTest, LengthFourThousandLeavesAnEightKilobyteWorkingFileAndTableEntries) {
    document.SetLength("4096");
    EXPECT_EQ(document.CurrentPath(), Working());
    EXPECT_EQ(std::filesystem::file_size(Working()), 8192u);
    EXPECT_EQ(workspace.Context("SegmTbl", "Segm1-0"), Working());
    EXPECT_EQ(workspace.Context("SegmTbl", "LastSegm#0"), "1");
    EXPECT_EQ(workspace.Context("Modif", "Segm1-0"), "Yes");
}

TEST_F(WaveDocTest, BadFilesAreRefusedWithAMessage) {
    const std::string empty = workspace.WriteFile("empty.wav", "");
    EXPECT_TRUE(document.LoadWaveform(empty, true));
    EXPECT_EQ(document.Length(), 0);

    workspace.ui.Clear();
    std::filesystem::create_directory(workspace.Folder() + "folder.wav");
    EXPECT_FALSE(document.LoadWaveform(workspace.Folder() + "folder.wav", true));
    EXPECT_EQ(workspace.ui.messages.size(), 1u);

    // 70 M points is far beyond a 16 M-point instrument: refused without allocating.
    const std::string huge = workspace.Folder() + "huge.wav";
    { std::ofstream(huge, std::ios::binary).put('\0'); }
    std::filesystem::resize_file(huge, 140000000ull);
    workspace.ui.Clear();
    EXPECT_FALSE(document.LoadWaveform(huge, true));
    ASSERT_EQ(workspace.ui.messages.size(), 1u);
    EXPECT_NE(workspace.ui.messages[0].text.find("70000000 points"), std::string::npos);
}

TEST_F(WaveDocTest, PathsWithBlanksAndNonAsciiLettersLoad) {
    const std::string path = workspace.WriteFile("Mess kurve ÄÖü.wav", Codes({1, -2, 3, -4}));
    ASSERT_TRUE(document.LoadWaveform(path, true));
    EXPECT_EQ(Values(document.Samples()), (std::vector<double>{1, -2, 3, -4}));
    EXPECT_EQ(document.CurrentPath(), path);
}

using WaveDocFm = FmDocumentFixture;

TEST_F(WaveDocFm, LoadsTheFmWindowAndCreatesTheFmWorkingFile) {
    // The FM length comes from the context file; a first start still creates the
    // default waveform of 1024 points.
    EXPECT_EQ(document.Length(), 1000);
    workspace.OpenActiveSegment(document);
    EXPECT_EQ(document.Samples().Kind(), SampleKind::Code32);
    EXPECT_EQ(document.Length(), 1024);
    EXPECT_EQ(document.Samples().Codes32()[0], 500000000);
    EXPECT_EQ(document.CurrentPath(), workspace.state.userFolder + "/FmDef.wvf");
    EXPECT_EQ(workspace.Context("SegmTbl", "FmWave"), document.CurrentPath());
    EXPECT_EQ(document.Fm().Fmin(), 1e9 - 10e6);
    EXPECT_EQ(document.Fm().Fmax(), 1e9 + 10e6);
    EXPECT_EQ(document.Undo().Path(), workspace.state.userFolder + "/UndoFS.wvf");
}

// A machine of 16 MB holds 4 M points of 16-bit samples (half its memory): the family's
// 16 M-point range is held to that, and a longer file is refused before it is read or
// resized.
TEST(WaveDocMemory, AFamilyBeyondTheMemoryIsHeldToItAndLongerFilesAreRefused) {
    TempWorkspace workspace;
    workspace.state.physicalMemory = 16ull << 20;
    WaveDoc document(workspace.services, workspace.Mode());
    ASSERT_EQ(workspace.ui.messages.size(), 1u);
    EXPECT_NE(workspace.ui.messages[0].text.find("holds only 4194304 points"), std::string::npos);
    EXPECT_EQ(document.Limits().LengthHigh(), 4194304);
    EXPECT_FALSE(document.Limits().ExceedsMemory(4194304));

    const std::string big = workspace.Folder() + "big.wav";
    { std::ofstream(big, std::ios::binary).put('\0'); }
    std::filesystem::resize_file(big, 2 * 5000001ull);
    workspace.ui.Clear();
    EXPECT_FALSE(document.LoadWaveform(big, true));
    ASSERT_EQ(workspace.ui.messages.size(), 1u);
    EXPECT_NE(workspace.ui.messages[0].text.find("memory can hold (4194304 points)"),
              std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(big), 2 * 5000001ull);
    EXPECT_EQ(document.Samples().Size(), 0u);

    workspace.ui.Clear();
    workspace.state.physicalMemory = 64ull << 20;
    WaveDoc roomy(workspace.services, workspace.Mode());
    EXPECT_TRUE(workspace.ui.messages.empty());
    EXPECT_EQ(roomy.Limits().LengthHigh(), 16000000);

    // The 256 M-point test family fits a machine of 1 GB.
    TempWorkspace large("QW2182L");
    large.state.physicalMemory = 1ull << 30;
    WaveDoc long256(large.services, large.Mode());
    EXPECT_TRUE(large.ui.messages.empty());
    EXPECT_EQ(long256.Limits().LengthHigh(), 256000000);
}
