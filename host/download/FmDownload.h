#pragma once

#include "workspace/Workspace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the tool leaves for an FM download (notification 9), read and checked whole before
// the instrument hears of it: the FM waveform named by the context's segment table
// ("FmWave"), the deviation of the current FM function mode ("FmDev<mode>") and the
// marker file "$xMark". A wide-FM family (name starting "G4270") keeps its FM waveform in
// Hz, as 64-bit doubles; the tool then writes no marker file and sends no deviation, and
// the waveform alone goes to the instrument as frequencies.
struct FmDownload {
    int channel = 0; // the context's active channel, 0 for the first
    bool wide = false;
    std::string waveFile;
    std::string bytes;
    std::size_t points = 0;
    std::string deviation; // normal variant: the deviation in Hz as sent
    std::vector<std::int32_t> markers;

    static bool IsWideFamily(const std::string& family);
    // Nullopt with `error` saying which file or key is missing or wrong.
    static std::optional<FmDownload> Read(const Workspace& workspace, std::string& error);
    // The FM waveform file the context names, without reading it.
    static std::optional<std::string> WaveFileNamed(const Workspace& workspace);

    // The one program message that carries the waveform, up to its block.
    std::string MessagePrefix() const;
    // The markers as the control panel shows them.
    std::string MarkerText() const;
};
