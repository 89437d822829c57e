#pragma once

#include "core/ProgressDisplay.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// The one way the programs write a file, so that a name never refers to a half-written
// file: the bytes go to a temporary file in the same folder, which is flushed to the disk
// and renamed over the target only when everything has been written; the folder is then
// synced so that the rename survives a crash. Until Commit() succeeds the old file (if
// any) stays as it was; a writer destroyed without a successful Commit() removes its
// temporary file. A symbolic link in place of the target stays a link: its target is
// replaced. A replaced file of 1 MB or more leaves the system's cache when Open() succeeds
// (it stays whole on the disk), and its disk space comes back a moment after Commit()
// returns; an Open() on a disk with less than 1 GB free first waits for that space.
//
// The temporary file gets the permission bits of the file it replaces; a new file is
// readable and writable by its owner only. Its name ("~$ws" + process id + "-" + a
// number + ".part") holds no ".w", so that a left-over from a crash is never taken for a
// binary waveform, and the process id lets a later start remove left-overs of processes
// that are gone (RemoveStaleTemporaries).
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // For the program's own files (the undo snapshot): a read-only file in the way is
    // replaced as well, and the new file is the owner's alone whatever the old one was.
    void SetOwnFile(bool ownFile) { ownFile_ = ownFile; }
    // For a file worked out piece by piece and short enough to sit in memory whole (the
    // trace import's 8 MB): every `bytes` written go on their way to the disk at once, none
    // waited for until Commit(), which then waits for little more than the last piece. By
    // default a long file goes every 256 MB, each piece waited for before the next is sent.
    void StartEachPiece(std::size_t bytes) {
        writeOutBytes_ = bytes == 0 ? kSyncBytes : bytes;
        waitForPieces_ = bytes == 0;
    }

    // False when the target cannot be written (an existing file that is not writable, a
    // folder, a missing folder) or the temporary file cannot be created.
    bool Open();
    // Appends bytes; a failed write is remembered and makes Commit() fail.
    void Write(const void* bytes, std::size_t count);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Appends a long run of bytes in pieces, asking `progress` after each; false once it
    // answers stop (then nothing more is written and Commit() should not follow).
    bool Write(const void* bytes, std::size_t count, const ProgressCallback& progress);
    // Flushes the temporary file to the disk and moves it over the target.
    bool Commit();

    bool Failed() const { return failed_; }
    // Why the write failed, naming the file: "cannot write /x/a.wav: No space left on device".
    const std::string& Error() const { return error_; }
    // Stores Error() in `error` when one is given; always false, for
    // `return writer.Commit() || writer.ErrorTo(error);`.
    bool ErrorTo(std::string* error) const {
        if (error != nullptr) {
            *error = error_;
        }
        return false;
    }
    // The file that is replaced: the target of a symbolic link rather than the link.
    const std::string& TargetPath() const { return path_; }
    const std::string& TemporaryPath() const { return temporaryPath_; }

    // Opens, writes and commits the bytes in one go.
    static bool WriteWhole(const std::string& path, std::string_view bytes,
                           std::string* error = nullptr);
    // Removes, from one folder, the temporary files of this writer whose process is no
    // longer running; never touches any other file. Returns how many were removed. Every
    // Open() does this for the folder it writes into; start-up does it for the workspace.
    static int RemoveStaleTemporaries(const std::string& folder);
    // A free path in `folder` named as this writer's temporaries: a file left there by a
    // killed run is removed by the next sweep of the folder, like a temporary of a write.
    static std::string TemporaryPathIn(const std::string& folder);
    // The process id in a temporary name of this writer, or -1 for any other name.
    static long TemporaryOwner(std::string_view fileName);

private:
    bool Fail(const std::string& what, const std::string& file, int error);
    bool IsLongTarget() const;
    int HoldReplacedFile() const;
    bool CreateTemporary();
    void Discard();

    std::string path_;
    std::string temporaryPath_;
    std::string error_;
    // Bytes written, and how many of them were sent on their way to the disk; a piece is
    // sent every kSyncBytes. Below that the one flush at the end is cheapest (pieces cost a
    // file of 128 MB about 40 % more on a shared disk); above it, the final flush of a
    // waveform of hundreds of megabytes would keep its progress at 100 % for seconds.
    static constexpr std::size_t kSyncBytes = std::size_t{256} << 20;
    // A replaced file of this size or more leaves the cache when the new one is opened (see
    // ForgetFileCache) and gives its disk space back after Commit() returns (see HoldFile):
    // on a disk that discards freed blocks, freeing 128 MB inside the rename took as long
    // as a third of the write. Smaller files are freed inside the rename.
    static constexpr std::uintmax_t kLongBytes = std::uintmax_t{1} << 20;
    std::size_t writeOutBytes_ = kSyncBytes;
    bool waitForPieces_ = true;
    std::size_t written_ = 0;
    std::size_t streamed_ = 0;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    bool ownFile_ = false;
};
