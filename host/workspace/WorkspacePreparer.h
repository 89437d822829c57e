#pragma once

#include "workspace/Workspace.h"

#include <cstdint>
#include <optional>
#include <string>

// Lays out a workspace as the host does before it starts the tool: every shipped family
// file in the folder, the per-user folder, and a complete context file for the chosen
// family. The context file is written through the same shared-file engine as the tool's,
// so preparing next to a running tool neither tears the file nor loses its keys.
class WorkspacePreparer {
public:
    explicit WorkspacePreparer(std::string familiesFolder);

    // With memoryPoints, the family's longest waveform in this workspace is that many
    // points (the demo's instrument holds that much).
    std::optional<Workspace> Prepare(const std::string& folder, const std::string& family,
                                     const std::string& userTag,
                                     std::optional<std::uint64_t> memoryPoints = std::nullopt);
    const std::string& LastError() const { return lastError_; }

private:
    bool CopyFamilies(const std::string& folder);
    bool WriteContext(const Workspace& workspace);
    bool FitFamilyToMemory(const Workspace& workspace, std::uint64_t points);

    std::string familiesFolder_;
    std::string lastError_;
};
