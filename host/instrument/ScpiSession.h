#pragma once

#include "CommandTable.h"
#include "ProgramMessageReader.h"
#include "ResponseBuffer.h"
#include "SessionStatus.h"

#include <span>
#include <string_view>

class InstrumentState;

// One client connection's conversation with the instrument, free of sockets: bytes in,
// response bytes out. Each complete program message runs under the instrument's mutex;
// a message that is cut off (the client disconnects mid-block) never runs, so the
// instrument keeps the state it had.
class ScpiSession : private ProgramMessageReader::Sink {
public:
    ScpiSession(InstrumentState& instrument, const CommandTable& commands);

    // Consumes what the client sent; responses of the messages it completed are appended.
    void Receive(std::string_view bytes, ResponseBuffer& response);
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
    void ExecuteMessage(const std::shared_ptr<const MessageBuffer>& message,
                        ResponseBuffer& response);

    InstrumentState& instrument_;
    const CommandTable& commands_;
    SessionStatus status_;
    ProgramMessageReader reader_;
    ResponseBuffer* response_ = nullptr;
};
