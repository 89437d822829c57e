#include "DocumentFixture.h"
#include "fm/FmSettings.h"
#include "support/ReplacementCounter.h"
#include "support/TempWorkspace.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

// Keys that belong together (a segment's table entry and its modification mark, the FM
// window's deviation and carrier) must change in one rewrite of the context file: a run
// killed between two rewrites would leave a state that no command produces.

using ContextRewriteTest = DocumentFixture;

TEST_F(ContextRewriteTest, SaveEntersTheFileAndChangesItsMarkInOneRewrite) {
    struct Row {
        const char* name;
        int filter; // -1: Save to a name already known
        const char* mark;
    };
    const Row rows[] = {
        {"saved.wav", -1, ""},      // Save: the mark goes after the entry set it
        {"saved-as.wav", 0, "Yes"}, // Save As: it goes before the entry sets it again
        {"saved-as.asc", 1, "Yes"}, // text: the entry's mark stays
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string target = workspace.Folder() + row.name;
        ReplacementCounter rewrites(workspace.state.contextFile);
        if (row.filter < 0) {
            document.RememberOpenedFile(target);
            ASSERT_TRUE(files.OnSave());
        } else {
            workspace.ui.fileAnswers.push_back(FileChoice{target, row.filter});
            ASSERT_TRUE(files.OnSaveAs());
        }
        EXPECT_EQ(workspace.Context("SegmTbl", "Segm1-0"), target);
        EXPECT_EQ(workspace.Context("Modif", "Segm1-0"), row.mark);
        EXPECT_EQ(rewrites.Count(), 1);
    }
}

TEST_F(ContextRewriteTest, OpenRefusesAReadOnlyContextFileBeforeTouchingAnyFile) {
    const std::string working = Working();
    const std::string before = TempWorkspace::ReadFile(working);
    workspace.WriteFile("in.wav", std::string(8, '\1'));
    std::filesystem::permissions(workspace.state.contextFile, std::filesystem::perms::owner_read);
    workspace.ui.fileAnswers.push_back(FileChoice{workspace.Folder() + "in.wav", 0});
    EXPECT_FALSE(files.OnOpen());
    EXPECT_TRUE(TempWorkspace::ReadFile(working) == before) << "the working file changed";
    EXPECT_FALSE(std::filesystem::exists(workspace.state.userFolder + "/UndoSM.wav"));
    EXPECT_EQ(document.Length(), 1024);
    ASSERT_EQ(workspace.ui.messages.size(), 1u);
    EXPECT_NE(workspace.ui.messages[0].text.find(workspace.state.contextFile), std::string::npos);
    EXPECT_TRUE(workspace.services.store.WriteFailed());
}

// The wide variant takes the window from the samples; the deviation field sets it. The
// keys they write are FmSettings' (WideWindowOfAFlatWaveformSpansTenPercent,
// OnlyFunctionModeZeroOfTheNormalVariantSendsTheDeviation).
TEST(ContextRewrite, AnFmWindowChangesInOneRewrite) {
    for (const char* family : {"G4270", "QW2182"}) {
        SCOPED_TRACE(family);
        TempWorkspace workspace(family, OperatingMode::Fm);
        FmSettings fm(workspace.services, workspace.Mode());
        ASSERT_TRUE(fm.LoadLimits());
        ReplacementCounter rewrites(workspace.state.contextFile);
        const std::vector<double> ramp{1e6, 2e6};
        workspace.state.wideFmSamples ? fm.RecomputeFmWindow(ramp.data(), 2)
                                      : fm.SetDeviationFromField("250e6");
        EXPECT_EQ(rewrites.Count(), 1);
    }
}
