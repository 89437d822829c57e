#include "FormatsTestFiles.h"

#include "document/FileChooser.h"
#include "document/FileCommands.h"
#include "document/HeadlessView.h"
#include "document/TextImport.h"
#include "document/WaveDoc.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Text of a few megabytes, read in several pieces: spaced numbers or records of two.
std::string LargeText(bool columns) {
    std::string text = columns ? "Time,Volt\n" : "";
    for (int i = 0; i < 400000; ++i) {
        text += columns ? "7,-1234\r\n" : "-1234\r\n";
    }
    return text;
}

struct ImportKind {
    const char* file;
    int filter; // the open dialog's filter of the file type
};
constexpr ImportKind kImports[] = {{"in.asc", 1}, {"in.csv", 2}};

class ImportProgressTest : public ::testing::Test {
protected:
    ImportProgressTest()
        : document(workspace.services), chooser(workspace.state, workspace.ui),
          files(document, chooser) {
        document.SetView(&view);
        document.LoadActiveSegment();
        workspace.ui.Clear();
    }
    ~ImportProgressTest() override { document.SetView(nullptr); }

    std::string PathOf(const std::string& name) const { return workspace.Folder() + name; }
    std::string Working() const { return workspace.state.userFolder + "/TemS1.wa0"; }
    std::string Convert(const ImportKind& kind, const std::string& text,
                        TextImportProblem& problem) {
        const std::string source = PathOf(kind.file);
        WriteBytes(source, text);
        const std::unique_ptr<ProgressDisplay> display = workspace.ui.BeginProgress(kind.file);
        const ImportProgress progress = [&display](double done) { return display->Report(done); };
        return kind.filter == 1
                   ? TextImport::ConvertSpaced(source, SampleKind::Code16, &problem, progress)
                   : TextImport::ConvertColumns(source, PathOf("$$.asc"), {0, 1}, &problem,
                                                progress);
    }

    TempWorkspace workspace;
    HeadlessView view;
    WaveDoc document;
    FileChooser chooser;
    FileCommands files;
};

} // namespace

TEST_F(ImportProgressTest, ReportsRiseToTheEndOverBothPassesOfAColumnImport) {
    for (const ImportKind& kind : kImports) {
        SCOPED_TRACE(kind.file);
        workspace.ui.Clear();
        TextImportProblem problem;
        EXPECT_EQ(Convert(kind, LargeText(kind.filter == 2), problem), PathOf("in.wav"));
        const std::vector<double>& reports = workspace.ui.progressReports;
        ASSERT_GE(reports.size(), 2u);
        EXPECT_LT(reports.front(), 1.0);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
        EXPECT_DOUBLE_EQ(reports.back(), 1.0);
    }
}

// A cancel at the first or the very last report (in the second pass of a column import)
// leaves an earlier binary file of the target's name as it was, and no scratch file.
TEST_F(ImportProgressTest, CancelledConversionLeavesTheTargetAsItWas) {
    for (const ImportKind& kind : kImports) {
        workspace.ui.Clear();
        TextImportProblem uncancelled;
        Convert(kind, LargeText(kind.filter == 2), uncancelled);
        const int reports = static_cast<int>(workspace.ui.progressReports.size());
        for (const int cancelAt : {0, reports - 1}) {
            SCOPED_TRACE(std::string(kind.file) + " cancel at " + std::to_string(cancelAt));
            workspace.ui.Clear();
            workspace.ui.cancelAtReport = cancelAt;
            WriteBytes(PathOf("in.wav"), "earlier");
            TextImportProblem problem;
            EXPECT_EQ(Convert(kind, LargeText(kind.filter == 2), problem), "");
            EXPECT_EQ(problem.GetKind(), TextImportProblem::Kind::Cancelled);
            EXPECT_EQ(workspace.ui.progressReports.size(), static_cast<std::size_t>(cancelAt + 1));
            EXPECT_TRUE(ReadBytes(PathOf("in.wav")) == "earlier");
            EXPECT_FALSE(std::filesystem::exists(PathOf("$$.asc")));
        }
    }
}

// Cancel at the first report: the document, its working file and the undo step (none, or
// the one an earlier change left) are as they were, and no message is shown.
TEST_F(ImportProgressTest, CancelledOpenLeavesDocumentAndUndoStepAsTheyWereAndAnOpenReplacesIt) {
    for (const bool undoBefore : {false, true}) {
        for (const ImportKind& kind : kImports) {
            SCOPED_TRACE(std::string(kind.file) + (undoBefore ? " after a change" : ""));
            if (undoBefore) {
                document.SetLength("2000");
            }
            workspace.ui.Clear();
            const std::string undoPath = document.Undo().Path();
            const bool couldUndo = files.CanUndo();
            const std::string undoBytes = couldUndo ? ReadBytes(undoPath) : "";
            const std::string workingBytes = ReadBytes(Working());
            const double length = document.Length();
            const std::string source = PathOf(kind.file);
            WriteBytes(source, kind.filter == 2 ? "Time,V\n0,1\n1,2\n" : "1 2 3 4");
            workspace.ui.fileAnswers.push_back(FileChoice{source, kind.filter});
            workspace.ui.cancelAtReport = 0;

            EXPECT_FALSE(files.OnOpen());
            EXPECT_EQ(workspace.ui.progressTitles,
                      std::vector<std::string>{std::string("Importing ") + kind.file});
            EXPECT_TRUE(workspace.ui.messages.empty());
            EXPECT_EQ(document.Length(), length);
            EXPECT_TRUE(ReadBytes(Working()) == workingBytes);
            EXPECT_FALSE(std::filesystem::exists(PathOf("in.wav")));
            ASSERT_EQ(files.CanUndo(), couldUndo);
            if (couldUndo) {
                EXPECT_TRUE(ReadBytes(undoPath) == undoBytes);
            }
            EXPECT_FALSE(std::filesystem::exists(undoPath + ".aside"));
        }
    }
    // Not cancelled, the Open replaces the undo step with the waveform from before it.
    const std::string before = ReadBytes(Working());
    workspace.ui.fileAnswers.push_back(FileChoice{PathOf("in.asc"), 1});
    workspace.ui.cancelAtReport = -1;
    ASSERT_TRUE(files.OnOpen());
    EXPECT_EQ(document.Length(), 4);
    EXPECT_TRUE(ReadBytes(document.Undo().Path()) == before);
    EXPECT_FALSE(std::filesystem::exists(document.Undo().Path() + ".aside"));
}
