#include "settings/AtomicFileWriter.h"

#include "core/DiskSync.h"
#include "settings/TemporaryFolderList.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryPrefix = "~$ws";
constexpr std::string_view kTemporarySuffix = ".part";

std::string TemporaryName() {
    static std::atomic<unsigned long> counter{0};
    return std::string(kTemporaryPrefix) + std::to_string(CurrentProcessId()) + "-" +
           std::to_string(counter.fetch_add(1)) + std::string(kTemporarySuffix);
}

// The file a write to `path` must change: the target of a symbolic link (followed to its
// end) rather than the link itself.
std::string ResolveTarget(const std::string& path) {
    std::error_code error;
    fs::path current(path);
    for (int hops = 0; hops < 40 && fs::is_symlink(current, error); ++hops) {
        const fs::path link = fs::read_symlink(current, error);
        if (error) {
            break;
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    return current.lexically_normal().string();
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

bool IsWritableFile(const std::string& path) {
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

bool AtomicFileWriter::Fail(const std::string& what, const std::string& file, int error) {
    failed_ = true;
    if (error_.empty()) {
        error_ = what + " " + file;
        if (error != 0) {
            error_ += ": " + std::generic_category().message(error);
        }
    }
    return false;
}

bool AtomicFileWriter::Open() {
    Discard();
    failed_ = false;
    error_.clear();
    if (path_.empty()) {
        return Fail("cannot write", "a file without a name", 0);
    }
    path_ = ResolveTarget(path_);
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(path_), error);
    if (status.type() != fs::file_type::not_found) {
        if (status.type() == fs::file_type::directory) {
            return Fail("cannot write", path_, EISDIR);
        }
        if (status.type() != fs::file_type::regular) {
            return Fail("cannot replace", path_ + " (not a regular file)", 0);
        }
        // A file the user may not write stays untouched, as a plain write would have
        // failed on it too; only the program's own files are replaced regardless.
        // The owner's write bit counts even for the superuser, who could write anyway.
        const bool readOnly = (status.permissions() & fs::perms::owner_write) == fs::perms::none;
        if (!ownFile_ && (readOnly || !IsWritableFile(path_))) {
            return Fail("cannot write", path_, readOnly ? EACCES : errno);
        }
    }
    if (!CreateTemporary()) {
        return false;
    }
    // The old file's cached pages are of no more use once it is replaced; given up now, they
    // take the new file's bytes.
    if (IsLongTarget()) {
        ForgetFileCache(path_);
    }
    return true;
}

std::string AtomicFileWriter::TemporaryPathIn(const std::string& folder) {
    std::error_code error;
    for (;;) {
        const fs::path candidate = fs::path(folder) / TemporaryName();
        if (!fs::exists(fs::symlink_status(candidate, error))) {
            return candidate.string();
        }
    }
}

bool AtomicFileWriter::CreateTemporary() {
    const fs::path folder(FolderOf(path_));
    // Noted before the temporary exists, so that a kill at any later moment finds the
    // folder listed for the next start-up.
    TemporaryFolderList::Note(folder.string());
    // Left-overs of killed runs in the user's own folders go when the folder is next written.
    RemoveStaleTemporaries(folder.string());
    AwaitReleasedSpace(folder.string());
    int createError = 0;
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
        temporaryPath_ = (folder / TemporaryName()).string();
        errno = 0;
        file_ = std::fopen(temporaryPath_.c_str(), "wbx");
        createError = errno;
        if (file_ == nullptr && createError != EEXIST) {
            break; // a missing or read-only folder: another name will not help
        }
    }
    if (file_ == nullptr) {
        temporaryPath_.clear();
        return Fail("cannot create a file in", folder.string(), createError);
    }
    // Permissions first, so that the content is never readable by more people than before.
    std::error_code error;
    fs::perms permissions = fs::perms::owner_read | fs::perms::owner_write;
    const fs::file_status old = fs::status(fs::path(path_), error);
    if (!ownFile_ && !error && old.type() == fs::file_type::regular) {
        permissions = old.permissions();
    }
    fs::permissions(fs::path(temporaryPath_), permissions, fs::perm_options::replace, error);
    return true;
}

void AtomicFileWriter::Write(const void* bytes, std::size_t count) {
    if (file_ == nullptr || failed_) {
        failed_ = true;
        return;
    }
    if (count != 0 && std::fwrite(bytes, 1, count, file_) != count) {
        Fail("cannot write", path_, errno);
        return;
    }
    // A long file goes to the disk as it is written, so that the flush of Commit() is
    // short and a progress shown while writing is true to the time the write takes. Each
    // piece starts on its way while the next is written; only the one before is waited for,
    // and none after StartEachPiece().
    written_ += count;
    if (written_ - streamed_ >= writeOutBytes_) {
        errno = 0;
        if (!StreamFileToDisk(file_, static_cast<long long>(streamed_), waitForPieces_)) {
            Fail("cannot write", path_, errno);
        }
        streamed_ = written_;
    }
}

bool AtomicFileWriter::Write(const void* bytes, std::size_t count,
                             const ProgressCallback& progress) {
    // A few dozen questions for the longest waveform.
    constexpr std::size_t kProgressPiece = std::size_t{32} << 20;
    const auto* first = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < count;) {
        const std::size_t piece = std::min(kProgressPiece, count - done);
        Write(first + done, piece);
        done += piece;
        if (progress && !progress(static_cast<double>(done) / static_cast<double>(count))) {
            return false;
        }
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (file_ == nullptr) {
        return Fail("cannot write", path_, 0);
    }
    errno = 0;
    const bool synced = !failed_ && std::ferror(file_) == 0 && SyncFileToDisk(file_);
    const int syncError = errno;
    const bool closed = std::fclose(file_) == 0;
    const int closeError = errno;
    file_ = nullptr;
    if (!synced || !closed) {
        Fail("cannot write", path_, !synced ? syncError : closeError);
        Discard();
        return false;
    }
    const int replaced = HoldReplacedFile();
    std::error_code error;
    fs::rename(fs::path(temporaryPath_), fs::path(path_), error);
    if (error) {
        ReleaseFileLater(replaced);
        Fail("cannot replace", path_, error.value());
        Discard();
        return false;
    }
    temporaryPath_.clear();
    SyncFolderToDisk(FolderOf(path_));
    ReleaseFileLater(replaced);
    return true;
}

bool AtomicFileWriter::IsLongTarget() const {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(fs::path(path_), error);
    return !error && size >= kLongBytes;
}

int AtomicFileWriter::HoldReplacedFile() const {
    return IsLongTarget() ? HoldFile(path_) : -1;
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

bool AtomicFileWriter::WriteWhole(const std::string& path, std::string_view bytes,
                                  std::string* error) {
    AtomicFileWriter writer(path);
    if (!writer.Open()) {
        return writer.ErrorTo(error);
    }
    writer.Write(bytes);
    return writer.Commit() || writer.ErrorTo(error);
}

long AtomicFileWriter::TemporaryOwner(std::string_view name) {
    if (name.size() <= kTemporaryPrefix.size() + kTemporarySuffix.size() ||
        name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix ||
        name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix) {
        return -1;
    }
    const std::string_view middle = name.substr(
        kTemporaryPrefix.size(), name.size() - kTemporaryPrefix.size() - kTemporarySuffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == middle.size()) {
        return -1;
    }
    long owner = -1;
    const auto [end, status] = std::from_chars(middle.data(), middle.data() + dash, owner);
    if (status != std::errc() || end != middle.data() + dash || owner <= 0) {
        return -1;
    }
    for (const char c : middle.substr(dash + 1)) {
        if (c < '0' || c > '9') {
            return -1;
        }
    }
    return owner;
}

int AtomicFileWriter::RemoveStaleTemporaries(const std::string& folder) {
    int removed = 0;
    std::error_code error;
    fs::directory_iterator entries(fs::path(folder.empty() ? "." : folder), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const long owner = TemporaryOwner(entries->path().filename().string());
        std::error_code entryError;
        if (owner <= 0 || !entries->is_regular_file(entryError) || ProcessIsRunning(owner)) {
            continue;
        }
        if (fs::remove(entries->path(), entryError)) {
            ++removed;
        }
    }
    return removed;
}
