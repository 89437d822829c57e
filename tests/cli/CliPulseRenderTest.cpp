#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "support/TempWorkspace.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

// wavesmith-cli in-process in pulse mode, with a design of two DC steps of 10 ms played
// three times: 96 points at 1600 S/s.
class CliPulseRenderTest : public ::testing::Test {
protected:
    CliPulseRenderTest() {
        previous_ = std::filesystem::current_path();
        ::setenv("USER", "tst", 1);
        std::filesystem::current_path(workspace.Folder());
    }
    ~CliPulseRenderTest() override { std::filesystem::current_path(previous_); }

    int Run(std::vector<std::string> words) {
        words.insert(words.begin(), {"wavesmith-cli", "--mode", "pulse"});
        std::vector<const char*> argv;
        for (const auto& word : words) {
            argv.push_back(word.c_str());
        }
        CliOptions options;
        if (CliOptions::Parse(static_cast<int>(argv.size()), argv.data(), options)) {
            return CliApp::UsageError;
        }
        return CliApp(options).Run();
    }

    std::string RunForOutput(std::vector<std::string> words) {
        ::testing::internal::CaptureStdout();
        lastCode = Run(std::move(words));
        return ::testing::internal::GetCapturedStdout();
    }

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

    TempWorkspace workspace;
    int lastCode = -1;

private:
    std::filesystem::path previous_;
};

} // namespace

TEST_F(CliPulseRenderTest, RenderPrintsTheClockAndTheFormWithoutDownloading) {
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

TEST_F(CliPulseRenderTest, DownloadSendsTheSingleSegmentWithItsClock) {
    BuildDesign();
    EXPECT_EQ(Run({"download"}), CliApp::Success);
    EXPECT_EQ(HostValue("Cmd"), ":FREQ:RAST 1600; :TRAC:DEF 1,96;:TRAC:SEL 1");
    EXPECT_EQ(HostValue("wFile"), workspace.state.userFolder + "/PulsSing1-0.wav");
    EXPECT_EQ(workspace.Context("SegmStt", "Segm1-0"), "Loaded");
}
