#pragma once

#include <string>

// Message ids of the string table. The texts are the system's own and are shown exactly
// as they stand; "%d", "%s", "%g" and "%.3f" are filled in by the caller.
enum MessageId : int {
    MsgFmClockOutOfLimit = 3000,
    MsgWavelengthResolution = 3001,
    MsgValueOutOfRange = 3002,
    MsgInvalidMinMax = 3003,
    MsgExpressionEmpty = 3004,
    MsgUnbalanced = 3005,
    MsgDomainError = 3006,
    MsgWaveformFileMissing = 3007,
    MsgUnknownComponent = 3008,
    MsgIllegalExtension = 3009,
    MsgTemporaryFolder = 3010,
    MsgDeviationLimit = 3011,
    MsgCannotConvert = 3014,
    MsgMarkerOutOfRange = 3016,
    MsgVppOutOfRange = 3018,
    MsgVppCutsWave = 3019,
    MsgTrainModeChange = 3022,
    MsgMemoryRestriction = 3023,
    MsgClockRestriction = 3024,
    MsgInvalidTimeOrder = 980,
    MsgImplementationRestriction = 981,
    MsgFirstNodeTime = 982,
    MsgTimeNotPositive = 983,
    MsgLevelOutOfRange = 984,
    MsgLoopsOutOfRange = 985,
    MsgEmptyInput = 990,
    MsgNonNumeric = 991,
};

// The text of message `id`; an empty text for an id the table does not hold.
const char* MessageText(int id);
// The id of the table's text `text`; 0 for a text the table does not hold.
int MessageIdOf(const std::string& text);
