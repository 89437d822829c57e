#pragma once

#include "FmTable.h"
#include "SequenceTable.h"
#include "SharedBytes.h"

#include <cstdint>
#include <map>

// The waveform memory and settings of one output channel. Segment data are kept as the
// exact bytes the client sent (little-endian 16-bit samples), shared read-only with any
// response still being sent, so a query never copies a segment and a later write never
// changes a response in flight. All points of all segments together stay within the
// channel's memory; operations that would break a limit throw ScpiError and change nothing.
class ChannelState {
public:
    struct Segment {
        std::uint32_t points = 0;
        SharedBytes bytes; // 2 x points bytes, zero until written
    };
    // What the output plays: the selected segment, or the sequence of segments.
    enum class RunMode { Arbitrary, Sequence };

    static constexpr int kMaxSegmentNumber = 32768;
    static constexpr std::uint32_t kMinSegmentPoints = 16;
    static constexpr std::size_t kBytesPerPoint = 2;
    static constexpr std::size_t kBytesPerFmPoint = 4;
    static constexpr int kMaxSequenceStep = SequenceTable::kMostSteps;
    static constexpr std::uint32_t kMaxLoops = SequenceTable::kMostLoops;
    static constexpr double kMinRaster = 1.0;
    static constexpr double kMaxRaster = 10e9;
    static constexpr double kDefaultRaster = 100e6;
    static constexpr double kMinFmDeviation = 0.0;
    static constexpr double kMaxFmDeviation = 1e9;
    static constexpr double kDefaultFmDeviation = 1e6;

    explicit ChannelState(std::uint64_t memoryPoints, SequenceTable::Limits sequenceLimits = {});

    // Power-on state: no segments, no sequence, no FM data, default settings.
    void Reset();

    void DefineSegment(int segment, std::int64_t points);
    void DeleteSegment(int segment);
    void DeleteAllSegments();
    void SelectSegment(int segment);
    int SelectedSegment() const { return selectedSegment_; }
    // Replaces the selected segment's samples; the byte count must be 2 x its points.
    void WriteSelectedData(SharedBytes bytes);
    SharedBytes SelectedData() const;
    const std::map<int, Segment>& Segments() const { return segments_; }
    std::uint64_t MemoryPoints() const { return memoryPoints_; }
    std::uint64_t UsedPoints() const { return usedPoints_; }
    std::uint64_t FreePoints() const { return memoryPoints_ - usedPoints_; }

    SequenceTable& Sequence() { return sequence_; }
    const SequenceTable& Sequence() const { return sequence_; }
    // The sequence's samples, one pass, when they fit in the channel's memory (-223 if not).
    SharedBytes ExpandedSequence() const;
    RunMode Mode() const { return mode_; }
    // Sequence mode needs a sequence whose every step plays a defined segment (-221).
    void SetMode(RunMode mode);

    double Raster() const { return raster_; }
    void SetRaster(double samplesPerSecond);
    double FmDeviation() const { return fmDeviation_; }
    void SetFmDeviation(double hertz);
    FmTable& Fm() { return fm_; }
    const FmTable& Fm() const { return fm_; }
    // The FM table's memory in 32-bit codes: half the waveform memory's points, so that an
    // FM block is never larger than a segment's.
    std::uint64_t MaxFmPoints() const { return memoryPoints_ / 2; }

private:
    const Segment& SelectedSegmentOrThrow() const;
    SequenceTable::SegmentLookup Lookup() const;

    std::uint64_t memoryPoints_;
    std::uint64_t usedPoints_ = 0;
    std::map<int, Segment> segments_;
    int selectedSegment_ = 1;
    SequenceTable sequence_;
    RunMode mode_ = RunMode::Arbitrary;
    double raster_ = kDefaultRaster;
    double fmDeviation_ = kDefaultFmDeviation;
    FmTable fm_;
};
