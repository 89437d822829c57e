#pragma once

#include "CommandTable.h"
#include "ProgramMessageReader.h"
#include "ResponseBuffer.h"
#include "SessionStatus.h"

#include <cstddef>
#include <span>
#include <string_view>

class InstrumentState;

// One client connection's conversation with the instrument, free of sockets: bytes in,
// response bytes out. Each complete program message runs under the instrument's mutex;
// a message that is cut off (the client disconnects mid-block) never runs, so the
// instrument keeps the state it had.
class ScpiSession : private ProgramMessageReader::Sink {
public:
    // The blocks of incoming messages draw on `blockBudget` (none: only the instrument's
    // limits apply).
    ScpiSession(InstrumentState& instrument, const CommandTable& commands,
                ByteBudget* blockBudget = nullptr);

    // Consumes what the client sent; responses of the messages it completed are appended.
    // Stops after a message when `response` is Full, so that it can be sent first, and
    // returns how many bytes it took. A query whose answer does not fit in `response`
    // answers nothing and queues -430.
    std::size_t Receive(std::string_view bytes, ResponseBuffer& response);
    // Room for the payload of the block now arriving, for the connection to receive into
    // directly (no copy, no per-byte work); empty when the next bytes go through Receive.
    std::span<char> PayloadSpace() { return reader_.PayloadSpace(); }
    // `count` bytes were received into PayloadSpace(). A payload completes no message on
    // its own, so there is never a response.
    void ReceivePayload(std::size_t count) { reader_.CommitPayload(count); }
    SessionStatus& Status() { return status_; }
    bool HasPartialMessage() const { return reader_.HasPartialMessage(); }
    std::size_t BufferedBytes() const { return reader_.BufferedBytes(); }

private:
    void OnMessage(const std::shared_ptr<const MessageBuffer>& message) override;
    void OnInputError(ScpiError error) override;
    bool ReadyForNextMessage() const override;
    void ExecuteMessage(const std::shared_ptr<const MessageBuffer>& message,
                        ResponseBuffer& response);

    InstrumentState& instrument_;
    const CommandTable& commands_;
    SessionStatus status_;
    ProgramMessageReader reader_;
    ResponseBuffer* response_ = nullptr;
};
