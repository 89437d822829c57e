#include "FormatsTestFiles.h"

#include "document/WaveFileWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using FormatsBinary = FormatsFolder;

TEST_F(FormatsBinary, WritesHeaderlessLittleEndianArraysOfEachKind) {
    const std::string wav = PathOf("a.wav");
    ASSERT_TRUE(
        WaveFileWriter::WriteWaveform(MakeBuffer(SampleKind::Code16, {1, -2, 0x1234}), wav));
    EXPECT_EQ(ReadBytes(wav), std::string("\x01\x00\xfe\xff\x34\x12", 6));

    const std::string wvf = PathOf("a.wvf");
    ASSERT_TRUE(
        WaveFileWriter::WriteWaveform(MakeBuffer(SampleKind::Code32, {500000000, -1}), wvf));
    EXPECT_EQ(ReadBytes(wvf), std::string("\x00\x65\xcd\x1d\xff\xff\xff\xff", 8));

    const std::string wfm = PathOf("a.wfm");
    ASSERT_TRUE(
        WaveFileWriter::WriteWaveform(MakeBuffer(SampleKind::Hz64, {1.0, 10e6 + 0.25}), wfm));
    EXPECT_EQ(ReadElements<double>(wfm), (std::vector<double>{1.0, 10e6 + 0.25}));
    EXPECT_EQ(ReadBytes(wfm).substr(0, 8), std::string("\x00\x00\x00\x00\x00\x00\xf0\x3f", 8));
}

TEST_F(FormatsBinary, EmptyWaveformWritesAnEmptyFile) {
    const std::string path = Write("empty.wav", "old content");
    ASSERT_TRUE(WaveFileWriter::WriteWaveform(SampleBuffer(SampleKind::Code16), path));
    EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(FormatsBinary, SnapPathShiftsWrittenCodesByFiveHundredTwelveButNotTheBuffer) {
    const SampleBuffer buffer = MakeBuffer(SampleKind::Code16, {0, -512, 32767});
    const std::string path = PathOf("xSnap.wav");
    ASSERT_TRUE(WaveFileWriter::WriteWaveform(buffer, path));
    // 32767 + 512 wraps to the 16-bit code -32257, as a 16-bit store of the sum does.
    EXPECT_EQ(ReadCodes16(path), (std::vector<std::int16_t>{512, 0, -32257}));
    EXPECT_EQ(buffer.Codes16()[0], 0);
    EXPECT_EQ(buffer.Codes16()[2], 32767);

    const std::string plain = PathOf("xsnap.wav"); // the test is case-sensitive
    ASSERT_TRUE(WaveFileWriter::WriteWaveform(buffer, plain));
    EXPECT_EQ(ReadCodes16(plain), (std::vector<std::int16_t>{0, -512, 32767}));
}

TEST_F(FormatsBinary, SnapRuleLooksPastTheFirstCharacterAndOnlyAtSixteenBitCodes) {
    EXPECT_FALSE(WaveFileWriter::IsSnapPath("Snap.wav"));
    EXPECT_TRUE(WaveFileWriter::IsSnapPath("xSnap.wav"));
    EXPECT_TRUE(WaveFileWriter::IsSnapPath("/Snapshots/a.wav"));
    EXPECT_FALSE(WaveFileWriter::IsSnapPath("/snapshots/a.wav"));

    const std::string path = PathOf("Snap32.wvf");
    ASSERT_TRUE(WaveFileWriter::WriteWaveform(MakeBuffer(SampleKind::Code32, {7}), path));
    EXPECT_EQ(ReadElements<std::int32_t>(path), std::vector<std::int32_t>{7});
}

// Which writes fail is the safe writer's (AtomicFileWriter.FailedWritesNameTheFileAndLeave...);
// a folder in the way of the file shows that the waveform writer hands the failure on.
TEST_F(FormatsBinary, FailedWriteReturnsFalseAndLeavesNoFileBehind) {
    std::filesystem::create_directory(PathOf("taken.wav"));
    const std::vector<std::string> before = Entries();
    EXPECT_FALSE(
        WaveFileWriter::WriteWaveform(MakeBuffer(SampleKind::Code16, {1, 2}), PathOf("taken.wav")));
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("taken.wav")));
    EXPECT_EQ(Entries(), before);
}

} // namespace
