#include "ResponseBuffer.h"

#include <utility>

void ResponseBuffer::BeginQuery() {
    if (messageHasResponse_) {
        Append(";");
    }
    messageHasResponse_ = true;
}

void ResponseBuffer::Append(std::string_view text) {
    if (text.empty()) {
        return;
    }
    if (pieces_.empty() || pieces_.back().isShared) {
        pieces_.emplace_back();
    }
    pieces_.back().text.append(text);
    size_ += text.size();
}

void ResponseBuffer::AppendShared(SharedBytes bytes) {
    if (bytes.Empty()) {
        return;
    }
    size_ += bytes.Size();
    Piece piece;
    piece.shared = std::move(bytes);
    piece.isShared = true;
    pieces_.push_back(std::move(piece));
}

void ResponseBuffer::EndMessage() {
    if (messageHasResponse_) {
        Append("\n");
    }
    messageHasResponse_ = false;
}

ResponseBuffer::Mark ResponseBuffer::Save() const {
    Mark mark;
    mark.pieces = pieces_.size();
    mark.lastTextSize = pieces_.empty() ? 0 : pieces_.back().text.size();
    mark.size = size_;
    mark.messageHasResponse = messageHasResponse_;
    return mark;
}

void ResponseBuffer::Restore(const Mark& mark) {
    pieces_.resize(mark.pieces);
    if (!pieces_.empty() && !pieces_.back().isShared) {
        pieces_.back().text.resize(mark.lastTextSize);
    }
    size_ = mark.size;
    messageHasResponse_ = mark.messageHasResponse;
}

void ResponseBuffer::Clear() {
    pieces_.clear();
    size_ = 0;
    messageHasResponse_ = false;
}

std::string ResponseBuffer::Joined() const {
    std::string joined;
    joined.reserve(size_);
    for (const Piece& piece : pieces_) {
        joined.append(piece.View());
    }
    return joined;
}
