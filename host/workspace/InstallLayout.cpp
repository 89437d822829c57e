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
    if (fs::is_directory(installed, error)) {
        return fs::weakly_canonical(installed, error).string();
    }
    return WAVESMITH_FAMILIES_DIR;
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
