#include "settings/TemporaryFolderList.h"
#include "settings/AtomicFileWriter.h"
#include "settings/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// A writer notes a folder outside the workspace as it opens, before anything can be left
// there, each folder once however its path is spelt, and never the folders start-up sweeps
// anyway.
TEST(TemporaryFolderList, WritersNoteEachOutsideFolderOnceBeforeTheirTemporaryExists) {
    ScratchFolder workspace;
    ScratchFolder outside;
    fs::create_directory(workspace.File("user"));
    fs::create_directory(outside.File("sub"));
    const std::string list = workspace.File("user/folders.lst");
    TemporaryFolderList::Use(list, {workspace.Path() + "/"});

    EXPECT_TRUE(AtomicFileWriter::WriteWhole(workspace.File("user/own.ini"), "x"));
    EXPECT_TRUE(AtomicFileWriter::WriteWhole(workspace.File("swept.ini"), "x"));
    EXPECT_FALSE(fs::exists(list));

    AtomicFileWriter writer(outside.File("a.wav"));
    ASSERT_TRUE(writer.Open());
    EXPECT_EQ(TemporaryFolderList::Read(list), std::vector<std::string>{outside.Path()});
    EXPECT_TRUE(writer.Commit());
    EXPECT_TRUE(AtomicFileWriter::WriteWhole(outside.Path() + "/./sub/../b.wav", "x"));
    EXPECT_EQ(TemporaryFolderList::Read(list), std::vector<std::string>{outside.Path()});
    TemporaryFolderList::Use("", {});
}

TEST(TemporaryFolderList, KeepsTheNewestFoldersWhenFull) {
    ScratchFolder workspace;
    const std::string list = workspace.File("folders.lst");
    TemporaryFolderList::Use(list, {});
    const std::size_t count = TemporaryFolderList::kMaxFolders + 1;
    for (std::size_t n = 1; n <= count; ++n) {
        TemporaryFolderList::Note("/elsewhere/" + std::to_string(n));
    }
    const std::vector<std::string> kept = TemporaryFolderList::Read(list);
    ASSERT_EQ(kept.size(), TemporaryFolderList::kMaxFolders);
    EXPECT_EQ(kept.front(), "/elsewhere/2");
    EXPECT_EQ(kept.back(), "/elsewhere/" + std::to_string(count));
    TemporaryFolderList::Use("", {});
}
