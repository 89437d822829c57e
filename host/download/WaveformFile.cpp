#include "download/WaveformFile.h"

#include "download/WaveformStream.h"

std::optional<WaveformFile> WaveformFile::Read(const std::string& path, std::string& error) {
    const auto file = WaveformStream::Open(path, error);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes(file->Size(), '\0');
    error = file->ReadAt(0, bytes.data(), bytes.size());
    if (error.empty()) {
        error = file->CheckLength();
    }
    if (!error.empty()) {
        return std::nullopt;
    }
    return WaveformFile(std::move(bytes));
}
