#pragma once

#include <cstddef>
#include <optional>
#include <string>

// A waveform file held open for a download, read in pieces at any offset. The tool never
// writes its waveform files in place (each write renames a new file over the old one), so
// the open file keeps the bytes it had when it was opened. A file that another program
// changes in place is caught by its length: a piece that comes short, or bytes beyond the
// end, and the caller then never completes what it was sending.
class WaveformStream {
public:
    // The open file, or nullopt with `error` saying what is wrong with the path or file.
    static std::optional<WaveformStream> Open(const std::string& path, std::string& error);

    WaveformStream(WaveformStream&& other) noexcept;
    WaveformStream& operator=(WaveformStream&& other) = delete;
    WaveformStream(const WaveformStream&) = delete;
    WaveformStream& operator=(const WaveformStream&) = delete;
    ~WaveformStream();

    // The length when opened.
    std::size_t Size() const { return size_; }
    // Reads `count` bytes from `offset`; the reason they could not be read, or empty.
    std::string ReadAt(std::size_t offset, char* into, std::size_t count) const;
    // Empty while the file has the length it had when opened, else the reason to refuse it.
    std::string CheckLength() const;

private:
    WaveformStream(int descriptor, std::size_t size) : descriptor_(descriptor), size_(size) {}

    int descriptor_ = -1;
    std::size_t size_ = 0;
};
