#pragma once

#include "document/SampleBuffer.h"

#include <cstddef>
#include <vector>

// A buffer of `n` samples of one value.
inline SampleBuffer Filled(SampleKind kind, std::size_t n, double value) {
    SampleBuffer samples(kind);
    samples.Assign(n, value);
    return samples;
}

// Every sample as a number, so that whole waveforms compare at once.
inline std::vector<double> Values(const SampleBuffer& samples) {
    std::vector<double> values(samples.Size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = samples.At(i);
    }
    return values;
}
