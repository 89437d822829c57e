#pragma once

#include <cstddef>
#include <string>

// A whole file mapped read-only, so that a download hands the page cache straight to the
// socket instead of copying a waveform of many megabytes first.
class MappedFile {
public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool IsOpen() const { return open_; }
    const void* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    const std::string& Error() const { return error_; }

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    bool open_ = false;
    std::string error_;
};
