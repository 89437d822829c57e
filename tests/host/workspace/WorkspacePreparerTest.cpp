#include "workspace/WorkspacePreparer.h"
#include "app/ComposerApp.h"
#include "core/AppServices.h"
#include "fm/FmSettings.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/IniFile.h"
#include "support/FakeProcessFacts.h"
#include "support/TempWorkspace.h"
#include "workspace/ContextDefaults.h"
#include "workspace/InstallLayout.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A folder to prepare inside a throw-away workspace (for its private registry), and the
// preparer of the shipped families.
class ConsoluxPrepare : public testing::Test {
protected:
    TempWorkspace scratch;
    fs::path root = fs::path(scratch.Folder()) / "prepared";
    WorkspacePreparer preparer{TempWorkspace::FamiliesFolder()};
};

// The keys the tool reads from the context, with the value a fresh one must hold (any
// value where none is given).
const char* const kContextKeys[][3] = {
    {"Instrument", "Family", "QW2182"},  {"Instrument", "Channels", "2"},
    {"Settings", "ActiveCh", "0"},       {"Settings", "ActiveSeg", "1 1"},
    {"Settings", "Rsclk", nullptr},      {"Settings", "Wfmt", nullptr},
    {"Settings", "Sclk", nullptr},       {"Settings", "WformMode", nullptr},
    {"Settings", "FmFuncMode", nullptr}, {"Settings", "FmCarFrq", nullptr},
    {"Settings", "FmDev0", nullptr},     {"Settings", "Ampl", nullptr},
    {"FmSmith", "FmLen", nullptr},       {"FmSmith", "StdFmbase", nullptr},
    {"FmSmith", "FMax", nullptr},        {"FmSmith", "FMin", nullptr}};

} // namespace

TEST_F(ConsoluxPrepare, WritesEveryContextKeyTheToolReadsInThePerUserFolder) {
    const auto workspace =
        preparer.Prepare(root.string(), "QW2182", Workspace::UserTagFor(std::string("alice")));
    ASSERT_TRUE(workspace) << preparer.LastError();
    EXPECT_EQ(workspace->ContextFile(), (root / "$ali" / "TempGlyp.cad").string());
    const IniFile context(workspace->ContextFile());
    for (const auto& [section, key, value] : kContextKeys) {
        const auto read = context.Read(section, key);
        EXPECT_TRUE(read && (value == nullptr || *read == value)) << section << "/" << key;
    }
    EXPECT_TRUE(fs::exists(root / "QW2182.fam"));
    EXPECT_TRUE(fs::exists(root / "G4270.fam"));
}

TEST_F(ConsoluxPrepare, UnknownFamilyLeavesNothingBehind) {
    EXPECT_FALSE(preparer.Prepare(root.string(), "QW9999", "$ali"));
    EXPECT_NE(preparer.LastError().find("QW9999"), std::string::npos);
    EXPECT_FALSE(fs::exists(root));
}

// The demo's --memory: the workspace's family offers what the instrument holds, the
// shipped family stays as it is.
TEST_F(ConsoluxPrepare, MemoryPointsBecomeTheFamilysLongestWaveform) {
    const auto workspace = preparer.Prepare(root.string(), "QW2182", "$ali", 256000000);
    ASSERT_TRUE(workspace) << preparer.LastError();
    EXPECT_EQ(IniFile(workspace->FamilyFile()).Read("Axis", "HRange"), "1024 16 256000000");
    EXPECT_EQ(IniFile(workspace->FamilyFile()).Read("Axis", "resFactor"), "4");
    EXPECT_EQ(IniFile(TempWorkspace::FamiliesFolder() + "/QW2182.fam").Read("Axis", "HRange"),
              "1024 16 16000000");
    ASSERT_TRUE(preparer.Prepare(root.string(), "QW2182", "$ali", 512));
    EXPECT_EQ(IniFile(workspace->FamilyFile()).Read("Axis", "HRange"), "512 16 512");
}

TEST_F(ConsoluxPrepare, PreparingAgainKeepsTheSegmentTableAndResetsTheSettings) {
    const auto first = preparer.Prepare(root.string(), "QW2182", "$ali");
    ASSERT_TRUE(first);
    IniFile context(first->ContextFile());
    context.Write("SegmTbl", "Segm3-0", "/somewhere/TemS3.wa0");
    context.Write("Settings", "ActiveCh", "1");
    ASSERT_TRUE(preparer.Prepare(root.string(), "QW2182", "$ali"));
    EXPECT_EQ(context.Read("SegmTbl", "Segm3-0"), "/somewhere/TemS3.wa0");
    EXPECT_EQ(context.Read("Settings", "ActiveCh"), "0");
}

// The rules themselves are the tool's (ComposerAppTest); the host only has to use them.
TEST_F(ConsoluxPrepare, UserTagAndHostKeyFollowTheToolsNamingRules) {
    EXPECT_EQ(Workspace::UserTagFor(std::string("Alexander")), "$Ale");
    EXPECT_EQ(Workspace::HostKeyFor("g4270x"), "Software\\Quellwerk\\Glyptor3.2");
}

// Every shipped family must give a context with which the tool starts in FM mode
// without a complaint: the base strictly inside the limits and a usable deviation.
TEST_F(ConsoluxPrepare, ToolStartsInFmModeOnEveryShippedFamilyWithoutAMessage) {
    const auto families = InstallLayout(WAVESMITH_BINARY_DIR "/host").FamilyNames();
    ASSERT_FALSE(families.empty());
    for (const auto& family : families) {
        const fs::path folder = root / family;
        ASSERT_TRUE(preparer.Prepare(folder.string(), family, "$ali")) << family;

        RecordingUserInterface ui;
        RecordingHostBus bus;
        FakeProcessFacts facts;
        facts.folder = folder.string();
        facts.userName = "alice";
        facts.commandLine = "/usr/bin/wavesmith FMS";
        ComposerApp app(facts, ui);
        ASSERT_TRUE(app.InitInstance()) << family;
        EXPECT_EQ(app.State().mode, OperatingMode::Fm);
        AppServices services{app.State(), app.Store(), ui, bus};
        FmSettings fm(services, DocumentMode::For(app.State().mode, app.State().wideFmSamples));
        EXPECT_TRUE(fm.LoadLimits()) << family;
        EXPECT_GT(fm.Deviation(), 0.0) << family;
        EXPECT_TRUE(ui.messages.empty()) << family << ": " << ui.messages.front().text;
    }
}

TEST_F(ConsoluxPrepare, ParameterLinesAreReadByField) {
    EXPECT_EQ(ContextDefaults::ParameterField("SCLK 1e9 1e6 1.25e9", 3, 0), 1.25e9);
    EXPECT_EQ(ContextDefaults::ParameterField("SCLK 1e9", 3, 7), 7);
    EXPECT_EQ(ContextDefaults::ParameterField("Segment int 1 256", 1, 7), 7);
    EXPECT_EQ(ContextDefaults::FormatNumber(1e9), "1e9");
    EXPECT_EQ(ContextDefaults::FormatNumber(1.1e7), "1.1e7");
}
