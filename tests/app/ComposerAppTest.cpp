#include "app/ComposerApp.h"
#include "app/ToolSession.h"
#include "document/HeadlessView.h"
#include "document/SegmentCommands.h"
#include "document/WaveDoc.h"
#include "platform/recording/RecordingHostBus.h"
#include "support/TempWorkspace.h"
#include "support/WorkspaceFacts.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

TEST(ModeSearch, PlsWinsOverFmsInAnyCase) {
    EXPECT_EQ(ModeOfCommandLine("WAVESMITH"), OperatingMode::Standard);
    EXPECT_EQ(ModeOfCommandLine("WAVESMITH FMS"), OperatingMode::Fm);
    EXPECT_EQ(ModeOfCommandLine("WAVESMITH FMS PLS"), OperatingMode::Pulse);
    EXPECT_EQ(ModeOfCommandLine("WAVESMITH PLS FMS"), OperatingMode::Pulse);
    // The program's own path is searched too.
    EXPECT_EQ(ModeOfCommandLine("/OPT/FMSTOOLS/WAVESMITH"), OperatingMode::Fm);
}

TEST(UserTag, KeepsDollarAndAtMostThreeLetters) {
    EXPECT_EQ(ComposerApp::MakeUserTag(std::string("roberta")), "$rob");
    EXPECT_EQ(ComposerApp::MakeUserTag(std::string("al")), "$al");
    EXPECT_EQ(ComposerApp::MakeUserTag(std::string("x")), "$x");
    EXPECT_EQ(ComposerApp::MakeUserTag(std::nullopt), "$Tem");
}

class StartUp : public ::testing::Test {
protected:
    // Starts the application on the workspace as if launched with commandLine.
    bool Start(const std::string& commandLine) {
        app_.reset(); // it holds the facts of an earlier start
        facts_.emplace(workspace, commandLine);
        app_.emplace(*facts_, workspace.ui);
        return app_->InitInstance();
    }
    const AppState& State() { return app_->State(); }

    TempWorkspace workspace;

private:
    std::optional<WorkspaceFacts> facts_;
    std::optional<ComposerApp> app_;
};

TEST_F(StartUp, BuildsPathsFamilyAndLogLine) {
    ASSERT_TRUE(Start("/usr/bin/wavesmith fms"));
    EXPECT_EQ(State().startupFolder, workspace.Folder());
    EXPECT_EQ(State().userTag, "$tst");
    EXPECT_EQ(State().contextFile, workspace.Folder() + "$tst/TempGlyp.cad");
    EXPECT_EQ(State().familyName, "QW2182");
    EXPECT_EQ(State().familyFile, workspace.Folder() + "QW2182.fam");
    EXPECT_EQ(State().hostKey, "Software\\Quellwerk\\Consolux\\3.1");
    EXPECT_EQ(State().mode, OperatingMode::Fm);
    EXPECT_FALSE(State().wideFmSamples);
    EXPECT_EQ(TempWorkspace::ReadFile(workspace.Folder() + "Glyp.log"),
              "Tolmi cmdLine=/USR/BIN/WAVESMITH FMS\n");
    EXPECT_TRUE(workspace.ui.messages.empty());
}

TEST_F(StartUp, LowerCaseG4270FamilyTakesItsHostKeyAndWideSamplesOnlyInFm) {
    workspace.SetContext("Instrument", "Family", "g4270b");
    ASSERT_TRUE(Start("wavesmith"));
    EXPECT_EQ(State().hostKey, "Software\\Quellwerk\\Glyptor3.2");
    EXPECT_FALSE(State().wideFmSamples);
    ASSERT_TRUE(Start("wavesmith FMS"));
    EXPECT_TRUE(State().wideFmSamples);
}

// A context file without a known family fails like a missing one.
TEST_F(StartUp, MissingContextFileOrFamilyShowsInvalidPathAndFails) {
    workspace.SetContext("Instrument", "Family", "noo");
    EXPECT_FALSE(Start("wavesmith"));
    std::filesystem::remove(workspace.state.contextFile);
    EXPECT_FALSE(Start("wavesmith"));
    ASSERT_EQ(workspace.ui.messages.size(), 2u);
    for (const auto& message : workspace.ui.messages) {
        EXPECT_EQ(message.text,
                  "Invalid application path =" + workspace.Folder() + "$tst/TempGlyp.cad");
    }
}

// What killed runs leave goes at the next start-up: the generator's snapshot, the column
// import's scratch file, the writer's temporaries of gone processes in the workspace and
// in the folders where this user's runs wrote (an export, a Save As).
TEST_F(StartUp, RemovesWhatKilledRunsLeft) {
    const std::string leftovers[] = {"$tst/orgWave.tmp", "$$.asc", "~$ws999999999-0.part",
                                     "$tst/~$ws999999999-1.part", "docs/~$ws999999999-2.part"};
    std::filesystem::create_directory(workspace.Folder() + "docs");
    for (const std::string& name : leftovers) {
        workspace.WriteFile(name, "x");
    }
    workspace.WriteFile("$tst/WriteFolders.lst", workspace.Folder() + "docs\n");
    ASSERT_TRUE(Start("wavesmith"));
    for (const std::string& name : leftovers) {
        EXPECT_FALSE(std::filesystem::exists(workspace.Folder() + name)) << name;
    }
}

TEST(Session, FirstStartCreatesTheDefaultWaveformOfTheActiveSegment) {
    TempWorkspace workspace;
    const WorkspaceFacts facts(workspace, "wavesmith");
    RecordingHostBus& bus = workspace.bus;
    {
        ToolSession session(facts, workspace.ui, bus);
        ASSERT_TRUE(session.Start());
        HeadlessView view;
        session.Document().SetView(&view);
        session.Segments().OpenActiveSegment();
        EXPECT_EQ(session.Document().Length(), 1024);
        const std::string working = workspace.Folder() + "$tst/TemS1.wa0";
        EXPECT_EQ(std::filesystem::file_size(working), 2048u);
        EXPECT_EQ(workspace.Context("SegmTbl", "Segm1-0"), working);
        EXPECT_EQ(workspace.Context("Modif", "Segm1-0"), "Yes");
        session.Document().SetView(nullptr);
    }
    // Closing tells the host with code 5.
    ASSERT_FALSE(bus.posted.empty());
    EXPECT_EQ(bus.posted.back(), 5);
}
