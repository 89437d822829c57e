#include "SequenceTable.h"

#include "MessageBuffer.h"
#include "ScpiError.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr std::uint64_t kBytesPerPoint = 2;

std::string_view SegmentOf(const SequenceTable::SegmentLookup& lookup, int step, int segment) {
    const auto bytes = lookup(segment);
    if (!bytes) {
        throw ScpiError(scpi_errors::kSettingsConflict,
                        "step " + std::to_string(step) + " plays segment " +
                            std::to_string(segment) + ", which is not defined");
    }
    return *bytes;
}

} // namespace

void SequenceTable::Define(int step, int segment, std::int64_t loops) {
    if (step < 1 || step > limits_.maxSteps) {
        throw ScpiError(scpi_errors::kDataOutOfRange, "step " + std::to_string(step) +
                                                          " not in 1.." +
                                                          std::to_string(limits_.maxSteps));
    }
    if (loops < 1 || loops > static_cast<std::int64_t>(limits_.maxLoops)) {
        throw ScpiError(scpi_errors::kDataOutOfRange, "loops " + std::to_string(loops) +
                                                          " not in 1.." +
                                                          std::to_string(limits_.maxLoops));
    }
    steps_[step] = Step{segment, static_cast<std::uint32_t>(loops)};
}

void SequenceTable::Delete(int step) {
    if (steps_.erase(step) == 0) {
        throw ScpiError(scpi_errors::kSettingsConflict,
                        "step " + std::to_string(step) + " not defined");
    }
}

void SequenceTable::CheckPlayable(const SegmentLookup& lookup) const {
    if (steps_.empty()) {
        throw ScpiError(scpi_errors::kSettingsConflict, "no sequence steps defined");
    }
    for (const auto& [number, step] : steps_) {
        SegmentOf(lookup, number, step.segment);
    }
}

std::uint64_t SequenceTable::ExpandedBytes(const SegmentLookup& lookup,
                                           std::uint64_t maxBytes) const {
    std::uint64_t total = 0;
    for (const auto& [number, step] : steps_) {
        const std::uint64_t pass = SegmentOf(lookup, number, step.segment).size();
        // Compared before multiplying: hours of loops would overflow 64 bits.
        if (pass != 0 && step.loops > (maxBytes - total) / pass) {
            throw ScpiError(scpi_errors::kTooMuchData,
                            "the sequence plays more than " +
                                std::to_string(maxBytes / kBytesPerPoint) +
                                " points; only a sequence of at most that many is expanded");
        }
        total += pass * step.loops;
    }
    return total;
}

SharedBytes SequenceTable::Expand(const SegmentLookup& lookup, std::uint64_t maxPoints) const {
    CheckPlayable(lookup);
    const std::uint64_t size = ExpandedBytes(lookup, maxPoints * kBytesPerPoint);
    auto buffer = std::make_shared<MessageBuffer>();
    buffer->Reserve(size);
    for (const auto& [number, step] : steps_) {
        const std::string_view pass = SegmentOf(lookup, number, step.segment);
        for (std::uint32_t loop = 0; loop < step.loops; ++loop) {
            buffer->Append(pass);
        }
    }
    const std::string_view view = buffer->View();
    return SharedBytes(std::move(buffer), view);
}
