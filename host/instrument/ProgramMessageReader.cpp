#include "ProgramMessageReader.h"

#include "BlockHeader.h"

#include <algorithm>
#include <cstring>

namespace {

// Room for the rest of the message after a block (";*OPC?"), so that a large block is
// not moved again when its message goes on.
constexpr std::size_t kTextAfterBlock = 256;
// After a large message, give the memory back instead of keeping it per idle client.
constexpr std::size_t kKeptCapacity = 1 << 20;

} // namespace

ProgramMessageReader::ProgramMessageReader(Limits limits)
    : limits_(limits), message_(std::make_shared<MessageBuffer>()) {}

bool ProgramMessageReader::HasPartialMessage() const {
    return !message_->Empty() || state_ != State::Text || rejected_;
}

void ProgramMessageReader::Feed(std::string_view bytes, Sink& sink) {
    while (!bytes.empty()) {
        std::size_t used = 0;
        switch (state_) {
        case State::Text:
            used = FeedText(bytes, sink);
            break;
        case State::BlockHeader:
            used = FeedBlockHeader(bytes, sink);
            break;
        case State::BlockData:
            used = FeedBlockData(bytes);
            break;
        case State::SkipBlock:
            used = FeedSkipBlock(bytes);
            break;
        case State::SkipLine:
            used = FeedSkipLine(bytes);
            break;
        }
        bytes.remove_prefix(used);
    }
}

std::size_t ProgramMessageReader::FeedText(std::string_view bytes, Sink& sink) {
    std::size_t i = 0;
    while (i < bytes.size() && state_ == State::Text) {
        const char c = bytes[i++];
        if (c == '\n') {
            FinishMessage(sink);
            continue;
        }
        if (quote_ != 0) {
            if (c == quote_) {
                quote_ = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote_ = c;
        } else if (c == '#') {
            headerStart_ = message_->Size();
            state_ = State::BlockHeader;
        }
        AppendText(c, sink);
    }
    return i;
}

std::size_t ProgramMessageReader::FeedBlockHeader(std::string_view bytes, Sink& sink) {
    const char c = bytes.front();
    if (c == '\n') {
        // An unfinished header stays text; the parser reports it.
        state_ = State::Text;
        return 0;
    }
    message_->PushBack(c);
    const BlockHeader header = BlockHeader::Parse(message_->View().substr(headerStart_));
    message_->PopBack();
    if (header.status != BlockHeader::Status::Complete &&
        header.status != BlockHeader::Status::Incomplete) {
        // Not a definite block after all: the byte is ordinary text (it may open a quote
        // or another "#"), so it goes through the text rules again.
        state_ = State::Text;
        return 0;
    }
    AppendText(c, sink);
    if (state_ == State::BlockHeader && header.status == BlockHeader::Status::Complete) {
        StartBlock(header.dataLength, sink);
    }
    return 1;
}

void ProgramMessageReader::StartBlock(std::uint64_t dataLength, Sink& sink) {
    blockRemaining_ = dataLength;
    const bool fits = dataLength <= limits_.maxBlockBytes &&
                      messageBlockBytes_ + dataLength <= limits_.maxMessageBlockBytes;
    if (!fits && !rejected_) {
        sink.OnInputError(ScpiError(
            scpi_errors::kTooMuchData,
            "block of " + std::to_string(dataLength) + " bytes exceeds the input limit of " +
                std::to_string(std::min(limits_.maxBlockBytes,
                                        limits_.maxMessageBlockBytes - messageBlockBytes_))));
        rejected_ = true;
    }
    if (!rejected_) {
        messageBlockBytes_ += dataLength;
        // Address space only: pages are touched as the bytes arrive, so a client that
        // announces a block and stalls holds no memory.
        message_->Reserve(message_->Size() + static_cast<std::size_t>(dataLength) +
                          kTextAfterBlock);
    }
    if (dataLength == 0) {
        state_ = State::Text;
    } else {
        state_ = rejected_ ? State::SkipBlock : State::BlockData;
    }
}

std::size_t ProgramMessageReader::FeedBlockData(std::string_view bytes) {
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(blockRemaining_, bytes.size()));
    message_->Append(bytes.substr(0, count));
    TakePayload(count);
    return count;
}

std::span<char> ProgramMessageReader::PayloadSpace() {
    if (state_ != State::BlockData) {
        return {};
    }
    const std::span<char> spare = message_->Spare();
    return spare.first(
        static_cast<std::size_t>(std::min<std::uint64_t>(blockRemaining_, spare.size())));
}

void ProgramMessageReader::CommitPayload(std::size_t count) {
    message_->Commit(count);
    TakePayload(count);
}

void ProgramMessageReader::TakePayload(std::size_t count) {
    blockRemaining_ -= count;
    if (blockRemaining_ == 0) {
        state_ = State::Text;
    }
}

std::size_t ProgramMessageReader::FeedSkipBlock(std::string_view bytes) {
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(blockRemaining_, bytes.size()));
    blockRemaining_ -= count;
    if (blockRemaining_ == 0) {
        state_ = State::Text;
    }
    return count;
}

std::size_t ProgramMessageReader::FeedSkipLine(std::string_view bytes) {
    const void* newline = std::memchr(bytes.data(), '\n', bytes.size());
    if (newline == nullptr) {
        return bytes.size();
    }
    StartNextMessage();
    return static_cast<std::size_t>(static_cast<const char*>(newline) - bytes.data()) + 1;
}

void ProgramMessageReader::AppendText(char c, Sink& sink) {
    ++textBytes_;
    if (textBytes_ <= limits_.maxTextBytes) {
        message_->PushBack(c);
        return;
    }
    if (!rejected_) {
        sink.OnInputError(ScpiError(scpi_errors::kInputBufferOverrun,
                                    "line longer than " + std::to_string(limits_.maxTextBytes) +
                                        " bytes discarded"));
    }
    message_->Clear();
    state_ = State::SkipLine;
}

void ProgramMessageReader::FinishMessage(Sink& sink) {
    if (!rejected_) {
        sink.OnMessage(message_);
    }
    StartNextMessage();
}

void ProgramMessageReader::StartNextMessage() {
    // A message the sink kept (a segment holds its block) is left alone for good.
    if (message_.use_count() > 1 || message_->Capacity() > kKeptCapacity) {
        message_ = std::make_shared<MessageBuffer>();
    } else {
        message_->Clear();
    }
    textBytes_ = 0;
    messageBlockBytes_ = 0;
    quote_ = 0;
    rejected_ = false;
    state_ = State::Text;
}
