#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

// Reads a text file in large pieces that never cut a token in two: each window ends just
// after the last boundary character read so far (white space, a line end, ...), and the
// rest is carried into the next window. A token longer than the buffer makes the buffer
// grow, so the memory used is bounded by the longest token, not by the file. The buffer
// is never larger than what is left of the file when the file can tell its size, so a
// small file costs a small buffer. A read error ends the text; ReadError() tells it from a
// normal end.
class TextChunkReader {
public:
    using BoundaryTest = bool (*)(char);

    TextChunkReader(std::FILE* file, BoundaryTest isBoundary, std::size_t chunkSize = 1 << 20);

    // The next window; false when the file is exhausted. A read error ends the text.
    bool Next(std::string_view& window);
    // True once reading the file failed (a folder, a device error): the text ended early.
    bool ReadError() const { return readError_; }
    // Bytes handed out in windows so far.
    unsigned long long Consumed() const { return consumed_; }

private:
    static std::size_t InitialSize(std::FILE* file, std::size_t chunkSize);
    void Fill();

    std::FILE* file_;
    BoundaryTest isBoundary_;
    std::vector<char> buffer_;
    std::size_t start_ = 0;
    std::size_t filled_ = 0;
    bool atEnd_ = false;
    bool readError_ = false;
    unsigned long long consumed_ = 0;
};
