#include "ProgramMessageReader.h"

#include "BlockHeader.h"

#include <algorithm>
#include <cstring>

ProgramMessageReader::ProgramMessageReader(Limits limits, ByteBudget* blockBudget)
    : limits_(limits), blockBudget_(blockBudget), message_(std::make_shared<MessageBuffer>()) {}

ProgramMessageReader::~ProgramMessageReader() {
    if (blockBudget_ != nullptr) {
        blockBudget_->Give(charged_);
    }
}

bool ProgramMessageReader::HasPartialMessage() const {
    return !message_->Empty() || state_ != State::Text || rejected_;
}

std::size_t ProgramMessageReader::Feed(std::string_view bytes, Sink& sink) {
    std::size_t taken = 0;
    while (taken < bytes.size()) {
        const std::string_view rest = bytes.substr(taken);
        switch (state_) {
        case State::Text:
            taken += FeedText(rest, sink);
            break;
        case State::BlockHeader:
            taken += FeedBlockHeader(rest, sink);
            break;
        case State::BlockData:
            taken += FeedBlockData(rest);
            break;
        case State::SkipBlock:
            taken += FeedSkipBlock(rest);
            break;
        case State::SkipLine:
            taken += FeedSkipLine(rest);
            break;
        }
        if (messageEnded_) {
            messageEnded_ = false;
            if (!sink.ReadyForNextMessage()) {
                break;
            }
        }
    }
    return taken;
}

std::size_t ProgramMessageReader::FeedText(std::string_view bytes, Sink& sink) {
    std::size_t i = 0;
    while (i < bytes.size() && state_ == State::Text) {
        const char c = bytes[i++];
        if (c == '\n') {
            FinishMessage(sink);
            return i;
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
    // Room for the block and for all the text the message may still bring, so that
    // neither a large block nor the text after it is ever moved again.
    const std::uint64_t capacity =
        message_->Size() + dataLength +
        (limits_.maxTextBytes - std::min(textBytes_, limits_.maxTextBytes));
    if (!rejected_ && !fits) {
        RejectBlock(dataLength,
                    "exceeds the input limit of " +
                        std::to_string(std::min(limits_.maxBlockBytes,
                                                limits_.maxMessageBlockBytes - messageBlockBytes_)),
                    sink);
    } else if (!rejected_ && !ChargeFor(capacity)) {
        RejectBlock(dataLength, "does not fit in the input memory left by other connections", sink);
    }
    if (!rejected_) {
        messageBlockBytes_ += dataLength;
        // Address space only: pages are touched as the bytes arrive, so a client that
        // announces a block and stalls holds no memory.
        message_->Reserve(static_cast<std::size_t>(capacity));
    }
    if (dataLength == 0) {
        state_ = State::Text;
    } else {
        state_ = rejected_ ? State::SkipBlock : State::BlockData;
    }
}

void ProgramMessageReader::RejectBlock(std::uint64_t dataLength, const std::string& reason,
                                       Sink& sink) {
    sink.OnInputError(ScpiError(scpi_errors::kTooMuchData,
                                "block of " + std::to_string(dataLength) + " bytes " + reason));
    rejected_ = true;
}

// The buffer's storage, huge-page rounding included, is charged to the budget as far as
// it exceeds the text limit: that much every connection holds on its own anyway.
bool ProgramMessageReader::ChargeFor(std::uint64_t capacity) {
    const std::uint64_t storage = MessageBuffer::StorageFor(static_cast<std::size_t>(capacity));
    const std::uint64_t beyondOwn =
        storage - std::min<std::uint64_t>(storage, limits_.maxTextBytes);
    if (blockBudget_ == nullptr || beyondOwn <= charged_) {
        return true;
    }
    if (!blockBudget_->TryTake(beyondOwn - charged_)) {
        return false;
    }
    charged_ = beyondOwn;
    return true;
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
    messageEnded_ = true;
}

void ProgramMessageReader::StartNextMessage() {
    // A message the sink kept (a segment holds its block) is left alone for good; one
    // grown past the text limit gives its memory back rather than keep it per idle client.
    if (message_.use_count() > 1 || message_->Capacity() > limits_.maxTextBytes) {
        message_ = std::make_shared<MessageBuffer>();
    } else {
        message_->Clear();
    }
    if (blockBudget_ != nullptr) {
        blockBudget_->Give(charged_);
    }
    charged_ = 0;
    textBytes_ = 0;
    messageBlockBytes_ = 0;
    quote_ = 0;
    rejected_ = false;
    state_ = State::Text;
}
