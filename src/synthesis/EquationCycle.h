#pragma once

#include <cstddef>
#include <functional>
#include <vector>

// The raw values of a formula's first cycle, which the second pass of a scaled generation
// repeats over the range. They stay in memory while they take no more room than the
// waveform itself. A longer cycle (one cycle of 256 M points is 2 GB of doubles) is
// evaluated again when the second pass reaches it, in the blocks the first pass evaluated,
// so that the values are the same and generating never holds a second copy larger than
// the waveform.
class EquationCycle {
public:
    // The values of offsets from..to (inclusive) of the range, as the first pass got them.
    using Evaluate = std::function<std::vector<double>(long long from, long long to)>;

    // A cycle of `length` values of a range of `rangeLength` points, evaluated in blocks
    // of `block` points from the range's start.
    EquationCycle(std::size_t length, long long rangeLength, long long block, bool kept,
                  Evaluate evaluate);

    bool Kept() const { return kept_; }
    std::size_t Length() const { return length_; }
    // First pass: the block of values from offset `from`; only a kept cycle takes them.
    void Offer(long long from, const std::vector<double>& values);
    // Second pass: the value at `offset`, below the cycle's length.
    double At(std::size_t offset);

private:
    std::size_t length_;
    long long rangeLength_;
    long long block_;
    bool kept_;
    Evaluate evaluate_;
    std::vector<double> values_; // the whole cycle when kept, else the block at blockStart_
    long long blockStart_ = -1;
};
