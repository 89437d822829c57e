#include "PythonWorkspace.h"

#include <filesystem>

PythonWorkspace::PythonWorkspace(const std::string& folder, OperatingMode mode) : mode_(mode) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(folder, error);
    if (error || !std::filesystem::is_directory(absolute, error)) {
        throw PythonFailure(PythonFailure::Kind::File, "no folder " + folder);
    }
    folder_ = absolute.lexically_normal().string();
    while (folder_.size() > 1 && folder_.back() == '/') {
        folder_.pop_back();
    }
}
