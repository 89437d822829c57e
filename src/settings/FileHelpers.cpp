#include "settings/FileHelpers.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::exists(path, error);
}

long long RecordCount(const std::string& path, int recordSize) {
    if (recordSize <= 0) {
        return 0;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    std::fclose(file);
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) {
        return 0;
    }
    return static_cast<long long>(size / static_cast<std::uintmax_t>(recordSize));
}

void ReverseBytes(const void* source, void* destination, std::size_t count) {
    constexpr std::size_t kMaxBytes = 64;
    if (count > kMaxBytes) {
        count = kMaxBytes;
    }
    // Through a copy, so that source and destination may be the same field.
    unsigned char copy[kMaxBytes];
    const auto* from = static_cast<const unsigned char*>(source);
    for (std::size_t i = 0; i < count; ++i) {
        copy[i] = from[count - 1 - i];
    }
    auto* to = static_cast<unsigned char*>(destination);
    for (std::size_t i = 0; i < count; ++i) {
        to[i] = copy[i];
    }
}

bool CopyFileOver(const std::string& source, const std::string& destination) {
    std::error_code error;
    if (!fs::is_regular_file(source, error)) {
        return false;
    }
    if (fs::exists(destination, error) && fs::equivalent(source, destination, error)) {
        return false;
    }
    return fs::copy_file(source, destination, fs::copy_options::overwrite_existing, error) &&
           !error;
}

bool DeleteFileIfExists(const std::string& path) {
    std::error_code error;
    fs::remove(path, error);
    return !error;
}
