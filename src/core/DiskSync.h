#pragma once

#include <cstdio>
#include <string>

// What the safe file writer needs from the operating system: pushing written bytes and a
// renamed directory entry to the disk, and telling whether the process that left a
// temporary file behind is still running.

// Flushes the stream and waits until its bytes are on the disk.
bool SyncFileToDisk(std::FILE* file);
// Flushes the stream and starts writing its bytes from `start` on to the disk without
// waiting for them, then (`waitForEarlier`) waits for the bytes before `start`, started by
// an earlier call. A long write and its way to the disk then run side by side, and the
// final sync has little left to do. Where the system cannot start a write-back alone, it
// syncs.
bool StreamFileToDisk(std::FILE* file, long long start, bool waitForEarlier = true);
// Makes a rename inside the folder survive a crash of the machine.
bool SyncFolderToDisk(const std::string& folder);
// Lets the system drop what it caches of the file at `path`; the file stays whole on the
// disk. A file written while the one it replaces still fills the cache takes memory the
// machine has not used lately, which on a virtual machine that hands free memory back to
// its host made the write of 128 MB three times slower.
void ForgetFileCache(const std::string& path);
// Keeps the file at `path` in being after its name goes, until ReleaseFileLater(): the
// disk space of a file replaced by a rename is then given back by that release, not inside
// the rename. Where the file system discards freed blocks at once, giving back the space of
// a long waveform takes as long as a large part of writing it. -1 when it cannot be held.
int HoldFile(const std::string& path);
// Gives the held file up on a thread of its own, so that whoever replaced it does not wait
// while its space is given back; with no thread to be had, it is given up at once.
void ReleaseFileLater(int hold);
// Waits until the files given up by ReleaseFileLater() are gone when the disk of `folder`
// has less than 1 GB free, so that a write never fails for want of space that a replaced
// file still holds.
void AwaitReleasedSpace(const std::string& folder);
long CurrentProcessId();
bool ProcessIsRunning(long processId);
