#pragma once

#include "SharedBytes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>

// The instrument family's sequence bounds; the defaults are the largest the simulator allows.
struct SequenceLimits {
    static constexpr int kMostSteps = 32768;
    static constexpr std::uint32_t kMostLoops = 16'777'215;

    int maxSteps = kMostSteps;
    std::uint32_t maxLoops = kMostLoops;
};

// The sequence of one channel: numbered steps, each playing a segment a number of times,
// in step order. Steps name segments by number only, so a sequence that loops a short
// segment for hours costs a table entry, never the samples it plays; only Expand, which a
// test uses to compare a sequence with a single segment, produces samples, and it is
// bounded by the caller.
class SequenceTable {
public:
    struct Step {
        int segment = 0;
        std::uint32_t loops = 0;
    };
    using Limits = SequenceLimits;
    // The bytes of a defined segment, nullopt for one that is not defined.
    using SegmentLookup = std::function<std::optional<std::string_view>(int segment)>;

    static constexpr int kMostSteps = SequenceLimits::kMostSteps;
    static constexpr std::uint32_t kMostLoops = SequenceLimits::kMostLoops;

    explicit SequenceTable(Limits limits = {}) : limits_(limits) {}

    const Limits& Bounds() const { return limits_; }
    void Define(int step, int segment, std::int64_t loops);
    void Delete(int step);
    void Clear() { steps_.clear(); }
    bool Empty() const { return steps_.empty(); }
    const std::map<int, Step>& Steps() const { return steps_; }

    // Throws -221 when there is no step or a step plays a segment that is not defined.
    void CheckPlayable(const SegmentLookup& lookup) const;
    // The samples the sequence plays, one pass through its steps. More than `maxPoints`
    // points (16-bit samples) throws -223 before anything is built.
    SharedBytes Expand(const SegmentLookup& lookup, std::uint64_t maxPoints) const;

private:
    std::uint64_t ExpandedBytes(const SegmentLookup& lookup, std::uint64_t maxBytes) const;

    Limits limits_;
    std::map<int, Step> steps_;
};
