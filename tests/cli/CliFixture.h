#pragma once

#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "support/TempWorkspace.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

// Reads the words (without the program's name) as wavesmith-cli's command line; the reason
// of a refusal, or nothing.
inline std::optional<std::string> ParseCommandLine(std::vector<std::string> words,
                                                   CliOptions& options) {
    words.insert(words.begin(), "wavesmith-cli");
    std::vector<const char*> argv;
    for (const auto& word : words) {
        argv.push_back(word.c_str());
    }
    return CliOptions::Parse(static_cast<int>(argv.size()), argv.data(), options);
}

// Runs wavesmith-cli in-process inside a prepared workspace, as the user "tst", with the
// workspace as the current folder for the length of the test.
class CliFixture : public ::testing::Test {
protected:
    explicit CliFixture(const std::string& family = "QW2182",
                        OperatingMode mode = OperatingMode::Standard)
        : workspace(family, mode), previous_(std::filesystem::current_path()) {
        ::setenv("USER", "tst", 1);
        std::filesystem::current_path(workspace.Folder());
    }
    ~CliFixture() override { std::filesystem::current_path(previous_); }

    // The exit status of the program for these words (without the program's name).
    int Run(std::vector<std::string> words) {
        words.insert(words.begin(), modeWords.begin(), modeWords.end());
        CliOptions options;
        if (ParseCommandLine(std::move(words), options)) {
            return CliApp::UsageError;
        }
        return CliApp(options).Run();
    }

    // What the program prints on standard output; its exit status goes to lastCode.
    std::string RunForOutput(std::vector<std::string> words) {
        ::testing::internal::CaptureStdout();
        lastCode = Run(std::move(words));
        return ::testing::internal::GetCapturedStdout();
    }

    // The working file of a segment and channel.
    std::string Working(int segment, int channel) const {
        return workspace.state.userFolder + "/TemS" + std::to_string(segment) + ".wa" +
               std::to_string(channel);
    }

    TempWorkspace workspace;
    std::vector<std::string> modeWords; // put before the words of every run: "--mode fm"
    int lastCode = -1;

private:
    std::filesystem::path previous_;
};
