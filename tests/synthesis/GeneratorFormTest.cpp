#include "GeneratorFixture.h"

#include "settings/FileHelpers.h"
#include "synthesis/ExponentDialog.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/SineDialog.h"
#include "synthesis/SquareDialog.h"
#include "synthesis/WaveformKinds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

namespace {

int FieldIndex(const WaveParamDialog& form, const std::string& key) {
    for (int i = 0; i < form.FieldCount(); ++i) {
        if (form.Field(i).key == key) {
            return i;
        }
    }
    return -1;
}

std::string Text(const WaveParamDialog& form, const std::string& key) {
    const int index = FieldIndex(form, key);
    return index < 0 ? std::string("<missing>") : form.Field(index).text;
}

// A standard workspace of 1000 points, as a form finds it when it opens.
class GeneratorForm : public ::testing::Test {
protected:
    GeneratorFixture fixture;
};

} // namespace

TEST_F(GeneratorForm, FirstOpeningTakesFamilyDefaultsAndViewAnchors) {
    fixture.view.SetAnchors(10, 500);
    SineDialog form(fixture.document);
    form.Initialize();

    EXPECT_EQ(fixture.Stored("Prv_bgn"), "10");
    EXPECT_EQ(fixture.Stored("Prv_end"), "500");
    EXPECT_EQ(fixture.Stored("Wavmin"), "-8192");
    EXPECT_EQ(fixture.Stored("Phase"), "0");
    EXPECT_EQ(fixture.Stored("Equ"), "amp*sin(1.5*omg*(p+500))");

    ASSERT_EQ(form.FieldCount(), 7);
    EXPECT_EQ(form.Title(), "Sine Wave");
    EXPECT_EQ(form.LevelGroupTitle(), "Waveform Amplitude");
    EXPECT_EQ(Text(form, "Prv_bgn"), "10");
    EXPECT_EQ(Text(form, "Prv_end"), "500");
    EXPECT_EQ(Text(form, "Wavmax"), "8191");
    EXPECT_EQ(form.Field(5).label, "Phase (deg)");
    EXPECT_EQ(form.Field(5).controlId, 1201);
    EXPECT_EQ(form.Field(4).high, 500.0) << "cycles are limited to half the length";
    EXPECT_EQ(form.Field(6).low, 1.0);
    EXPECT_EQ(form.Field(6).high, 16.0);
    EXPECT_EQ(fixture.view.LeftAnchor(), 10.0);
    EXPECT_EQ(fixture.view.RightAnchor(), 500.0);
    EXPECT_FALSE(form.Position().has_value());
    EXPECT_TRUE(fixture.workspace.ui.messages.empty());
}

TEST_F(GeneratorForm, InvertKeyIsACheckBoxThatStoresOneOrZero) {
    { ExponentDialog firstUse(fixture.document); }
    fixture.Store("Inv", "1");
    {
        ExponentDialog form(fixture.document);
        form.Initialize();
        const int inv = FieldIndex(form, "Inv");
        ASSERT_GE(inv, 0);
        EXPECT_TRUE(form.Field(inv).isCheckBox);
        EXPECT_TRUE(form.Field(inv).checked);
        form.SetChecked(inv, false);
        ASSERT_TRUE(form.Ok());
    }
    EXPECT_EQ(fixture.Stored("Inv"), "0");
    EXPECT_EQ(fixture.Stored("Tau"), "100");
}

TEST_F(GeneratorForm, MissingKeysAndTitleAreReportedAndTheDialogStillOpens) {
    IniFile(fixture.workspace.state.familyFile).DeleteSection("ArbSqu");
    SquareDialog form(fixture.document);
    form.Initialize();
    EXPECT_EQ(form.FieldCount(), 4);
    ASSERT_EQ(fixture.workspace.ui.messages.size(), 2u);
    EXPECT_EQ(fixture.workspace.ui.messages[0].caption, "Record not found");
    EXPECT_NE(fixture.workspace.ui.messages[0].text.find("Key=Title"), std::string::npos);
    EXPECT_NE(fixture.workspace.ui.messages[1].text.find("Key=Keys"), std::string::npos);
    EXPECT_TRUE(form.Preview());
}

// A number out of its field's range, or text that is none, gets the previous value back;
// a start not below the end or a minimum above the maximum is shown as such. Either way
// nothing is generated.
TEST_F(GeneratorForm, RefusedFieldsSayWhyAndNothingIsGenerated) {
    const char* const outOfRange = "Value out of range. Previous value will be restored.";
    const char* const minMax = "Invalid Min/Max values.";
    using Typed = TypedTexts;
    const struct {
        Typed typed;
        const char* caption;
        const char* text;
        const char* restoredKey;
        const char* restored;
    } cases[] = {
        {Typed{{"Phase", "400"}}, outOfRange,
         "Parameter 6 value = 400.00 \nRange: min= -360.00  max=360.00", "Phase", "0.00"},
        {Typed{{"Cycl", "3x"}}, outOfRange,
         "Parameter 5 value = 3.00 \nRange: min= 1.00  max=500.00", "Cycl", "1.00"},
        {Typed{{"Cycl", ""}}, outOfRange, "Parameter 5 value = 0.00 \nRange: min= 1.00  max=500.00",
         "Cycl", "1.00"},
        {Typed{{"Prv_bgn", "200"}, {"Prv_end", "200"}}, minMax, "min=200  max=200", "Prv_bgn",
         "200"},
        {Typed{{"Wavmin", "5"}, {"Wavmax", "4.5"}}, minMax, "min=5  max=4.5", "Wavmax", "4.5"},
    };
    const auto before = fixture.Samples();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        fixture.workspace.ui.Clear();
        SineDialog form(fixture.document);
        OpenAndType(form, c.typed);
        EXPECT_FALSE(form.Preview());
        ASSERT_EQ(fixture.workspace.ui.messages.size(), 1u);
        const Message& message = fixture.workspace.ui.messages[0];
        EXPECT_EQ(message.caption, c.caption);
        EXPECT_EQ(message.text, c.text);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
        EXPECT_EQ(Text(form, c.restoredKey), c.restored);
        EXPECT_EQ(fixture.Samples(), before);
    }
}

TEST_F(GeneratorForm, ValidParamsMoveTheViewAnchors) {
    SineDialog form(fixture.document);
    OpenAndType(form, {{"Prv_bgn", "20.7"}, {"Prv_end", "80.2"}});
    ASSERT_TRUE(form.ValidateParams());
    EXPECT_EQ(fixture.view.LeftAnchor(), 20.0);
    EXPECT_EQ(fixture.view.RightAnchor(), 80.0);
}

// OK moves the stored range on to the points that follow it, unless it ends on one of the
// last points of the waveform; the next form opens with that range and moves the anchors.
TEST_F(GeneratorForm, OkMovesTheStoredRangeOnWhenPointsFollowIt) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // end of the range, start and end of the next form's range
        {"99", "100", "999"},
        {"999", "0", "999"},
        {"997", "0", "997"},
    };
    for (const auto& [end, nextStart, nextEnd] : cases) {
        SCOPED_TRACE(end);
        {
            SquareDialog form(fixture.document);
            OpenAndType(form, {{"Prv_bgn", "0"}, {"Prv_end", end}});
            ASSERT_TRUE(form.Ok());
        }
        SquareDialog next(fixture.document);
        next.Initialize();
        EXPECT_EQ(Text(next, "Prv_bgn"), nextStart);
        EXPECT_EQ(Text(next, "Prv_end"), nextEnd);
        EXPECT_EQ(fixture.view.LeftAnchor(), std::stod(nextStart));
        EXPECT_EQ(fixture.view.RightAnchor(), std::stod(nextEnd));
    }
}

TEST_F(GeneratorForm, OkCommitsTheWaveformAndMakesTheOldOneTheUndoFile) {
    const std::string before = TempWorkspace::ReadFile(fixture.document.CurrentPath());
    fixture.document.AdoptFile(fixture.workspace.state.startupFolder + "elsewhere.wav");
    {
        SquareDialog form(fixture.document);
        form.Initialize();
        ASSERT_TRUE(form.Ok());
        EXPECT_TRUE(FileExists(form.SnapshotPath()));
    }
    EXPECT_EQ(fixture.document.CurrentPath(), fixture.document.ActiveWorkingFile());
    const std::string written = TempWorkspace::ReadFile(fixture.document.CurrentPath());
    ASSERT_EQ(written.size(), 2000u);
    EXPECT_EQ(0, std::memcmp(written.data(), fixture.document.Samples().Bytes(), 2000));
    EXPECT_EQ(TempWorkspace::ReadFile(fixture.document.Undo().Path()), before);
    EXPECT_FALSE(FileExists(fixture.workspace.state.userFolder + "/orgWave.tmp"));
    EXPECT_GT(fixture.view.updates, 0);
}

// Six digits for numbers, the typed text for the phase. The anchors' texts are
// GeneratorAnchors' (StoredPointTextIsExactAtEveryLength and the runs over 16 Mi points).
TEST_F(GeneratorForm, OkStoresTheTextsOfAllFieldsWithSixDigits) {
    SineDialog form(fixture.document);
    OpenAndType(form, {{"Wavmin", "-123.4567"}, {"Phase", "12.50"}});
    ASSERT_TRUE(form.Ok());
    EXPECT_EQ(fixture.Stored("Wavmin"), "-123.457");
    EXPECT_EQ(fixture.Stored("Phase"), "12.50");
}

// What Cancel gives back after previews, the samples and the anchors, every kind's dialog
// shows (WaveParamDialogWidgetTest::PreviewThenCancelLeavesSamplesAndAnchors); the working
// file and the undo step stay as they were.
TEST_F(GeneratorForm, CancelAfterAPreviewLeavesTheWorkingFileAndTheUndoStep) {
    const std::string fileBefore = TempWorkspace::ReadFile(fixture.document.CurrentPath());
    SineDialog form(fixture.document);
    form.Initialize();
    ASSERT_TRUE(form.Preview());
    form.Cancel();
    EXPECT_EQ(TempWorkspace::ReadFile(fixture.document.CurrentPath()), fileBefore);
    EXPECT_FALSE(fixture.document.Undo().CanUndo());
}

TEST_F(GeneratorForm, EachPreviewStartsAgainFromTheSnapshot) {
    const auto ramp = fixture.Samples();
    SquareDialog form(fixture.document);
    OpenAndType(form, {{"Prv_bgn", "0"}, {"Prv_end", "499"}});
    ASSERT_TRUE(form.Preview());
    form.SetFieldByKey("Prv_bgn", "500");
    form.SetFieldByKey("Prv_end", "999");
    ASSERT_TRUE(form.Preview());
    const auto after = fixture.Samples();
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(after[i], ramp[i]) << "point " << i;
    }
}

TEST_F(GeneratorForm, DefaultReloadsTheFamilyDefaults) {
    fixture.Store("Prv_bgn", "5");
    fixture.Store("Power", "3");
    fixture.Store("Wavmin", "7");
    SineDialog form(fixture.document);
    form.Initialize();
    EXPECT_EQ(Text(form, "Power"), "3");
    form.Default();
    EXPECT_EQ(Text(form, "Power"), "1");
    EXPECT_EQ(Text(form, "Prv_bgn"), "0");
    EXPECT_EQ(Text(form, "Prv_end"), "999");
    EXPECT_EQ(Text(form, "Wavmin"), "-8192");
}

TEST_F(GeneratorForm, MinEqualToMaxGivesOneConstantSquareLevel) {
    SquareDialog form(fixture.document);
    OpenAndType(form, {{"Wavmin", "300"}, {"Wavmax", "300"}, {"Cycl", "7"}});
    ASSERT_TRUE(form.Ok());
    const double code = std::trunc(300 * form.CodeFactor() + form.CodeOffset());
    for (double v : fixture.Samples()) {
        ASSERT_EQ(v, code);
    }
}

TEST_F(GeneratorForm, CommandRunSetsFieldsByKeyThenCommits) {
    const auto result = GeneratorCommands::Run(
        fixture.document, *GeneratorCommands::CommandOfName("square"),
        {{"prv_bgn", "0"}, {"Prv_end", "99"}, {"Fmin", "-10"}, {"Wavmax", "10"}, {"Duty", "25"}});
    ASSERT_EQ(result.outcome, GeneratorCommands::Outcome::Done);
    EXPECT_EQ(fixture.Stored("Duty"), "25");
    EXPECT_EQ(fixture.Stored("Prv_bgn"), "100");
    EXPECT_TRUE(fixture.document.Undo().CanUndo());
}

TEST_F(GeneratorForm, CommandUnknownKeyOrRefusedInputLeavesTheWaveformAlone) {
    const auto before = fixture.Samples();
    auto result =
        GeneratorCommands::Run(fixture.document, *GeneratorCommands::CommandOfName("sine"),
                               {{"Cycl", "2"}, {"Duty", "3"}});
    EXPECT_EQ(result.outcome, GeneratorCommands::Outcome::UnknownKey);
    EXPECT_EQ(result.unknownKey, "Duty");
    result = GeneratorCommands::Run(fixture.document, *GeneratorCommands::CommandOfName("sine"),
                                    {{"Cycl", "2000"}});
    EXPECT_EQ(result.outcome, GeneratorCommands::Outcome::Refused);
    EXPECT_EQ(fixture.workspace.ui.MessageIds(), std::vector<int>{0});
    EXPECT_EQ(fixture.Samples(), before);
    EXPECT_FALSE(fixture.document.Undo().CanUndo());
}

// The kinds' ids are known to the host and the profile files, their words to scripts, their
// menu texts to users. Each kind's form is found by id and by word (case ignored) and reads
// its own section. A kind added later needs no row here.
TEST(GeneratorCommandsTest, EveryWaveformKindKeepsItsIdWordTextAndSection) {
    const std::vector<std::tuple<int, std::string, std::string, std::string>> expected = {
        {32790, "Sine", "&Sine...", "ArbSine"},
        {32791, "TRIANGLE", "&Triangle...", "ArbTri"},
        {32792, "square", "S&quare...", "ArbSqu"},
        {32793, "sinc", "Si&nc...", "ArbSinc"},
        {32794, "Gaussian", "&Gaussian...", "ArbGaus"},
        {32795, "exponent", "&Exponent...", "ArbExp"},
        {32796, "pulse", "&Pulse...", "ArbPuls"},
        {32797, "noise", "N&oise...", "ArbNoise"},
        {32798, "equation", "Equ&ation...", ""},
    };
    GeneratorFixture fixture;
    for (const auto& [id, word, menuText, section] : expected) {
        SCOPED_TRACE(word);
        const WaveformKind* kind = WaveformKinds::Find(id);
        ASSERT_NE(kind, nullptr);
        EXPECT_EQ(GeneratorCommands::CommandOfName(word), id);
        EXPECT_EQ(kind->menuText, menuText);
        EXPECT_EQ(kind->section, section);
        EXPECT_EQ(kind->separatorBefore, section.empty()); // the equation editor stands apart
        const auto form = GeneratorCommands::CreateParamForm(fixture.document, id);
        EXPECT_EQ(form ? form->SectionName() : "", section);
    }
    EXPECT_FALSE(GeneratorCommands::CommandOfName("saw").has_value());
    EXPECT_FALSE(GeneratorCommands::IsWaveCommand(32799));
    EXPECT_EQ(GeneratorCommands::CreateForm(fixture.document, 32799), nullptr);
    EXPECT_EQ(WaveformKinds::Words(" ", true).find("equation"), std::string::npos);
    auto noise = GeneratorCommands::CreateParamForm(fixture.document, 32797);
    noise->Initialize();
    EXPECT_EQ(noise->FieldCount(), 4);
    EXPECT_EQ(noise->Title(), "Noise");
    EXPECT_EQ(noise->TemplateId(), 171);
}

TEST(FmGeneratorForm, TypesFrequenciesOfTheWindowInItsOwnSection) {
    GeneratorFixture fixture("QW2182", OperatingMode::Fm);
    SineDialog form(fixture.document);
    form.Initialize();
    EXPECT_EQ(form.LevelGroupTitle(), "Peak Deviation");
    EXPECT_EQ(form.Field(2).unit, "Hz");
    const double fmin = fixture.document.Fm().Fmin();
    const double fmax = fixture.document.Fm().Fmax();
    ASSERT_LT(fmin, fmax);
    EXPECT_EQ(fixture.workspace.Context("FmsWav_Par", "Wavmin"),
              WaveGeneratorSettings::NumberText(fmin));
    EXPECT_EQ(fixture.workspace.Context("SmWav_Par", "Wavmin"), "");
    EXPECT_EQ(form.Field(2).low, fmin);
    EXPECT_EQ(form.Field(3).high, fmax);
}
