#pragma once

#include <string>

// Turns a waveform file of a text type into the binary file the document reads. The
// document does not know the text formats; the program that puts it together does.
class WaveformConversion {
public:
    virtual ~WaveformConversion() = default;
    // The binary path, or empty when the file cannot be converted.
    virtual std::string ToBinary(const std::string& path) = 0;
};
