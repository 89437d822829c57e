#include "synthesis/ExpressionWaveFile.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

int SampleWidth(bool fm) {
    return fm ? 4 : 2;
}

// Number of whole samples in the file; 0 when it is not a readable regular file.
long long SampleCount(const std::string& path, bool fm) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return 0;
    }
    return static_cast<long long>(size / static_cast<std::uintmax_t>(SampleWidth(fm)));
}

std::int32_t Decode(const unsigned char* bytes, bool fm) {
    if (fm) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) |
                                         static_cast<std::uint32_t>(bytes[1]) << 8 |
                                         static_cast<std::uint32_t>(bytes[2]) << 16 |
                                         static_cast<std::uint32_t>(bytes[3]) << 24);
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
}

// Reads `count` samples starting at sample `first`; false when the read comes up short.
bool ReadRun(const std::string& path, bool fm, long long first, long long count,
             std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const long long width = SampleWidth(fm);
    bytes.resize(static_cast<std::size_t>(count * width));
    const bool ok = std::fseek(file, static_cast<long>(first * width), SEEK_SET) == 0 &&
                    std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    return ok;
}

} // namespace

double ExpressionWaveFile::ReadSample(const std::string& path, bool fm, double point) {
    const double index = std::trunc(point);
    const long long count = SampleCount(path, fm);
    if (!(index >= 0) || static_cast<double>(count) <= index) {
        return 0.0;
    }
    std::vector<unsigned char> bytes;
    if (!ReadRun(path, fm, static_cast<long long>(index), 1, bytes)) {
        return 0.0;
    }
    return static_cast<double>(Decode(bytes.data(), fm));
}

ExpressionWaveFile::ExpressionWaveFile(const std::string& path, bool fm, long long first,
                                       long long last)
    : path_(path) {
    begin_ = std::max(first, 0LL);
    const long long end = std::min(last + 1, SampleCount(path, fm));
    std::vector<unsigned char> bytes;
    if (end <= begin_ || !ReadRun(path, fm, begin_, end - begin_, bytes)) {
        return;
    }
    const int width = SampleWidth(fm);
    samples_.resize(static_cast<std::size_t>(end - begin_));
    for (std::size_t i = 0; i < samples_.size(); ++i) {
        samples_[i] = Decode(bytes.data() + i * static_cast<std::size_t>(width), fm);
    }
}

void ExpressionWaveFile::Samples(long long point, int count, double* values) const {
    for (int i = 0; i < count; ++i) {
        values[i] = Sample(point + i);
    }
}
