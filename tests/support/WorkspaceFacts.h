#pragma once

#include "core/ProcessFacts.h"
#include "support/TempWorkspace.h"

#include <string>

// The process facts of a run started by the host in a prepared workspace: the workspace
// is the current folder, the user is "tst" (the workspace's "$tst" folder), and the
// command line is given (it carries "FMS" or "PLS" for the other modes).
class WorkspaceFacts : public ProcessFacts {
public:
    WorkspaceFacts(const TempWorkspace& workspace, std::string commandLine)
        : folder_(workspace.Folder()), commandLine_(std::move(commandLine)) {
        if (!folder_.empty() && folder_.back() == '/') {
            folder_.pop_back();
        }
    }
    WorkspaceFacts(std::string folder, std::string commandLine)
        : folder_(std::move(folder)), commandLine_(std::move(commandLine)) {}

    std::optional<std::string> LogonUserName() const override { return "tst"; }
    std::string CurrentFolder() const override { return folder_; }
    std::string FullCommandLine() const override { return commandLine_; }

private:
    std::string folder_;
    std::string commandLine_;
};
