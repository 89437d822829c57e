#pragma once

#include <functional>

// Asked between the pieces of a long piece of work with the share done (0..1); returning
// false stops the work, which then leaves everything as it was. An empty callback never
// stops anything.
using ProgressCallback = std::function<bool(double done)>;

// The progress of one piece of work that may take a while (an import, a print job), as
// the person at the screen sees it. The display closes when it is destroyed.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    // How far the work is, from 0 to 1. False once the user has asked to stop: the work
    // then ends at once and leaves everything as it was before it began.
    virtual bool Report(double done) = 0;
};
