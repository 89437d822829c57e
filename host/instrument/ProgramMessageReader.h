#pragma once

#include "ByteBudget.h"
#include "MessageBuffer.h"
#include "ScpiError.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// Cuts the byte stream of one connection into IEEE 488.2 program messages. A message ends
// at "\n" outside a definite-length block; the bytes of a block are taken by count, so a
// block may carry any byte values, newlines included. Nothing the client sends can make
// the reader hold more than the text limit plus the blocks of one message: a longer line
// is dropped with -363, and a block announced beyond the limits, or beyond what the block
// budget shared by all connections has left, is skipped by count without being stored and
// its message rejected with -223.
class ProgramMessageReader {
public:
    struct Limits {
        std::size_t maxTextBytes = 64 * 1024;
        std::uint64_t maxBlockBytes = 32'000'000;        // one block
        std::uint64_t maxMessageBlockBytes = 64'000'000; // all blocks of one message
    };

    class Sink {
    public:
        virtual ~Sink() = default;
        // `message` is the whole message without its terminator. The reader never changes
        // a message it handed over, so the sink may keep it (and views into it).
        virtual void OnMessage(const std::shared_ptr<const MessageBuffer>& message) = 0;
        virtual void OnInputError(ScpiError error) = 0;
        // Asked after each message: false makes Feed return there, so that the answers
        // can be sent before more input is read.
        virtual bool ReadyForNextMessage() const { return true; }
    };

    // The memory of a message's blocks is drawn from `blockBudget` until the message has
    // run or been dropped; without a budget only the limits apply.
    explicit ProgramMessageReader(Limits limits, ByteBudget* blockBudget = nullptr);
    ~ProgramMessageReader();
    ProgramMessageReader(const ProgramMessageReader&) = delete;
    ProgramMessageReader& operator=(const ProgramMessageReader&) = delete;

    // Returns how many bytes were taken: all of them unless the sink asked for a pause.
    std::size_t Feed(std::string_view bytes, Sink& sink);
    // While the payload of an accepted block is arriving: the room in the message where
    // its next bytes go, at most what the block still lacks, so that the connection can
    // receive straight into it. Empty when the next bytes must go through Feed.
    std::span<char> PayloadSpace();
    // `count` bytes were written at the start of PayloadSpace().
    void CommitPayload(std::size_t count);
    // True while part of a message has arrived and its end has not.
    bool HasPartialMessage() const;
    std::size_t BufferedBytes() const { return message_->Size(); }

private:
    enum class State { Text, BlockHeader, BlockData, SkipBlock, SkipLine };

    std::size_t FeedText(std::string_view bytes, Sink& sink);
    std::size_t FeedBlockHeader(std::string_view bytes, Sink& sink);
    std::size_t FeedBlockData(std::string_view bytes);
    void TakePayload(std::size_t count);
    std::size_t FeedSkipBlock(std::string_view bytes);
    std::size_t FeedSkipLine(std::string_view bytes);
    void AppendText(char c, Sink& sink);
    void StartBlock(std::uint64_t dataLength, Sink& sink);
    void RejectBlock(std::uint64_t dataLength, const std::string& reason, Sink& sink);
    bool ChargeFor(std::uint64_t capacity);
    void FinishMessage(Sink& sink);
    void StartNextMessage();

    Limits limits_;
    ByteBudget* blockBudget_;
    State state_ = State::Text;
    std::shared_ptr<MessageBuffer> message_;
    std::size_t textBytes_ = 0;
    std::size_t headerStart_ = 0;
    std::uint64_t blockRemaining_ = 0;
    std::uint64_t messageBlockBytes_ = 0;
    std::uint64_t charged_ = 0; // drawn from the block budget for this message
    char quote_ = 0;
    bool rejected_ = false;
    bool messageEnded_ = false;
};
