#include "workspace/WorkspacePreparer.h"

#include "workspace/ContextDefaults.h"

#include "settings/FileHelpers.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

WorkspacePreparer::WorkspacePreparer(std::string familiesFolder)
    : familiesFolder_(std::move(familiesFolder)) {}

std::optional<Workspace> WorkspacePreparer::Prepare(const std::string& folder,
                                                    const std::string& family,
                                                    const std::string& userTag,
                                                    std::optional<std::uint64_t> memoryPoints) {
    lastError_.clear();
    if (!fs::exists(fs::path(familiesFolder_) / (family + ".fam"))) {
        lastError_ =
            "unknown family " + family + " (no " + family + ".fam in " + familiesFolder_ + ")";
        return std::nullopt;
    }
    Workspace workspace(fs::absolute(folder).lexically_normal().string(), userTag, family);
    std::error_code error;
    fs::create_directories(workspace.UserFolder(), error);
    if (error) {
        lastError_ = "cannot create " + workspace.UserFolder() + ": " + error.message();
        return std::nullopt;
    }
    if (!CopyFamilies(workspace.Folder()) ||
        (memoryPoints && !FitFamilyToMemory(workspace, *memoryPoints)) ||
        !WriteContext(workspace)) {
        return std::nullopt;
    }
    return workspace;
}

bool WorkspacePreparer::CopyFamilies(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(familiesFolder_, error)) {
        if (entry.path().extension() != ".fam") {
            continue;
        }
        const CopyResult copy = CopyFileSafely(
            entry.path().string(), (fs::path(folder) / entry.path().filename()).string());
        if (!copy.copied) {
            lastError_ = copy.error;
            return false;
        }
    }
    if (error) {
        lastError_ = "cannot read " + familiesFolder_ + ": " + error.message();
    }
    return !error;
}

// The default and lowest lengths stay unless they no longer fit.
bool WorkspacePreparer::FitFamilyToMemory(const Workspace& workspace, std::uint64_t points) {
    IniFile family(workspace.FamilyFile());
    std::istringstream words(family.Read("Axis", "HRange").value_or(""));
    long long initial = 1024;
    long long low = 16;
    words >> initial >> low;
    const auto most = static_cast<long long>(points);
    const std::string range = std::to_string(std::min(initial, most)) + " " +
                              std::to_string(std::min(low, most)) + " " + std::to_string(most);
    if (!family.Write("Axis", "HRange", range)) {
        lastError_ = "cannot write " + family.Path() + ": " + family.LastError();
        return false;
    }
    return true;
}

bool WorkspacePreparer::WriteContext(const Workspace& workspace) {
    IniFile context(workspace.ContextFile());
    for (const auto& section :
         ContextDefaults::ForFamily(workspace.Family(), workspace.FamilyFile())) {
        if (!context.WriteSection(section.name, section.entries)) {
            lastError_ = "cannot write " + context.Path() + ": " + context.LastError();
            return false;
        }
    }
    return true;
}
