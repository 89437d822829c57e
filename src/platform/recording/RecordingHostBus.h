#pragma once

#include "core/HostBus.h"

#include <vector>

// A host bus for tests: remembers the posted codes and lets a test play the host.
class RecordingHostBus : public HostBus {
public:
    void PostToolNotify(int code) override { posted.push_back(code); }
    void SetRequestHandler(RequestHandler handler) override { handler_ = std::move(handler); }

    // Delivers a host request as the host would.
    void SendRequest(std::uint32_t code, std::int64_t data = 0) {
        if (handler_) {
            handler_(code, data);
        }
    }

    std::vector<int> posted;

private:
    RequestHandler handler_;
};
