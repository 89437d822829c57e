#include "synthesis/WaveGeneratorSnapshot.h"

#include "document/SampleBuffer.h"
#include "settings/FileHelpers.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

WaveGeneratorSnapshot::~WaveGeneratorSnapshot() {
    DeleteFileIfExists(path_);
}

bool WaveGeneratorSnapshot::Save(const SampleBuffer& samples) {
    FileHandle out(std::fopen(path_.c_str(), "wb"));
    if (!out) {
        return false;
    }
    const std::size_t bytes = samples.ByteSize();
    return bytes == 0 || std::fwrite(samples.Bytes(), 1, bytes, out.get()) == bytes;
}

bool WaveGeneratorSnapshot::Restore(SampleBuffer& samples) const {
    FileHandle in(std::fopen(path_.c_str(), "rb"));
    if (!in) {
        return false;
    }
    std::fseek(in.get(), 0, SEEK_END);
    const long size = std::ftell(in.get());
    std::fseek(in.get(), 0, SEEK_SET);
    if (size < 0) {
        return false;
    }
    const std::size_t points = static_cast<std::size_t>(size) / samples.ElementWidth();
    // The array is reused when the length is unchanged: a preview of 16 M points should
    // not allocate a second array.
    if (points != samples.Size()) {
        samples.AllocateUninitialized(points);
    }
    const std::size_t bytes = samples.ByteSize();
    return bytes == 0 || std::fread(samples.Bytes(), 1, bytes, in.get()) == bytes;
}

bool WaveGeneratorSnapshot::CopyTo(const std::string& undoPath) const {
    return CopyFileOver(path_, undoPath);
}
