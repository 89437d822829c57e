#include "GeneratorFixture.h"

#include "core/StringTable.h"
#include "settings/FileHelpers.h"
#include "synthesis/EquationDialog.h"
#include "synthesis/Expression.h"
#include "synthesis/GeneratorCommands.h"
#include "synthesis/StoredEquations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

class EquationDialogTest : public ::testing::Test {
protected:
    explicit EquationDialogTest(std::size_t length = 1000)
        : fixture("QW2182", OperatingMode::Standard, length) {}

    std::string EquationsFile() const { return fixture.workspace.state.startupFolder + "Sm.Equ"; }
    std::string Equations(const std::string& section, const std::string& key) const {
        return IniFile(EquationsFile()).Read(section, key).value_or("<none>");
    }
    // Opens the editor on points first..last between -1000 and 1000 with a formula.
    void Open(EquationDialog& form, const std::string& first, const std::string& last,
              const std::string& formula, const std::string& cycles = "1") {
        OpenAndType(form, {{"Prv_bgn", first},
                           {"Prv_end", last},
                           {"Fmin", "-1000"},
                           {"Fmax", "1000"},
                           {"Cycl", cycles},
                           {"Equ", formula}});
    }

    GeneratorFixture fixture;
    EquationDialog form{fixture.document};
};

class EquationDialogLong : public EquationDialogTest {
protected:
    EquationDialogLong() : EquationDialogTest(2000) {}
};

} // namespace

// The level adjuster (Auto, Scale disabled) and the hidden help panel of a first opening are
// the widget tests'.
TEST_F(EquationDialogTest, FirstOpeningShowsTheDefaultsAndTheDefaultEquation) {
    form.Initialize();
    EXPECT_EQ(form.StoredList(), std::vector<std::string>{"amp*sin(1.5*omg*(p+500))"});
    EXPECT_EQ(form.SelectedIndex(), 0);
    EXPECT_EQ(form.EquationText(), "amp*sin(1.5*omg*(p+500))");
    EXPECT_EQ(form.Field(0).text, "0");
    EXPECT_EQ(form.Field(1).text, "999");
    EXPECT_EQ(form.Field(2).text, "-8192");
    EXPECT_EQ(form.Field(3).text, "8191");
    EXPECT_EQ(form.Field(4).text, "1");
    EXPECT_EQ(form.Field(0).high, 998);
    EXPECT_EQ(form.LevelGroupTitle(), "Waveform Amplitude");
    EXPECT_EQ(form.EquationLabel(), "Amplitude(p) =");
    EXPECT_DOUBLE_EQ(form.CodeFactor(), 1.0) << "no + 1 in the divisor";
    EXPECT_TRUE(fixture.workspace.ui.messages.empty());
}

// The list rules and the file the list is kept in are the stored equations' own
// (StoredEquations.EachChangeKeepsTheWholeListAndItsSelectionInOneRewrite); the widget
// tests show the entry a store, a removal or the next opening selects. A choice from the
// list shows its entry.
TEST_F(EquationDialogTest, SelectingAStoredEntryShowsIt) {
    form.Initialize();
    form.SetEquationText("p*2");
    form.StoreEquation();
    form.SelectStored(0);
    EXPECT_EQ(form.EquationText(), StoredEquations::kDefaultEquation);
    form.SelectStored(1);
    EXPECT_EQ(form.EquationText(), "p*2");
}

TEST_F(EquationDialogLong, AutoRepeatsTheFirstStepOfTheFormulaFittedToTheRange) {
    Open(form, "0", "1000", "p", "2");
    ASSERT_TRUE(form.Preview());
    const auto samples = fixture.Samples();
    // range 2000, scale 2000 / 1000, base -1000.
    for (int i = 0; i <= 1000; ++i) {
        ASSERT_EQ(samples[i], (i % 500) * 2 - 1000) << i;
    }
    EXPECT_EQ(samples[1000], -1000);
}

TEST_F(EquationDialogTest, ManualOriginalWritesTheRawValuesAndIgnoresCycles) {
    Open(form, "0", "999", "amp*sin(omg*p)", "3");
    form.SetAutoMode(false);
    EXPECT_TRUE(form.ScaleButtonEnabled());
    form.ToggleScale();
    EXPECT_EQ(form.ScaleButtonText(), "&Original");
    EXPECT_FALSE(form.ScaleFlag());
    ASSERT_TRUE(form.Preview());
    const auto samples = fixture.Samples();

    Expression reference(false, fixture.workspace.state.startupFolder, fixture.workspace.ui);
    reference.SetAmplitude(1000);
    double lowest = 0;
    double highest = 0;
    for (int i = 0; i < 1000; ++i) {
        std::string text = "amp*sin(omg*p)";
        const double v = reference.Evaluate(text, i, 1000);
        ASSERT_EQ(samples[i], Low16(static_cast<int>(v))) << i;
        lowest = std::min(lowest, samples[i]);
        highest = std::max(highest, samples[i]);
    }
    EXPECT_LT(lowest, -990);
    EXPECT_GT(highest, 990);
}

TEST_F(EquationDialogTest, AConstantFormulaInAutoGivesTheBaseEverywhere) {
    Open(form, "100", "899", "5", "4");
    form.SetFieldByKey("Fmin", "-250.5");
    ASSERT_TRUE(form.Preview());
    const auto samples = fixture.Samples();
    for (int i = 100; i <= 899; ++i) {
        ASSERT_EQ(samples[i], -250) << i;
    }
}

TEST_F(EquationDialogTest, ScaleButtonSwitchesOnlyInManual) {
    form.Initialize();
    form.ToggleScale();
    EXPECT_TRUE(form.ScaleFlag()) << "the button is disabled in Auto";
    form.SetAutoMode(false);
    form.ToggleScale();
    EXPECT_FALSE(form.ScaleFlag());
    form.ToggleScale();
    EXPECT_EQ(form.ScaleButtonText(), "&Scale");
    EXPECT_TRUE(form.ScaleFlag());
    form.ToggleScale();
    form.SetAutoMode(true);
    EXPECT_TRUE(form.ScaleFlag());
    EXPECT_EQ(form.ScaleButtonText(), "&Scale");
}

// Showing and hiding the panel is
// EquationDialogWidgetTest::OperandsButtonShowsAndHidesTheHelpPanel.
TEST_F(EquationDialogTest, ReducedHelpPanelOffersTheOperandsWithArrows) {
    form.Initialize();
    form.ToggleHelpPanel();
    form.ToggleHelpPanel();
    EXPECT_FALSE(form.HelpPanelShown());
    EXPECT_EQ(form.HelpButtonText(), "Operands>>");
}

TEST_F(EquationDialogTest, FieldOutOfRangeShowsItsRangeAndRestoresThePreviousText) {
    form.Initialize();
    form.SetFieldByKey("Cycl", "20000");
    EXPECT_FALSE(form.Preview());
    ASSERT_EQ(fixture.workspace.ui.messages.size(), 1u);
    EXPECT_EQ(fixture.workspace.ui.messages[0].caption,
              "Value out of range. Previous value will be restored.");
    EXPECT_EQ(fixture.workspace.ui.messages[0].text,
              "Parameter 5 Value = 20000\nParameter range:1 -> 10000");
    EXPECT_EQ(form.Field(4).text, "1");
    form.SetFieldByKey("Prv_end", "1e6");
    EXPECT_FALSE(form.Validate());
    EXPECT_EQ(fixture.workspace.ui.messages[1].text,
              "Parameter 2 Value = 1e+006\nParameter range:2 -> 999");
    form.SetFieldByKey("Prv_end", "99");
    form.SetFieldByKey("Prv_bgn", "99");
    EXPECT_FALSE(form.Validate());
    EXPECT_EQ(fixture.workspace.ui.messages[2].caption, "Invalid Min/Max values.");
    EXPECT_EQ(fixture.workspace.ui.messages[2].text, "min=99  max=99");
}

TEST_F(EquationDialogTest, AnEvaluationErrorIsShownOnceAndKeepsTheRawValuesBeforeIt) {
    const auto before = fixture.Samples();
    Open(form, "0", "999", "100/(p-5)");
    EXPECT_FALSE(form.Preview());
    EXPECT_EQ(fixture.workspace.ui.MessageIds(), std::vector<int>{MsgDomainError});
    EXPECT_EQ(form.EquationText(), "100/(p-5)") << "the edit keeps what was typed";
    const auto samples = fixture.Samples();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(samples[i], std::trunc(100.0 / (i - 5))) << i;
    }
    for (int i = 5; i < 1000; ++i) {
        ASSERT_EQ(samples[i], before[i]) << i;
    }
    EXPECT_TRUE(form.Ok()) << "an evaluation error does not stop OK";
    EXPECT_EQ(fixture.workspace.ui.MessageIds().size(), 2u);
}

TEST_F(EquationDialogTest, OkMovesTheRangeOnStoresTheEquationAndKeepsTheUndoFile) {
    const std::string before = TempWorkspace::ReadFile(fixture.document.CurrentPath());
    {
        EquationDialog editor(fixture.document);
        Open(editor, "0", "99", "p*3");
        editor.SetScreenPosition(40, 60);
        ASSERT_TRUE(editor.Ok());
    }
    EXPECT_EQ(fixture.workspace.Context("SmWav_Par", "Fmin"), "-1000");
    EXPECT_EQ(fixture.workspace.Context("SmWav_Par", "Cycl"), "1") << "only read";
    EXPECT_EQ(Equations("Expr", "Expr1"), "p*3");
    EXPECT_EQ(TempWorkspace::ReadFile(fixture.document.Undo().Path()), before);
    EXPECT_EQ(fixture.workspace.store.ReadHostValue("DrawRect", "SmOrg"), "40 60");
    EXPECT_FALSE(FileExists(fixture.workspace.state.userFolder + "/orgWave.tmp"));

    EquationDialog next(fixture.document); // it reads the range the OK stored
    next.Initialize();
    EXPECT_EQ(next.Field(0).text, "100");
    EXPECT_EQ(next.Field(1).text, "999");
    EXPECT_EQ(next.EquationText(), "p*3");
}

// A generation cancelled on its way and Cancel after a preview both put the samples back.
TEST_F(EquationDialogTest, CancelRestoresTheSamplesAndLeavesTheAnchors) {
    const auto before = fixture.Samples();
    Open(form, "10", "500", "p*p");
    EXPECT_FALSE(form.Preview([](double) { return false; }));
    EXPECT_EQ(fixture.Samples(), before);
    ASSERT_TRUE(form.Preview());
    EXPECT_NE(fixture.Samples(), before);
    form.Cancel();
    EXPECT_EQ(fixture.Samples(), before);
    EXPECT_EQ(fixture.view.LeftAnchor(), 10);
    EXPECT_EQ(fixture.view.RightAnchor(), 500);
}

TEST_F(EquationDialogTest, BrowseAppendsTheChosenFileByItsNameFromTheStartupFolder) {
    namespace fs = std::filesystem;
    const std::string folder = fixture.workspace.state.startupFolder + "KR4810";
    fs::create_directories(folder);
    fixture.workspace.ui.fileAnswers.push_back(FileChoice{folder + "/shape", 0});
    fixture.workspace.ui.fileAnswers.push_back(FileChoice{folder + "/other.WAV", 0});

    EquationDialog editor(fixture.document);
    Open(editor, "0", "9", "2*");
    ASSERT_TRUE(editor.Browse());
    EXPECT_EQ(editor.EquationText(), "2*KR4810\\shape.wav");
    ASSERT_EQ(fixture.workspace.ui.fileQuestions.size(), 1u);
    const FileQuestion& question = fixture.workspace.ui.fileQuestions[0];
    EXPECT_EQ(question.folder, folder);
    EXPECT_EQ(question.defaultExtension, "wav");
    EXPECT_EQ(question.filters.at(0).description, "Binary   (*.wav)");

    ASSERT_TRUE(editor.Browse());
    EXPECT_EQ(editor.EquationText(), "2*KR4810\\shape.wav") << "another extension adds nothing";
    EXPECT_FALSE(editor.Browse());
}

TEST(EquationDialogFm, FmCodesAreFittedOverTheWholeWindowFromZero) {
    GeneratorFixture fixture("QW2182", OperatingMode::Fm, 1000);
    const double fmin = fixture.document.Fm().Fmin();
    const double fmax = fixture.document.Fm().Fmax();
    EquationDialog form(fixture.document);
    OpenAndType(form, {{"Prv_bgn", "0"},
                       {"Prv_end", "999"},
                       {"Fmin", WaveGeneratorSettings::NumberText(fmin)},
                       {"Fmax", WaveGeneratorSettings::NumberText(fmax)},
                       {"Equ", "p"}});
    EXPECT_EQ(form.LevelGroupTitle(), "Peak Deviation");
    EXPECT_EQ(form.EquationLabel(), "Frequency deviation (p) = ");
    EXPECT_DOUBLE_EQ(form.CodeFactor(), 1e9 / (fmax - fmin));
    ASSERT_TRUE(form.Preview());
    const double scale = (fmax - fmin) * form.CodeFactor() / 999;
    const auto samples = fixture.Samples();
    EXPECT_EQ(samples[0], 0);
    EXPECT_EQ(samples[500], std::trunc(500 * scale));
    EXPECT_EQ(samples[998], std::trunc(998 * scale));
    EXPECT_GT(samples[998], 0.99e9);
    EXPECT_EQ(samples[999], 0) << "the last point starts the next repeat";
}

TEST(EquationDialogCommand, TheCommandLineRunsTheEditorByKey) {
    GeneratorFixture fixture;
    const auto result =
        GeneratorCommands::Run(fixture.document, *GeneratorCommands::CommandOfName("equation"),
                               {{"Equ", "p - 500"}, {"Wavmin", "-500"}, {"Fmax", "499"}});
    ASSERT_EQ(result.outcome, GeneratorCommands::Outcome::Done);
    EXPECT_EQ(fixture.document.Samples().At(0), -500);
    EXPECT_EQ(fixture.document.Samples().At(998), 498);
    EXPECT_EQ(fixture.document.Samples().At(999), -500);
    EXPECT_EQ(GeneratorCommands::Run(
                  fixture.document, *GeneratorCommands::CommandOfName("equation"), {{"Phase", "1"}})
                  .outcome,
              GeneratorCommands::Outcome::UnknownKey);
}
