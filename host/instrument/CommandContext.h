#pragma once

class InstrumentState;
class ResponseBuffer;
class SessionStatus;

// What a command handler may touch: the instrument (its mutex is held), the status of
// the connection that sent the command, and that connection's response.
struct CommandContext {
    InstrumentState& instrument;
    SessionStatus& status;
    ResponseBuffer& response;
};
