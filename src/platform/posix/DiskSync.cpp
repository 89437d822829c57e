#include "core/DiskSync.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
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
