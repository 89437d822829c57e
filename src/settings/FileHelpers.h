#pragma once

#include <cstddef>
#include <string>

// True when the path names an existing file or folder.
bool FileExists(const std::string& path);
// File size in bytes divided by the record size; 0 when the file cannot be opened.
long long RecordCount(const std::string& path, int recordSize);
// Writes the source bytes to the destination in reverse order; at most 64 bytes.
void ReverseBytes(const void* source, void* destination, std::size_t count);
// Copies a file over another; false when the source is missing or the copy fails.
bool CopyFileOver(const std::string& source, const std::string& destination);
bool DeleteFileIfExists(const std::string& path);
