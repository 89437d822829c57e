#pragma once

#include "pulse/PulseInterval.h"
#include "pulse/PulseRenderLimits.h"

#include <cstdint>
#include <string>
#include <vector>

// One step of the sequence table: a segment (index into the segments) played repeat times.
struct PulseStep {
    std::size_t segment = 0;
    std::int64_t repeat = 1;
};

struct PulseSequencePlan {
    std::vector<std::vector<std::int16_t>> segments;
    std::vector<PulseStep> steps;
    // Points of all segments: the instrument memory the sequence takes.
    std::int64_t memoryPoints = 0;
    // The memory budget was exceeded in whole-block mode and every block went piecewise.
    bool restartedPiecewise = false;
    // Why the sequence cannot be played; empty when it can.
    std::string problem;
};

// The design as short segments and a table of steps with repeat counts. A block (the
// intervals of one section) is rendered whole when it is mostly varying and the memory
// allows; otherwise piecewise: a flat run becomes one MinSegLen-point segment repeated,
// and what varies is rendered point by point. Memory thus follows the number and length
// of the segments, never the length the sequence plays.
class PulseSequence {
public:
    enum class Form {
        WholeBlocksAllowed, // whole sections where mostly varying, within the budget
        MinimizeMemory,     // every section piecewise, identical segments kept once
    };

    static PulseSequencePlan Build(const std::vector<PulseInterval>& intervals, double clock,
                                   const PulseRenderLimits& limits, Form form);

    // The samples the instrument plays: every step's segment, repeat times.
    static std::vector<std::int16_t> Expand(const PulseSequencePlan& plan);
    // Flat points below this share (in percent) let a block be rendered whole.
    static constexpr std::int64_t kWholeBlockFlatPercent = 20;

private:
    struct Piece;
    struct Block;
    class Builder;
};
