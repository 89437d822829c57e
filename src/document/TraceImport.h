#pragma once

#include "document/TextImport.h"

#include <string>

class ProfileStore;

// Imports a LeCroy oscilloscope trace (".trc", ".0*"): the valid points of the first data
// array, scaled onto the full range of the instrument's converter, written as a 16-bit
// binary waveform beside the trace (".wav").
class TraceImport {
public:
    explicit TraceImport(ProfileStore& store) : store_(store) {}

    // The path of the written file, or empty when the trace cannot be read, holds no
    // descriptor, fewer than two valid points or fewer bytes than it announces. A trace
    // refused for what it holds also removes the ".wav" file an earlier import left beside
    // it; a trace that cannot be opened, or a target that cannot be written, leaves it.
    // `progress` hears how far the import is after each piece of the points read and of the
    // waveform written, the last time with 1 just before the file takes its name; when it
    // answers false the import stops there and leaves everything as it was: no ".wav"
    // written or removed, no temporary file.
    std::string ImportTrace(const std::string& path, const ImportProgress& progress = {});

    // The same with the target range given: 14-bit (-8192..8191) or 12-bit (-2048..2047).
    static std::string ImportTrace(const std::string& path, bool fourteenBit,
                                   const ImportProgress& progress = {});

    // The family's "WaveDown"/"ConvertMode" begins with "CONV_DMA14" (read quietly).
    bool FourteenBitTarget();

private:
    ProfileStore& store_;
};
