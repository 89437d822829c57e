#pragma once

#include "core/ProgressDisplay.h"

#include <cstddef>
#include <string>

// True when the path names an existing file or folder.
bool FileExists(const std::string& path);
// File size in bytes divided by the record size; 0 when the file cannot be opened.
long long RecordCount(const std::string& path, int recordSize);
// Writes the source bytes to the destination in reverse order; at most 64 bytes.
void ReverseBytes(const void* source, void* destination, std::size_t count);
enum class CopyTarget {
    UserFile, // a read-only destination is refused and keeps its permission bits
    OwnFile,  // a file of the program's own: replaced whatever its bits, owner-only after
};

struct CopyResult {
    bool copied = false;
    bool sourceMissing = false;
    std::string error;      // names the file and the reason when not copied
    bool cancelled = false; // stopped through the progress callback; error stays empty
};

// Copies a file over another through AtomicFileWriter: the destination is either the old
// file, untouched, or a whole copy of the source, never anything in between. `progress` is
// asked after every piece; a stop leaves the destination untouched.
CopyResult CopyFileSafely(const std::string& source, const std::string& destination,
                          CopyTarget target = CopyTarget::UserFile,
                          const ProgressCallback& progress = {});
bool DeleteFileIfExists(const std::string& path);
// The path made absolute (against the current folder) with "." and ".." steps and
// doubled separators removed; an empty path stays empty.
std::string AbsoluteNormalPath(const std::string& path);
