#include "settings/TextFormat.h"
#include "settings/FileHelpers.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

TEST(FormatCompact, WholeNumbersGetThousandsSuffixesOthersNineDecimalsTrimmed) {
    EXPECT_EQ(FormatCompact(3.0), "3");
    EXPECT_EQ(FormatCompact(-3.0), "-3");
    EXPECT_EQ(FormatCompact(-3000.0), "-3e3");
    EXPECT_EQ(FormatCompact(1.5), "1.5");
    EXPECT_EQ(FormatCompact(0.25), "0.25");
    EXPECT_EQ(FormatCompact(5000.0), "5e3");
    EXPECT_EQ(FormatCompact(2000000.0), "2e6");
    EXPECT_EQ(FormatCompact(1500000.0), "1500e3");
    EXPECT_EQ(FormatCompact(1000000000.0), "1000e6");
    EXPECT_EQ(FormatCompact(0.0), "0");
    EXPECT_EQ(FormatCompact(1e-12), "0") << "closer than 1e-9 to a whole number";
    EXPECT_EQ(FormatCompact(2.0000000001), "2");
    EXPECT_EQ(FormatCompact(1e-6), "0.000001");
    EXPECT_EQ(FormatCompact(1e19), "10000000000000e6");
}

std::string Trimmed(std::string text) {
    TrimZeros(text);
    return text;
}

std::string Stripped(std::string text) {
    StripExponentZeros(text);
    return text;
}

TEST(NumberTextTrimming, TrailingZerosGoOnlyAfterAPointAndThreeDigitExponentsAreShortened) {
    EXPECT_EQ(Trimmed("12.500000"), "12.5");
    EXPECT_EQ(Trimmed("3.000"), "3");
    EXPECT_EQ(Trimmed("1500"), "1500");
    EXPECT_EQ(Stripped("1e+003"), "1e3");
    EXPECT_EQ(Stripped("2e-006"), "2e-6");
    EXPECT_EQ(Stripped("1.5e+100"), "1.5e+100");
    EXPECT_EQ(Stripped("-4e-010"), "-4e-010") << "only \"-00\" is shortened";
}

TEST(ShortenPath, KeepsTheFirstFolderAndTheName) {
    EXPECT_EQ(ShortenPath("name.wav"), "name.wav");
    EXPECT_EQ(ShortenPath("C:\\name.wav"), "C:\\...\\name.wav");
    EXPECT_EQ(ShortenPath("C:\\a\\b\\name.wav"), "C:\\...\\name.wav");
    EXPECT_EQ(ShortenPath("/home/u/$usr/Segm1-0.wav"), "/.../Segm1-0.wav");
    EXPECT_EQ(ShortenPath("work\\sub/name.wav"), "work\\.../name.wav");
}

TEST(CaseHelpers, CompareAsciiLettersWithoutCase) {
    EXPECT_TRUE(EqualsNoCase("G4270b", "g4270B"));
    EXPECT_FALSE(EqualsNoCase("G4270", "G4270b"));
    EXPECT_TRUE(StartsWithNoCase("g4270-2", "G4270"));
    EXPECT_FALSE(StartsWithNoCase("G42", "G4270"));
    EXPECT_EQ(ToUpperAscii("fms /pls\xe9"), "FMS /PLS\xe9");
}

TEST(FileHelpers, ExistenceRecordsAndCopies) {
    ScratchFolder folder;
    const std::string wave = folder.Write("a.wav", std::string(2049, '\x01'));
    EXPECT_TRUE(FileExists(wave));
    EXPECT_TRUE(FileExists(folder.Path()));
    EXPECT_FALSE(FileExists(folder.File("none")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_EQ(RecordCount(wave, 2), 1024);
    EXPECT_EQ(RecordCount(wave, 8), 256);
    EXPECT_EQ(RecordCount(wave, 0), 0);
    EXPECT_EQ(RecordCount(folder.File("none"), 2), 0);

    const std::string copy = folder.File("b.wav");
    folder.Write("b.wav", "old");
    EXPECT_TRUE(CopyFileSafely(wave, copy).copied);
    EXPECT_EQ(ScratchFolder::Read(copy), ScratchFolder::Read(wave));
    const CopyResult missing = CopyFileSafely(folder.File("none"), copy);
    EXPECT_TRUE(missing.sourceMissing);
    EXPECT_FALSE(missing.copied);
    EXPECT_FALSE(CopyFileSafely(wave, wave).copied);
    EXPECT_EQ(ScratchFolder::Read(wave), std::string(2049, '\x01'));
    EXPECT_TRUE(DeleteFileIfExists(copy));
    EXPECT_FALSE(FileExists(copy));
    EXPECT_TRUE(DeleteFileIfExists(copy));
}

TEST(FileHelpers, ReverseBytesTurnsBigEndianFieldsAroundAtMostSixtyFourBytes) {
    using Bytes = std::vector<unsigned char>;
    const unsigned char source[4] = {0x12, 0x34, 0x56, 0x78};
    unsigned char destination[4] = {};
    ReverseBytes(source, destination, 4);
    EXPECT_EQ(Bytes(destination, destination + 4), (Bytes{0x78, 0x56, 0x34, 0x12}));
    unsigned char inPlace[3] = {1, 2, 3};
    ReverseBytes(inPlace, inPlace, 3);
    EXPECT_EQ(Bytes(inPlace, inPlace + 3), (Bytes{3, 2, 1}));
    Bytes big(80);
    std::iota(big.begin(), big.end(), 0);
    Bytes out(80, 0);
    ReverseBytes(big.data(), out.data(), 80);
    EXPECT_EQ(out[0], 63);
    EXPECT_EQ(out[63], 0);
    EXPECT_EQ(out[64], 0) << "nothing past 64 bytes is written";
}
