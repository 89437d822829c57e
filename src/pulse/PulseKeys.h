#pragma once

#include "pulse/PulseSection.h"

#include <string>

// The names under which a pulse design lives in the context file. Names are matched
// without regard to case ("LocDur" and "locDur" are one key). Channels are numbered from
// 1 here (the active channel index + 1); sections from 0.
namespace PulseKeys {

inline constexpr const char* kCount = "qPls";
inline constexpr const char* kActive = "activePls";
inline constexpr const char* kDuration = "Duration";
inline constexpr const char* kVpp = "Vpp";

inline constexpr const char* kTrain = "Train";
inline constexpr const char* kTimeUnit = "tmUnitInd";
inline constexpr const char* kStart = "Start";
inline constexpr const char* kLocDur = "LocDur";
inline constexpr const char* kRepeat = "Repeat";
inline constexpr const char* kItemCount = "qItm";

// The instrument's amplitude setting, the Vpp of a design that stores none.
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kSettingsAmplitude = "Ampl";

// "PulseRoot-ch<n>"
std::string RootName(int channelNumber);
// "Pulse<k>-ch<n>"
std::string SectionName(int section, int channelNumber);
// "Link", "Node" or "Tmpl"
const char* ItemPrefix(TrainStyle train);
// "<prefix><item>-sub<column>", column 1 the time and 2 the level.
std::string ItemKey(TrainStyle train, int item, int column);

} // namespace PulseKeys
