#pragma once

#include "document/SampleBuffer.h"
#include "support/SampleValues.h"
#include "support/TempWorkspace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// File helpers shared by the format tests.

inline std::string ReadBytes(const std::string& path) {
    return TempWorkspace::ReadFile(path);
}

// The little-endian elements of a binary waveform file.
template <typename T> std::vector<T> ReadElements(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<T> values(bytes.size() / sizeof(T));
    for (std::size_t i = 0; i < values.size(); ++i) {
        unsigned char raw[sizeof(T)];
        for (std::size_t b = 0; b < sizeof(T); ++b) {
            raw[b] = static_cast<unsigned char>(bytes[i * sizeof(T) + b]);
        }
        std::uint64_t bits = 0;
        for (std::size_t b = sizeof(T); b-- > 0;) {
            bits = (bits << 8) | raw[b];
        }
        std::memcpy(&values[i], &bits, sizeof(T)); // little-endian hosts only
    }
    return values;
}

inline std::vector<std::int16_t> ReadCodes16(const std::string& path) {
    return ReadElements<std::int16_t>(path);
}

inline SampleBuffer MakeBuffer(SampleKind kind, const std::vector<double>& values) {
    SampleBuffer buffer = Filled(kind, values.size(), 0);
    for (std::size_t i = 0; i < values.size(); ++i) {
        buffer.Store(i, values[i]);
    }
    return buffer;
}

// A format test in a throw-away workspace whose folder holds the test's files.
class FormatsFolder : public ::testing::Test {
protected:
    explicit FormatsFolder(const std::string& family = "QW2182",
                           OperatingMode mode = OperatingMode::Standard)
        : workspace_(family, mode) {}
    std::string PathOf(const std::string& name) const { return workspace_.Folder() + name; }
    std::string Write(const std::string& name, const std::string& bytes) const {
        return workspace_.WriteFile(name, bytes);
    }
    std::vector<std::string> Entries() const {
        return TempWorkspace::FolderEntries(workspace_.Folder());
    }
    TempWorkspace workspace_;
};
