#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A binary waveform file used as an operand: a headerless little-endian array of signed
// 16-bit samples (standard mode) or 32-bit samples (FM mode). A point outside the file, or a
// file that cannot be read (a folder, say), gives 0.
class ExpressionWaveFile {
public:
    // The sample at `point` (truncated), read straight from the file.
    static double ReadSample(const std::string& path, bool fm, double point);

    // The samples for points first..last, read once.
    ExpressionWaveFile(const std::string& path, bool fm, long long first, long long last);

    const std::string& Path() const { return path_; }
    double Sample(long long point) const {
        const long long index = point - begin_;
        return (index >= 0 && index < static_cast<long long>(samples_.size()))
                   ? static_cast<double>(samples_[static_cast<std::size_t>(index)])
                   : 0.0;
    }
    // The samples from `point` on, `count` of them, as doubles.
    void Samples(long long point, int count, double* values) const;

private:
    std::string path_;
    long long begin_ = 0;
    std::vector<std::int32_t> samples_;
};
