#include "ChannelState.h"

#include "ScpiError.h"

#include <charconv>
#include <utility>

namespace {

std::string Number(double value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
    return std::string(buffer, result.ptr);
}

void CheckSegmentNumber(int segment) {
    if (segment < 1 || segment > ChannelState::kMaxSegmentNumber) {
        throw ScpiError(scpi_errors::kDataOutOfRange,
                        "segment " + std::to_string(segment) + " not in 1.." +
                            std::to_string(ChannelState::kMaxSegmentNumber));
    }
}

void CheckRange(double value, double min, double max, const char* what) {
    if (!(value >= min && value <= max)) {
        throw ScpiError(scpi_errors::kDataOutOfRange, std::string(what) + " " + Number(value) +
                                                          " not in " + Number(min) + ".." +
                                                          Number(max));
    }
}

} // namespace

ChannelState::ChannelState(std::uint64_t memoryPoints, SequenceTable::Limits sequenceLimits)
    : memoryPoints_(memoryPoints), sequence_(sequenceLimits),
      fm_(MaxFmPoints() * FmTable::kBytesPerCode) {}

void ChannelState::Reset() {
    segments_.clear();
    usedPoints_ = 0;
    selectedSegment_ = 1;
    sequence_.Clear();
    mode_ = RunMode::Arbitrary;
    raster_ = kDefaultRaster;
    fmDeviation_ = kDefaultFmDeviation;
    fm_.Clear();
}

void ChannelState::DefineSegment(int segment, std::int64_t points) {
    CheckSegmentNumber(segment);
    if (points < static_cast<std::int64_t>(kMinSegmentPoints) ||
        static_cast<std::uint64_t>(points) > memoryPoints_) {
        throw ScpiError(scpi_errors::kDataOutOfRange, "segment length " + std::to_string(points) +
                                                          " not in " +
                                                          std::to_string(kMinSegmentPoints) + ".." +
                                                          std::to_string(memoryPoints_));
    }
    const auto existing = segments_.find(segment);
    const std::uint64_t released = existing == segments_.end() ? 0 : existing->second.points;
    const std::uint64_t wanted = static_cast<std::uint64_t>(points);
    if (usedPoints_ - released + wanted > memoryPoints_) {
        throw ScpiError(scpi_errors::kOutOfMemory,
                        std::to_string(wanted) + " points requested, " +
                            std::to_string(memoryPoints_ - usedPoints_ + released) + " free");
    }
    Segment defined;
    defined.points = static_cast<std::uint32_t>(points);
    defined.bytes = SharedBytes::Zeros(wanted * kBytesPerPoint);
    segments_[segment] = std::move(defined);
    usedPoints_ = usedPoints_ - released + wanted;
}

void ChannelState::DeleteSegment(int segment) {
    CheckSegmentNumber(segment);
    const auto found = segments_.find(segment);
    if (found == segments_.end()) {
        throw ScpiError(scpi_errors::kSettingsConflict,
                        "segment " + std::to_string(segment) + " not defined");
    }
    usedPoints_ -= found->second.points;
    segments_.erase(found);
}

void ChannelState::DeleteAllSegments() {
    segments_.clear();
    usedPoints_ = 0;
}

void ChannelState::SelectSegment(int segment) {
    CheckSegmentNumber(segment);
    selectedSegment_ = segment;
}

const ChannelState::Segment& ChannelState::SelectedSegmentOrThrow() const {
    const auto found = segments_.find(selectedSegment_);
    if (found == segments_.end()) {
        throw ScpiError(scpi_errors::kSettingsConflict,
                        "selected segment " + std::to_string(selectedSegment_) + " not defined");
    }
    return found->second;
}

void ChannelState::WriteSelectedData(SharedBytes bytes) {
    const Segment& segment = SelectedSegmentOrThrow();
    const std::uint64_t expected = std::uint64_t{segment.points} * kBytesPerPoint;
    if (bytes.Size() > expected) {
        throw ScpiError(scpi_errors::kTooMuchData, std::to_string(bytes.Size()) +
                                                       " bytes for a segment of " +
                                                       std::to_string(expected));
    }
    if (bytes.Size() < expected) {
        throw ScpiError(scpi_errors::kDataOutOfRange, std::to_string(bytes.Size()) +
                                                          " bytes for a segment of " +
                                                          std::to_string(expected));
    }
    segments_[selectedSegment_].bytes = std::move(bytes);
}

SharedBytes ChannelState::SelectedData() const {
    return SelectedSegmentOrThrow().bytes;
}

SequenceTable::SegmentLookup ChannelState::Lookup() const {
    return [this](int segment) -> std::optional<std::string_view> {
        const auto found = segments_.find(segment);
        if (found == segments_.end()) {
            return std::nullopt;
        }
        return found->second.bytes.View();
    };
}

SharedBytes ChannelState::ExpandedSequence() const {
    return sequence_.Expand(Lookup(), memoryPoints_);
}

void ChannelState::SetMode(RunMode mode) {
    if (mode == RunMode::Sequence) {
        sequence_.CheckPlayable(Lookup());
    }
    mode_ = mode;
}

void ChannelState::SetRaster(double samplesPerSecond) {
    CheckRange(samplesPerSecond, kMinRaster, kMaxRaster, "sample clock");
    raster_ = samplesPerSecond;
}

void ChannelState::SetFmDeviation(double hertz) {
    CheckRange(hertz, kMinFmDeviation, kMaxFmDeviation, "FM deviation");
    fmDeviation_ = hertz;
}
