#include "document/TextChunkReader.h"

#include <cstdio>
#include <cstring>

TextChunkReader::TextChunkReader(std::FILE* file, BoundaryTest isBoundary, std::size_t chunkSize)
    : file_(file), isBoundary_(isBoundary), buffer_(InitialSize(file, chunkSize)) {}

// One byte more than the rest of the file, so that the first read already meets its end;
// the full chunk for a file that cannot tell its size (a pipe).
std::size_t TextChunkReader::InitialSize(std::FILE* file, std::size_t chunkSize) {
    chunkSize = chunkSize > 0 ? chunkSize : 1;
    if (file == nullptr) {
        return 1;
    }
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        return chunkSize;
    }
    const long size = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0 || size < here) {
        return chunkSize;
    }
    const auto rest = static_cast<unsigned long>(size - here);
    return rest < chunkSize ? static_cast<std::size_t>(rest) + 1 : chunkSize;
}

void TextChunkReader::Fill() {
    if (atEnd_) {
        return;
    }
    if (filled_ == buffer_.size()) {
        buffer_.resize(buffer_.size() * 2);
    }
    const std::size_t wanted = buffer_.size() - filled_;
    const std::size_t got =
        file_ != nullptr ? std::fread(buffer_.data() + filled_, 1, wanted, file_) : 0;
    filled_ += got;
    atEnd_ = got < wanted;
    readError_ = readError_ || (atEnd_ && file_ != nullptr && std::ferror(file_) != 0);
}

bool TextChunkReader::Next(std::string_view& window) {
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + start_, filled_ - start_);
        filled_ -= start_;
        start_ = 0;
    }
    std::size_t searched = 0; // characters already known to hold no boundary
    for (;;) {
        Fill();
        if (atEnd_) {
            if (filled_ == 0) {
                return false;
            }
            start_ = filled_;
            break;
        }
        std::size_t cut = filled_;
        while (cut > searched && !isBoundary_(buffer_[cut - 1])) {
            --cut;
        }
        if (cut > searched) {
            start_ = cut;
            break;
        }
        searched = filled_;
    }
    window = std::string_view(buffer_.data(), start_);
    consumed_ += start_;
    return true;
}
