#pragma once

#include <string>

class UndoStore;

// The undo step from before a command that the user may still cancel (an Open whose
// import can be stopped). The command takes its own snapshot first, as every change does,
// so the old undo file gets a second name beforehand (a hard link, not a copy): the undo
// file itself stays in place, old or new, whole at every moment, so a run killed at any
// point never loses the undo step. Cancel() puts the old step back over the command's
// snapshot in one rename. Otherwise the second name is dropped when this ends. The second
// name is one of the safe writer's temporary names, so a killed run's is swept away.
class UndoSetAside {
public:
    explicit UndoSetAside(const UndoStore& undo);
    ~UndoSetAside();
    UndoSetAside(const UndoSetAside&) = delete;
    UndoSetAside& operator=(const UndoSetAside&) = delete;

    void Cancel();

private:
    std::string undoPath_;
    std::string asidePath_; // empty when there was no old step to keep
    bool cancelled_ = false;
};
