#include "document/UndoStore.h"

#include "settings/FileHelpers.h"

bool UndoStore::CanUndo() const {
    return !path_.empty() && FileExists(path_);
}

void UndoStore::SnapshotForUndo(const std::string& currentFile, const std::string& target) const {
    CopyFileOver(currentFile, target.empty() ? path_ : target);
}

void UndoStore::Discard() const {
    DeleteFileIfExists(path_);
}
