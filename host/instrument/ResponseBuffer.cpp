#include "ResponseBuffer.h"

#include <utility>

namespace {

// Counted twice: a string or vector grown by doubling has at most as much spare room as
// it has contents.
constexpr std::size_t kPieceCost = 2 * sizeof(ResponseBuffer::Piece);

} // namespace

ResponseBuffer::ResponseBuffer(ByteBudget* budget) : budget_(budget) {}

ResponseBuffer::~ResponseBuffer() {
    GiveBackBeyond(0);
}

void ResponseBuffer::BeginQuery() {
    if (messageHasResponse_) {
        Append(";");
    }
    messageHasResponse_ = true;
}

ResponseBuffer::Piece& ResponseBuffer::PieceForText() {
    if (pieces_.empty() || pieces_.back().isShared) {
        pieces_.emplace_back();
    }
    return pieces_.back();
}

void ResponseBuffer::Append(std::string_view text) {
    if (text.empty()) {
        return;
    }
    const bool newPiece = pieces_.empty() || pieces_.back().isShared;
    if (!Hold(2 * text.size() + (newPiece ? kPieceCost : 0))) {
        return;
    }
    PieceForText().text.append(text);
    size_ += text.size();
}

void ResponseBuffer::AppendShared(SharedBytes bytes) {
    if (bytes.Empty() || !Hold(bytes.Footprint() + kPieceCost)) {
        return;
    }
    size_ += bytes.Size();
    Piece piece;
    piece.shared = std::move(bytes);
    piece.isShared = true;
    pieces_.push_back(std::move(piece));
}

// The terminator goes in even past the limit: a message's answer is never left open.
void ResponseBuffer::EndMessage() {
    if (messageHasResponse_) {
        held_ += 2 + kPieceCost;
        PieceForText().text.push_back('\n');
        ++size_;
    }
    messageHasResponse_ = false;
}

ResponseBuffer::Mark ResponseBuffer::Save() const {
    Mark mark;
    mark.pieces = pieces_.size();
    mark.lastTextSize = pieces_.empty() ? 0 : pieces_.back().text.size();
    mark.size = size_;
    mark.held = held_;
    mark.messageHasResponse = messageHasResponse_;
    return mark;
}

void ResponseBuffer::Restore(const Mark& mark) {
    pieces_.resize(mark.pieces);
    if (!pieces_.empty() && !pieces_.back().isShared) {
        std::string& text = pieces_.back().text;
        text.resize(mark.lastTextSize);
        if (text.capacity() > 2 * text.size()) {
            text.shrink_to_fit();
        }
    }
    if (pieces_.capacity() > 2 * pieces_.size()) {
        pieces_.shrink_to_fit();
    }
    size_ = mark.size;
    held_ = mark.held;
    GiveBackBeyond(held_);
    messageHasResponse_ = mark.messageHasResponse;
    overflowed_ = false;
}

void ResponseBuffer::Clear() {
    pieces_ = std::vector<Piece>();
    size_ = 0;
    held_ = 0;
    GiveBackBeyond(0);
    messageHasResponse_ = false;
    overflowed_ = false;
}

std::string ResponseBuffer::Joined() const {
    std::string joined;
    joined.reserve(size_);
    for (const Piece& piece : pieces_) {
        joined.append(piece.View());
    }
    return joined;
}

bool ResponseBuffer::Hold(std::size_t bytes) {
    if (overflowed_) {
        return false;
    }
    const std::size_t held = held_ + bytes;
    const std::size_t beyondOwn = held > kOwnBytes ? held - kOwnBytes : 0;
    if (budget_ != nullptr && beyondOwn > charged_) {
        if (!budget_->TryTake(beyondOwn - charged_)) {
            overflowed_ = true;
            return false;
        }
        charged_ = beyondOwn;
    }
    held_ = held;
    return true;
}

void ResponseBuffer::GiveBackBeyond(std::size_t held) {
    const std::size_t keep = held > kOwnBytes ? held - kOwnBytes : 0;
    if (charged_ > keep) {
        budget_->Give(charged_ - keep);
        charged_ = keep;
    }
}
