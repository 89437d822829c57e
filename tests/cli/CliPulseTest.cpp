#include "CliFixture.h"

namespace {

// Runs wavesmith-cli --mode pulse in-process inside a prepared standard workspace.
class CliPulseTest : public CliFixture {
protected:
    CliPulseTest() { modeWords = {"--mode", "pulse"}; }

    std::string Show() {
        const std::string shown = RunForOutput({"pulse", "show"});
        EXPECT_EQ(lastCode, 0);
        return shown;
    }

    // Two DC steps of 10 ms played three times: 96 points at 1600 S/s.
    void BuildDesign() {
        const std::vector<std::vector<std::string>> steps{{"pulse", "train", "dc"},
                                                          {"pulse", "line", "append"},
                                                          {"pulse", "cell", "1", "1", "10"},
                                                          {"pulse", "cell", "1", "2", "0.5"},
                                                          {"pulse", "line", "append"},
                                                          {"pulse", "cell", "2", "1", "10"},
                                                          {"pulse", "cell", "2", "2", "-0.5"},
                                                          {"pulse", "repeat", "3"}};
        for (const auto& step : steps) {
            ASSERT_EQ(Run(step), CliApp::Success) << step[1];
        }
    }

    std::string HostValue(const char* name) {
        return workspace.store.ReadHostValue("DwnStr", name);
    }
};

} // namespace

// What the design stores under its root (sections, duration) is PulseDesignTest's and
// PulseEditorTest's; the runs show each section as they left it.
TEST_F(CliPulseTest, ADesignIsBuiltFromNothingAcrossRuns) {
    // The first run writes the default design and shows its one empty line.
    EXPECT_EQ(Show(), "Section 1  - <given as: Points> - Pulse Editor\nunit=msec\nstart=0\n"
                      "duration=0\nrepeat=1\n1\t\t\n");
    EXPECT_EQ(Run({"pulse", "cell", "1", "1", "0"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "1", "2", "-0.1"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "2", "1", "2.5"}), 0); // the line after the last
    EXPECT_EQ(Run({"pulse", "cell", "2", "2", "0.4"}), 0);
    EXPECT_EQ(Run({"pulse", "section", "append"}), 0);
    EXPECT_EQ(Run({"pulse", "train", "dc"}), 0);
    EXPECT_EQ(Run({"pulse", "unit", "usec"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "1", "1", "500"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "1", "2", "0.2"}), 0);
    EXPECT_EQ(Run({"pulse", "repeat", "3"}), 0);
    EXPECT_EQ(Show(), "Section 2  - <given as: DC Intervals> - Pulse Editor\nunit=usec\n"
                      "start=2500\nduration=500\nrepeat=3\n1\t500\t0.2\n");
    EXPECT_EQ(Run({"pulse", "section", "select", "1"}), 0);
    EXPECT_EQ(Show(), "Section 1  - <given as: Points> - Pulse Editor\nunit=msec\nstart=0\n"
                      "duration=2.5\nrepeat=1\n1\t0\t-0.1\n2\t2.5\t0.4\n");
    EXPECT_EQ(Run({"pulse", "vpp", "0.5"}), 1); // cuts the 0.4 V node: message 3019
    EXPECT_EQ(Run({"pulse", "vpp", "2"}), 0);
    EXPECT_EQ(workspace.Context("PulseRoot-ch1", "Vpp"), "2");
}

TEST_F(CliPulseTest, TrainQuestionIsAnsweredByTheRunsAnswer) {
    EXPECT_EQ(Run({"pulse", "cell", "1", "2", "0.1"}), 0);
    EXPECT_EQ(Run({"--cancel", "pulse", "train", "dc"}), 1);
    EXPECT_EQ(workspace.Context("Pulse0-ch1", "Train"), "1");
    EXPECT_EQ(Run({"--no", "pulse", "train", "dc"}), 0);
    EXPECT_EQ(workspace.Context("PulseRoot-ch1", "qPls"), "2");
    EXPECT_EQ(Run({"pulse", "train", "sequence"}), 1);
}

TEST_F(CliPulseTest, OptionsPrintAndTakeTheDialogsChoices) {
    EXPECT_EQ(Run({"pulse", "options", "memory", "unused", "segmentation", "sequence"}), 0);
    EXPECT_EQ(RunForOutput({"pulse", "options"}),
              "segmentation=sequence\nmemory=unused\nsingle-stepping=200\n");
    EXPECT_EQ(lastCode, 0);
    // One choice leaves the other as it was.
    EXPECT_EQ(Run({"pulse", "options", "segmentation", "allowed"}), 0);
    EXPECT_EQ(RunForOutput({"pulse", "options"}),
              "segmentation=allowed\nmemory=unused\nsingle-stepping=200\n");
}

TEST_F(CliPulseTest, WordsThatDoNotFitAreUsageErrorsAndWriteNothingOfThem) {
    // An unknown verb is refused by the parser already (CliCommandLine).
    const std::vector<std::vector<std::string>> cases = {
        {"pulse"},
        {"pulse", "show", "extra"},
        {"pulse", "cell", "0", "1", "1"},
        {"pulse", "cell", "3", "1", "1"}, // one empty line: only lines 1 and 2 exist
        {"pulse", "cell", "1", "3", "1"},
        {"pulse", "line", "insert", "x"},
        {"pulse", "line", "frobnicate"},
        {"pulse", "section", "select", "2"},
        {"pulse", "train", "square"},
        {"pulse", "unit"},
        {"pulse", "options", "memory", "some"},
        {"pulse", "options", "memory", "all", "memory", "unused"},
        {"pulse", "options", "segmentation", "single", "memory"},
    };
    for (const auto& words : cases) {
        EXPECT_EQ(Run(words), CliApp::UsageError) << words.back();
    }
    EXPECT_EQ(workspace.Context("Pulse0-ch1", "qItm"), "");
}

TEST_F(CliPulseTest, RenderPrintsTheClockAndTheFormWithoutDownloading) {
    EXPECT_EQ(Run({"pulse", "render"}), CliApp::Refused); // the new design has no items
    EXPECT_FALSE(std::filesystem::exists(workspace.state.userFolder + "/PulsSing1-0.wav"));
    BuildDesign();
    std::string out = RunForOutput({"pulse", "render"});
    EXPECT_EQ(lastCode, CliApp::Success);
    const std::string file = workspace.state.userFolder + "/PulsSing1-0.wav";
    EXPECT_EQ(out, "clock 1600 S/s (quantum 0.01 s, exponent 2)\nform single segment: 96 "
                   "points in " +
                       file + "\n");
    EXPECT_EQ(HostValue("Cmd"), "");

    ASSERT_EQ(Run({"pulse", "options", "segmentation", "allowed"}), CliApp::Success);
    out = RunForOutput({"pulse", "render"});
    const std::string seg = workspace.state.userFolder + "/Seg-";
    // A flat step and a varying one, played three times over as copies of both steps.
    EXPECT_NE(out.find("form sequence: 6 steps, 32 points of segment memory\nstep 1 " + seg +
                       "1.wav x1\nstep 2 " + seg + "2.wav x1\nstep 3 " + seg + "1.wav x1\n"),
              std::string::npos)
        << out;
}

// Marking the segment loaded is the link's (HostLinkDownload.StandardDownload...).
TEST_F(CliPulseTest, DownloadSendsTheSingleSegmentWithItsClock) {
    BuildDesign();
    EXPECT_EQ(Run({"download"}), CliApp::Success);
    EXPECT_EQ(HostValue("Cmd"), ":FREQ:RAST 1600; :TRAC:DEF 1,96;:TRAC:SEL 1");
    EXPECT_EQ(HostValue("wFile"), workspace.state.userFolder + "/PulsSing1-0.wav");
}
