#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "support/TempWorkspace.h"
#include "synthesis/EquationDialog.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/WaveGeneratorSettings.h"
#include "synthesis/WaveParamDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What a form shows when it opens on the stored range: its end field, and whether that
// range then passes the form's validation.
struct OpenedRange {
    std::string endText;
    bool valid = false;
};

OpenedRange OpenSquareDialog(WaveDoc& document) {
    auto form = GeneratorCommands::CreateParamForm(document, GeneratorCommands::kSquareCommand);
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
        document.SetView(&view);
        document.LoadActiveSegment();
        document.SetLength("16000000");
        ASSERT_EQ(document.Length(), 16000000);
        // The family's defaults: the generator and equation keys are all present, so no
        // form replaces the stored range with its own defaults.
        WaveGeneratorSettings(document, "SmWav_Defpar", "SmWav_Par").LoadParamDefaults();
        workspace.SetContext("SmWav_Par", "Prv_bgn", "0");
    }
    void TearDown() override { document.SetView(nullptr); }

    TempWorkspace workspace;
    WaveDoc document{workspace.services};
    HeadlessView view;
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

INSTANTIATE_TEST_SUITE_P(Forms, GeneratorLongRange,
                         ::testing::Values(&OpenSquareDialog, &OpenEquationEditor),
                         [](const ::testing::TestParamInfo<FormOpener>& info) {
                             return std::string(info.index == 0 ? "SquareDialog"
                                                                : "EquationEditor");
                         });
