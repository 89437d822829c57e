#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "support/TempWorkspace.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

// Runs wavesmith-cli --mode pulse in-process inside a prepared workspace.
class CliPulseTest : public ::testing::Test {
protected:
    CliPulseTest() {
        previous_ = std::filesystem::current_path();
        ::setenv("USER", "tst", 1);
        std::filesystem::current_path(workspace.Folder());
    }
    ~CliPulseTest() override { std::filesystem::current_path(previous_); }

    int Run(std::vector<std::string> words, bool pulseMode = true) {
        if (pulseMode) {
            words.insert(words.begin(), {"--mode", "pulse"});
        }
        words.insert(words.begin(), "wavesmith-cli");
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

    std::string Show() {
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(Run({"pulse", "show"}), 0);
        return ::testing::internal::GetCapturedStdout();
    }

    std::string Sect(int k, const std::string& key) const {
        return workspace.Context("Pulse" + std::to_string(k) + "-ch1", key);
    }

    TempWorkspace workspace;

private:
    std::filesystem::path previous_;
};

} // namespace

TEST_F(CliPulseTest, FirstRunWritesTheDefaultDesignAndShowsItsEmptyLine) {
    EXPECT_EQ(Show(), "Section 1  - <given as: Points> - Pulse Editor\nunit=msec\nstart=0\n"
                      "duration=0\nrepeat=1\n1\t\t\n");
    EXPECT_EQ(workspace.Context("PulseRoot-ch1", "qPls"), "1");
}

TEST_F(CliPulseTest, ADesignIsBuiltFromNothingAcrossRuns) {
    EXPECT_EQ(Run({"pulse", "cell", "1", "1", "0"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "1", "2", "-0.1"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "2", "1", "2.5"}), 0); // the line after the last
    EXPECT_EQ(Run({"pulse", "cell", "2", "2", "0.7"}), 1); // beyond Vpp/2: message 984
    EXPECT_EQ(Run({"pulse", "cell", "2", "2", "0.4"}), 0);
    EXPECT_EQ(Run({"pulse", "section", "append"}), 0);
    EXPECT_EQ(Run({"pulse", "train", "dc"}), 0);
    EXPECT_EQ(Run({"pulse", "unit", "usec"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "1", "1", "500"}), 0);
    EXPECT_EQ(Run({"pulse", "cell", "1", "2", "0.2"}), 0);
    EXPECT_EQ(Run({"pulse", "repeat", "3"}), 0);
    EXPECT_EQ(Show(), "Section 2  - <given as: DC Intervals> - Pulse Editor\nunit=usec\n"
                      "start=2500\nduration=500\nrepeat=3\n1\t500\t0.2\n");
    EXPECT_EQ(workspace.Context("PulseRoot-ch1", "Duration"), "0.004");
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
    EXPECT_EQ(Sect(0, "Train"), "1");
    EXPECT_EQ(Run({"--no", "pulse", "train", "dc"}), 0);
    EXPECT_EQ(workspace.Context("PulseRoot-ch1", "qPls"), "2");
    EXPECT_EQ(Sect(0, "Train"), "0");
    EXPECT_EQ(Sect(1, "Node0-sub2"), "0.1");
    EXPECT_EQ(Run({"pulse", "train", "sequence"}), 1);
}

TEST_F(CliPulseTest, OptionsPrintAndTakeTheDialogsChoices) {
    EXPECT_EQ(Run({"pulse", "options", "segmentation", "allowed"}), 0);
    EXPECT_EQ(Run({"pulse", "options", "memory", "unused"}), 0);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Run({"pulse", "options"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "segmentation=allowed\nmemory=unused\nsingle-stepping=200\n");
}

TEST_F(CliPulseTest, WordsThatDoNotFitAreUsageErrorsAndWriteNothingOfThem) {
    const std::vector<std::vector<std::string>> cases = {
        {"pulse"},
        {"pulse", "bogus"},
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
    };
    for (const auto& words : cases) {
        EXPECT_EQ(Run(words), CliApp::UsageError) << words.back();
    }
    EXPECT_EQ(Sect(0, "qItm"), "");
    EXPECT_EQ(Run({"pulse", "show"}, false), CliApp::UsageError); // not in pulse mode
}
