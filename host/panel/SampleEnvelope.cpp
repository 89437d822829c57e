#include "panel/SampleEnvelope.h"

#include <algorithm>

std::vector<std::int16_t> SampleEnvelope::DecodeSamples(const std::string& bytes) {
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto high = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low));
    }
    return samples;
}

SampleEnvelope SampleEnvelope::Build(const std::vector<std::int16_t>& samples, int width) {
    SampleEnvelope envelope;
    if (samples.empty() || width <= 0) {
        return envelope;
    }
    const std::size_t count = samples.size();
    const std::size_t columns = std::min<std::size_t>(static_cast<std::size_t>(width), count);
    envelope.columns.reserve(columns);
    for (std::size_t column = 0; column < columns; ++column) {
        const std::size_t first = column * count / columns;
        const std::size_t last = (column + 1) * count / columns;
        const auto [low, high] =
            std::minmax_element(samples.begin() + static_cast<std::ptrdiff_t>(first),
                                samples.begin() + static_cast<std::ptrdiff_t>(last));
        envelope.columns.push_back({*low, *high});
    }
    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    envelope.lowest = *low;
    envelope.highest = *high;
    return envelope;
}
