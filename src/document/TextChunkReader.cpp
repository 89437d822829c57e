#include "document/TextChunkReader.h"

#include <cstring>

TextChunkReader::TextChunkReader(std::FILE* file, BoundaryTest isBoundary, std::size_t chunkSize)
    : file_(file), isBoundary_(isBoundary), buffer_(chunkSize > 0 ? chunkSize : 1) {}

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
