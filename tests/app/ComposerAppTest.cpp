#include "app/ComposerApp.h"
#include "app/ToolSession.h"
#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "support/FakeProcessFacts.h"
#include "support/TempWorkspace.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// Facts that point the start-up at a prepared workspace whose user folder is "$tst".
FakeProcessFacts FactsFor(const TempWorkspace& workspace, const std::string& commandLine) {
    FakeProcessFacts facts;
    facts.userName = "tst";
    std::string folder = workspace.Folder();
    folder.pop_back();
    facts.folder = folder;
    facts.commandLine = commandLine;
    return facts;
}

} // namespace

TEST(ModeSearch, PlsWinsOverFmsInAnyCase) {
    EXPECT_EQ(ComposerApp::ModeFromCommandLine("WAVESMITH"), OperatingMode::Standard);
    EXPECT_EQ(ComposerApp::ModeFromCommandLine("WAVESMITH FMS"), OperatingMode::Fm);
    EXPECT_EQ(ComposerApp::ModeFromCommandLine("WAVESMITH FMS PLS"), OperatingMode::Pulse);
    EXPECT_EQ(ComposerApp::ModeFromCommandLine("WAVESMITH PLS FMS"), OperatingMode::Pulse);
    // The program's own path is searched too.
    EXPECT_EQ(ComposerApp::ModeFromCommandLine("/OPT/FMSTOOLS/WAVESMITH"), OperatingMode::Fm);
}

TEST(UserTag, KeepsDollarAndAtMostThreeLetters) {
    EXPECT_EQ(ComposerApp::MakeUserTag(std::string("roberta")), "$rob");
    EXPECT_EQ(ComposerApp::MakeUserTag(std::string("al")), "$al");
    EXPECT_EQ(ComposerApp::MakeUserTag(std::string("x")), "$x");
    EXPECT_EQ(ComposerApp::MakeUserTag(std::nullopt), "$Tem");
}

TEST(StartUp, BuildsPathsFamilyAndLogLine) {
    TempWorkspace workspace;
    const FakeProcessFacts facts = FactsFor(workspace, "/usr/bin/wavesmith fms");
    RecordingUserInterface ui;
    ComposerApp app(facts, ui);
    ASSERT_TRUE(app.InitInstance());
    const AppState& state = app.State();
    EXPECT_EQ(state.startupFolder, workspace.Folder());
    EXPECT_EQ(state.userTag, "$tst");
    EXPECT_EQ(state.contextFile, workspace.Folder() + "$tst/TempGlyp.cad");
    EXPECT_EQ(state.familyName, "QW2182");
    EXPECT_EQ(state.familyFile, workspace.Folder() + "QW2182.fam");
    EXPECT_EQ(state.hostKey, "Software\\Quellwerk\\Consolux\\3.1");
    EXPECT_EQ(state.mode, OperatingMode::Fm);
    EXPECT_FALSE(state.wideFmSamples);
    EXPECT_EQ(TempWorkspace::ReadFile(workspace.Folder() + "Glyp.log"),
              "Tolmi cmdLine=/USR/BIN/WAVESMITH FMS\n");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(StartUp, LowerCaseG4270FamilyTakesItsHostKeyAndWideSamplesOnlyInFm) {
    TempWorkspace workspace;
    workspace.SetContext("Instrument", "Family", "g4270b");
    RecordingUserInterface ui;
    const FakeProcessFacts standardFacts = FactsFor(workspace, "wavesmith");
    ComposerApp standard(standardFacts, ui);
    ASSERT_TRUE(standard.InitInstance());
    EXPECT_EQ(standard.State().hostKey, "Software\\Quellwerk\\Glyptor3.2");
    EXPECT_FALSE(standard.State().wideFmSamples);

    const FakeProcessFacts fmFacts = FactsFor(workspace, "wavesmith FMS");
    ComposerApp fm(fmFacts, ui);
    ASSERT_TRUE(fm.InitInstance());
    EXPECT_TRUE(fm.State().wideFmSamples);
}

TEST(StartUp, MissingContextFileShowsInvalidPathAndFails) {
    TempWorkspace workspace;
    std::filesystem::remove(workspace.state.contextFile);
    const FakeProcessFacts facts = FactsFor(workspace, "wavesmith");
    RecordingUserInterface ui;
    ComposerApp app(facts, ui);
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Invalid application path =" + workspace.Folder() + "$tst/TempGlyp.cad");
}

TEST(StartUp, ContextWithoutFamilyFailsLikeAMissingFile) {
    TempWorkspace workspace;
    workspace.SetContext("Instrument", "Family", "noo");
    const FakeProcessFacts facts = FactsFor(workspace, "wavesmith");
    RecordingUserInterface ui;
    ComposerApp app(facts, ui);
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("Invalid application path ="), std::string::npos);
}

TEST(Session, FirstStartCreatesTheDefaultWaveformOfTheActiveSegment) {
    TempWorkspace workspace;
    const FakeProcessFacts facts = FactsFor(workspace, "wavesmith");
    RecordingUserInterface ui;
    RecordingHostBus bus;
    {
        ToolSession session(facts, ui, bus);
        ASSERT_TRUE(session.Start());
        HeadlessView view;
        session.Document().SetView(&view);
        session.Document().LoadActiveSegment();
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
