#include "workspace/InstallLayout.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

InstallLayout::InstallLayout(std::string programFolder)
    : programFolder_(std::move(programFolder)) {}

std::string InstallLayout::FamiliesFolder() const {
    const fs::path installed = fs::path(programFolder_) / ".." / "share" / "wavesmith" / "families";
    std::error_code error;
    if (!fs::is_directory(installed, error) && RunsFromBuildTree()) {
        return WAVESMITH_FAMILIES_DIR;
    }
    return fs::weakly_canonical(installed, error).string();
}

bool InstallLayout::RunsFromBuildTree() const {
    std::error_code error;
    const fs::path program = fs::weakly_canonical(programFolder_, error);
    const fs::path build = fs::weakly_canonical(WAVESMITH_BUILD_DIR, error);
    if (build.empty()) {
        return false;
    }
    return std::mismatch(build.begin(), build.end(), program.begin(), program.end()).first ==
           build.end();
}

std::vector<std::string> InstallLayout::FamilyNames() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(FamiliesFolder(), error)) {
        if (entry.path().extension() == ".fam") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string InstallLayout::ToolExecutable() const {
    return FirstExecutable({"wavesmith", "../src/ui/wavesmith"});
}

std::string InstallLayout::SimulatorExecutable() const {
    return FirstExecutable({"awg-sim", "instrument/awg-sim"});
}

std::string InstallLayout::FirstExecutable(const std::vector<std::string>& candidates) const {
    for (const auto& candidate : candidates) {
        const fs::path path = fs::path(programFolder_) / candidate;
        if (::access(path.c_str(), X_OK) == 0 && !fs::is_directory(path)) {
            return fs::weakly_canonical(path).string();
        }
    }
    return {};
}
