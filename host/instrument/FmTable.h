#pragma once

#include "SharedBytes.h"

#include <cstdint>

// The FM modulation table of one channel, kept byte for byte as it was sent, in one of two
// forms: 32-bit little-endian codes over the deviation window (:FM:DATA), or 64-bit
// little-endian IEEE doubles holding each point's frequency in Hz (:FM:DATA:HZ), which is
// how a wide-FM family's waveform arrives. A query asks for the form it expects, so a test
// never compares codes with frequencies.
class FmTable {
public:
    enum class Form { Codes, Hertz };

    static constexpr std::size_t kBytesPerCode = 4;
    static constexpr std::size_t kBytesPerFrequency = 8;
    // The shortest FM waveform the instrument families allow.
    static constexpr std::uint64_t kMinPoints = 10;
    static constexpr double kMaxFrequency = 10e9;

    // `maxBytes`: the table's memory, whichever form fills it.
    explicit FmTable(std::uint64_t maxBytes) : maxBytes_(maxBytes) {}

    void Clear();
    void SetCodes(SharedBytes bytes);
    // Every value must be a frequency above 0 and at most kMaxFrequency.
    void SetFrequencies(SharedBytes bytes);
    // The table in `form`: empty when nothing was sent; -221 when it holds the other form.
    SharedBytes In(Form form) const;

private:
    void CheckSize(const SharedBytes& bytes, std::size_t width, const char* what) const;

    std::uint64_t maxBytes_;
    SharedBytes bytes_;
    Form form_ = Form::Codes;
};
