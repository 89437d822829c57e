#include "settings/IniFile.h"

#include "ScratchFolder.h"
#include "UnwritableFolder.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace fs = std::filesystem;

namespace {

// Each test works in a folder of its own.
class IniFileTest : public ::testing::Test {
protected:
    ScratchFolder folder;
};

} // namespace

TEST_F(IniFileTest, MissingAndEmptyFilesAndAFolderInTheirPlaceReadAsEmpty) {
    fs::create_directory(folder.File("folder.ini"));
    for (const std::string& path :
         {folder.File("none.ini"), folder.Write("empty.ini", ""), folder.File("folder.ini")}) {
        const IniFile ini(path);
        EXPECT_EQ(ini.Read("A", "k"), std::nullopt);
        EXPECT_TRUE(ini.ReadSection("A").empty());
        EXPECT_TRUE(ini.SectionNames().empty());
        EXPECT_FALSE(ini.HasSection("A"));
    }
}

TEST_F(IniFileTest, UntouchedBytesOfAForeignFileSurviveWrites) {
    const std::string original = "; written by the host\r\n[Instrument]\r\nFamily= QW2182 \r\n"
                                 "\tstray text\r\n\r\n[SegmTbl]\r\nSegm1-0=a.wav\r\n";
    const std::string path = folder.Write("TempGlyp.cad", original);
    IniFile ini(path);
    ASSERT_TRUE(ini.Write("SegmTbl", "Segm1-0", "b.wav"));
    ASSERT_TRUE(ini.Write("Modif", "Segm1-0", "1"));
    EXPECT_EQ(ScratchFolder::Read(path),
              "; written by the host\r\n[Instrument]\r\nFamily= QW2182 \r\n"
              "\tstray text\r\n\r\n[SegmTbl]\r\nSegm1-0=b.wav\r\n[Modif]\r\nSegm1-0=1\r\n");
    ASSERT_TRUE(ini.Write("Modif", "Segm1-0", std::nullopt));
    ASSERT_TRUE(ini.DeleteSection("Modif"));
    ASSERT_TRUE(ini.Write("SegmTbl", "Segm1-0", "a.wav"));
    EXPECT_EQ(ScratchFolder::Read(path), original);
}

TEST_F(IniFileTest, EveryReadSeesAnInPlaceChangeOfTheSameSize) {
    const std::string path = folder.Write("ctx.ini", "[A]\nk=1\n");
    const IniFile ini(path);
    for (char digit = '2'; digit <= '9'; ++digit) {
        std::FILE* file = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(file, nullptr);
        std::fseek(file, 6, SEEK_SET);
        std::fputc(digit, file);
        std::fclose(file);
        EXPECT_EQ(ini.Read("A", "k"), std::string(1, digit));
    }
}

// The lock, the read under it and the replacement each fail in their own way; the reason
// reaches LastError and the file stays as it was.
TEST_F(IniFileTest, FailedWritesSayWhyAndLeaveTheFileAsItWas) {
    const std::string family = "[Axis]\nHRange=1024 16 65536\n";
    const std::string readOnly = folder.Write("family.fam", family);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    fs::create_directory(folder.File("folder.ini"));
    const std::pair<std::string, const char*> cases[] = {
        {readOnly, "Permission denied"},
        {folder.File("no/such/folder/ctx.ini"), "No such file or directory"},
        {folder.File("folder.ini"), "Is a directory"}};
    for (const auto& [path, reason] : cases) {
        IniFile ini(path);
        EXPECT_FALSE(ini.Write("Axis", "HRange", "1")) << path;
        EXPECT_NE(ini.LastError().find(reason), std::string::npos) << ini.LastError();
    }
    EXPECT_EQ(ScratchFolder::Read(readOnly), family);
    EXPECT_TRUE(fs::is_directory(folder.File("folder.ini")));
    EXPECT_TRUE(IniFile(folder.File("no/ctx.ini")).Write("A", "k", std::nullopt))
        << "deleting from a missing file is done";
}

TEST_F(IniFileTest, WriteInAReadOnlyFolderLeavesTheFileIntact) {
    const std::string original = "[A]\nk=1\n";
    const std::string path = folder.Write("ctx.ini", original);
    IniFile ini(path);
    {
        const UnwritableFolder guard(folder.Path());
        if (!guard.Effective()) {
            GTEST_SKIP() << "this process can write into any folder";
        }
        EXPECT_FALSE(ini.Write("A", "k", "2"));
        EXPECT_FALSE(ini.Write("A", "new", "2"));
        EXPECT_FALSE(ini.LastError().empty());
        EXPECT_EQ(ini.Read("A", "k"), "1");
        EXPECT_TRUE(ini.Write("A", "k", "1")) << "an unchanged value needs no write";
    }
    EXPECT_EQ(ScratchFolder::Read(path), original);
    EXPECT_EQ(TempWorkspace::FolderEntries(folder.Path()), std::vector<std::string>{"ctx.ini"});
}

TEST_F(IniFileTest, BinaryGarbageAndHugeLinesGiveDefinedResults) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    const std::string huge(100000, 'z');
    const std::string withNul("a\0b", 3);
    const std::string tail = "\n" + huge + "\nnul=" + withNul + "\n";
    const std::string path =
        folder.Write("bin.ini", "\xEF\xBB\xBF" + garbage + "\n[A]\nk=" + huge + tail);
    IniFile ini(path);
    EXPECT_EQ(ini.Read("A", "k"), huge);
    EXPECT_EQ(ini.Read("A", "nul"), withNul);
    ASSERT_TRUE(ini.Write("A", "k", "short"));
    EXPECT_EQ(ScratchFolder::Read(path), "\xEF\xBB\xBF" + garbage + "\n[A]\nk=short" + tail);
}

TEST_F(IniFileTest, InvalidNamesAreRefusedWithoutTouchingTheFile) {
    const std::string path = folder.Write("ctx.ini", "[A]\nk=1\n");
    IniFile ini(path);
    for (const char* key : {"", "k=x", "[k", ";k", "two\nlines"}) {
        EXPECT_FALSE(ini.Write("A", key, "v")) << key;
    }
    EXPECT_FALSE(ini.Write("A", "k", "line\nbreak"));
    EXPECT_FALSE(ini.Write("A\r", "k", "v"));
    EXPECT_FALSE(ini.LastError().empty());
    EXPECT_FALSE(ini.WriteSection("A", {{"ok", "1"}, {"bad=key", "2"}}));
    EXPECT_EQ(ScratchFolder::Read(path), "[A]\nk=1\n");
}
