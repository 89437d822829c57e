#include "pulse/PulseKeys.h"

namespace PulseKeys {

std::string RootName(int channelNumber) {
    return "PulseRoot-ch" + std::to_string(channelNumber);
}

std::string SectionName(int section, int channelNumber) {
    return "Pulse" + std::to_string(section) + "-ch" + std::to_string(channelNumber);
}

const char* ItemPrefix(TrainStyle train) {
    return PulseTrainStyles::Of(train).itemPrefix;
}

std::string ItemKey(TrainStyle train, int item, int column) {
    return ItemPrefix(train) + std::to_string(item) + "-sub" + std::to_string(column);
}

} // namespace PulseKeys
