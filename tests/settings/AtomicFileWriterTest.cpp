#include "settings/AtomicFileWriter.h"
#include "settings/FileHelpers.h"
#include "settings/IniFile.h"
#include "settings/ProfileEdit.h"
#include "settings/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr fs::perms kOwnerReadWrite = fs::perms::owner_read | fs::perms::owner_write;

fs::perms PermissionsOf(const std::string& path) {
    return fs::status(path).permissions() & fs::perms::all;
}

// A process id that is certainly not running: a child that has already been reaped.
long FinishedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<long>(child);
}

} // namespace

TEST(AtomicFileWriter, TemporaryNamesCarryTheProcessAndAreRecognisedExactly) {
    ScratchFolder folder;
    AtomicFileWriter writer(folder.File("a.wav"));
    ASSERT_TRUE(writer.Open());
    const std::string name = fs::path(writer.TemporaryPath()).filename().string();
    EXPECT_EQ(AtomicFileWriter::TemporaryOwner(name), static_cast<long>(::getpid()));
    EXPECT_EQ(name.find(".w"), std::string::npos) << "never taken for a binary waveform";

    for (const char* foreign :
         {"~$ws.part", "~$ws12.part", "~$ws-1-2.part", "~$ws12-.part", "~$ws12-3x.part",
          "~$wsx-3.part", "a~$ws12-3.part", "~$ws12-3.part.bak", "~$ws0-1.part", "TempGlyp.cad"}) {
        EXPECT_EQ(AtomicFileWriter::TemporaryOwner(foreign), -1) << foreign;
    }
    EXPECT_EQ(AtomicFileWriter::TemporaryOwner("~$ws4711-0.part"), 4711);
}

TEST(AtomicFileWriter, StartUpSweepRemovesOnlyLeftOversOfFinishedProcesses) {
    ScratchFolder folder;
    const long gone = FinishedProcessId();
    const std::string stale = folder.Write("~$ws" + std::to_string(gone) + "-7.part", "x");
    const std::string ours = folder.Write("~$ws" + std::to_string(::getpid()) + "-7.part", "x");
    const std::string user = folder.Write("notes~$ws1-1.part.txt", "x");
    const std::string lookalike = folder.Write("~$ws" + std::to_string(gone) + "-7.partial", "x");

    EXPECT_EQ(AtomicFileWriter::RemoveStaleTemporaries(folder.Path()), 1);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(ours)) << "a running process may still commit it";
    EXPECT_TRUE(fs::exists(user));
    EXPECT_TRUE(fs::exists(lookalike));
    EXPECT_EQ(AtomicFileWriter::RemoveStaleTemporaries(folder.File("missing")), 0);
}

TEST(AtomicFileWriter, PermissionsComeFromTheReplacedFileOrAreTheOwnersAlone) {
    ScratchFolder folder;
    const std::string shared = folder.Write("shared.wav", "old");
    const fs::perms readableByAll =
        kOwnerReadWrite | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(shared, readableByAll);
    ASSERT_TRUE(AtomicFileWriter::WriteWhole(shared, "new"));
    EXPECT_EQ(ScratchFolder::Read(shared), "new");
    EXPECT_EQ(PermissionsOf(shared), readableByAll);

    const std::string fresh = folder.File("fresh.wav");
    ASSERT_TRUE(AtomicFileWriter::WriteWhole(fresh, "n"));
    EXPECT_EQ(PermissionsOf(fresh), kOwnerReadWrite);
}

TEST(AtomicFileWriter, ReadOnlyFilesStayUnlessTheyAreTheProgramsOwn) {
    ScratchFolder folder;
    const std::string users = folder.Write("users.wav", "old");
    fs::permissions(users, fs::perms::owner_read);
    std::string error;
    EXPECT_FALSE(AtomicFileWriter::WriteWhole(users, "new", &error));
    EXPECT_NE(error.find("users.wav"), std::string::npos) << error;
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    EXPECT_EQ(ScratchFolder::Read(users), "old");

    // An undo copy of a read-only file must not block the next undo copy.
    const std::string undo = folder.File("UndoSM.wav");
    ASSERT_TRUE(CopyFileSafely(users, undo, CopyTarget::OwnFile).copied);
    EXPECT_EQ(PermissionsOf(undo), kOwnerReadWrite);
    fs::permissions(undo, fs::perms::owner_read);
    const std::string next = folder.Write("next.wav", "next");
    ASSERT_TRUE(CopyFileSafely(next, undo, CopyTarget::OwnFile).copied);
    EXPECT_EQ(ScratchFolder::Read(undo), "next");
}

TEST(AtomicFileWriter, SymbolicLinksStayLinksAndTheirTargetChanges) {
    ScratchFolder folder;
    fs::create_directories(folder.File("real"));
    const std::string target = folder.Write("real/TempGlyp.cad", "[A]\nk=1\n");
    const std::string link = folder.File("TempGlyp.cad");
    fs::create_symlink("real/TempGlyp.cad", link);

    IniFile ini(link);
    ASSERT_TRUE(ini.Write("A", "k", "2")) << ini.LastError();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ScratchFolder::Read(target), "[A]\nk=2\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.File("real")), fs::directory_iterator()),
              1);
}

TEST(AtomicFileWriter, FailedWritesNameTheFileAndLeaveNothingBehind) {
    ScratchFolder folder;
    fs::create_directories(folder.File("taken.wav"));
    std::string error;
    EXPECT_FALSE(AtomicFileWriter::WriteWhole(folder.File("taken.wav"), "x", &error));
    EXPECT_NE(error.find("taken.wav"), std::string::npos) << error;
    EXPECT_FALSE(AtomicFileWriter::WriteWhole(folder.File("no/folder/a.wav"), "x", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_FALSE(AtomicFileWriter::WriteWhole("", "x", &error));

    AtomicFileWriter unopened(folder.File("b.wav"));
    unopened.Write("x");
    EXPECT_FALSE(unopened.Commit());
    EXPECT_FALSE(fs::exists(folder.File("b.wav")));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(ProfileEdit, ReadsAsTheStoreReadsAndWritesOnlyWhatChanged) {
    std::string text = "[Settings]\nActiveSeg=1 4 // per channel\nActiveCh=noo\n"
                       "Path=\"C:\\a b\"\nLong=0123456789012345678901234567890123456789\n";
    ProfileEdit edit(text);
    EXPECT_EQ(edit.Read("settings", "activeseg", 40), "1 4");
    EXPECT_EQ(edit.Read("Settings", "ActiveCh", 40), std::nullopt);
    EXPECT_EQ(edit.Read("Settings", "Missing", 40), std::nullopt);
    EXPECT_EQ(edit.Read("Settings", "Path", 40), "C:\\a b");
    EXPECT_EQ(edit.Read("Settings", "Long", 40), std::nullopt) << "does not fit";
    EXPECT_EQ(edit.ReadNumber("Settings", "ActiveSeg", 1, -1), 4);
    EXPECT_EQ(edit.ReadNumber("Settings", "ActiveSeg", 5, -1), 4);
    EXPECT_EQ(edit.ReadNumber("Settings", "ActiveCh", 0, -1), -1);

    EXPECT_FALSE(edit.Changed());
    EXPECT_TRUE(edit.Write("Settings", "ActiveSeg", "1 4 // per channel"));
    EXPECT_FALSE(edit.Changed()) << "the same text is no change";
    EXPECT_FALSE(edit.Write("Settings", "Bad", "two\nlines"));
    EXPECT_TRUE(edit.Write("SegmTbl", "LastSegm#0", "4"));
    EXPECT_TRUE(edit.Changed());
    EXPECT_NE(text.find("[SegmTbl]\nLastSegm#0=4\n"), std::string::npos) << text;
}

// A long file sent to the disk piece by piece replaces a long file whole (its space is
// given back after the rename), keeps the old file's permissions and leaves nothing else.
TEST(AtomicFileWriter, LongFileWrittenInPiecesReplacesALongFileWhole) {
    ScratchFolder folder;
    const std::string target = folder.Write("long.wav", std::string(3 << 20, 'o'));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string expected;
    AtomicFileWriter writer(target);
    ASSERT_TRUE(writer.Open());
    writer.StartEachPiece(1 << 20);
    for (char piece = 'a'; piece < 'f'; ++piece) {
        const std::string bytes(700 << 10, piece);
        writer.Write(bytes);
        expected += bytes;
    }
    ASSERT_TRUE(writer.Commit()) << writer.Error();
    EXPECT_TRUE(ScratchFolder::Read(target) == expected);
    EXPECT_EQ(PermissionsOf(target),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}
