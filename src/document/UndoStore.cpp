#include "document/UndoStore.h"

#include "settings/FileHelpers.h"

bool UndoStore::CanUndo() const {
    return !path_.empty() && FileExists(path_);
}

CopyResult UndoStore::SnapshotForUndo(const std::string& currentFile, const std::string& target,
                                      const ProgressCallback& progress) const {
    return CopyFileSafely(currentFile, target.empty() ? path_ : target, CopyTarget::OwnFile,
                          progress);
}

CopyResult UndoStore::RestoreInto(const std::string& target,
                                  const ProgressCallback& progress) const {
    // The working file is replaced like any file the user may have made read-only.
    CopyResult result = CopyFileSafely(path_, target, CopyTarget::UserFile, progress);
    if (result.copied) {
        Discard();
    }
    return result;
}

void UndoStore::Discard() const {
    DeleteFileIfExists(path_);
}
