#pragma once

#include "settings/FileHelpers.h"

#include <string>

// One step of undo: a copy of the document's current file taken just before a change.
// The file's existence is the whole undo state, so it survives the program.
class UndoStore {
public:
    UndoStore() = default;
    explicit UndoStore(std::string undoPath) : path_(std::move(undoPath)) {}

    const std::string& Path() const { return path_; }
    bool CanUndo() const;
    // Copies currentFile whole to target (the undo file when target is empty), replacing
    // the old copy only once the new one is complete. A current file that does not exist
    // yet takes no snapshot and leaves an older one in place (sourceMissing).
    CopyResult SnapshotForUndo(const std::string& currentFile, const std::string& target = {},
                               const ProgressCallback& progress = {}) const;
    // Puts the snapshot back over target by an atomic replace, and only then deletes it;
    // on failure both files stay as they were.
    CopyResult RestoreInto(const std::string& target, const ProgressCallback& progress = {}) const;
    void Discard() const;

private:
    std::string path_;
};
