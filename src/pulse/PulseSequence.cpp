#include "pulse/PulseSequence.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

// An interval in points: [first, end), code(p) = intercept + slope * p, truncated.
struct PulseSequence::Piece {
    std::int64_t first = 0;
    std::int64_t end = 0;
    double slope = 0.0;
    double intercept = 0.0;

    std::int16_t Code(std::int64_t point) const {
        return static_cast<std::int16_t>(intercept + slope * static_cast<double>(point));
    }
};

struct PulseSequence::Block {
    std::int64_t repeat = 1;
    std::vector<Piece> pieces;

    std::int64_t First() const { return pieces.front().first; }
    std::int64_t End() const { return pieces.back().end; }
    std::int64_t FlatPercent() const {
        std::int64_t flat = 0;
        for (const Piece& piece : pieces) {
            flat += piece.slope == 0.0 ? piece.end - piece.first : 0;
        }
        return flat * 100 / (End() - First());
    }
};

class PulseSequence::Builder {
public:
    Builder(const PulseRenderLimits& limits, Form form)
        : limits_(limits), minSegLen_(std::max<std::int64_t>(limits.minSegLen, 1)),
          wholeBlocks_(form == Form::WholeBlocksAllowed),
          shareIdentical_(form == Form::MinimizeMemory) {}

    PulseSequencePlan Run(const std::vector<Block>& blocks) {
        if (!BuildAll(blocks)) {
            // Over the budget in whole-block mode: everything again, piecewise.
            wholeBlocks_ = false;
            tooManySteps_ = false;
            overMemory_ = false;
            byContent_.clear();
            plan_ = PulseSequencePlan();
            plan_.restartedPiecewise = true;
            BuildAll(blocks);
        }
        SplitLongRepeats();
        CheckInstrument();
        return std::move(plan_);
    }

private:
    bool BuildAll(const std::vector<Block>& blocks) {
        for (const Block& block : blocks) {
            if (block.pieces.empty()) {
                continue;
            }
            const std::size_t firstStep = plan_.steps.size();
            bool piecewise = true;
            if (wholeBlocks_ && block.FlatPercent() < kWholeBlockFlatPercent) {
                if (plan_.memoryPoints + block.End() - block.First() > limits_.maxWaveLen) {
                    return false;
                }
                AddSegment(block, block.First(), block.End(), block.repeat);
                piecewise = false;
            } else {
                RenderPiecewise(block);
            }
            RepeatSteps(block, firstStep, piecewise);
            if (tooManySteps_) {
                break;
            }
        }
        return true;
    }

    // A block that went piecewise into one segment carries its Repeat in that step's count,
    // as a block rendered whole does; more segments are played again as copies of their steps.
    void RepeatSteps(const Block& block, std::size_t firstStep, bool piecewise) {
        const std::size_t count = plan_.steps.size() - firstStep;
        if (block.repeat <= 1) {
            return;
        }
        if (count == 1 && piecewise) {
            std::int64_t& repeat = plan_.steps.back().repeat;
            // Hours of flat run played a million times would not fit any count.
            if (static_cast<double>(repeat) * static_cast<double>(block.repeat) > 9e18) {
                tooManySteps_ = true;
                return;
            }
            repeat *= block.repeat;
            return;
        }
        if (count <= 1) {
            return;
        }
        const auto copies = static_cast<std::size_t>(block.repeat - 1);
        if (copies > StepRoom() / count) {
            tooManySteps_ = true;
            return;
        }
        for (std::size_t copy = 0; copy < copies; ++copy) {
            for (std::size_t s = firstStep; s < firstStep + count; ++s) {
                plan_.steps.push_back(plan_.steps[s]);
            }
        }
    }

    void RenderPiecewise(const Block& block) {
        std::int64_t position = block.First();
        std::size_t current = 0;
        std::optional<LastPiece> last;
        while (position < block.End()) {
            const Piece& interval = block.pieces[current];
            const std::int64_t candidateEnd = std::max(position + minSegLen_, interval.end);
            if (candidateEnd > block.End()) {
                if (last) {
                    position = TakeBack(*last);
                }
                AddSegment(block, position, block.End(), 1);
                return;
            }
            if (candidateEnd == interval.end && interval.slope == 0.0) {
                const std::int64_t runs = (candidateEnd - position) / minSegLen_;
                const std::vector<std::int16_t> level(static_cast<std::size_t>(minSegLen_),
                                                      interval.Code(position));
                last = LastPiece{true, position, AddStep(level, minSegLen_, runs)};
                position += minSegLen_ * runs;
            } else {
                last = LastPiece{false, position, AddSegment(block, position, candidateEnd, 1)};
                position = candidateEnd;
            }
            while (current + 1 < block.pieces.size() && block.pieces[current].end < candidateEnd) {
                ++current;
            }
        }
    }

    struct LastPiece {
        bool flat = false;
        std::int64_t start = 0;
        std::int64_t storedPoints = 0; // 0 when its step plays an earlier segment
    };

    // The tail: fewer than MinSegLen points remain, so the piece before gives some back.
    // Returns where the closing piece starts.
    std::int64_t TakeBack(const LastPiece& last) {
        PulseStep& step = plan_.steps.back();
        if (last.flat && step.repeat > 1) {
            --step.repeat;
            return last.start + minSegLen_ * step.repeat;
        }
        // A step that played an earlier segment leaves that segment to the steps before.
        if (last.storedPoints > 0) {
            ForgetContent(plan_.segments.size() - 1);
            plan_.memoryPoints -= last.storedPoints;
            plan_.segments.pop_back();
        }
        plan_.steps.pop_back();
        return last.start;
    }

    // Returns the points newly stored: 0 when the step plays an earlier segment.
    std::int64_t AddSegment(const Block& block, std::int64_t from, std::int64_t to,
                            std::int64_t repeat) {
        const std::int64_t points = to - from;
        // Past the memory the sequence fails anyway: its points are counted for the
        // message, never allocated (a ramp of hours would not fit any memory). A segment
        // that may equal one already kept is rendered to find out.
        const bool render = !overMemory_ && points <= limits_.maxWaveLen &&
                            (shareIdentical_ || plan_.memoryPoints + points <= limits_.maxWaveLen);
        return AddStep(render ? Samples(block, from, to) : std::vector<std::int16_t>(), points,
                       repeat);
    }

    std::vector<std::int16_t> Samples(const Block& block, std::int64_t from, std::int64_t to) {
        std::vector<std::int16_t> samples;
        samples.reserve(static_cast<std::size_t>(to - from));
        auto piece = std::partition_point(block.pieces.begin(), block.pieces.end(),
                                          [from](const Piece& p) { return p.end <= from; });
        for (; piece != block.pieces.end() && piece->first < to; ++piece) {
            const std::int64_t end = std::min(to, piece->end);
            std::int64_t point = std::max(from, piece->first);
            if (piece->slope == 0.0) {
                samples.insert(samples.end(), static_cast<std::size_t>(end - point),
                               piece->Code(point));
                continue;
            }
            for (; point < end; ++point) {
                samples.push_back(piece->Code(point));
            }
        }
        return samples;
    }

    // A step of `samples` (empty: `points` counted but not kept). In the memory-saving form
    // a step whose samples equal a kept segment plays that one, so the segment is written
    // and defined once however often the design comes back to it.
    std::int64_t AddStep(std::vector<std::int16_t> samples, std::int64_t points,
                         std::int64_t repeat) {
        if (const std::optional<std::size_t> same = Identical(samples)) {
            plan_.steps.push_back({*same, repeat});
            return 0;
        }
        if (samples.empty() || plan_.memoryPoints + points > limits_.maxWaveLen) {
            overMemory_ = true;
            samples.clear();
        }
        plan_.memoryPoints += points;
        plan_.segments.push_back(std::move(samples));
        plan_.steps.push_back({plan_.segments.size() - 1, repeat});
        RememberContent(plan_.segments.size() - 1);
        return points;
    }

    static std::size_t ContentHash(const std::vector<std::int16_t>& samples) {
        return std::hash<std::string_view>()(std::string_view(
            reinterpret_cast<const char*>(samples.data()), samples.size() * sizeof(std::int16_t)));
    }

    std::optional<std::size_t> Identical(const std::vector<std::int16_t>& samples) const {
        if (!shareIdentical_ || samples.empty()) {
            return std::nullopt;
        }
        const auto [first, last] = byContent_.equal_range(ContentHash(samples));
        for (auto entry = first; entry != last; ++entry) {
            if (plan_.segments[entry->second] == samples) {
                return entry->second;
            }
        }
        return std::nullopt;
    }

    void RememberContent(std::size_t segment) {
        if (shareIdentical_ && !plan_.segments[segment].empty()) {
            byContent_.emplace(ContentHash(plan_.segments[segment]), segment);
        }
    }

    void ForgetContent(std::size_t segment) {
        if (!shareIdentical_ || plan_.segments[segment].empty()) {
            return;
        }
        const auto [first, last] = byContent_.equal_range(ContentHash(plan_.segments[segment]));
        for (auto entry = first; entry != last; ++entry) {
            if (entry->second == segment) {
                byContent_.erase(entry);
                return;
            }
        }
    }

    // A family without "MaxSequStp" still gets a bound, so that copies for a Repeat of
    // millions cannot fill the memory.
    std::size_t MostSteps() const {
        constexpr std::int64_t kWithoutFamilyBound = 16777216;
        return static_cast<std::size_t>(limits_.maxSequStp >= 1 ? limits_.maxSequStp
                                                                : kWithoutFamilyBound);
    }

    std::size_t StepRoom() const {
        const std::size_t most = MostSteps();
        return most > plan_.steps.size() ? most - plan_.steps.size() : 0;
    }

    // A count above MaxLoopNo (a flat run of hours) becomes several steps of one segment.
    void SplitLongRepeats() {
        const std::int64_t most = limits_.maxLoopNo;
        if (most < 1 || tooManySteps_) {
            return;
        }
        std::size_t needed = 0;
        for (const PulseStep& step : plan_.steps) {
            needed += static_cast<std::size_t>((step.repeat + most - 1) / most);
        }
        if (needed > MostSteps()) {
            tooManySteps_ = true;
            return;
        }
        std::vector<PulseStep> split;
        split.reserve(needed);
        for (PulseStep step : plan_.steps) {
            for (; step.repeat > most; step.repeat -= most) {
                split.push_back({step.segment, most});
            }
            split.push_back(step);
        }
        plan_.steps = std::move(split);
    }

    void CheckInstrument() {
        if (tooManySteps_ || plan_.steps.size() > MostSteps()) {
            plan_.problem = "The sequence needs more than the instrument's " +
                            std::to_string(MostSteps()) + " steps.";
        } else if (plan_.memoryPoints > limits_.maxWaveLen) {
            plan_.problem = "The sequence's segments need " + std::to_string(plan_.memoryPoints) +
                            " points; the instrument holds " + std::to_string(limits_.maxWaveLen) +
                            ".";
        }
    }

    const PulseRenderLimits& limits_;
    std::int64_t minSegLen_;
    bool wholeBlocks_;
    bool shareIdentical_;
    bool tooManySteps_ = false;
    bool overMemory_ = false;
    PulseSequencePlan plan_;
    // Kept segments by a hash of their samples, for the memory-saving form.
    std::unordered_multimap<std::size_t, std::size_t> byContent_;
};

PulseSequencePlan PulseSequence::Build(const std::vector<PulseInterval>& intervals, double clock,
                                       const PulseRenderLimits& limits, Form form) {
    std::vector<Block> blocks;
    for (const PulseInterval& interval : intervals) {
        if (interval.IsMarker()) {
            blocks.push_back(
                {std::max<std::int64_t>(1, static_cast<std::int64_t>(interval.t1)), {}});
            continue;
        }
        Piece piece;
        piece.first = static_cast<std::int64_t>(clock * interval.t0 + 0.5);
        piece.end = static_cast<std::int64_t>(clock * interval.t1 + 0.5);
        const std::int64_t points = piece.end - piece.first;
        if (points <= 0 || blocks.empty()) {
            continue;
        }
        const double c0 = limits.Code(interval.v0);
        const double c1 = limits.Code(interval.v1);
        piece.slope = (c1 - c0) / static_cast<double>(points);
        piece.intercept = c0 - piece.slope * static_cast<double>(piece.first);
        blocks.back().pieces.push_back(piece);
    }
    Builder builder(limits, form);
    return builder.Run(blocks);
}

std::vector<std::int16_t> PulseSequence::Expand(const PulseSequencePlan& plan) {
    std::vector<std::int16_t> samples;
    for (const PulseStep& step : plan.steps) {
        const std::vector<std::int16_t>& segment = plan.segments[step.segment];
        for (std::int64_t i = 0; i < step.repeat; ++i) {
            samples.insert(samples.end(), segment.begin(), segment.end());
        }
    }
    return samples;
}
