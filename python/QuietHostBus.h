#pragma once

#include "core/HostBus.h"

// A script's runs tell no host: what they write stays in the workspace until the script
// sends it itself (the instrument client) or the tool downloads it.
class QuietHostBus : public HostBus {
public:
    void PostToolNotify(int) override {}
    void SetRequestHandler(RequestHandler) override {}
};
