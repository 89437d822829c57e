#pragma once

#include "ChannelState.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

// The whole simulated instrument: two channels and the channel selection that the
// :TRACe, :FREQuency, :FM and :SEQuence commands act on. Like on a real instrument the
// selection belongs to the instrument, not to a connection. Sessions hold Mutex() while
// they execute one program message, so a compound message such as
// ":TRAC:SEL 3;:TRAC:DATA?" is never interleaved with another client's commands.
class InstrumentState {
public:
    static constexpr int kChannelCount = 2;
    static constexpr std::uint64_t kMinMemoryPoints = ChannelState::kMinSegmentPoints;
    // Keeps every block count within the nine digits of a definite-length header.
    static constexpr std::uint64_t kMaxMemoryPoints = 400'000'000;
    static constexpr std::uint64_t kDefaultMemoryPoints = 16'000'000;

    explicit InstrumentState(std::uint64_t memoryPoints = kDefaultMemoryPoints,
                             SequenceTable::Limits sequenceLimits = {});

    std::mutex& Mutex() const { return mutex_; }
    std::string Identity() const;

    void Reset();
    // 1 or 2.
    int SelectedChannelNumber() const { return selectedChannel_; }
    void SelectChannel(int number);
    ChannelState& SelectedChannel() { return Channel(selectedChannel_); }
    ChannelState& Channel(int number);
    const ChannelState& Channel(int number) const;
    std::uint64_t MemoryPoints() const { return memoryPoints_; }
    // The largest block any command accepts: a full-memory segment or FM table.
    std::uint64_t MaxBlockBytes() const { return memoryPoints_ * ChannelState::kBytesPerPoint; }
    // All blocks of one program message: enough to fill both channels in one message.
    std::uint64_t MaxMessageBlockBytes() const { return kChannelCount * MaxBlockBytes(); }

private:
    mutable std::mutex mutex_;
    std::uint64_t memoryPoints_;
    std::array<ChannelState, kChannelCount> channels_;
    int selectedChannel_ = 1;
};
