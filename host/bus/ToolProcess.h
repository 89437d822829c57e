#pragma once

#include <cstdint>
#include <string>

// The process behind a connection on the session bus and the folder it works in; id 0
// and an empty folder when they could not be learnt (the connection left the bus first).
struct ToolProcess {
    std::int64_t id = 0;
    std::string folder;
};
