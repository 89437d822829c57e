#pragma once

#include <optional>
#include <string>

// The segment definition that a download notification carries in the link key's "Cmd":
// the G4270 family's short form "seg len", or ":TRAC:DEF seg,len;:TRAC:SEL seg", which in
// pulse mode follows ":FREQ:RAST clock; ". Nothing of another shape travels with a
// waveform: the host rebuilds the message from the numbers, so a garbled "Cmd" is refused
// before the instrument hears of it.
struct DownloadCommand {
    std::string clock; // the sample clock exactly as the tool wrote it; empty when none
    long long segment = 0;
    long long points = 0;

    static std::optional<DownloadCommand> Parse(const std::string& linkCommand);
    // The start of the one program message that selects `channel` (1-based), defines and
    // selects the segment and carries its data block: the instrument acts on it whole.
    // With a clock (pulse mode) it also returns the channel from sequence to segment play.
    std::string MessagePrefix(int channel) const;
};
