#include "document/AtomicFileWriter.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A name that differs between processes and between calls; collisions are still
// possible and are resolved by exclusive creation.
std::string TemporaryName() {
    static std::atomic<unsigned long long> counter{
        static_cast<unsigned long long>(
            std::chrono::steady_clock::now().time_since_epoch().count()) ^
        reinterpret_cast<unsigned long long>(&counter)};
    const unsigned long long value = counter.fetch_add(0x9E3779B97F4A7C15ull);
    return "~$" + std::to_string(value % 1000000000000ull) + ".part";
}

// The file a write to `path` must change: the target of a symbolic link rather than
// the link itself.
std::string ResolveTarget(const std::string& path) {
    std::error_code error;
    if (fs::is_symlink(fs::path(path), error)) {
        const fs::path target = fs::weakly_canonical(fs::path(path), error);
        if (!error) {
            return target.string();
        }
    }
    return path;
}

// An existing target that the user may not write must stay untouched, as a plain
// truncating write would have failed on it too.
bool TargetIsWritable(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(path), error);
    if (status.type() == fs::file_type::not_found) {
        return true;
    }
    if (status.type() != fs::file_type::regular) {
        return false;
    }
    std::FILE* probe = std::fopen(path.c_str(), "r+b");
    if (probe == nullptr) {
        return false;
    }
    std::fclose(probe);
    return true;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Open() {
    Discard();
    failed_ = false;
    if (path_.empty()) {
        failed_ = true;
        return false;
    }
    path_ = ResolveTarget(path_);
    if (!TargetIsWritable(path_)) {
        failed_ = true;
        return false;
    }
    const fs::path folder = fs::path(path_).parent_path();
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
        temporaryPath_ = (folder / TemporaryName()).string();
        errno = 0;
        file_ = std::fopen(temporaryPath_.c_str(), "wbx");
        if (file_ == nullptr && errno != EEXIST) {
            break; // a missing or read-only folder: another name will not help
        }
    }
    if (file_ == nullptr) {
        temporaryPath_.clear();
        failed_ = true;
        return false;
    }
    return true;
}

void AtomicFileWriter::Write(const void* bytes, std::size_t count) {
    if (file_ == nullptr || failed_ || count == 0) {
        failed_ = failed_ || file_ == nullptr;
        return;
    }
    if (std::fwrite(bytes, 1, count, file_) != count) {
        failed_ = true;
    }
}

bool AtomicFileWriter::Commit() {
    if (file_ == nullptr) {
        return false;
    }
    const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (failed_ || !flushed || !closed) {
        failed_ = true;
        Discard();
        return false;
    }
    std::error_code error;
    const fs::file_status old = fs::status(fs::path(path_), error);
    if (!error && old.type() == fs::file_type::regular) {
        fs::permissions(fs::path(temporaryPath_), old.permissions(), error);
    }
    fs::rename(fs::path(temporaryPath_), fs::path(path_), error);
    if (error) {
        failed_ = true;
        Discard();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

void AtomicFileWriter::Discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        std::error_code error;
        fs::remove(fs::path(temporaryPath_), error);
        temporaryPath_.clear();
    }
}
