#include "document/HeadlessView.h"
#include "document/WaveDoc.h"
#include "support/TempWorkspace.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/WaveParamDialog.h"

#include <gtest/gtest.h>

// On a 16 M-point waveform the stored range "0 .. 1.6e7" (six significant digits of
// 15999999) must open as the whole waveform, not as a range past its end.
TEST(GeneratorLongRange, RoundedEndOfALongWaveformOpensAsTheLastPoint) {
    TempWorkspace workspace;
    WaveDoc document(workspace.services);
    HeadlessView view;
    document.SetView(&view);
    document.LoadActiveSegment();
    document.SetLength("16000000");
    ASSERT_EQ(document.Length(), 16000000);
    workspace.SetContext("SmWav_Par", "Prv_bgn", "0");
    workspace.SetContext("SmWav_Par", "Prv_end", "1.6e7");
    workspace.ui.Clear();

    auto form = GeneratorCommands::CreateParamForm(document, GeneratorCommands::kSquareCommand);
    ASSERT_NE(form, nullptr);
    form->Initialize();
    EXPECT_EQ(form->Field(1).text, "15999999");
    EXPECT_TRUE(form->ValidateParams());
    EXPECT_TRUE(workspace.ui.messages.empty());

    // A stored end past the last point by more than the rounding is still refused.
    workspace.SetContext("SmWav_Par", "Prv_end", "1.7e7");
    auto again = GeneratorCommands::CreateParamForm(document, GeneratorCommands::kSquareCommand);
    again->Initialize();
    EXPECT_FALSE(again->ValidateParams());
    document.SetView(nullptr);
}
