#include "GeneratorFixture.h"

#include "synthesis/EquationDialog.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/WaveGeneratorSettings.h"
#include "synthesis/WaveParamDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// What a form shows when it opens on the stored range: its end field, and whether that
// range then passes the form's validation.
struct OpenedRange {
    std::string endText;
    bool valid = false;
};

OpenedRange OpenSquareDialog(WaveDoc& document) {
    auto form =
        GeneratorCommands::CreateParamForm(document, *GeneratorCommands::CommandOfName("square"));
    form->Initialize();
    return {form->Field(1).text, form->ValidateParams()};
}

OpenedRange OpenEquationEditor(WaveDoc& document) {
    EquationDialog form(document);
    form.Initialize();
    return {form.Field(1).text, form.Validate()};
}

using FormOpener = OpenedRange (*)(WaveDoc&);

class GeneratorLongRange : public ::testing::TestWithParam<FormOpener> {
protected:
    void SetUp() override {
        // The family's defaults: the generator and equation keys are all present, so no
        // form replaces the stored range with its own defaults.
        WaveGeneratorSettings(document, "SmWav_Defpar", "SmWav_Par").LoadParamDefaults();
        workspace.SetContext("SmWav_Par", "Prv_bgn", "0");
    }

    GeneratorFixture fixture{"QW2182", OperatingMode::Standard, 16000000};
    TempWorkspace& workspace = fixture.workspace;
    WaveDoc& document = fixture.document;
};

} // namespace

// "1.6e7" is what six significant digits make of 15999999, the last point of a 16 M-point
// waveform: both the generator dialogs and the equation editor open it as that point.
// Anything further past the end, or past it without an exponent, is still refused.
TEST_P(GeneratorLongRange, RoundedEndOfALongWaveformOpensAsTheLastPoint) {
    struct Case {
        const char* stored;
        const char* shown;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"1.6e7", "15999999", true},
        {"1.6E+007", "15999999", true},
        {"1.7e7", "1.7e7", false},
        {"16000000", "16000000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        workspace.SetContext("SmWav_Par", "Prv_end", c.stored);
        workspace.ui.Clear();
        const OpenedRange opened = GetParam()(document);
        EXPECT_EQ(opened.endText, c.shown);
        EXPECT_EQ(opened.valid, c.valid);
        EXPECT_EQ(workspace.ui.messages.empty(), c.valid);
    }
}

// 2^24 points: six significant digits would store the last point 16,777,215 as 16,777,200.
// The first run covers the defaults' range; its OK with an end short of the last point
// moves the stored range on to start 16,777,001, and the second run must again reach the
// last point. Each run overwrites a marker left in the last point.
TEST(GeneratorAnchors, AGenerationReachesTheLastPointOfA16MiPointWaveform) {
    constexpr double kMarker = 12345;
    const std::vector<std::pair<int, GeneratorCommands::FieldTexts>> forms = {
        {*GeneratorCommands::CommandOfName("square"), {{"Wavmin", "-500"}, {"Wavmax", "-500"}}},
        {*GeneratorCommands::CommandOfName("equation"), {{"Equ", "p-500"}}},
    };
    for (const auto& [command, texts] : forms) {
        SCOPED_TRACE(command);
        GeneratorFixture fixture(
            "QW2182", OperatingMode::Standard, 16777216, [](TempWorkspace& workspace) {
                IniFile(workspace.state.familyFile).Write("Axis", "HRange", "1024 16 16777216");
            });
        TempWorkspace& workspace = fixture.workspace;
        WaveDoc& document = fixture.document;
        WaveGeneratorSettings(document, "SmWav_Defpar", "SmWav_Par").LoadParamDefaults();
        EXPECT_EQ(workspace.Context("SmWav_Par", "Prv_end"), "16777215");

        GeneratorCommands::FieldTexts shortRun = texts;
        shortRun.emplace_back("Prv_end", "16777000");
        const std::pair<GeneratorCommands::FieldTexts, bool> runs[] = {
            {texts, true}, {shortRun, false}, {texts, true}};
        for (const auto& [run, reachesLast] : runs) {
            document.EditAllPoints().Store(16777215, kMarker);
            ASSERT_EQ(GeneratorCommands::Run(document, command, run).outcome,
                      GeneratorCommands::Outcome::Done);
            EXPECT_EQ(document.Samples().At(16777215) != kMarker, reachesLast);
            EXPECT_EQ(workspace.Context("SmWav_Par", "Prv_end"), "16777215");
        }
        EXPECT_EQ(workspace.Context("SmWav_Par", "Prv_bgn"), "16777001");
    }
}

// The stored anchor keeps the six-digit text where it is exact and turns into the whole
// point number where it is not, up to the last point of a 256 Mi-point waveform.
TEST(GeneratorAnchors, StoredPointTextIsExactAtEveryLength) {
    const std::vector<std::pair<double, const char*>> cases = {
        {999999, "999999"},       {1000000, "1e6"},       {16777000, "1.6777e7"},
        {16777215, "16777215"},   {16000001, "16000001"}, {268435455, "268435455"},
        {268435000, "2.68435e8"}, {12.5, "12.5"},
    };
    for (const auto& [point, text] : cases) {
        const std::string sixDigits = WaveGeneratorSettings::NumberText(point);
        EXPECT_EQ(WaveGeneratorSettings::PointText(point, sixDigits), text) << point;
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, GeneratorLongRange,
                         ::testing::Values(&OpenSquareDialog, &OpenEquationEditor),
                         [](const ::testing::TestParamInfo<FormOpener>& info) {
                             return std::string(info.index == 0 ? "SquareDialog"
                                                                : "EquationEditor");
                         });
