#include "bus/ToolFilter.h"

#include "core/HostBus.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

std::string Canonical(const std::string& path) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.lexically_normal().string();
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

ToolFilter::ToolFilter(const std::string& workspaceFolder)
    : folder_(WithoutTrailingSlash(Canonical(workspaceFolder))) {}

bool ToolFilter::IsOwnTool(const ToolProcess& process) const {
    if (process.id != 0 && process.id == startedProcess_) {
        return true;
    }
    return !process.folder.empty() && WithoutTrailingSlash(Canonical(process.folder)) == folder_;
}

std::string ToolFilter::Refusal(const ToolProcess& sender, const ToolNotice& notice) const {
    if (IsOwnTool(sender)) {
        return "";
    }
    if (sender.id != 0 && !sender.folder.empty()) {
        return "another tool's (process " + std::to_string(sender.id) + ", working in " +
               sender.folder + ")";
    }
    // A process whose folder cannot be read is usually one that is just ending, as a short
    // command-line run may while the host looks at it: judged like one already gone.
    const std::string unknown =
        sender.id == 0 ? "the sender left the bus before it could be identified"
                       : "process " + std::to_string(sender.id) +
                             " could not be looked at (its working folder is unreadable)";
    if (!IsDownloadNotice(notice.code)) {
        return unknown;
    }
    const bool allHere = !notice.sentFiles.empty() &&
                         std::all_of(notice.sentFiles.begin(), notice.sentFiles.end(),
                                     [this](const std::string& path) { return InWorkspace(path); });
    return allHere ? "" : unknown + ", and its waveform file is not in this workspace";
}

bool ToolFilter::InWorkspace(const std::string& path) const {
    if (path.empty() || path.front() != '/') {
        return false;
    }
    const std::string canonical = Canonical(path);
    return canonical.size() > folder_.size() + 1 &&
           canonical.compare(0, folder_.size(), folder_) == 0 && canonical[folder_.size()] == '/';
}
