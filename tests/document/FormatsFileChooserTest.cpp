#include "core/StringTable.h"
#include "document/FileChooser.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Descriptions(const std::vector<FileFilter>& filters) {
    std::vector<std::string> texts;
    for (const FileFilter& filter : filters) {
        texts.push_back(filter.description);
    }
    return texts;
}

class FormatsFileChooser : public ::testing::Test {
protected:
    // Answers the next dialog with path and filter, and returns what ChooseFile gives.
    std::string Choose(bool open, const std::string& answer, int filterIndex, int& index) {
        workspace_.ui.fileAnswers.push_back(FileChoice{answer, filterIndex});
        return chooser_.ChooseFile(open, index);
    }
    TempWorkspace workspace_;
    FileChooser chooser_{workspace_.state, workspace_.ui, workspace_.Mode()};
};

TEST_F(FormatsFileChooser, StandardOpenOffersSevenTypesWithTheirOwnDescriptions) {
    int index = -1;
    chooser_.ChooseFile(true, index);
    ASSERT_EQ(workspace_.ui.fileQuestions.size(), 1u);
    const FileQuestion& question = workspace_.ui.fileQuestions[0];
    const std::vector<std::string> expected = {
        "Binary   (*.wav)",       "ASCII -space delimited (*.asc)", "Comma delimited(*csv)",
        "LeCroy  format (*.0* )", "LeCroy  format (*.trc )",        "Space delimited(*.prn)",
        "Comma delimited(*txt)"};
    EXPECT_EQ(Descriptions(question.filters), expected);
    EXPECT_EQ(question.filters[3].extensions, std::vector<std::string>{".0*"});
    EXPECT_EQ(question.filters[6].extensions, std::vector<std::string>{".txt"});
    EXPECT_EQ(question.defaultExtension, "wav");
    EXPECT_EQ(question.folder, workspace_.state.startupFolder);
    EXPECT_EQ(question.filterIndex, 0);
    EXPECT_EQ(question.fileName, "");
}

// The FM dialog also refuses the standard types.
TEST_F(FormatsFileChooser, SaveAndFmDialogsOfferTheirModesTypes) {
    int index = 0;
    chooser_.ChooseFile(false, index);
    EXPECT_EQ(Descriptions(workspace_.ui.fileQuestions.back().filters),
              (std::vector<std::string>{"Binary   (*.wav)", "ASCII -space delimited (*.asc)",
                                        "Comma delimited(*csv)"}));

    TempWorkspace fm("QW2182", OperatingMode::Fm);
    FileChooser fmChooser(fm.state, fm.ui, fm.Mode());
    fmChooser.ChooseFile(true, index);
    EXPECT_EQ(Descriptions(fm.ui.fileQuestions.back().filters),
              (std::vector<std::string>{"Binary   (*.wvf)", "ASCII -space delimited (*.asf)"}));
    EXPECT_EQ(fm.Mode().Extensions(), (std::vector<std::string>{"wvf", "asf"}));
    fm.ui.fileAnswers.push_back(FileChoice{"/in/x.wav", 0});
    EXPECT_EQ(fmChooser.ChooseFile(true, index), "");
    EXPECT_EQ(fm.ui.MessageIds(), std::vector<int>{MsgIllegalExtension});
    fm.ui.fileAnswers.push_back(FileChoice{"/in/x.ASF", 0});
    EXPECT_EQ(fmChooser.ChooseFile(true, index), "/in/x.ASF");
    EXPECT_EQ(index, 1);

    TempWorkspace wide("G4270", OperatingMode::Fm);
    FileChooser wideChooser(wide.state, wide.ui, wide.Mode());
    wideChooser.ChooseFile(false, index);
    EXPECT_EQ(Descriptions(wide.ui.fileQuestions.back().filters),
              (std::vector<std::string>{"Binary   (*.wfm)", "ASCII -space delimited (*.afm)"}));
    EXPECT_EQ(wide.ui.fileQuestions.back().filters[1].extensions, std::vector<std::string>{".afm"});
}

TEST_F(FormatsFileChooser, InitialNameIsTheVisibleFileNameWithoutFolderAndExtension) {
    int index = 0;
    chooser_.ChooseFile(true, index, "/data/scope.runs/capture.2.csv");
    EXPECT_EQ(workspace_.ui.fileQuestions.back().fileName, "capture.2");
    chooser_.ChooseFile(true, index, "/data/plain");
    EXPECT_EQ(workspace_.ui.fileQuestions.back().fileName, "plain");
}

TEST_F(FormatsFileChooser, CancelGivesNothingAndNoMessage) {
    int index = 5;
    EXPECT_EQ(chooser_.ChooseFile(true, index), "");
    EXPECT_EQ(index, 5);
    EXPECT_TRUE(workspace_.ui.messages.empty());
}

TEST_F(FormatsFileChooser, NameWithoutExtensionTakesTheSelectedFiltersExtension) {
    int index = 0;
    EXPECT_EQ(Choose(false, "/out/wave", 1, index), "/out/wave.asc");
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Choose(true, "/out/trace", 3, index), "/out/trace.0");
    EXPECT_EQ(index, 3);
}

TEST_F(FormatsFileChooser, ExtensionDecidesTheTypeWhateverFilterIsSelected) {
    int index = 0;
    EXPECT_EQ(Choose(true, "/in/x.001", 0, index), "/in/x.001");
    EXPECT_EQ(index, 3);
    EXPECT_EQ(Choose(true, "/in/X.TRC", 0, index), "/in/X.TRC");
    EXPECT_EQ(index, 4);
    EXPECT_EQ(Choose(true, "/in/a.b.Asc", 6, index), "/in/a.b.Asc");
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Choose(false, "/in/x.txt", 0, index), "/in/x.txt");
    EXPECT_EQ(index, 6);
    EXPECT_TRUE(workspace_.ui.messages.empty());
}

TEST_F(FormatsFileChooser, UnknownOrMalformedExtensionShowsMessage3009) {
    for (const std::string name :
         {"/in/x.xyz", "/in/x.ab", "/in/x.abcd", "/in/x.", "/in/a.wav.bak"}) {
        workspace_.ui.Clear();
        int index = 9;
        EXPECT_EQ(Choose(true, name, 0, index), "") << name;
        EXPECT_EQ(index, 9);
        ASSERT_EQ(workspace_.ui.MessageIds(), std::vector<int>{MsgIllegalExtension}) << name;
        EXPECT_EQ(workspace_.ui.messages[0].text, "Illegal file name extension.");
    }
}

TEST_F(FormatsFileChooser, NextDialogStartsInTheLastFolderWithTheLastFilter) {
    int index = 0;
    Choose(true, "/first/place/x.xyz", 2, index); // refused, but the folder is remembered
    chooser_.ChooseFile(false, index);
    EXPECT_EQ(workspace_.ui.fileQuestions.back().folder, "/first/place/");
    EXPECT_EQ(workspace_.ui.fileQuestions.back().filterIndex, 2);
    EXPECT_EQ(chooser_.Folder(), "/first/place/");

    Choose(true, "/second/y.prn", 5, index);
    chooser_.ChooseFile(true, index);
    EXPECT_EQ(workspace_.ui.fileQuestions.back().folder, "/second/");
    EXPECT_EQ(workspace_.ui.fileQuestions.back().filterIndex, 5);
    // The save dialog has three filters: a remembered sixth starts it at the first.
    chooser_.ChooseFile(false, index);
    EXPECT_EQ(workspace_.ui.fileQuestions.back().filterIndex, 0);
}

TEST(FormatsFilterText, ParsesDescriptionPatternPairsUpToTheDoubleBar) {
    const std::vector<FileFilter> filters =
        FileChooser::ParseFilterText("One (*.a)|*.a|Two|*.b;*.c||ignored|*.d");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, "One (*.a)");
    EXPECT_EQ(filters[1].extensions, (std::vector<std::string>{".b", ".c"}));
}

} // namespace
