#pragma once

#include "bus/ToolProcess.h"
#include "download/ToolNotice.h"

#include <cstdint>
#include <string>

// Whose notifications a host performs. Every tool on the session bus broadcasts to every
// host, so each host picks its own: the tool it started, and any tool working in its
// workspace folder (a tool's start-up folder is its working folder, and the context file
// and segment files it names live there). A sender that left the bus before the host could
// look at it, as a short command-line run may, or whose working folder could not be read
// (it was ending), is judged by what it left: its download (of
// a segment, an FM waveform or a sequence) counts when every file it sends lies in the
// workspace, and nothing else of it is performed.
class ToolFilter {
public:
    explicit ToolFilter(const std::string& workspaceFolder);

    void SetStartedProcess(std::int64_t id) { startedProcess_ = id; }
    bool IsOwnTool(const ToolProcess& process) const;
    // Empty when the notice is this host's to perform; otherwise why it is not.
    std::string Refusal(const ToolProcess& sender, const ToolNotice& notice) const;

private:
    bool InWorkspace(const std::string& path) const;

    std::string folder_;
    std::int64_t startedProcess_ = 0;
};
