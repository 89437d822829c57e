#include "document/UndoSetAside.h"

#include "document/UndoStore.h"
#include "settings/FileHelpers.h"

#include <cstdio>

UndoSetAside::UndoSetAside(const UndoStore& undo)
    : undoPath_(undo.Path()), asidePath_(undo.Path() + ".aside") {
    DeleteFileIfExists(asidePath_);
    // When the rename fails the old step is simply not kept: the command's snapshot
    // replaces it, as it would without a Cancel.
    hasAside_ = FileExists(undoPath_) && std::rename(undoPath_.c_str(), asidePath_.c_str()) == 0;
}

UndoSetAside::~UndoSetAside() {
    if (settled_ || !hasAside_) {
        return;
    }
    if (FileExists(undoPath_)) {
        DeleteFileIfExists(asidePath_);
    } else {
        std::rename(asidePath_.c_str(), undoPath_.c_str());
    }
}

void UndoSetAside::Cancel() {
    settled_ = true;
    DeleteFileIfExists(undoPath_);
    if (hasAside_) {
        std::rename(asidePath_.c_str(), undoPath_.c_str());
    }
}
