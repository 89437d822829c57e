#pragma once

#include "core/HostBus.h"

#include <vector>

// A script's runs tell no host: the codes a run posts are only kept, so that a download the
// script performs itself (Workspace.download) knows what the tool left for the host.
class QuietHostBus : public HostBus {
public:
    void PostToolNotify(int code) override { posted.push_back(code); }
    void SetRequestHandler(RequestHandler) override {}

    std::vector<int> posted;
};
