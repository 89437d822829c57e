#include "DocumentFixture.h"
#include "TraceTestFiles.h"
#include "document/SegmentCommands.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class FileCommandsTest : public DocumentFixture {
protected:
    FileCommandsTest() : segments(document, workspace.services) {}

    void AnswerFile(const std::string& path, int filter = 0) {
        workspace.ui.fileAnswers.push_back(FileChoice{path, filter});
    }

    SegmentCommands segments;
};

} // namespace

TEST_F(FileCommandsTest, SaveWithoutAFileNameActsAsSaveAs) {
    const std::string target = workspace.Folder() + "saved.wav";
    AnswerFile(target);
    files.OnSave();
    EXPECT_EQ(workspace.ui.fileQuestions.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(target), 2048u);
    EXPECT_EQ(document.VisibleFileName(), target);
    EXPECT_EQ(view.title, "Wavesmith -> " + target);
    EXPECT_EQ(workspace.Context("SegmTbl", "Segm1-0"), target);
}

TEST_F(FileCommandsTest, SaveOfATextNameClearsItAndAsksAgain) {
    const std::string text = workspace.Folder() + "values.asc";
    AnswerFile(text, 1);
    ASSERT_TRUE(files.OnSaveAs());
    EXPECT_EQ(document.VisibleFileName(), text);
    EXPECT_EQ(TempWorkspace::ReadFile(text).substr(0, 6), "0 0 0 ");

    // The dialog is cancelled: the name stays cleared, nothing else is written.
    files.OnSave();
    EXPECT_EQ(workspace.ui.fileQuestions.size(), 2u);
    EXPECT_EQ(document.VisibleFileName(), "");
}

TEST_F(FileCommandsTest, SavingIntoTheWorkingFolderNeedsAYes) {
    const std::string inside = workspace.state.userFolder + "/mine.wav";
    AnswerFile(inside);
    workspace.ui.answers.push_back(MessageAnswer::No);
    EXPECT_FALSE(files.OnSaveAs());
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{3010});
    EXPECT_FALSE(std::filesystem::exists(inside));
}

TEST_F(FileCommandsTest, UnwritableTargetIsReportedAndTheOldFileStays) {
    const std::string folder = workspace.Folder() + "locked";
    std::filesystem::create_directory(folder);
    const std::string target = folder + "/old.wav";
    workspace.WriteFile("locked/old.wav", std::string(4, 'x'));
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    // Root may write into a read-only folder; a path below a plain file fails for anyone.
    const std::string unwritable =
        ::geteuid() == 0 ? workspace.WriteFile("plain", "") + "/old.wav" : target;
    document.RememberOpenedFile(unwritable);
    files.OnSave();
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_EQ(TempWorkspace::ReadFile(target), "xxxx");
    EXPECT_EQ(workspace.ui.messages.size(), 1u);
    EXPECT_EQ(document.Length(), 1024);
    EXPECT_EQ(document.VisibleFileName(), unwritable);
}

TEST_F(FileCommandsTest, TwoEditsThenUndoRestoreTheFirstEditAndUndoIsThenDisabled) {
    EXPECT_FALSE(files.CanUndo());
    document.SetLength("2000");
    document.SetLength("3000");
    ASSERT_TRUE(files.CanUndo());
    files.OnUndo();
    EXPECT_EQ(document.Length(), 2000);
    EXPECT_EQ(std::filesystem::file_size(Working()), 4000u);
    EXPECT_FALSE(files.CanUndo());
    // After Undo the waveform lives in the working file only.
    EXPECT_EQ(document.VisibleFileName(), "");
}

// The table entry is absolute whatever path the user typed.
TEST_F(FileCommandsTest, OpenConvertsTextAndKeepsTheWorkingFileAndTheTableInStep) {
    workspace.WriteFile("in.asc", "1.9 -1.9 3 4");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(workspace.Folder());
    AnswerFile(".//sub/../in.asc", 1);
    const bool opened = files.OnOpen();
    std::filesystem::current_path(previous);
    ASSERT_TRUE(opened);
    ASSERT_EQ(document.Length(), 4);
    EXPECT_EQ(document.Samples().Codes16()[0], 1);
    EXPECT_EQ(document.Samples().Codes16()[1], -1);
    EXPECT_EQ(std::filesystem::file_size(Working()), 8u);
    const std::string binary =
        std::filesystem::path(workspace.Folder() + "in.wav").lexically_normal().string();
    EXPECT_EQ(workspace.Context("SegmTbl", "Segm1-0"), binary);
    EXPECT_EQ(document.CurrentPath(), binary);
    EXPECT_TRUE(files.CanUndo());
    files.OnUndo();
    EXPECT_EQ(document.Length(), 1024);
}

// Cancel at the first report of a text or trace import: the document, its working file, the
// context file and the undo step (none, or the one an earlier change left) are as they were,
// and no message is shown.
TEST_F(FileCommandsTest, CancelledOpenLeavesDocumentAndUndoStepAsTheyWereAndAnOpenReplacesIt) {
    for (const bool undoBefore : {false, true}) {
        const std::pair<std::string, std::string> sources[] = {
            {"in.asc", "1 2 3 4"},
            {"in.csv", "Time,V\n0,1\n1,2\n"},
            {"in.trc", BuildTrace({.points = {1, 2}})}};
        for (const auto& [file, contents] : sources) {
            SCOPED_TRACE(file + (undoBefore ? " after a change" : ""));
            if (undoBefore) {
                document.SetLength("2000");
            }
            workspace.ui.Clear();
            const std::string undoPath = document.Undo().Path();
            const bool couldUndo = files.CanUndo();
            const std::string undoBytes = couldUndo ? TempWorkspace::ReadFile(undoPath) : "";
            const std::string workingBytes = TempWorkspace::ReadFile(Working());
            const std::string context = TempWorkspace::ReadFile(workspace.state.contextFile);
            const double length = document.Length();
            AnswerFile(workspace.WriteFile(file, contents));
            workspace.ui.cancelAtReport = 0;

            EXPECT_FALSE(files.OnOpen());
            EXPECT_EQ(workspace.ui.progressTitles, std::vector<std::string>{"Importing " + file});
            EXPECT_TRUE(workspace.ui.messages.empty());
            EXPECT_EQ(document.Length(), length);
            EXPECT_TRUE(TempWorkspace::ReadFile(Working()) == workingBytes);
            EXPECT_EQ(TempWorkspace::ReadFile(workspace.state.contextFile), context);
            EXPECT_FALSE(std::filesystem::exists(workspace.Folder() + "in.wav"));
            ASSERT_EQ(files.CanUndo(), couldUndo);
            if (couldUndo) {
                EXPECT_TRUE(TempWorkspace::ReadFile(undoPath) == undoBytes);
            }
            EXPECT_FALSE(std::filesystem::exists(undoPath + ".aside"));
        }
    }
    // Not cancelled, the Open replaces the undo step with the waveform from before it.
    const std::string before = TempWorkspace::ReadFile(Working());
    AnswerFile(workspace.Folder() + "in.asc", 1);
    workspace.ui.cancelAtReport = -1;
    ASSERT_TRUE(files.OnOpen());
    EXPECT_EQ(document.Length(), 4);
    EXPECT_TRUE(TempWorkspace::ReadFile(document.Undo().Path()) == before);
    EXPECT_FALSE(std::filesystem::exists(document.Undo().Path() + ".aside"));
}

TEST_F(FileCommandsTest, OpenOfAnUnreadableTraceShowsMessage3014) {
    const std::string trace = workspace.WriteFile("scope.trc", "not a trace at all");
    AnswerFile(trace, 4);
    EXPECT_FALSE(files.OnOpen());
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{3014});
    EXPECT_EQ(document.Length(), 1024);
}

TEST_F(FileCommandsTest, SegmentAndChannelSwitchesKeepEachWaveformAndDropTheUndo) {
    document.SetLength("2000");
    ASSERT_TRUE(files.CanUndo());
    segments.OnSegmentField("2");
    EXPECT_EQ(document.Length(), 1024);
    EXPECT_FALSE(files.CanUndo());
    segments.OnSegmentField("1");
    EXPECT_EQ(document.Length(), 2000);
    segments.OnChannelCommand(SegmentCommands::kChannel2Command);
    EXPECT_EQ(workspace.state.activeChannel, 1);
    EXPECT_EQ(document.Length(), 1024);
    EXPECT_TRUE(segments.ChannelCommandChecked(SegmentCommands::kChannel2Command));
    EXPECT_EQ(workspace.Context("Settings", "ActiveSeg"), "1 1");
}

TEST_F(FileCommandsTest, ResyncFollowsTheHostsChoiceOfSegment) {
    workspace.SetContext("Settings", "ActiveSeg", "7 1");
    segments.Resync();
    EXPECT_EQ(workspace.state.activeSegment, 7);
    EXPECT_EQ(document.CurrentPath(), workspace.state.userFolder + "/TemS7.wa0");
    EXPECT_EQ(view.segmentText, "7");
}

TEST_F(FileCommandsTest, ChangeWithoutAWritableUndoCopyIsRefusedAndNothingChanges) {
    // A folder in the way of the undo file makes its copy fail, even for the superuser.
    std::filesystem::create_directory(document.Undo().Path());
    const std::string before = TempWorkspace::ReadFile(Working());
    document.SetLength("2000");
    EXPECT_FALSE(files.OnNew());
    EXPECT_EQ(document.Length(), 1024);
    EXPECT_EQ(TempWorkspace::ReadFile(Working()), before);
    ASSERT_EQ(workspace.ui.messages.size(), 2u);
    EXPECT_NE(workspace.ui.messages[0].text.find("undo copy could not be written"),
              std::string::npos);
    EXPECT_TRUE(document.WriteFailed());
}

TEST_F(FileCommandsTest, ReadOnlyWorkingFileRefusesChangesAndUndoAndKeepsTheUndoStep) {
    document.SetLength("2000");
    ASSERT_EQ(std::filesystem::file_size(document.Undo().Path()), 2048u);
    // A working file without its owner's write bit is refused, even to the superuser.
    std::filesystem::permissions(Working(), std::filesystem::perms::owner_read);
    workspace.ui.Clear();
    document.SetLength("3000");
    EXPECT_EQ(document.Length(), 2000);
    EXPECT_EQ(std::filesystem::file_size(Working()), 4000u);
    EXPECT_EQ(std::filesystem::file_size(document.Undo().Path()), 2048u)
        << "a change bound to fail keeps the previous undo step";
    ASSERT_EQ(workspace.ui.messages.size(), 1u);
    EXPECT_NE(workspace.ui.messages[0].text.find("TemS1.wa0: Permission denied"), std::string::npos)
        << workspace.ui.messages[0].text;

    EXPECT_FALSE(files.OnUndo());
    EXPECT_EQ(std::filesystem::file_size(Working()), 4000u);
    EXPECT_TRUE(files.CanUndo());
    EXPECT_TRUE(document.WriteFailed());
}

TEST_F(FileCommandsTest, SegmentChoiceTheContextCannotRecordIsNeitherSentNorLoaded) {
    std::vector<int> sent;
    segments.sendSegmentCommand = [&sent](int segment) { sent.push_back(segment); };
    document.SetLength("2000");
    std::filesystem::permissions(workspace.state.contextFile, std::filesystem::perms::owner_read);
    segments.OnSegmentField("2");
    std::filesystem::permissions(workspace.state.contextFile,
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::owner_write);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(workspace.state.activeSegment, 1);
    EXPECT_EQ(view.segmentText, "1");
    EXPECT_EQ(document.Length(), 2000);
    EXPECT_TRUE(files.CanUndo()) << "no switch, so the undo step stays";
}

TEST_F(FileCommandsTest, ExportKeepsToTheModesTypesAndAsksBeforeReplacing) {
    const std::string existing = workspace.WriteFile("old.asc", "keep");
    workspace.ui.answers.push_back(MessageAnswer::No);
    EXPECT_FALSE(files.ExportTo(existing));
    EXPECT_EQ(TempWorkspace::ReadFile(existing), "keep");
    workspace.ui.answers.push_back(MessageAnswer::Yes);
    EXPECT_TRUE(files.ExportTo(existing));
    EXPECT_EQ(TempWorkspace::ReadFile(existing).substr(0, 4), "0 0 ");

    workspace.ui.Clear();
    EXPECT_FALSE(files.ExportTo(workspace.Folder() + "codes.wvf"));
    EXPECT_FALSE(std::filesystem::exists(workspace.Folder() + "codes.wvf"));
    EXPECT_EQ(workspace.ui.MessageIds(), std::vector<int>{3009});
}
