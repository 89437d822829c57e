#pragma once

#include <cstdio>
#include <string>

// What the safe file writer needs from the operating system: pushing written bytes and a
// renamed directory entry to the disk, and telling whether the process that left a
// temporary file behind is still running.

// Flushes the stream and waits until its bytes are on the disk.
bool SyncFileToDisk(std::FILE* file);
// Makes a rename inside the folder survive a crash of the machine.
bool SyncFolderToDisk(const std::string& folder);
long CurrentProcessId();
bool ProcessIsRunning(long processId);
