#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The crossing rule of the FM markers: for every sample position p from 1 to n - 1 the
// first level (in the given order) that lies between sample p - 1 and sample p, both
// included, without being equal to sample p, records the nearer of the two positions
// (p on a tie). At most one position per p. A level met only by the last sample is not
// recorded, and a waveform lying flat on a level records nothing there.
//
// The search keeps the band between the two levels that enclose the previous sample;
// only a sample leaving that band looks at the levels, so a long waveform costs little
// more than one comparison pair per sample whatever the number of levels.
class FmMarkerCrossings {
public:
    static std::vector<std::int32_t> Find(const std::int32_t* samples, std::size_t count,
                                          const std::vector<std::int32_t>& levels);
    static std::vector<std::int32_t> Find(const double* samples, std::size_t count,
                                          const std::vector<double>& levels);
};
