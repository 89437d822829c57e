#pragma once

#include "core/ProgressDisplay.h"

#include <cstddef>
#include <string>

class SampleBuffer;

// The file work under a document's waveform: reading the samples of a binary
// file, cutting or extending a file without touching it in place, and the check
// that a change can be written at all before it costs anything.
class WaveformFiles {
public:
    // Whether a path names a binary waveform (".w" anywhere in it); others are
    // converted.
    static bool HasBinaryMark(const std::string& path) {
        return path.find(".w") != std::string::npos || path.find(".W") != std::string::npos;
    }
    // Cuts or zero-extends a file to `bytes` through AtomicFileWriter, never in
    // place.
    static bool Resize(const std::string& path, unsigned long long bytes,
                       std::string* error = nullptr);
    // Reads `count` samples; a file that shrank since it was measured reads as
    // zero at its end. False when the file cannot be opened or `progress`, asked between
    // pieces, said stop (the samples are then only partly read).
    static bool ReadSamples(const std::string& path, std::size_t count, SampleBuffer& samples,
                            const ProgressCallback& progress = {});
    // The samples become `count` points: the first ones (as many as they held
    // before) read from `path`, the rest `neutral`. False when the file does not
    // hold them all.
    static bool ReadResized(const std::string& path, std::size_t count, double neutral,
                            SampleBuffer& samples);
    // Why a waveform of `newBytes` cannot be written to `working` (read-only, or
    // no room for it and an undo copy of `current`); empty when it can.
    static std::string WriteProblem(const std::string& working, const std::string& current,
                                    unsigned long long newBytes);
};
