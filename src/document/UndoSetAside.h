#pragma once

#include <string>

class UndoStore;

// The undo step from before a command that the user may still cancel (an Open whose
// import can be stopped). The command takes its own snapshot first, as every change does,
// so the old undo file is moved aside beforehand (a rename, not a copy). Cancel() deletes
// the command's snapshot and moves the old step back. Otherwise the old step is dropped
// when this ends, unless the command took no snapshot: then the old one stays.
class UndoSetAside {
public:
    explicit UndoSetAside(const UndoStore& undo);
    ~UndoSetAside();
    UndoSetAside(const UndoSetAside&) = delete;
    UndoSetAside& operator=(const UndoSetAside&) = delete;

    void Cancel();

private:
    std::string undoPath_;
    std::string asidePath_;
    bool hasAside_ = false;
    bool settled_ = false;
};
