#include "InstrumentState.h"

#include "ScpiError.h"

InstrumentState::InstrumentState(std::uint64_t memoryPoints, SequenceTable::Limits sequenceLimits)
    : memoryPoints_(memoryPoints), channels_{ChannelState(memoryPoints, sequenceLimits),
                                             ChannelState(memoryPoints, sequenceLimits)} {}

std::string InstrumentState::Identity() const {
    return "Quellwerk,AWG-SIM-2CH,0,1.0";
}

void InstrumentState::Reset() {
    for (ChannelState& channel : channels_) {
        channel.Reset();
    }
    selectedChannel_ = 1;
}

void InstrumentState::SelectChannel(int number) {
    if (number < 1 || number > kChannelCount) {
        throw ScpiError(scpi_errors::kIllegalParameterValue,
                        "channel " + std::to_string(number) + " does not exist");
    }
    selectedChannel_ = number;
}

ChannelState& InstrumentState::Channel(int number) {
    return channels_.at(static_cast<std::size_t>(number - 1));
}

const ChannelState& InstrumentState::Channel(int number) const {
    return channels_.at(static_cast<std::size_t>(number - 1));
}
