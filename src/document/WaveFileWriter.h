#pragma once

#include "core/ProgressDisplay.h"

#include <string>

class SampleBuffer;

// The program's own waveform files: headerless little-endian arrays of the buffer's
// element type (".wav" 16-bit, ".wvf" 32-bit, ".wfm" 64-bit), always written whole.
class WaveFileWriter {
public:
    // Writes every point of the buffer to path. A path that holds "Snap" after its first
    // character gets 16-bit samples written 512 higher (the buffer is not changed). The
    // file is replaced only once fully written; false (old file intact, `error` saying why)
    // on any failure. `progress` is asked between pieces; a stop leaves the old file and an
    // empty `error`.
    static bool WriteWaveform(const SampleBuffer& samples, const std::string& path,
                              std::string* error = nullptr, const ProgressCallback& progress = {});

    // True when 16-bit samples written to path get the +512 offset.
    static bool IsSnapPath(const std::string& path);
};
