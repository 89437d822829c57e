#include "core/DiskSync.h"

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/statvfs.h>
#include <system_error>
#include <thread>
#include <unistd.h>

bool SyncFileToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) {
        return false;
    }
    const int descriptor = ::fileno(file);
    while (::fsync(descriptor) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool StreamFileToDisk(std::FILE* file, long long start, bool waitForEarlier) {
#ifdef SYNC_FILE_RANGE_WRITE
    if (std::fflush(file) != 0) {
        return false;
    }
    const int descriptor = ::fileno(file);
    const auto range = [descriptor](off_t from, off_t count, unsigned int flags) {
        int result = 0;
        while ((result = ::sync_file_range(descriptor, from, count, flags)) != 0 &&
               errno == EINTR) {
        }
        return result == 0;
    };
    // Count 0: up to the end of the file.
    if (range(static_cast<off_t>(start), 0, SYNC_FILE_RANGE_WRITE) &&
        (start == 0 || !waitForEarlier ||
         range(0, static_cast<off_t>(start),
               SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER))) {
        return true;
    }
    if (errno != EINVAL && errno != ESPIPE && errno != ENOSYS) {
        return false;
    }
#else
    (void)start;
#endif
    return SyncFileToDisk(file);
}

bool SyncFolderToDisk(const std::string& folder) {
    const int descriptor =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    int result = 0;
    while ((result = ::fsync(descriptor)) != 0 && errno == EINTR) {
    }
    // Some file systems cannot sync a folder; the rename itself has happened all the same.
    const bool synced = result == 0 || errno == EINVAL || errno == EROFS;
    ::close(descriptor);
    return synced;
}

void ForgetFileCache(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return; // an unreadable file keeps its cache: only memory is at stake
    }
#ifdef POSIX_FADV_DONTNEED
    ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED);
#endif
    ::close(descriptor);
}

int HoldFile(const std::string& path) {
#ifdef O_PATH
    // A path descriptor needs no permission to read the file: a write-only file is held too.
    return ::open(path.c_str(), O_PATH | O_CLOEXEC);
#else
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#endif
}

namespace {

// The releases still running. Never destroyed: a release may end after main() returns.
struct Releases {
    std::mutex mutex;
    std::condition_variable done;
    int running = 0;
};

Releases& RunningReleases() {
    static Releases* const releases = new Releases;
    return *releases;
}

void EndRelease(Releases& releases) {
    {
        const std::lock_guard<std::mutex> lock(releases.mutex);
        --releases.running;
    }
    releases.done.notify_all();
}

} // namespace

void ReleaseFileLater(int hold) {
    if (hold < 0) {
        return;
    }
    Releases& releases = RunningReleases();
    {
        const std::lock_guard<std::mutex> lock(releases.mutex);
        ++releases.running;
    }
    try {
        std::thread([hold, &releases] {
            ::close(hold);
            EndRelease(releases);
        }).detach();
    } catch (const std::system_error&) {
        ::close(hold);
        EndRelease(releases);
    }
}

void AwaitReleasedSpace(const std::string& folder) {
    Releases& releases = RunningReleases();
    std::unique_lock<std::mutex> lock(releases.mutex);
    if (releases.running == 0) {
        return;
    }
    struct statvfs disk {};
    constexpr unsigned long long kRoomy = 1ULL << 30;
    if (::statvfs(folder.empty() ? "." : folder.c_str(), &disk) == 0 &&
        static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize >= kRoomy) {
        return;
    }
    releases.done.wait(lock, [&releases] { return releases.running == 0; });
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessIsRunning(long processId) {
    if (processId <= 0) {
        return false;
    }
    // EPERM: the process exists but belongs to another user.
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}
