#pragma once

#include <string>

// An exclusive advisory lock shared with other processes, held for the object's
// lifetime. The lock file sits beside the file it protects ("<path>.lock") so that the
// protected file itself can be replaced by rename while the lock is held.
class FileLock {
public:
    explicit FileLock(const std::string& protectedPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};
