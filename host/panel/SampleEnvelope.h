#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A waveform reduced to one vertical stroke per pixel column: the lowest and highest
// sample among the points that fall into the column, so that a segment of millions of
// points draws as fast as a short one and no spike disappears between columns.
struct SampleEnvelope {
    struct Column {
        int low = 0;
        int high = 0;
    };

    std::vector<Column> columns;
    int lowest = 0;
    int highest = 0;

    // Little-endian signed 16-bit samples, as the instrument returns them.
    static std::vector<std::int16_t> DecodeSamples(const std::string& bytes);
    // At most `width` columns; fewer when there are fewer samples than columns.
    static SampleEnvelope Build(const std::vector<std::int16_t>& samples, int width);
};
