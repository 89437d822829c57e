#include "settings/FileHelpers.h"

#include "settings/AtomicFileWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

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

CopyResult CopyFileSafely(const std::string& source, const std::string& destination,
                          CopyTarget target, const ProgressCallback& progress) {
    CopyResult result;
    std::error_code error;
    if (!fs::is_regular_file(source, error)) {
        result.sourceMissing = true;
        result.error = "cannot read " + source;
        return result;
    }
    if (fs::exists(destination, error) && fs::equivalent(source, destination, error)) {
        result.error = "cannot copy " + source + " over itself";
        return result;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(source.c_str(), "rb"),
                                                       &std::fclose);
    const auto expected = fs::file_size(source, error);
    if (!in || error) {
        result.error = "cannot read " + source;
        return result;
    }
    AtomicFileWriter out(destination);
    out.SetOwnFile(target == CopyTarget::OwnFile);
    if (!out.Open()) {
        result.error = out.Error();
        return result;
    }
    std::vector<char> chunk(std::min<std::uintmax_t>(expected + 1, 1u << 20));
    std::uintmax_t copied = 0;
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), in.get())) > 0;) {
        out.Write(chunk.data(), got);
        copied += got;
        if (progress && !progress(static_cast<double>(copied) / static_cast<double>(expected))) {
            result.cancelled = true;
            return result;
        }
    }
    // A source that changed its length while it was copied is no copy to trust.
    if (std::ferror(in.get()) != 0 || copied != expected) {
        result.error = "cannot read " + source + " whole";
        return result;
    }
    if (!out.Commit()) {
        result.error = out.Error();
        return result;
    }
    result.copied = true;
    return result;
}

bool DeleteFileIfExists(const std::string& path) {
    std::error_code error;
    fs::remove(path, error);
    return !error;
}

std::string AbsoluteNormalPath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error);
    return (error ? fs::path(path) : absolute).lexically_normal().string();
}
