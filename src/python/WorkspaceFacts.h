#pragma once

#include "platform/posix/PosixProcessFacts.h"

#include <string>

// The process facts of a script's run in a workspace: the workspace folder stands where
// the tool's current folder would, so a script need not change its own; the user is the
// process's.
class WorkspaceFacts : public ProcessFacts {
public:
    explicit WorkspaceFacts(std::string folder) : folder_(std::move(folder)) {}

    std::optional<std::string> LogonUserName() const override { return posix_.LogonUserName(); }
    std::string CurrentFolder() const override { return folder_; }
    std::string FullCommandLine() const override { return posix_.FullCommandLine(); }
    unsigned long long PhysicalMemoryBytes() const override { return posix_.PhysicalMemoryBytes(); }

private:
    PosixProcessFacts posix_;
    std::string folder_;
};
