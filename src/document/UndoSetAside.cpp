#include "document/UndoSetAside.h"

#include "document/UndoStore.h"
#include "settings/AtomicFileWriter.h"
#include "settings/FileHelpers.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

UndoSetAside::UndoSetAside(const UndoStore& undo) : undoPath_(undo.Path()) {
    if (!FileExists(undoPath_)) {
        return;
    }
    const std::string folder = fs::path(undoPath_).parent_path().string();
    asidePath_ = AtomicFileWriter::TemporaryPathIn(folder.empty() ? "." : folder);
    std::error_code error;
    fs::create_hard_link(undoPath_, asidePath_, error);
    // Without a second name (a file system without hard links) the old step is simply
    // not kept for a Cancel: the command's snapshot replaces it, as it would without one.
    if (error) {
        asidePath_.clear();
    }
}

UndoSetAside::~UndoSetAside() {
    if (!cancelled_ && !asidePath_.empty()) {
        DeleteFileIfExists(asidePath_);
    }
}

void UndoSetAside::Cancel() {
    cancelled_ = true;
    if (asidePath_.empty()) {
        DeleteFileIfExists(undoPath_);
        return;
    }
    // When the command stopped before its snapshot replaced the undo file, both names
    // still link one file and the rename does nothing: the second name goes all the same.
    std::rename(asidePath_.c_str(), undoPath_.c_str());
    DeleteFileIfExists(asidePath_);
}
