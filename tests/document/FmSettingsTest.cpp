#include "fm/FmSettings.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

namespace {

struct FmFixture {
    explicit FmFixture(const std::string& family = "QW2182")
        : workspace(family, OperatingMode::Fm), fm(workspace.services, workspace.Mode()) {
        fm.onCloseRequest = [this] { closeRequested = true; };
        fm.sendCommand = [this](const std::string& command) { commands.push_back(command); };
    }

    TempWorkspace workspace;
    FmSettings fm;
    bool closeRequested = false;
    std::vector<std::string> commands;
};

} // namespace

TEST(FmSettings, StoredDeviationBeyondTheRoomIsClampedAndWrittenBack) {
    FmFixture f;
    // Base 1 GHz from the sample clock, limits 1 MHz .. 1.25 GHz: 250 MHz of room above.
    f.workspace.SetContext("Settings", "FmDev0", "400e6");
    ASSERT_TRUE(f.fm.LoadLimits());
    EXPECT_EQ(f.fm.Deviation(), 250e6);
    EXPECT_EQ(f.fm.Fmax(), 1.25e9);
    EXPECT_EQ(f.workspace.Context("Settings", "FmDev0"), "2.5e8");
    EXPECT_TRUE(f.workspace.ui.messages.empty());
}

TEST(FmSettings, MissingDeviationIsTenPercentOfTheBase) {
    FmFixture f;
    f.workspace.SetContext("Settings", "FmFuncMode", "1");
    ASSERT_TRUE(f.fm.LoadLimits());
    EXPECT_EQ(f.fm.FunctionMode(), 1);
    EXPECT_EQ(f.fm.Deviation(), 100e6);
    EXPECT_EQ(f.workspace.Context("Settings", "FmDev1"), "1e8");
}

TEST(FmSettings, BaseEqualToALimitFailsWithMessage3000AndAClose) {
    FmFixture f;
    f.workspace.SetContext("Settings", "Sclk", "1.25e9");
    EXPECT_FALSE(f.fm.LoadLimits());
    EXPECT_TRUE(f.closeRequested);
    EXPECT_EQ(f.workspace.ui.MessageIds(), std::vector<int>{3000});
}

TEST(FmSettings, StandardBaseSourceWhenWaveformModeIsZero) {
    FmFixture f;
    f.workspace.SetContext("Settings", "WformMode", "0");
    f.workspace.SetContext("FmSmith", "StdFmbase", "200e6");
    f.workspace.SetContext("Settings", "FmDev0", "1e6");
    ASSERT_TRUE(f.fm.LoadLimits());
    EXPECT_EQ(f.fm.Base(), 200e6);
    EXPECT_EQ(f.fm.Fmin(), 199e6);
    const std::string log = TempWorkspace::ReadFile(f.workspace.state.logFile);
    EXPECT_NE(log.find(" isStdWmode= 0\nfmbase=2e+008\n"), std::string::npos);
}

TEST(FmSettings, ZeroDeviationAfterTheClampFallsBackToTheFamilyCarrier) {
    FmFixture f("G4270");
    // The exact G4270 family takes its base from FmCarFrq, limits 1 kHz .. 100 MHz.
    f.workspace.SetContext("Settings", "FmCarFrq", "100e6");
    ASSERT_TRUE(f.fm.LoadLimits());
    EXPECT_EQ(f.fm.Base(), 10e6);
    EXPECT_EQ(f.fm.Deviation(), 1e6);
    EXPECT_EQ(f.workspace.Context("Settings", "FmCarFrq"), "1e+007");
    ASSERT_EQ(f.workspace.ui.messages.size(), 1u);
    EXPECT_EQ(f.workspace.ui.messages[0].text,
              "Settings conflict\nBase frequency=1e+008 and deviation.\nValues cann't be "
              "corrected automatically and will be set to default");
}

TEST(FmSettings, DeviationFieldAcceptsATouchingLimitAndSendsTheCommand) {
    FmFixture f;
    ASSERT_TRUE(f.fm.LoadLimits());
    EXPECT_EQ(f.fm.SetDeviationFromField("250e6"), "250e6");
    EXPECT_EQ(f.fm.Fmax(), 1.25e9);
    EXPECT_EQ(f.commands, std::vector<std::string>{":FM:DEV 250e6"});
    EXPECT_EQ(f.workspace.Context("Settings", "FmSt0"), "250e6");
    EXPECT_EQ(f.workspace.Context("FmSmith", "FMax"), "1.25e+009");
    EXPECT_EQ(f.workspace.Context("Modif", "Common"), "Yes");

    // Beyond the limit, or not above 0 (which would close or turn over the window): the
    // field shows the previous value again and nothing is written or sent.
    for (const char* refused : {"300e6", "-5", "0", "-0"}) {
        EXPECT_EQ(f.fm.SetDeviationFromField(refused), "2.5e8") << refused;
        EXPECT_EQ(f.fm.Deviation(), 250e6) << refused;
    }
    EXPECT_EQ(f.workspace.ui.MessageIds(), std::vector<int>(4, 3011));
    EXPECT_EQ(f.workspace.Context("FmSmith", "FMin"), "7.5e+008");
    EXPECT_EQ(f.commands.size(), 1u);
}

// Function mode 1 writes its own key; neither it nor the wide variant (whose instrument
// has no deviation command) sends a command.
TEST(FmSettings, OnlyFunctionModeZeroOfTheNormalVariantSendsTheDeviation) {
    const struct {
        const char* family;
        const char* functionMode;
        const char* key;
        bool sent;
    } cases[] = {
        {"QW2182", "0", "FmDev0", true},
        {"QW2182", "1", "FmDev1", false},
        {"G4270", "0", "FmDev0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.family) + " mode " + c.functionMode);
        FmFixture f(c.family);
        f.workspace.SetContext("Settings", "FmFuncMode", c.functionMode);
        ASSERT_TRUE(f.fm.LoadLimits());
        const std::string typed = "12345.6789012345678901";
        f.fm.SetDeviationFromField(typed);
        EXPECT_EQ(f.workspace.Context("Settings", c.key), typed.substr(0, 19));
        // Function mode 0 keeps its start value in both variants.
        const bool modeZero = std::string(c.functionMode) == "0";
        EXPECT_EQ(f.workspace.Context("Settings", "FmSt0"), modeZero ? typed.substr(0, 19) : "");
        EXPECT_EQ(f.commands, c.sent ? std::vector<std::string>{":FM:DEV " + typed.substr(0, 19)}
                                     : std::vector<std::string>());
    }
}

TEST(FmSettings, WideWindowOfAFlatWaveformSpansTenPercent) {
    FmFixture f("G4270");
    ASSERT_TRUE(f.fm.LoadLimits());
    std::vector<std::string> shown;
    f.fm.onDeviationText = [&shown](const std::string& text) { shown.push_back(text); };
    const std::vector<double> flat(100, 1e6);
    EXPECT_EQ(f.fm.RecomputeFmWindow(flat.data(), 100), "100000");
    EXPECT_EQ(shown, std::vector<std::string>{"100000"});
    EXPECT_DOUBLE_EQ(f.fm.Fmin(), 0.9e6);
    EXPECT_DOUBLE_EQ(f.fm.Fmax(), 1.1e6);
    EXPECT_EQ(f.workspace.Context("Settings", "FmDev0"), "100000");
    EXPECT_EQ(f.workspace.Context("Settings", "FmCarFrq"), "1000000");
}
