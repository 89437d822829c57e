#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The FM marker file "$xMark" the tool writes before an FM download: N signed 32-bit
// little-endian sample indexes of the FM waveform and nothing else. The single entry 0
// means that no marker lies in the frequency window. A file that is empty, ends inside an
// entry or names a sample beyond the waveform was cut short or belongs to another
// waveform, and is refused with the reason.
class FmMarkerFile {
public:
    // The entries of `bytes` for a waveform of `points` samples; nullopt with `error`.
    static std::optional<std::vector<std::int32_t>> Parse(const std::string& bytes,
                                                          std::size_t points, std::string& error);
    // "3 markers at samples 12, 400, 950", "no marker in the frequency window"; long lists
    // are cut after the first few with the count of the rest.
    static std::string Describe(const std::vector<std::int32_t>& markers);
};
