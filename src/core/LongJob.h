#pragma once

#include "core/ProgressDisplay.h"

#include <memory>
#include <string>

class UserInterface;

// One command that may run long (an edit, Undo, a save, a load), shown to the user as one
// progress display over its stages: the undo copy, the change, the write. Each stage gets
// a callback for its own share of the bar; once the user stops, every later question is
// answered "stop" too and Cancelled() tells the command to put back what it changed.
class LongJob {
public:
    LongJob(UserInterface& ui, const std::string& what);
    // A job inside work whose progress is already shown (a generator's OK): the stages
    // report through `whole`, which may be empty.
    explicit LongJob(ProgressCallback whole);
    ~LongJob();
    LongJob(const LongJob&) = delete;
    LongJob& operator=(const LongJob&) = delete;

    // The callback of the next stage, which covers `share` (0..1) of the whole job. The
    // job must outlive the callback.
    ProgressCallback Stage(double share);
    bool Cancelled() const { return cancelled_; }

private:
    bool Report(double begin, double share, double done);

    std::unique_ptr<ProgressDisplay> display_;
    ProgressCallback whole_;
    double begun_ = 0.0;
    bool cancelled_ = false;
};
