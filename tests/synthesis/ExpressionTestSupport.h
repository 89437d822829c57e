#pragma once

#include "platform/recording/RecordingUserInterface.h"
#include "synthesis/Expression.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A start-up folder of its own, with a recording user interface, for evaluating formulas
// that may name waveform files.
class ExpressionFolder : public ::testing::Test {
protected:
    ExpressionFolder() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("ws-expr-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(folder_);
    }
    ~ExpressionFolder() override {
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }

    std::string Folder() const { return folder_.string() + "/"; }

    // Writes little-endian samples of `width` bytes each.
    void WriteSamples(const std::string& name, const std::vector<long long>& samples,
                      int width) const {
        std::ofstream out(folder_ / name, std::ios::binary);
        for (const long long sample : samples) {
            for (int i = 0; i < width; ++i) {
                out.put(
                    static_cast<char>((static_cast<unsigned long long>(sample) >> (8 * i)) & 0xFF));
            }
        }
    }

    std::filesystem::path folder_;
    RecordingUserInterface ui_;
};
