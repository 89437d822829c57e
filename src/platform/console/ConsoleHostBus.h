#pragma once

#include "core/HostBus.h"

struct DBusConnection;

// The host bus of the command-line tool. With a session bus it emits the same ToolNotify
// signal as the GUI, so a host cannot tell the two apart; without one it prints
// "notify <code>" to stderr. A run has no event loop, so host requests never arrive.
class ConsoleHostBus : public HostBus {
public:
    ConsoleHostBus();
    ~ConsoleHostBus() override;
    ConsoleHostBus(const ConsoleHostBus&) = delete;
    ConsoleHostBus& operator=(const ConsoleHostBus&) = delete;

    void PostToolNotify(int code) override;
    void SetRequestHandler(RequestHandler handler) override;

    bool Connected() const { return connection_ != nullptr; }

private:
    DBusConnection* connection_ = nullptr;
    RequestHandler handler_;
};
