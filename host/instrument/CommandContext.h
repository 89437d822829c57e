#pragma once

#include <memory>

class InstrumentState;
class MessageBuffer;
class ResponseBuffer;
class SessionStatus;

// What a command handler may touch: the instrument (its mutex is held), the status of
// the connection that sent the command, that connection's response, and the program
// message itself, which block arguments view into and a segment may keep.
struct CommandContext {
    InstrumentState& instrument;
    SessionStatus& status;
    ResponseBuffer& response;
    const std::shared_ptr<const MessageBuffer>& message;
};
