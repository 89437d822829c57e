#include "CliFixture.h"

#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

using CliTest = CliFixture;

TEST_F(CliTest, PathsNameTheWorkspace) {
    const std::string out = RunForOutput({"paths"});
    EXPECT_EQ(lastCode, 0);
    const std::string folder = workspace.Folder();
    EXPECT_EQ(out, "StartupFolder=" + folder + "\nUserFolder=" + folder +
                       "$tst\nContextFile=" + folder + "$tst/TempGlyp.cad\nFamilyFile=" + folder +
                       "QW2182.fam\nLogFile=" + folder +
                       "Glyp.log\nHostKey=Software\\Quellwerk\\Consolux\\3.1\n");
}

// Command lines the parser refuses are covered by CliCommandLineTest, and so are the fm and
// pulse words of a standard workspace; these words pass the parser.
TEST_F(CliTest, WordsACommandCannotUseExitWithTwo) {
    EXPECT_EQ(Run({"channel", "3"}), 2);
    EXPECT_EQ(Run({"length", "12a"}), 2);
}

TEST_F(CliTest, WithoutAContextFileTheRunEndsWithOne) {
    std::filesystem::remove(workspace.state.contextFile);
    EXPECT_EQ(Run({"info"}), 1);
}

TEST_F(CliTest, LengthThenUndoRestoresTheOldWaveform) {
    EXPECT_EQ(Run({"length", "4096"}), 0); // its file: WaveDocTest.LengthFourThousand...
    EXPECT_EQ(Run({"undo"}), 0);
    EXPECT_EQ(std::filesystem::file_size(Working(1, 0)), 2048u);
    // The undo file is gone: a second undo has nothing to do.
    EXPECT_EQ(Run({"undo"}), 1);
}

TEST_F(CliTest, LengthOutOfRangeOrCancelledIsRefused) {
    EXPECT_EQ(Run({"length", "5"}), 1);
    EXPECT_EQ(Run({"--cancel", "length", "1001"}), 1);
    EXPECT_EQ(Run({"length", "1001"}), 0);
    EXPECT_EQ(std::filesystem::file_size(Working(1, 0)), 2000u);
}

TEST_F(CliTest, SegmentFourOnChannelTwoUpdatesTheActiveList) {
    EXPECT_EQ(Run({"channel", "2"}), 0);
    EXPECT_EQ(workspace.Context("Settings", "ActiveCh"), "1");
    EXPECT_EQ(Run({"segment", "4"}), 0);
    EXPECT_EQ(workspace.Context("Settings", "ActiveSeg"), "1 4");
    EXPECT_EQ(workspace.Context("SegmTbl", "LastSegm#1"), "4");
    EXPECT_EQ(workspace.Context("SegmTbl", "Segm4-1"), Working(4, 1));
    EXPECT_EQ(workspace.Context("Modif", "Common"), "Yes");
    EXPECT_EQ(Run({"segment", "0"}), 1);
    EXPECT_EQ(Run({"segment", "257"}), 1);
}

// A list without an entry for the channel is not extended: the host is told the new
// segment, the channel's segment reads as the list's last entry, and the run says so.
TEST_F(CliTest, SegmentOnAChannelMissingFromTheActiveListSucceedsWithANote) {
    workspace.SetContext("Settings", "ActiveCh", "1");
    workspace.SetContext("Settings", "ActiveSeg", "7");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"segment", "4"}), 0);
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                ::testing::HasSubstr("no entry for channel 2, so the host was told segment 4 "
                                     "but the tool works on segment 7"));
    EXPECT_EQ(workspace.store.ReadHostValue("DwnStr", "Cmd"), ":TRAC:SEL 4");
}

TEST_F(CliTest, ExportedTextOpensBackToTheSameSamples) {
    ASSERT_EQ(Run({"length", "16"}), 0);
    const std::string values = workspace.WriteFile("ramp.asc", "0 -5 1000 7 8 9 10 11 12 13 14 "
                                                               "15 16 17 18 -8192");
    ASSERT_EQ(Run({"open", values}), 0);
    const std::string first = RunForOutput({"dump"});
    ASSERT_EQ(Run({"export", workspace.Folder() + "copy.asc"}), 0);
    ASSERT_EQ(Run({"export", workspace.Folder() + "copy.csv"}), 0);
    ASSERT_EQ(Run({"open", workspace.Folder() + "copy.asc"}), 0);
    EXPECT_EQ(RunForOutput({"dump"}), first);

    // A CSV file opens through the two-column import, which scales the largest value onto
    // the highest code (its rule is the import's own).
    ASSERT_EQ(Run({"open", workspace.Folder() + "copy.csv"}), 0);
    EXPECT_NE(RunForOutput({"dump"}).find("\n8191\n"), std::string::npos);
    EXPECT_EQ(Run({"export", workspace.Folder() + "copy.xyz"}), 1);
}

TEST_F(CliTest, ConvertLeavesTheWorkspaceAlone) {
    const std::string before = workspace.Context("SegmTbl", "Segm1-0");
    workspace.WriteFile("in.asc", "1 2 3 -4 5.9");
    EXPECT_EQ(Run({"convert", workspace.Folder() + "in.asc", workspace.Folder() + "out.csv"}), 0);
    EXPECT_EQ(TempWorkspace::ReadFile(workspace.Folder() + "out.csv"),
              "0, 1\r\n1, 2\r\n2, 3\r\n3, -4\r\n4, 5");
    EXPECT_EQ(std::filesystem::file_size(Working(1, 0)), 2048u);
    EXPECT_EQ(Run({"convert", workspace.Folder() + "missing.asc", workspace.Folder() + "x.csv"}),
              1);
    EXPECT_EQ(Run({"convert", workspace.Folder() + "in.asc", workspace.Folder() + "x.doc"}), 1);
}

TEST_F(CliTest, EvalPrintsEachPointAndStopsAtTheFirstError) {
    std::string out = RunForOutput({"eval", "amp*p+1", "--from", "0", "--to", "2", "--amp", "3"});
    EXPECT_EQ(lastCode, 0);
    EXPECT_EQ(out, "1\n4\n7\n");
    out = RunForOutput({"eval", "1/(p-2)", "--from", "0", "--to", "4"});
    EXPECT_EQ(lastCode, 1);
    EXPECT_EQ(out, "-0.5\n-1\n");
    EXPECT_EQ(Run({"eval", "p", "--from", "5", "--to", "1"}), 2);
}

TEST_F(CliTest, GenerateSetsFieldsByKeyAndRefusesBadOnes) {
    ASSERT_EQ(Run({"generate", "square", "--set", "Wavmin=-100", "--set", "Wavmax=100", "--set",
                   "Cycl=2"}),
              0);
    const std::string out = RunForOutput({"dump"});
    // Levels become codes through k = 16383/16384 and c = 0.5, truncated: 100 -> 100,
    // -100 -> -99.
    EXPECT_NE(out.find("\n100\n"), std::string::npos);
    EXPECT_NE(out.find("\n-99\n"), std::string::npos);
    // Generating takes no undo snapshot of its own; the dialog's snapshot becomes the undo.
    EXPECT_EQ(Run({"undo"}), 0);
    EXPECT_EQ(RunForOutput({"dump"}).substr(0, 6), "0\n0\n0\n");
    EXPECT_EQ(Run({"generate", "sine", "--set", "Wavmax=999999"}), 1);
    EXPECT_EQ(Run({"generate", "sine", "--set", "Nope=1"}), 2);
    EXPECT_EQ(Run({"generate", "sawtooth"}), 2);
}

TEST_F(CliTest, EditTrimsAndChecksTheAnchors) {
    ASSERT_EQ(Run({"length", "1000"}), 0);
    EXPECT_EQ(Run({"edit", "invert", "--anchors", "10", "5"}), 2);
    EXPECT_EQ(Run({"edit", "invert", "--anchors", "0", "1000"}), 2);
    EXPECT_EQ(Run({"edit", "blur"}), 2);
    EXPECT_EQ(Run({"edit", "smooth", "--anchors", "100", "400"}), 0);
    // Undoing an edit is the document's own (DocumentTrims); the length's undo shows the wiring.
    EXPECT_EQ(Run({"edit", "trim-right", "--anchors", "0", "99"}), 0);
    EXPECT_EQ(std::filesystem::file_size(Working(1, 0)), 200u);
}

TEST_F(CliTest, PulseModeOffersOnlyWhatNeedsNoRenderedDesign) {
    EXPECT_EQ(Run({"--mode", "pulse", "paths"}), 0);
    EXPECT_EQ(Run({"--mode", "pulse", "save-as", workspace.Folder() + "p.wav"}), 2);
    EXPECT_FALSE(std::filesystem::exists(workspace.Folder() + "p.wav"));
    // Download renders the design first: the new design has no items, nothing is sent.
    EXPECT_EQ(Run({"--mode", "pulse", "download"}), 1);
    EXPECT_EQ(workspace.Context("SegmTbl", "Segm1-0"), "");
}
