#include "workspace/WorkspacePreparer.h"
#include "app/ComposerApp.h"
#include "core/AppServices.h"
#include "core/ProcessFacts.h"
#include "fm/FmSettings.h"
#include "platform/recording/RecordingHostBus.h"
#include "platform/recording/RecordingUserInterface.h"
#include "settings/IniFile.h"
#include "support/TempWorkspace.h"
#include "workspace/ContextDefaults.h"
#include "workspace/InstallLayout.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The start of a tool run in the prepared folder, as the host starts it.
class ToolStartFacts : public ProcessFacts {
public:
    ToolStartFacts(std::string folder, std::string user, std::string commandLine)
        : folder_(std::move(folder)), user_(std::move(user)), commandLine_(std::move(commandLine)) {
    }
    std::optional<std::string> LogonUserName() const override { return user_; }
    std::string CurrentFolder() const override { return folder_; }
    std::string FullCommandLine() const override { return commandLine_; }

private:
    std::string folder_, user_, commandLine_;
};

struct PreparedFolder {
    PreparedFolder() : root(fs::path(scratch.Folder()) / "prepared") {}
    TempWorkspace scratch; // a private registry and a folder that is removed afterwards
    fs::path root;
};

const char* const kContextKeys[][2] = {
    {"Instrument", "Family"},  {"Instrument", "Channels"}, {"Settings", "ActiveCh"},
    {"Settings", "ActiveSeg"}, {"Settings", "Rsclk"},      {"Settings", "Wfmt"},
    {"Settings", "Sclk"},      {"Settings", "WformMode"},  {"Settings", "FmFuncMode"},
    {"Settings", "FmCarFrq"},  {"Settings", "FmDev0"},     {"Settings", "Ampl"},
    {"FmSmith", "FmLen"},      {"FmSmith", "StdFmbase"},   {"FmSmith", "FMax"},
    {"FmSmith", "FMin"}};

} // namespace

TEST(ConsoluxPrepare, WritesEveryContextKeyTheToolReadsInThePerUserFolder) {
    PreparedFolder folder;
    WorkspacePreparer preparer(TempWorkspace::FamiliesFolder());
    const auto workspace = preparer.Prepare(folder.root.string(), "QW2182",
                                            Workspace::UserTagFor(std::string("alice")));
    ASSERT_TRUE(workspace) << preparer.LastError();
    EXPECT_EQ(workspace->ContextFile(), (folder.root / "$ali" / "TempGlyp.cad").string());
    const IniFile context(workspace->ContextFile());
    for (const auto& [section, key] : kContextKeys) {
        EXPECT_TRUE(context.Read(section, key)) << section << "/" << key;
    }
    EXPECT_EQ(context.Read("Instrument", "Family"), "QW2182");
    EXPECT_EQ(context.Read("Instrument", "Channels"), "2");
    EXPECT_EQ(context.Read("Settings", "ActiveCh"), "0");
    EXPECT_EQ(context.Read("Settings", "ActiveSeg"), "1 1");
    EXPECT_TRUE(fs::exists(folder.root / "QW2182.fam"));
    EXPECT_TRUE(fs::exists(folder.root / "G4270.fam"));
}

TEST(ConsoluxPrepare, ShortAndMissingUserNamesGiveTheToolsUserTag) {
    EXPECT_EQ(Workspace::UserTagFor(std::string("bo")), "$bo");
    EXPECT_EQ(Workspace::UserTagFor(std::string("Alexander")), "$Ale");
    EXPECT_EQ(Workspace::UserTagFor(std::nullopt), "$Tem");
}

TEST(ConsoluxPrepare, UnknownFamilyLeavesNothingBehind) {
    PreparedFolder folder;
    WorkspacePreparer preparer(TempWorkspace::FamiliesFolder());
    EXPECT_FALSE(preparer.Prepare(folder.root.string(), "QW9999", "$ali"));
    EXPECT_NE(preparer.LastError().find("QW9999"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder.root));
}

TEST(ConsoluxPrepare, PreparingAgainKeepsTheSegmentTableAndResetsTheSettings) {
    PreparedFolder folder;
    WorkspacePreparer preparer(TempWorkspace::FamiliesFolder());
    const auto first = preparer.Prepare(folder.root.string(), "QW2182", "$ali");
    ASSERT_TRUE(first);
    IniFile context(first->ContextFile());
    context.Write("SegmTbl", "Segm3-0", "/somewhere/TemS3.wa0");
    context.Write("Settings", "ActiveCh", "1");
    ASSERT_TRUE(preparer.Prepare(folder.root.string(), "QW2182", "$ali"));
    EXPECT_EQ(context.Read("SegmTbl", "Segm3-0"), "/somewhere/TemS3.wa0");
    EXPECT_EQ(context.Read("Settings", "ActiveCh"), "0");
}

TEST(ConsoluxPrepare, HostKeyFollowsTheWideFamilyRule) {
    EXPECT_EQ(Workspace::HostKeyFor("QW2182"), "Software\\Quellwerk\\Consolux\\3.1");
    EXPECT_EQ(Workspace::HostKeyFor("G4270"), "Software\\Quellwerk\\Glyptor3.2");
    EXPECT_EQ(Workspace::HostKeyFor("g4270x"), "Software\\Quellwerk\\Glyptor3.2");
}

// Every shipped family must give a context with which the tool starts in FM mode
// without a complaint: the base strictly inside the limits and a usable deviation.
TEST(ConsoluxPrepare, ToolStartsInFmModeOnEveryShippedFamilyWithoutAMessage) {
    const auto families = InstallLayout(WAVESMITH_BINARY_DIR "/host").FamilyNames();
    ASSERT_FALSE(families.empty());
    for (const auto& family : families) {
        PreparedFolder folder;
        WorkspacePreparer preparer(TempWorkspace::FamiliesFolder());
        ASSERT_TRUE(preparer.Prepare(folder.root.string(), family, "$ali")) << family;

        RecordingUserInterface ui;
        RecordingHostBus bus;
        ToolStartFacts facts(folder.root.string(), "alice", "/usr/bin/wavesmith FMS");
        ComposerApp app(facts, ui);
        ASSERT_TRUE(app.InitInstance()) << family;
        EXPECT_EQ(app.State().mode, OperatingMode::Fm);
        AppServices services{app.State(), app.Store(), ui, bus};
        FmSettings fm(services);
        EXPECT_TRUE(fm.LoadLimits()) << family;
        EXPECT_GT(fm.deviation, 0.0) << family;
        EXPECT_TRUE(ui.messages.empty()) << family << ": " << ui.messages.front().text;
    }
}

TEST(ConsoluxPrepare, ParameterLinesAreReadByField) {
    EXPECT_EQ(ContextDefaults::ParameterField("SCLK 1e9 1e6 1.25e9", 3, 0), 1.25e9);
    EXPECT_EQ(ContextDefaults::ParameterField("SCLK 1e9", 3, 7), 7);
    EXPECT_EQ(ContextDefaults::ParameterField("Segment int 1 256", 1, 7), 7);
    EXPECT_EQ(ContextDefaults::FormatNumber(1e9), "1e9");
    EXPECT_EQ(ContextDefaults::FormatNumber(1.1e7), "1.1e7");
}
